// The network page: opened from the overview, one read at load and none
// after, group writes as the controller receives them, the boxes after a
// write or a refusal, the keyboard order and the kept buffer.

#include "SettingsPageFixture.h"

#include <QFocusEvent>

namespace {

using testsupport::RunEventsUntil;
using zc4160sim::Fault;
using zc4160sim::Request;

const Request kReload{1, 3, 3200, 12};

class EtheernetSETTest : public testsupport::SettingsPageFixture {
protected:
    // "Ethernet SET" on the overview; nullptr when it opened nothing.
    EtheernetSET* Open()
    {
        window->Command40->click();
        return forms::IsLoaded<EtheernetSET>() ? &forms::Instance<EtheernetSET>() : nullptr;
    }
    static std::array<QString, 12> Boxes(const EtheernetSET& page)
    {
        std::array<QString, 12> texts;
        for (size_t j = 0; j < 12; ++j)
            texts[j] = page.Text1[j]->text();
        return texts;
    }
    static void Type(EtheernetSET& page, int firstBox, const std::array<QString, 4>& octets)
    {
        for (size_t k = 0; k < 4; ++k)
            page.Text1[size_t(firstBox) + k]->setText(octets[k]);
    }
    const std::array<QString, 12> kLoaded = {"192", "168", "1", "100", "255", "255",
                                             "255", "0",   "192", "168", "1",   "1"};
};

// From the line, opening: one read of twelve, the
// boxes filled from it, then silence.
TEST_F(EtheernetSETTest, LoadReadsOnceAndThenNothing)
{
    EtheernetSET* page = Open();
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->isVisible());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(Requests(), std::vector<Request>{kReload});
    EXPECT_EQ(Boxes(*page), kLoaded);

    RunEventsUntil([] { return false; }, 1500);
    EXPECT_EQ((*line)->requests(), std::vector<Request>{kReload});

    // A dot only marks itself.
    page->Option1[4]->click();
    EXPECT_TRUE(page->Option1[4]->isChecked());
    EXPECT_EQ(Requests(), std::vector<Request>{kReload});

    EXPECT_TRUE(page->CloseGuard);
    EXPECT_FALSE(page->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(forms::IsLoaded<EtheernetSET>());
    page->Command4->click();
    EXPECT_FALSE(forms::IsLoaded<EtheernetSET>());
    EXPECT_TRUE(window->isVisible());
}

TEST_F(EtheernetSETTest, DesignTextsAndColours)
{
    EtheernetSET* page = Open();
    ASSERT_NE(page, nullptr);
    const QColor teal(0, 192, 192);
    EXPECT_EQ(page->windowTitle(), QStringLiteral("Ethernet SET"));
    EXPECT_EQ(page->palette().color(QPalette::Window), teal);
    EXPECT_EQ(page->Label1->text(), QStringLiteral("网络参数设置"));
    EXPECT_EQ(page->Label1->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_TRUE(page->Label1->font().bold());
    const char* const captions[] = {"IP 地址", "子网掩码", "默认网关"};
    for (size_t g = 0; g < 3; ++g) {
        SCOPED_TRACE(captions[g]);
        EXPECT_EQ(page->Frame1[g]->caption(), QString::fromUtf8(captions[g]));
        EXPECT_EQ(page->Label2[g]->text(), QString::fromUtf8(captions[g]));
        EXPECT_EQ(page->Frame1[g]->palette().color(QPalette::Window), teal);
        // Top to bottom in index order.
        if (g > 0) {
            EXPECT_GT(page->Frame1[g]->y(), page->Frame1[g - 1]->y());
        }
    }
    // The boxes are not teal.
    EXPECT_NE(page->Text1[0]->palette().color(QPalette::Base), teal);
    for (forms::CommandButton* b : {page->Command1, page->Command2, page->Command3})
        EXPECT_EQ(b->text(), QStringLiteral("修改参数"));
    EXPECT_EQ(page->Command4->text(), QStringLiteral("返回"));
}

// "返回" first and with the focus; then each group's boxes left to right
// and its "修改参数". A box that receives the focus, by a click too, has
// its whole text selected.
TEST_F(EtheernetSETTest, KeyboardOrderAndFocus)
{
    EtheernetSET* page = Open();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->focusWidget(), page->Command4);

    std::vector<QWidget*> order;
    QWidget* w = page->Command4;
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            order.push_back(w);
        w = w->nextInFocusChain();
    } while (w != page->Command4);
    const std::vector<QWidget*> expected = {
        page->Command4, page->Text1[0], page->Text1[1],  page->Text1[2],  page->Text1[3],
        page->Command1, page->Text1[4], page->Text1[5],  page->Text1[6],  page->Text1[7],
        page->Command2, page->Text1[8], page->Text1[9],  page->Text1[10], page->Text1[11],
        page->Command3};
    EXPECT_EQ(order, expected);

