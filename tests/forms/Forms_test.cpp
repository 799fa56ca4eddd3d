// The window layer: default instances and the close guard, the way back to
// the window one came from, the key preview, the modal window and the list
// filling.

#include "platform/forms/Forms.h"
#include "forms/ModalCheck.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTabWidget>
#include <gtest/gtest.h>
#include <vector>

namespace {

void FlushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

void SendKey(QWidget* target, int key, const QString& text = {})
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
}

// Windows of the tests' own that count their loads and unloads.
template <int N>
class CountingForm : public forms::Form {
public:
    CountingForm()
    {
        ++loads;
        CloseGuard = true;
    }
    static inline int loads = 0;
    static inline int unloads = 0;

protected:
    void Form_Unload() override { ++unloads; }
};
using Home = CountingForm<0>;
using PageA = CountingForm<1>;
using PageB = CountingForm<2>;

template <class T>
void Reset()
{
    if (forms::IsLoaded<T>()) {
        forms::Instance<T>().CloseGuard = false;
        forms::Instance<T>().Unload();
    }
    FlushDeletes();
    T::loads = T::unloads = 0;
}

class FormsTest : public testing::Test {
protected:
    void SetUp() override
    {
        forms::SetHomeWindow([]() -> forms::Form& { return forms::Instance<Home>(); });
        Reset<Home>();
        Reset<PageA>();
        Reset<PageB>();
    }
    void TearDown() override
    {
        Reset<Home>();
        Reset<PageA>();
        Reset<PageB>();
        forms::SetHomeWindow({});
    }
};

// One instance per class from its first use; the guard refuses every
// unload request without running the window's clean-up; an unload that
// goes through runs it once and the next use loads afresh.
TEST_F(FormsTest, DefaultInstanceAndCloseGuard)
{
    PageA& a = forms::Instance<PageA>();
    EXPECT_EQ(&forms::Instance<PageA>(), &a);
    EXPECT_EQ(PageA::loads, 1);
    a.show();

    EXPECT_FALSE(a.close());
    EXPECT_FALSE(a.Unload());
    FlushDeletes();
    ASSERT_TRUE(forms::IsLoaded<PageA>());
    EXPECT_TRUE(a.isVisible());
    EXPECT_TRUE(a.Loaded());
    EXPECT_EQ(PageA::unloads, 0);

    a.CloseGuard = false;
    EXPECT_TRUE(a.Unload());
    EXPECT_FALSE(forms::IsLoaded<PageA>());
    EXPECT_EQ(PageA::unloads, 1);
    FlushDeletes();
    forms::Instance<PageA>();
    EXPECT_EQ(PageA::loads, 2);
}

// A page returns to the home window; a window shown in place of another
// returns to that one while it is loaded, else home.
TEST_F(FormsTest, ReturnShowsTheWindowOneCameFrom)
{
    Home& home = forms::Instance<Home>();
    home.show();

    // A page opened from home: home hidden by the opener, shown on return.
    home.hide();
    forms::Instance<PageA>().show();
    forms::ClosePage(forms::Instance<PageA>());
    EXPECT_FALSE(forms::IsLoaded<PageA>());
    EXPECT_EQ(PageA::unloads, 1);
    EXPECT_TRUE(home.isVisible());
    EXPECT_EQ(Home::loads, 1);

    // B in place of A: A hidden and kept; B's return shows that same A.
    home.hide();
    PageA& a = forms::Instance<PageA>();
    a.show();
    forms::ShowInPlaceOf(forms::Instance<PageB>(), a);
    EXPECT_FALSE(a.isVisible());
    EXPECT_TRUE(forms::Instance<PageB>().isVisible());
    forms::ClosePage(forms::Instance<PageB>());
    EXPECT_FALSE(forms::IsLoaded<PageB>());
    EXPECT_TRUE(a.isVisible());
    EXPECT_FALSE(home.isVisible());
    EXPECT_EQ(PageA::loads, 2);

    // B in place of A, and A unloaded meanwhile: B's return goes home.
    forms::ShowInPlaceOf(forms::Instance<PageB>(), a);
    a.CloseGuard = false;
    a.Unload();
    forms::ClosePage(forms::Instance<PageB>());
    EXPECT_TRUE(home.isVisible());
    EXPECT_FALSE(forms::IsLoaded<PageA>());

    // With home unloaded too, the return loads it afresh.
    home.CloseGuard = false;
    home.Unload();
    FlushDeletes();
    forms::Instance<PageB>().show();
    forms::ClosePage(forms::Instance<PageB>());
    ASSERT_TRUE(forms::IsLoaded<Home>());
    EXPECT_TRUE(forms::Instance<Home>().isVisible());
    EXPECT_EQ(Home::loads, 2);
}

