#include "AnalysisRun.h"

#include "AnalysisSession.h"
#include "FolderVisualData.h"
#include "ScanFileReader.h"

#include <sys/stat.h>

namespace corvale {

namespace {

// Whether the folder a scan was made of is here: the path is a folder (a link now would lead
// elsewhere) on the device the scan names, where it names one. Machines share many paths, so
// this only lets the window offer the trash; each entry is checked again before it is moved.
bool isOnThisMachine(const ScanFile &scan)
{
    struct stat st;
    if (::lstat(scan.root->path().c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    const LooseFileTable::Folder *root = scan.files.folder(*scan.root);
    return !root || !root->device || root->device == std::uint64_t(st.st_dev);
}

} // namespace

AnalysisRun::AnalysisRun(std::shared_ptr<BackgroundLink> link, quint64 number,
    std::shared_ptr<FolderVisualData> scanner, QByteArray path, ReportHook hook)
    : m_link(std::move(link))
    , m_number(number)
    , m_scanner(std::move(scanner))
    , m_path(std::move(path))
    , m_hook(std::move(hook))
{ }

AnalysisRun::AnalysisRun(
    std::shared_ptr<BackgroundLink> link, quint64 number, QByteArray path, ReportHook hook)
    : m_link(std::move(link))
    , m_number(number)
    , m_reader(std::make_unique<ScanFileReader>())
    , m_path(std::move(path))
    , m_hook(std::move(hook))
{ }

AnalysisRun::~AnalysisRun() = default;

void AnalysisRun::requestStop()
{
    if (m_reader)
        m_reader->requestStop();
    else
        m_scanner->requestStop();
}

void AnalysisRun::run()
{
    if (m_reader) {
        readScanFile();
        return;
    }
    // A stop that came while the task waited for a thread: the walk would clear it and run to
    // its end for nothing.
    std::shared_ptr<FolderVisualData> tree;
    if (!m_scanner->stopRequested())
        tree = processVD(m_path);
    m_link->post(ticket(),
        [tree = std::move(tree)](AnalysisSession &session) mutable { session.walkEnded(std::move(tree)); });
}

void AnalysisRun::readScanFile()
{
    m_link->post(ticket(), [](AnalysisSession &session) { session.walkStarted(); });
    m_reader->setDelegate(this);
    std::optional<ScanFile> read = m_reader->read(m_path.toStdString());
    m_reader->setDelegate(nullptr);
    std::shared_ptr<const ScanFile> scan
        = read ? std::make_shared<const ScanFile>(std::move(*read)) : nullptr;
    const bool local = scan && isOnThisMachine(*scan);
    m_link->post(ticket(), [scan, error = m_reader->error(), local](AnalysisSession &session) {
        session.scanRead(scan, error, local);
    });
}

std::shared_ptr<FolderVisualData> AnalysisRun::processVD(const QByteArray &path)
{
    m_link->post(ticket(), [](AnalysisSession &session) { session.walkStarted(); });
    m_scanner->setDelegate(this);
    auto tree = m_scanner->visualizePath(path.toStdString());
    m_scanner->setDelegate(nullptr);
    return tree;
}

void AnalysisRun::updateFolderProgress(std::uint64_t items)
{
    if (m_hook)
        m_hook(m_number, items);
    m_link->post(ticket(), [items](AnalysisSession &session) { session.showProgress(items); });
}

} // namespace corvale
