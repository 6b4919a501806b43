// AnalysisSession: moving the checked entries to the trash and taking them out of the tree, the
// chart rows and the list.
//
// The entries of one action go to the pool in chunks; each chunk's results come back through the
// link in one piece, so a few thousand moves make a few dozen model updates and as many notices,
// not thousands of them. An action ends with its last chunk, which is when its failures are told.
// An entry of a scan is moved only if it is still what the scan saw.

#include "AnalysisSession.h"

#include "FileListModel.h"
#include "FolderVisualData.h"
#include "PathBytes.h"
#include "TrashMover.h"

#include <QThreadPool>

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <tuple>
#include <unordered_set>

namespace corvale {

namespace {

// A file can have grown since the walk, so what is taken away may exceed what was counted.
quint64 lessBy(quint64 value, quint64 amount)
{
    return value > amount ? value - amount : 0;
}

constexpr size_t TrashChunk = 64;

// An item as it is on the disk just before it is moved: what it holds, and what moving it frees.
struct OnDisk
{
    bool found = false;
    bool isDir = false;
    quint64 size = 0;
    quint64 count = 0; // items below a folder
    // Blocks that only this item names, freed once the trash is emptied; the blocks of its files
    // with more names are settled when the whole action is in.
    quint64 alone = 0;
    std::vector<FolderVisualData::LinkedFile> linked;
};

OnDisk lookAt(const std::string &path)
{
    OnDisk item;
    struct statx st;
    if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW,
            STATX_TYPE | STATX_SIZE | STATX_BLOCKS | STATX_NLINK | STATX_INO, &st)
        != 0)
        return item;
    item.found = true;
    item.isDir = S_ISDIR(st.stx_mode);
    if (!item.isDir) {
        item.size = st.stx_size;
        const quint64 blocks = st.stx_blocks * 512;
        if (st.stx_nlink > 1)
            item.linked.push_back(
                {quint64(st.stx_dev_major) << 32 | st.stx_dev_minor, st.stx_ino, st.stx_nlink, blocks, 1});
        else
            item.alone = blocks;
        return item;
    }
    // A walk of its own, on this thread: the moves of an action already run side by side.
    FolderVisualData scanner;
    scanner.setThreadCount(1);
    scanner.setCountLinks(true);
    if (const auto tree = scanner.visualizePath(path)) {
        item.size = tree->size();
        item.count = tree->count();
        item.alone = tree->allocatedSize();
        item.linked = scanner.linkedFiles();
        for (const auto &file : item.linked)
            item.alone -= std::min<quint64>(item.alone, file.allocated);
    }
    return item;
}

// Whether an entry listed from a scan is no longer what the scan saw: another kind of item, a file
// of another length, a folder that walks to another size or count. One that is gone is left to the
// mover, which says so.
bool changedSinceScan(const FolderAttributes &entry, const OnDisk &item)
{
    if (!item.found)
        return false;
    if (item.isDir != entry.isDir)
        return true;
    return item.size != entry.size || (entry.isDir && item.count + 1 != entry.count);
}

} // namespace

struct AnalysisSession::TrashAction
{
    TrashFailures failures;
    size_t pending = 0;
    // The moved items' files with more than one name.
    std::vector<FolderVisualData::LinkedFile> linked;
};

struct AnalysisSession::TrashResult
{
    Entry entry;
    TrashMover::Result result;
    quint64 alone = 0;
    std::vector<FolderVisualData::LinkedFile> linked;
};

