#include "DirectoryReader.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <utility>

namespace corvale {

namespace {

// Kernel file systems that show kernel objects as files: their "sizes" are not disk space
// (/proc/kcore claims 128 TB) and some of their files block or never end.
constexpr std::uint32_t pseudoFileSystems[] = {
    PROC_SUPER_MAGIC, SYSFS_MAGIC, DEVPTS_SUPER_MAGIC, CGROUP_SUPER_MAGIC, CGROUP2_SUPER_MAGIC, DEBUGFS_MAGIC,
    TRACEFS_MAGIC, SECURITYFS_MAGIC, BPF_FS_MAGIC, PSTOREFS_MAGIC,
    0x62656570, // configfs
    EFIVARFS_MAGIC, SELINUX_MAGIC, SMACK_MAGIC, BINFMTFS_MAGIC, BINDERFS_SUPER_MAGIC, NSFS_MAGIC,
    0x65735543, // fusectl
    0x19800202, // mqueue
    0x67596969, // rpc_pipefs
};

// The kernel's record layout (glibc's struct dirent64 has the same, but says so nowhere).
constexpr std::size_t recordLengthOffset = 16;
constexpr std::size_t typeOffset = 18;
constexpr std::size_t nameOffset = 19;

std::uint16_t recordLength(const char *record)
{
    std::uint16_t length;
    std::memcpy(&length, record + recordLengthOffset, sizeof length);
    return length;
}

bool isDotOrDotDot(const char *name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

} // namespace

int DirectoryReader::openFolder(int parentFd, const char *name, bool checkFileSystem)
{
    // O_DIRECTORY is checked before anything is opened, so a FIFO or a device never is.
    int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return -1;
    if (checkFileSystem && isPseudoFileSystem(fd)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool DirectoryReader::isPseudoFileSystem(int fd)
{
    struct statfs info;
    if (::fstatfs(fd, &info) != 0)
        return false;
    const auto type = static_cast<std::uint32_t>(info.f_type);
    for (std::uint32_t magic : pseudoFileSystems) {
        if (type == magic)
            return true;
    }
    return false;
}

DirectoryReader::~DirectoryReader()
{
    close();
}

void DirectoryReader::start(int fd)
{
    close();
    m_fd = fd;
    m_pos = m_end = nullptr;
    m_eof = fd < 0;
}

bool DirectoryReader::fill(char *buffer, std::size_t bufferSize)
{
    if (m_eof || m_fd < 0)
        return false;
    const ssize_t n = ::getdents64(m_fd, buffer, bufferSize);
    if (n <= 0) {
        // 0 is the end; an error keeps what was listed before it.
        m_eof = true;
        m_pos = m_end = nullptr;
        return false;
    }
    m_pos = buffer;
    m_end = buffer + n;
    return true;
}

bool DirectoryReader::next(Entry &entry, char *buffer, std::size_t bufferSize)
{
    for (;;) {
        if (m_pos == m_end && !fill(buffer, bufferSize))
            return false;
        const char *record = m_pos;
        m_pos += recordLength(record);
        const char *name = record + nameOffset;
        if (isDotOrDotDot(name))
            continue;
        entry.name = name;
        entry.type = static_cast<unsigned char>(record[typeOffset]);
        return true;
    }
}

int DirectoryReader::release()
{
    return std::exchange(m_fd, -1);
}

void DirectoryReader::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

} // namespace corvale
