#pragma once
// The recorder: the hidden window mscom whose 100 ms timer writes the live
// values into the database rings and stores requested records.

#include <QObject>

class mscom : public QObject {
    Q_OBJECT
public:
    // The single instance, loaded hidden with its timer running.
    static mscom& instance();
private:
    mscom();
};
