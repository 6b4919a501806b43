#pragma once

#include <string>
#include <unordered_set>

namespace corvale {

// The places below a folder where another file system may begin, from /proc/self/mountinfo.
//
// A folder can only lie on a different file system than its parent if it is a mount point, so
// the walk asks the kernel about a folder's file system only there: one question per mount point
// instead of one per folder. When the table cannot be read, every folder is a candidate.
class MountPoints
{
public:
    // Mount points strictly below `root` (an absolute, resolved path).
    explicit MountPoints(const std::string &root);
    // Parses mountinfo text; for tests.
    MountPoints(const std::string &root, const std::string &mountinfo);

    bool known() const { return m_known; }
    bool mayBeMountPoint(const std::string &path) const { return !m_known || m_paths.count(path) != 0; }

private:
    void parse(const std::string &root, const std::string &mountinfo);

    bool m_known = false;
    std::unordered_set<std::string> m_paths;
};

} // namespace corvale
