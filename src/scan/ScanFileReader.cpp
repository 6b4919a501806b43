#include "ScanFileReader.h"

#include "FolderVisualDataDelegate.h"
#include "JsonInput.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace corvale {

using Kind = ScanFileError::Kind;

struct ScanFileReader::Info
{
    std::string name;
    bool hasName = false;
    std::uint64_t asize = 0;
    std::uint64_t dsize = 0;
    std::uint64_t dev = 0;
    std::uint64_t ino = 0;
    std::uint64_t nlink = 0;
    std::uint64_t summary = 0; // the count of files a summary entry stands for
    bool hasDev = false;
    bool hasIno = false;
    bool hasSummary = false;
    bool hardLinked = false;
    bool readError = false;
    bool notRegular = false;
    LooseFileTable::Exclusion exclusion = LooseFileTable::Exclusion::None;
};

namespace {

enum Key { Name, Asize, Dsize, Dev, Ino, Hlnkc, Nlink, ReadError, Excluded, Notreg, Summary, Unknown };

Key keyOf(const std::string &key, std::size_t length)
{
    static const char *const names[] = {"name", "asize", "dsize", "dev", "ino", "hlnkc", "nlink",
        "read_error", "excluded", "notreg", "corvale_summary"};
    for (int k = 0; k < Unknown; ++k) {
        if (length == key.size() && key == names[k])
            return Key(k);
    }
    return Unknown;
}

void add(JsonInput &input, std::uint64_t &total, std::uint64_t value)
{
    if (__builtin_add_overflow(total, value, &total))
        input.fail(Kind::TooLarge, "The sizes or counts in the scan add up to more than 2^64");
}

} // namespace

ScanFileReader::ScanFileReader()
    : m_info(std::make_unique<Info>())
{ }

ScanFileReader::~ScanFileReader() = default;

