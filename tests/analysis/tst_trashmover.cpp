// Moving to real trashes. Nothing is ever lost: the items and bytes counted on disk plus in every
// trash stay the same, and a move reported as done can be restored (its info file is complete).
//
// The test runs in a user and mount namespace of its own where the kernel allows one, so that
// it can mount small file systems without privileges: a tmpfs to fill up, another tmpfs (a drive
// that keeps nothing), and an overlay (a drive of its own that keeps what it holds). Then it
// drops every capability, so that permissions are refused as for any user.

#include "TrashMover.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QThreadPool>

#include <filesystem>
#include <fstream>
#include <set>

#include <fcntl.h>
#include <linux/capability.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace corvale;
using Reason = TrashMover::Reason;
namespace fs = std::filesystem;

Q_DECLARE_METATYPE(TrashMover::Reason)

namespace {

QByteArray base; // the test's folder, on disk
QString noNamespace; // why the small file systems are missing, or empty

QByteArray home()
{
    return base + "/home/data";
}

QByteArray homeTrash()
{
    return home() + "/Trash";
}

bool exists(const QByteArray &path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

QByteArray makeFile(const QByteArray &path, int size = 4)
{
    fs::create_directories(fs::path(path.constData()).parent_path());
    std::ofstream(path.constData(), std::ios::binary) << std::string(size_t(size), 'x');
    return path;
}

QByteArray readFile(const QByteArray &path)
{
    std::ifstream in(path.constData(), std::ios::binary);
    return QByteArray::fromStdString(std::string(std::istreambuf_iterator<char>(in), {}));
}

// Items and bytes below `roots` (the roots themselves not counted): moving from the item's
// folder to the trash's files/ keeps both sums.
std::pair<int, qint64> itemsAndBytes(const QList<QByteArray> &roots)
{
    int items = 0;
    qint64 bytes = 0;
    for (const QByteArray &root : roots) {
        std::error_code error;
        for (auto it = fs::recursive_directory_iterator(root.constData(), error);
             it != fs::recursive_directory_iterator(); ++it) {
            ++items;
            if (it->is_regular_file() && !it->is_symlink())
                bytes += qint64(it->file_size());
        }
    }
    return {items, bytes};
}

// The item `path` is in `trash` under `name`, recorded with `recorded` as where it came from.
void verifyTrashed(
    const QByteArray &path, const QByteArray &trash, const QByteArray &name, const QByteArray &recorded)
{
    QVERIFY2(!exists(path), path.constData());
    QVERIFY2(exists(trash + "/files/" + name), name.constData());
    const QList<QByteArray> lines = readFile(trash + "/info/" + name + ".trashinfo").split('\n');
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[0], QByteArray("[Trash Info]"));
    QCOMPARE(lines[1], "Path=" + recorded.toPercentEncoding("/"));
    QVERIFY2(QDateTime::fromString(QString::fromLatin1(lines[2].mid(13)), Qt::ISODate).isValid()
            && lines[2].startsWith("DeletionDate="),
        lines[2].constData());
}

// Root without capabilities, and any user, is refused what permissions forbid; a probe says.
bool permissionsRefused()
{
    const QByteArray locked = base + "/probe";
    fs::create_directories(locked.constData());
    ::chmod(locked.constData(), 0500);
    const int fd = ::open((locked + "/x").constData(), O_CREAT | O_WRONLY, 0600);
    if (fd >= 0)
        ::close(fd);
    ::unlink((locked + "/x").constData());
    ::chmod(locked.constData(), 0700);
    return fd < 0;
}

// Moves `paths` as one batch; the results by index, each reported once on this thread.
QList<TrashMover::Result> moveBatch(const QList<QByteArray> &paths)
{
    QList<TrashMover::Result> results(paths.size());
    QList<int> reported(paths.size());
    bool onThisThread = true;
    TrashMover::moveToTrash(paths, [&](qsizetype index, const TrashMover::Result &result) {
        results[index] = result;
        ++reported[index];
        onThisThread &= QThread::currentThread() == QCoreApplication::instance()->thread();
    });
    if (!onThisThread || reported != QList<int>(paths.size(), 1))
        QTest::qFail("a result came twice, not at all, or on another thread", __FILE__, __LINE__);
    return results;
}

} // namespace

class TestTrashMover : public QObject
{
    Q_OBJECT

    static QByteArray work() { return base + "/work"; }
    static QByteArray full() { return base + "/full"; }
    static QByteArray drive() { return base + "/drive"; }

private Q_SLOTS:
    void init()
    {
        qputenv("XDG_DATA_HOME", home());
        fs::remove_all(work().constData());
        fs::create_directories(work().constData());
    }

