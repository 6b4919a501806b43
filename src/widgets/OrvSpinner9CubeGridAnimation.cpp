#include "OrvSpinner9CubeGridAnimation.h"

#include "MediaTimingFunction.h"
#include "SpinnerLayer.h"

namespace corvale {

void OrvSpinner9CubeGridAnimation::setupSpinnerAnimation(
    SpinnerLayer &layer, const QSizeF &size, const QColor &color)
{
    // The layer's own time, not the raw clock: after a pause the two differ, and begin times
    // on the clock would keep a freshly made grid invisible for as long as it had been paused.
    const double start = layer.currentTime();
    const double edge = size.width() / 3;
    const QEasingCurve ease = MediaTimingFunction::easeInEaseOut();

    for (int diagonal = 0; diagonal <= 4; ++diagonal) {
        for (int column = 0; column <= 2; ++column) {
            const int row = diagonal - column;
            if (row < 0 || row > 2)
                continue;
            SpinnerShape cube;
            cube.frame = QRectF(edge * column, edge * row, edge, edge);
            cube.color = color;
            cube.modelScale = 0;
            ScaleKeyframeAnimation grow;
            grow.beginTime = start + diagonal * diagonalDelay;
            grow.duration = cycleDuration;
            grow.repeatsForever = true;
            grow.keyTimes = {0.0, 0.4, 0.6, 1.0};
            grow.values = {0.0, 1.0, 1.0, 0.0};
            grow.timingFunctions = {ease, ease, ease, ease};
            cube.animation = grow;
            layer.addShape(std::move(cube));
        }
    }
}

} // namespace corvale
