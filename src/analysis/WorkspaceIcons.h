#pragma once

#include <QByteArray>
#include <QIcon>

namespace corvale {

// The icon the desktop shows for a path: its MIME type (found from the name alone, never by
// reading the file) mapped onto the icon theme, cached per type. GUI thread only.
QIcon iconForFile(const QByteArray &path);
// The same when the caller already knows whether the path is a folder (saves a stat).
QIcon iconForEntry(const QByteArray &path, bool isDir);
// The icon of a symbolic link, wherever it leads.
QIcon iconForLink();

} // namespace corvale
