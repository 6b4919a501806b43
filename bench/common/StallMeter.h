#pragma once

// Measures how long the GUI thread goes without handling its events: a 1 ms timer notes the gap
// between its ticks while the event loop runs. The longest gap in wall time also counts time the
// thread waited for a core on a busy machine; the longest gap in the thread's own CPU time is the
// work done in one go, whatever else runs.

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QObject>
#include <QTimerEvent>

#include <algorithm>
#include <ctime>

class StallMeter : public QObject
{
public:
    struct Stall
    {
        double wall = 0; // ms
        double cpu = 0; // ms of the GUI thread's CPU time
    };

    void start()
    {
        m_longest = {};
        m_clock.start();
        m_last = {0, cpuNow()};
        m_timer.start(1, Qt::PreciseTimer, this);
    }
    // The longest gaps since start().
    Stall stop()
    {
        tick();
        m_timer.stop();
        return m_longest;
    }

protected:
    void timerEvent(QTimerEvent *event) override
    {
        if (event->timerId() == m_timer.timerId())
            tick();
    }

private:
    static double cpuNow()
    {
        timespec ts;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
    }
    void tick()
    {
        const Stall now {double(m_clock.nsecsElapsed()) / 1e6, cpuNow()};
        m_longest.wall = std::max(m_longest.wall, now.wall - m_last.wall);
        m_longest.cpu = std::max(m_longest.cpu, now.cpu - m_last.cpu);
        m_last = now;
    }

    QBasicTimer m_timer;
    QElapsedTimer m_clock;
    Stall m_last;
    Stall m_longest;
};
