#pragma once

#include "MediaClock.h"
#include "SpinnerShape.h"

#include <vector>

namespace corvale {

// The shapes of a spinner and the clock they run on.
//
// The layer's local time is (media time − beginTime) × speed + timeOffset, so that pausing
// (speed 0, the offset holding the time reached) freezes every shape where it stands and
// resuming carries on from that phase. Animations are stored with begin times on this local
// time line. Coordinates follow a y axis that points up from the bottom edge; toWidget()
// maps them onto a widget. A plain value owned by its view; the clock is not owned.
class SpinnerLayer
{
public:
    explicit SpinnerLayer(const MediaClock *clock = MediaClock::system());

    const MediaClock *clock() const { return m_clock; }
    // Also resets the time control: times of one clock mean nothing on another.
    void setClock(const MediaClock *clock);

    double localTime(double mediaTime) const;
    double currentTime() const { return localTime(m_clock->now()); }
    bool isPaused() const { return m_speed == 0; }
    void pause();
    void resume();

    const std::vector<SpinnerShape> &shapes() const { return m_shapes; }
    void addShape(SpinnerShape shape);
    void removeAllShapes();
    void setShapeColor(const QColor &color);

    static QRectF toWidget(const QRectF &layerRect, double widgetHeight);

private:
    const MediaClock *m_clock;
    double m_speed = 1;
    double m_timeOffset = 0;
    double m_beginTime = 0;
    std::vector<SpinnerShape> m_shapes;
};

} // namespace corvale
