#pragma once

#include "DirectoryReader.h"
#include "FolderVisualData.h"
#include "MountPoints.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>

namespace corvale {

// What a scanner keeps for its walk; result nodes have none of it.
struct FolderVisualData::Walk
{
    std::atomic<bool> stopRequested {false};
    FolderVisualDataDelegate *delegate = nullptr;
    Clock clock = [] { return std::chrono::steady_clock::now(); };
    std::chrono::steady_clock::time_point lastReported;
    // Items seen so far; starts at all ones so that the chosen folder's own step brings it to 0.
    std::uint64_t totalReportedSize = 0;
    // Treat every entry's type as unknown, as some file systems report it (tests only).
    bool ignoreEntryTypes = false;
};

// One walk of a folder tree, depth first, entries in the file system's own order.
//
// The recursion of the walk is an explicit stack of levels on the heap, so the depth of a tree
// is bounded neither by the thread's stack nor by PATH_MAX: each folder is opened relative to
// its parent's descriptor, and at most maxOpenFolders descriptors are held at once (a folder far
// up the path is parked and reopened when the walk comes back to it). Runs on the thread that
// called visualizePath(); reads only the stop flag from other threads.
class FolderWalker
{
public:
    static constexpr std::size_t maxOpenFolders = 64;
    static constexpr std::size_t readBufferSize = 128 * 1024;

    explicit FolderWalker(FolderVisualData::Walk &state);
    ~FolderWalker();
    FolderWalker(const FolderWalker &) = delete;
    FolderWalker &operator=(const FolderWalker &) = delete;

    // The tree below `path` (resolved like realpath), or nothing for an empty path or a stop.
    std::shared_ptr<FolderVisualData> walk(const std::string &path);

    static void setIgnoreEntryTypes(FolderVisualData &scanner, bool ignore);

private:
    struct Level
    {
        std::shared_ptr<FolderVisualData> node;
        DirectoryReader reader;
        std::uint64_t size = 0;
        std::uint64_t count = 0;
        FolderVisualData::Children children;
    };

    bool stopRequested() const { return m_state.stopRequested.load(std::memory_order_relaxed); }
    void reportProgressIfDue();
    void enter(std::size_t depth, std::string path, int parentFd, const char *name);
    void reopen(std::size_t depth); // by path from the root
    std::shared_ptr<FolderVisualData> unwind(std::size_t depth);

    FolderVisualData::Walk &m_state;
    std::deque<Level> m_levels; // a deque: growing it never moves a level
    std::size_t m_lowestOpen = 1; // levels [m_lowestOpen, top] hold descriptors; the root always does
    std::unique_ptr<char[]> m_buffer;
    std::optional<MountPoints> m_mountPoints;
};

} // namespace corvale
