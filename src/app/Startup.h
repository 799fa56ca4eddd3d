#pragma once
// The station's start: the database installed before any window opens a
// connection, the chart hooked into the overview, then the splash shown.

class QApplication;

void StartStation(QApplication& app);
