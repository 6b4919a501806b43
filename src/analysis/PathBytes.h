#pragma once

#include <QByteArray>

#include <string>
#include <string_view>

namespace corvale {

// A path of the walk as the kernel's bytes, for the Qt side: never decoded, so names that are
// not UTF-8 still list, trash and reveal.
inline QByteArray bytes(std::string_view path)
{
    return QByteArray(path.data(), qsizetype(path.size()));
}

inline std::string_view view(const QByteArray &path)
{
    return std::string_view(path.constData(), size_t(path.size()));
}

// The last component of an absolute path: the name of what it names, "/" for the root.
inline std::string_view lastPathComponent(std::string_view path)
{
    if (path == "/")
        return path;
    const size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The folder that holds what an absolute path names; "/" for the root's entries and the root.
inline std::string_view parentPath(std::string_view path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return {};
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

// Whether `path` lies below the folder `folder` (not the folder itself).
inline bool isBelow(std::string_view path, std::string_view folder)
{
    if (folder == "/")
        return path.size() > 1 && path.front() == '/';
    return path.size() > folder.size() + 1 && path.substr(0, folder.size()) == folder
        && path[folder.size()] == '/';
}

} // namespace corvale
