#pragma once

#include "FileObserver.h"
#include "FolderVisualData.h"
#include "MountPoints.h"
#include "TreeTotals.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace corvale {

// What a scanner keeps for its walks; result nodes have none of it.
struct FolderVisualData::Walk
{
    std::atomic<bool> stopRequested {false};
    FolderVisualDataDelegate *delegate = nullptr;
    FileObserver *fileObserver = nullptr;
    Clock clock = [] { return std::chrono::steady_clock::now(); };
    unsigned threadCount = 0; // 0: one per core
    // Treat every entry's type as unknown, as some file systems report it (tests only).
    bool ignoreEntryTypes = false;
    bool countLinks = false;
    std::vector<FolderVisualData::LinkedFile> linkedFiles; // of the last walk, when countLinks
};

// One walk of a folder tree, on the calling thread and on threads of its own.
//
// Each folder is one job: a thread opens it, reads all its entries, measures the non-folders,
// makes a node for each sub-folder in listing order and queues their jobs. So every node is
// written by one thread, and children keep the listing's order whichever thread walks them;
// totals over subtrees, and which place of a multi-linked file counts its blocks, are settled
// once all threads are done (TreeTotals). A thread takes its own newest job first, so it goes
// deep and its queue stays short; with none left it takes another thread's oldest job, the
// largest piece of work there. Threads are made for one walk and joined before walk() returns:
// a walk is long next to making them, and an idle scanner then holds nothing.
//
// Nothing recurses, so no stack grows with the tree's depth. Descriptors: a folder whose
// sub-folders are still to be walked keeps its descriptor for them, at most maxHeldFolders over
// the whole walk; beyond that its sub-folders are reached from the root one name at a time, which
// no depth defeats. A thread holds at most two more (the folder it reads, or two on its way down
// from the root), and the root's is kept: at most maxHeldFolders + 2 per thread + 1 are open,
// 97 with 16 threads.
class FolderWalker
{
public:
    static constexpr std::size_t maxHeldFolders = 64;
    static constexpr std::size_t readBufferSize = 32 * 1024;
    static constexpr unsigned maxThreads = 16;

    static unsigned threadsFor(unsigned requested);

    explicit FolderWalker(FolderVisualData::Walk &state);
    ~FolderWalker();
    FolderWalker(const FolderWalker &) = delete;
    FolderWalker &operator=(const FolderWalker &) = delete;

    // The tree below `path` (resolved like realpath), or nothing for an empty path or a stop.
    std::shared_ptr<FolderVisualData> walk(const std::string &path);
    // Items seen so far below the chosen folder: the progress reports' count. Starts at all ones,
    // so that the chosen folder's own job brings it to 0.
    std::uint64_t itemsSeen() const;

    static void setIgnoreEntryTypes(FolderVisualData &scanner, bool ignore);

private:
    static std::vector<FolderVisualData::LinkedFile> countLinks(
        const std::vector<TreeTotals::LinkedFile> &linked);

    struct Held; // an open folder whose sub-folders are still to be walked
    struct Job
    {
        FolderVisualData *node; // owned by the tree
        Held *parent; // nullptr: reach it from the root
    };
    struct Worker;

    bool stopRequested() const { return m_state.stopRequested.load(std::memory_order_relaxed); }
    void run(Worker &me);
    bool take(Worker &me, Job &job);
    void queue(Worker &me, const FolderVisualData::Children &children, int fd);
    void finish();
    void release(Held *held);
    void walkFolder(Worker &me, const Job &job);
    int open(const Job &job, std::uint64_t &allocated);
    int openParentFromRoot(const std::string &path, std::size_t slash);
    void reportProgressIfDue();

    FolderVisualData::Walk &m_state;
    FolderVisualData *m_root = nullptr;
    int m_rootFd = -1;
    std::optional<MountPoints> m_mountPoints;
    std::vector<std::unique_ptr<Worker>> m_workers;

    std::atomic<std::size_t> m_held {0};
    std::atomic<std::int64_t> m_pending {0}; // jobs queued or being walked
    std::atomic<std::int64_t> m_queued {0}; // jobs in some queue
    std::atomic<int> m_idle {0};
    std::mutex m_idleMutex;
    std::condition_variable m_wake;

    std::mutex m_reportMutex;
    std::atomic<std::chrono::steady_clock::rep> m_lastReported {0};
};

} // namespace corvale
