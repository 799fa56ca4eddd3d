// The four windows opened from the configuration page's buttons: the
// exports modal over the page until "退出", the imports in the page's place
// until their return button shows it again, as the page was left.

#include "ExchangeFixture.h"
#include "forms/ModalCheck.h"

#include <QSqlDatabase>

using namespace testsupport;

namespace {

class OpenersTest : public ExchangeFixture {};

template <class T> bool Unloaded()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return !forms::IsLoaded<T>();
}

template <class T> void ModalRoundTrip(CONFIG1& page, QPushButton* opener)
{
    bool checked = false;
    ModalCheck check([&] {
        auto* w = dynamic_cast<T*>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w, &forms::Instance<T>());
        EXPECT_EQ(w->parentWidget(), &page);
        EXPECT_TRUE(w->isWindow());
        EXPECT_TRUE(page.isVisible());
        EXPECT_FALSE(w->close());   // the close box is refused
        EXPECT_TRUE(w->isVisible());
        w->Command2->click();       // "退出"
        checked = true;
    });
    page.RefreshPending = false;
    opener->click();   // returns once the dialog has unloaded
    EXPECT_TRUE(checked);
    EXPECT_FALSE(page.RefreshPending);   // no read due after an export
    EXPECT_TRUE(Unloaded<T>());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(page.isVisible());
}

TEST_F(OpenersTest, ExportsRunModalOverThePageUntilExit)
{
    CONFIG1& page = Page();
    ModalRoundTrip<Inport1>(page, page.Command1);
    ModalRoundTrip<CExport>(page, page.Command4);
    // Each opening loads afresh.
    ModalRoundTrip<Inport1>(page, page.Command1);
    EXPECT_EQ(&forms::Instance<CONFIG1>(), &page);
}

template <class T> void InPlaceRoundTrip(CONFIG1& page, QPushButton* opener)
{
    opener->click();
    ASSERT_TRUE(forms::IsLoaded<T>());
    T& w = forms::Instance<T>();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.parentWidget(), nullptr);
    EXPECT_EQ(w.windowModality(), Qt::NonModal);
    EXPECT_FALSE(page.isVisible());
    EXPECT_TRUE(forms::IsLoaded<CONFIG1>());
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(w.isVisible());
    const QString connection = w.ConnectionName();
    EXPECT_TRUE(QSqlDatabase::database(connection, false).isOpen());

    page.RefreshPending = false;
    w.Command8->click();
    EXPECT_TRUE(Unloaded<T>());
    EXPECT_FALSE(page.RefreshPending);   // shown again without a read
    EXPECT_FALSE(QSqlDatabase::contains(connection));
    EXPECT_TRUE(page.isVisible());
    EXPECT_EQ(&forms::Instance<CONFIG1>(), &page);
}

TEST_F(OpenersTest, ImportsTakeThePagesPlaceAndTheirReturnShowsItAgain)
{
    CONFIG1& page = Page();
    InPlaceRoundTrip<Inportb>(page, page.Command2);
    InPlaceRoundTrip<Inport_Cali>(page, page.Command3);
    InPlaceRoundTrip<Inportb>(page, page.Command2);
}

} // namespace