    // Runs first: the first move makes the trash, private to the user.
    void everyKindOfItemMovesAndIsRecorded()
    {
        QCOMPARE(TrashMover::homeTrashPath(), homeTrash());
        QVERIFY(!exists(home()));
        QList<QByteArray> paths;
        for (const char *name : {"plain.txt", "with space%and é", "caf\xe9-latin1", ".hidden"})
            paths << makeFile(work() + '/' + name);
        makeFile(work() + "/Photos.library/sub/deep.jpg", 5000);
        paths << work() + "/Photos.library" << work() + "/link";
        QVERIFY(::symlink("plain.txt", paths.last().constData()) == 0);
        const auto before = itemsAndBytes({work(), homeTrash()});

        for (const TrashMover::Result &result : moveBatch(paths)) {
            QVERIFY2(result.trashed, qPrintable(result.detail));
            QCOMPARE(result.reason, Reason::None);
        }
        QCOMPARE(itemsAndBytes({work(), homeTrash() + "/files"}), before);
        for (const QByteArray &path : paths)
            verifyTrashed(path, homeTrash(), path.mid(path.lastIndexOf('/') + 1), path);
        QCOMPARE(
            QFileInfo(QFile::decodeName(homeTrash()) + "/files/Photos.library/sub/deep.jpg").size(), 5000);
        // The link itself went, not what it points to.
        QVERIFY(QFileInfo(QFile::decodeName(homeTrash()) + "/files/link").isSymLink());
        for (const QByteArray &made : {home(), homeTrash(), homeTrash() + "/files", homeTrash() + "/info"}) {
            struct stat st;
            QCOMPARE(::stat(made.constData(), &st), 0);
            QCOMPARE(st.st_mode & (S_IFMT | 0777), S_IFDIR | 0700u);
        }

        // One at a time, from the pool, for the window of today: the result comes back on the
        // context's thread.
        const QByteArray single = makeFile(work() + "/single.txt");
        QObject context;
        std::optional<TrashMover::Result> result;
        TrashMover::moveToTrashAsync(&context, single, [&](const TrashMover::Result &r) {
            QCOMPARE(QThread::currentThread(), context.thread());
            result = r;
        });
        QTRY_VERIFY_WITH_TIMEOUT(result.has_value(), 20000);
        QVERIFY(result->trashed);
        verifyTrashed(single, homeTrash(), "single.txt", single);
    }

    // Names another program holds in the trash are not taken: an info file without its item
    // (reserved a moment ago) and an item without its info file.
    void aNameTakenInTheTrashIsLeftAlone()
    {
        QVERIFY(::mkdir(homeTrash().constData(), 0700) == 0 || errno == EEXIST);
        const QByteArray reserved = makeFile(homeTrash() + "/info/taken.txt.trashinfo", 0);
        const QByteArray orphan = makeFile(homeTrash() + "/files/taken.2.txt", 7);
        const QByteArray item = makeFile(work() + "/taken.txt", 3);
        QVERIFY(TrashMover::moveToTrash(item).trashed);
        verifyTrashed(item, homeTrash(), "taken.3.txt", item);
        QCOMPARE(readFile(reserved), QByteArray());
        QCOMPARE(readFile(orphan).size(), 7);
        QVERIFY(!exists(homeTrash() + "/info/taken.2.txt.trashinfo"));
        QCOMPARE(readFile(homeTrash() + "/files/taken.3.txt").size(), 3);
    }

