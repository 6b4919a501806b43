#pragma once

// Folder trees for the walk's tests, made with plain system calls so that names need not be UTF-8.

#include "FolderVisualData.h"
#include "FolderVisualDataDelegate.h"

#include <QtTest>

#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
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

// A clock that moves on by `step` each time the walk looks at it.
inline FolderVisualData::Clock steppingClock(std::chrono::nanoseconds step)
{
    auto calls = std::make_shared<int>(0);
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

} // namespace corvale::test
