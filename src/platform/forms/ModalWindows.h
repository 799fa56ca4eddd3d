#pragma once
// Modal windows: shown over their owner until they unload.

#include "platform/forms/DefaultInstances.h"

#include <QPointer>
#include <QPushButton>

class QKeyEvent;

namespace forms {

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

} // namespace forms
