// StorageWindowController: the drill-down rows.

#include "ByteCount.h"
#include "FolderVisualData.h"
#include "StorageWindowController.h"

namespace corvale {

Sectors StorageWindowController::updateDataInSectors(const Sectors &sectors)
{
    auto nodeSize = [](const std::shared_ptr<DynamicStackedViewSector> &sector) -> quint64 {
        const auto node = sector->represented<FolderVisualData>();
        return node ? node->size() : 0;
    };
    quint64 total = 0;
    for (const auto &sector : sectors)
        total += nodeSize(sector);
    for (const auto &sector : sectors) {
        const quint64 size = nodeSize(sector);
        sector->setSectorPercentage(total == 0 ? 0.0f : float(size) / float(total));
        sector->setSubtitle(byteCountText(size));
    }
    return sectors;
}

} // namespace corvale
