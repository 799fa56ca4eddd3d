// placeholder until the live poll lands
#include "device/Met1.h"
Met1& Met1::instance() { static Met1* m = new Met1; return *m; }
Met1::Met1() { Timer1.setInterval(500); }
void Met1::LivePoll() {}
void Met1::D_Byte(uint8_t) {}
void Met1::Timer1_Timer() {}
void SwitchLivePoll(bool on) { if (on) Met1::instance().Timer1.start(); else Met1::instance().Timer1.stop(); }
