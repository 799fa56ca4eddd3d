#pragma once
// The window's key preview: every key before the control with the focus.

#include <QObject>
#include <functional>

class QKeyEvent;
class QWidget;

namespace forms {

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

} // namespace forms
