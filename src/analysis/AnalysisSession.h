#pragma once

#include "AnalysisRun.h"
#include "DynamicStackedViewSector.h"
#include "FolderAttributes.h"
#include "FolderVisualData.h"
#include "Measure.h"
#include "ScanFile.h"
#include "TrashMover.h"

#include <QByteArray>
#include <QColor>
#include <QObject>
#include <QString>

#include <array>
#include <climits>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

namespace corvale {

class FileListModel;
class FolderVisualData;
class TreeComparison;

// One analysis, apart from any widget: the scanner and its runs, the drill-down rows, the file
// list's model, the removal selection and the moves to the trash; a tree read from a scan file
// in place of a walk, saving the tree as one, and the comparison with an earlier scan; the search
// for a folder's largest files.
//
// A Refresh keeps the result in view until the new one comes, which opens the same folders again
// where they still exist; stopped, it leaves that result as it was.
//
// Background work (the walk, folder listings, moves to the trash, the search for the largest
// files) runs on the program's pool and comes back only through the session's BackgroundLink,
// tagged with a Ticket; a result whose ticket is no longer current is dropped there, by one rule.
// Everything here lives on the GUI thread. Views read the state and listen to the change
// signals, which are sent once per batch of changes (a user action, or whatever arrived from the
// background in one event-loop turn).
class AnalysisSession : public QObject
{
    Q_OBJECT

public:
    enum class State { Welcome, Walking, Result };

    using Entry = std::shared_ptr<FolderAttributes>;
    using Entries = std::vector<Entry>;

    // One drill-down row: the sectors of a folder, and that folder's path (the kernel's bytes).
    // Row i+1 shows the folder of the selected sector of row i.
    struct Row
    {
        Sectors sectors;
        QByteArray path;
    };

    struct TrashFailure
    {
        Entry entry;
        TrashMover::Result result; // why it stayed
    };
    using TrashFailures = std::vector<TrashFailure>;

    // What was asked of a scan file.
    enum class ScanTask { Open, Save, Compare };

    // Test seam: called on the listing's thread before a folder is listed.
    using ListingHook = std::function<void(const QByteArray &folder)>;

    // Holds the change signals back while it lives; the outermost batch sends them, once each.
    class ChangeBatch
    {
    public:
        explicit ChangeBatch(AnalysisSession &session);
        ~ChangeBatch();
        ChangeBatch(const ChangeBatch &) = delete;
        ChangeBatch &operator=(const ChangeBatch &) = delete;

    private:
        AnalysisSession &m_session;
    };

    explicit AnalysisSession(QObject *parent = nullptr);
    ~AnalysisSession() override;

    State state() const { return m_state; }
    // From the start of a run until its walk has ended, also after a stop.
    bool isWalkPending() const { return m_walkPending; }
    // The walk's task has begun (and not yet ended).
    bool isWalkStarted() const { return m_walkStarted; }
    // The latest progress report of the run in progress; none before the first.
    std::optional<quint64> progressItems() const { return m_progressItems; }

    // The run.
    // A new folder: the rows go, and the folder is walked.
    void openFolder(const QByteArray &path);
    // Walks lastFolder again (or reads the scan file again); the result in view stays until then.
    void updateFolder();
    // Back to the result in view, if a Refresh kept one; else to the welcome state.
    void stopSearch();
    // The end of every run, also a stopped one (nothing then).
    void processData(std::shared_ptr<FolderVisualData> tree);
    // The folder as chosen.
    const QByteArray &lastFolder() const { return m_lastFolder; }
    // The walked folder as the walk resolved it (links followed): the one path by which row 0,
    // the file list and the trash know it. Empty before the first result.
    const QByteArray &rootPath() const { return m_rootPath; }
    // The chosen folder's size in the measure; 0 without a result.
    quint64 rootSize() const { return m_root ? sizeIn(m_measure, *m_root) : 0; }
    quint64 runNumber() const { return m_runNumber; }
    const std::shared_ptr<FolderVisualData> &visualData() const { return m_visualData; }
    const std::shared_ptr<AnalysisRun> &currentRun() const { return m_currentRun; }
    void setReportHook(AnalysisRun::ReportHook hook) { m_reportHook = std::move(hook); }
    bool isCurrent(const Ticket &ticket) const;