    for (int j : {1, 7}) {
        QLineEdit* box = page->Text1[size_t(j)];
        box->deselect();
        QFocusEvent focusIn(QEvent::FocusIn, Qt::MouseFocusReason);
        QCoreApplication::sendEvent(box, &focusIn);
        QCoreApplication::processEvents();
        EXPECT_EQ(box->selectedText(), kLoaded[size_t(j)]);
    }
}

// From the line, writing: the IP group's four octets ascending,
// 254.5 as 254, then the reload, which also replaces what was typed and
// not sent in another group.
TEST_F(EtheernetSETTest, GroupWriteSendsFourAndReloadsAllTwelve)
{
    EtheernetSET* page = Open();
    ASSERT_NE(page, nullptr);
    (*line)->clearRequests();
    Type(*page, 0, {"10", "0", "0", "254.5"});
    page->Text1[4]->setText(QStringLiteral("1"));
    page->Command1->click();
    EXPECT_EQ(Requests(), (std::vector<Request>{{1, 6, 3200, 10}, {1, 6, 3201, 0},
                                                {1, 6, 3202, 0}, {1, 6, 3203, 254}, kReload}));
    std::array<QString, 12> now = kLoaded;
    now[0] = "10", now[1] = "0", now[2] = "0", now[3] = "254";
    EXPECT_EQ(Boxes(*page), now);

    (*line)->clearRequests();
    Type(*page, 8, {"192", "168", "1", "254"});
    page->Command3->click();
    EXPECT_EQ(Requests(), (std::vector<Request>{{1, 6, 3208, 192}, {1, 6, 3209, 168},
                                                {1, 6, 3210, 1}, {1, 6, 3211, 254}, kReload}));
    now[11] = "254";
    EXPECT_EQ(Boxes(*page), now);
}

// One octet out of range, first or third: nothing on the line, no reload,
// and the boxes keep what was typed.
TEST_F(EtheernetSETTest, BadOctetSendsNothingAndKeepsTheTypedBoxes)
{
    EtheernetSET* page = Open();
    ASSERT_NE(page, nullptr);
    (*line)->clearRequests();
    Type(*page, 4, {"255", "255", "256", "0"});
    page->Command2->click();
    Type(*page, 0, {"-0.4", "0", "0", "1"});
    page->Command1->click();
    EXPECT_TRUE(Requests().empty());
    EXPECT_EQ(page->Text1[6]->text(), QStringLiteral("256"));
    EXPECT_EQ(page->Text1[0]->text(), QStringLiteral("-0.4"));
    EXPECT_EQ((*line)->reg(3205), 255);
}

// The buffer outlives the page: a reopen whose read gets no answer shows
// the last values read.
TEST_F(EtheernetSETTest, ReopenWithoutAnswerShowsTheLastRead)
{
    ASSERT_NE(Open(), nullptr);
    forms::Instance<EtheernetSET>().Command4->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    (*line)->setReg(3201, 10);
    (*line)->setFault(Fault::NoAnswer);
    (*line)->clearRequests();
    EtheernetSET* page = Open();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(Requests(), std::vector<Request>{kReload});
    EXPECT_EQ(Boxes(*page), kLoaded);
}

} // namespace
