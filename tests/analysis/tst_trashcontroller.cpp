// Moving to a real trash: the mover on its own (where the trash is made, what it records, what
// it refuses), then from the analysis window (what leaves the disk, the list, the chart rows, the
// counts; failures reported once per press). Nothing is ever lost: every item counted on disk
// plus in the trash stays.

#include "ControllerFixture.h"
#include "DynamicStackedViewSector.h"
#include "FolderVisualData.h"
#include "TrashMover.h"

#include <QApplication>
#include <QDirIterator>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <ftw.h>

using namespace corvale;
using namespace corvale::test;

namespace {

QTemporaryDir *base = nullptr;

QString trashPath()
{
    return base->path() + QStringLiteral("/home/data/Trash");
}

QString workPath()
{
    return base->path() + QStringLiteral("/work");
}

// A folder on a disk file system: the home trash (not a per-mount one) is used there, and tmpfs
// refuses trashing.
QString diskBase()
{
    for (const QString &candidate : {QDir::tempPath(), QDir::currentPath(), QDir::homePath()}) {
        const QStorageInfo storage(candidate);
        if (storage.isValid() && storage.fileSystemType() != "tmpfs" && QFileInfo(candidate).isWritable())
            return candidate;
    }
    return QDir::tempPath();
}

// Every item below the working folder and in the trash: moving keeps the sum, deleting does not.
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

bool exists(const QByteArray &path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
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

// The trash's record of a moved item, by the item's name in bytes.
QByteArray trashInfo(const QByteArray &name)
{
    return readFile(QFile::encodeName(trashPath()) + "/info/" + name + ".trashinfo");
}

// Checks that `path` is in the trash under its name, recorded with where it came from.
void verifyTrashed(const QByteArray &path)
{
    const QByteArray name = path.mid(path.lastIndexOf('/') + 1);
    QVERIFY2(!exists(path), path.constData());
    QVERIFY2(exists(QFile::encodeName(trashPath()) + "/files/" + name), name.constData());
    const QList<QByteArray> lines = trashInfo(name).split('\n');
    QCOMPARE(lines.value(0), QByteArray("[Trash Info]"));
    QCOMPARE(lines.value(1), "Path=" + path.toPercentEncoding("/"));
    QVERIFY(lines.value(2).startsWith("DeletionDate="));
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

// A file of `size` bytes named `name` (bytes, not necessarily UTF-8) in `folder`, made as needed.
QByteArray makeFileIn(const QString &folder, const QByteArray &name, qsizetype size = 4)
{
    QDir().mkpath(folder);
    return makeFile(QFile::encodeName(folder) + '/' + name, size);
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

// A move that failed, said why, and came back on time.
bool refused(const Outcome &outcome)
{
    return outcome.called && !outcome.ok && !outcome.error.isEmpty();
}

std::shared_ptr<DynamicStackedViewSector> sectorFor(
    std::shared_ptr<FolderVisualData> node, bool files = false)
{
    auto sector = std::make_shared<DynamicStackedViewSector>();
    sector->setRepresentedObject(std::move(node));
    sector->setDisabled(files);
    return sector;
}

std::shared_ptr<FolderVisualData> nodeFor(const QByteArray &path, quint64 size)
{
    auto node = std::make_shared<FolderVisualData>();
    node->setPath(path.toStdString());
    node->setSize(size);
    return node;
}

quint64 nodeSize(const std::shared_ptr<DynamicStackedViewSector> &sector)
{
    return sector->represented<FolderVisualData>()->size();
}

} // namespace

class TestTrashMover : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void theTrashIsMadeWhereGioLooksForItWhenMissing()
    {
        QCOMPARE(QFile::decodeName(TrashMover::homeTrashPath()), trashPath());
        QVERIFY(!QFileInfo::exists(base->path() + QStringLiteral("/home/data")));
        const QByteArray file = makeFileIn(workPath(), "first.txt");
        const Outcome outcome = moveAndWait(file);
        QVERIFY2(outcome.ok, qPrintable(outcome.error));
        QVERIFY(outcome.onContextThread);
        for (const QString &folder : {trashPath(), trashPath() + "/files", trashPath() + "/info"}) {
            struct stat st;
            QCOMPARE(::stat(QFile::encodeName(folder).constData(), &st), 0);
            QVERIFY(S_ISDIR(st.st_mode));
            QCOMPARE(st.st_mode & 0777, 0700u);
        }
        verifyTrashed(file);
    }

    void filesAndFoldersGoToTheTrashWithTheirOrigin()
    {
        const QString folder = workPath() + "/full";
        QList<QByteArray> paths;
        for (const QByteArray &name : {"plain.txt", "with space%and é", "caf\xe9-latin1", ".hidden"})
            paths << makeFileIn(folder, name);
        makeFileIn(folder + "/Photos.library/sub", "deep.jpg", 5000);
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
        for (const QByteArray &path : paths)
            verifyTrashed(path);
        QVERIFY(QFileInfo(trashPath() + "/files/Photos.library/sub/deep.jpg").size() == 5000);
        // The link itself went, not what it points to: plain.txt is in the trash once.
        QVERIFY(QFileInfo(trashPath() + "/files/link").isSymLink());
    }

    void aMissingFileFails()
    {
        const int before = itemsOnDiskAndInTrash();
        QVERIFY(refused(moveAndWait(QFile::encodeName(workPath()) + "/never-there")));
        QCOMPARE(itemsOnDiskAndInTrash(), before);
    }

    void aFileTheUserMayNotMoveStaysInPlace()
    {
        if (::geteuid() == 0)
            QSKIP("Root ignores folder permissions, so the move cannot be refused; run as an unprivileged "
                  "user.");
        const QString folder = workPath() + "/locked";
        const QByteArray file = makeFileIn(folder, "kept.txt");
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
        const int before = itemsOnDiskAndInTrash();
        const Outcome outcome = moveAndWait(file);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(refused(outcome));
        QVERIFY(exists(file));
        QCOMPARE(itemsOnDiskAndInTrash(), before);
        QVERIFY(trashInfo("kept.txt").isEmpty());
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
            makeFileIn(QFileInfo(broken).path(), QFile::encodeName(QFileInfo(broken).fileName()));
        } else if (how == "dangling") {
            QVERIFY(QDir(broken).removeRecursively());
            QVERIFY(QFile::link(base->path() + "/nowhere", broken));
        } else {
            QVERIFY(QFile::setPermissions(broken, QFile::ReadOwner | QFile::ExeOwner));
        }

        const QByteArray file = makeFileIn(workPath(), "stays.txt", 8);
        const Outcome outcome = moveAndWait(file);

        QFile::setPermissions(broken, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::remove(trashPath());
        QDir(trashPath()).removeRecursively();
        QVERIFY(QDir().rename(saved, trashPath()));
        QVERIFY(refused(outcome));
        QCOMPARE(readFile(file), QByteArray(8, 'x'));
        QCOMPARE(::unlink(file.constData()), 0);
    }

    void aRelativeTrashLocationIsRefused()
    {
        // GIO would take a relative XDG_DATA_HOME as is, and trash below the current folder.
        const QString cwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(base->path()));
        const QString problem = TrashMover::prepareTrash("relative/Trash");
        QDir::setCurrent(cwd);
        QVERIFY(!problem.isEmpty());
        QVERIFY(!QFileInfo::exists(base->path() + "/relative"));
    }

    void aFileOnAnInternalMountIsRefusedAndKept()
    {
        const QStorageInfo shm(QStringLiteral("/dev/shm"));
        if (!shm.isValid() || shm.fileSystemType() != "tmpfs"
            || !QFileInfo(QStringLiteral("/dev/shm")).isWritable())
            QSKIP("needs a writable tmpfs at /dev/shm");
        QTemporaryDir dir(QStringLiteral("/dev/shm/corvale-trash-XXXXXX"));
        QVERIFY(dir.isValid());
        const QByteArray file = makeFileIn(dir.path(), "volatile.txt");
        QVERIFY(!moveAndWait(file).ok);
        QVERIFY(exists(file));
    }

    void aCompletionForAContextThatIsGoneIsDropped()
    {
        const QByteArray file = makeFileIn(workPath(), "orphan.txt");
        bool called = false;
        auto *context = new QObject;
        TrashMover::moveToTrashAsync(context, file, [&](bool, const QString &) { called = true; });
        delete context;
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        QVERIFY(!called);
        // The move itself was asked for and done.
        verifyTrashed(file);
    }
};

class TestTrashController : public QObject, ControllerWindow
{
    Q_OBJECT
private:
    QByteArray m_root;
    int m_case = 0;

