// The clock page: opened from the overview, its reads on the line, the
// refresh with a clock of the tests' own, pause, reopen, and what its
// buttons send.

#include "SettingsPageFixture.h"

#include <QElapsedTimer>

namespace {

using testsupport::RunEventsUntil;
using testsupport::SetControllerClock;
using testsupport::ShowsSetClock;
using zc4160sim::Request;

class TimeSetTest : public testsupport::SettingsPageFixture {
protected:
    // "TIME SET" on the overview; nullptr when it opened nothing.
    TimeSet* Open()
    {
        window->Command39->click();
        return forms::IsLoaded<TimeSet>() ? &forms::Instance<TimeSet>() : nullptr;
    }
    // Opened with the PC clock standing at 2024-05-17 08:30:00, and one
    // refresh done.
    TimeSet* OpenRefreshedAtHalfPastEight()
    {
        settings::PcClock() = [] { return QDateTime(QDate(2024, 5, 17), QTime(8, 30, 0)); };
        TimeSet* page = Open();
        if (page)
            page->Timer1_Timer();
        return page;
    }
    static std::array<QString, 6> Texts(const std::array<QLabel*, 6>& labels)
    {
        std::array<QString, 6> texts;
        for (size_t i = 0; i < 6; ++i)
            texts[i] = labels[i]->text();
        return texts;
    }
    static std::array<QString, 6> Fields(const TimeSet& page)
    {
        std::array<QString, 6> texts;
        for (size_t i = 0; i < 6; ++i)
            texts[i] = page.Text1[i]->text();
        return texts;
    }
    static void Type(TimeSet& page, const std::array<QString, 6>& texts)
    {
        for (size_t i = 0; i < 6; ++i)
            page.Text1[i]->setText(texts[i]);
    }
};

// From the line, in real time: nothing at load, the
// first read of 3001 to 3008 at about 0.8 s and shown within a second,
// reads going on while paused with the display frozen, and none after the
// return.
TEST_F(TimeSetTest, ReadsEvery800MsFromLoadToReturn)
{
    QElapsedTimer sinceClick;
    sinceClick.start();
    TimeSet* page = Open();
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->isVisible());
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(Requests().empty());

    ASSERT_TRUE(RunEventsUntil([&] { return !(*line)->requests().empty(); }, 5000));
    EXPECT_GE(sinceClick.elapsed(), 700);
    EXPECT_EQ((*line)->requests().front(), (Request{1, 3, 3000, 8}));
    // Due within 0.2 s of the read; the margin is for a busy machine.
    ASSERT_TRUE(RunEventsUntil([&] { return ShowsSetClock(Texts(page->T_Label)); }, 3000));

    page->Command2->click();
    SetControllerClock(*line, 2031);
    ASSERT_TRUE(RunEventsUntil([&] { return (*line)->requests().size() >= 2; }, 5000));
    for (const Request& r : (*line)->requests())
        EXPECT_EQ(r, (Request{1, 3, 3000, 8}));
    EXPECT_EQ(ClockBuffer[0], 2031);
    EXPECT_EQ(page->T_Label[0]->text(), QStringLiteral("2030"));

    page->Command1->click();
    EXPECT_FALSE(forms::IsLoaded<TimeSet>());
    EXPECT_TRUE(window->isVisible());
    (*line)->clearRequests();
    RunEventsUntil([] { return false; }, 1200);
    EXPECT_TRUE((*line)->requests().empty());
}

TEST_F(TimeSetTest, LoadsWithItsDesignTextsAndRefusesTheCloseBox)
{
    TimeSet* page = Open();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->windowTitle(), QStringLiteral("时钟设置"));
    EXPECT_EQ(page->Frame12->caption(), QStringLiteral("时间设置"));
    EXPECT_EQ(page->Label12[0]->text(), QStringLiteral("年"));
    EXPECT_EQ(page->Label12[5]->text(), QStringLiteral("秒"));
    EXPECT_EQ(page->Label12[6]->text(), QStringLiteral("地址：3001"));
    EXPECT_EQ(page->Label12[11]->text(), QStringLiteral("地址：3006"));
    EXPECT_EQ(page->Command28[3]->text(), QStringLiteral("DOWN"));
    EXPECT_EQ(page->Command2->text(), QStringLiteral("暂停刷新"));
    EXPECT_EQ(page->Command3->text(), QStringLiteral("一键下载"));
    EXPECT_EQ(page->Command1->text(), QStringLiteral("返回"));
    EXPECT_EQ(page->T_Label[2]->palette().color(QPalette::Window), QColor(255, 224, 192));
    EXPECT_EQ(page->Label12[8]->palette().color(QPalette::Window), QColor(192, 255, 192));
    EXPECT_EQ(page->Label2[9]->palette().color(QPalette::Window), QColor(192, 192, 255));
    EXPECT_EQ(page->Label2[10]->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_TRUE(page->Label2[10]->font().bold());
    EXPECT_FALSE(page->Image1->pixmap().isNull());

    EXPECT_TRUE(page->RefreshRunning);
    EXPECT_TRUE(page->Timer1.isActive());
    EXPECT_EQ(page->Timer1.interval(), 200);
    EXPECT_TRUE(page->Timer2.isActive());
    EXPECT_EQ(page->Timer2.interval(), 800);

    EXPECT_TRUE(page->CloseGuard);
    EXPECT_FALSE(page->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(forms::IsLoaded<TimeSet>());
    EXPECT_TRUE(page->isVisible());
}

// Each tick reads the PC clock once: the date, the time and the six
// fields cannot straddle midnight, New Year's Eve included. What was typed
// gives way at the next tick.
TEST_F(TimeSetTest, EachTickShowsOneClockReading)
{
    const QDateTime readings[] = {
        QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59, 900)),
        QDateTime(QDate(2025, 1, 1), QTime(0, 0, 0, 100)),
        QDateTime(QDate(2025, 1, 1), QTime(0, 0, 0, 300)),
    };
    size_t reads = 0;
    settings::PcClock() = [&] { return readings[std::min(reads++, std::size(readings) - 1)]; };
    TimeSet* page = Open();
    ASSERT_NE(page, nullptr);

    page->Timer1_Timer();
    EXPECT_EQ(reads, 1u);
    EXPECT_EQ(page->Label2[9]->text(), QStringLiteral("12-31-2024"));
    EXPECT_EQ(page->Label2[10]->text(), QStringLiteral("23:59:59"));
    EXPECT_EQ(Fields(*page), (std::array<QString, 6>{"2024", "12", "31", "23", "59", "59"}));
    // Nothing read yet in this run: the controller's values are zeros.
    EXPECT_EQ(Texts(page->T_Label), (std::array<QString, 6>{"0", "0", "0", "0", "0", "0"}));

    page->Text1[1]->setText(QStringLiteral("7"));
    page->Timer1_Timer();
    EXPECT_EQ(reads, 2u);
    EXPECT_EQ(page->Label2[9]->text(), QStringLiteral("01-01-2025"));
    EXPECT_EQ(page->Label2[10]->text(), QStringLiteral("00:00:00"));
    EXPECT_EQ(Fields(*page), (std::array<QString, 6>{"2025", "1", "1", "0", "0", "0"}));
}

