#include "platform/forms/WayBack.h"

#include <QPointer>

namespace forms {

namespace {
std::function<Form&()>& Home()
{
    static std::function<Form&()> home;
    return home;
}
} // namespace

void SetHomeWindow(std::function<Form&()> home) { Home() = std::move(home); }

void ShowInPlaceOf(Form& window, Form& from)
{
    window.returnTo_ = &from;
    from.hide();
    window.show();
}

void ClosePage(Form& window)
{
    // Taken before the unload, which lets the window go.
    const QPointer<Form> cameFrom = window.returnTo_;
    window.CloseGuard = false;
    window.Unload();
    if (cameFrom && cameFrom->Loaded())
        cameFrom->show();
    else if (Home())
        Home()().show();
}

} // namespace forms
