#include "ScaleKeyframeAnimation.h"

#include <cmath>

namespace corvale {

std::optional<double> ScaleKeyframeAnimation::valueAt(double time) const
{
    if (time < beginTime || duration <= 0 || values.isEmpty() || keyTimes.size() != values.size())
        return std::nullopt;
    double elapsed = time - beginTime;
    if (repeatsForever)
        elapsed = std::fmod(elapsed, duration);
    else if (elapsed > duration)
        return std::nullopt;
    const double fraction = elapsed / duration;

    if (fraction <= keyTimes.first())
        return values.first();
    for (qsizetype i = 0; i + 1 < keyTimes.size(); ++i) {
        const double from = keyTimes[i];
        const double to = keyTimes[i + 1];
        if (fraction > to)
            continue;
        const double progress = to > from ? (fraction - from) / (to - from) : 1.0;
        const double eased
            = i < timingFunctions.size() ? timingFunctions[i].valueForProgress(progress) : progress;
        return values[i] + (values[i + 1] - values[i]) * eased;
    }
    return values.last();
}

} // namespace corvale
