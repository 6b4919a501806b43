#pragma once

#include "FolderVisualData.h"
#include "LooseFileTable.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace corvale {

// What a scan file says about the scan besides its tree.
struct ScanMetadata
{
    std::string program; // "progname": "ncdu", "gdu", "corvale", ...
    std::string programVersion; // "progver"
    std::optional<std::int64_t> timestamp; // when the scan was made, UNIX seconds
    std::uint64_t minorVersion = 0; // of the format (major is always 1)
    // Entries the scanning program could not read completely, and entries it left out
    // (excluded by a pattern, on another or a kernel file system).
    std::uint64_t readErrors = 0;
    std::uint64_t excludedEntries = 0;
    // Whether any entry gives its disk usage ("dsize"); without, every allocated size is 0.
    bool hasDiskUsage = false;
};

// Why a scan file could not be read or written: a kind to act on, and a message in English fit
// for the user that says where in the file it went wrong.
struct ScanFileError
{
    enum class Kind {
        None,
        Io, // the file could not be opened, read or written
        NotAScanFile, // empty, compressed, or another format altogether
        UnsupportedVersion, // a major version other than 1
        Malformed, // not JSON, or JSON that breaks the format's rules
        Truncated, // ends before the scan does
        TooLarge, // numbers, sums, names or nesting beyond what can be held
        Stopped,
    };
    Kind kind = Kind::None;
    std::string message;
    // Where in the file: a byte offset from its start, and the 1-based line and column of that
    // byte (0 when the error is not about a place in the file).
    std::uint64_t offset = 0;
    std::uint64_t line = 0;
    std::uint64_t column = 0;
};

// A scan read from a file: the same tree a walk makes, the loose files the walk would not keep,
// and the file's metadata. The table's entries belong to the nodes of this tree.
struct ScanFile
{
    std::shared_ptr<FolderVisualData> root;
    LooseFileTable files;
    ScanMetadata metadata;
};

} // namespace corvale