    // Our pool tasks and `gio trash` move items of one name at once: each gets a name of its own
    // and an info file that names it.
    void aConcurrentTrashOfTheSameNameLosesNothing()
    {
        const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
        if (gio.isEmpty())
            QSKIP("gio is missing (Debian libglib2.0-bin): the other program cannot run");
        const int tasks = 3, each = 40;
        QList<QByteArray> ours, theirs;
        for (int i = 0; i < tasks * each + each; ++i)
            (i < tasks * each ? ours : theirs)
                << makeFile(work() + "/f" + QByteArray::number(i) + "/same.txt", i);
        const auto before = itemsAndBytes({work(), homeTrash()});

        QProcess other;
        QStringList arguments {QStringLiteral("trash")};
        for (const QByteArray &path : theirs)
            arguments << QFile::decodeName(path);
        other.start(gio, arguments);
        QVERIFY(other.waitForStarted());
        std::atomic<int> failed {0};
        for (int t = 0; t < tasks; ++t) {
            QThreadPool::globalInstance()->start([part = ours.mid(t * each, each), &failed] {
                TrashMover::moveToTrash(
                    part, [&](qsizetype, const TrashMover::Result &r) { failed += !r.trashed; });
            });
        }
        QThreadPool::globalInstance()->waitForDone();
        QVERIFY(other.waitForFinished(60000));
        QCOMPARE(other.exitCode(), 0);
        QCOMPARE(int(failed), 0);

        QCOMPARE(itemsAndBytes({work(), homeTrash()}).first, before.first + int(ours.size() + theirs.size()));
        std::set<QByteArray> recorded;
        for (const auto &info : fs::directory_iterator((homeTrash() + "/info").constData())) {
            const QByteArray infoName = QByteArray::fromStdString(info.path().filename().string());
            const QList<QByteArray> lines = readFile(homeTrash() + "/info/" + infoName).split('\n');
            const QByteArray from = QByteArray::fromPercentEncoding(lines.value(1).mid(5));
            if (!from.endsWith("/same.txt"))
                continue;
            // The item in files/ is the one its info file names: the sizes tell them apart.
            const QByteArray name = infoName.chopped(10);
            const int i = from.mid(work().size() + 2).chopped(9).toInt();
            QCOMPARE(QFileInfo(QFile::decodeName(homeTrash() + "/files/" + name)).size(), qint64(i));
            recorded.insert(from);
        }
        QCOMPARE(recorded.size(), size_t(ours.size() + theirs.size()));
    }