    QPushButton *trashButton() { return child<QPushButton>("trashButton"); }

    // root: loose1 (100), loose2 (200), sub/{c.bin 300, e.bin 50, deeper/{d.bin 400, d2.bin 40}}.
    void makeTree()
    {
        m_root = QFile::encodeName(workPath()) + "/case" + QByteArray::number(++m_case);
        makeFolder(m_root);
        makeFile(m_root + "/loose1", 100);
        makeFile(m_root + "/loose2", 200);
        makeFolder(m_root + "/sub");
        makeFile(m_root + "/sub/c.bin", 300);
        makeFile(m_root + "/sub/e.bin", 50);
        makeFolder(m_root + "/sub/deeper");
        makeFile(m_root + "/sub/deeper/d.bin", 400);
        makeFile(m_root + "/sub/deeper/d2.bin", 40);
    }

    quint64 sizeOf(int row, const QString &title)
    {
        const auto found = sector(row, title);
        if (!found)
            qFatal("no sector %s in row %d", qPrintable(title), row);
        return nodeSize(found);
    }
    int rowOf(const QString &name)
    {
        const QStringList listed = names(c().directoryItems());
        return int(listed.indexOf(name));
    }

    // Walks the root, then clicks "sub" in its bar: row 0 holds sub and the root's files, row 1
    // deeper and sub's files, and the list shows sub's entries. `meanwhile` runs between the walk
    // and the click.
    void showSubFolder(quint64 items = 8, const std::function<void()> &meanwhile = {})
    {
        c().openFolder(m_root);
        QTRY_COMPARE_WITH_TIMEOUT(c().tableData().size(), size_t(1), 20000);
        QCOMPARE(c().itemsVisualized(), items);
        if (meanwhile)
            meanwhile();
        clickSector(0, QStringLiteral("sub"));
        QTRY_COMPARE(c().tableData().size(), size_t(2));
        QCOMPARE(c().pathsData().back(), m_root + "/sub");
        QVERIFY(child("fileTableView")->isVisible());
    }

