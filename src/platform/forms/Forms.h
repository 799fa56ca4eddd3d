#pragma once
// The window layer every window of the station stands on: default
// instances, the close guard, the way back to the window one came from,
// modal windows, twips placement and centring, the editable drop-down list
// and its items, the key preview, captioned frames and tab pages,
// word-wrapping buttons, the status bar and the station's fonts.

#include "platform/basic/Rgb.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <span>
#include <vector>

class QApplication;
class QKeyEvent;
class QPainter;
class QTabWidget;

namespace forms {

// Called once before the first window: our own style, the default font
// (the Song face at 9 points) and no quit on the last closed window. The
// splash is unloaded before the overview is shown, so for a moment the
// station has no window at all; only "退出" ends the process.
void SetUpStation(QApplication& app);

// The Song face the layouts are drawn for, with CJK fallbacks where it is
// missing; Arial likewise for the clock labels.
QFont SongFont(double points, bool bold = false);
QFont ArialFont(double points, bool bold = false);

// Places a control at a twips rectangle of its parent (15 twips a pixel).
void PlaceTwips(QWidget* control, int left, int top, int width, int height);

// A place in a layout table: left, top, width, height in twips.
struct TwipsRect {
    int left, top, width, height;
};
inline void PlaceTwips(QWidget* control, const TwipsRect& r)
{
    PlaceTwips(control, r.left, r.top, r.width, r.height);
}

QColor Rgb(int red, int green, int blue);
QColor Colour(basic::Rgb colour);
void SetTextColour(QWidget* control, const QColor& colour);
void SetBackColour(QWidget* control, const QColor& colour);

// Centres a window on the screen's available area.
void CentreOnScreen(QWidget* window);

// A window. Unload() answers a request to unload: while CloseGuard is set it
// refuses and nothing else happens; otherwise Form_Unload runs, the default
// instance is released and the window goes. The title-bar close box is such
// a request.
class Form : public QWidget {
    Q_OBJECT
public:
    explicit Form(QWidget* parent = nullptr);
    bool CloseGuard = false;
    bool Unload();
    // False from the moment an unload went through (the object itself goes
    // a little later, at the next turn of the event loop).
    bool Loaded() const { return loaded_; }

signals:
    // An unload went through; the window is hidden and about to go.
    void Unloaded();

protected:
    // The window's own clean-up on an unload that goes through.
    virtual void Form_Unload() {}
    void closeEvent(QCloseEvent* event) override;

private:
    template <class T> friend class DefaultInstance;
    friend void ShowInPlaceOf(Form& window, Form& from);
    friend void ClosePage(Form& window);
    std::function<void()> release_;
    QPointer<Form> returnTo_;
    bool loaded_ = true;
};

// The window the station comes home to (the overview), registered once at
// start-up; the function loads it when it is not loaded.
void SetHomeWindow(std::function<Form&()> home);

// Shows window in place of from: from hides, stays loaded with its timers
// running, and is the window that window's return shows again.
void ShowInPlaceOf(Form& window, Form& from);

// A window's way back (its return button): CloseGuard False, the window
// unloaded, then the window it replaced shown again as it was left, when
// that is still loaded, or else the home window. Nothing else is read or
// written.
void ClosePage(Form& window);

// One instance per window class, created (loaded) on first use; an unload
// releases it, and the next use loads a fresh one whose load runs again.
template <class T>
class DefaultInstance {
public:
    static T& Get()
    {
        if (!instance_) {
            instance_ = new T;
            instance_->release_ = [] { instance_ = nullptr; };
        }
        return *instance_;
    }
    static bool IsLoaded() { return !instance_.isNull(); }

private:
    static inline QPointer<T> instance_;
};

template <class T> T& Instance() { return DefaultInstance<T>::Get(); }
template <class T> bool IsLoaded() { return DefaultInstance<T>::IsLoaded(); }

// A modal window: shown over its owner, which takes no input until the
// window has unloaded. Close guard and default instance as for every Form:
// each showing loads the window afresh and its unload deletes it. Enter
// presses the button with the focus, else the default button; Esc presses
// the cancel button; either may be absent.
class ModalForm : public Form {
    Q_OBJECT
public:
    ModalForm();
    void SetDefaultButton(QPushButton* button);
    void SetCancelButton(QPushButton* button);
    // What the window leaves for its opener before it unloads.
    int ModalResult = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPointer<QPushButton> default_;
    QPointer<QPushButton> cancel_;
};

// Shows the window modal over owner and returns once it has unloaded (or
// owner has gone), with the ModalResult it left.
int RunModal(ModalForm& window, QWidget* owner);

// Loads T's default instance and runs it modal over owner.
template <class T> int ShowModal(QWidget* owner) { return RunModal(Instance<T>(), owner); }

// A drop-down list with an editable text field: the operator picks an item
// or types; typed text is never added as an item and never completed from
// the items, so the field shows exactly what was typed.
class DropDownList : public QComboBox {
    Q_OBJECT
public:
    explicit DropDownList(QWidget* parent = nullptr);
    // Sets the field's text without touching the items.
    void SetText(const QString& text);
};

// A list's design content: its items, or the numbers 1 to numbers each
// followed by a blank ("1 ", "2 ", ...), and the item it shows at load.
struct ListItems {
    std::span<const char* const> items;
    int numbers = 0;
    int shown = 0;
};
// Replaces the list's items and shows the item of the design.
void FillList(DropDownList& list, const ListItems& content);

// The window sees every key before the control with the focus: the handler
// gets each key press meant for the window once, before any control of it,
// and returns true when the key is used up (the control then never sees
// it). A key counts at its first delivery: to the focus control when the
// focus is inside the window, else to the window itself.
class KeyPreview : public QObject {
    Q_OBJECT
public:
    KeyPreview(QWidget* window, std::function<bool(QKeyEvent*)> handler);
    ~KeyPreview() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    std::function<bool(QKeyEvent*)> handler_;
};

// A label with a single dark line around it (the value labels).
class BoxLabel : public QLabel {
    Q_OBJECT
public:
    explicit BoxLabel(const QString& text, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A frame with an etched border and its caption set into the top edge; a
// frame without caption is a plain etched box.
class Frame : public QWidget {
    Q_OBJECT
public:
    explicit Frame(const QString& caption, QWidget* parent = nullptr);
    QString caption() const { return caption_; }
    void SetCaptionColour(const QColor& colour);
    void SetCaptionFont(const QFont& font);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
    QColor captionColour_;
    QFont captionFont_;
    bool ownFont_ = false;
};

// Adds a tab with the given caption whose page is filled by one frame
// without caption; the controls of the tab go into that frame.
Frame* AddTabPage(QTabWidget* tabs, const QString& caption);

// A picture of the station's own drawing (the windows' explanatory
// diagrams): the painter function draws it into the control's whole area.
class PaintedPicture : public QWidget {
    Q_OBJECT
public:
    using Painter = std::function<void(QPainter&, const QRect&)>;
    PaintedPicture(Painter painter, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Painter painter_;
};

// A push button whose caption wraps onto a second line where it is wider
// than the button, as the station's narrow buttons need ("TIME SET").
class CommandButton : public QPushButton {
    Q_OBJECT
public:
    explicit CommandButton(const QString& caption, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A status bar of fixed panels: text panels written by the window, and
// date and time panels that the bar keeps current itself.
class StatusBar : public QFrame {
    Q_OBJECT
public:
    // Time shows hours, minutes and seconds, ShortTime hours and minutes.
    enum class Kind { Text, Date, Time, ShortTime };
    struct PanelDef {
        Kind kind;
        const char* text;
        int widthTwips;
    };
    StatusBar(const PanelDef* panels, int count, QWidget* parent = nullptr);

    // Panels are numbered from 1, as the window's code names them.
    QString PanelText(int panel) const;
    void SetPanelText(int panel, const QString& text);
    int PanelCount() const { return static_cast<int>(panels_.size()); }
    QLabel* Panel(int panel) const;
    void RefreshClock();

private:
    std::vector<QLabel*> panels_;
    std::vector<Kind> kinds_;
    QTimer clock_;
};

} // namespace forms
