#include "TrashMover.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QUrl>

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace corvale;

namespace {

// One folder on a disk file system holds HOME, XDG_DATA_HOME and the files to move, so that
// the home trash (not a per-mount one) is used and tmpfs, which refuses trashing, is avoided.
QString diskBase()
{
    for (const QString &candidate : {QDir::tempPath(), QDir::currentPath(), QDir::homePath()}) {
        const QStorageInfo storage(candidate);
        if (storage.isValid() && storage.fileSystemType() != "tmpfs" && QFileInfo(candidate).isWritable())
            return candidate;
    }
    return QDir::tempPath();
}

QTemporaryDir *base = nullptr;

QString basePath()
{
    return base->path();
}
QString trashPath()
{
    return basePath() + QStringLiteral("/home/data/Trash");
}
QString workPath()
{
    return basePath() + QStringLiteral("/work");
}

// Every item in the working folder and in the trash: a move keeps the sum.
int itemsOnDiskAndInTrash()
{
    int count = 0;
    for (const QString &root : {workPath(), trashPath() + QStringLiteral("/files")}) {
        QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
            QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            ++count;
        }
    }
    return count;
}

QByteArray makeFile(const QString &folder, const QByteArray &name, const QByteArray &content = "data")
{
    QDir().mkpath(folder);
    // POSIX calls keep names that are not UTF-8 byte for byte.
    const QByteArray path = QFile::encodeName(folder) + '/' + name;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0 || ::write(fd, content.constData(), size_t(content.size())) != content.size())
        qFatal("cannot create %s", path.constData());
    ::close(fd);
    return path;
}

QByteArray readFile(const QByteArray &path)
{
    QByteArray content;
    const int fd = ::open(path.constData(), O_RDONLY);
    if (fd < 0)
        return content;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        content.append(buffer, n);
    ::close(fd);
    return content;
}

int openUp(const char *path, const struct stat *, int flag, struct FTW *)
{
    if (flag == FTW_D)
        ::chmod(path, 0700);
    return 0;
}

int removeOne(const char *path, const struct stat *, int flag, struct FTW *)
{
    return flag == FTW_DP ? ::rmdir(path) : ::unlink(path);
}

bool exists(const QByteArray &path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

struct Outcome
{
    bool called = false;
    bool ok = false;
    QString error;
    bool onContextThread = false;
};

// Moves through the asynchronous route and waits for the completion on this thread.
Outcome moveAndWait(const QByteArray &path)
{
    QObject context;
    Outcome outcome;
    TrashMover::moveToTrashAsync(&context, path, [&](bool ok, const QString &error) {
        outcome = {true, ok, error, QThread::currentThread() == context.thread()};
    });
    if (!QTest::qWaitFor([&] { return outcome.called; }, 20000))
        qWarning("no completion for %s", path.constData());
    return outcome;
}

} // namespace

