#include "AnalysisRun.h"

#include "AnalysisSession.h"
#include "FolderVisualData.h"

namespace corvale {

AnalysisRun::AnalysisRun(std::shared_ptr<BackgroundLink> link, quint64 number,
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
    m_link->post(ticket(),
        [tree = std::move(tree)](AnalysisSession &session) mutable { session.walkEnded(std::move(tree)); });
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
