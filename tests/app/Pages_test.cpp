// Page buttons of the overview and the page's way back, with a page of the
// tests' own standing in for the real ones.

#include "app/Pages.h"

#include "OverviewFixture.h"

#include <QLineEdit>
#include <QRadioButton>
#include <vector>

namespace {

// A page as the real ones will be: its load sets the guard, its return
// button goes back through ClosePage.
class TestPage : public forms::Form {
public:
    TestPage()
    {
        ++loads;
        setWindowTitle(QStringLiteral("ALARM"));
        Command1 = new forms::CommandButton(QStringLiteral("返回"), this);
        connect(Command1, &QPushButton::clicked, this, [this] { forms::ClosePage(*this); });
        CloseGuard = true;
    }
    forms::CommandButton* Command1 = nullptr;
    static inline int loads = 0;
};

class PagesTest : public testsupport::OverviewFixture {
protected:
    void SetUp() override
    {
        OverviewFixture::SetUp();
        for (int i = 0; i < kPageCount; ++i)
            saved[static_cast<size_t>(i)] = PageOpenerOf(static_cast<Page>(i));
        TestPage::loads = 0;
    }
    void TearDown() override
    {
        for (int i = 0; i < kPageCount; ++i)
            PageOpenerOf(static_cast<Page>(i)) = saved[static_cast<size_t>(i)];
        if (forms::IsLoaded<TestPage>()) {
            forms::Instance<TestPage>().CloseGuard = false;
            forms::Instance<TestPage>().Unload();
        }
        OverviewFixture::TearDown();
    }
    std::array<PageOpener, kPageCount> saved{};
};

QWidgetList VisibleWindows()
{
    QWidgetList shown;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            shown << w;
    return shown;
}

// The overview hides but stays loaded and running, the page shows modeless
// and ownerless, refuses its close box, and its return shows the overview
// again exactly as the operator left it; the next opening loads the page
// anew.
TEST_F(PagesTest, RoundTripKeepsTheOverviewAsLeft)
{
    PageOpenerOf(Page::ALM1) = &ShowPage<TestPage>;
    window->show();
    window->Combo32->SetText(QStringLiteral("2:待机 "));
    window->Combo7->SetText(QStringLiteral("17"));
    window->Text1[301]->setText(QStringLiteral("12.5"));
    window->Combo1->SetText(QStringLiteral("5 "));
    window->Option2[1]->setChecked(true);
    window->SSTab2->setCurrentIndex(0);
    window->SSTab1->setCurrentIndex(2);

    window->Command15->click();
    ASSERT_TRUE(forms::IsLoaded<TestPage>());
    TestPage* page = &forms::Instance<TestPage>();
    EXPECT_EQ(TestPage::loads, 1);
    EXPECT_TRUE(page->isVisible());
    EXPECT_EQ(page->parentWidget(), nullptr);
    EXPECT_EQ(page->windowModality(), Qt::NonModal);
    EXPECT_FALSE(window->isVisible());
    ASSERT_TRUE(forms::IsLoaded<ssqx>());
    EXPECT_EQ(&forms::Instance<ssqx>(), window);
    EXPECT_TRUE(window->Timer1.isActive());
    EXPECT_TRUE(window->Timer2.isActive());
    EXPECT_TRUE(window->Timer3.isActive());

    // The hidden overview's status panel keeps up with the live values.
    StatusValues[0] = 42.5f;
    EXPECT_TRUE(testsupport::RunEventsUntil(
        [&] { return window->D_4WH[0]->text() == QStringLiteral("42.5"); }, 10000));
    EXPECT_FALSE(window->isVisible());

    EXPECT_FALSE(page->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(forms::IsLoaded<TestPage>());
    EXPECT_TRUE(page->isVisible());

    page->Command1->click();
    EXPECT_FALSE(forms::IsLoaded<TestPage>());
    EXPECT_FALSE(page->isVisible());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(&forms::Instance<ssqx>(), window);
    EXPECT_EQ(window->Combo32->currentText(), QStringLiteral("2:待机 "));
    EXPECT_EQ(window->Combo7->currentText(), QStringLiteral("17"));
    EXPECT_EQ(window->Text1[301]->text(), QStringLiteral("12.5"));
    EXPECT_EQ(window->Combo1->currentText(), QStringLiteral("5 "));
    EXPECT_TRUE(window->Option2[1]->isChecked());
    EXPECT_EQ(window->SSTab2->currentIndex(), 0);
    EXPECT_EQ(window->SSTab1->currentIndex(), 2);
    EXPECT_EQ(window->D_4WH[0]->text(), QStringLiteral("42.5"));
    EXPECT_TRUE(window->CloseGuard);
    EXPECT_TRUE(window->Timer1.isActive());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(VisibleWindows(), QWidgetList{window});

    window->Command15->click();
    EXPECT_EQ(TestPage::loads, 2);
    EXPECT_FALSE(window->isVisible());
    forms::Instance<TestPage>().Command1->click();
    EXPECT_TRUE(window->isVisible());
}

// Each page button opens its own page.
TEST_F(PagesTest, EachButtonOpensItsPage)
{
    static std::vector<Page> opened;
    opened.clear();
    PageOpenerOf(Page::Tech) = [] { opened.push_back(Page::Tech); };
    PageOpenerOf(Page::ALM1) = [] { opened.push_back(Page::ALM1); };
    PageOpenerOf(Page::PIDC) = [] { opened.push_back(Page::PIDC); };
    PageOpenerOf(Page::CONFIG1) = [] { opened.push_back(Page::CONFIG1); };
    PageOpenerOf(Page::FenzuPID) = [] { opened.push_back(Page::FenzuPID); };
    PageOpenerOf(Page::Fenzuout1) = [] { opened.push_back(Page::Fenzuout1); };
    PageOpenerOf(Page::TimeSet) = [] { opened.push_back(Page::TimeSet); };
    PageOpenerOf(Page::EtheernetSET) = [] { opened.push_back(Page::EtheernetSET); };
    struct Case {
        forms::CommandButton* ssqx::* button;
        const char* caption;
        Page page;
    };
    const Case cases[] = {
        {&ssqx::Command14, "曲线设置", Page::Tech},
        {&ssqx::Command15, "报警设定", Page::ALM1},
        {&ssqx::Command16, "PID", Page::PIDC},
        {&ssqx::Command21, "CONFIG", Page::CONFIG1},
        {&ssqx::Command22, "分组PID", Page::FenzuPID},
        {&ssqx::Command24, "分组输出", Page::Fenzuout1},
        {&ssqx::Command39, "TIME SET", Page::TimeSet},
        {&ssqx::Command40, "Ethernet SET", Page::EtheernetSET},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        window->show();
        opened.clear();
        forms::CommandButton* button = window->*c.button;
        EXPECT_EQ(button->text(), QString::fromUtf8(c.caption));
        button->click();
        EXPECT_EQ(opened, std::vector<Page>{c.page});
        EXPECT_FALSE(window->isVisible());
    }
}

// Until a page's window exists its button leaves the overview as it is.
TEST_F(PagesTest, ButtonsWithoutTheirPageDoNothing)
{
    for (int i = 0; i < kPageCount; ++i)
        PageOpenerOf(static_cast<Page>(i)) = nullptr;
    window->show();
    for (forms::CommandButton* button :
         {window->Command14, window->Command15, window->Command16, window->Command21,
          window->Command22, window->Command24, window->Command39, window->Command40}) {
        SCOPED_TRACE(button->text().toStdString());
        button->click();
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(VisibleWindows(), QWidgetList{window});
    }
}

} // namespace
