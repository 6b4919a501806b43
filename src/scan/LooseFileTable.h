#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace corvale {

class FolderVisualData;

// The loose files of every folder of a tree read from a scan file, and what the file says of
// each folder beyond its totals (the walk keeps no files, so a walked tree has no table).
//
// Compact: one 32-byte record per file and every name in one shared buffer, no object per
// file; asked for per folder node. Built by ScanFileReader and not changed afterwards, so any
// thread may read it. Its keys are the addresses of its tree's nodes, never followed: ask it
// only about nodes of that tree (ScanFile keeps the two together).
class LooseFileTable
{
public:
    enum Flag : std::uint8_t {
        NotRegular = 1, // a symbolic link, device, FIFO or socket
        ReadError = 2, // could not be read completely
        HardLinked = 4, // more than one link; its disk usage counts once per device and inode
    };
    // Why the scanning program left an entry out; written back as it was read.
    enum class Exclusion : std::uint8_t { None, Pattern, OtherFileSystem, KernelFileSystem, FirmLink, Other };

    struct File
    {
        std::string_view name; // the kernel's bytes, not necessarily UTF-8; valid with the table
        std::uint64_t size = 0; // apparent
        std::uint64_t allocatedSize = 0;
        std::uint8_t flags = 0;
        Exclusion exclusion = Exclusion::None;
        // How many of the folder's sub-folders the scan file lists before this file: the
        // writer keeps the order, on which the disk usage of hard links depends.
        std::uint32_t foldersBefore = 0;
        // Set for HardLinked files only.
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
    };

    struct Folder
    {
        // The folder's own entry, which its totals leave out of size but count in allocatedSize.
        std::uint64_t ownSize = 0;
        std::uint64_t ownAllocatedSize = 0;
        std::uint64_t device = 0;
        std::uint8_t flags = 0; // ReadError
        Exclusion exclusion = Exclusion::None;
        // Files that a summary entry of a Corvale scan file stands for, not listed one by one.
        std::uint64_t unlistedCount = 0;
        std::uint64_t unlistedSize = 0;
        std::uint64_t unlistedAllocatedSize = 0;
        std::size_t firstFile = 0;
        std::size_t fileCount = 0;
    };

    // What the table knows of `node`; nullptr for a node that is not of its tree.
    const Folder *folder(const FolderVisualData &node) const;
    File file(const Folder &folder, std::size_t i) const;
    // False when the file stood for each folder's loose files by one summary entry: the listing
    // is then empty and the folder's unlisted* fields hold what the files add up to.
    bool listsFiles() const { return m_listsFiles; }

private:
    friend class ScanFileReader;

    struct Record
    {
        std::uint64_t nameOffset;
        std::uint16_t nameLength;
        std::uint8_t flags;
        Exclusion exclusion;
        std::uint32_t foldersBefore;
        std::uint64_t size;
        std::uint64_t allocatedSize;
    };
    static_assert(sizeof(Record) == 32);
    struct Link
    {
        std::size_t file;
        std::uint64_t device;
        std::uint64_t inode;
    };

    std::vector<Record> m_files;
    std::string m_names;
    std::vector<Link> m_links; // by file index
    std::vector<Folder> m_folders;
    std::unordered_map<const FolderVisualData *, std::size_t> m_index;
    bool m_listsFiles = true;
};

} // namespace corvale
