#pragma once

#include <cstdint>
#include <string>

namespace corvale {

// One entry of the file list: a sub-folder or a loose file of the folder in view.
// Plain data, shared between the controller's lists as std::shared_ptr (identity = pointer).
// The icon is not stored here: the file list looks it up lazily per file type, only for the
// rows on screen.
struct FolderAttributes
{
    std::string path; // absolute, the kernel's bytes
    std::string name; // shown name, the kernel's bytes
    bool isDir = false;
    bool isLink = false; // a symbolic link, listed as a file of its own length
    std::uint64_t size = 0;
    std::uint64_t allocatedSize = 0; // disk usage, as du -B1 counts it
    std::uint64_t count = 0; // 1 for a file, the folder node's count + 1 for a folder

    // Against an earlier scan, while the list is compared with one.
    enum class Since : std::uint8_t {
        Unknown, // no comparison, or the earlier scan does not list the folder's files
        Existed, // the earlier sizes hold what it was then
        New,
        Gone, // only in the earlier scan: listed with the earlier sizes as its own, never acted on
    };
    Since since = Since::Unknown;
    std::uint64_t earlierSize = 0;
    std::uint64_t earlierAllocatedSize = 0;
    // Not a file but a scan's one entry for this many loose files of its folder: never acted on.
    std::uint64_t summarised = 0;
};

} // namespace corvale
