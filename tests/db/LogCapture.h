#pragma once
// Collects the warnings and the notes (info lines) of one logging category
// while it lives; a name ending in "." takes every category below it.

#include <QByteArray>
#include <QMessageLogContext>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <cstring>
#include <gtest/gtest.h>

class LogCapture {
public:
    explicit LogCapture(const char* category) : category_(category)
    {
        current() = this;
        previous_ = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(previous_);
        current() = nullptr;
    }
    const QStringList& warnings() const { return warnings_; }
    const QStringList& infos() const { return infos_; }

    // Whether warning i (counted from the end when negative: -1 is the last)
    // was logged and contains part; a failure shows every warning logged.
    ::testing::AssertionResult Warned(qsizetype i, const QString& part) const
    {
        const qsizetype at = i < 0 ? warnings_.size() + i : i;
        if (at >= 0 && at < warnings_.size() && warnings_[at].contains(part))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "no warning " << i << " containing \"" << part.toStdString() << "\" among "
               << warnings_.size() << ":\n" << warnings_.join(u'\n').toStdString();
    }

private:
    static LogCapture*& current()
    {
        static LogCapture* c = nullptr;
        return c;
    }
    static void handle(QtMsgType type, const QMessageLogContext& ctx, const QString& msg)
    {
        LogCapture* c = current();
        if (c && ctx.category && c->takes(ctx.category)) {
            if (type == QtWarningMsg || type == QtCriticalMsg)
                c->warnings_ << msg;
            else if (type == QtInfoMsg)
                c->infos_ << msg;
            return;
        }
        if (c && c->previous_)
            c->previous_(type, ctx, msg);
    }
    bool takes(const char* category) const
    {
        if (category_.endsWith('.'))
            return std::strncmp(category, category_.constData(), category_.size()) == 0;
        return std::strcmp(category, category_.constData()) == 0;
    }

    QByteArray category_;
    QtMessageHandler previous_ = nullptr;
    QStringList warnings_;
    QStringList infos_;
};
