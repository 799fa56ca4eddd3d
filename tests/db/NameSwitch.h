#pragma once
// Every connection the station opens switches off SQLite's reading of a
// quoted name that the file lacks as a text. While an IgnoredNameSwitch
// lives, the switch does not take, as on an SQLite that ignores it: the
// tests' own sqlite3_db_config (NameSwitch.cpp) stands in for SQLite's in
// the test program, leaves that setting as it is and hands every other
// call on to SQLite.

class IgnoredNameSwitch {
public:
    IgnoredNameSwitch();
    ~IgnoredNameSwitch();
    IgnoredNameSwitch(const IgnoredNameSwitch&) = delete;
    IgnoredNameSwitch& operator=(const IgnoredNameSwitch&) = delete;
};
