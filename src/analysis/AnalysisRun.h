#pragma once

#include "FolderVisualDataDelegate.h"

#include <QByteArray>

#include <functional>
#include <memory>
#include <mutex>

namespace corvale {

class FolderVisualData;
class StorageWindowController;

// One analysis run as its background task sees it: the task body (announce the walk, walk the
// folder with the run's own scanner, hand the tree back) and the scanner's delegate for the run.
// The task owns it, not the controller, so a walk that outlives its window still has a live
// delegate. Every report reaches the controller only through the Link, on the GUI thread, tagged
// with the run's number; the controller drops what belongs to an older run. Reports are posted
// from one thread in the order walk started, progress, end, and the queue keeps that order.
class AnalysisRun final : public FolderVisualDataDelegate
{
public:
    // The one way from background tasks to their controller, shared by all its runs. The
    // controller cuts it in its destructor; after that nothing is posted, and what was posted
    // before dies with the controller's event queue.
    class Link
    {
    public:
        explicit Link(StorageWindowController *controller)
            : m_controller(controller)
        { }
        void cut();
        // Queues `task` for the controller's thread; any thread.
        void post(std::function<void(StorageWindowController &)> task);

    private:
        std::mutex m_mutex;
        StorageWindowController *m_controller; // non-owning; null once cut
    };

    // Test seam, called on the reporting thread before each progress report is posted.
    using ReportHook = std::function<void(quint64 run, std::uint64_t items)>;

    AnalysisRun(std::shared_ptr<Link> link, quint64 number, std::shared_ptr<FolderVisualData> scanner,
        QByteArray path, ReportHook hook = {});
    ~AnalysisRun() override;

    quint64 number() const { return m_number; }

    // The task body; background thread.
    void run();
    // Announces the walk and walks; returns the tree, or nothing after a stop.
    std::shared_ptr<FolderVisualData> processVD(const QByteArray &path);

    // Any thread; returns at once.
    void updateFolderProgress(std::uint64_t items) override;

private:
    std::shared_ptr<Link> m_link;
    const quint64 m_number;
    std::shared_ptr<FolderVisualData> m_scanner;
    const QByteArray m_path;
    const ReportHook m_hook;
};

} // namespace corvale
