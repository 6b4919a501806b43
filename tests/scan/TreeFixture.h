#pragma once

// Folder trees for the walk's tests, made with plain system calls so that names need not be
// UTF-8, and the oracles du and find to check a walk against.

#include "FolderVisualData.h"
#include "FolderVisualDataDelegate.h"

#include <QtTest>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace corvale::test {

// A fresh folder, removed with everything in it: rm copes with depth past PATH_MAX, chmod with
// folders the test made unreadable.
class TempTree
{
public:
    ~TempTree()
    {
        std::system(("chmod -R u+rwx '" + m_path + "' 2>/dev/null; rm -rf '" + m_path + "'").c_str());
    }
    const std::string &path() const { return m_path; }
    std::string operator/(const std::string &relative) const { return m_path + "/" + relative; }

private:
    QTemporaryDir m_dir {QDir::tempPath() + u"/corvale-scan-XXXXXX"_qs};
    const std::string m_path = QFileInfo(m_dir.path()).canonicalFilePath().toStdString();
};

inline void makeFolder(const std::string &path)
{
    QVERIFY2(::mkdir(path.c_str(), 0755) == 0, path.c_str());
}

// Sparse unless `written`: no blocks on the disk for its length.
inline void makeFile(const std::string &path, std::size_t length, bool written = false)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const std::string data(written ? length : 0, 'x');
    QVERIFY2(fd >= 0 && ::write(fd, data.data(), data.size()) == ssize_t(data.size())
            && ::ftruncate(fd, off_t(length)) == 0,
        path.c_str());
    ::close(fd);
}

// `folders` folders, each below the root or an earlier one, one of them named in Latin-1, with up
// to 15 files of random lengths: a third written, the rest sparse; about every seventh a hard link
// to any file made before, in the same folder or another; now and then a link to a folder, a
// dangling link or a FIFO instead.
inline void makeRandomTree(const std::string &root, int folders, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<std::string> made {root};
    std::vector<std::string> regular {root + "/f"};
    makeFile(regular[0], 1, true);
    for (int i = 0; i < folders; ++i) {
        const std::string folder
            = made[random() % made.size()] + (i == 1 ? "/caf\xe9" : "/d") + std::to_string(i);
        makeFolder(folder);
        made.push_back(folder);
        for (unsigned f = 0, files = random() % 16; f < files; ++f) {
            const std::string file = folder + "/f" + std::to_string(f);
            if (const unsigned kind = random() % 40; kind < 6)
                QVERIFY(::link(regular[random() % regular.size()].c_str(), file.c_str()) == 0);
            else if (kind == 6)
                QVERIFY(::symlink(made[random() % made.size()].c_str(), file.c_str()) == 0);
            else if (kind == 7)
                QVERIFY(::symlink("nowhere", file.c_str()) == 0 && ::mkfifo((file + "p").c_str(), 0644) == 0);
            else
                makeFile(regular.emplace_back(file), random() % 100000, random() % 3 == 0);
        }
    }
}

// Oracles: the "NUMBER<tab>PATH" lines a shell command prints (du's), by path.
inline std::map<std::string, std::uint64_t> numbersByPath(const std::string &command)
{
    std::map<std::string, std::uint64_t> numbers;
    if (FILE *out = ::popen((command + " 2>/dev/null").c_str(), "r")) {
        unsigned long long number;
        char path[16384];
        while (std::fscanf(out, "%llu\t%16383[^\n]\n", &number, path) == 2)
            numbers[path] = number;
        ::pclose(out);
    }
    return numbers;
}

inline int openDescriptors()
{
    return int(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
}

// Records every report and calls `onReport` after it, on whatever thread it comes.
struct ProgressRecorder : FolderVisualDataDelegate
{
    void updateFolderProgress(std::uint64_t items) override
    {
        reports.push_back(items);
        if (onReport)
            onReport();
    }
    std::vector<std::uint64_t> reports;
    std::function<void()> onReport;
};

// A clock that moves on by `step` each time a walking thread looks at it.
inline FolderVisualData::Clock steppingClock(std::chrono::nanoseconds step)
{
    auto calls = std::make_shared<std::atomic<int>>(0);
    return [step, calls] { return std::chrono::steady_clock::time_point {} + step * (*calls)++; };
}

inline const FolderVisualData *childNamed(const FolderVisualData &node, const std::string &name)
{
    for (const auto &child : *node.children()) {
        if (child->path() == node.path() + "/" + name)
            return child.get();
    }
    return nullptr;
}

// Where two trees first differ in a path, a total or the order of children; empty if nowhere.
inline std::string treeDifference(const FolderVisualData &a, const FolderVisualData &b, bool allocated = true)
{
    const auto children
        = [](const FolderVisualData *node) { return node->children() ? node->children()->size() : 0; };
    std::vector<std::pair<const FolderVisualData *, const FolderVisualData *>> todo {{&a, &b}};
    while (!todo.empty()) {
        const auto [x, y] = todo.back();
        todo.pop_back();
        if (x->path() != y->path() || x->size() != y->size() || x->count() != y->count()
            || (allocated && x->allocatedSize() != y->allocatedSize()) || children(x) != children(y))
            return x->path() + " | " + y->path();
        for (std::size_t i = 0; i < children(x); ++i)
            todo.emplace_back((*x->children())[i].get(), (*y->children())[i].get());
    }
    return {};
}

// `levels` nested folders below `root`, each holding a one-byte file "f" and `leaves` empty folders
// more, made relative to descriptors as the paths outgrow PATH_MAX. The chain goes on in the
// folder listed first, so that every level has folders left to walk while the walk is deeper
// down. Returns the chain's names.
inline std::vector<std::string> makeChain(const std::string &root, int levels, int leaves = 0)
{
    std::vector<std::string> chain;
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; level < levels; ++level) {
        for (int folder = 0; folder <= leaves; ++folder) {
            if (::mkdirat(fd, ("d" + std::to_string(level * (leaves + 1) + folder)).c_str(), 0755) != 0)
                qFatal("cannot make the chain's level %d", level);
        }
        DIR *listing = ::fdopendir(::dup(fd));
        dirent *entry;
        while ((entry = ::readdir(listing)) && entry->d_name[0] != 'd') { }
        chain.push_back(entry->d_name);
        ::closedir(listing);
        const int child = ::openat(fd, chain.back().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = child;
        const int file = ::openat(fd, "f", O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        if (file < 0 || ::write(file, "x", 1) != 1)
            qFatal("cannot make the chain's level %d", level);
        ::close(file);
    }
    ::close(fd);
    return chain;
}

// Runs `job` on a thread with a small stack: nothing may take a stack frame per level.
inline void onSmallStack(const std::function<void()> &job, int kib = 256)
{
    std::unique_ptr<QThread> thread(QThread::create(job));
    thread->setStackSize(uint(kib) * 1024);
    thread->start();
    thread->wait();
}

} // namespace corvale::test
