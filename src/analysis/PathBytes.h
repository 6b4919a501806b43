#pragma once

#include <QByteArray>

#include <string>

namespace corvale {

// A path of the walk as the kernel's bytes, for the Qt side: never decoded, so names that are
// not UTF-8 still list, trash and reveal.
inline QByteArray bytes(const std::string &path)
{
    return QByteArray(path.data(), qsizetype(path.size()));
}

} // namespace corvale
