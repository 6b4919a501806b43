#include "TrashMover.h"

#include "TrashDirectory.h"

#include <QFile>
#include <QObject>
#include <QThreadPool>

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvale {

using Reason = TrashMover::Reason;
using Result = TrashMover::Result;

namespace {

// Items whose info files are flushed together: bounds the open files and how long an item
// waits for its result.
constexpr qsizetype groupSize = 128;
constexpr int maxNameTries = 10000;

// What failed on the item itself: looking at it or renaming it away.
Reason itemReason(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return Reason::NoLongerExists;
    case EACCES:
    case EPERM:
        return Reason::PermissionDenied;
    case ENOSPC:
    case EDQUOT:
        return Reason::DiskFull;
    case ENAMETOOLONG:
        return Reason::NameTooLong;
    case EXDEV:
        return Reason::NoTrash;
    default:
        return Reason::Other;
    }
}

// What failed while writing into the trash.
Reason infoReason(int error)
{
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return Reason::DiskFull;
    case ENAMETOOLONG:
        return Reason::NameTooLong;
    default:
        return Reason::NoTrash;
    }
}

// The name the item gets in the trash at the n-th try: "name", "name.2", "photo.2.jpg".
QByteArray candidateName(const QByteArray &name, int n)
{
    if (n == 1)
        return name;
    const qsizetype dot = name.lastIndexOf('.');
    const QByteArray number = '.' + QByteArray::number(n);
    return dot <= 0 ? name + number : name.left(dot) + number + name.mid(dot);
}

