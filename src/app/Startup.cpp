#include "app/Startup.h"

#include "app/Pages.h"
#include "app/frmSplash.h"
#include "platform/db/DatabaseFile.h"
#include "platform/forms/Forms.h"
#include "app/ssqxChart.h"

#include <QApplication>

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
