#pragma once

#include "TrashMover.h"

#include <QByteArray>

#include <memory>
#include <utility>

#include <sys/types.h>
#include <unistd.h>

namespace corvale {

// Owns one open file descriptor.
class FileDescriptor
{
public:
    explicit FileDescriptor(int fd = -1)
        : m_fd(fd)
    { }
    FileDescriptor(FileDescriptor &&other) noexcept
        : m_fd(std::exchange(other.m_fd, -1))
    { }
    FileDescriptor &operator=(FileDescriptor &&other) noexcept
    {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }

private:
    int m_fd;
};

// The failure for the system's `error`, met on the item itself (looking at it, renaming it
// away) or on the trash, with the system's words after `where` when given.
TrashMover::Result systemFailure(int error, bool onItem, const QByteArray &where = {});

// One trash, found for a device where file managers look for it (the home trash on the home
// folder's drive, else .Trash/UID or .Trash-UID at the drive's top) and made where missing,
// with its files/ and info/ folders open. Used by TrashMover on one thread at a time; owns its
// descriptors.
class TrashDirectory
{
public:
    // The trash for items on `device` whose folder, resolved, is `folder`: the home trash on the
    // home trash's device, else the trash at the top of the drive. Empty, with `failure` set,
    // when there is none the user may use.
    static std::shared_ptr<TrashDirectory> forDevice(
        dev_t device, const QByteArray &folder, TrashMover::Result *failure);

    int files() const { return m_files.get(); }
    int info() const { return m_info.get(); }
    // What Path= records for an item at the resolved path `original`: the path itself in the
    // home trash, the path below the top of the drive in a drive's own trash.
    QByteArray recordedPath(const QByteArray &original) const;

private:
    static std::shared_ptr<TrashDirectory> open(
        const QByteArray &folder, const QByteArray &topdir, TrashMover::Result *failure);
    static std::shared_ptr<TrashDirectory> onDrive(const QByteArray &topdir, TrashMover::Result *failure);

    FileDescriptor m_files;
    FileDescriptor m_info;
    QByteArray m_topdir; // empty for the home trash
};

} // namespace corvale
