#pragma once
// The window layer every window of the station stands on: default
// instances, the close guard, twips placement, the editable drop-down list,
// the key preview, captioned frames, word-wrapping buttons, the status bar
// and the station's fonts.

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

class QApplication;
class QKeyEvent;

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
void SetTextColour(QWidget* control, const QColor& colour);
void SetBackColour(QWidget* control, const QColor& colour);

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

protected:
    // The window's own clean-up on an unload that goes through.
    virtual void Form_Unload() {}
    void closeEvent(QCloseEvent* event) override;

private:
    template <class T> friend class DefaultInstance;
    std::function<void()> release_;
};

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

// The window sees every key before the control with the focus: the handler
// gets each key press inside the window first and returns true when the key
// is used up.
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
    enum class Kind { Text, Date, Time };
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
