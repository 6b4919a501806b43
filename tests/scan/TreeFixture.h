#pragma once

// Builds folder trees for the walk's tests with plain system calls, relative to descriptors, so
// that trees deeper than PATH_MAX, unreadable folders and names that are not UTF-8 can be made
// and removed again.

#include "FolderVisualData.h"
#include "FolderVisualDataDelegate.h"

#include <QtTest>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace corvale::test {

// A fresh folder under the temporary directory, removed with everything in it.
class TempTree
{
public:
    TempTree()
    {
        std::string pattern = QDir::tempPath().toStdString() + "/corvale-scan-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back(0);
        if (!::mkdtemp(buffer.data()))
            qFatal("mkdtemp failed");
        char *real = ::realpath(buffer.data(), nullptr);
        m_path = real;
        std::free(real);
    }
    ~TempTree() { removeTree(m_path); }
    TempTree(const TempTree &) = delete;
    TempTree &operator=(const TempTree &) = delete;

    const std::string &path() const { return m_path; }
    std::string operator/(const std::string &relative) const { return m_path + "/" + relative; }

    // Removes a tree of any depth, with unreadable folders in it, keeping two descriptors open.
    static void removeTree(const std::string &root)
    {
        ::chmod(root.c_str(), 0700);
        int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            return;
        std::vector<std::string> names;
        for (;;) {
            std::string folder;
            DIR *dir = ::fdopendir(::dup(fd));
            while (dirent *e = dir ? ::readdir(dir) : nullptr) {
                const std::string name = e->d_name;
                if (name == "." || name == "..")
                    continue;
                struct stat st;
                if (::fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode)) {
                    if (folder.empty())
                        folder = name;
                } else {
                    ::unlinkat(fd, e->d_name, 0);
                }
            }
            if (dir)
                ::closedir(dir);
            if (!folder.empty()) {
                ::fchmodat(fd, folder.c_str(), 0700, 0);
                const int child
                    = ::openat(fd, folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
                if (child < 0)
                    break;
                ::close(fd);
                fd = child;
                names.push_back(folder);
                continue;
            }
            if (names.empty())
                break;
            const int parent = ::openat(fd, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            ::close(fd);
            fd = parent;
            if (fd < 0 || ::unlinkat(fd, names.back().c_str(), AT_REMOVEDIR) != 0)
                break;
            names.pop_back();
        }
        if (fd >= 0)
            ::close(fd);
        ::rmdir(root.c_str());
    }

private:
    std::string m_path;
};

inline void makeFolder(const std::string &path)
{
    QVERIFY2(::mkdir(path.c_str(), 0755) == 0, path.c_str());
}

inline void makeFile(const std::string &path, std::size_t length)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    QVERIFY2(fd >= 0, path.c_str());
    // Sparse: the walk counts lengths, not blocks.
    QVERIFY(::ftruncate(fd, off_t(length)) == 0);
    ::close(fd);
}

// Records every progress report, on whatever thread it comes.
class ProgressRecorder : public FolderVisualDataDelegate
{
public:
    void updateFolderProgress(std::uint64_t items) override { reports.push_back(items); }
    std::vector<std::uint64_t> reports;
};

inline const FolderVisualData *childNamed(const FolderVisualData &node, const std::string &name)
{
    if (!node.children())
        return nullptr;
    for (const auto &child : *node.children()) {
        if (child->path() == node.path() + "/" + name)
            return child.get();
    }
    return nullptr;
}

} // namespace corvale::test