std::optional<ScanFile> ScanFileReader::read(const std::string &path)
{
    m_error = {};
    // Not blocking on the open: a FIFO nobody writes to then reads as empty instead of hanging.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    int failure = fd < 0 ? errno : 0;
    struct stat st;
    if (!failure && ::fstat(fd, &st) != 0)
        failure = errno;
    else if (!failure && S_ISDIR(st.st_mode))
        failure = EISDIR;
    else if (!failure && ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
        failure = errno;
    if (failure) {
        m_error.kind = Kind::Io;
        m_error.message = std::string("The file could not be opened: ") + std::strerror(failure) + ".";
        if (fd >= 0)
            ::close(fd);
        return std::nullopt;
    }
    JsonInput input(fd);
    auto scan = run(input);
    ::close(fd);
    return scan;
}

std::optional<ScanFile> ScanFileReader::readBytes(std::string_view bytes, std::size_t chunkSize)
{
    m_error = {};
    JsonInput input(bytes, std::max<std::size_t>(chunkSize, 1));
    return run(input);
}

std::optional<ScanFile> ScanFileReader::run(JsonInput &input)
{
    m_lastReported = std::chrono::steady_clock::now();
    m_entries = 0;
    m_pathBytes = 0;
    m_seenLinks.clear();
    ScanFile scan;
    m_scan = &scan;
    try {
        const int first = input.peek();
        if (first != '[') {
            // Say what it is where that is easy to tell: scans are often kept compressed.
            const char *what = first < 0 ? "The file is empty"
                : first == 0x1f          ? "The file is compressed with gzip: unpack it first"
                : first == 0x28          ? "The file is compressed with zstd: unpack it first"
                : first == 0xfd          ? "The file is compressed with xz: unpack it first"
                : first == 0xbf          ? "The file is a binary export: export the scan as JSON instead"
                                         : "This is not a scan file: it does not begin with '['";
            input.fail(Kind::NotAScanFile, what);
        }
        input.take('[');
        const int c = input.peek();
        if (c < '0' || c > '9')
            input.fail(
                Kind::NotAScanFile, "This is not a scan file: it does not begin with a format version");
        const std::uint64_t major = input.readUnsigned();
        if (major != 1)
            input.fail(Kind::UnsupportedVersion,
                "The scan file is of format version " + std::to_string(major)
                    + ", which cannot be read (only version 1 can)");
        input.expect(',', "','");
        scan.metadata.minorVersion = input.readUnsigned();
        input.expect(',', "','");
        readMetadata(input, scan.metadata);
        input.expect(',', "','");
        if (input.peek() == '{')
            input.fail(Kind::Malformed, "The scan's top entry is a file, not a folder");
        input.expect('[', "the scanned folder ('[')");
        openFolder(input, 0);
        std::size_t depth = 0;
        for (;;) {
            if (input.take(',')) {
                const int next = input.peek();
                if (next == '{') {
                    readInfo(input, *m_info);
                    countEntry(*m_info, true);
                    addFile(input, m_levels[depth], *m_info);
                } else if (next == '[') {
                    input.take('[');
                    openFolder(input, ++depth);
                } else {
                    input.unexpected("a file ('{') or a folder ('[')");
                }
            } else if (input.take(']')) {
                closeFolder(input, depth);
                if (depth == 0)
                    break;
                --depth;
            } else {
                input.unexpected("',' or ']'");
            }
        }
        // Later minor versions may add elements after the tree.
        while (input.take(','))
            input.skipValue();
        input.expect(']', "']'");
        if (input.peek() >= 0)
            input.fail(Kind::Malformed, "The file goes on after the end of the scan");
    } catch (const ScanFileError &error) {
        m_error = error;
    }
    m_levels.clear();
    m_scan = nullptr;
    if (m_delegate)
        m_delegate->updateFolderProgress(m_entries);
    if (m_error.kind != Kind::None)
        return std::nullopt;
    return scan;
}

void ScanFileReader::readMetadata(JsonInput &input, ScanMetadata &metadata)
{
    input.expect('{', "the scan's metadata ('{')");
    if (input.take('}'))
        return;
    std::string key;
    unsigned seen = 0;
    do {
        const std::size_t length = input.readString(&key, 32);
        input.expect(':', "':'");
        int bit = key == "progname"        ? 1
            : key == "progver"             ? 2
            : key == "timestamp"           ? 4
            : key == "corvale_loose_files" ? 8
                                           : 0;
        if (length != key.size())
            bit = 0;
        if (bit & seen)
            input.fail(Kind::Malformed, "The metadata holds \"" + key + "\" twice");
        seen |= unsigned(bit);
        if (bit == 1)
            input.readString(&metadata.program, 1024);
        else if (bit == 2)
            input.readString(&metadata.programVersion, 1024);
        else if (bit == 4)
            metadata.timestamp = input.readInteger();
        else if (bit == 8)
            m_scan->files.m_listsFiles = input.readString(&key, 32) != 10 || key != "summarised";
        else
            input.skipValue();
    } while (input.take(','));
    input.expect('}', "',' or '}'");
}

void ScanFileReader::readInfo(JsonInput &input, Info &info)
{
    std::string name = std::move(info.name); // keeps its buffer from entry to entry
    info = {};
    info.name = std::move(name);
    input.expect('{', "an entry ('{')");
    if (input.take('}'))
        return;
    std::string &key = m_key;
    unsigned seen = 0;
    do {
        const Key k = keyOf(key, input.readString(&key, 16));
        input.expect(':', "':'");
        if (k != Unknown) {
            if (seen & (1u << k))
                input.fail(Kind::Malformed, "An entry holds \"" + key + "\" twice");
            seen |= 1u << k;
        }
        switch (k) {
        case Name:
            info.hasName = true;
            if (input.readString(&info.name, maxNameLength + 1) > maxNameLength)
                input.fail(
                    Kind::TooLarge, "A name is longer than " + std::to_string(maxNameLength) + " bytes");
            break;
        case Asize:
            info.asize = input.readUnsigned();
            break;
        case Dsize:
            info.dsize = input.readUnsigned();
            m_scan->metadata.hasDiskUsage = true;
            break;
        case Dev:
            info.dev = input.readUnsigned();
            info.hasDev = true;
            break;
        case Ino:
            info.ino = input.readUnsigned();
            info.hasIno = true;
            break;
        case Nlink:
            info.nlink = input.readUnsigned();
            break;
        case Summary:
            info.summary = input.readUnsigned();
            info.hasSummary = true;
            break;
        case Hlnkc:
            info.hardLinked = input.readBool();
            break;
        case ReadError:
            info.readError = input.readBool();
            break;
        case Notreg:
            info.notRegular = input.readBool();
            break;
        case Excluded:
            // A reason since minor version 1, true before.
            if (input.peek() == '"') {
                std::string reason;
                input.readString(&reason, 16);
                using E = LooseFileTable::Exclusion;
                info.exclusion = reason == "pattern"           ? E::Pattern
                    : reason == "otherfs" || reason == "othfs" ? E::OtherFileSystem
                    : reason == "kernfs"                       ? E::KernelFileSystem
                    : reason == "frmlnk"                       ? E::FirmLink
                                                               : E::Other;
            } else {
                info.exclusion
                    = input.readBool() ? LooseFileTable::Exclusion::Other : LooseFileTable::Exclusion::None;
            }
            break;
        case Unknown:
            input.skipValue();
            break;
        }
    } while (input.take(','));
    input.expect('}', "',' or '}'");
}

void ScanFileReader::checkName(JsonInput &input, Info &info, bool root)
{
    std::string &name = info.name;
    if (!info.hasName)
        input.fail(Kind::Malformed, "An entry has no name");
    if (name.find('\0') != std::string::npos)
        input.fail(Kind::Malformed, "A name holds a NUL byte, which no file name can");
    if (root) {
        if (name.empty() || name.front() != '/')
            input.fail(Kind::Malformed, "The scanned folder's name is not an absolute path");
        while (name.size() > 1 && name.back() == '/')
            name.pop_back();
    } else if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) {
        // A name that could lead out of its folder would let the path of an entry name another file.
        input.fail(Kind::Malformed,
            "An entry's name \"" + name.substr(0, 64) + "\" is not the name of a file in a folder");
    }
}

