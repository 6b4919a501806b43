#include "MediaClock.h"

#include <QElapsedTimer>

namespace corvale {

double MediaClock::now() const
{
    static const QElapsedTimer started = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return started.nsecsElapsed() / 1e9;
}

const MediaClock *MediaClock::system()
{
    static const MediaClock clock;
    return &clock;
}

} // namespace corvale
