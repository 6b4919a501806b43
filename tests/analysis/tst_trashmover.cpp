// Moving to real trashes. Nothing is ever lost: the items and bytes of the items' folders plus the
// trashes' files/ stay the same, and a move reported as done can be restored (its info file is complete).
//
// The test runs in a user and mount namespace of its own where the kernel allows one, so that
// it can mount small file systems without privileges: a tmpfs to fill up, another tmpfs (a drive
// that keeps nothing) and an overlay (a drive of its own that keeps what it holds). Then it drops
// every capability, so that permissions are refused as for any user.

#include "TrashFixture.h"
#include "TrashMover.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

#include <filesystem>
#include <fstream>
#include <set>

#include <linux/capability.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace corvale;
using namespace corvale::test;
using Reason = TrashMover::Reason;
namespace fs = std::filesystem;

using Setup = std::function<QByteArray(const QByteArray &item)>; // returns the path to move
Q_DECLARE_METATYPE(Setup)

namespace {

QByteArray base; // on disk; the small file systems are mounted below it
QString noNamespace; // why they are missing, or empty
const QByteArray uid = QByteArray::number(::geteuid());

QByteArray makeFile(const QByteArray &path, int size = 4)
{
    fs::create_directories(fs::path(path.constData()).parent_path());
    std::ofstream(path.constData(), std::ios::binary) << std::string(size_t(size), 'x');
    return path;
}

QList<TrashMover::Result> moveBatch(const QList<QByteArray> &paths)
{
    QList<TrashMover::Result> results(paths.size());
    TrashMover::moveToTrash(
        paths, [&](qsizetype index, const TrashMover::Result &result) { results[index] = result; });
    return results;
}

bool writeTo(const char *file, const QByteArray &text)
{
    return bool(std::ofstream(file) << text.constData() << std::flush);
}

// Enters the namespace described at the top, mounts the small file systems there; returns why not.
QString mountSmallFileSystems()
{
    const QByteArray gid = QByteArray::number(::getegid());
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 || !writeTo("/proc/self/setgroups", "deny")
        || !writeTo("/proc/self/uid_map", uid + ' ' + uid + " 1")
        || !writeTo("/proc/self/gid_map", gid + ' ' + gid + " 1"))
        return QStringLiteral("NO SMALL FILE SYSTEMS: no user namespace of our own (%1)")
            .arg(strerror(errno));
    ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
    for (const char *folder : {"/full", "/volatile", "/drive", "/lower", "/upper", "/overlaywork"})
        fs::create_directories((base + folder).constData());
    const QByteArray layers = "lowerdir=" + base + "/lower,upperdir=" + base + "/upper,workdir=" + base
        + "/overlaywork,userxattr";
    const bool mounted
        = ::mount("tmpfs", (base + "/full").constData(), "tmpfs", 0, "size=256k,mode=0700") == 0
        && ::mount("tmpfs", (base + "/volatile").constData(), "tmpfs", 0, "size=256k,mode=0700") == 0
        && ::mount("overlay", (base + "/drive").constData(), "overlay", 0, layers.constData()) == 0;
    const int error = errno;
    __user_cap_header_struct header {_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct none[2] {};
    if (::syscall(SYS_capset, &header, none) != 0)
        qFatal("cannot drop the capabilities");
    return mounted ? QString()
                   : QStringLiteral("NO SMALL FILE SYSTEMS: cannot mount (%1)").arg(strerror(error));
}

} // namespace

class TestTrashMover : public QObject
{
    Q_OBJECT

    static QByteArray work() { return base + "/work"; }
    static QByteArray full() { return base + "/full"; }
    static QByteArray drive() { return base + "/drive"; }
    static QByteArray homeTrash() { return base + "/home/data/Trash"; }

private Q_SLOTS:
    void init()
    {
        qputenv("XDG_DATA_HOME", base + "/home/data");
        fs::remove_all(work().constData());
    }

    // Runs first: the first move makes the trash, private to the user.
    void everyKindOfItemMovesAndIsRecorded()
    {
        QList<QByteArray> paths;
        for (const char *name : {"plain.txt", "with space%and é", "caf\xe9-latin1", ".hidden"})
            paths << makeFile(work() + '/' + name);
        makeFile(work() + "/Photos.library/sub/deep.jpg", 5000);
        paths << work() + "/Photos.library" << work() + "/link";
        QVERIFY(::symlink("plain.txt", paths.last().constData()) == 0);
        const auto before = itemsAndBytes({work(), homeTrash() + "/files"});
        for (const TrashMover::Result &result : moveBatch(paths))
            QVERIFY2(result.trashed && result.reason == Reason::None, qPrintable(result.detail));
        QCOMPARE(itemsAndBytes({work(), homeTrash() + "/files"}), before);
        for (const QByteArray &path : paths)
            verifyTrashed(path, homeTrash(), path.mid(path.lastIndexOf('/') + 1), path);
        QVERIFY(fs::is_symlink((homeTrash() + "/files/link").constData()));
        for (const QByteArray &made : {homeTrash(), homeTrash() + "/files", homeTrash() + "/info"})
            QCOMPARE(fs::status(made.constData()).permissions(), fs::perms::owner_all);
    }

