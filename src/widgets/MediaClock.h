#pragma once

namespace corvale {

// The monotonic clock that time-based animations read, in seconds. The default instance reads
// a process-wide QElapsedTimer; tests subclass it to set the time by hand. GUI thread only.
class MediaClock
{
public:
    virtual ~MediaClock() = default;
    virtual double now() const;

    // The shared steady clock; never null, lives for the whole process.
    static const MediaClock *system();
};

} // namespace corvale
