#include "platform/forms/DefaultInstances.h"

#include <QCloseEvent>

namespace forms {

Form::Form(QWidget* parent) : QWidget(parent)
{
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
}

bool Form::Unload()
{
    // A refused unload leaves the window exactly as it was: no clean-up runs
    // for an unload that does not happen.
    if (CloseGuard)
        return false;
    Form_Unload();
    loaded_ = false;
    if (release_) {
        auto release = std::move(release_);
        release();
    }
    hide();
    emit Unloaded();
    deleteLater();
    return true;
}

void Form::closeEvent(QCloseEvent* event)
{
    // The close box is one more unload request; Unload hides the window
    // itself when it goes through.
    event->ignore();
    Unload();
}

} // namespace forms