    // Presses the trash button and waits for the press's last completion.
    void pressTrashAndWait()
    {
        QSignalSpy finished(m_controller.get(), &StorageWindowController::trashActionFinished);
        QVERIFY(trashButton()->isEnabled());
        QTest::mouseClick(trashButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);
        QCOMPARE(c().trashActionsRunning(), 0);
    }

    // Checks the named entries by clicking their rows.
    void check(const QStringList &names)
    {
        for (const QString &name : names) {
            const int row = rowOf(name);
            QVERIFY2(row >= 0, qPrintable(name));
            table().clickRow(row);
        }
        QTRY_VERIFY(panelShown());
    }
    Entry entryNamed(const QString &name)
    {
        const int row = rowOf(name);
        return row < 0 ? nullptr : c().directoryItems()[size_t(row)];
    }

private Q_SLOTS:
    void init()
    {
        makeTree();
        openWindow();
    }

    void cleanup() { closeWindow(); }

    void aFileAndAFolderMoveAndLeaveTheListAndTheChart()
    {
        showSubFolder();
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(names(c().directoryItems()).size(), 3);
        const int before = itemsOnDiskAndInTrash();
        const Entry deeper = entryNamed("deeper");
        const Entry file = entryNamed("c.bin");
        const Entry kept = entryNamed("e.bin");
        check({"deeper", "c.bin"});
        QCOMPARE(c().filesToDelete().size(), size_t(2));

        pressTrashAndWait();

        QVERIFY(m_alerts->shown.empty());
        QCOMPARE(itemsOnDiskAndInTrash(), before);
        for (const QByteArray name : {"deeper", "c.bin"})
            verifyTrashed(m_root + "/sub/" + name);
        QVERIFY(exists(QFile::encodeName(trashPath()) + "/files/deeper/d2.bin"));
        QVERIFY(exists(m_root + "/sub/e.bin"));

        // The list keeps what stayed; the selection went with the moved entries.
        QCOMPARE(c().directoryItems(), std::vector<Entry> {kept});
        QCOMPARE(table().model()->rowCount(), 1);
        QVERIFY(c().filesToDelete().empty());
        QVERIFY(!trashButton()->isEnabled());
        QVERIFY(panelHidden());

        // Row 0: sub lost both (790 - 440 - 300), the root's files stay. Row 1: the moved folder
        // is empty now, sub's own files lost c.bin.
        const QString files = QStringLiteral("Files");
        QCOMPARE(sizeOf(0, "sub"), quint64(50));
        QCOMPARE(sizeOf(0, files), quint64(300));
        QCOMPARE(sizeOf(1, "deeper"), quint64(0));
        QCOMPARE(sizeOf(1, files), quint64(50));
        QCOMPARE(sector(0, "sub")->sectorPercentage(), 50.0f / 350.0f);
        QCOMPARE(sector(0, "sub")->subtitle(), byteCountText(50));
        QCOMPARE(sector(1, "deeper")->sectorPercentage(), 0.0f);
        QCOMPARE(sector(1, files)->sectorPercentage(), 1.0f);

        QCOMPARE(c().reclaimedSpace(), quint64(740));
        QCOMPARE(child<QLabel>("fieldReclaim")->text(), byteCountText(740));
        for (const char *name : {"labelReclaim", "fieldReclaim", "buttonReclaim"})
            QVERIFY2(child(name)->isVisible(), name);
        // 8 items: deeper with its two files and c.bin went.
        QCOMPARE(deeper->count + file->count, quint64(4));
        QCOMPARE(c().itemsVisualized(), quint64(4));
        QCOMPARE(child<QLabel>("selectedFolderItems")->text(), QStringLiteral("Items: 4"));

        // A second move adds up.
        check({"e.bin"});
        pressTrashAndWait();
        QCOMPARE(c().reclaimedSpace(), quint64(790));
        QVERIFY(c().directoryItems().empty());
        QCOMPARE(sizeOf(0, "sub"), quint64(0));
        QCOMPARE(sizeOf(1, files), quint64(0));
        QCOMPARE(c().itemsVisualized(), quint64(3));
        QCOMPARE(itemsOnDiskAndInTrash(), before);
    }

