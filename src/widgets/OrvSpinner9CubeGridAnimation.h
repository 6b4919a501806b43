#pragma once

#include "OrvSpinnerAnimating.h"

namespace corvale {

// Nine cubes of a third of the width each in a 3 × 3 grid. Each grows from nothing, holds,
// and shrinks back every 1.5 s; the diagonals start 0.1 s apart from the cube at the layer's
// origin, so a wave runs across the grid.
class OrvSpinner9CubeGridAnimation : public OrvSpinnerAnimating
{
public:
    static constexpr double cycleDuration = 1.5;
    static constexpr double diagonalDelay = 0.1;

    void setupSpinnerAnimation(SpinnerLayer &layer, const QSizeF &size, const QColor &color) override;
};

} // namespace corvale
