#pragma once

#include "DynamicStackedViewSector.h"

#include <QtGlobal>

namespace corvale {

// Told by a VisualDataCell of what the user does with its bar, with the cell's row number.
// Called on the GUI thread from inside the bar's mouse and menu handling: a receiver may rebuild
// the rows table, but must let Qt delete the old cells later (deleteLater), never at once.
class VisualDataCellDelegate
{
public:
    virtual ~VisualDataCellDelegate() = default;
    virtual void didSelectSector(const std::shared_ptr<DynamicStackedViewSector> &sector, qint64 row) = 0;
    virtual void didRemoveSelectionInRow(qint64 row) = 0;
    virtual void willOpenMenuForSector(const std::shared_ptr<DynamicStackedViewSector> &sector, qint64 row)
        = 0;
};

} // namespace corvale