void AnalysisSession::trashEntries(const Entries &toMove)
{
    Entries entries;
    for (const auto &entry : toMove) {
        // Still being moved by an earlier press: moving it again could only fail.
        if (std::find(m_entriesInFlight.begin(), m_entriesInFlight.end(), entry) != m_entriesInFlight.end())
            continue;
        m_entriesInFlight.push_back(entry);
        entries.push_back(entry);
    }
    if (entries.empty())
        return;
    auto action = std::make_shared<TrashAction>();
    action->pending = entries.size();
    ++m_trashActionsRunning;
    // The moves belong to the result in view: once another replaced it, their results say nothing.
    const Ticket ticket {Ticket::Result, m_resultNumber};
    const bool fromScan = m_scan != nullptr;
    for (size_t first = 0; first < entries.size(); first += TrashChunk) {
        Entries chunk(entries.begin() + qsizetype(first),
            entries.begin() + qsizetype(std::min(first + TrashChunk, entries.size())));
        backgroundPool()->start([link = m_link, ticket, action, chunk = std::move(chunk), fromScan] {
            std::vector<TrashResult> results(chunk.size());
            // One batch: the chunk's info files are flushed to the disk together.
            QList<QByteArray> paths;
            std::vector<size_t> moving;
            for (size_t i = 0; i < chunk.size(); ++i) {
                OnDisk item = lookAt(chunk[i]->path);
                results[i] = TrashResult {chunk[i], {}, item.alone, std::move(item.linked)};
                if (fromScan && changedSinceScan(*chunk[i], item)) {
                    results[i].result = {false, TrashMover::Reason::ChangedSinceScan, {}};
                    continue;
                }
                paths << bytes(chunk[i]->path);
                moving.push_back(i);
            }
            TrashMover::moveToTrash(paths, [&](qsizetype i, const TrashMover::Result &result) {
                results[moving[size_t(i)]].result = result;
            });
            link->post(ticket, [action, results = std::move(results)](AnalysisSession &session) mutable {
                session.trashed(action, std::move(results));
            });
        });
    }
}

void AnalysisSession::trashed(const std::shared_ptr<TrashAction> &action, std::vector<TrashResult> results)
{
    // The tree is being written out and must not change under the writer.
    if (m_saving) {
        m_trashedWhileSaving.push_back(
            [this, action, results = std::move(results)]() mutable { trashed(action, std::move(results)); });
        return;
    }
    Entries moved;
    for (TrashResult &result : results) {
        std::erase(m_entriesInFlight, result.entry);
        const Entry &entry = result.entry;
        if (!result.result.trashed) {
            action->failures.push_back(TrashFailure {entry, std::move(result.result)});
            continue;
        }
        moved.push_back(entry);
        m_movedPaths.insert(entry->path);
        if (m_scan)
            m_movedFromScan.insert(entry->path);
        m_itemsVisualized = lessBy(m_itemsVisualized, entry->count);
        m_reclaimedSpace += entry->size;
        m_reclaimedDiskSpace += result.alone;
        action->linked.insert(action->linked.end(), result.linked.begin(), result.linked.end());
        removeLinkToUrl(bytes(entry->path), *entry);
    }
    action->pending -= results.size();
    if (action->pending == 0)
        settleLinkedFiles(action->linked);
    if (!moved.empty()) {
        m_fileListModel->removeEntries(moved);
        dropMovedFromLargestFiles(moved);
        m_changes.counts = true;
        m_changes.sectors = true;
    }
    // The selection follows what is still checked: a moved entry has left the list and with it the
    // selection; one that failed stays checked, for another try.
    fileSelectionsChanged();
    if (action->pending == 0) {
        --m_trashActionsRunning;
        m_changes.finished.push_back(std::move(action->failures));
        // One reload of the rows once the action is over (the last row slides in again, as after
        // any reload since the last drill-down).
        m_changes.rowsFrom = 0;
    }
}

void AnalysisSession::settleLinkedFiles(std::vector<FolderVisualData::LinkedFile> &linked)
{
    // A file is freed once every one of its names went with the action; otherwise it stays in use.
    std::sort(linked.begin(), linked.end(), [](const auto &a, const auto &b) {
        return std::tie(a.device, a.inode) < std::tie(b.device, b.inode);
    });
    for (size_t first = 0; first < linked.size();) {
        size_t last = first;
        quint64 met = 0;
        for (; last < linked.size() && linked[last].device == linked[first].device
             && linked[last].inode == linked[first].inode;
             ++last)
            met += linked[last].met;
        (met >= linked[first].links ? m_reclaimedDiskSpace : m_reclaimedLinkedSpace)
            += linked[first].allocated;
        first = last;
    }
    linked.clear();
    m_changes.counts = true;
}