    // Names another program holds are left alone: an info file whose item is yet to come, an
    // item whose info file is gone.
    void aNameTakenInTheTrashIsLeftAlone()
    {
        const QByteArray reserved = makeFile(homeTrash() + "/info/taken.txt.trashinfo", 0);
        const QByteArray orphan = makeFile(homeTrash() + "/files/taken.2.txt", 7);
        const QByteArray item = makeFile(work() + "/taken.txt", 3);
        QVERIFY(TrashMover::moveToTrash(item).trashed);
        verifyTrashed(item, homeTrash(), "taken.3.txt", item);
        QCOMPARE(readFile(reserved) + readFile(orphan), QByteArray("xxxxxxx"));
        QVERIFY(!exists(homeTrash() + "/info/taken.2.txt.trashinfo"));
    }

    // Pool tasks and `gio trash` move items of one name at once: each arrives under a name of
    // its own, with the info file that names it.
    void aConcurrentTrashOfTheSameNameLosesNothing()
    {
        const QString gio = QStandardPaths::findExecutable(QStringLiteral("gio"));
        if (gio.isEmpty())
            QSKIP("gio is missing (Debian libglib2.0-bin): no other program to race");
        QList<QByteArray> paths;
        QStringList theirs {QStringLiteral("trash")};
        for (int i = 0; i < 160; ++i) {
            paths << makeFile(work() + "/f" + QByteArray::number(i) + "/same.txt", i);
            if (i >= 120)
                theirs << QFile::decodeName(paths.takeLast());
        }
        QProcess other;
        other.start(gio, theirs);
        std::atomic<int> failed = 0;
        for (int t = 0; t < 3; ++t) {
            QThreadPool::globalInstance()->start([part = paths.mid(t * 40, 40), &failed] {
                TrashMover::moveToTrash(part, [&](qsizetype, const auto &r) { failed += !r.trashed; });
            });
        }
        QThreadPool::globalInstance()->waitForDone();
        QVERIFY(other.waitForFinished(60000) && other.exitCode() == 0);
        QCOMPARE(int(failed), 0);
        std::set<QByteArray> recorded;
        for (const auto &info : fs::directory_iterator((homeTrash() + "/info").constData())) {
            const QByteArray from
                = QByteArray::fromPercentEncoding(readFile(info.path().c_str()).split('\n').value(1).mid(5));
            const QByteArray name = QByteArray(info.path().filename().c_str()).chopped(10);
            // The item is the one its info file names: the sizes tell them apart.
            if (from.endsWith("/same.txt") && recorded.insert(from).second)
                QCOMPARE(fs::file_size((homeTrash() + "/files/" + name).constData()),
                    from.mid(work().size() + 2).chopped(9).toULongLong());
        }
        QCOMPARE(recorded.size(), size_t(160));
    }

