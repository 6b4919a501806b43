#pragma once

// Measures how long the GUI thread goes without handling its events: a 1 ms timer notes the gap
// between its ticks while the event loop runs, and the longest gap is the longest stall.

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QObject>
#include <QTimerEvent>

#include <algorithm>

class StallMeter : public QObject
{
public:
    void start()
    {
        m_longest = 0;
        m_clock.start();
        m_last = 0;
        m_timer.start(1, Qt::PreciseTimer, this);
    }
    // The longest gap in ms since start().
    double stop()
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
    void tick()
    {
        const double now = double(m_clock.nsecsElapsed()) / 1e6;
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }

    QBasicTimer m_timer;
    QElapsedTimer m_clock;
    double m_last = 0;
    double m_longest = 0;
};