void AnalysisSession::removeLinkToUrl(const QByteArray &path, const FolderAttributes &removed)
{
    const std::string_view item = view(path);
    const bool isDir = removed.isDir;
    for (size_t row = 0; row < m_rows.size(); ++row) {
        bool touched = false;
        for (const auto &sector : m_rows[row].sectors) {
            const auto node = sector->represented<FolderVisualData>();
            const quint64 before = node ? node->size() + node->allocatedSize() : 0;
            removeLinkToUrlProcessor(path, sector, removed);
            touched = touched || (node && node->size() + node->allocatedSize() != before);
        }
        if (touched)
            m_staleRows.insert(row);
        // A moved folder leaves its parent's children, so that listing the parent again does not
        // bring back a folder that is no longer there.
        if (isDir && view(m_rows[row].path) == parentPath(item)) {
            if (const auto parent = folderOfRow(row); parent && parent->children()) {
                auto children = *parent->children();
                std::erase_if(children, [item](const auto &child) { return child->path() == item; });
                parent->setChildren(std::move(children));
            }
        }
    }
    lessenHiddenFolders(item, removed);
    // The chosen folder is in no row as a sector of its own.
    if (m_root && isBelow(item, m_root->path())) {
        m_root->setSize(lessBy(m_root->size(), removed.size));
        m_root->setAllocatedSize(lessBy(m_root->allocatedSize(), removed.allocatedSize));
        m_root->setCount(lessBy(m_root->count(), removed.count));
    }
}

std::shared_ptr<DynamicStackedViewSector> AnalysisSession::removeLinkToUrlProcessor(const QByteArray &path,
    const std::shared_ptr<DynamicStackedViewSector> &sector, const FolderAttributes &removed)
{
    const auto node = sector ? sector->represented<FolderVisualData>() : nullptr;
    if (!node)
        return sector;
    const std::string_view item = view(path);
    const std::string &nodePath = node->path();
    const auto lessen = [&](bool count) {
        node->setSize(lessBy(node->size(), removed.size));
        node->setAllocatedSize(lessBy(node->allocatedSize(), removed.allocatedSize));
        if (count)
            node->setCount(lessBy(node->count(), removed.count));
    };
    if (item == nodePath) {
        // Nothing of it is left to open either.
        node->setSize(0);
        node->setAllocatedSize(0);
        node->setCount(0);
        if (node->children())
            node->setChildren(FolderVisualData::Children {});
    } else if (!sector->isDisabled() && isBelow(item, nodePath)) {
        // An ordinary sector is a folder above the removed item.
        lessen(true);
    } else if (sector->isDisabled() && !removed.isDir && parentPath(item) == nodePath) {
        // The "Files" sector of the folder that directly held a removed file.
        lessen(false);
    }
    return sector;
}

void AnalysisSession::lessenHiddenFolders(std::string_view item, const FolderAttributes &removed)
{
    // A moved item of the file list lies in the last row's folder, so every folder above it is in
    // a row. One of the largest files may lie deeper: the folders between the deepest row above
    // it and the item itself are in no row, but will be when the user opens them.
    std::shared_ptr<FolderVisualData> folder;
    for (size_t row = m_rows.size(); row-- > 0 && !folder;) {
        const auto shown = folderOfRow(row);
        if (shown && isBelow(item, shown->path()))
            folder = shown;
    }
    bool hidden = false; // the first folder below the row's is a sector of that row
    while (folder && folder->children()) {
        std::shared_ptr<FolderVisualData> next;
        for (const auto &child : *folder->children()) {
            if (isBelow(item, child->path())) {
                next = child;
                break;
            }
        }
        if (next && hidden) {
            next->setSize(lessBy(next->size(), removed.size));
            next->setAllocatedSize(lessBy(next->allocatedSize(), removed.allocatedSize));
            next->setCount(lessBy(next->count(), removed.count));
        }
        hidden = true;
        folder = std::move(next);
    }
}

} // namespace corvale
