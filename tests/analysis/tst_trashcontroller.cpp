// Moving checked entries to a real trash from the analysis window: what leaves the disk, the
// list, the chart rows, the counts; failures reported once per press; nothing ever lost.

#include "DynamicStackedView.h"
#include "DynamicStackedViewBox.h"
#include "DynamicStackedViewSector.h"
#include "FileListFixture.h"
#include "FolderVisualData.h"
#include "TrashMover.h"
#include "VisualDataCell.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStorageInfo>
#include <QTableWidget>
#include <QTemporaryDir>

#include <ftw.h>

using namespace corvale;
using namespace corvale::testing;

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

// A folder on a disk file system: the home trash is used there, and tmpfs refuses trashing.
QString diskBase()
{
    for (const QString &candidate : {QDir::tempPath(), QDir::currentPath()}) {
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

QByteArray trashInfo(const QByteArray &name)
{
    QFile file(
        trashPath() + QStringLiteral("/info/") + QFile::decodeName(name) + QStringLiteral(".trashinfo"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

class TestTrashController : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<StorageWindowController> m_controller;
    ScriptedAlerts *m_alerts = nullptr;
    QByteArray m_root;
    int m_case = 0;

    StorageWindowController &c() { return *m_controller; }
    template<class T = QWidget>
    T *child(const char *name)
    {
        auto *widget = m_controller->findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("no element %s", name);
        return widget;
    }
    FileTable table() { return {child<RightClickTable>("fileTableView")}; }
    QPushButton *trashButton() { return child<QPushButton>("trashButton"); }
    bool panelShown() { return c().trashAnimationConstrain() == StorageWindowController::TrashShownOffset; }
    bool panelHidden() { return c().trashAnimationConstrain() == StorageWindowController::TrashHiddenOffset; }

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

    std::shared_ptr<DynamicStackedViewSector> sector(int row, const QString &title)
    {
        for (const auto &each : c().tableData().at(size_t(row))) {
            if (each->title() == title)
                return each;
        }
        qFatal("no sector %s in row %d", qPrintable(title), row);
    }
    quint64 sizeOf(int row, const QString &title) { return nodeSize(sector(row, title)); }
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
        auto *rows = c().findChild<QTableWidget *>(QStringLiteral("tableView"));
        DynamicStackedViewBox *box = nullptr;
        QVERIFY(QTest::qWaitFor([&] {
            auto *cell = qobject_cast<VisualDataCell *>(rows->cellWidget(0, 0));
            box = cell ? cell->dynamicView()->boxForSector(sector(0, QStringLiteral("sub"))) : nullptr;
            return box && box->isVisible() && box->width() > 2;
        }));
        QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
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
        m_controller = std::make_unique<StorageWindowController>();
        auto alerts = std::make_unique<ScriptedAlerts>();
        m_alerts = alerts.get();
        c().setAlertPresenter(std::move(alerts));
        c().setFileManager(std::make_unique<RecordingFileManager>());
        c().resize(1000, 640);
        c().show();
        QVERIFY(QTest::qWaitForWindowExposed(m_controller.get()));
    }

    void cleanup() { m_controller.reset(); }

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
        for (const QByteArray name : {"deeper", "c.bin"}) {
            const QByteArray path = m_root + "/sub/" + name;
            QVERIFY2(!exists(path), path.constData());
            QVERIFY(exists(QFile::encodeName(trashPath()) + "/files/" + name));
            const QList<QByteArray> info = trashInfo(name).split('\n');
            QCOMPARE(info.value(0), QByteArray("[Trash Info]"));
            QCOMPARE(info.value(1), "Path=" + path.toPercentEncoding("/"));
            QVERIFY(info.value(2).startsWith("DeletionDate="));
        }
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

    void anUnusableTrashLeavesTheFileAndSaysSo()
    {
        showSubFolder();
        if (QTest::currentTestFailed())
            return;
        // The user's trash folder is in the way: a plain file stands where it should be.
        QVERIFY(QDir().mkpath(trashPath()));
        const int before = itemsOnDiskAndInTrash();
        const QString saved = trashPath() + QStringLiteral(".saved");
        QVERIFY(QDir().rename(trashPath(), saved));
        makeFile(QFile::encodeName(trashPath()), 3);
        check({"c.bin"});

        pressTrashAndWait();
        QFile::remove(trashPath());
        QVERIFY(QDir().rename(saved, trashPath()));

        QCOMPARE(itemsOnDiskAndInTrash(), before);
        QCOMPARE(QFileInfo(QFile::decodeName(m_root) + "/sub/c.bin").size(), 300);
        QCOMPARE(m_alerts->shown.size(), size_t(1));
        QVERIFY(m_alerts->shown[0].informativeText.contains(QStringLiteral("\n\nc.bin\n\n")));
        QCOMPARE(c().directoryItems().size(), size_t(3));
        QCOMPARE(c().reclaimedSpace(), quint64(0));
        QVERIFY(!child("fieldReclaim")->isVisible());
        QCOMPARE(sizeOf(0, "sub"), quint64(790));
        QCOMPARE(c().itemsVisualized(), quint64(8));
        QVERIFY(trashButton()->isEnabled());
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

        QTest::newRow("the item itself")
            << QByteArray("/r/a") << false << 900ull << QByteArray("/r/a") << 900ull << true << 0ull;
        QTest::newRow("a folder above it")
            << QByteArray("/r/a") << false << 900ull << QByteArray("/r/a/b/c") << 100ull << false << 800ull;
        QTest::newRow("above, counted smaller than the item")
            << QByteArray("/r/a") << false << 90ull << QByteArray("/r/a/b") << 100ull << false << 0ull;
        QTest::newRow("a name that merely begins alike")
            << QByteArray("/r/a") << false << 900ull << QByteArray("/r/ab/c") << 100ull << false << 900ull;
        QTest::newRow("below it") << QByteArray("/r/a/b") << false << 900ull << QByteArray("/r/a") << 100ull
                                  << true << 900ull;
        QTest::newRow("files of the folder holding a file")
            << QByteArray("/r/a") << true << 900ull << QByteArray("/r/a/f") << 100ull << false << 800ull;
        QTest::newRow("files of the folder holding a folder")
            << QByteArray("/r/a") << true << 900ull << QByteArray("/r/a/f") << 100ull << true << 900ull;
        QTest::newRow("files of a folder further up")
            << QByteArray("/r") << true << 900ull << QByteArray("/r/a/f") << 100ull << false << 900ull;
        QTest::newRow("files smaller than the file")
            << QByteArray("/r/a") << true << 50ull << QByteArray("/r/a/f") << 100ull << false << 0ull;
        QTest::newRow("already empty")
            << QByteArray("/r/a") << false << 0ull << QByteArray("/r/a/f") << 100ull << false << 0ull;
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
    QTemporaryDir dir(diskBase() + QStringLiteral("/corvale-tst-trashcontroller-XXXXXX"));
    if (!dir.isValid())
        qFatal("cannot make a temporary folder");
    base = &dir;
    QDir().mkpath(dir.path() + QStringLiteral("/home"));
    QDir().mkpath(workPath());
    qputenv("HOME", QFile::encodeName(dir.path() + QStringLiteral("/home")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path() + QStringLiteral("/home/data")));
    QApplication app(argc, argv);
    TestTrashController test;
    const int result = QTest::qExec(&test, argc, argv);
    const QByteArray top = QFile::encodeName(dir.path());
    ::nftw(top.constData(), openUp, 16, FTW_PHYS);
    ::nftw(top.constData(), removeOne, 16, FTW_DEPTH | FTW_PHYS);
    return result;
}

#include "tst_trashcontroller.moc"