    // The rows and the drill-down.
    const std::vector<Row> &rows() const { return m_rows; }
    bool wasReduced() const { return m_wasReduced; }
    quint64 itemsVisualized() const { return m_itemsVisualized; }
    // What went to the trash since the run began: the items' length; the space the disk gets back
    // when the trash is emptied; and the blocks of moved files that stay in use under names that
    // were not moved (hard links elsewhere), which the disk does not get back.
    quint64 reclaimedSpace() const { return m_reclaimedSpace; }
    quint64 reclaimedDiskSpace() const { return m_reclaimedDiskSpace; }
    quint64 reclaimedLinkedSpace() const { return m_reclaimedLinkedSpace; }
    void didSelectSector(const std::shared_ptr<DynamicStackedViewSector> &sector, qint64 row);
    void didRemoveSelectionInRow(qint64 row);
    // Opens a folder entry of the file list as a click on its sector would; the number of the row
    // whose sector it was, or -1 where it has none.
    qint64 openInChart(const Entry &entry);
    // One sector per child of `folder` in its order, then a grey "Files" sector for what the
    // shares leave; appends one folder entry per child to `entries`.
    Sectors buildRow(const FolderVisualData &folder, Entries &entries) const;
    // Recomputes each sector's share (of the row's own total) and size text from its node's size,
    // in place; returns the same records.
    static Sectors updateDataInSectors(const Sectors &sectors, Measure measure = Measure::ApparentSize);
    static Entry folderEntry(const FolderVisualData &folder);
    // The pair of the palette that the size ladder gives a folder of `bytes`.
    static int colorPairForSize(quint64 bytes);
    // Pairs 1 to 10 of the size ladder's palette.
    QColor paletteColor(int pair) const { return m_colors.at(size_t(pair - 1)); }
    QColor paletteHighlightColor(int pair) const { return m_highlightColors.at(size_t(pair - 1)); }

    // What every size shown means: apparent size (the default) or disk usage. Changing it
    // redraws the rows, the list and the totals from what the walk found; nothing is walked again.
    Measure measure() const { return m_measure; }
    void setMeasure(Measure measure);

    // The file list.
    FileListModel *fileListModel() const { return m_fileListModel; }
    // The entries in the order the list shows them.
    Entries directoryItems() const;
    // The loose files of the folder in view are still being listed.
    bool isListing() const { return m_listing; }
    void setListingHook(ListingHook hook) { m_listingHook = std::move(hook); }
    const Entries &filesToDelete() const { return m_filesToDelete; }
    // Replaces the checked entries; the marks of the listed entries with the same paths follow.
    void setFilesToDelete(Entries entries);
    // Rebuilds filesToDelete from the marks, in row order.
    void fileSelectionsChanged();

    // Moving to the trash.
    // Moves every checked entry that is not already being moved, in tasks on the pool.
    void trashSelectedItems() { trashEntries(m_filesToDelete); }
    // The same for any entries of the tree in view (of a list, or the largest files).
    void trashEntries(const Entries &entries);
    // Takes a moved item (at `path`, of the sizes and count `removed` gives) out of the tree and
    // the chart rows.
    void removeLinkToUrl(const QByteArray &path, const FolderAttributes &removed);
    // Adjusts one sector's node for a removed item: the item's own sector drops to 0, a folder
    // above it loses its sizes and items, and the "Files" sector of the folder that directly held
    // a removed file loses the file's sizes.
    static std::shared_ptr<DynamicStackedViewSector> removeLinkToUrlProcessor(const QByteArray &path,
        const std::shared_ptr<DynamicStackedViewSector> &sector, const FolderAttributes &removed);
    // Trash actions whose last result has not come back yet.
    int trashActionsRunning() const { return m_trashActionsRunning; }

    // Scan files.
    // A run that reads the scan file at `file` in place of a walk; its tree is then shown as a
    // walked folder's, and its folders list the files the scan holds.
    void openScan(const QByteArray &file);
    // The scan the tree in view was read from; none for a walked folder. Read only, by any thread.
    const std::shared_ptr<const ScanFile> &scan() const { return m_scan; }
    // The file a scan run reads; empty for a walk.
    const QByteArray &scanFile() const { return m_scanFile; }
    // Whether the entries in view are on this computer, to be moved to the trash and revealed:
    // a walked folder's always, a scan's while its folder is here. Each entry of a scan is also
    // checked to be as the scan saw it right before it is moved.
    bool isScannedFolderHere() const { return !m_scan || m_scanFolderHere; }
    // The scan holds no disk usage, so sizes are apparent sizes whatever the measure chosen.
    bool lacksDiskUsage() const { return m_lacksDiskUsage; }
    // Writes the tree in view to `file` off the GUI thread; false while a save is under way.
    bool saveScan(const QByteArray &file);
    bool isSaving() const { return m_saving; }
    // Reads the earlier scan at `file` and, once read, labels the rows' sectors and the list's
    // entries with their change since; a new run ends it.
    void compareWithScan(const QByteArray &file);
    void endComparison();
    bool isReadingComparison() const { return m_readingComparison; }
    // The earlier scan the tree in view is compared with; none while it is not.
    const std::shared_ptr<const ScanFile> &comparedScan() const { return m_earlierScan; }

