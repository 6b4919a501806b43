#pragma once

#include <QEasingCurve>
#include <QList>

#include <optional>

namespace corvale {

// A keyframe animation of a uniform scale, evaluated on the time line of the layer that holds
// it: value i is reached at key time i (a fraction of the duration), and the way from value i
// to value i + 1 follows timing function i. A plain value: it keeps no clock of its own.
struct ScaleKeyframeAnimation
{
    double beginTime = 0; // seconds, in the holding layer's time
    double duration = 0; // seconds, one cycle
    bool repeatsForever = false;
    QList<double> keyTimes;
    QList<double> values;
    QList<QEasingCurve> timingFunctions; // missing ones are linear

    // The scale at `time`, or none when the animation is not in effect (before it begins, or
    // after the end of one that does not repeat), so that the model value shows.
    std::optional<double> valueAt(double time) const;
};

} // namespace corvale
