#pragma once

#include "DynamicStackedViewSector.h"

namespace corvale {

class DynamicStackedView;

// Told by a DynamicStackedView of what the user does with its sectors. Called on the GUI thread
// from inside the bar's mouse handling: a receiver that rebuilds the bar (setData) may do so, but
// must not delete the bar or its parent synchronously; use deleteLater().
class DynamicStackedViewDelegate
{
public:
    virtual ~DynamicStackedViewDelegate() = default;
    // A click selected `sector` (not sent when a selection is restored from the records).
    virtual void didSelectSector(
        const std::shared_ptr<DynamicStackedViewSector> &sector, DynamicStackedView *view)
        = 0;
    // A click removed the bar's selection.
    virtual void didRemoveSelectionInView(DynamicStackedView *view) = 0;
    // The sector's context menu is about to open: prepare it for this sector.
    virtual void willOpenMenuForSector(
        const std::shared_ptr<DynamicStackedViewSector> &sector, DynamicStackedView *view)
        = 0;
};

} // namespace corvale
