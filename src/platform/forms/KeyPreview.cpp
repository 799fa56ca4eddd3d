#include "platform/forms/KeyPreview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace forms {

KeyPreview::KeyPreview(QWidget* window, std::function<bool(QKeyEvent*)> handler)
    : QObject(window), window_(window), handler_(std::move(handler))
{
    qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview() { qApp->removeEventFilter(this); }

bool KeyPreview::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !handler_)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != window_)
        return false;
    // Qt offers a key that a control leaves unused to its parents as well;
    // the window sees each key once, at its first delivery: to the focus
    // control, or to the window itself when nothing inside has the focus.
    QWidget* focus = QApplication::focusWidget();
    QWidget* first = (focus && focus->window() == window_) ? focus : window_;
    if (widget != first)
        return false;
    return handler_(static_cast<QKeyEvent*>(event));
}

} // namespace forms
