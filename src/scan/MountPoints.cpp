#include "MountPoints.h"

#include <fcntl.h>
#include <unistd.h>

namespace corvale {

namespace {

// mountinfo writes space, tab, newline and backslash as three octal digits after a backslash.
std::string unescape(const std::string &field)
{
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3'
            && field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
            out += char((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

bool isBelow(const std::string &path, const std::string &root)
{
    if (root == "/")
        return path.size() > 1 && path[0] == '/';
    return path.size() > root.size() + 1 && path.compare(0, root.size(), root) == 0
        && path[root.size()] == '/';
}

} // namespace

MountPoints::MountPoints(const std::string &root)
{
    const int fd = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    std::string text;
    char chunk[16384];
    ssize_t n;
    while ((n = ::read(fd, chunk, sizeof chunk)) > 0)
        text.append(chunk, std::size_t(n));
    ::close(fd);
    if (n == 0)
        parse(root, text);
}

MountPoints::MountPoints(const std::string &root, const std::string &mountinfo)
{
    parse(root, mountinfo);
}

void MountPoints::parse(const std::string &root, const std::string &mountinfo)
{
    m_paths.clear();
    std::size_t lines = 0;
    std::size_t start = 0;
    while (start < mountinfo.size()) {
        std::size_t end = mountinfo.find('\n', start);
        if (end == std::string::npos)
            end = mountinfo.size();
        // Fields: id, parent id, major:minor, root, mount point, ...
        std::size_t field = start;
        for (int i = 0; i < 4 && field != std::string::npos && field < end; ++i) {
            field = mountinfo.find(' ', field);
            if (field != std::string::npos)
                ++field;
        }
        if (field != std::string::npos && field < end) {
            std::size_t fieldEnd = mountinfo.find(' ', field);
            if (fieldEnd == std::string::npos || fieldEnd > end)
                fieldEnd = end;
            std::string path = unescape(mountinfo.substr(field, fieldEnd - field));
            if (isBelow(path, root))
                m_paths.insert(std::move(path));
            ++lines;
        }
        start = end + 1;
    }
    // A table without a single mount is not one we can trust.
    m_known = lines > 0;
}

} // namespace corvale