    // Each failure leaves the item where it was and nothing half-made in the trash, and says why.
    void aFailedMoveLeavesEverythingAndSaysWhy_data()
    {
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<Reason>("reason");
        auto lock = [](const QByteArray &path) { QVERIFY(::chmod(path.constData(), 0500) == 0); };
        QTest::newRow("gone") << Setup([](auto item) { return item + ".gone"; }) << Reason::NoLongerExists;
        QTest::newRow("folder not writable") << Setup([=](auto item) {
            lock(work());
            return item;
        }) << Reason::PermissionDenied;
        QTest::newRow("name too long for the info file")
            << Setup([](auto) { return makeFile(work() + '/' + QByteArray(250, 'n')); })
            << Reason::NameTooLong;
        QTest::newRow("trash a dangling link") << Setup([](auto item) {
            fs::remove_all(homeTrash().constData());
            fs::create_symlink((base + "/nowhere").constData(), homeTrash().constData());
            return item;
        }) << Reason::NoTrash;
        QTest::newRow("files not writable") << Setup([=](auto item) {
            lock(homeTrash() + "/files");
            return item;
        }) << Reason::NoTrash;
        QTest::newRow("on a tmpfs") << Setup([](auto) { return makeFile(base + "/volatile/item.txt"); })
                                    << Reason::NoTrash;
        QTest::newRow("on a drive whose top folder is not writable") << Setup([=](auto) {
            fs::remove_all((drive() + "/.Trash-" + uid).constData());
            const QByteArray item = makeFile(drive() + "/item.txt");
            lock(drive());
            return item;
        }) << Reason::NoTrash;
    }
    void aFailedMoveLeavesEverythingAndSaysWhy()
    {
        QFETCH(Setup, setup);
        QFETCH(Reason, reason);
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        // Without capabilities (dropped in the namespace) even root is refused.
        if (tag.contains(u"writable") && !noNamespace.isEmpty() && ::geteuid() == 0)
            QSKIP("Permissions are not refused here (root with its capabilities): run as an ordinary user.");
        if ((tag.contains(u"tmpfs") || tag.contains(u"drive")) && !noNamespace.isEmpty())
            QSKIP(qPrintable(noNamespace));
        fs::remove_all(homeTrash().constData());
        fs::create_directories((homeTrash() + "/info").constData());
        fs::create_directories((homeTrash() + "/files").constData());
        const QByteArray item = setup(makeFile(work() + "/item.txt"));
        const QByteArray folder = item.left(item.lastIndexOf('/'));
        const QList<QByteArray> kept {folder, homeTrash(), drive() + "/.Trash-" + uid};
        const auto before = itemsAndBytes(kept);
        const TrashMover::Result result = TrashMover::moveToTrash(item);
        const auto after = itemsAndBytes(kept);
        for (const QByteArray &locked : {work(), drive(), homeTrash() + "/files"})
            ::chmod(locked.constData(), 0700);
        QCOMPARE(std::tuple(result.reason, after, exists(item)),
            std::tuple(reason, before, reason != Reason::NoLongerExists));
        QVERIFY(!result.trashed && !result.detail.isEmpty() && !TrashMover::reasonText(reason).isEmpty());
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
        const QByteArray trash = full() + "/data/Trash", items = full() + "/items";
        const QList<QByteArray> paths {
            makeFile(items + "/a.txt"), items + "/folder", makeFile(items + "/b.txt")};
        makeFile(paths[1] + "/inner.bin");
        // The trash is there from an earlier move; the disk filled up since.
        QVERIFY(TrashMover::moveToTrash(makeFile(items + "/earlier.txt")).trashed);
        for (std::ofstream filler((full() + "/filler").constData());
             filler << std::string(4096, 'f') << std::flush;)
            ;
        const auto before = itemsAndBytes({items, trash});
        for (const TrashMover::Result &result : moveBatch(paths))
            QVERIFY(!result.trashed && result.reason == Reason::DiskFull);
        QCOMPARE(itemsAndBytes({items, trash}), before);

        // With room again the same items move, and can be restored.
        fs::remove((full() + "/filler").constData());
        for (const TrashMover::Result &result : moveBatch(paths))
            QVERIFY2(result.trashed, qPrintable(result.detail));
        for (const QByteArray &path : paths)
            verifyTrashed(path, trash, path.mid(path.lastIndexOf('/') + 1), path);
    }

    // An item on a drive of its own goes to that drive's trash, recorded below the drive's top:
    // to .Trash/UID where .Trash is a real folder with the sticky bit, else to .Trash-UID.
    void anItemOnAnotherDriveGoesToThatDrivesTrash_data()
    {
        QTest::addColumn<QString>("shared"); // what .Trash is
        QTest::addColumn<bool>("usesShared");
        QTest::newRow("none") << "" << false;
        QTest::newRow("sticky") << "sticky" << true;
        QTest::newRow("not sticky") << "plain" << false;
        QTest::newRow("a link to a sticky folder") << "link" << false;
    }
    void anItemOnAnotherDriveGoesToThatDrivesTrash()
    {
        QFETCH(QString, shared);
        QFETCH(bool, usesShared);
        if (!noNamespace.isEmpty())
            QSKIP(qPrintable(noNamespace));
        for (const char *made : {"/.Trash", "/.Trash-", "/sticky"})
            fs::remove_all((drive() + made + (made == QByteArrayView("/.Trash-") ? uid : "")).constData());
        fs::create_directories((drive() + (shared == "link" ? "/sticky" : "/.Trash")).constData());
        if (shared == "link")
            fs::create_directory_symlink("sticky", (drive() + "/.Trash").constData());
        ::chmod((drive() + (shared == "link" ? "/sticky" : "/.Trash")).constData(),
            shared == "plain" ? 0777 : 01777);
        if (shared.isEmpty())
            fs::remove((drive() + "/.Trash").constData());
        const QByteArray item = makeFile(drive() + "/items/on drive.txt", 9);
        const QByteArray trash = drive() + (usesShared ? "/.Trash/" : "/.Trash-") + uid;
        const QList<QByteArray> roots {drive() + "/items", trash + "/files", homeTrash() + "/files"};
        const auto before = itemsAndBytes(roots);
        QVERIFY(TrashMover::moveToTrash(item).trashed);
        QCOMPARE(itemsAndBytes(roots), before);
        verifyTrashed(item, trash, "on drive.txt", "items/on drive.txt");
        QCOMPARE(fs::symlink_status(trash.constData()).permissions(), fs::perms::owner_all);
    }
};

int main(int argc, char **argv)
{
    QTemporaryDir dir(QDir::tempPath() + "/corvale-tst-trashmover-XXXXXX");
    base = QFile::encodeName(dir.path());
    // `gio trash` uses the home trash for what lies on the home folder's drive.
    fs::create_directories((base + "/home").constData());
    qputenv("HOME", base + "/home");
    // The test runs in a child, so that this process, outside the namespace, can remove the mount
    // points once the namespace has gone with the child.
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
