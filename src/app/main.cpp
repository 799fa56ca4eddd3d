#include "app/Startup.h"
#include "platform/db/FileSizeSignal.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // Before anything is written: under a file size limit the station must
    // see a write fault, not be killed.
    db::IgnoreFileSizeSignal();
    if (!CanShowWindows(argc, argv))
        return 1;
    QApplication app(argc, argv);
    StartStation(app);
    return app.exec();
}
