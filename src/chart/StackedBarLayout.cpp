#include "StackedBarLayout.h"

#include <algorithm>
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
    if (shares.size() > 1) {
        // Boxes that could not be a point wide on the whole bar go before the pass. Left in, each
        // takes a gap off the width the others are measured against: with about as many sectors
        // as points, that width is near zero and even the largest share would look too narrow.
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
    if (visible == 0 && !shares.empty()) {
        // Never a blank bar while anything has a size: the largest share shows, alone.
        const auto largest = std::size_t(std::max_element(shares.begin(), shares.end()) - shares.begin());
        if (shares[largest] > 0) {
            layout.boxes[largest].hidden = false;
            // Summed afresh in double: a float R after thousands of subtractions can be off by
            // a tenth of a small share, and the lone box would overshoot the bar.
            double total = 0;
            for (const float share : shares)
                total += share;
            remaining = float(1.0 - total + shares[largest]);
            visible = 1;
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

namespace {

int keptOnBar(double x, double barWidth, int popupWidth)
{
    if (x < 0)
        x = 0;
    if (x + popupWidth > barWidth)
        x = barWidth - popupWidth;
    return int(std::round(x));
}

} // namespace

int StackedBarLayout::popupX(const QRectF &frame, double barWidth, int popupWidth)
{
    return keptOnBar(frame.x() + frame.width() * 0.5 - popupWidth * 0.5, barWidth, popupWidth);
}

int StackedBarLayout::anchoredPopupX(const QRectF &frame, double barWidth, int popupWidth)
{
    return keptOnBar(frame.x(), barWidth, popupWidth);
}

} // namespace corvale