// The window sees each key once, before the control with the focus; a key
// it uses up never reaches the control, and keys of other windows are not
// its own.
TEST_F(FormsTest, KeyPreviewSeesEachKeyOnceBeforeTheControl)
{
    PageA& a = forms::Instance<PageA>();
    auto* box = new QLineEdit(&a);
    std::vector<int> seen;
    new forms::KeyPreview(&a, [&](QKeyEvent* e) {
        seen.push_back(e->key());
        return e->key() == Qt::Key_F1;
    });
    a.show();
    a.activateWindow();
    box->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), box);

    SendKey(box, Qt::Key_A, QStringLiteral("a"));   // typed, after the window saw it
    SendKey(box, Qt::Key_F1);     // used up by the window
    SendKey(box, Qt::Key_F2);     // unused by the box: offered to the window
                                  // as well, but seen once only
    EXPECT_EQ(seen, (std::vector<int>{Qt::Key_A, Qt::Key_F1, Qt::Key_F2}));
    EXPECT_EQ(box->text(), QStringLiteral("a"));

    PageB& other = forms::Instance<PageB>();
    other.show();
    SendKey(&other, Qt::Key_A, QStringLiteral("a"));
    EXPECT_EQ(seen.size(), 3u);
}

// A modal window of the tests' own: OK leaves 1, Cancel 2; the guard keeps
// the close box from closing it.
class TestDialog : public forms::ModalForm {
public:
    TestDialog()
    {
        ++loads;
        CloseGuard = true;
        ok = new QPushButton(QStringLiteral("OK"), this);
        cancel = new QPushButton(QStringLiteral("Cancel"), this);
        cancel->move(0, 40);
        box = new QLineEdit(this);
        box->move(0, 80);
        SetDefaultButton(ok);
        SetCancelButton(cancel);
        connect(ok, &QPushButton::clicked, this, [this] { Leave(1); });
        connect(cancel, &QPushButton::clicked, this, [this] { Leave(2); });
    }
    void Leave(int result)
    {
        ModalResult = result;
        CloseGuard = false;
        Unload();
    }
    QPushButton *ok, *cancel;
    QLineEdit* box;
    static inline int loads = 0;
};

TEST_F(FormsTest, ModalWindowRunsOverItsOwnerUntilItUnloads)
{
    Home& owner = forms::Instance<Home>();
    owner.show();
    TestDialog::loads = 0;
    struct Run {
        const char* name;
        void (*act)(TestDialog&);
        int result;
    };
    const Run runs[] = {
        {"Enter in the box presses the default", [](TestDialog& d) { SendKey(d.box, Qt::Key_Return); }, 1},
        {"Enter on Cancel presses Cancel", [](TestDialog& d) { SendKey(d.cancel, Qt::Key_Return); }, 2},
        {"Esc presses Cancel", [](TestDialog& d) { SendKey(d.box, Qt::Key_Escape); }, 2},
        {"OK", [](TestDialog& d) { d.ok->click(); }, 1},
    };
    for (const Run& run : runs) {
        SCOPED_TRACE(run.name);
        bool checked = false;
        testsupport::ModalCheck check([&] {
            auto* d = dynamic_cast<TestDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(d, nullptr);
            EXPECT_EQ(d->parentWidget(), &owner);
            EXPECT_TRUE(d->isWindow());
            // The close box is refused while the guard holds.
            EXPECT_FALSE(d->close());
            EXPECT_TRUE(d->isVisible());
            d->activateWindow();
            run.act(*d);
            checked = true;
        });
        EXPECT_EQ(forms::ShowModal<TestDialog>(&owner), run.result);
        EXPECT_TRUE(checked);
        EXPECT_FALSE(forms::IsLoaded<TestDialog>());
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        FlushDeletes();
    }
    // Every showing loaded the window afresh.
    EXPECT_EQ(TestDialog::loads, 4);
}

TEST(FormsLists, FillListTakesItemsOrNumbersAndShowsTheDesignItem)
{
    forms::DropDownList list;
    list.addItem(QStringLiteral("old"));
    constexpr const char* kItems[] = {"0:禁止 ", "1:允许 "};
    forms::FillList(list, {kItems, 0, 1});
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(list.itemText(0), QStringLiteral("0:禁止 "));
    EXPECT_EQ(list.currentText(), QStringLiteral("1:允许 "));

    forms::FillList(list, {{}, 20, 0});
    ASSERT_EQ(list.count(), 20);
    EXPECT_EQ(list.itemText(19), QStringLiteral("20 "));
    EXPECT_EQ(list.currentText(), QStringLiteral("1 "));
}

TEST(FormsTabs, ATabPageHoldsOneFrameThatFillsIt)
{
    QTabWidget tabs;
    tabs.resize(300, 200);
    forms::Frame* frame = forms::AddTabPage(&tabs, QStringLiteral("COMM"));
    ASSERT_EQ(tabs.count(), 1);
    EXPECT_EQ(tabs.tabText(0), QStringLiteral("COMM"));
    EXPECT_EQ(frame->parentWidget(), tabs.widget(0));
    EXPECT_TRUE(frame->caption().isEmpty());
    tabs.show();
    EXPECT_EQ(frame->size(), tabs.widget(0)->size());
}

} // namespace
