#pragma once
// The splash window: sets the charts' Y span, waits about one and a half
// seconds and hands over to the overview, loading the live poll and the
// recorder on the way.

#include "platform/forms/Forms.h"

#include <QLabel>
#include <QTimer>
#include <cstdint>

class frmSplash : public forms::Form {
    Q_OBJECT
public:
    frmSplash();

    QTimer Timer1;  // 100 ms, the hand-over
    QTimer Timer2;  // 200 ms, the wait
    QLabel* Label1 = nullptr;

    void Timer2_Timer();
    void Timer1_Timer();
    int16_t ticks() const { return ticks_; }

protected:
    void Form_Unload() override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Form_Load();
    int16_t ticks_ = 0;
};