    void whatGrewSinceTheWalkEmptiesItsSectorsWithoutWrapping()
    {
        // c.bin grows after the walk: it is listed with its new size, larger than sub and than
        // sub's files.
        showSubFolder(8, [this] { makeFile(m_root + "/sub/c.bin", 5000); });
        if (QTest::currentTestFailed())
            return;
        const Entry grown = entryNamed("c.bin");
        QCOMPARE(grown->size, quint64(5000));
        // And its count is more than the window knows of.
        grown->count = 1000;
        check({"c.bin"});
        pressTrashAndWait();
        QCOMPARE(sizeOf(0, "sub"), quint64(0));
        QCOMPARE(sizeOf(0, "Files"), quint64(300));
        QCOMPARE(sector(0, "Files")->sectorPercentage(), 1.0f);
        QCOMPARE(sizeOf(1, "deeper"), quint64(440));
        QCOMPARE(sizeOf(1, "Files"), quint64(0));
        QCOMPARE(c().reclaimedSpace(), quint64(5000));
        QCOMPARE(c().itemsVisualized(), quint64(0));
        QCOMPARE(child<QLabel>("selectedFolderItems")->text(), QStringLiteral("Items: 0"));
    }

    void aRefusedEntryIsReportedOnceAfterTheOthersAndStays()
    {
        if (::geteuid() == 0)
            QSKIP("RUN AS AN UNPRIVILEGED USER: root moves a folder it may not write, so no move is refused "
                  "and "
                  "the partial failure is not tested.");
        // Moving a folder to another parent rewrites its "..": a folder the user may not write
        // stays where it is.
        const QByteArray locked = m_root + "/sub/locked";
        makeFolder(locked);
        makeFile(locked + "/kept.bin", 10);
        QVERIFY(::chmod(locked.constData(), 0500) == 0);
        // Two more files, so that the refused entry is seldom the last to complete.
        makeFile(m_root + "/sub/f.bin", 1);
        makeFile(m_root + "/sub/g.bin", 1);
        showSubFolder(12);
        if (QTest::currentTestFailed())
            return;
        const Entry refused = entryNamed("locked");
        const int before = itemsOnDiskAndInTrash();
        check({"c.bin", "locked", "e.bin", "f.bin", "g.bin"});
        // The alert comes once every move of the press has completed.
        QStringList listedAtAlert;
        m_alerts->whenShown = [&] {
            listedAtAlert = names(c().directoryItems());
            listedAtAlert.sort();
        };

        pressTrashAndWait();
        ::chmod(locked.constData(), 0700);

        QCOMPARE(itemsOnDiskAndInTrash(), before);
        QVERIFY(!exists(m_root + "/sub/c.bin"));
        QVERIFY(!exists(m_root + "/sub/e.bin"));
        QVERIFY(exists(locked + "/kept.bin"));
        QVERIFY(trashInfo("locked").isEmpty());
        QCOMPARE(m_alerts->shown.size(), size_t(1));
        QCOMPARE(m_alerts->shown[0].messageText, QStringLiteral("Unable to delete items"));
        QCOMPARE(m_alerts->shown[0].informativeText,
            QStringLiteral(
                "These items cannot be deleted:\n\nlocked\n\nCheck permissions or try again later"));
        QCOMPARE(m_alerts->shown[0].buttons, QStringList {QStringLiteral("OK")});
        QCOMPARE(listedAtAlert, (QStringList {"deeper", "locked"}));

        // Still listed, still checked: the button stays for another try.
        QStringList listed = names(c().directoryItems());
        listed.sort();
        QCOMPARE(listed, (QStringList {"deeper", "locked"}));
        QCOMPARE(c().filesToDelete(), std::vector<Entry> {refused});
        QVERIFY(table().model()->isChecked(rowOf("locked")));
        QVERIFY(trashButton()->isEnabled());
        QVERIFY(panelShown());
        QCOMPARE(c().reclaimedSpace(), quint64(352));
        QCOMPARE(sizeOf(0, "sub"), quint64(802 - 352));
        QCOMPARE(sizeOf(1, "locked"), quint64(10));
        QCOMPARE(sizeOf(1, "Files"), quint64(0));
        QCOMPARE(c().itemsVisualized(), quint64(12 - 4));
    }

