#pragma once

#include <QRect>
#include <QSizeF>

#include <optional>

namespace corvale {

// Where a flat button puts its image and its title: plain functions of the button's size, the
// image's and the title's sizes, the spacing and the image position, so that the rules can be
// checked without painting. x runs right from the left edge, y down from the top edge.
//
// With hug the image and the title form a centred group with twice the spacing between them;
// without it they sit at opposite edges, each one spacing in from its edge.
class FlatButtonPlacement
{
public:
    enum ImagePosition {
        NoImage = 0,
        ImageOnly = 1,
        ImageLeft = 2,
        ImageRight = 3,
        ImageBelow = 4,
        ImageAbove = 5,
        ImageOverlaps = 6,
        ImageLeading = 7,
        ImageTrailing = 8,
    };

    struct Input
    {
        QSizeF button;
        std::optional<QSizeF> image; // none: the button has no image
        std::optional<QSizeF> title; // none: the button has no title
        double spacing = 0;
        ImagePosition position = NoImage;
        bool hug = false;
        Qt::LayoutDirection direction = Qt::LeftToRight;
    };

    // Leading and trailing become left and right, or right and left in a right-to-left layout.
    static ImagePosition effectivePosition(ImagePosition position, Qt::LayoutDirection direction);
    // The image's rectangle, at its own size; none when the image is not shown.
    static std::optional<QRect> imageFrame(const Input &input);
    // The title's rectangle, at its measured size rounded up; none when the title is not shown.
    static std::optional<QRect> titleFrame(const Input &input);
};

} // namespace corvale
