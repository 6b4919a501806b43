#include "FolderVisualData.h"

#include "FolderVisualDataDelegate.h"

#include <filesystem>

namespace corvale {

// Provisional walk (std::filesystem); replaced by the directory reader.
struct FolderVisualData::Walk
{
    Clock clock = [] { return std::chrono::steady_clock::now(); };
    std::chrono::steady_clock::time_point lastReported;
    std::uint64_t totalReportedSize = 0;
};

FolderVisualData::FolderVisualData() = default;
FolderVisualData::~FolderVisualData() = default;

void FolderVisualData::setClock(Clock clock)
{
    if (!m_walk)
        m_walk = std::make_unique<Walk>();
    m_walk->clock = std::move(clock);
}

void FolderVisualData::requestStop()
{
    m_stopRequested.store(true, std::memory_order_relaxed);
}

bool FolderVisualData::stopRequested() const
{
    return m_stopRequested.load(std::memory_order_relaxed);
}

static std::shared_ptr<FolderVisualData> walkOne(
    const std::filesystem::path &p, FolderVisualData &scanner, std::uint64_t &items)
{
    auto node = std::make_shared<FolderVisualData>();
    node->setPath(p.string());
    FolderVisualData::Children children;
    std::uint64_t size = 0, count = 0;
    std::error_code ec;
    ++items;
    for (auto it = std::filesystem::directory_iterator(p, ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        if (scanner.stopRequested())
            return nullptr;
        if (it->is_directory(ec) && !it->is_symlink(ec)) {
            if (auto child = walkOne(it->path(), scanner, items)) {
                size += child->size();
                count += child->count() + 1;
                children.push_back(std::move(child));
            }
        } else {
            ++items;
            ++count;
            size += it->is_symlink(ec) ? 0 : it->file_size(ec) == std::uintmax_t(-1) ? 0 : it->file_size(ec);
        }
    }
    node->setSize(size);
    node->setCount(count);
    node->setChildren(std::move(children));
    return scanner.stopRequested() ? nullptr : node;
}

std::shared_ptr<FolderVisualData> FolderVisualData::visualizePath(const std::string &path)
{
    m_stopRequested = false;
    if (!m_walk)
        m_walk = std::make_unique<Walk>();
    m_walk->totalReportedSize = ~std::uint64_t(0);
    std::shared_ptr<FolderVisualData> result;
    if (!path.empty())
        result = walkOne(std::filesystem::canonical(path), *this, m_walk->totalReportedSize);
    if (m_delegate)
        m_delegate->updateFolderProgress(m_walk->totalReportedSize);
    return result;
}

} // namespace corvale
