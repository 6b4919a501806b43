#pragma once

#include "ScaleKeyframeAnimation.h"

#include <QColor>
#include <QRectF>

#include <optional>

namespace corvale {

// One shape of a spinner: a filled square in its layer, scaled about its centre.
struct SpinnerShape
{
    QRectF frame; // in layer coordinates: y runs up from the layer's bottom edge
    QColor color;
    double modelScale = 1; // shown whenever the animation is not in effect
    std::optional<ScaleKeyframeAnimation> animation;

    double scaleAt(double layerTime) const
    {
        if (animation) {
            if (const auto value = animation->valueAt(layerTime))
                return *value;
        }
        return modelScale;
    }
};

} // namespace corvale
