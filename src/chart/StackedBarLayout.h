#pragma once

#include <QRectF>

#include <span>
#include <vector>

namespace corvale {

// The geometry rules of a stacked bar, apart from any widget so that tests can call them.
//
// Coordinates are those of the bar's rules: origin at the bottom left, y upward, W × H being
// the bar's size. The strip of boxes lies at (0, 6, W, H − 20); each box frame is given in the
// strip's own coordinates as (x, 0, w, b). The widget side maps these onto Qt's top-left origin
// (see DynamicStackedView). Arithmetic is double, except the remaining share R, which is a
// 32-bit float like the shares themselves, so results match the rules to the last bit.
struct StackedBarLayout
{
    struct Box
    {
        bool hidden = false; // narrower than one point in the first pass
        bool placed = false; // given `frame` in the second pass; a visible box not placed keeps its frame
        QRectF frame;
    };

    bool valid = false; // false for a bar without area: nothing is to change
    double barHeight = 0; // b = H − 20, not clamped
    std::vector<Box> boxes; // one per share, in display order

    static constexpr double kStripBottom = 6;
    static constexpr double kStripTopGap = 14;

    // Two passes, linear in the number of shares: the first hides boxes narrower than one
    // point (their width and a spacing go back to the available width, their share leaves R),
    // the second places the visible ones from the left, widened by 1/R to fill the bar. Boxes
    // narrower than a point on the whole bar are hidden before the first pass, which then sees
    // only the others; and if nothing is left visible, the largest non-zero share shows alone.
    static StackedBarLayout compute(
        std::span<const float> shares, double width, double height, double spacing);

    // Where the popup goes when box `frame` (strip coordinates; the strip starts at x 0) is
    // highlighted: centred over the box, kept within the bar, rounded half away from zero.
    // A bar narrower than the popup gives a negative x.
    static int popupX(const QRectF &frame, double barWidth, int popupWidth = kPopupWidth);
    // Where a layout pass re-anchors the popup of the highlighted box: at its left edge, rounded,
    // and kept within the bar as hovering keeps it.
    static int anchoredPopupX(const QRectF &frame, double barWidth, int popupWidth = kPopupWidth);

    static constexpr int kPopupWidth = 120;
    static constexpr int kPopupHeight = 36;
    static constexpr int kPopupBottomBelowTop = 32; // popup y = H − 32, so it reaches 4 above the top
};

} // namespace corvale