    void aCancelledWarningMovesNothing()
    {
        showSubFolder();
        if (QTest::currentTestFailed())
            return;
        // Nothing under a system location can be checked by a click; a selection set in code can
        // still start with one. This one does not exist, so even root moves nothing there.
        auto system = std::make_shared<FolderAttributes>(*entryNamed("e.bin"));
        system->path = "/SystemCorvaleTest/absent.bin";
        system->name = "absent.bin";
        const auto entries = c().directoryItems();
        c().setFilesToDelete({system, entryNamed("c.bin")});
        QVERIFY(trashButton()->isEnabled());
        const int before = itemsOnDiskAndInTrash();

        m_alerts->answers = {AlertPresenter::FirstButton};
        QTest::mouseClick(trashButton(), Qt::LeftButton);
        QTest::qWait(200);
        QCOMPARE(m_alerts->shown.size(), size_t(1));
        const AlertPresenter::Alert &warning = m_alerts->shown[0];
        QCOMPARE(warning.messageText, QStringLiteral("You're trying to move system files to trash."));
        QCOMPARE(warning.informativeText,
            QStringLiteral("This can damage your system installation. Are you sure you want to continue?"));
        QCOMPARE(warning.buttons, (QStringList {QStringLiteral("Cancel"), QStringLiteral("Move to Trash")}));
        QCOMPARE(c().trashActionsRunning(), 0);
        QCOMPARE(itemsOnDiskAndInTrash(), before);
        QVERIFY(exists(m_root + "/sub/c.bin"));
        QCOMPARE(c().directoryItems(), entries);
        QCOMPARE(c().reclaimedSpace(), quint64(0));
        QCOMPARE(sizeOf(0, "sub"), quint64(790));

        // Confirmed: every entry is tried; the absent one is reported.
        m_alerts->answers = {AlertPresenter::FirstButton + 1};
        pressTrashAndWait();
        QCOMPARE(m_alerts->shown.size(), size_t(3));
        QVERIFY(m_alerts->shown[2].informativeText.contains(QStringLiteral("\n\nabsent.bin\n\n")));
        QVERIFY(!exists(m_root + "/sub/c.bin"));
        QCOMPARE(itemsOnDiskAndInTrash(), before);
        QCOMPARE(c().reclaimedSpace(), quint64(300));
    }

