#include "AnalysisRun.h"

#include "FolderVisualData.h"
#include "StorageWindowController.h"

#include <QMetaObject>

namespace corvale {

void AnalysisRun::Link::cut()
{
    std::lock_guard lock(m_mutex);
    m_controller = nullptr;
}

void AnalysisRun::Link::post(std::function<void(StorageWindowController &)> task)
{
    // Posting under the lock: the controller cannot finish dying between the check and the post,
    // and an event posted to it is discarded with it.
    std::lock_guard lock(m_mutex);
    if (!m_controller)
        return;
    StorageWindowController *controller = m_controller;
    QMetaObject::invokeMethod(
        controller, [controller, task = std::move(task)] { task(*controller); }, Qt::QueuedConnection);
}

AnalysisRun::AnalysisRun(std::shared_ptr<Link> link, quint64 number,
    std::shared_ptr<FolderVisualData> scanner, QByteArray path, ReportHook hook)
    : m_link(std::move(link))
    , m_number(number)
    , m_scanner(std::move(scanner))
    , m_path(std::move(path))
    , m_hook(std::move(hook))
{ }

AnalysisRun::~AnalysisRun() = default;

void AnalysisRun::run()
{
    // A stop that came while the task waited for a thread: the walk would clear it and run to
    // its end for nothing.
    std::shared_ptr<FolderVisualData> tree;
    if (!m_scanner->stopRequested())
        tree = processVD(m_path);
    const quint64 number = m_number;
    m_link->post([number, tree = std::move(tree)](StorageWindowController &controller) mutable {
        controller.walkEnded(number, std::move(tree));
    });
}

std::shared_ptr<FolderVisualData> AnalysisRun::processVD(const QByteArray &path)
{
    const quint64 number = m_number;
    m_link->post(
        [number, path](StorageWindowController &controller) { controller.walkStarted(number, path); });
    m_scanner->setDelegate(this);
    auto tree = m_scanner->visualizePath(path.toStdString());
    m_scanner->setDelegate(nullptr);
    return tree;
}

void AnalysisRun::updateFolderProgress(std::uint64_t items)
{
    if (m_hook)
        m_hook(m_number, items);
    const quint64 number = m_number;
    m_link->post(
        [number, items](StorageWindowController &controller) { controller.showProgress(number, items); });
}

} // namespace corvale
