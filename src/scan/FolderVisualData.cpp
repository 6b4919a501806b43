#include "FolderVisualData.h"

#include "FolderVisualDataDelegate.h"
#include "FolderWalker.h"

namespace corvale {

FolderVisualData::FolderVisualData()
    : m_walk(std::make_unique<Walk>())
{ }

FolderVisualData::FolderVisualData(NodeTag) { }

FolderVisualData::~FolderVisualData() = default;

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

void FolderVisualData::setClock(Clock clock)
{
    walk().clock = std::move(clock);
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
    state.lastReported = state.clock();
    state.totalReportedSize = ~std::uint64_t(0);
    std::shared_ptr<FolderVisualData> result = FolderWalker(state).walk(path);
    // Made in every case, also after a stop.
    if (state.delegate)
        state.delegate->updateFolderProgress(state.totalReportedSize);
    return result;
}

} // namespace corvale
