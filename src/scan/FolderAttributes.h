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
    std::uint64_t size = 0;
    std::uint64_t allocatedSize = 0; // disk usage, as du -B1 counts it
    std::string sizeText; // UTF-8
    std::uint64_t count = 0; // 1 for a file, the folder node's count + 1 for a folder
};

} // namespace corvale
