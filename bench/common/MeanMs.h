#pragma once
// Mean time of a call in milliseconds, after one warm-up call.

#include <QElapsedTimer>

template <typename F>
double MeanMs(int runs, F&& f)
{
    f();   // warm up
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < runs; ++i)
        f();
    return t.nsecsElapsed() / 1e6 / runs;
}