    void aSecondPressWhileMovingMovesNothingTwice()
    {
        showSubFolder();
        if (QTest::currentTestFailed())
            return;
        const int before = itemsOnDiskAndInTrash();
        check({"c.bin", "e.bin"});
        QSignalSpy finished(m_controller.get(), &StorageWindowController::trashActionFinished);
        c().trashSelectedItems();
        c().trashSelectedItems();
        QCOMPARE(c().trashActionsRunning(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);
        QTest::qWait(100);
        QCOMPARE(finished.count(), 1);
        QVERIFY(m_alerts->shown.empty());
        QCOMPARE(itemsOnDiskAndInTrash(), before);
        QCOMPARE(c().reclaimedSpace(), quint64(350));
        QCOMPARE(c().itemsVisualized(), quint64(6));
        // With nothing checked a press does nothing.
        c().trashSelectedItems();
        QCOMPARE(c().trashActionsRunning(), 0);
    }

    void aMoveEndingAfterANewAnalysisLeavesItAlone()
    {
        showSubFolder();
        if (QTest::currentTestFailed())
            return;
        check({"c.bin"});
        QSignalSpy finished(m_controller.get(), &StorageWindowController::trashActionFinished);
        c().trashSelectedItems();
        // The move is done on disk, its completion not yet run here; then a new walk of the same
        // folder starts.
        for (int i = 0; i < 4000 && exists(m_root + "/sub/c.bin"); ++i)
            QThread::msleep(5);
        QVERIFY(!exists(m_root + "/sub/c.bin"));
        c().updateFolder();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);
        QTRY_COMPARE_WITH_TIMEOUT(c().tableData().size(), size_t(1), 20000);
        QVERIFY(!exists(m_root + "/sub/c.bin"));
        QCOMPARE(c().reclaimedSpace(), quint64(0));
        // The new walk counts what is there: the moved file is not subtracted a second time.
        QCOMPARE(sizeOf(0, "sub"), quint64(490));
        QCOMPARE(c().itemsVisualized(), quint64(7));
        QVERIFY(m_alerts->shown.empty());
    }

