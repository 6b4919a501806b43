#include "ScanFileWriter.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace corvale {

namespace {

using Exclusion = LooseFileTable::Exclusion;

// Text gathered in a buffer and handed to a descriptor a block at a time (fd -1: kept whole).
class Output
{
public:
    explicit Output(int fd)
        : m_fd(fd)
    { }

    void put(std::string_view text)
    {
        m_text += text;
        if (m_fd >= 0 && m_text.size() >= 256 * 1024)
            flush();
    }
    void number(std::uint64_t value)
    {
        char digits[24];
        m_text.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
    }
    void field(std::string_view key, std::uint64_t value)
    {
        if (value) {
            put(key);
            number(value);
        }
    }
    // A JSON string of any bytes: only quotes, backslashes and control characters are escaped.
    void string(std::string_view text)
    {
        m_text += '"';
        for (const char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                m_text += '\\';
                m_text += c;
            } else if (byte < 0x20) {
                static const char hex[] = "0123456789abcdef";
                m_text += "\\u00";
                m_text += hex[byte >> 4];
                m_text += hex[byte & 15];
            } else {
                m_text += c;
            }
        }
        m_text += '"';
    }
    void name(std::string_view name)
    {
        put("{\"name\":");
        string(name);
    }
    void exclusion(Exclusion reason)
    {
        static const char *const reasons[] = {"", ",\"excluded\":\"pattern\"", ",\"excluded\":\"othfs\"",
            ",\"excluded\":\"kernfs\"", ",\"excluded\":\"frmlnk\"", ",\"excluded\":true"};
        put(reasons[int(reason)]);
    }
    void flush()
    {
        for (std::size_t done = 0; m_fd >= 0 && !m_errno && done < m_text.size();) {
            const ssize_t n = ::write(m_fd, m_text.data() + done, m_text.size() - done);
            if (n < 0 && errno != EINTR)
                m_errno = errno;
            else if (n > 0)
                done += std::size_t(n);
        }
        if (m_fd >= 0)
            m_text.clear();
    }
    int error() const { return m_errno; }
    std::string &text() { return m_text; }

private:
    int m_fd;
    int m_errno = 0;
    std::string m_text;
};

std::string_view nameOf(const FolderVisualData &node, bool root)
{
    const std::string &path = node.path();
    return root ? std::string_view(path) : std::string_view(path).substr(path.rfind('/') + 1);
}

std::uint64_t less(std::uint64_t a, std::uint64_t b)
{
    return a > b ? a - b : 0;
}

void writeFile(Output &out, const LooseFileTable::File &file, std::uint64_t folderDevice)
{
    out.put(",\n");
    out.name(file.name);
    out.field(",\"asize\":", file.size);
    out.field(",\"dsize\":", file.allocatedSize);
    if (file.flags & LooseFileTable::HardLinked) {
        if (file.device != folderDevice)
            out.put(",\"dev\":"), out.number(file.device);
        out.put(",\"ino\":"), out.number(file.inode), out.put(",\"hlnkc\":true");
    }
    if (file.flags & LooseFileTable::ReadError)
        out.put(",\"read_error\":true");
    if (file.flags & LooseFileTable::NotRegular)
        out.put(",\"notreg\":true");
    out.exclusion(file.exclusion);
    out.put("}");
}

// Writes a folder's own entry and its summary entry, if any; returns the table's record of it
// when its files are to be written one by one.
const LooseFileTable::Folder *writeFolder(Output &out, const FolderVisualData &node,
    const LooseFileTable *files, std::uint64_t parentDevice, bool root)
{
    const LooseFileTable::Folder *folder = files ? files->folder(node) : nullptr;
    std::uint64_t ownAllocated = folder ? folder->ownAllocatedSize : 0;

    // What the folder's loose files add up to, from its totals.
    std::uint64_t count = node.count(), size = node.size(),
                  allocated = less(node.allocatedSize(), ownAllocated);
    if (node.children()) {
        for (const auto &child : *node.children()) {
            count = less(count, child->count() + 1);
            size = less(size, child->size());
            allocated = less(allocated, child->allocatedSize());
        }
    }
    bool listed = false;
    if (folder) {
        std::uint64_t listedSize = folder->unlistedSize;
        for (std::size_t i = 0; i < folder->fileCount; ++i)
            listedSize += files->file(*folder, i).size;
        listed = folder->unlistedCount + folder->fileCount == count && listedSize == size;
        if (listed) {
            count = folder->unlistedCount;
            size = folder->unlistedSize;
            allocated = folder->unlistedAllocatedSize;
        }
    }
    // Blocks of a walked folder that no file accounts for are the folder's own.
    if (!count && !size) {
        ownAllocated += allocated;
        allocated = 0;
    }

    out.put(root ? "[" : ",\n[");
    out.name(nameOf(node, root));
    if (folder)
        out.field(",\"asize\":", folder->ownSize);
    out.field(",\"dsize\":", ownAllocated);
    if (folder) {
        if (folder->device != parentDevice)
            out.put(",\"dev\":"), out.number(folder->device);
        if (folder->flags & LooseFileTable::ReadError)
            out.put(",\"read_error\":true");
        out.exclusion(folder->exclusion);
    }
    out.put("}");
    if (count || size || allocated) {
        out.put(",\n");
        out.name("(" + std::to_string(count) + (count == 1 ? " file)" : " files)"));
        out.field(",\"asize\":", size);
        out.field(",\"dsize\":", allocated);
        out.put(",\"corvale_summary\":");
        out.number(count);
        out.put("}");
    }
    return listed ? folder : nullptr;
}