// Pausing stops only the display: the reads go on, typed values stay, and
// continuing brings everything up to date at the next tick.
TEST_F(TimeSetTest, PauseFreezesTheDisplayNotTheReads)
{
    TimeSet* page = OpenRefreshedAtHalfPastEight();
    ASSERT_NE(page, nullptr);

    page->Command2->click();
    EXPECT_FALSE(page->RefreshRunning);
    EXPECT_EQ(page->Command2->text(), QStringLiteral("继续刷新"));
    EXPECT_FALSE(page->Timer1.isActive());
    EXPECT_TRUE(page->Timer2.isActive());

    page->Text1[1]->setText(QStringLiteral("12.5"));
    page->Timer2_Timer();
    EXPECT_EQ(Requests(), (std::vector<Request>{{1, 3, 3000, 8}}));
    EXPECT_EQ(page->T_Label[0]->text(), QStringLiteral("0"));
    EXPECT_EQ(page->Text1[1]->text(), QStringLiteral("12.5"));

    page->Command2->click();
    EXPECT_TRUE(page->RefreshRunning);
    EXPECT_EQ(page->Command2->text(), QStringLiteral("暂停刷新"));
    EXPECT_TRUE(page->Timer1.isActive());
    page->Timer1_Timer();
    EXPECT_TRUE(ShowsSetClock(Texts(page->T_Label)));
    EXPECT_EQ(page->Text1[1]->text(), QStringLiteral("5"));
}

// A page left paused comes back refreshing, reads nothing at load, and its
// first tick shows the last read of the run, which the unload kept.
TEST_F(TimeSetTest, ReopenRefreshesAndShowsTheLastRead)
{
    TimeSet* page = Open();
    ASSERT_NE(page, nullptr);
    page->Timer2_Timer();
    page->Command2->click();
    page->Command1->click();
    ASSERT_FALSE(forms::IsLoaded<TimeSet>());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    SetControllerClock(*line, 2031);
    page = Open();
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->RefreshRunning);
    EXPECT_EQ(page->Command2->text(), QStringLiteral("暂停刷新"));
    EXPECT_TRUE(page->Timer1.isActive());
    EXPECT_TRUE(Requests().empty());
    page->Timer1_Timer();
    EXPECT_TRUE(ShowsSetClock(Texts(page->T_Label)));
}

// From the line: "DOWN" tests its row on the
// number as typed, "一键下载" sends the six typed fields in order or, with
// one out of range, nothing.
TEST_F(TimeSetTest, ButtonsSendTypedFieldsOnlyWithinRange)
{
    TimeSet* page = Open();
    ASSERT_NE(page, nullptr);
    page->Command2->click();

    page->Text1[1]->setText(QStringLiteral("12.5"));
    page->Command28[1]->click();
    EXPECT_TRUE(Requests().empty());
    page->Text1[1]->setText(QStringLiteral("1.5"));
    page->Command28[1]->click();
    EXPECT_EQ(Requests(), (std::vector<Request>{{1, 6, 3001, 2}}));

    (*line)->clearRequests();
    Type(*page, {"2024", "5", "17", "8", "30", "0"});
    page->Command3->click();
    EXPECT_EQ(Requests(), (std::vector<Request>{{1, 6, 3000, 2024}, {1, 6, 3001, 5},
                                                {1, 6, 3002, 17}, {1, 6, 3003, 8},
                                                {1, 6, 3004, 30}, {1, 6, 3005, 0}}));
    EXPECT_EQ(CommPar[257], 0);

    (*line)->clearRequests();
    page->Text1[1]->setText(QStringLiteral("13"));
    page->Command3->click();
    EXPECT_TRUE(Requests().empty());
}

// While refreshing, the fields hold the PC clock, so "DOWN" copies the
// PC's value of its row.
TEST_F(TimeSetTest, DownWhileRefreshingSendsThePcValue)
{
    TimeSet* page = OpenRefreshedAtHalfPastEight();
    ASSERT_NE(page, nullptr);
    page->Command28[4]->click();
    page->Command28[0]->click();
    EXPECT_EQ(Requests(), (std::vector<Request>{{1, 6, 3004, 30}, {1, 6, 3000, 2024}}));
}

} // namespace
