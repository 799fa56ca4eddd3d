// The station started as its main() starts it, with a script of an
// operator on top: once the overview shows, "打开"; once the poll has read
// the controller and the recorder has had time to store rows, Esc on the
// overview. Prints "esc" before the key, "atexit" should the normal exit
// handlers run, and "close N" for every port close.
//
//   station_exit_child [signal]
//     With "signal", no Esc: it prints "ready" instead and runs on, for the
//     test to end it with a signal (or by itself after 20 s).

#include "app/Startup.h"
#include "app/ssqx.h"
#include "device/Met1.h"
#include "platform/forms/Forms.h"
#include "platform/modbus/modbus_link.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const bool bySignal = argc > 1 && QByteArray(argv[1]) == "signal";
    StartStation(app);

    modbus::SetCallObserver([](const modbus::CallRecord& r) {
        if (r.call == modbus::Call::Close) {
            std::printf("close %d\n", r.port);
            std::fflush(stdout);
        }
    });
    std::atexit([] {
        std::printf("atexit\n");
        std::fflush(stdout);
    });

    QElapsedTimer sinceStart, sinceOpen;
    sinceStart.start();
    int phase = 0;
    QTimer script;
    script.setInterval(100);
    QObject::connect(&script, &QTimer::timeout, [&] {
        if (phase == 0) {
            if (forms::IsLoaded<ssqx>() && forms::Instance<ssqx>().isVisible()) {
                forms::Instance<ssqx>().Command9->click();
                sinceOpen.start();
                phase = 1;
            } else if (sinceStart.elapsed() > 20000) {
                std::printf("no overview\n");
                std::_Exit(4);
            }
        } else if (phase == 1) {
            if (StatusValues[0] == 123.0f && sinceOpen.elapsed() > 2500 && bySignal) {
                std::printf("ready\n");
                std::fflush(stdout);
                phase = 3;
                sinceOpen.restart();
            } else if (StatusValues[0] == 123.0f && sinceOpen.elapsed() > 2500) {
                ssqx& w = forms::Instance<ssqx>();
                QWidget* focus = QApplication::focusWidget();
                QWidget* target = focus && focus->window() == &w ? focus : &w;
                std::printf("esc\n");
                std::fflush(stdout);
                phase = 2;
                sinceOpen.restart();
                QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QCoreApplication::sendEvent(target, &esc);
            } else if (sinceOpen.elapsed() > 20000) {
                std::printf("no poll\n");
                std::_Exit(5);
            }
        } else if (sinceOpen.elapsed() > (phase == 3 ? 20000 : 2000)) {
            std::printf("still running\n");
            std::_Exit(3);
        }
    });
    script.start();
    return app.exec();
}