int writeAll(int fd, const QByteArray &data)
{
    qsizetype done = 0;
    while (done < data.size()) {
        const ssize_t written = ::write(fd, data.constData() + done, size_t(data.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : EIO;
        done += written;
    }
    return 0;
}

QByteArray deletionDate()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

// One item on its way: its info file written but not yet flushed, the item not yet moved.
struct Pending
{
    qsizetype index = 0;
    int folder = -1; // the item's folder, open
    QByteArray name; // in that folder
    std::shared_ptr<TrashDirectory> trash;
    QByteArray trashName; // in files/, and with ".trashinfo" in info/
    FileDescriptor info;
};

// The folders of one group's items, each opened and resolved once.
class Folders
{
public:
    struct Folder
    {
        FileDescriptor fd;
        QByteArray resolved;
        dev_t device = 0;
        int error = 0;
    };

    const Folder &operator[](const QByteArray &path)
    {
        const auto found = m_folders.find(path);
        if (found != m_folders.end())
            return found->second;
        Folder &folder = m_folders[path];
        folder.fd = FileDescriptor(::open(path.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        struct stat st;
        char *resolved = folder.fd ? ::realpath(path.constData(), nullptr) : nullptr;
        if (!resolved || ::fstat(folder.fd.get(), &st) != 0) {
            folder.error = errno;
        } else {
            folder.resolved = resolved;
            folder.device = st.st_dev;
        }
        std::free(resolved);
        return folder;
    }

private:
    std::map<QByteArray, Folder> m_folders;
};

// One batch: its items go in groups (prepare every item, flush, move every item).
class Batch
{
public:
    explicit Batch(const TrashMover::ItemDone &done)
        : m_done(done)
    { }

    void moveGroup(const QList<QByteArray> &paths, qsizetype first, qsizetype end)
    {
        Folders folders;
        const QByteArray date = deletionDate();
        std::vector<Pending> pending;
        pending.reserve(size_t(end - first));
        for (qsizetype i = first; i < end; ++i) {
            if (auto item = prepare(folders, i, paths[i], date))
                pending.push_back(std::move(*item));
        }
        flush(pending);
        for (Pending &item : pending) {
            // Another program took the name in files/ after it was looked at: once more, alone.
            if (!move(item))
                moveGroup(paths, item.index, item.index + 1);
        }
    }

private:
    // The trash for items in `folder`, looked up once per device.
    std::shared_ptr<TrashDirectory> trashFor(const Folders::Folder &folder, Result *failure)
    {
        auto found = m_trashes.find(folder.device);
        if (found == m_trashes.end()) {
            Result why;
            auto trash = TrashDirectory::forDevice(folder.device, folder.resolved, &why);
            found = m_trashes.emplace(folder.device, std::pair {trash, why}).first;
        }
        *failure = found->second.second;
        return found->second.first;
    }

    // Reserves the item's name in its trash and writes its info file; a failure is reported.
    std::optional<Pending> prepare(
        Folders &folders, qsizetype index, const QByteArray &path, const QByteArray &date)
    {
        const qsizetype slash = path.lastIndexOf('/');
        const QByteArray name = path.mid(slash + 1);
        if (!path.startsWith('/') || name.isEmpty() || name == "." || name == "..") {
            m_done(index,
                {false, Reason::Other,
                    TrashMover::tr("Not the path of an item: %1").arg(QFile::decodeName(path))});
            return {};
        }
        const Folders::Folder &folder = folders[slash > 0 ? path.left(slash) : QByteArray("/")];
        struct stat st;
        if (folder.error || ::fstatat(folder.fd.get(), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            const int error = folder.error ? folder.error : errno;
            m_done(index, systemFailure(itemReason(error), error));
            return {};
        }
        Result failure;
        const auto trash = trashFor(folder, &failure);
        if (!trash) {
            m_done(index, failure);
            return {};
        }
        const QByteArray original = (folder.resolved == "/" ? QByteArray() : folder.resolved) + '/' + name;
        const QByteArray content = "[Trash Info]\nPath="
            + trash->recordedPath(original).toPercentEncoding("/") + "\nDeletionDate=" + date + '\n';

        for (int n = 1; n <= maxNameTries; ++n) {
            const QByteArray candidate = candidateName(name, n);
            const QByteArray infoName = candidate + ".trashinfo";
            FileDescriptor info(::openat(trash->info(), infoName.constData(),
                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
            // Taken by another item or program.
            if (!info && errno == EEXIST)
                continue;
            int error = info ? 0 : errno;
            // An item without its info file: not ours to replace.
            if (!error && ::fstatat(trash->files(), candidate.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
                ::unlinkat(trash->info(), infoName.constData(), 0);
                continue;
            }
            if (!error && (error = writeAll(info.get(), content)) != 0)
                ::unlinkat(trash->info(), infoName.constData(), 0);
            if (error) {
                m_done(index, systemFailure(infoReason(error), error));
                return {};
            }
            return Pending {index, folder.fd.get(), name, trash, candidate, std::move(info)};
        }
        m_done(index, {false, Reason::Other, TrashMover::tr("The trash holds too many items of this name")});
        return {};
    }

    // No item may be moved before its info file, and its name in info/, are on the disk.
    void flush(std::vector<Pending> &pending)
    {
        std::map<int, int> infoFolders; // descriptor, error
        for (const Pending &item : pending)
            infoFolders[item.trash->info()] = 0;
        for (auto &[fd, error] : infoFolders)
            error = ::fsync(fd) == 0 ? 0 : errno;
        for (auto it = pending.begin(); it != pending.end();) {
            int error = ::fsync(it->info.get()) == 0 ? 0 : errno;
            if (!error)
                error = infoFolders[it->trash->info()];
            if (!error) {
                ++it;
                continue;
            }
            ::unlinkat(it->trash->info(), (it->trashName + ".trashinfo").constData(), 0);
            m_done(it->index, systemFailure(infoReason(error), error));
            it = pending.erase(it);
        }
    }

    // False when the name was taken in files/ meanwhile: the item is still where it was.
    bool move(Pending &item)
    {
        const int files = item.trash->files();
        const char *trashName = item.trashName.constData();
        int result = ::renameat2(item.folder, item.name.constData(), files, trashName, RENAME_NOREPLACE);
        if (result != 0 && errno == EINVAL) {
            // A file system that cannot refuse to replace: look first.
            struct stat st;
            if (::fstatat(files, trashName, &st, AT_SYMLINK_NOFOLLOW) == 0)
                errno = EEXIST;
            else
                result = ::renameat(item.folder, item.name.constData(), files, trashName);
        }
        if (result == 0) {
            m_done(item.index, {true, Reason::None, {}});
            return true;
        }
        const int error = errno;
        ::unlinkat(item.trash->info(), (item.trashName + ".trashinfo").constData(), 0);
        if (error == EEXIST)
            return false;
        m_done(item.index, systemFailure(itemReason(error), error));
        return true;
    }

    const TrashMover::ItemDone &m_done;
    std::map<dev_t, std::pair<std::shared_ptr<TrashDirectory>, Result>> m_trashes;
};

// Carries one result from the pool thread to the context's thread; the connection to the
// context goes when the context does.
class TrashRelay : public QObject
{
    Q_OBJECT
Q_SIGNALS:
    void finished();
};

} // namespace

QByteArray TrashMover::homeTrashPath()
{
    if (const char *data = std::getenv("XDG_DATA_HOME"); data && *data)
        return QByteArray(data) + "/Trash";
    QByteArray home = std::getenv("HOME");
    if (home.isEmpty()) {
        struct passwd entry;
        struct passwd *found = nullptr;
        char buffer[4096];
        if (::getpwuid_r(::geteuid(), &entry, buffer, sizeof buffer, &found) == 0 && found)
            home = found->pw_dir;
    }
    return home + "/.local/share/Trash";
}

void TrashMover::moveToTrash(const QList<QByteArray> &paths, const ItemDone &done)
{
    Batch batch(done);
    for (qsizetype first = 0; first < paths.size(); first += groupSize)
        batch.moveGroup(paths, first, std::min(first + groupSize, paths.size()));
}

TrashMover::Result TrashMover::moveToTrash(const QByteArray &path)
{
    Result result;
    moveToTrash(QList<QByteArray> {path}, [&result](qsizetype, const Result &r) { result = r; });
    return result;
}

void TrashMover::moveToTrashAsync(QObject *context, const QByteArray &path, Done done)
{
    auto *relay = new TrashRelay;
    auto result = std::make_shared<Result>();
    QObject::connect(
        relay, &TrashRelay::finished, context, [result, done = std::move(done)] { done(*result); },
        Qt::QueuedConnection);
    QThreadPool::globalInstance()->start([relay, result, path] {
        *result = moveToTrash(path);
        Q_EMIT relay->finished();
        relay->deleteLater();
    });
}

QString TrashMover::reasonText(Reason reason)
{
    switch (reason) {
    case Reason::None:
        return {};
    case Reason::DiskFull:
        return tr("the disk is full");
    case Reason::NoTrash:
        return tr("this drive has no Trash you may use");
    case Reason::PermissionDenied:
        return tr("permission denied");
    case Reason::NameTooLong:
        return tr("the name is too long for the Trash");
    case Reason::NoLongerExists:
        return tr("it no longer exists");
    case Reason::Other:
        break;
    }
    return tr("it could not be moved");
}

} // namespace corvale

#include "TrashMover.moc"