    // Largest Files: the largest files anywhere below a folder, found by a walk of their own with
    // progress and a stop, listed in their own model (name, folder, size; checkable) in the
    // measure. Moves to the trash take them out of it, as they take what a moved folder held.
    static constexpr size_t largestFilesShown = 100;
    void findLargestFiles(const QByteArray &folder);
    void stopLargestFiles();
    // Stops the search and empties the list; a new run does it too.
    void closeLargestFiles();
    // The folder searched; empty while the list is closed.
    const QByteArray &largestFilesFolder() const { return m_largestFolder; }
    bool isFindingLargestFiles() const { return m_largestScanner != nullptr; }
    // The search ended without a stop: the list holds the largest files of the whole folder.
    bool largestFilesComplete() const { return m_largestComplete; }
    // Items searched so far (the walk's reports), none before the first.
    std::optional<quint64> largestFilesItems() const { return m_largestItems; }
    FileListModel *largestFilesModel() const { return m_largestFilesModel; }

Q_SIGNALS:
    // The state, the walk's phase or its progress.
    void stateChanged();
    // Rows from `from` on were replaced, added or removed.
    void rowsChanged(int from);
    // Sizes and shares of the rows' sectors changed in place.
    void sectorsChanged();
    // The file list was refilled, or its listing began or ended.
    void entriesChanged();
    void filesToDeleteChanged();
    // The item count or the reclaimed space.
    void countsChanged();
    // The last result of a trash action is in; `failures` stayed where they were.
    void trashActionFinished(const corvale::AnalysisSession::TrashFailures &failures);
    // A scan file could not be read or written.
    void scanFileFailed(
        corvale::AnalysisSession::ScanTask task, const QByteArray &file, const corvale::ScanFileError &error);
    // A comparison began, ended or began to be read.
    void comparisonChanged();
    // The Largest Files search began, reported, ended or was closed; its list changed.
    void largestFilesChanged();

private:
    friend class AnalysisRun;
    friend class ChangeBatch;
    struct TrashAction;
    struct TrashResult;
    class LargestFilesSearch;
    struct ScanFailure
    {
        ScanTask task;
        QByteArray file;
        ScanFileError error;
    };

    // Reports of the run, through the link.
    void walkStarted();
    void showProgress(quint64 items);
    void walkEnded(std::shared_ptr<FolderVisualData> tree);
    void scanRead(std::shared_ptr<const ScanFile> scan, const ScanFileError &error, bool folderHere);

    void setState(State state);
    // Starts a run; without `keepResult`, the result in view goes at once.
    void startRun(bool keepResult);
    // Lets go of the result in view: rows, list, tree, scan, comparison, moves under way.
    void dropResult();
    void clearFilesToDelete();
    // Lists a folder in the file list: its sub-folders' entries at once, its loose files when a
    // background listing brings them.
    void listFolder(
        const std::shared_ptr<FolderVisualData> &folder, const QByteArray &path, Entries folderEntries);
    // The folder that row `row` shows.
    std::shared_ptr<FolderVisualData> folderOfRow(size_t row) const;
    void listed(Entries entries, int sortColumn, Qt::SortOrder sortOrder, Measure measure);
    void colorSector(DynamicStackedViewSector &sector, quint64 size) const;
    void trashed(const std::shared_ptr<TrashAction> &action, std::vector<TrashResult> results);
    void settleLinkedFiles(std::vector<FolderVisualData::LinkedFile> &linked);
    void saved(const QByteArray &file, const ScanFileError &error);
    void compared(
        std::shared_ptr<const ScanFile> earlier, const QByteArray &file, const ScanFileError &error);
    // The entries of the folder in view with their change since the earlier scan, and those
    // gone since; only gone folders while its files are not listed yet.
    void applyComparison(Entries &entries, bool filesListed) const;
    // Relabels the list in view after a comparison began or ended.
    void compareListedEntries();
    // Labels the sectors of rows from `from` on with their change since the earlier scan.
    void labelChanges(size_t from);
    void sendChanges();
    void largestFilesFound(Entries files, bool complete);
    // Lists the files kept that are largest in the measure.
    void showLargestFiles();
    // Takes moved entries, and what moved folders held, out of the largest files.
    void dropMovedFromLargestFiles(const Entries &moved);
    // Lessens the folders between the rows and a moved item that no row shows.
    void lessenHiddenFolders(std::string_view item, const FolderAttributes &removed);

