#include "TrashMover.h"

#include "TrashDirectory.h"

#include <QFile>

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
// Fewer are flushed one by one: flushing a whole file system also waits for whatever else was
// written to it.
constexpr qsizetype flushOneByOneBelow = 8;
constexpr int maxNameTries = 10000;

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
    FileDescriptor folder; // the item's folder
    QByteArray name; // in that folder
    std::shared_ptr<TrashDirectory> trash;
    QByteArray trashName; // in files/, and with ".trashinfo" in info/
    FileDescriptor info;
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
        const QByteArray date = deletionDate();
        std::vector<Pending> pending;
        for (qsizetype i = first; i < end; ++i) {
            Pending item;
            item.index = i;
            if (const auto failure = prepare(item, paths[i], date))
                m_done(i, *failure);
            else
                pending.push_back(std::move(item));
        }
        flush(pending);
        for (Pending &item : pending) {
            // Another program took the name in files/ after it was looked at: once more, alone.
            if (!move(item))
                moveGroup(paths, item.index, item.index + 1);
        }
    }

private:
    // Finds the item's trash, reserves its name there and writes its info file.
    std::optional<Result> prepare(Pending &item, const QByteArray &path, const QByteArray &date)
    {
        const qsizetype slash = path.lastIndexOf('/');
        item.name = path.mid(slash + 1);
        if (!path.startsWith('/') || item.name.isEmpty() || item.name == "." || item.name == "..") {
            return Result {false, Reason::Other,
                TrashMover::tr("Not the path of an item: %1").arg(QFile::decodeName(path))};
        }
        const QByteArray folderPath = slash > 0 ? path.left(slash) : QByteArray("/");
        item.folder = FileDescriptor(::open(folderPath.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        struct stat st;
        QByteArray resolved;
        if (item.folder
            && ::fstatat(item.folder.get(), item.name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
            if (char *real = ::realpath(folderPath.constData(), nullptr)) {
                resolved = real;
                std::free(real);
            }
        }
        if (resolved.isEmpty() || ::fstat(item.folder.get(), &st) != 0)
            return systemFailure(errno, true);
        auto found = m_trashes.find(st.st_dev);
        if (found == m_trashes.end()) {
            Result failure;
            auto trash = TrashDirectory::forDevice(st.st_dev, resolved, &failure);
            found = m_trashes.emplace(st.st_dev, std::pair {trash, failure}).first;
        }
        if (!(item.trash = found->second.first))
            return found->second.second;
        const QByteArray original = (resolved == "/" ? QByteArray() : resolved) + '/' + item.name;
        const QByteArray content = "[Trash Info]\nPath="
            + item.trash->recordedPath(original).toPercentEncoding("/") + "\nDeletionDate=" + date + '\n';

        for (int n = 1; n <= maxNameTries; ++n) {
            item.trashName = candidateName(item.name, n);
            const QByteArray infoName = item.trashName + ".trashinfo";
            item.info = FileDescriptor(::openat(item.trash->info(), infoName.constData(),
                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
            // Taken by another item or program.
            if (!item.info && errno == EEXIST)
                continue;
            if (!item.info)
                return systemFailure(errno, false);
            // An item without its info file: not ours to replace.
            const bool orphan
                = ::fstatat(item.trash->files(), item.trashName.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0;
            const int error = orphan ? 0 : writeAll(item.info.get(), content);
            if (orphan || error)
                ::unlinkat(item.trash->info(), infoName.constData(), 0);
            if (error)
                return systemFailure(error, false);
            if (!orphan)
                return {};
        }
        return Result {false, Reason::Other, TrashMover::tr("The trash holds too many items of this name")};
    }

    // No item may be moved before its info file, and its name in info/, are on the disk. A few
    // items are flushed one by one; more by flushing their file system once, which costs about
    // what one item's flush does.
    void flush(std::vector<Pending> &pending)
    {
        const bool oneByOne = qsizetype(pending.size()) < flushOneByOneBelow;
        std::map<int, int> infoFolders; // descriptor, error
        for (const Pending &item : pending)
            infoFolders[item.trash->info()] = 0;
        for (auto &[fd, error] : infoFolders)
            error = (oneByOne ? ::fsync(fd) : ::syncfs(fd)) == 0 ? 0 : errno;
        for (auto it = pending.begin(); it != pending.end();) {
            int error = infoFolders[it->trash->info()];
            if (!error && oneByOne && ::fsync(it->info.get()) != 0)
                error = errno;
            if (!error) {
                ++it;
                continue;
            }
            ::unlinkat(it->trash->info(), (it->trashName + ".trashinfo").constData(), 0);
            m_done(it->index, systemFailure(error, false));
            it = pending.erase(it);
        }
    }

    // False when the name was taken in files/ meanwhile: the item is still where it was.
    bool move(Pending &item)
    {
        const int files = item.trash->files();
        const char *trashName = item.trashName.constData();
        int result
            = ::renameat2(item.folder.get(), item.name.constData(), files, trashName, RENAME_NOREPLACE);
        if (result != 0 && errno == EINVAL) {
            // A file system that cannot refuse to replace: look first.
            struct stat st;
            if (::fstatat(files, trashName, &st, AT_SYMLINK_NOFOLLOW) == 0)
                errno = EEXIST;
            else
                result = ::renameat(item.folder.get(), item.name.constData(), files, trashName);
        }
        const int error = result == 0 ? 0 : errno;
        if (error)
            ::unlinkat(item.trash->info(), (item.trashName + ".trashinfo").constData(), 0);
        if (error == EEXIST)
            return false;
        m_done(item.index, error ? systemFailure(error, true) : Result {true, Reason::None, {}});
        return true;
    }

    const TrashMover::ItemDone &m_done;
    // The trash of each device met, or why it has none.
    std::map<dev_t, std::pair<std::shared_ptr<TrashDirectory>, Result>> m_trashes;
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
    case Reason::ChangedSinceScan:
        return tr("it changed since the scan; analyze the folder to move it");
    case Reason::Other:
        break;
    }
    return tr("it could not be moved");
}

} // namespace corvale
