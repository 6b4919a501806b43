#pragma once

#include "FolderVisualData.h"
#include "ScanFile.h"

#include <string>

namespace corvale {

// Writes a folder tree as a JSON scan file that ScanFileReader, and the terminal analysers
// whose format it is, can open again with the same totals.
//
// Given the table of a tree read from a scan file, each folder's loose files are written one by
// one as they were read. A walked tree keeps no files: each folder's files then become one
// summary entry carrying their count, sizes and allocated size, and the metadata says so. The
// same happens to a folder whose files no longer add up to its totals (some were moved to the
// trash since). Names are the kernel's bytes, escaping only what JSON requires. Iterative, so any
// depth will do; runs on the calling thread, and the tree must not change meanwhile.
class ScanFileWriter
{
public:
    // Writes to `path` through a new file beside it, which replaces `path` only once complete
    // and on disk: a failed save loses nothing. `files` may be nullptr.
    static bool write(const std::string &path, const FolderVisualData &root, const LooseFileTable *files,
        const ScanMetadata &metadata, ScanFileError &error);
    // The same text in memory.
    static std::string toBytes(
        const FolderVisualData &root, const LooseFileTable *files, const ScanMetadata &metadata);
};

} // namespace corvale