class TestTrash : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void theTrashIsMadeWhereGioLooksForItWhenMissing()
    {
        QCOMPARE(QFile::decodeName(TrashMover::homeTrashPath()), trashPath());
        QVERIFY(!QFileInfo::exists(basePath() + QStringLiteral("/home/data")));
        const QByteArray file = makeFile(workPath(), "first.txt");
        const Outcome outcome = moveAndWait(file);
        QVERIFY(outcome.called);
        QVERIFY2(outcome.ok, qPrintable(outcome.error));
        QVERIFY(outcome.onContextThread);
        for (const QString &folder : {trashPath(), trashPath() + "/files", trashPath() + "/info"}) {
            struct stat st;
            QCOMPARE(::stat(QFile::encodeName(folder).constData(), &st), 0);
            QVERIFY(S_ISDIR(st.st_mode));
            QCOMPARE(st.st_mode & 0777, 0700u);
        }
        QVERIFY(!exists(file));
        QVERIFY(QFileInfo::exists(trashPath() + "/files/first.txt"));
    }

    void filesAndFoldersGoToTheTrashWithTheirOrigin()
    {
        const QString folder = workPath() + "/full";
        const QList<QByteArray> names {"plain.txt", "with space%and é", "caf\xe9-latin1", ".hidden"};
        QList<QByteArray> paths;
        for (const QByteArray &name : names)
            paths << makeFile(folder, name);
        makeFile(folder + "/Photos.library/sub", "deep.jpg", QByteArray(5000, 'j'));
        paths << QFile::encodeName(folder + "/Photos.library");
        QVERIFY(::symlink("plain.txt", QFile::encodeName(folder + "/link").constData()) == 0);
        paths << QFile::encodeName(folder) + "/link";
        const int before = itemsOnDiskAndInTrash();

        QObject context;
        int done = 0;
        QStringList errors;
        for (const QByteArray &path : paths) {
            TrashMover::moveToTrashAsync(&context, path, [&](bool ok, const QString &error) {
                ++done;
                if (!ok)
                    errors << error;
            });
        }
        QTRY_COMPARE_WITH_TIMEOUT(done, int(paths.size()), 20000);
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));

        QCOMPARE(itemsOnDiskAndInTrash(), before);
        for (const QByteArray &path : paths) {
            QVERIFY2(!exists(path), path.constData());
            const QByteArray name = path.mid(path.lastIndexOf('/') + 1);
            QVERIFY2(exists(QFile::encodeName(trashPath()) + "/files/" + name), name.constData());
            const QByteArray info = readFile(QFile::encodeName(trashPath()) + "/info/" + name + ".trashinfo");
            const QList<QByteArray> lines = info.split('\n');
            QCOMPARE(lines.value(0), QByteArray("[Trash Info]"));
            QCOMPARE(lines.value(1), "Path=" + path.toPercentEncoding("/"));
            QVERIFY(lines.value(2).startsWith("DeletionDate="));
        }
        QVERIFY(QFileInfo(trashPath() + "/files/Photos.library/sub/deep.jpg").size() == 5000);
        // The link itself went, not what it points to: plain.txt is in the trash once.
        QVERIFY(QFileInfo(trashPath() + "/files/link").isSymLink());
    }

    void aMissingFileFails()
    {
        const int before = itemsOnDiskAndInTrash();
        const Outcome outcome = moveAndWait(QFile::encodeName(workPath()) + "/never-there");
        QVERIFY(outcome.called);
        QVERIFY(outcome.called);
        QVERIFY(!outcome.ok);
        QVERIFY(!outcome.error.isEmpty());
        QCOMPARE(itemsOnDiskAndInTrash(), before);
    }

    void aFileTheUserMayNotMoveStaysInPlace()
    {
        if (::geteuid() == 0)
            QSKIP("Root ignores folder permissions, so the move cannot be refused; run as an unprivileged "
                  "user.");
        const QString folder = workPath() + "/locked";
        const QByteArray file = makeFile(folder, "kept.txt");
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        const int before = itemsOnDiskAndInTrash();
        const Outcome outcome = moveAndWait(file);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(outcome.called);
        QVERIFY(!outcome.ok);
        QVERIFY(!outcome.error.isEmpty());
        QVERIFY(exists(file));
        QCOMPARE(itemsOnDiskAndInTrash(), before);
        QVERIFY(!QFileInfo::exists(trashPath() + "/info/kept.txt.trashinfo"));
    }

    void anUnusableTrashFailsAndLeavesTheFile_data()
    {
        QTest::addColumn<QString>("part");
        QTest::addColumn<QString>("how");
        QTest::newRow("trash is a file") << ""
                                         << "file";
        QTest::newRow("files is a file") << "/files"
                                         << "file";
        QTest::newRow("info is a file") << "/info"
                                        << "file";
        QTest::newRow("trash is a dangling link") << ""
                                                  << "dangling";
        QTest::newRow("files is not writable") << "/files"
                                               << "readonly";
    }
    void anUnusableTrashFailsAndLeavesTheFile()
    {
        QFETCH(QString, part);
        QFETCH(QString, how);
        if (how == "readonly" && ::geteuid() == 0)
            QSKIP("Root writes into any folder; run as an unprivileged user.");
        const QString saved = trashPath() + ".saved";
        QVERIFY(QDir().rename(trashPath(), saved));
        QVERIFY(QDir().mkpath(trashPath() + "/files"));
        QVERIFY(QDir().mkpath(trashPath() + "/info"));
        const QString broken = trashPath() + part;
        if (how == "file") {
            QVERIFY(QDir(broken).removeRecursively());
            makeFile(QFileInfo(broken).path(), QFile::encodeName(QFileInfo(broken).fileName()));
        } else if (how == "dangling") {
            QVERIFY(QDir(broken).removeRecursively());
            QVERIFY(QFile::link(basePath() + "/nowhere", broken));
        } else {
            QVERIFY(QFile::setPermissions(broken, QFile::ReadOwner | QFile::ExeOwner));
        }

        const QByteArray file = makeFile(workPath(), "stays.txt", "precious");
        const Outcome outcome = moveAndWait(file);

        QFile::setPermissions(broken, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::remove(trashPath());
        QDir(trashPath()).removeRecursively();
        QVERIFY(QDir().rename(saved, trashPath()));
        QVERIFY(outcome.called);
        QVERIFY(!outcome.ok);
        QVERIFY(!outcome.error.isEmpty());
        QFile kept(QFile::decodeName(file));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("precious"));
        QVERIFY(kept.remove());
    }

    void aRelativeTrashLocationIsRefused()
    {
        // GIO would take a relative XDG_DATA_HOME as is, and trash below the current folder.
        const QString cwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(basePath()));
        const QString problem = TrashMover::prepareTrash("relative/Trash");
        QDir::setCurrent(cwd);
        QVERIFY(!problem.isEmpty());
        QVERIFY(!QFileInfo::exists(basePath() + "/relative"));
    }

    void aFileOnAnInternalMountIsRefusedAndKept()
    {
        const QStorageInfo shm(QStringLiteral("/dev/shm"));
        if (!shm.isValid() || shm.fileSystemType() != "tmpfs"
            || !QFileInfo(QStringLiteral("/dev/shm")).isWritable())
            QSKIP("needs a writable tmpfs at /dev/shm");
        QTemporaryDir dir(QStringLiteral("/dev/shm/corvale-trash-XXXXXX"));
        QVERIFY(dir.isValid());
        const QByteArray file = makeFile(dir.path(), "volatile.txt");
        const Outcome outcome = moveAndWait(file);
        QVERIFY(outcome.called);
        QVERIFY(!outcome.ok);
        QVERIFY(exists(file));
    }

    void aCompletionForAContextThatIsGoneIsDropped()
    {
        const QByteArray file = makeFile(workPath(), "orphan.txt");
        bool called = false;
        auto *context = new QObject;
        TrashMover::moveToTrashAsync(context, file, [&](bool, const QString &) { called = true; });
        delete context;
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        QVERIFY(!called);
        // The move itself was asked for and done.
        QVERIFY(!exists(file));
        QVERIFY(QFileInfo::exists(trashPath() + "/files/orphan.txt"));
    }

    void theBlockingCallReportsTheSame()
    {
        QString error;
        QVERIFY(!TrashMover::moveToTrash(QFile::encodeName(workPath()) + "/absent", &error));
        QVERIFY(!error.isEmpty());
        const QByteArray file = makeFile(workPath(), "sync.txt");
        QVERIFY2(TrashMover::moveToTrash(file, &error), qPrintable(error));
        QVERIFY(!exists(file));
    }
};

int main(int argc, char **argv)
{
    // GIO reads HOME and XDG_DATA_HOME once, at its first use: set them before anything runs.
    QTemporaryDir dir(diskBase() + QStringLiteral("/corvale-tst-trash-XXXXXX"));
    if (!dir.isValid())
        qFatal("cannot make a temporary folder");
    base = &dir;
    QDir().mkpath(dir.path() + QStringLiteral("/home"));
    QDir().mkpath(dir.path() + QStringLiteral("/work"));
    qputenv("HOME", QFile::encodeName(dir.path() + QStringLiteral("/home")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path() + QStringLiteral("/home/data")));
    QCoreApplication app(argc, argv);
    TestTrash test;
    const int result = QTest::qExec(&test, argc, argv);
    // POSIX removal: QDir cannot name files whose names are not UTF-8, and a failed check may
    // have left a folder read-only.
    const QByteArray top = QFile::encodeName(dir.path());
    ::nftw(top.constData(), openUp, 16, FTW_PHYS);
    ::nftw(top.constData(), removeOne, 16, FTW_DEPTH | FTW_PHYS);
    return result;
}

#include "tst_trash.moc"
