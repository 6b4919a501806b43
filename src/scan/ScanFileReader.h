#pragma once

#include "FolderVisualData.h"
#include "ScanFile.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace corvale {

class JsonInput;

// Reads the JSON scan files of the terminal disk analysers (format version 1, any minor) into
// the tree a walk makes, plus the loose files and metadata the file holds.
//
// Node totals follow the walk: a folder's size is the sum of the apparent sizes of every
// non-folder entry below it, its count the number of entries below it, its children in the
// file's order. Its allocated size adds the disk usage of everything below it and of the folder
// itself, each hard-linked file once per device and inode. The file is read as a stream with
// an explicit stack, so neither its size nor its depth costs memory or stack beyond the tree;
// anything malformed, truncated or hostile ends the read with a ScanFileError that says where.
// A read runs on the calling thread; requestStop() may come from any thread.
class ScanFileReader
{
public:
    // Longest name accepted, and how far the paths of all folders may outgrow the file (they
    // repeat every parent's name, so a deep chain of folders could otherwise ask for terabytes).
    static constexpr std::size_t maxNameLength = 65535;
    static constexpr std::uint64_t pathBudget = 256u << 20;
    static constexpr std::uint64_t pathBudgetPerInputByte = 64;

    ScanFileReader();
    ~ScanFileReader();
    ScanFileReader(const ScanFileReader &) = delete;
    ScanFileReader &operator=(const ScanFileReader &) = delete;

    // The scan in the file at `path`, or nothing (see error()).
    std::optional<ScanFile> read(const std::string &path);
    // The same from bytes in memory, seen `chunkSize` bytes at a time as if read from a file.
    std::optional<ScanFile> readBytes(std::string_view bytes, std::size_t chunkSize = SIZE_MAX);
    const ScanFileError &error() const { return m_error; }

    // Stops the read under way or the next one (a reader serves one request to open a file).
    void requestStop() { m_stopRequested.store(true, std::memory_order_relaxed); }
    // Non-owning: told the number of entries read so far, at most every 5 seconds and once at
    // the end, on the reading thread.
    void setDelegate(FolderVisualDataDelegate *delegate) { m_delegate = delegate; }

private:
    struct Info;
    struct Level
    {
        std::shared_ptr<FolderVisualData> node;
        FolderVisualData::Children children;
        LooseFileTable::Folder folder;
        std::vector<LooseFileTable::Record> files;
        std::vector<LooseFileTable::Link> links; // file: index into `files`
        std::string names;
        std::uint64_t size = 0;
        std::uint64_t allocated = 0;
        std::uint64_t count = 0;
    };

    std::optional<ScanFile> run(JsonInput &input);
    void readMetadata(JsonInput &input, ScanMetadata &metadata);
    void readInfo(JsonInput &input, Info &info);
    void openFolder(JsonInput &input, std::size_t depth);
    void addFile(JsonInput &input, Level &level, Info &info);
    void closeFolder(JsonInput &input, std::size_t depth);
    void countEntry(const Info &info, bool below);
    void checkName(JsonInput &input, Info &info, bool root);

    std::atomic<bool> m_stopRequested {false};
    FolderVisualDataDelegate *m_delegate = nullptr;
    ScanFileError m_error;

    // State of one read.
    std::unique_ptr<Info> m_info;
    std::string m_key;
    std::deque<Level> m_levels; // a deque: growing it never moves a level
    ScanFile *m_scan = nullptr;
    std::set<std::pair<std::uint64_t, std::uint64_t>> m_seenLinks; // device and inode
    std::uint64_t m_pathBytes = 0;
    std::uint64_t m_entries = 0;
    std::chrono::steady_clock::time_point m_lastReported;
};

} // namespace corvale