void ScanFileReader::countEntry(const Info &info, bool below)
{
    if (info.readError)
        ++m_scan->metadata.readErrors;
    if (info.exclusion != LooseFileTable::Exclusion::None)
        ++m_scan->metadata.excludedEntries;
    if (!below)
        return;
    if (m_stopRequested.load(std::memory_order_relaxed)) {
        ScanFileError stopped;
        stopped.kind = Kind::Stopped;
        stopped.message = "Reading the scan file was stopped.";
        throw stopped;
    }
    if ((++m_entries & 0xfff) == 0 && m_delegate) {
        const auto now = std::chrono::steady_clock::now();
        if (now - m_lastReported > std::chrono::seconds(5)) {
            m_lastReported = now;
            m_delegate->updateFolderProgress(m_entries);
        }
    }
}

void ScanFileReader::openFolder(JsonInput &input, std::size_t depth)
{
    if (input.peek() != '{')
        input.unexpected("the folder's own entry ('{')");
    Info &info = *m_info;
    readInfo(input, info);
    countEntry(info, depth > 0);
    checkName(input, info, depth == 0);
    if (depth == m_levels.size())
        m_levels.emplace_back();
    Level &level = m_levels[depth];
    level.node = std::make_shared<FolderVisualData>(FolderVisualData::NodeTag {});
    std::string &path = level.node->m_path;
    if (depth == 0) {
        path = info.name;
    } else {
        const std::string &parent = m_levels[depth - 1].node->m_path;
        path.reserve(parent.size() + 1 + info.name.size());
        path = parent;
        if (parent != "/")
            path += '/';
        path += info.name;
    }
    m_pathBytes += path.size();
    if (m_pathBytes > pathBudget + pathBudgetPerInputByte * input.offset())
        input.fail(Kind::TooLarge, "The scan's folders are nested too deeply to be opened");

    level.folder = {};
    level.folder.ownSize = info.asize;
    level.folder.ownAllocatedSize = info.dsize;
    level.folder.device = info.hasDev || depth == 0 ? info.dev : m_levels[depth - 1].folder.device;
    level.folder.flags = info.readError ? LooseFileTable::ReadError : 0;
    level.folder.exclusion = info.exclusion;
    level.size = 0;
    level.count = 0;
    level.allocated = info.dsize;
}

void ScanFileReader::addFile(JsonInput &input, Level &level, Info &info)
{
    checkName(input, info, false);
    add(input, level.count, info.hasSummary ? info.summary : 1);
    add(input, level.size, info.asize);
    // A summary entry stands for files of its own and is never one of a hard link's names.
    const bool linked = (info.hardLinked || info.nlink > 1) && info.hasIno && !info.hasSummary;
    const std::uint64_t device = info.hasDev ? info.dev : level.folder.device;
    if (!linked || m_seenLinks.emplace(device, info.ino).second)
        add(input, level.allocated, info.dsize);
    if (info.hasSummary) {
        level.folder.unlistedCount += info.summary;
        level.folder.unlistedSize += info.asize;
        level.folder.unlistedAllocatedSize += info.dsize;
        return;
    }
    std::uint8_t flags = (info.notRegular ? LooseFileTable::NotRegular : 0)
        | (info.readError ? LooseFileTable::ReadError : 0) | (linked ? LooseFileTable::HardLinked : 0);
    if (linked)
        level.links.push_back({level.files.size(), device, info.ino});
    const auto foldersBefore = std::uint32_t(std::min<std::size_t>(level.children.size(), UINT32_MAX));
    level.files.push_back({level.names.size(), std::uint16_t(info.name.size()), flags, info.exclusion,
        foldersBefore, info.asize, info.dsize});
    level.names += info.name;
}

void ScanFileReader::closeFolder(JsonInput &input, std::size_t depth)
{
    Level &level = m_levels[depth];
    FolderVisualData &node = *level.node;
    node.m_size = level.size;
    node.m_count = level.count;
    node.m_allocatedSize = level.allocated;
    node.m_children.emplace(
        std::make_move_iterator(level.children.begin()), std::make_move_iterator(level.children.end()));
    level.children.clear();

    LooseFileTable &table = m_scan->files;
    level.folder.firstFile = table.m_files.size();
    level.folder.fileCount = level.files.size();
    const std::uint64_t base = table.m_names.size();
    table.m_names += level.names;
    for (auto &record : level.files) {
        record.nameOffset += base;
        table.m_files.push_back(record);
    }
    for (auto &link : level.links)
        table.m_links.push_back({link.file + level.folder.firstFile, link.device, link.inode});
    table.m_index.emplace(&node, table.m_folders.size());
    table.m_folders.push_back(level.folder);
    level.files.clear();
    level.links.clear();
    level.names.clear();

    if (depth == 0) {
        m_scan->root = std::move(level.node);
        return;
    }
    Level &parent = m_levels[depth - 1];
    add(input, parent.size, level.size);
    add(input, parent.allocated, level.allocated);
    add(input, parent.count, level.count);
    add(input, parent.count, 1);
    parent.children.push_back(std::move(level.node));
}

} // namespace corvale
