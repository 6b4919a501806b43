#pragma once

// Folder trees for the walk's tests, made with plain system calls so that names need not be UTF-8.

#include "FolderVisualData.h"
#include "FolderVisualDataDelegate.h"

#include <QtTest>

#include <atomic>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
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
    TempTree()
    {
        QTemporaryDir dir(QDir::tempPath() + u"/corvale-scan-XXXXXX"_qs);
        dir.setAutoRemove(false);
        m_path = QFileInfo(dir.path()).canonicalFilePath().toStdString();
    }
    ~TempTree()
    {
        const std::string quoted = "'" + m_path + "'";
        std::system(("chmod -R u+rwx " + quoted + " 2>/dev/null; rm -rf " + quoted).c_str());
    }
    TempTree(const TempTree &) = delete;
    TempTree &operator=(const TempTree &) = delete;

    const std::string &path() const { return m_path; }
    std::string operator/(const std::string &relative) const { return m_path + "/" + relative; }

private:
    std::string m_path;
};

inline void makeFolder(const std::string &path)
{
    QVERIFY2(::mkdir(path.c_str(), 0755) == 0, path.c_str());
}

// Sparse: the walk counts lengths, not blocks.
inline void makeFile(const std::string &path, std::size_t length)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    QVERIFY2(fd >= 0 && ::ftruncate(fd, off_t(length)) == 0, path.c_str());
    ::close(fd);
}

// `folders` folders, each below the root or an earlier one, holding up to 15 sparse files of
// random lengths; about every seventh file is a hard link to the file made before it, which may
// lie in another folder.
inline void makeRandomTree(const std::string &root, int folders, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<std::string> made {root};
    std::string previous;
    for (int i = 0; i < folders; ++i) {
        const std::string folder = made[random() % made.size()] + "/d" + std::to_string(i);
        makeFolder(folder);
        made.push_back(folder);
        for (unsigned f = 0, files = random() % 16; f < files; ++f) {
            const std::string file = folder + "/f" + std::to_string(f);
            if (!previous.empty() && random() % 7 == 0)
                QVERIFY(::link(previous.c_str(), file.c_str()) == 0);
            else
                makeFile(file, random() % 100000);
            previous = file;
        }
    }
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
    if (node.children()) {
        for (const auto &child : *node.children()) {
            if (child->path() == node.path() + "/" + name)
                return child.get();
        }
    }
    return nullptr;
}

// Where two trees first differ in a path, a total or the order of children; empty if nowhere.
inline std::string treeDifference(const FolderVisualData &a, const FolderVisualData &b)
{
    std::vector<std::pair<const FolderVisualData *, const FolderVisualData *>> todo {{&a, &b}};
    while (!todo.empty()) {
        const auto [x, y] = todo.back();
        todo.pop_back();
        if (x->path() != y->path() || x->size() != y->size() || x->count() != y->count()
            || x->children()->size() != y->children()->size())
            return x->path() + " | " + y->path();
        for (std::size_t i = 0; i < x->children()->size(); ++i)
            todo.emplace_back((*x->children())[i].get(), (*y->children())[i].get());
    }
    return {};
}

// Walks `path` with one thread and with four, which must find the same tree, and returns it.
inline std::shared_ptr<FolderVisualData> walkBothWays(FolderVisualData &scanner, const std::string &path)
{
    scanner.setThreadCount(1);
    auto one = scanner.visualizePath(path);
    scanner.setThreadCount(4);
    auto four = scanner.visualizePath(path);
    scanner.setThreadCount(0);
    if (!one || !four || !treeDifference(*one, *four).empty())
        qWarning("not the same tree: %s", one && four ? treeDifference(*one, *four).c_str() : "");
    return one && four && treeDifference(*one, *four).empty() ? one : nullptr;
}

} // namespace corvale::test
