#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvale {

class FileObserver;
class FolderVisualDataDelegate;

// One folder of a walked tree, and the scanner that builds such trees.
//
// The object on which visualizePath() is called is the scanner: it keeps the stop flag, the
// delegate and the walk's settings, and is not part of the result. Every node of the result is
// a new object. visualizePath() returns when the walk is done; it walks on the calling thread
// and on threads of its own, which it joins before it returns. Apart from the walk's own
// threads, the only state shared with others during a walk is the atomic stop flag
// (requestStop() may be called from any thread). The finished tree belongs to the caller.
// Paths are the kernel's bytes, not necessarily UTF-8.
class FolderVisualData
{
public:
    using Children = std::vector<std::shared_ptr<FolderVisualData>>;
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    FolderVisualData();
    ~FolderVisualData();
    FolderVisualData(const FolderVisualData &) = delete;
    FolderVisualData &operator=(const FolderVisualData &) = delete;

    // Walks `path` and returns its tree, or nothing for an empty path or after a stop.
    std::shared_ptr<FolderVisualData> visualizePath(const std::string &path);
    void requestStop();
    bool stopRequested() const;

    const std::string &path() const { return m_path; }
    void setPath(std::string path) { m_path = std::move(path); }
    // Apparent size: the length of every file below, each hard link counted where it lies.
    std::uint64_t size() const { return m_size; }
    void setSize(std::uint64_t size) { m_size = size; }
    // Disk usage, as du -B1 counts it: the blocks of the folder itself and of every file and
    // folder below, a file with several links counted once per walk, at the first place a
    // one-thread walk (depth first, in listing order) meets it.
    std::uint64_t allocatedSize() const { return m_allocatedSize; }
    void setAllocatedSize(std::uint64_t size) { m_allocatedSize = size; }
    std::uint64_t count() const { return m_count; }
    void setCount(std::uint64_t count) { m_count = count; }
    // Empty optional: no children at all (the node of a loose-files sector); a walked
    // folder always has a vector, possibly empty, in enumeration order.
    const std::optional<Children> &children() const { return m_children; }
    void setChildren(std::optional<Children> children) { m_children = std::move(children); }

    // Non-owning; the delegate must outlive the walk.
    FolderVisualDataDelegate *delegate() const;
    void setDelegate(FolderVisualDataDelegate *delegate);
    // Shown every file of the walks to come (see FileObserver); none by default. Non-owning; it
    // must outlive the walk.
    void setFileObserver(FileObserver *observer);

    // The clock of the 5-second progress throttle; tests inject their own. Called on every
    // walking thread, possibly at once.
    void setClock(Clock clock);
    // A file with more than one name, as a walk met it: what moving the walked folder frees of
    // it depends on whether the walk met all its names.
    struct LinkedFile
    {
        std::uint64_t device;
        std::uint64_t inode;
        std::uint64_t links; // its names, in all
        std::uint64_t allocated;
        std::uint64_t met; // its names below the walked folder
    };
    // Whether the walks to come keep one record per multi-linked file they meet (linkedFiles()).
    void setCountLinks(bool count);
    // Those of the last walk, by device and inode.
    const std::vector<LinkedFile> &linkedFiles() const;

    // Threads of the walks to come, the calling one included; 0 (the default) is one per core,
    // at most FolderWalker::maxThreads. The result does not depend on it.
    void setThreadCount(unsigned count);
    unsigned threadCount() const;

private:
    friend class FolderWalker;
    friend class ScanFileReader;
    struct Walk;
    struct NodeTag
    { };

public:
    // A result node: no scanner state (see FolderWalker).
    explicit FolderVisualData(NodeTag);

private:
    Walk &walk();

    // A node of a large tree is only these (96 bytes): what a walk needs on top (stop flag,
    // delegate, clock, settings) lives in m_walk, which result nodes lack.
    std::string m_path;
    std::uint64_t m_size = 0;
    std::uint64_t m_allocatedSize = 0;
    std::uint64_t m_count = 0;
    std::optional<Children> m_children;
    std::unique_ptr<Walk> m_walk;
};

} // namespace corvale
