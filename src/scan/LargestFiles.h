#pragma once

#include "FileObserver.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace corvale {

// The largest files a walk passes: the `limit` largest by length and the `limit` largest by disk
// usage, each kept in a bounded heap, so that it holds at most twice `limit` files however many
// the walk meets; a file's path is made only when it gets in. Of files of equal size, which are
// kept is left to chance. One thread at a time (see FileObserver).
class LargestFiles final : public FileObserver
{
public:
    struct File
    {
        std::string path; // the kernel's bytes
        std::uint64_t size = 0;
        std::uint64_t allocatedSize = 0;
    };

    explicit LargestFiles(std::size_t limit = 100);

    void seeFile(const FolderVisualData &folder, const char *name, std::uint64_t size,
        std::uint64_t allocated) override;
    std::unique_ptr<FileObserver> fork() const override;
    void merge(FileObserver &fork) override;

    std::size_t limit() const { return m_limit; }
    // Every file kept, each once, in no set order: the largest by either measure.
    std::vector<File> files() const;

private:
    void offer(std::vector<File> &heap, const File &file, bool byAllocated) const;

    std::size_t m_limit;
    // Min-heaps: the smallest kept file on top, the one a larger file pushes out.
    std::vector<File> m_bySize;
    std::vector<File> m_byAllocated;
};

} // namespace corvale
