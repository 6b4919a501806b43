#include "LargestFiles.h"

#include "FolderVisualData.h"

#include <algorithm>
#include <unordered_set>

namespace corvale {

namespace {

std::uint64_t keyOf(const LargestFiles::File &file, bool byAllocated)
{
    return byAllocated ? file.allocatedSize : file.size;
}

bool wanted(
    const std::vector<LargestFiles::File> &heap, std::size_t limit, std::uint64_t key, bool byAllocated)
{
    if (heap.size() < limit)
        return true;
    return !heap.empty() && key > keyOf(heap.front(), byAllocated);
}

} // namespace

LargestFiles::LargestFiles(std::size_t limit)
    : m_limit(limit)
{
    m_bySize.reserve(limit);
    m_byAllocated.reserve(limit);
}

void LargestFiles::offer(std::vector<File> &heap, const File &file, bool byAllocated) const
{
    const auto larger = [byAllocated](const File &a, const File &b) {
        return keyOf(a, byAllocated) > keyOf(b, byAllocated);
    };
    if (!wanted(heap, m_limit, keyOf(file, byAllocated), byAllocated))
        return;
    if (heap.size() == m_limit) {
        std::pop_heap(heap.begin(), heap.end(), larger);
        heap.back() = file;
    } else {
        heap.push_back(file);
    }
    std::push_heap(heap.begin(), heap.end(), larger);
}

void LargestFiles::seeFile(
    const FolderVisualData &folder, const char *name, std::uint64_t size, std::uint64_t allocated)
{
    // Nearly every file is turned away here, before its path is made.
    const bool bySize = wanted(m_bySize, m_limit, size, false);
    const bool byAllocated = wanted(m_byAllocated, m_limit, allocated, true);
    if (!bySize && !byAllocated)
        return;
    File file;
    file.path.reserve(folder.path().size() + 1 + std::char_traits<char>::length(name));
    file.path = folder.path();
    if (file.path != "/")
        file.path += '/';
    file.path += name;
    file.size = size;
    file.allocatedSize = allocated;
    if (bySize)
        offer(m_bySize, file, false);
    if (byAllocated)
        offer(m_byAllocated, file, true);
}

std::unique_ptr<FileObserver> LargestFiles::fork() const
{
    return std::make_unique<LargestFiles>(m_limit);
}

void LargestFiles::merge(FileObserver &fork)
{
    const auto &other = static_cast<const LargestFiles &>(fork);
    for (const File &file : other.m_bySize)
        offer(m_bySize, file, false);
    for (const File &file : other.m_byAllocated)
        offer(m_byAllocated, file, true);
}

std::vector<LargestFiles::File> LargestFiles::files() const
{
    std::vector<File> all = m_bySize;
    std::unordered_set<std::string_view> kept;
    for (const File &file : m_bySize)
        kept.insert(file.path);
    for (const File &file : m_byAllocated) {
        if (!kept.count(file.path))
            all.push_back(file);
    }
    return all;
}

} // namespace corvale
