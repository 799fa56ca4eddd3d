#include "app/Startup.h"

#include "app/Pages.h"
#include "app/frmSplash.h"
#include "platform/db/DatabaseFile.h"
#include "platform/forms/Forms.h"
#include "app/ssqxChart.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool IsSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

} // namespace

bool CanShowWindows(int argc, char** argv)
{
    if (IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM"))
        return true;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strncmp(arg, "--", 2) == 0)
            ++arg;   // Qt takes its options with one dash or two
        if (std::strcmp(arg, "-platform") == 0 && i + 1 < argc)
            return true;
    }
    std::fprintf(stderr, "zc4160-station needs a desktop session: neither DISPLAY nor "
                         "WAYLAND_DISPLAY is set\n");
    return false;
}

void PrepareStation(QApplication& app)
{
    forms::SetUpStation(app);
    db::InstallIfMissing();
    InstallHomeWindow();
    chart::InstallOverviewChart();
}

void StartStation(QApplication& app)
{
    PrepareStation(app);
    forms::Instance<frmSplash>().show();
}
