// StorageWindowController: the drill-down rows. Row i+1 always shows the folder of the selected
// sector of row i, and tableData and pathsData always have one entry per row.

#include "ByteCount.h"
#include "FileManager.h"
#include "FolderVisualData.h"
#include "PathBytes.h"
#include "StorageWindowController.h"
#include "ui_StorageWindowController.h"

#include <QPushButton>

namespace corvale {

void StorageWindowController::didSelectSector(
    const std::shared_ptr<DynamicStackedViewSector> &sector, qint64 row)
{
    // A cell handed out before the rows changed may still report: its row may be gone.
    if (!sector || row < 0 || row >= qint64(m_tableData.size()))
        return;
    m_wasReduced = false;
    clearFilesToDelete();

    const auto node = sector->represented<FolderVisualData>();
    if (node) {
        for (auto &record : m_tableData[size_t(row)]) {
            if (record->represented<FolderVisualData>() == node) {
                record = sector;
                break;
            }
        }
    }
    m_tableData.resize(size_t(row) + 1);
    m_pathsData.resize(row + 1);

    if (node) {
        Entries entries;
        m_tableData.push_back(buildRow(*node, entries));
        m_pathsData.push_back(bytes(node->path()));
        listLooseFiles(bytes(node->path()), entries);
        listEntries(std::move(entries));
    }

    ui->trashButton->setEnabled(false);
    hideTrash();
    reloadFileTable();
    reloadRowsTable();
}

void StorageWindowController::didRemoveSelectionInRow(qint64 row)
{
    if (row < 0)
        return;
    while (qint64(m_tableData.size()) > row + 1) {
        m_tableData.pop_back();
        m_wasReduced = true;
    }
    while (m_pathsData.size() > row + 1)
        m_pathsData.removeLast();

    m_directoryItems.clear();
    ui->trashButton->setEnabled(false);
    hideTrash();

    if (m_wasReduced) {
        const qint64 parent = qint64(m_tableData.size()) - 2;
        if (parent >= 0) {
            const Sectors records = m_tableData[size_t(parent)];
            for (const auto &record : records) {
                if (record->isSelected())
                    listSectorSilently(record);
            }
        } else {
            listSectorSilently(nullptr);
        }
    }

    reloadFileTable();
    reloadRowsTable();
}

void StorageWindowController::didSelectSectorSilently(
    const std::shared_ptr<DynamicStackedViewSector> &sector, qint64 row)
{
    Q_UNUSED(row);
    listSectorSilently(sector);
    reloadFileTable();
}

void StorageWindowController::listSectorSilently(const std::shared_ptr<DynamicStackedViewSector> &sector)
{
    clearFilesToDelete();
    std::shared_ptr<FolderVisualData> node;
    if (sector) {
        node = sector->represented<FolderVisualData>();
    } else if (!m_tableData.empty()) {
        // The chosen folder, as its sub-folder sectors in row 0 show it ("Files" has no children).
        node = std::make_shared<FolderVisualData>();
        node->setPath(m_lastFolder.toStdString());
        FolderVisualData::Children children;
        for (const auto &record : m_tableData.front()) {
            auto child = record->represented<FolderVisualData>();
            if (child && child->children())
                children.push_back(std::move(child));
        }
        node->setChildren(std::move(children));
    }

    if (node) {
        Entries entries;
        if (node->children()) {
            entries.reserve(node->children()->size());
            for (const auto &child : *node->children())
                entries.push_back(folderEntry(*child));
        }
        listLooseFiles(bytes(node->path()), entries);
        listEntries(std::move(entries));
    }
    ui->trashButton->setEnabled(false);
    hideTrash();
}

void StorageWindowController::willOpenMenuForSector(
    const std::shared_ptr<DynamicStackedViewSector> &sector, qint64 row)
{
    Q_UNUSED(row);
    const auto node = sector ? sector->represented<FolderVisualData>() : nullptr;
    if (node && !node->path().empty())
        m_urlToOpenInFinder = bytes(node->path());
    else
        m_urlToOpenInFinder.reset();
}

void StorageWindowController::showInFinderFromStack()
{
    if (!m_urlToOpenInFinder || m_urlToOpenInFinder->isEmpty() || !m_fileManager)
        return;
    m_fileManager->showItems({*m_urlToOpenInFinder});
}

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
