#include "app/frmSplash.h"
#include "platform/db/DatabaseFile.h"
#include "platform/forms/Forms.h"
#include "trend/ssqxChart.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    forms::SetUpStation(app);
    db::InstallIfMissing();
    chart::InstallOverviewChart();
    forms::Instance<frmSplash>().show();
    return app.exec();
}