    // Each failure leaves the item where it was, leaves nothing half-done in the trash, and says
    // why.
    void aFailedMoveLeavesEverythingAndSaysWhy_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<Reason>("reason");
        QTest::newRow("gone") << "gone" << Reason::NoLongerExists;
        QTest::newRow("folder not writable") << "locked folder" << Reason::PermissionDenied;
        QTest::newRow("name too long for the info file") << "long name" << Reason::NameTooLong;
        QTest::newRow("trash is a file") << "trash file" << Reason::NoTrash;
        QTest::newRow("files is a file") << "files file" << Reason::NoTrash;
        QTest::newRow("info is a file") << "info file" << Reason::NoTrash;
        QTest::newRow("trash is a dangling link") << "trash dangling" << Reason::NoTrash;
        QTest::newRow("files not writable") << "files locked" << Reason::NoTrash;
        QTest::newRow("relative XDG_DATA_HOME") << "relative home" << Reason::NoTrash;
        QTest::newRow("drive that keeps nothing (tmpfs)") << "tmpfs" << Reason::NoTrash;
        QTest::newRow("drive whose top folder is not writable") << "drive locked" << Reason::NoTrash;
    }
    void aFailedMoveLeavesEverythingAndSaysWhy()
    {
        QFETCH(QString, how);
        QFETCH(Reason, reason);
        const bool locking = how.contains(QLatin1String("locked"));
        if (locking && !permissionsRefused())
            QSKIP("Permissions are not refused here (root with its capabilities): run as an ordinary user.");
        if ((how == "tmpfs" || how == "drive locked") && !noNamespace.isEmpty())
            QSKIP(qPrintable(noNamespace));
        QByteArray folder = work();
        if (how == "tmpfs")
            folder = base + "/volatile/items";
        if (how == "drive locked")
            folder = drive() + "/items";
        QByteArray item = makeFile(folder + "/item.txt", 6);
        QByteArray broken = homeTrash();
        fs::create_directories((homeTrash() + "/files").constData());
        fs::create_directories((homeTrash() + "/info").constData());
        if (how == "gone")
            QCOMPARE(::unlink(item.constData()), 0);
        if (how == "locked folder")
            QCOMPARE(::chmod(folder.constData(), 0500), 0);
        if (how == "long name") {
            QCOMPARE(::unlink(item.constData()), 0);
            item = makeFile(folder + '/' + QByteArray(250, 'n'), 6);
        }
        if (how.endsWith(QLatin1String(" file")) || how == "trash dangling") {
            broken += how.startsWith(QLatin1String("trash")) ? "" : "/" + how.split(' ').first().toLatin1();
            fs::rename(homeTrash().constData(), (homeTrash() + ".saved").constData());
            if (how == "trash dangling")
                QVERIFY(::symlink((base + "/nowhere").constData(), broken.constData()) == 0);
            else
                makeFile(broken, 1);
            if (broken != homeTrash())
                fs::create_directories(
                    (homeTrash() + (broken.endsWith("files") ? "/info" : "/files")).constData());
        }
        if (how == "files locked")
            QCOMPARE(::chmod((homeTrash() + "/files").constData(), 0500), 0);
        if (how == "relative home")
            qputenv("XDG_DATA_HOME", "relative/data");
        if (how == "drive locked") {
            fs::remove_all((drive() + "/.Trash-" + QByteArray::number(::geteuid())).constData());
            QCOMPARE(::chmod(drive().constData(), 0500), 0);
        }
        const QList<QByteArray> trashes {homeTrash(), drive() + "/.Trash-" + QByteArray::number(::geteuid())};
        const auto before = itemsAndBytes(QList<QByteArray> {folder} + trashes);

        const TrashMover::Result result = TrashMover::moveToTrash(item);
        const auto after = itemsAndBytes(QList<QByteArray> {folder} + trashes);
        ::chmod(folder.constData(), 0700);
        ::chmod(drive().constData(), 0700);
        ::chmod((homeTrash() + "/files").constData(), 0700);
        if (exists(homeTrash() + ".saved")) {
            fs::remove_all(homeTrash().constData());
            fs::rename((homeTrash() + ".saved").constData(), homeTrash().constData());
        }
        QVERIFY(!result.trashed);
        QCOMPARE(result.reason, reason);
        QVERIFY(!result.detail.isEmpty());
        QVERIFY(!TrashMover::reasonText(result.reason).isEmpty());
        QCOMPARE(after, before);
        QCOMPARE(exists(item), how != "gone");
        QVERIFY(!exists(homeTrash() + "/info/item.txt.trashinfo"));
    }

    // The disk as people have it when they look for space: full. A full tmpfs fails where a full
    // disk does: the info file can be made (an inode is left) but not written (no block is),
    // which is where a move used to go on and leave an empty info file. A loop-mounted ext4
    // would need root, and the suite runs as an ordinary user.
    void aFullDiskMovesNothingAndSaysSo()
    {
        if (!noNamespace.isEmpty())
            QSKIP(qPrintable(noNamespace));
        qputenv("XDG_DATA_HOME", full() + "/data");
        const QByteArray trash = full() + "/data/Trash";
        const QList<QByteArray> items {
            makeFile(full() + "/items/a.txt", 100), full() + "/items/folder", full() + "/items/b.txt"};
        makeFile(items[1] + "/inner.bin", 100);
        makeFile(items[2], 100);
        // The trash exists from an earlier move; the disk filled up since.
        QVERIFY(TrashMover::moveToTrash(makeFile(full() + "/items/earlier.txt")).trashed);
        {
            std::ofstream filler((full() + "/filler").constData(), std::ios::binary);
            const std::string block(4096, 'f');
            while (filler.write(block.data(), std::streamsize(block.size())) && filler.flush())
                ;
        }
        const auto before = itemsAndBytes({full() + "/items", trash});

        const QList<TrashMover::Result> results = moveBatch(items);
        for (const TrashMover::Result &result : results) {
            QVERIFY(!result.trashed);
            QCOMPARE(result.reason, Reason::DiskFull);
        }
        QCOMPARE(itemsAndBytes({full() + "/items", trash}), before);
        for (const QByteArray name : {"a.txt", "folder", "b.txt"})
            QVERIFY2(!exists(trash + "/info/" + name + ".trashinfo"), name.constData());

        // With room again, the same items move and can be restored.
        QCOMPARE(::unlink((full() + "/filler").constData()), 0);
        for (const TrashMover::Result &result : moveBatch(items))
            QVERIFY2(result.trashed, qPrintable(result.detail));
        for (const QByteArray &item : items)
            verifyTrashed(item, trash, item.mid(item.lastIndexOf('/') + 1), item);
    }

    // An item on a drive of its own goes to that drive's trash, recorded below the drive's top:
    // the administrator's .Trash/UID where .Trash is a real, sticky folder, else .Trash-UID.
    void anItemOnAnotherDriveGoesToThatDrivesTrash_data()
    {
        QTest::addColumn<QString>("shared"); // what .Trash is
        QTest::addColumn<bool>("usesShared");
        QTest::newRow("no .Trash") << "" << false;
        QTest::newRow("sticky .Trash") << "sticky" << true;
        QTest::newRow(".Trash without the sticky bit") << "plain" << false;
        QTest::newRow(".Trash a link to a sticky folder") << "link" << false;
    }
    void anItemOnAnotherDriveGoesToThatDrivesTrash()
    {
        QFETCH(QString, shared);
        QFETCH(bool, usesShared);
        if (!noNamespace.isEmpty())
            QSKIP(qPrintable(noNamespace));
        const QByteArray uid = QByteArray::number(::geteuid());
        for (const QByteArray &made :
            {drive() + "/.Trash", drive() + "/.Trash-" + uid, drive() + "/elsewhere"})
            fs::remove_all(made.constData());
        if (shared == "link") {
            fs::create_directories((drive() + "/elsewhere").constData());
            ::chmod((drive() + "/elsewhere").constData(), 01777);
            QVERIFY(::symlink("elsewhere", (drive() + "/.Trash").constData()) == 0);
        } else if (!shared.isEmpty()) {
            QVERIFY(::mkdir((drive() + "/.Trash").constData(), shared == "sticky" ? 01777 : 0777) == 0);
            ::chmod((drive() + "/.Trash").constData(), shared == "sticky" ? 01777 : 0777);
        }
        const QByteArray item = makeFile(drive() + "/items/on drive.txt", 9);
        const QByteArray trash = drive() + (usesShared ? "/.Trash/" : "/.Trash-") + uid;
        const QList<QByteArray> roots {drive() + "/items", trash + "/files", homeTrash() + "/files"};
        const auto before = itemsAndBytes(roots);
        const TrashMover::Result result = TrashMover::moveToTrash(item);
        QVERIFY2(result.trashed, qPrintable(result.detail));
        QCOMPARE(itemsAndBytes(roots), before);
        verifyTrashed(item, trash, "on drive.txt", "items/on drive.txt");
        struct stat st;
        QCOMPARE(::lstat(trash.constData(), &st), 0);
        QCOMPARE(st.st_mode & (S_IFMT | 0777), S_IFDIR | 0700u);
    }
};

