#pragma once
// The station's start: its end on a signal arranged, the database installed
// before any window opens a connection, the chart hooked into the overview,
// then the splash shown.

class QApplication;

// Everything before the splash: what a bench or a test needs to open the
// overview itself.
void PrepareStation(QApplication& app);
// Ends the station on SIGTERM, SIGHUP and SIGINT as "退出" does, with its
// database closed, from the event loop. Part of StartStation.
void EndOnSignals(QApplication& app);
void StartStation(QApplication& app);

// Whether Qt has somewhere to show the windows: a desktop session (DISPLAY
// or WAYLAND_DISPLAY set), or a platform named by QT_QPA_PLATFORM or the
// -platform argument (offscreen, as the tests run). Where it has not, says
// so in one line on standard error: Qt's own message on the missing
// platform plugin would advise a reinstall, which fixes nothing.
bool CanShowWindows(int argc, char** argv);
