// AnalysisSession: a tree read from a scan file in place of a walk, the tree saved as a scan file,
// and the comparison with an earlier scan.

#include "AnalysisSession.h"

#include "ByteCount.h"
#include "FileListModel.h"
#include "PathBytes.h"
#include "ScanFileReader.h"
#include "ScanFileWriter.h"
#include "TreeComparison.h"

#include <QCoreApplication>
#include <QThreadPool>

#include <unordered_map>
#include <unordered_set>

namespace corvale {

void AnalysisSession::openScan(const QByteArray &file)
{
    // Shown as what is being read until the scan names its folder.
    m_lastFolder = file;
    m_scanFile = file;
    startRun(false);
}

void AnalysisSession::scanRead(
    std::shared_ptr<const ScanFile> scan, const ScanFileError &error, bool folderHere)
{
    const ChangeBatch batch(*this);
    if (!scan) {
        if (!m_runStopped && error.kind != ScanFileError::Kind::Stopped)
            m_changes.scanFailures.push_back({ScanTask::Open, m_scanFile, error});
        // A scan read again that can no longer be read leaves the one in view.
        setState(m_root ? State::Result : State::Welcome);
        processData(nullptr);
        return;
    }
    if (m_runStopped) {
        processData(nullptr);
        return;
    }
    if (m_root)
        dropResult();
    m_scan = std::move(scan);
    m_scanFolderHere = folderHere;
    m_lastFolder = bytes(m_scan->root->path());
    m_lacksDiskUsage = !m_scan->metadata.hasDiskUsage && m_scan->root->size() > 0;
    m_fileListModel->setLocked(!folderHere);
    if (m_lacksDiskUsage && m_measure != Measure::ApparentSize) {
        m_measure = Measure::ApparentSize;
        m_fileListModel->setMeasure(m_measure);
    }
    processData(m_scan->root);
}

bool AnalysisSession::saveScan(const QByteArray &file)
{
    if (m_saving || !m_root || m_state != State::Result)
        return false;
    const ChangeBatch batch(*this);
    m_saving = true;
    m_changes.state = true;
    // A scan read from a file keeps what its file said of it.
    const ScanMetadata metadata = m_scan
        ? m_scan->metadata
        : ScanMetadata {"corvale", QCoreApplication::applicationVersion().toStdString(), m_runStartedAt};
    backgroundPool()->start([link = m_link, root = m_root, scan = m_scan, file, metadata] {
        ScanFileError error;
        ScanFileWriter::write(file.toStdString(), *root, scan ? &scan->files : nullptr, metadata, error);
        link->post(
            {Ticket::Save, 0}, [file, error](AnalysisSession &session) { session.saved(file, error); });
    });
    return true;
}

void AnalysisSession::saved(const QByteArray &file, const ScanFileError &error)
{
    m_saving = false;
    m_changes.state = true;
    if (error.kind != ScanFileError::Kind::None)
        m_changes.scanFailures.push_back({ScanTask::Save, file, error});
    for (const auto &moves : std::exchange(m_trashedWhileSaving, {}))
        moves();
}

void AnalysisSession::compareWithScan(const QByteArray &file)
{
    if (!m_root)
        return;
    const ChangeBatch batch(*this);
    m_readingComparison = true;
    m_changes.comparison = true;
    const Ticket ticket {Ticket::Comparison, ++m_comparisonNumber};
    backgroundPool()->start([link = m_link, ticket, file] {
        ScanFileReader reader;
        std::optional<ScanFile> read = reader.read(file.toStdString());
        std::shared_ptr<const ScanFile> earlier
            = read ? std::make_shared<const ScanFile>(std::move(*read)) : nullptr;
        link->post(ticket, [earlier, file, error = reader.error()](AnalysisSession &session) {
            session.compared(earlier, file, error);
        });
    });
}

void AnalysisSession::compared(
    std::shared_ptr<const ScanFile> earlier, const QByteArray &file, const ScanFileError &error)
{
    m_readingComparison = false;
    m_changes.comparison = true;
    if (!earlier) {
        m_changes.scanFailures.push_back({ScanTask::Compare, file, error});
        return;
    }
    m_comparison = std::make_unique<TreeComparison>(*earlier, *m_root);
    m_earlierScan = std::move(earlier);
    compareListedEntries();
}

void AnalysisSession::endComparison()
{
    const ChangeBatch batch(*this);
    ++m_comparisonNumber;
    m_readingComparison = false;
    m_comparison.reset();
    m_earlierScan.reset();
    m_changes.comparison = true;
    compareListedEntries();
}

void AnalysisSession::compareListedEntries()
{
    Entries entries = m_fileListModel->items();
    applyComparison(entries, !m_listing);
    std::unordered_set<const FolderAttributes *> checked;
    for (const Entry &entry : m_fileListModel->checkedEntries())
        checked.insert(entry.get());
    m_fileListModel->setItems(
        std::move(entries), [&checked](const Entry &entry) { return checked.count(entry.get()) > 0; });
    m_fileListModel->sort(m_fileListModel->sortColumn(), m_fileListModel->sortOrder());
    m_changes.entries = true;
}

void AnalysisSession::applyComparison(Entries &entries, bool filesListed) const
{
    using Since = FolderAttributes::Since;
    std::erase_if(entries, [](const Entry &entry) { return entry->since == Since::Gone; });
    for (const Entry &entry : entries)
        entry->since = Since::Unknown;
    if (!m_comparison || !m_listedFolder)
        return;

    // A scan that summarised its files cannot tell which are new or gone.
    const bool filesKnown = !m_scan || m_scan->files.listsFiles();
    std::vector<std::string_view> fileNames;
    for (const Entry &entry : entries) {
        if (!entry->isDir && !entry->summarised)
            fileNames.push_back(entry->name);
    }
    const TreeComparison::FolderChanges changes
        = m_comparison->changesIn(*m_listedFolder, filesKnown ? fileNames : std::vector<std::string_view> {});
    std::unordered_map<std::string_view, const FolderVisualData *> earlierFolders;
    if (changes.earlier && changes.earlier->children()) {
        for (const auto &child : *changes.earlier->children())
            earlierFolders.emplace(TreeComparison::nameOf(*child), child.get());
    }
    const auto existed = [](FolderAttributes &entry, quint64 size, quint64 allocated) {
        entry.since = Since::Existed;
        entry.earlierSize = size;
        entry.earlierAllocatedSize = allocated;
    };
    size_t file = 0;
    for (const Entry &entry : entries) {
        if (entry->summarised)
            continue;
        if (!changes.earlier) {
            entry->since = Since::New;
        } else if (entry->isDir) {
            const auto found = earlierFolders.find(entry->name);
            if (found == earlierFolders.end())
                entry->since = Since::New;
            else
                existed(*entry, found->second->size(), found->second->allocatedSize());
        } else if (filesKnown && changes.filesKnown) {
            const auto &before = changes.earlierFiles.at(file++);
            if (before)
                existed(*entry, before->size, before->allocatedSize);
            else
                entry->since = Since::New;
        }
    }
    const std::string prefix = m_listedFolder->path() == "/" ? "/" : m_listedFolder->path() + '/';
    for (const TreeComparison::Gone &gone : changes.gone) {
        if (!gone.isFolder && (!filesListed || !filesKnown))
            continue;
        auto entry = std::make_shared<FolderAttributes>();
        entry->path = prefix + gone.name;
        entry->name = gone.name;
        entry->isDir = gone.isFolder;
        entry->size = entry->earlierSize = gone.size;
        entry->allocatedSize = entry->earlierAllocatedSize = gone.allocatedSize;
        entry->count = gone.count;
        entry->since = Since::Gone;
        entries.push_back(std::move(entry));
    }
}

void AnalysisSession::labelChanges(size_t from)
{
    const auto changeText = [this](quint64 now, const std::optional<quint64> &then) {
        if (!then)
            return tr("new");
        const QString text = byteChangeText(now, *then);
        return text.isEmpty() ? tr("unchanged") : text;
    };
    for (size_t row = from; row < m_rows.size(); ++row) {
        const auto folder = m_comparison ? folderOfRow(row) : nullptr;
        const FolderVisualData *earlierFolder = folder ? m_comparison->earlierOf(*folder) : nullptr;
        for (const auto &sector : m_rows[row].sectors) {
            const auto node = sector->represented<FolderVisualData>();
            if (!folder || !node) {
                sector->setChange(QString());
                continue;
            }
            std::optional<quint64> then;
            if (!sector->isDisabled()) {
                if (const FolderVisualData *earlier = m_comparison->earlierOf(*node))
                    then = sizeIn(m_measure, *earlier);
            } else if (earlierFolder) {
                // The "Files" sector: what the earlier folder's sub-folders left of it.
                quint64 files = sizeIn(m_measure, *earlierFolder);
                if (earlierFolder->children()) {
                    for (const auto &child : *earlierFolder->children())
                        files -= std::min(files, sizeIn(m_measure, *child));
                }
                then = files;
            }
            sector->setChange(changeText(sizeIn(m_measure, *node), then));
        }
    }
}

} // namespace corvale
