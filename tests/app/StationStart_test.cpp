// The station started where Qt has nowhere to show its windows: it says
// what is missing in one line and ends, before Qt tries; a platform named
// for Qt (offscreen, as the tests run) needs no desktop session.

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString kNeedsDesktop =
    QStringLiteral("zc4160-station needs a desktop session: neither DISPLAY nor WAYLAND_DISPLAY is set");

// The station's environment over a connection without a display: no
// DISPLAY, no WAYLAND_DISPLAY, no platform named; its database a scratch
// file.
QProcessEnvironment WithoutDisplay(const QTemporaryDir& dir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("ZC4160_DB"), dir.filePath(QStringLiteral("station.db")));
    return env;
}

TEST(StationStart, WithoutADesktopSessionItSaysSoInOneLineAndEnds)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const struct {
        const char* name;   // of a variable set, but empty
    } cases[] = {{nullptr}, {"DISPLAY"}, {"WAYLAND_DISPLAY"}, {"QT_QPA_PLATFORM"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name ? c.name : "none set");
        QProcessEnvironment env = WithoutDisplay(dir);
        if (c.name)
            env.insert(QLatin1String(c.name), QString());
        QProcess station;
        station.setProcessEnvironment(env);
        station.start(QStringLiteral(ZC4160_STATION), {});
        ASSERT_TRUE(station.waitForFinished(60000));
        EXPECT_EQ(station.exitStatus(), QProcess::NormalExit);
        EXPECT_NE(station.exitCode(), 0);
        EXPECT_EQ(station.readAllStandardError().toStdString(), kNeedsDesktop.toStdString() + '\n');
        EXPECT_TRUE(station.readAllStandardOutput().isEmpty());
        // It ended before anything was written.
        EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("station.db"))));
    }
}

// A platform named for Qt, by the environment or the -platform argument,
// is Qt's to find: the station starts.
TEST(StationStart, APlatformNamedForQtNeedsNoDesktopSession)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const struct {
        const char* how;
        const char* platformVariable;
        QStringList arguments;
    } cases[] = {
        {"QT_QPA_PLATFORM", "offscreen", {}},
        {"-platform", nullptr, {QStringLiteral("-platform"), QStringLiteral("offscreen")}},
        {"--platform", nullptr, {QStringLiteral("--platform"), QStringLiteral("offscreen")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        QProcessEnvironment env = WithoutDisplay(dir);
        if (c.platformVariable)
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), QLatin1String(c.platformVariable));
        QProcess station;
        station.setProcessEnvironment(env);
        station.start(QStringLiteral(ZC4160_STATION), c.arguments);
        ASSERT_TRUE(station.waitForStarted(60000));
        // Running still after a while, which a station that refused to
        // start is not.
        EXPECT_FALSE(station.waitForFinished(1500))
            << station.readAllStandardError().toStdString();
        station.kill();
        station.waitForFinished(20000);
        EXPECT_FALSE(QString::fromUtf8(station.readAllStandardError()).contains(kNeedsDesktop));
    }
}

} // namespace
