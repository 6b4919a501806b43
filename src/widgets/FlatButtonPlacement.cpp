#include "FlatButtonPlacement.h"

#include <cmath>

namespace corvale {

FlatButtonPlacement::ImagePosition FlatButtonPlacement::effectivePosition(
    ImagePosition position, Qt::LayoutDirection direction)
{
    const bool rtl = direction == Qt::RightToLeft;
    if (position == ImageLeading)
        return rtl ? ImageRight : ImageLeft;
    if (position == ImageTrailing)
        return rtl ? ImageLeft : ImageRight;
    return position;
}

std::optional<QRect> FlatButtonPlacement::imageFrame(const Input &input)
{
    if (!input.image || input.position == NoImage)
        return std::nullopt;
    const double w = input.button.width(), h = input.button.height();
    const double iw = input.image->width(), ih = input.image->height();
    const double tw = input.title ? input.title->width() : 0, th = input.title ? input.title->height() : 0;
    const double s = input.spacing;
    const bool hug = input.hug;

    double x = 0, y = 0;
    switch (effectivePosition(input.position, input.direction)) {
    case ImageOnly:
    case ImageOverlaps:
        x = (w - iw) / 2;
        y = (h - ih) / 2;
        break;
    case ImageLeft:
        x = hug ? (w - iw - tw) / 2 - s : s;
        y = (h - ih) / 2;
        break;
    case ImageRight:
        x = hug ? (w - iw + tw) / 2 + s : w - iw - s;
        y = (h - ih) / 2;
        break;
    case ImageBelow:
        x = (w - iw) / 2;
        y = hug ? (h - ih + th) / 2 + s : h - ih - s;
        break;
    case ImageAbove:
        x = (w - iw) / 2;
        y = hug ? (h - ih - th) / 2 - s : s;
        break;
    default:
        break;
    }
    return QRect(int(std::round(x)), int(std::round(y)), int(std::round(iw)), int(std::round(ih)));
}

std::optional<QRect> FlatButtonPlacement::titleFrame(const Input &input)
{
    if (!input.title || input.position == ImageOnly)
        return std::nullopt;
    const double w = input.button.width(), h = input.button.height();
    const double iw = input.image ? input.image->width() : 0, ih = input.image ? input.image->height() : 0;
    const double tw = input.title->width(), th = input.title->height();
    const double s = input.spacing;
    const bool hug = input.hug;

    double x = 0, y = 0;
    switch (effectivePosition(input.position, input.direction)) {
    case NoImage:
    case ImageOverlaps:
        x = (w - tw) / 2;
        y = (h - th) / 2;
        break;
    case ImageLeft:
        x = hug ? (w + iw - tw) / 2 + s : w - tw - s;
        y = (h - th) / 2;
        break;
    case ImageRight:
        x = hug ? (w - iw - tw) / 2 - s : s;
        y = (h - th) / 2;
        break;
    case ImageBelow:
        x = (w - tw) / 2;
        y = hug ? (h - ih - th) / 2 - s : s;
        break;
    case ImageAbove:
        x = (w - tw) / 2;
        y = hug ? (h + ih - th) / 2 + s : h - th - s;
        break;
    default:
        break;
    }
    return QRect(int(std::round(x)), int(std::round(y)), int(std::ceil(tw)), int(std::ceil(th)));
}

} // namespace corvale
