#include "TrashDirectory.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>

namespace corvale {

using Reason = TrashMover::Reason;

namespace {

// mkdir -p, mode 0700 for what is made; an existing folder (or a link to one) is kept.
// Returns 0 or the error.
int makeFolders(const QByteArray &path)
{
    struct stat st;
    if (::stat(path.constData(), &st) == 0)
        return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    if (errno != ENOENT)
        return errno;
    const qsizetype slash = path.lastIndexOf('/');
    if (slash > 0) {
        if (const int error = makeFolders(path.left(slash)))
            return error;
    }
    // Another thread or program may have made it meanwhile.
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return errno;
    if (::stat(path.constData(), &st) != 0)
        return errno;
    return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

// A drive's trash folder of this user, made when missing, is usable only as a real folder (not
// a link) of the user's own: anyone else could read or replace what goes into it.
int makeOwnFolder(const QByteArray &path)
{
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return errno;
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return errno;
    if (!S_ISDIR(st.st_mode))
        return ENOTDIR;
    return st.st_uid == ::geteuid() ? 0 : EPERM;
}

// The device of `path`, or of the nearest folder above it that exists.
bool deviceOf(QByteArray path, dev_t *device)
{
    struct stat st;
    while (::stat(path.constData(), &st) != 0) {
        const qsizetype slash = path.lastIndexOf('/');
        if (errno != ENOENT || slash < 0)
            return false;
        path.truncate(slash > 0 ? slash : 1);
    }
    *device = st.st_dev;
    return true;
}

// The top folder of the drive `device` that holds the resolved `folder`.
QByteArray topdirOf(QByteArray folder, dev_t device)
{
    struct stat st;
    while (folder.size() > 1) {
        const qsizetype slash = folder.lastIndexOf('/');
        const QByteArray parent = slash > 0 ? folder.left(slash) : QByteArray("/");
        if (::stat(parent.constData(), &st) != 0 || st.st_dev != device)
            break;
        folder = parent;
    }
    return folder;
}

// File systems in memory or made up by the kernel: what is put there is gone at the next
// restart, or cannot be put there at all.
bool keepsNothing(const QByteArray &topdir)
{
    struct statfs fs;
    if (::statfs(topdir.constData(), &fs) != 0)
        return false;
    switch (fs.f_type) {
    case TMPFS_MAGIC:
    case RAMFS_MAGIC:
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEVPTS_SUPER_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case PSTOREFS_MAGIC:
    case BPF_FS_MAGIC:
    case HUGETLBFS_MAGIC:
    case EFIVARFS_MAGIC:
        return true;
    default:
        return false;
    }
}

} // namespace

TrashMover::Result systemFailure(int error, bool onItem, const QByteArray &where)
{
    Reason reason = onItem ? Reason::Other : Reason::NoTrash;
    if (error == ENOSPC || error == EDQUOT)
        reason = Reason::DiskFull;
    else if (error == ENAMETOOLONG)
        reason = Reason::NameTooLong;
    else if (onItem && (error == ENOENT || error == ENOTDIR))
        reason = Reason::NoLongerExists;
    else if (onItem && (error == EACCES || error == EPERM))
        reason = Reason::PermissionDenied;
    else if (error == EXDEV)
        reason = Reason::NoTrash;
    char buffer[256];
    const QString text = QString::fromLocal8Bit(strerror_r(error, buffer, sizeof buffer));
    return {false, reason, where.isEmpty() ? text : QFile::decodeName(where) + QLatin1String(": ") + text};
}

std::shared_ptr<TrashDirectory> TrashDirectory::forDevice(
    dev_t device, const QByteArray &folder, TrashMover::Result *failure)
{
    const QByteArray home = TrashMover::homeTrashPath();
    if (!home.startsWith('/')) {
        // Anything else would land below whatever the current folder is.
        *failure = {false, Reason::NoTrash,
            TrashMover::tr("The trash location %1 is not an absolute path").arg(QFile::decodeName(home))};
        return {};
    }
    dev_t homeDevice = 0;
    if (!deviceOf(home, &homeDevice) || homeDevice != device)
        return onDrive(topdirOf(folder, device), failure);
    if (const int error = makeFolders(home)) {
        *failure = systemFailure(error, false, home);
        return {};
    }
    return open(home, {}, failure);
}

std::shared_ptr<TrashDirectory> TrashDirectory::onDrive(const QByteArray &topdir, TrashMover::Result *failure)
{
    if (keepsNothing(topdir)) {
        *failure = {false, Reason::NoTrash,
            TrashMover::tr("%1 is emptied at every restart").arg(QFile::decodeName(topdir))};
        return {};
    }
    const QByteArray base = topdir.endsWith('/') ? topdir : topdir + '/';
    const QByteArray uid = QByteArray::number(qulonglong(::geteuid()));
    // The administrator's shared trash counts only as a real folder with the sticky bit, so that
    // no user can take another's folder in it.
    struct stat st;
    const QByteArray shared = base + ".Trash";
    if (::lstat(shared.constData(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)
        && makeOwnFolder(shared + '/' + uid) == 0)
        return open(shared + '/' + uid, topdir, failure);
    const QByteArray own = base + ".Trash-" + uid;
    if (const int error = makeOwnFolder(own)) {
        *failure = systemFailure(error, false, own);
        return {};
    }
    return open(own, topdir, failure);
}

std::shared_ptr<TrashDirectory> TrashDirectory::open(
    const QByteArray &folder, const QByteArray &topdir, TrashMover::Result *failure)
{
    auto trash = std::make_shared<TrashDirectory>();
    trash->m_topdir = topdir;
    for (const auto &[sub, fd] :
        {std::pair {"/files", &trash->m_files}, std::pair {"/info", &trash->m_info}}) {
        const QByteArray path = folder + sub;
        int error = makeFolders(path);
        if (!error) {
            *fd = FileDescriptor(::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            if (!*fd)
                error = errno;
        }
        // Asked here, so that a trash the user may not write is not taken for an item the user
        // may not move.
        if (!error && ::faccessat(AT_FDCWD, path.constData(), W_OK | X_OK, AT_EACCESS) != 0)
            error = errno;
        if (error) {
            *failure = systemFailure(error, false, path);
            return {};
        }
    }
    return trash;
}

QByteArray TrashDirectory::recordedPath(const QByteArray &original) const
{
    if (m_topdir.isEmpty())
        return original;
    return original.mid(m_topdir.size() + (m_topdir.endsWith('/') ? 0 : 1));
}

} // namespace corvale
