#include "platform/forms/ModalWindows.h"

#include <QEventLoop>
#include <QKeyEvent>

namespace forms {

ModalForm::ModalForm()
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint);
}

// Both buttons press themselves on Enter while they have the focus.
void ModalForm::SetDefaultButton(QPushButton* button)
{
    default_ = button;
    if (button) {
        button->setAutoDefault(true);
        button->setDefault(true);
    }
}

void ModalForm::SetCancelButton(QPushButton* button)
{
    cancel_ = button;
    if (button)
        button->setAutoDefault(true);
}

void ModalForm::keyPressEvent(QKeyEvent* event)
{
    // Keys that reach the window are those its controls left unused: Enter
    // in a text box or on a check box, Esc anywhere.
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        QPushButton* press = nullptr;
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            press = default_;
        else if (event->key() == Qt::Key_Escape)
            press = cancel_;
        if (press) {
            if (press->isVisible() && press->isEnabled())
                press->click();
            return;
        }
    }
    Form::keyPressEvent(event);
}

int RunModal(ModalForm& window, QWidget* owner)
{
    // A child window of its owner: it stays over it and goes with it.
    if (owner)
        window.setParent(owner, window.windowFlags());
    window.setWindowModality(Qt::ApplicationModal);
    int result = window.ModalResult;
    QPointer<ModalForm> guard = &window;
    QEventLoop loop;
    QObject::connect(&window, &Form::Unloaded, &loop, [&] {
        result = window.ModalResult;
        loop.quit();
    });
    QObject::connect(&window, &QObject::destroyed, &loop, &QEventLoop::quit);
    window.show();
    if (guard && guard->Loaded())
        loop.exec(QEventLoop::DialogExec);
    return result;
}

} // namespace forms