namespace {

bool writeTo(const char *file, const QByteArray &text)
{
    const int fd = ::open(file, O_WRONLY | O_CLOEXEC);
    const bool ok = fd >= 0 && ::write(fd, text.constData(), size_t(text.size())) == text.size();
    if (fd >= 0)
        ::close(fd);
    return ok;
}

// A user and mount namespace of the process's own, in which it is the same user, with the
// small file systems mounted below `base`; then no capability is left. Returns why not.
QString mountSmallFileSystems()
{
    const QByteArray uid = QByteArray::number(::geteuid()), gid = QByteArray::number(::getegid());
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
        return QStringLiteral("NO SMALL FILE SYSTEMS: user namespaces are not available (%1)")
            .arg(strerror(errno));
    if (!writeTo("/proc/self/setgroups", "deny") || !writeTo("/proc/self/uid_map", uid + ' ' + uid + " 1")
        || !writeTo("/proc/self/gid_map", gid + ' ' + gid + " 1"))
        return QStringLiteral("NO SMALL FILE SYSTEMS: cannot map the user (%1)").arg(strerror(errno));
    QString problem;
    auto mountHere = [&](const char *type, const QByteArray &where, const QByteArray &options) {
        fs::create_directories(where.constData());
        if (problem.isEmpty() && ::mount(type, where.constData(), type, 0, options.constData()) != 0)
            problem
                = QStringLiteral("NO SMALL FILE SYSTEMS: cannot mount %1 (%2)").arg(type, strerror(errno));
    };
    ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
    mountHere("tmpfs", base + "/full", "size=256k,mode=0700");
    mountHere("tmpfs", base + "/volatile", "size=256k,mode=0700");
    for (const char *layer : {"/lower", "/upper", "/overlaywork"})
        fs::create_directories((base + layer).constData());
    mountHere("overlay", base + "/drive",
        "lowerdir=" + base + "/lower,upperdir=" + base + "/upper,workdir=" + base + "/overlaywork,userxattr");
    __user_cap_header_struct header {_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct none[2] {};
    if (::syscall(SYS_capset, &header, none) != 0)
        return QStringLiteral("cannot drop capabilities (%1)").arg(strerror(errno));
    return problem;
}

} // namespace

int main(int argc, char **argv)
{
    // On disk, where the home trash lies; the small file systems are mounted below.
    QTemporaryDir dir(QDir::tempPath() + "/corvale-tst-trashmover-XXXXXX");
    if (!dir.isValid())
        qFatal("cannot make a temporary folder");
    base = QFile::encodeName(dir.path());
    // `gio trash` uses the home trash for what lies on the home folder's drive.
    fs::create_directories((base + "/home").constData());
    qputenv("HOME", base + "/home");
    // The test runs in a child, so that this process, outside the namespace, can remove the
    // mount points once the namespace is gone with the child.
    const pid_t child = ::fork();
    if (child == 0) {
        noNamespace = mountSmallFileSystems();
        QCoreApplication app(argc, argv);
        TestTrashMover test;
        ::_exit(QTest::qExec(&test, argc, argv));
    }
    int status = 1;
    ::waitpid(child, &status, 0);
    // By bytes: QDir cannot name files whose names are not UTF-8.
    std::error_code error;
    fs::remove_all(base.constData(), error);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

#include "tst_trashmover.moc"
