#include "FolderWalker.h"

#include "DirectoryReader.h"
#include "FolderVisualDataDelegate.h"
#include "TreeTotals.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <iterator>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <tuple>
#include <unistd.h>

namespace corvale {

struct FolderWalker::Held
{
    int fd;
    std::atomic<std::size_t> waiting; // sub-folders not yet opened
};

// One walking thread's queue and scratch space. Only the queue is shared (under its mutex);
// the counter is written by its thread alone and read by whoever reports progress.
struct FolderWalker::Worker
{
    explicit Worker(std::size_t index)
        : index(index)
    { }

    const std::size_t index;
    alignas(64) std::atomic<std::uint64_t> items {0};
    alignas(64) std::mutex mutex;
    std::deque<Job> jobs;
    std::unique_ptr<char[]> buffer = std::make_unique<char[]>(readBufferSize);
    FolderVisualData::Children children;
    std::vector<TreeTotals::LinkedFile> linked;
    FileObserver *observer = nullptr; // the walk's own for the first thread, else ownObserver
    std::unique_ptr<FileObserver> ownObserver;

    void count() { items.store(items.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed); }
};

FolderWalker::FolderWalker(FolderVisualData::Walk &state)
    : m_state(state)
{ }

FolderWalker::~FolderWalker() = default;

unsigned FolderWalker::threadsFor(unsigned requested)
{
    if (requested == 0)
        requested = std::thread::hardware_concurrency();
    return std::clamp(requested, 1u, maxThreads);
}

void FolderWalker::setIgnoreEntryTypes(FolderVisualData &scanner, bool ignore)
{
    scanner.walk().ignoreEntryTypes = ignore;
}

std::uint64_t FolderWalker::itemsSeen() const
{
    std::uint64_t items = ~std::uint64_t(0);
    for (const auto &worker : m_workers)
        items += worker->items.load(std::memory_order_relaxed);
    return items;
}

void FolderWalker::reportProgressIfDue()
{
    using namespace std::chrono;
    const steady_clock::rep now = m_state.clock().time_since_epoch().count();
    const steady_clock::rep due = duration_cast<steady_clock::duration>(seconds(5)).count();
    if (now - m_lastReported.load(std::memory_order_relaxed) <= due)
        return;
    // One report at a time; whoever comes second finds it is not due any more.
    std::lock_guard lock(m_reportMutex);
    if (now - m_lastReported.load(std::memory_order_relaxed) <= due)
        return;
    m_lastReported.store(now, std::memory_order_relaxed);
    if (m_state.delegate)
        m_state.delegate->updateFolderProgress(itemsSeen());
}

std::shared_ptr<FolderVisualData> FolderWalker::walk(const std::string &path)
{
    m_workers.push_back(std::make_unique<Worker>(0));
    m_lastReported.store(m_state.clock().time_since_epoch().count(), std::memory_order_relaxed);
    if (path.empty())
        return nullptr;

    // A path that cannot be resolved leaves the root without a path, like a failed conversion:
    // a folder that cannot be opened.
    auto root = std::make_shared<FolderVisualData>(FolderVisualData::NodeTag {});
    if (char *real = ::realpath(path.c_str(), nullptr)) {
        root->m_path = real;
        std::free(real);
        m_rootFd = ::open(root->m_path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        m_mountPoints.emplace(root->m_path);
    }
    m_root = root.get();

    m_pending = 1;
    m_queued = 1;
    m_workers[0]->jobs.push_back({m_root, nullptr});
    const unsigned threads = threadsFor(m_state.threadCount);
    while (m_workers.size() < threads)
        m_workers.push_back(std::make_unique<Worker>(m_workers.size()));
    if (FileObserver *observer = m_state.fileObserver) {
        m_workers[0]->observer = observer;
        for (std::size_t i = 1; i < m_workers.size(); ++i)
            m_workers[i]->observer = (m_workers[i]->ownObserver = observer->fork()).get();
    }
    std::vector<std::thread> helpers;
    for (std::size_t i = 1; i < m_workers.size(); ++i) {
        try {
            helpers.emplace_back([this, i] { run(*m_workers[i]); });
        } catch (const std::system_error &) {
            // No thread to be had: those there are take its share (its queue stays empty).
        }
    }
    run(*m_workers[0]);
    for (std::thread &helper : helpers)
        helper.join();
    if (m_rootFd >= 0)
        ::close(m_rootFd);
    // What a stopped walk saw is still worth having to an observer.
    for (std::size_t i = 1; i < m_workers.size(); ++i) {
        if (m_workers[i]->ownObserver)
            m_workers[0]->observer->merge(*m_workers[i]->ownObserver);
    }

    if (stopRequested())
        return nullptr;
    std::vector<TreeTotals::LinkedFile> linked;
    for (const auto &worker : m_workers)
        linked.insert(linked.end(), worker->linked.begin(), worker->linked.end());
    if (m_state.countLinks)
        m_state.linkedFiles = countLinks(linked);
    TreeTotals::add(*root, std::move(linked));
    return root;
}

std::vector<FolderVisualData::LinkedFile> FolderWalker::countLinks(
    const std::vector<TreeTotals::LinkedFile> &linked)
{
    std::vector<FolderVisualData::LinkedFile> files;
    files.reserve(linked.size());
    for (const TreeTotals::LinkedFile &link : linked)
        files.push_back({link.device, link.inode, link.links, link.allocated, 1});
    std::sort(files.begin(), files.end(), [](const auto &a, const auto &b) {
        return std::tie(a.device, a.inode) < std::tie(b.device, b.inode);
    });
    // One record per file, with the number of its names the walk met.
    std::vector<FolderVisualData::LinkedFile> counted;
    for (const auto &file : files) {
        if (!counted.empty() && counted.back().device == file.device && counted.back().inode == file.inode)
            ++counted.back().met;
        else
            counted.push_back(file);
    }
    return counted;
}

void FolderWalker::run(Worker &me)
{
    Job job;
    while (take(me, job)) {
        if (!stopRequested()) {
            walkFolder(me, job);
        } else {
            // Dropped unopened. The chosen folder counts all the same: a walk that has begun
            // has seen it.
            if (job.node == m_root)
                me.count();
            release(job.parent);
        }
        finish();
    }
}

bool FolderWalker::take(Worker &me, Job &job)
{
    const auto pop = [&](Worker &from, bool newest) {
        std::lock_guard lock(from.mutex);
        if (from.jobs.empty())
            return false;
        job = newest ? from.jobs.back() : from.jobs.front();
        newest ? from.jobs.pop_back() : from.jobs.pop_front();
        --m_queued;
        return true;
    };
    for (;;) {
        if (pop(me, true))
            return true;
        for (std::size_t k = 1; k < m_workers.size(); ++k) {
            if (pop(*m_workers[(me.index + k) % m_workers.size()], false))
                return true;
        }
        std::unique_lock lock(m_idleMutex);
        if (m_pending == 0)
            return false;
        if (m_queued > 0)
            continue; // queued meanwhile
        ++m_idle;
        m_wake.wait(lock, [this] { return m_queued > 0 || m_pending == 0; });
        --m_idle;
    }
}

void FolderWalker::queue(Worker &me, const FolderVisualData::Children &children, int fd)
{
    Held *held = nullptr;
    if (m_held.fetch_add(1) < maxHeldFolders) {
        held = new Held {fd, children.size()};
    } else {
        --m_held;
        ::close(fd);
    }
    // Counted before they can be taken, so that the walk cannot seem over while they wait.
    m_pending += std::int64_t(children.size());
    m_queued += std::int64_t(children.size());
    {
        std::lock_guard lock(me.mutex);
        // Newest last, so that this thread walks them in listing order.
        for (auto child = children.rbegin(); child != children.rend(); ++child)
            me.jobs.push_back({child->get(), held});
    }
    if (m_idle > 0) {
        std::lock_guard lock(m_idleMutex);
        m_wake.notify_all();
    }
}

void FolderWalker::finish()
{
    if (--m_pending == 0) {
        std::lock_guard lock(m_idleMutex);
        m_wake.notify_all();
    }
}

void FolderWalker::release(Held *held)
{
    if (held && held->waiting.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        ::close(held->fd);
        delete held;
        --m_held;
    }
}

int FolderWalker::openParentFromRoot(const std::string &path, std::size_t slash)
{
    // Name by name, never through a link: no depth is too deep for it, and a folder replaced by
    // a link meanwhile is not followed.
    std::size_t from = m_root->m_path.size() == 1 ? 1 : m_root->m_path.size() + 1;
    int fd = m_rootFd;
    while (fd >= 0 && from < slash) {
        std::size_t to = path.find('/', from);
        if (to == std::string::npos || to > slash)
            to = slash;
        const std::string name = path.substr(from, to - from);
        const int next = ::openat(fd, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd != m_rootFd)
            ::close(fd);
        fd = next;
        from = to + 1;
    }
    return fd;
}

int FolderWalker::open(const Job &job, std::uint64_t &allocated)
{
    const std::string &path = job.node->m_path;
    int parentFd = AT_FDCWD;
    const char *name = path.c_str();
    bool checkFileSystem = true;
    int fromRoot = -1;
    if (job.node != m_root) {
        const std::size_t slash = path.rfind('/');
        name += slash + 1;
        checkFileSystem = !m_mountPoints || m_mountPoints->mayBeMountPoint(path);
        parentFd = job.parent ? job.parent->fd : (fromRoot = openParentFromRoot(path, slash));
    }
    const int fd = *name ? DirectoryReader::openFolder(parentFd, name, checkFileSystem) : -1;
    // The folder's own blocks, also when it cannot be listed, as du counts them.
    struct stat st;
    if ((fd >= 0 ? ::fstat(fd, &st) : ::fstatat(parentFd, name, &st, AT_SYMLINK_NOFOLLOW)) == 0)
        allocated = std::uint64_t(st.st_blocks) * 512;
    if (fromRoot >= 0 && fromRoot != m_rootFd)
        ::close(fromRoot);
    return fd;
}

void FolderWalker::walkFolder(Worker &me, const Job &job)
{
    reportProgressIfDue();
    me.count(); // the folder itself
    FolderVisualData &node = *job.node;
    std::uint64_t allocated = 0;
    DirectoryReader reader;
    reader.start(open(job, allocated));
    release(job.parent);

    std::uint64_t size = 0;
    std::uint64_t files = 0;
    FolderVisualData::Children &children = me.children;
    children.clear();
    DirectoryReader::Entry entry;
    while (reader.next(entry, me.buffer.get(), readBufferSize)) {
        if (stopRequested()) {
            children.clear();
            return;
        }
        const unsigned char type
            = m_state.ignoreEntryTypes ? static_cast<unsigned char>(DT_UNKNOWN) : entry.type;
        bool isFolder = type == DT_DIR;
        if (!isFolder) {
            // One question per non-folder: its type too when the listing did not say.
            struct statx st;
            if (::statx(reader.fd(), entry.name, AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC,
                    STATX_TYPE | STATX_SIZE | STATX_BLOCKS | STATX_NLINK | STATX_INO, &st)
                == 0) {
                isFolder = type == DT_UNKNOWN && S_ISDIR(st.stx_mode);
                if (!isFolder) {
                    size += st.stx_size;
                    if (me.observer && S_ISREG(st.stx_mode))
                        me.observer->seeFile(node, entry.name, st.stx_size, st.stx_blocks * 512);
                    // Which place of a multi-linked file counts its blocks is settled once the
                    // tree is complete.
                    if (st.stx_nlink > 1)
                        me.linked.push_back(
                            {&node, children.size(), std::uint64_t(st.stx_dev_major) << 32 | st.stx_dev_minor,
                                st.stx_ino, st.stx_blocks * 512, st.stx_nlink});
                    else
                        allocated += st.stx_blocks * 512;
                }
            }
        }
        if (!isFolder) {
            ++files;
            me.count();
            continue;
        }
        auto child = std::make_shared<FolderVisualData>(FolderVisualData::NodeTag {});
        const std::size_t nameLength = std::char_traits<char>::length(entry.name);
        child->m_path.reserve(node.m_path.size() + 1 + nameLength);
        child->m_path = node.m_path;
        if (node.m_path != "/")
            child->m_path += '/';
        child->m_path.append(entry.name, nameLength);
        children.push_back(std::move(child));
    }
    node.m_size = size;
    node.m_allocatedSize = allocated;
    node.m_count = files;
    node.m_children.emplace(
        std::make_move_iterator(children.begin()), std::make_move_iterator(children.end()));
    children.clear();
    if (!node.m_children->empty() && reader.fd() >= 0)
        queue(me, *node.m_children, reader.release());
}

} // namespace corvale
