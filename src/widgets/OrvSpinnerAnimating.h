#pragma once

#include <QColor>
#include <QSizeF>

namespace corvale {

class SpinnerLayer;

// An animation of a spinner: fills a layer with shapes of the given colour and attaches their
// endlessly repeating animations. Called by the view with its own layer, a square of the
// spinner's size, and its colour, each time the animation is (re)applied.
class OrvSpinnerAnimating
{
public:
    virtual ~OrvSpinnerAnimating() = default;
    virtual void setupSpinnerAnimation(SpinnerLayer &layer, const QSizeF &size, const QColor &color) = 0;
};

} // namespace corvale
