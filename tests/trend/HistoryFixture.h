#pragma once
// The station's two chart windows over a database file of their own: the
// long ring holds 2000 rows with one fixed value per series, the short ring
// 500 rows. Each test starts with the overview's chart hooks installed and
// the shared chart settings at their start-up values, and ends with every
// window unloaded.

#include "ChartFixture.h"
#include "app/Pages.h"
#include "app/ssqx.h"
#include "device/Met1.h"
#include "platform/forms/Forms.h"
#include "trend/ChartCanvas.h"
#include "trend/ChartShared.h"
#include "trend/RecorderShared.h"
#include "trend/frmLogin.h"
#include "trend/lsqx.h"
#include "app/ssqxChart.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace chart::testing {

inline const QDateTime kHistoryNewest(QDate(2024, 3, 5), QTime(12, 0, 0));
inline constexpr int kLongHead = 2000;
inline constexpr int kShortHead = 500;
// PV, OP, SV, PV1, PV2, SV1, SV2 of every long-ring row.
inline constexpr std::array<float, 7> kLongValues{300, 50, 750, 1000, 40, 1200, 600};

class HistoryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        const QString file = dir_->filePath(QStringLiteral("Rdatabj.db"));
        ring_ = std::make_unique<RingFixture>(file);
        ring_->Database().transaction();
        for (int id = 1; id <= kLongHead; ++id) {
            std::array<float, 8> v{};
            std::copy(kLongValues.begin(), kLongValues.end(), v.begin());
            v[7] = float(id);
            ring_->WriteRow(QStringLiteral("Lpv_wdjl"), id,
                            kHistoryNewest.addSecs(-10 * qint64(kLongHead - id)), v);
        }
        ring_->Database().commit();
        ring_->WriteRing(QStringLiteral("pv_data"), kShortHead, kShortHead, kHistoryNewest);
        ring_->SetHeads(kShortHead, kLongHead);
        qputenv("ZC4160_DB", file.toUtf8());
    }
    static void TearDownTestSuite()
    {
        ring_.reset();
        dir_.reset();
    }

    void SetUp() override
    {
        forms::SetUpStation(*qApp);
        InstallHomeWindow();
        ssqx::ChartHooks() = {};
        InstallOverviewChart();
        StatusValues.fill(0);
        CurveSel.fill(false);
        YSpan = 1500;
        YMin = 0;
        YMax = 0;
        CurveOpen = NewShortRec = NewLongRec = false;
        // "退出" would end the test process with a passing exit code; no
        // key or button of these tests may reach it.
        savedEnd_ = ssqx::EndProcess();
        ssqx::EndProcess() = [] { ADD_FAILURE() << "the station was ended"; };
    }
    void TearDown() override
    {
        if (forms::IsLoaded<frmLogin>())
            forms::Instance<frmLogin>().Unload();
        if (forms::IsLoaded<lsqx>()) {
            forms::Instance<lsqx>().CloseGuard = false;
            forms::Instance<lsqx>().Unload();
        }
        if (forms::IsLoaded<ssqx>()) {
            forms::Instance<ssqx>().CloseGuard = false;
            forms::Instance<ssqx>().Unload();
        }
        ssqx::ChartHooks() = {};
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ssqx::EndProcess() = savedEnd_;
    }

    static ssqx& Overview() { return forms::Instance<ssqx>(); }

    // "历史曲线" on a shown overview.
    static lsqx& OpenHistory()
    {
        ssqx& overview = Overview();
        overview.show();
        overview.Command29->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return forms::Instance<lsqx>();
    }

    static const ChartPicture& OverviewPicture()
    {
        static const ChartPicture none;
        auto* canvas = Overview().pt->findChild<ChartCanvas*>();
        return canvas ? canvas->Picture() : none;
    }

    // A key press as the window gets it: to the control with the focus, or
    // to the window when nothing inside it has the focus.
    static void PressKey(QWidget* window, int key)
    {
        QWidget* focus = QApplication::focusWidget();
        QWidget* target = (focus && focus->window() == window) ? focus : window;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &press);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private:
    std::function<void()> savedEnd_;
    static inline std::unique_ptr<QTemporaryDir> dir_;
    static inline std::unique_ptr<RingFixture> ring_;
};

// The curve segments of a picture (solid lines) in one colour.
inline std::vector<LinePrimitive> Curves(const ChartPicture& picture, Rgb colour)
{
    std::vector<LinePrimitive> out;
    for (const LinePrimitive& line : picture.lines)
        if (line.style == LineStyle::Solid && line.colour == colour)
            out.push_back(line);
    return out;
}

inline std::vector<LinePrimitive> AllCurves(const ChartPicture& picture)
{
    std::vector<LinePrimitive> out;
    for (const LinePrimitive& line : picture.lines)
        if (line.style == LineStyle::Solid)
            out.push_back(line);
    return out;
}

} // namespace chart::testing
