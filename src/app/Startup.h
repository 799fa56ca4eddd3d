#pragma once
// The station's start: the database installed before any window opens a
// connection, the chart hooked into the overview, then the splash shown.

class QApplication;

// Everything before the splash: what a bench or a test needs to open the
// overview itself.
void PrepareStation(QApplication& app);
void StartStation(QApplication& app);
