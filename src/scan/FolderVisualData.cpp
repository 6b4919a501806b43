#include "FolderVisualData.h"

#include "FolderVisualDataDelegate.h"
#include "FolderWalker.h"

namespace corvale {

FolderVisualData::FolderVisualData()
    : m_walk(std::make_unique<Walk>())
{ }

FolderVisualData::FolderVisualData(NodeTag) { }

FolderVisualData::~FolderVisualData()
{
    // Torn down level by level from a list of our own: left to the members, a chain of nested
    // folders would take one stack frame per level and a deep enough one would overflow.
    if (!m_children)
        return;
    Children pending = std::move(*m_children);
    while (!pending.empty()) {
        std::shared_ptr<FolderVisualData> node = std::move(pending.back());
        pending.pop_back();
        // Only a node we are the last owner of gives up its children; one still held elsewhere
        // keeps its whole subtree.
        if (node && node.use_count() == 1 && node->m_children) {
            for (auto &child : *node->m_children)
                pending.push_back(std::move(child));
            node->m_children->clear();
        }
    }
}

FolderVisualData::Walk &FolderVisualData::walk()
{
    // Only for a result node used as a scanner; never while another thread may call requestStop().
    if (!m_walk)
        m_walk = std::make_unique<Walk>();
    return *m_walk;
}

FolderVisualDataDelegate *FolderVisualData::delegate() const
{
    return m_walk ? m_walk->delegate : nullptr;
}

void FolderVisualData::setDelegate(FolderVisualDataDelegate *delegate)
{
    walk().delegate = delegate;
}

void FolderVisualData::setFileObserver(FileObserver *observer)
{
    walk().fileObserver = observer;
}

void FolderVisualData::setClock(Clock clock)
{
    walk().clock = std::move(clock);
}

void FolderVisualData::setCountLinks(bool count)
{
    walk().countLinks = count;
}

const std::vector<FolderVisualData::LinkedFile> &FolderVisualData::linkedFiles() const
{
    static const std::vector<LinkedFile> none;
    return m_walk ? m_walk->linkedFiles : none;
}

void FolderVisualData::setThreadCount(unsigned count)
{
    walk().threadCount = count;
}

unsigned FolderVisualData::threadCount() const
{
    return FolderWalker::threadsFor(m_walk ? m_walk->threadCount : 0);
}

void FolderVisualData::requestStop()
{
    if (m_walk)
        m_walk->stopRequested.store(true, std::memory_order_relaxed);
}

bool FolderVisualData::stopRequested() const
{
    return m_walk && m_walk->stopRequested.load(std::memory_order_relaxed);
}

std::shared_ptr<FolderVisualData> FolderVisualData::visualizePath(const std::string &path)
{
    Walk &state = walk();
    state.stopRequested.store(false, std::memory_order_relaxed);
    FolderWalker walker(state);
    std::shared_ptr<FolderVisualData> result = walker.walk(path);
    // Made in every case, also after a stop.
    if (state.delegate)
        state.delegate->updateFolderProgress(walker.itemsSeen());
    return result;
}

} // namespace corvale
