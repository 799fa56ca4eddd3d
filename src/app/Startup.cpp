#include "app/Startup.h"

#include "app/Pages.h"
#include "app/frmSplash.h"
#include "platform/db/DatabaseFile.h"
#include "platform/forms/Forms.h"
#include "app/ssqxChart.h"

#include <QApplication>

void StartStation(QApplication& app)
{
    forms::SetUpStation(app);
    db::InstallIfMissing();
    InstallHomeWindow();
    chart::InstallOverviewChart();
    forms::Instance<frmSplash>().show();
}
