#pragma once
// Checks on a modal window, made while its modal loop runs, that cannot
// hold the test when they fail. The checks run at the first turn of the
// loop; a failed ASSERT returns from them early, before they close the
// window, and the loop would then run until ctest's timeout. So whatever
// modal window is still up when the checks end is taken down (its close
// guard lifted and unloaded) and the test fails at once. A watchdog does
// the same for a window that only came up after the checks had run.
//
//     ModalCheck check([&] {
//         auto* w = dynamic_cast<Inport1*>(QApplication::activeModalWidget());
//         ASSERT_NE(w, nullptr);
//         ...
//         w->Command2->click();   // the checks close the window themselves
//     });
//     opener->click();            // returns once the window has gone

#include "platform/forms/Forms.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace testsupport {

// Takes down every modal window still up; true if there was one.
inline bool EndModalWindows()
{
    bool any = false;
    // Bounded: a window that will not go must not turn this into the hang.
    for (int i = 0; i < 8; ++i) {
        QWidget* w = QApplication::activeModalWidget();
        if (!w)
            break;
        any = true;
        if (auto* form = qobject_cast<forms::Form*>(w)) {
            form->CloseGuard = false;
            form->Unload();
        } else if (auto* dialog = qobject_cast<QDialog*>(w)) {
            dialog->reject();
        }
        if (QApplication::activeModalWidget() == w)
            w->hide();
    }
    return any;
}

class ModalCheck {
public:
    explicit ModalCheck(std::function<void()> checks, int watchdogMs = 15000)
        : checks_(std::move(checks))
    {
        run_.setSingleShot(true);
        QObject::connect(&run_, &QTimer::timeout, &run_, [this] {
            checks_();
            if (EndModalWindows())
                ADD_FAILURE() << "the modal window was still up when its checks ended";
        });
        run_.start(0);
        watchdog_.setSingleShot(true);
        QObject::connect(&watchdog_, &QTimer::timeout, &watchdog_, [] {
            if (EndModalWindows())
                ADD_FAILURE() << "a modal window was still up when the watchdog fired";
        });
        watchdog_.start(watchdogMs);
    }
    ModalCheck(const ModalCheck&) = delete;
    ModalCheck& operator=(const ModalCheck&) = delete;

private:
    std::function<void()> checks_;
    QTimer run_;
    QTimer watchdog_;
};

} // namespace testsupport
