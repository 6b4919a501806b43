// AnalysisSession: its state, the run (choosing, walking, stopping, the end of a walk) and the
// change notices.

#include "AnalysisSession.h"

#include "FileListModel.h"
#include "FolderVisualData.h"
#include "HexColor.h"
#include "PathBytes.h"
#include "TreeComparison.h"

#include <QDateTime>
#include <QThreadPool>

namespace corvale {

namespace {

struct PalettePair
{
    const char *normal;
    const char *highlight;
};

// The size ladder's colours, smallest class first.
constexpr std::array<PalettePair, 10> paletteHex {{
    {"00D93F", "02C039"},
    {"00E8AD", "00C391"},
    {"00D9D2", "00C2BC"},
    {"00BEE1", "00A9C8"},
    {"0085ff", "0073DD"},
    {"8A3DFF", "6600FF"},
    {"C225F9", "A50BDB"},
    {"DE08BB", "C205A3"},
    {"EF0879", "C70965"},
    {"FF4056", "C01D30"},
}};

} // namespace

AnalysisSession::ChangeBatch::ChangeBatch(AnalysisSession &session)
    : m_session(session)
{
    ++m_session.m_batchDepth;
}

AnalysisSession::ChangeBatch::~ChangeBatch()
{
    if (--m_session.m_batchDepth == 0)
        m_session.sendChanges();
}

AnalysisSession::AnalysisSession(QObject *parent)
    : QObject(parent)
    , m_link(std::make_shared<BackgroundLink>(this))
    , m_fileListModel(new FileListModel(this))
    , m_largestFilesModel(new FileListModel(this))
{
    for (size_t i = 0; i < paletteHex.size(); ++i) {
        m_colors[i] = colorWithHexColorString(QLatin1String(paletteHex[i].normal));
        m_highlightColors[i] = colorWithHexColorString(QLatin1String(paletteHex[i].highlight));
    }
    // Every mark the user changes (a click, the space key) ends in exactly one rebuild.
    connect(
        m_fileListModel, &FileListModel::checkMarksChanged, this, &AnalysisSession::fileSelectionsChanged);
}

AnalysisSession::~AnalysisSession()
{
    // A walk may still run on the pool: it must neither reach this object nor keep the CPU busy.
    m_link->cut();
    if (m_currentRun)
        m_currentRun->requestStop();
    if (m_largestScanner)
        m_largestScanner->requestStop();
}

bool AnalysisSession::isCurrent(const Ticket &ticket) const
{
    switch (ticket.channel) {
    case Ticket::Run:
        return ticket.number == m_runNumber;
    case Ticket::Result:
        return ticket.number == m_resultNumber;
    case Ticket::LargestFiles:
        return ticket.number == m_largestNumber;
    case Ticket::Listing:
        return ticket.number == m_listingNumber;
    case Ticket::Comparison:
        return ticket.number == m_comparisonNumber;
    case Ticket::Save:
        break;
    }
    return true;
}

void AnalysisSession::setState(State state)
{
    m_state = state;
    m_changes.state = true;
}

void AnalysisSession::openFolder(const QByteArray &path)
{
    m_lastFolder = path;
    m_scanFile.clear();
    startRun(false);
}

void AnalysisSession::updateFolder()
{
    startRun(m_state == State::Result);
}

void AnalysisSession::startRun(bool keepResult)
{
    const ChangeBatch batch(*this);
    setState(State::Walking);

    // One walk at a time: a walk still going on for the scanner being replaced is of no more use.
    if (m_currentRun)
        m_currentRun->requestStop();
    m_visualData = std::make_shared<FolderVisualData>();
    closeLargestFiles();
    if (!keepResult) {
        dropResult();
    } else if (std::exchange(m_readingComparison, false)) {
        // A comparison asked for the result in view: the new walk ends it anyway.
        ++m_comparisonNumber;
        m_changes.comparison = true;
    }
    // What the rows below row 0 show, to open again in the new result.
    m_reopen.clear();
    for (size_t row = 1; keepResult && row < m_rows.size(); ++row)
        m_reopen.push_back(m_rows[row].path);

    ++m_runNumber;
    m_runStopped = false;
    m_walkPending = true;
    m_walkStarted = false;
    m_progressItems.reset();
    m_runStartedAt = QDateTime::currentSecsSinceEpoch();
    // The task gets the path and the scanner or reader now, on this thread.
    m_currentRun = m_scanFile.isEmpty()
        ? std::make_shared<AnalysisRun>(m_link, m_runNumber, m_visualData, m_lastFolder, m_reportHook)
        : std::make_shared<AnalysisRun>(m_link, m_runNumber, m_scanFile, m_reportHook);
    backgroundPool()->start([run = m_currentRun] { run->run(); });
}

void AnalysisSession::dropResult()
{
    m_rows.clear();
    m_staleRows.clear();
    m_changes.rowsFrom = 0;
    m_root.reset();
    m_rootPath.clear();
    m_scan.reset();
    m_movedFromScan.clear();
    m_fileListModel->setLocked(false);
    if (std::exchange(m_lacksDiskUsage, false) && m_measure != m_chosenMeasure) {
        m_measure = m_chosenMeasure;
        m_fileListModel->setMeasure(m_measure);
        m_largestFilesModel->setMeasure(m_measure);
    }
    m_listedFolder.reset();
    if (m_readingComparison || m_comparison)
        m_changes.comparison = true;
    m_readingComparison = false;
    m_comparison.reset();
    m_earlierScan.reset();
    // A listing, a comparison or a move made in that result has nothing more to say.
    ++m_listingNumber;
    ++m_comparisonNumber;
    ++m_resultNumber;
    m_listing = false;
    m_fileListModel->setItems({});
    m_fileListModel->setShareOf(nullptr);
    clearFilesToDelete();
    m_changes.entries = true;
    m_entriesInFlight.clear();
    m_trashActionsRunning = 0;
    m_trashedWhileSaving.clear();
    m_reclaimedSpace = 0;
    m_reclaimedDiskSpace = 0;
    m_reclaimedLinkedSpace = 0;
    m_changes.counts = true;
}

void AnalysisSession::walkStarted()
{
    if (m_runStopped)
        return;
    m_walkStarted = true;
    m_changes.state = true;
}

void AnalysisSession::showProgress(quint64 items)
{
    if (m_runStopped)
        return;
    m_progressItems = items;
    m_changes.state = true;
}

void AnalysisSession::walkEnded(std::shared_ptr<FolderVisualData> tree)
{
    // A stop that came before the walk began is lost on the scanner (a walk clears the flag when
    // it starts), so the run's own record of it decides.
    processData(m_runStopped ? nullptr : std::move(tree));
}

void AnalysisSession::stopSearch()
{
    const ChangeBatch batch(*this);
    if (m_currentRun)
        m_currentRun->requestStop();
    m_runStopped = true;
    setState(m_root ? State::Result : State::Welcome);
}

void AnalysisSession::processData(std::shared_ptr<FolderVisualData> tree)
{
    const ChangeBatch batch(*this);
    m_walkPending = false;
    m_walkStarted = false;
    m_progressItems.reset();
    m_changes.state = true;
    if (!tree)
        return;

    // A Refresh kept the result it replaces until now.
    if (m_root && tree != m_root)
        dropResult();
    m_root = std::move(tree);
    m_rootPath = bytes(m_root->path());
    m_itemsVisualized = m_root->count();
    m_changes.counts = true;
    // A folder with files only still gets its row, a single "Files" sector, and its files are
    // listed: otherwise it would show nothing the user could act on.
    Entries entries;
    m_rows = {Row {buildRow(*m_root, entries), m_rootPath}};
    m_staleRows.clear();
    m_changes.rowsFrom = 0;
    std::shared_ptr<FolderVisualData> shown = m_root;
    // The folders a Refresh had open, as far down as they are still there.
    for (const QByteArray &path : std::exchange(m_reopen, {})) {
        const auto &sectors = m_rows.back().sectors;
        const auto found = std::find_if(sectors.begin(), sectors.end(), [&](const auto &sector) {
            const auto node = sector->template represented<FolderVisualData>();
            return !sector->isDisabled() && node && view(path) == node->path();
        });
        if (found == sectors.end())
            break;
        (*found)->setSelected(true);
        shown = (*found)->represented<FolderVisualData>();
        entries.clear();
        m_rows.push_back(Row {buildRow(*shown, entries), path});
    }
    listFolder(shown, m_rows.back().path, std::move(entries));
    setState(State::Result);
}

void AnalysisSession::sendChanges()
{
    // Whatever a receiver changes in turn is told by a batch of its own.
    const Changes changes = std::exchange(m_changes, Changes {});
    for (size_t row : std::exchange(m_staleRows, {})) {
        if (row < m_rows.size())
            updateDataInSectors(m_rows[row].sectors, m_measure);
    }
    // The labels of the changes since an earlier scan follow every change of the rows.
    if (changes.rowsFrom != INT_MAX || changes.sectors || changes.comparison)
        labelChanges(changes.sectors || changes.comparison ? 0 : size_t(changes.rowsFrom));
    if (changes.state)
        Q_EMIT stateChanged();
    if (changes.rowsFrom != INT_MAX)
        Q_EMIT rowsChanged(changes.rowsFrom);
    else if (changes.sectors)
        Q_EMIT sectorsChanged();
    if (changes.entries)
        Q_EMIT entriesChanged();
    if (changes.selection)
        Q_EMIT filesToDeleteChanged();
    if (changes.counts)
        Q_EMIT countsChanged();
    if (changes.comparison)
        Q_EMIT comparisonChanged();
    if (changes.largest)
        Q_EMIT largestFilesChanged();
    for (const TrashFailures &failures : changes.finished)
        Q_EMIT trashActionFinished(failures);
    for (const ScanFailure &failure : changes.scanFailures)
        Q_EMIT scanFileFailed(failure.task, failure.file, failure.error);
}

} // namespace corvale
