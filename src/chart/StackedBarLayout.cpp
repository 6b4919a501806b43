#include "StackedBarLayout.h"

#include <cmath>

namespace corvale {

namespace {

double availableWidth(double width, double spacing, std::size_t count)
{
    // With a spacing of 1 the visible boxes and the gaps between them fill the width exactly.
    return count == 1 ? width : width - spacing * double(count) + 1;
}

} // namespace

StackedBarLayout StackedBarLayout::compute(
    std::span<const float> shares, double width, double height, double spacing)
{
    StackedBarLayout layout;
    if (width <= 0 || height <= 0)
        return layout;
    layout.valid = true;
    layout.barHeight = height - kStripTopGap - kStripBottom;
    layout.boxes.resize(shares.size());

    double available = availableWidth(width, spacing, shares.size());
    float remaining = 1.0f;
    if (shares.size() > 1 && available < 0) {
        // More boxes than the bar has room for gaps: measured against a negative width, every
        // share would look too narrow, the largest most of all, and the bar would show the
        // slivers. So the boxes that could not be a point wide on the whole bar go first.
        std::size_t candidates = 0;
        for (std::size_t i = 0; i < shares.size(); ++i) {
            if ((width + 1) * shares[i] < 1.0) {
                layout.boxes[i].hidden = true;
                remaining -= shares[i];
            } else {
                ++candidates;
            }
        }
        available = availableWidth(width, spacing, candidates);
    }
    std::size_t visible = 0;
    for (std::size_t i = 0; i < shares.size(); ++i) {
        if (layout.boxes[i].hidden)
            continue;
        const float share = shares[i];
        const double w = available * share;
        if (w >= 1.0) {
            ++visible;
        } else {
            // Later boxes are measured against the grown width, as the hidden one gave its room back.
            available += spacing + w;
            remaining -= share;
            layout.boxes[i].hidden = true;
        }
    }

    available = availableWidth(width, spacing, visible);
    double x = 0;
    for (std::size_t i = 0; i < shares.size(); ++i) {
        Box &box = layout.boxes[i];
        const double w = available * shares[i] / remaining;
        if (w >= 0 && !box.hidden) {
            box.placed = true;
            box.frame = QRectF(x, 0, w, layout.barHeight);
            x += w + spacing;
        }
    }
    return layout;
}

int StackedBarLayout::popupX(const QRectF &frame, double barWidth)
{
    double x = frame.x() + frame.width() * 0.5 - kPopupWidth * 0.5;
    if (x < 0)
        x = 0;
    if (x + kPopupWidth > barWidth)
        x = barWidth - kPopupWidth;
    return int(std::round(x));
}

int StackedBarLayout::anchoredPopupX(const QRectF &frame)
{
    return int(std::round(frame.x()));
}

} // namespace corvale
