// AnalysisSession: the search for the largest files below a folder, and their list.
//
// The search is a walk of the folder by the program's own scanner with a LargestFiles observer,
// which keeps the largest files in bounded heaps (never a list of every file). It runs on the pool
// and reports through the link like the analysis walk, tagged with the number of the search;
// closing the list, or a new search, drops what an older one still sends.

#include "AnalysisSession.h"

#include "FileListModel.h"
#include "FolderVisualData.h"
#include "FolderVisualDataDelegate.h"
#include "LargestFiles.h"
#include "PathBytes.h"

#include <QThreadPool>

#include <algorithm>

namespace corvale {

// The search's task and the scanner's delegate, owned by the task.
class AnalysisSession::LargestFilesSearch final : public FolderVisualDataDelegate
{
public:
    LargestFilesSearch(std::shared_ptr<BackgroundLink> link, Ticket ticket,
        std::shared_ptr<FolderVisualData> scanner, QByteArray folder)
        : m_link(std::move(link))
        , m_ticket(ticket)
        , m_scanner(std::move(scanner))
        , m_folder(std::move(folder))
    { }

    void run()
    {
        LargestFiles largest(largestFilesShown);
        bool complete = false;
        // A stop that came while the task waited for a thread: the walk would clear it.
        if (!m_scanner->stopRequested()) {
            m_scanner->setDelegate(this);
            m_scanner->setFileObserver(&largest);
            complete = m_scanner->visualizePath(m_folder.toStdString()) != nullptr;
            m_scanner->setFileObserver(nullptr);
            m_scanner->setDelegate(nullptr);
        }
        Entries files;
        for (LargestFiles::File &file : largest.files()) {
            auto entry = std::make_shared<FolderAttributes>();
            entry->name = lastPathComponent(file.path);
            entry->path = std::move(file.path);
            entry->size = file.size;
            entry->allocatedSize = file.allocatedSize;
            entry->count = 1;
            files.push_back(std::move(entry));
        }
        m_link->post(m_ticket, [files = std::move(files), complete](AnalysisSession &session) mutable {
            session.largestFilesFound(std::move(files), complete);
        });
    }

    void updateFolderProgress(std::uint64_t items) override
    {
        m_link->post(m_ticket, [items](AnalysisSession &session) {
            session.m_largestItems = items;
            session.m_changes.largest = true;
        });
    }

private:
    std::shared_ptr<BackgroundLink> m_link;
    const Ticket m_ticket;
    std::shared_ptr<FolderVisualData> m_scanner;
    const QByteArray m_folder;
};

void AnalysisSession::findLargestFiles(const QByteArray &folder)
{
    const ChangeBatch batch(*this);
    closeLargestFiles();
    m_largestFolder = folder;
    m_changes.largest = true;
    m_largestFilesModel->setMeasure(m_measure);
    m_largestFilesModel->setFolderBase(m_rootPath);
    m_largestScanner = std::make_shared<FolderVisualData>();
    auto search = std::make_shared<LargestFilesSearch>(
        m_link, Ticket {Ticket::LargestFiles, m_largestNumber}, m_largestScanner, folder);
    backgroundPool()->start([search] { search->run(); });
}

void AnalysisSession::stopLargestFiles()
{
    if (m_largestScanner)
        m_largestScanner->requestStop();
}

void AnalysisSession::closeLargestFiles()
{
    const ChangeBatch batch(*this);
    stopLargestFiles();
    const bool searching = isFindingLargestFiles();
    m_largestScanner.reset();
    ++m_largestNumber;
    if (m_largestFolder.isEmpty() && !searching)
        return;
    m_largestFolder.clear();
    m_largestComplete = false;
    m_largestItems.reset();
    m_largestKept.clear();
    m_largestFilesModel->setItems({});
    m_changes.largest = true;
}

void AnalysisSession::largestFilesFound(Entries files, bool complete)
{
    m_largestComplete = complete && !m_largestScanner->stopRequested();
    m_largestScanner.reset();
    m_largestKept = std::move(files);
    showLargestFiles();
}

void AnalysisSession::showLargestFiles()
{
    Entries shown = m_largestKept;
    std::sort(shown.begin(), shown.end(),
        [this](const Entry &a, const Entry &b) { return sizeIn(m_measure, *a) > sizeIn(m_measure, *b); });
    if (shown.size() > largestFilesShown)
        shown.resize(largestFilesShown);
    // Marks stay on what is still listed.
    const Entries checked = m_largestFilesModel->checkedEntries();
    m_largestFilesModel->setItems(std::move(shown), [&checked](const Entry &entry) {
        return std::find(checked.begin(), checked.end(), entry) != checked.end();
    });
    m_largestFilesModel->sort(m_largestFilesModel->sortColumn(), m_largestFilesModel->sortOrder());
    m_changes.largest = true;
}

void AnalysisSession::dropMovedFromLargestFiles(const Entries &moved)
{
    if (m_largestKept.empty())
        return;
    Entries gone;
    std::erase_if(m_largestKept, [&](const Entry &file) {
        const bool inMoved = std::any_of(moved.begin(), moved.end(), [&](const Entry &item) {
            return item->path == file->path || (item->isDir && isBelow(file->path, item->path));
        });
        if (inMoved)
            gone.push_back(file);
        return inMoved;
    });
    if (gone.empty())
        return;
    // The next largest is not known without another search: the list grows shorter.
    m_largestFilesModel->removeEntries(gone);
    m_changes.largest = true;
}

} // namespace corvale