    QByteArray m_lastFolder;
    QByteArray m_rootPath;
    std::shared_ptr<FolderVisualData> m_root;
    std::shared_ptr<FolderVisualData> m_visualData;
    QByteArray m_scanFile;
    std::shared_ptr<const ScanFile> m_scan;
    bool m_scanFolderHere = false;
    bool m_lacksDiskUsage = false;
    // The measure chosen; the one shown differs while a scan lacks disk usage.
    Measure m_chosenMeasure = Measure::ApparentSize;
    qint64 m_runStartedAt = 0; // UNIX seconds
    std::shared_ptr<BackgroundLink> m_link;
    std::shared_ptr<AnalysisRun> m_currentRun;
    AnalysisRun::ReportHook m_reportHook;
    quint64 m_runNumber = 0;
    bool m_runStopped = false;
    State m_state = State::Welcome;
    bool m_walkPending = false;
    bool m_walkStarted = false;
    std::optional<quint64> m_progressItems;

    Measure m_measure = Measure::ApparentSize;
    std::vector<Row> m_rows;
    // The folders the rows below row 0 showed, to open again in the next result.
    std::vector<QByteArray> m_reopen;
    // Moves to the trash belong to the result they were made in; it changes with every new one.
    quint64 m_resultNumber = 0;
    // Rows whose sectors lost size since the last notice: their shares are recomputed once.
    std::set<size_t> m_staleRows;
    bool m_wasReduced = false;
    quint64 m_itemsVisualized = 0;
    quint64 m_reclaimedSpace = 0;
    quint64 m_reclaimedDiskSpace = 0;
    quint64 m_reclaimedLinkedSpace = 0;
    std::array<QColor, 10> m_colors;
    std::array<QColor, 10> m_highlightColors;

    FileListModel *m_fileListModel = nullptr;
    Entries m_filesToDelete;
    quint64 m_listingNumber = 0;
    bool m_listing = false;
    ListingHook m_listingHook;
    // Paths moved to the trash since the folder in view began to be listed.
    std::unordered_set<std::string> m_movedPaths;
    // The folder in view.
    std::shared_ptr<FolderVisualData> m_listedFolder;
    // Files moved to the trash from a scan, which still lists them.
    std::unordered_set<std::string> m_movedFromScan;

    bool m_saving = false;
    // Moves that came back while the tree was being saved, taken out of it afterwards.
    std::vector<std::function<void()>> m_trashedWhileSaving;
    quint64 m_comparisonNumber = 0;
    bool m_readingComparison = false;
    std::shared_ptr<const ScanFile> m_earlierScan;
    std::unique_ptr<TreeComparison> m_comparison;

    QByteArray m_largestFolder;
    quint64 m_largestNumber = 0;
    std::shared_ptr<FolderVisualData> m_largestScanner; // of the search under way
    bool m_largestComplete = false;
    std::optional<quint64> m_largestItems;
    // Every file the search kept: the largest in either measure.
    Entries m_largestKept;
    FileListModel *m_largestFilesModel = nullptr;

    // Entries handed to a move that has not come back: a second press does not move them again.
    std::vector<Entry> m_entriesInFlight;
    int m_trashActionsRunning = 0;

    // What the next sendChanges() tells.
    struct Changes
    {
        bool state = false;
        int rowsFrom = INT_MAX;
        bool sectors = false;
        bool entries = false;
        bool selection = false;
        bool counts = false;
        std::vector<TrashFailures> finished;
        std::vector<ScanFailure> scanFailures;
        bool comparison = false;
        bool largest = false;
    };
    Changes m_changes;
    int m_batchDepth = 0;
};

} // namespace corvale
