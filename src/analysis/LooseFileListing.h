#pragma once

#include "FolderAttributes.h"

#include <QByteArray>

#include <memory>
#include <vector>

namespace corvale {

class FolderVisualData;
struct ScanFile;

// Appends one file-list entry per direct entry of `folder` that is not a folder, in the file
// system's order: named as listed, its path the folder's and the name, its own size (0 when it
// cannot be read). A symbolic link is such an entry wherever it leads, never followed; a folder
// that cannot be listed, or that lies on a kernel pseudo file system (whose sizes are not disk
// space), adds nothing. Any thread, never the GUI thread (it waits for the disk); a folder of
// many files is measured with the help of short-lived threads, joined before return.
void appendLooseFiles(const QByteArray &folder, std::vector<std::shared_ptr<FolderAttributes>> &entries);

// Appends one file-list entry per loose file that `scan` holds for its folder `folder`, in the
// scan's order; where the scan stood for the folder's files by one summary entry, that entry,
// named for how many files it stands for. Any thread: the scan is only read.
void appendScannedFiles(const ScanFile &scan, const FolderVisualData &folder,
    std::vector<std::shared_ptr<FolderAttributes>> &entries);

} // namespace corvale
