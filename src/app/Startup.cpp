#include "app/Startup.h"

#include "app/frmSplash.h"
#include "platform/db/DatabaseFile.h"
#include "platform/forms/Forms.h"
#include "trend/ssqxChart.h"

#include <QApplication>

void StartStation(QApplication& app)
{
    forms::SetUpStation(app);
    db::InstallIfMissing();
    chart::InstallOverviewChart();
    forms::Instance<frmSplash>().show();
}