    void theFailureAlertListsEveryNameOnItsLine()
    {
        auto first = fileEntry(m_root + "/loose1");
        auto second = fileEntry(m_root + "/loose2");
        c().unableToDeleteItems({first, second});
        QCOMPARE(m_alerts->shown.size(), size_t(1));
        QCOMPARE(m_alerts->shown[0].informativeText,
            QStringLiteral(
                "These items cannot be deleted:\n\nloose1\nloose2\n\nCheck permissions or try again later"));
    }

    void theNodeAdjustment_data()
    {
        QTest::addColumn<QByteArray>("nodePath");
        QTest::addColumn<bool>("files");
        QTest::addColumn<quint64>("before");
        QTest::addColumn<QByteArray>("removed");
        QTest::addColumn<quint64>("size");
        QTest::addColumn<bool>("isDir");
        QTest::addColumn<quint64>("expected");

        // The sector's node at nodePath (its own files' sector if `files`) held `before` bytes;
        // an entry of `size` bytes at `removed` went.
        auto row = [](const char *name, const char *node, bool files, quint64 before, const char *removed,
                       quint64 size, bool isDir, quint64 expected) {
            QTest::newRow(name) << QByteArray(node) << files << before << QByteArray(removed) << size << isDir
                                << expected;
        };
        row("the item itself", "/r/a", false, 900, "/r/a", 900, true, 0);
        row("a folder above it", "/r/a", false, 900, "/r/a/b/c", 100, false, 800);
        row("above, counted smaller than the item", "/r/a", false, 90, "/r/a/b", 100, false, 0);
        row("a name that merely begins alike", "/r/a", false, 900, "/r/ab/c", 100, false, 900);
        row("below it", "/r/a/b", false, 900, "/r/a", 100, true, 900);
        row("files of the folder holding a file", "/r/a", true, 900, "/r/a/f", 100, false, 800);
        row("files of the folder holding a folder", "/r/a", true, 900, "/r/a/f", 100, true, 900);
        row("files of a folder further up", "/r", true, 900, "/r/a/f", 100, false, 900);
        row("files smaller than the file", "/r/a", true, 50, "/r/a/f", 100, false, 0);
        row("already empty", "/r/a", false, 0, "/r/a/f", 100, false, 0);
    }
    void theNodeAdjustment()
    {
        QFETCH(QByteArray, nodePath);
        QFETCH(bool, files);
        QFETCH(quint64, before);
        QFETCH(QByteArray, removed);
        QFETCH(quint64, size);
        QFETCH(bool, isDir);
        QFETCH(quint64, expected);
        const auto sector = sectorFor(nodeFor(nodePath, before), files);
        QCOMPARE(StorageWindowController::removeLinkToUrlProcessor(removed, sector, size, isDir), sector);
        QCOMPARE(nodeSize(sector), expected);
        QCOMPARE(sector->isDisabled(), files);

        // A sector without a folder behind it is left as it is.
        const auto bare = std::make_shared<DynamicStackedViewSector>();
        QCOMPARE(StorageWindowController::removeLinkToUrlProcessor(removed, bare, size, isDir), bare);
        QVERIFY(!bare->representedObject());
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
    QDir().mkpath(workPath());
    qputenv("HOME", QFile::encodeName(dir.path() + QStringLiteral("/home")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path() + QStringLiteral("/home/data")));
    QApplication app(argc, argv);
    // The mover first: its first case sees the trash made.
    TestTrashMover mover;
    TestTrashController controller;
    const int result = QTest::qExec(&mover, argc, argv) | QTest::qExec(&controller, argc, argv);
    // POSIX removal: QDir cannot name files whose names are not UTF-8, and a failed check may
    // have left a folder read-only.
    const QByteArray top = QFile::encodeName(dir.path());
    ::nftw(top.constData(), openUp, 16, FTW_PHYS);
    ::nftw(top.constData(), removeOne, 16, FTW_DEPTH | FTW_PHYS);
    return result;
}

#include "tst_trashcontroller.moc"
