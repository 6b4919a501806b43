#pragma once

#include <cstddef>
#include <cstdint>

namespace corvale {

// The entries of one open folder, read with getdents64 in the file system's own order into a
// buffer the caller lends, which each call of next() may overwrite. Owns the folder's descriptor.
// Used by one thread at a time.
class DirectoryReader
{
public:
    struct Entry
    {
        const char *name; // NUL-terminated, inside the reader's current buffer
        unsigned char type; // DT_*
    };

    // Opens `name`, relative to `parentFd`, as a folder: never a link at its end, never anything
    // but a folder. -1 when it cannot be opened or lies on a kernel pseudo file system (proc,
    // sysfs, ...), whose contents are not files and whose sizes are not disk space; that is
    // asked of the kernel only with `checkFileSystem` (where a file system may begin).
    static int openFolder(int parentFd, const char *name, bool checkFileSystem = true);
    static bool isPseudoFileSystem(int fd);

    DirectoryReader() = default;
    ~DirectoryReader();
    DirectoryReader(const DirectoryReader &) = delete;
    DirectoryReader &operator=(const DirectoryReader &) = delete;

    // Starts on a newly opened folder; -1 for one that could not be opened (no entries).
    void start(int fd);
    int fd() const { return m_fd; }
    // Next entry other than "." and "..", reading into `buffer` when the entries at hand are
    // used up. False at the end, or when the kernel fails to list more (what came before stays).
    bool next(Entry &entry, char *buffer, std::size_t bufferSize);
    // Hands the descriptor over to the caller.
    int release();
    void close();

private:
    bool fill(char *buffer, std::size_t bufferSize);

    int m_fd = -1;
    const char *m_pos = nullptr;
    const char *m_end = nullptr;
    bool m_eof = true;
};

} // namespace corvale
