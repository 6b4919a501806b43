#pragma once

#include <cstddef>
#include <cstdint>
#include <sys/types.h>
#include <vector>

namespace corvale {

// The entries of one open folder, read with getdents64 in the file system's own order.
//
// All readers of a walk fill one large buffer that the walker lends them. Before that buffer is
// handed to a sub-folder, detach() moves this folder's unread entries into a buffer of its own,
// so each entry is copied at most once and a deep path holds only the entries still to come.
// park() frees the descriptor of a folder far up the path (reading what is left of it first);
// reopen() takes a new descriptor for it. Used by the walking thread only.
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
    bool atEnd() const { return m_pos == m_end && m_eof; }
    void detach();
    // Reads the rest of the folder into the reader's own buffer, notes the folder's identity and
    // closes the descriptor; `buffer` is scratch space for the reading. False when the identity
    // cannot be had (the rest is then dropped).
    bool park(char *buffer, std::size_t bufferSize);
    bool isParked() const { return m_parked; }
    // Takes `fd` as the parked folder's new descriptor if it is the same folder; closes it
    // otherwise.
    bool reopen(int fd);
    // Gives up the entries still to come (a parked folder that cannot be reopened).
    void abandon();
    void close();

private:
    bool fill(char *buffer, std::size_t bufferSize);

    int m_fd = -1;
    const char *m_pos = nullptr;
    const char *m_end = nullptr;
    bool m_eof = true;
    bool m_parked = false;
    dev_t m_dev = 0;
    ino_t m_ino = 0;
    std::vector<char> m_own;
};

} // namespace corvale