void writeScan(
    Output &out, const FolderVisualData &root, const LooseFileTable *files, const ScanMetadata &metadata)
{
    out.put("[1,1,{\"progname\":");
    out.string(metadata.program.empty() ? "corvale" : metadata.program);
    out.put(",\"progver\":");
    out.string(metadata.programVersion);
    if (metadata.timestamp) {
        out.put(",\"timestamp\":");
        if (*metadata.timestamp < 0)
            out.put("-");
        out.number(*metadata.timestamp < 0 ? 0 - std::uint64_t(*metadata.timestamp)
                                           : std::uint64_t(*metadata.timestamp));
    }
    if (!files || !files->listsFiles())
        out.put(",\"corvale_loose_files\":\"summarised\"");
    out.put("},\n");

    struct Open
    {
        const FolderVisualData *node;
        const LooseFileTable::Folder *listed;
        std::uint64_t device;
        std::size_t nextChild = 0;
        std::size_t nextFile = 0;
    };
    const auto open = [&](const FolderVisualData &node, std::uint64_t parentDevice, bool root) {
        const LooseFileTable::Folder *listed = writeFolder(out, node, files, parentDevice, root);
        const LooseFileTable::Folder *folder = files ? files->folder(node) : nullptr;
        return Open {&node, listed, folder ? folder->device : parentDevice};
    };
    std::vector<Open> stack {open(root, 0, true)};
    while (!stack.empty()) {
        Open &top = stack.back();
        const auto &children = top.node->children();
        const std::size_t childCount = children ? children->size() : 0;
        // Files in the order they were read, among the sub-folders.
        for (; top.listed && top.nextFile < top.listed->fileCount; ++top.nextFile) {
            const LooseFileTable::File file = files->file(*top.listed, top.nextFile);
            if (file.foldersBefore > top.nextChild && top.nextChild < childCount)
                break;
            writeFile(out, file, top.device);
        }
        if (top.nextChild < childCount) {
            const FolderVisualData &child = *(*children)[top.nextChild++];
            stack.push_back(open(child, top.device, false));
        } else {
            out.put("]");
            stack.pop_back();
        }
    }
    out.put("]\n");
}

} // namespace

std::string ScanFileWriter::toBytes(
    const FolderVisualData &root, const LooseFileTable *files, const ScanMetadata &metadata)
{
    Output out(-1);
    writeScan(out, root, files, metadata);
    return std::move(out.text());
}

bool ScanFileWriter::write(const std::string &path, const FolderVisualData &root, const LooseFileTable *files,
    const ScanMetadata &metadata, ScanFileError &error)
{
    error = {};
    if (root.path().empty() || root.path().front() != '/') {
        error.kind = ScanFileError::Kind::Io;
        error.message = "The scan has no folder to save.";
        return false;
    }
    std::string partial;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
        partial = path + ".part" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    int failure = fd < 0 ? errno : 0;
    if (fd >= 0) {
        Output out(fd);
        writeScan(out, root, files, metadata);
        out.flush();
        failure = out.error();
        if (!failure && ::fsync(fd) != 0)
            failure = errno;
        if (::close(fd) != 0 && !failure)
            failure = errno;
        if (!failure && ::rename(partial.c_str(), path.c_str()) != 0)
            failure = errno;
        if (failure)
            ::unlink(partial.c_str());
    }
    if (!failure)
        return true;
    error.kind = ScanFileError::Kind::Io;
    error.message = std::string("The scan could not be saved: ") + std::strerror(failure) + ".";
    return false;
}

} // namespace corvale
