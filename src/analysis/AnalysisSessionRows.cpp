// AnalysisSession: how a folder becomes a row of sectors and a list of entries, the drill-down,
// and the file list's marks.

#include "AnalysisSession.h"

#include "BackgroundLink.h"
#include "ByteCount.h"
#include "FileListModel.h"
#include "FolderVisualData.h"
#include "LooseFileListing.h"
#include "Measure.h"
#include "PathBytes.h"

#include <QFile>
#include <QThreadPool>

#include <algorithm>
#include <unordered_set>

namespace corvale {

namespace {

// The platform's plain grey.
QColor filesSectorColor()
{
    return QColor(128, 128, 128);
}

// Whether an entry stands for one of `entries`: a refilled list holds new records for the same
// items, so they are matched by path.
std::function<bool(const AnalysisSession::Entry &)> samePathAsOneOf(const AnalysisSession::Entries &entries)
{
    if (entries.empty())
        return {};
    auto paths = std::make_shared<std::unordered_set<std::string>>();
    for (const auto &entry : entries)
        paths->insert(entry->path);
    return [paths](const AnalysisSession::Entry &entry) { return paths->count(entry->path) > 0; };
}

} // namespace

int AnalysisSession::colorPairForSize(quint64 bytes)
{
    struct Step
    {
        quint64 bound;
        int pair;
    };
    // Pair 5 is made with the others but no size class takes it.
    static constexpr Step ladder[]
        = {{100, 1}, {300, 2}, {500, 3}, {1000, 4}, {3000, 6}, {5000, 7}, {10000, 8}, {50000, 9}};
    for (const Step &step : ladder) {
        if (bytes < step.bound * 1'024'000)
            return step.pair;
    }
    return 10;
}

AnalysisSession::Entry AnalysisSession::folderEntry(const FolderVisualData &folder)
{
    auto entry = std::make_shared<FolderAttributes>();
    entry->isDir = true;
    entry->count = folder.count() + 1;
    entry->path = folder.path();
    // In full: Linux has no packages whose extension a list would hide.
    entry->name = lastPathComponent(folder.path());
    entry->size = folder.size();
    entry->allocatedSize = folder.allocatedSize();
    return entry;
}

void AnalysisSession::colorSector(DynamicStackedViewSector &sector, quint64 size) const
{
    const int pair = colorPairForSize(size);
    sector.setColor(paletteColor(pair));
    sector.setHighlightColor(paletteHighlightColor(pair));
}

Sectors AnalysisSession::buildRow(const FolderVisualData &folder, Entries &entries) const
{
    Sectors row;
    float shares = 0.0f;
    quint64 childrenSize = 0, childrenAllocated = 0;
    const quint64 folderSize = sizeIn(m_measure, folder);
    if (folder.children()) {
        row.reserve(folder.children()->size() + 1);
        entries.reserve(entries.size() + folder.children()->size());
        for (const std::shared_ptr<FolderVisualData> &child : *folder.children()) {
            const quint64 size = sizeIn(m_measure, *child);
            auto sector = std::make_shared<DynamicStackedViewSector>();
            sector->setTitle(QFile::decodeName(bytes(lastPathComponent(child->path()))));
            sector->setSubtitle(byteCountText(size));
            sector->setRepresentedObject(child);
            sector->setSectorPercentage(folderSize == 0 ? 0.0f : float(size) / float(folderSize));
            colorSector(*sector, size);
            row.push_back(sector);
            shares += sector->sectorPercentage();
            childrenSize += child->size();
            childrenAllocated += child->allocatedSize();
            entries.push_back(folderEntry(*child));
        }
    }
    if (shares < 1.0f) {
        // Files lie directly in the folder: what its sub-folders leave of its size (and, on the
        // disk, the folder's own blocks).
        auto node = std::make_shared<FolderVisualData>();
        node->setSize(folder.size() - std::min<quint64>(childrenSize, folder.size()));
        node->setAllocatedSize(
            folder.allocatedSize() - std::min<quint64>(childrenAllocated, folder.allocatedSize()));
        node->setPath(folder.path());
        auto sector = std::make_shared<DynamicStackedViewSector>();
        sector->setTitle(tr("Files"));
        sector->setSubtitle(byteCountText(sizeIn(m_measure, *node)));
        sector->setRepresentedObject(node);
        sector->setSectorPercentage(1.0f - shares);
        sector->setColor(filesSectorColor());
        sector->setHighlightColor(filesSectorColor());
        sector->setDisabled(true);
        row.push_back(sector);
    }
    return row;
}

Sectors AnalysisSession::updateDataInSectors(const Sectors &sectors, Measure measure)
{
    auto nodeSize = [measure](const std::shared_ptr<DynamicStackedViewSector> &sector) -> quint64 {
        const auto node = sector->represented<FolderVisualData>();
        return node ? sizeIn(measure, *node) : 0;
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

std::shared_ptr<FolderVisualData> AnalysisSession::folderOfRow(size_t row) const
{
    if (row == 0)
        return m_root;
    for (const auto &sector : m_rows.at(row - 1).sectors) {
        if (sector->isSelected())
            return sector->represented<FolderVisualData>();
    }
    return nullptr;
}

void AnalysisSession::didSelectSector(const std::shared_ptr<DynamicStackedViewSector> &sector, qint64 row)
{
    // A bar handed out before the rows changed may still report: its row may be gone.
    if (!sector || row < 0 || row >= qint64(m_rows.size()))
        return;
    const ChangeBatch batch(*this);
    m_wasReduced = false;
    clearFilesToDelete();

    // The bar shows the selection already; the records keep it, one per row, for the next time
    // the row is shown.
    const auto node = sector->represented<FolderVisualData>();
    bool replaced = !node;
    for (auto &record : m_rows[size_t(row)].sectors) {
        if (!replaced && record->represented<FolderVisualData>() == node) {
            record = sector;
            replaced = true;
        }
        record->setSelected(record == sector);
    }
    m_rows.resize(size_t(row) + 1);
    m_staleRows.clear();
    m_changes.rowsFrom = std::min(m_changes.rowsFrom, int(row) + 1);
    if (!node)
        return;
    Entries entries;
    m_rows.push_back(Row {buildRow(*node, entries), bytes(node->path())});
    listFolder(node, m_rows.back().path, std::move(entries));
}

qint64 AnalysisSession::openInChart(const Entry &entry)
{
    if (!entry || !entry->isDir || m_rows.empty())
        return -1;
    // The list shows the last row's folder: its folders are that row's sectors.
    const qint64 row = qint64(m_rows.size()) - 1;
    for (const auto &sector : m_rows.back().sectors) {
        const auto node = sector->represented<FolderVisualData>();
        if (!sector->isDisabled() && node && node->path() == entry->path) {
            didSelectSector(sector, row);
            return row;
        }
    }
    return -1;
}

void AnalysisSession::didRemoveSelectionInRow(qint64 row)
{
    if (row < 0)
        return;
    const ChangeBatch batch(*this);
    if (size_t(row) < m_rows.size()) {
        for (const auto &record : m_rows[size_t(row)].sectors)
            record->setSelected(false);
    }
    if (qint64(m_rows.size()) > row + 1) {
        m_rows.resize(size_t(row) + 1);
        m_staleRows.clear();
        m_wasReduced = true;
        m_changes.rowsFrom = std::min(m_changes.rowsFrom, int(row) + 1);
    }
    // The list is emptied; it lists the row's folder again only when rows were dropped.
    ++m_listingNumber;
    m_listing = false;
    m_listedFolder.reset();
    m_fileListModel->setItems({});
    clearFilesToDelete();
    m_changes.entries = true;
    if (!m_wasReduced || m_rows.empty())
        return;
    const auto folder = folderOfRow(m_rows.size() - 1);
    if (!folder)
        return;
    Entries entries;
    if (folder->children()) {
        entries.reserve(folder->children()->size());
        for (const auto &child : *folder->children())
            entries.push_back(folderEntry(*child));
    }
    // The chosen folder by the path the walk resolved, as row 0 names it.
    listFolder(folder, m_rows.back().path, std::move(entries));
}

void AnalysisSession::listFolder(
    const std::shared_ptr<FolderVisualData> &folder, const QByteArray &path, Entries folderEntries)
{
    m_movedPaths.clear();
    m_listedFolder = folder;
    m_fileListModel->setShareOf(folder);
    Entries shown = folderEntries;
    applyComparison(shown, false);
    m_fileListModel->setItems(std::move(shown));
    m_fileListModel->sort(m_fileListModel->sortColumn(), m_fileListModel->sortOrder());
    m_listing = true;
    m_changes.entries = true;
    const Ticket ticket {Ticket::Listing, ++m_listingNumber};
    // Listings jump ahead of moves to the trash waiting for a thread.
    backgroundPool()->start(
        [link = m_link, ticket, path, entries = std::move(folderEntries), hook = m_listingHook,
            column = m_fileListModel->sortColumn(), order = m_fileListModel->sortOrder(), measure = m_measure,
            scan = m_scan, folder]() mutable {
            if (hook)
                hook(path);
            // A scan's files are what it holds, wherever the folder is now.
            if (scan)
                appendScannedFiles(*scan, *folder, entries);
            else
                appendLooseFiles(path, entries);
            FileListModel::sortEntries(entries, column, order, measure);
            link->post(ticket,
                [entries = std::move(entries), column, order, measure](AnalysisSession &session) mutable {
                    session.listed(std::move(entries), column, order, measure);
                });
        },
        1);
}

void AnalysisSession::listed(Entries entries, int sortColumn, Qt::SortOrder sortOrder, Measure measure)
{
    m_listing = false;
    m_changes.entries = true;
    // Moved while the folder was being listed: gone from the disk, and from the list. A scan
    // still lists whatever was moved since it was read.
    if (!m_movedPaths.empty() || !m_movedFromScan.empty()) {
        std::erase_if(entries, [this](const Entry &entry) {
            return m_movedPaths.count(entry->path) > 0 || m_movedFromScan.count(entry->path) > 0;
        });
        m_movedPaths.clear();
    }
    applyComparison(entries, true);
    // Marks set while the listing ran stay; so does a sort chosen meanwhile (the listing sorted
    // by the one chosen before).
    const Entries checked = m_fileListModel->checkedEntries();
    const int column = m_fileListModel->sortColumn();
    const Qt::SortOrder order = m_fileListModel->sortOrder();
    m_fileListModel->setItems(std::move(entries), samePathAsOneOf(checked));
    if (column != sortColumn || order != sortOrder || measure != m_measure || m_comparison)
        m_fileListModel->sort(column, order);
    fileSelectionsChanged();
}

AnalysisSession::Entries AnalysisSession::directoryItems() const
{
    return m_fileListModel->items();
}

void AnalysisSession::setMeasure(Measure measure)
{
    m_chosenMeasure = measure;
    if (m_lacksDiskUsage)
        measure = Measure::ApparentSize;
    if (measure == m_measure)
        return;
    const ChangeBatch batch(*this);
    m_measure = measure;
    // Shares, texts and colours of every row follow; the rows themselves stay as they are.
    for (Row &row : m_rows) {
        updateDataInSectors(row.sectors, m_measure);
        for (const auto &sector : row.sectors) {
            const auto node = sector->represented<FolderVisualData>();
            if (node && !sector->isDisabled())
                colorSector(*sector, sizeIn(m_measure, *node));
        }
    }
    m_fileListModel->setMeasure(m_measure);
    m_largestFilesModel->setMeasure(m_measure);
    // The largest files in the other measure may be others.
    if (!m_largestKept.empty())
        showLargestFiles();
    m_changes.sectors = true;
    m_changes.counts = true;
    m_changes.selection = true;
}

void AnalysisSession::clearFilesToDelete()
{
    m_filesToDelete.clear();
    m_fileListModel->clearChecks();
    m_changes.selection = true;
}

void AnalysisSession::setFilesToDelete(Entries entries)
{
    const ChangeBatch batch(*this);
    m_fileListModel->setItems(m_fileListModel->items(), samePathAsOneOf(entries));
    m_filesToDelete = std::move(entries);
    m_changes.selection = true;
}

void AnalysisSession::fileSelectionsChanged()
{
    const ChangeBatch batch(*this);
    m_filesToDelete = m_fileListModel->checkedEntries();
    m_changes.selection = true;
}

} // namespace corvale
