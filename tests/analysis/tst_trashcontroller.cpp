// Moving to a real trash from the analysis window. Nothing is ever lost: every
// item counted on disk plus in the trash stays.

#include "ControllerFixture.h"
#include "DynamicStackedViewSector.h"
#include "FolderVisualData.h"
#include "TrashFixture.h"

#include <QAccessible>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <filesystem>

using namespace corvale;
using namespace corvale::test;

static QTemporaryDir *base = nullptr;

#define SHOW_SUB_FOLDER(...)                                                                                 \
    do {                                                                                                     \
        if (showSubFolder(__VA_ARGS__); QTest::currentTestFailed())                                          \
            return;                                                                                          \
    } while (0)

class TestTrashController : public QObject, ControllerWindow
{
    Q_OBJECT
public:
    static QString trashPath() { return base->path() + "/home/data/Trash"; }
    static QString workPath() { return base->path() + "/work"; }

private:
    QByteArray m_root;
    int m_case = 0;

    static QByteArray trash() { return QFile::encodeName(trashPath()); }
    // Every item and byte below the working folder and in the trash: moving keeps them, deleting
    // does not.
    static std::pair<int, qint64> itemsOnDiskAndInTrash()
    {
        return itemsAndBytes({QFile::encodeName(workPath()), trash() + "/files"});
    }
    QPushButton *trashButton() { return child<QPushButton>("trashButton"); }
    QString text(const char *label) { return child<QLabel>(label)->text(); }
    quint64 sizeOf(int row, const QString &title)
    {
        return sector(row, title)->represented<FolderVisualData>()->size();
    }
    std::vector<quint64> sizes()
    {
        return {sizeOf(0, "sub"), sizeOf(0, "Files"), sizeOf(1, "deeper"), sizeOf(1, "Files")};
    }
    int rowOf(const QString &name) { return int(names(s().directoryItems()).indexOf(name)); }
    Entry entryNamed(const QString &name) { return s().directoryItems().at(size_t(rowOf(name))); }
    QStringList listedSorted()
    {
        QStringList listed = names(s().directoryItems());
        listed.sort();
        return listed;
    }

    // Walks root: loose1 (100), loose2 (200), sub/{c.bin 300, e.bin 50, deeper/{d.bin 400, d2.bin 40}},
    // then clicks "sub": row 0 holds sub and the root's files, row 1 deeper and sub's files, and the
    // list shows sub's entries. `meanwhile` runs between the walk and the click.
    void showSubFolder(quint64 items = 8, const std::function<void()> &meanwhile = {})
    {
        c().openFolder(m_root);
        QTRY_COMPARE_WITH_TIMEOUT(s().rows().size(), size_t(1), 20000);
        QCOMPARE(s().itemsVisualized(), items);
        if (meanwhile)
            meanwhile();
        clickSector(0, QStringLiteral("sub"));
        QTRY_COMPARE(rowPaths(), (QList<QByteArray> {m_root, m_root + "/sub"}));
    }
    void pressTrashAndWait()
    {
        QSignalSpy finished(&s(), &AnalysisSession::trashActionFinished);
        QVERIFY(trashButton()->isEnabled());
        QTest::mouseClick(trashButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);
        QCOMPARE(s().trashActionsRunning(), 0);
    }
    void check(const QStringList &names)
    {
        for (const QString &name : names) {
            QVERIFY2(rowOf(name) >= 0, qPrintable(name));
            table().clickRow(rowOf(name));
        }
        QTRY_VERIFY(panelShown());
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(QDir().mkpath(workPath())); }
    void init()
    {
        // Each case finds its moved items under their own names.
        std::filesystem::remove_all(QFile::encodeName(trashPath()).constData());
        m_root = QFile::encodeName(workPath()) + "/case" + QByteArray::number(++m_case);
        for (const char *folder : {"", "/sub", "/sub/deeper"})
            makeFolder(m_root + folder);
        for (const auto &[name, size] : std::initializer_list<std::pair<const char *, int>> {{"/loose1", 100},
                 {"/loose2", 200}, {"/sub/c.bin", 300}, {"/sub/e.bin", 50}, {"/sub/deeper/d.bin", 400},
                 {"/sub/deeper/d2.bin", 40}})
            makeFile(m_root + name, size);
        openWindow();
    }
    void cleanup() { closeWindow(); }

    // In disk usage the chart and list show what du counts, and a move reclaims only the blocks no
    // name left behind still holds: d.bin keeps a name outside, e.bin's other name goes with it.
    void diskUsageReclaimsWhatNoOtherNameHolds()
    {
        QCOMPARE(::link((m_root + "/sub/deeper/d.bin").constData(), (m_root + "/d-link").constData()), 0);
        QCOMPARE(::link((m_root + "/sub/e.bin").constData(), (m_root + "/sub/deeper/e-link").constData()), 0);
        SHOW_SUB_FOLDER(10);
        s().setMeasure(Measure::DiskUsage);
        QProcess du;
        du.start(QStringLiteral("du"), {QStringLiteral("-B1"), QFile::decodeName(m_root)});
        QVERIFY(du.waitForFinished());
        QHash<QByteArray, quint64> usage; // du's figure for every folder
        for (const QByteArray &line : du.readAllStandardOutput().split('\n'))
            if (const qsizetype tab = line.indexOf('\t'); tab > 0)
                usage[line.mid(tab + 1)] = line.left(tab).toULongLong();
        const QString deeper = byteCountText(usage[m_root + "/sub/deeper"]);
        QCOMPARE((QStringList {sector(0, "sub")->subtitle(), sector(1, "deeper")->subtitle(),
                     table().model()->index(rowOf("deeper"), FileListModel::SizeColumn).data().toString()}),
            (QStringList {byteCountText(usage[m_root + "/sub"]), deeper, deeper}));

        const auto blocks = [](const QByteArray &path) {
            struct stat st;
            return ::lstat(path.constData(), &st) == 0 ? quint64(st.st_blocks) * 512 : 0;
        };
        const quint64 freed = blocks(m_root + "/sub/deeper") + blocks(m_root + "/sub/deeper/d2.bin")
            + blocks(m_root + "/sub/e.bin");
        const quint64 linked = blocks(m_root + "/sub/deeper/d.bin");
        check({"deeper", "e.bin"});
        QCOMPARE(text("trashTotal"),
            byteCountText(entryNamed("deeper")->allocatedSize + entryNamed("e.bin")->allocatedSize));
        pressTrashAndWait();
        QCOMPARE(std::tuple(s().reclaimedDiskSpace(), s().reclaimedLinkedSpace(), s().reclaimedSpace()),
            std::tuple(freed, linked, quint64(400 + 40 + 50 + 50)));
        QCOMPARE(text("fieldReclaim"), byteCountText(freed));
        QVERIFY(text("reclaimNote").contains(byteCountText(linked)));
        s().setMeasure(Measure::ApparentSize);
        QCOMPARE((QStringList {text("fieldReclaim"), text("reclaimNote")}),
            (QStringList {byteCountText(540), "freed when the Trash is emptied"}));
    }

    void aFileAndAFolderMoveAndLeaveTheListAndTheChart()
    {
        SHOW_SUB_FOLDER();
        QCOMPARE(names(s().directoryItems()).size(), 3);
        const auto before = itemsOnDiskAndInTrash();
        const Entry deeper = entryNamed("deeper"), file = entryNamed("c.bin"), kept = entryNamed("e.bin");
        check({"deeper", "c.bin"});
        QCOMPARE(s().filesToDelete().size(), size_t(2));
        pressTrashAndWait();

        QCOMPARE(itemsOnDiskAndInTrash(), before);
        for (const QByteArray name : {"deeper", "c.bin"})
            verifyTrashed(m_root + "/sub/" + name, trash(), name, m_root + "/sub/" + name);
        QVERIFY(m_alerts->shown.empty() && exists(trash() + "/files/deeper/d2.bin")
            && exists(m_root + "/sub/e.bin"));
        // The list keeps what stayed; the selection went with the moved entries.
        QCOMPARE(s().directoryItems(), std::vector<Entry> {kept});
        QVERIFY(s().filesToDelete().empty() && !trashButton()->isEnabled() && panelHidden());
        // Row 0: sub lost both (790 - 440 - 300), the root's files stay. Row 1: the moved folder
        // is empty, sub's own files lost c.bin.
        QCOMPARE(sizes(), (std::vector<quint64> {50, 300, 0, 50}));
        QCOMPARE(sector(0, "sub")->sectorPercentage(), 50.0f / 350.0f);
        QCOMPARE((QStringList {sector(0, "sub")->subtitle(), text("fieldReclaim"),
                     QAccessible::queryAccessibleInterface(child("fieldReclaim"))->text(QAccessible::Name),
                     text("selectedFolderItems")}),
            (QStringList {byteCountText(50), byteCountText(740), "Reclaimed: " + byteCountText(740),
                "350 bytes · Items: 4"}));
        // 8 items: deeper with its two files and c.bin went.
        QCOMPARE(
            (std::vector<quint64> {s().reclaimedSpace(), deeper->count + file->count, s().itemsVisualized()}),
            (std::vector<quint64> {740, 4, 4}));
        // The rows are shown again once the action is over: the last row slides in, as after a drill-down.
        QVERIFY(cell(1)->isAnimating());

        // A second move adds up; a second press while it runs moves nothing twice.
        check({"e.bin"});
        QSignalSpy finished(&s(), &AnalysisSession::trashActionFinished);
        s().trashSelectedItems();
        s().trashSelectedItems();
        QCOMPARE(s().trashActionsRunning(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 20000);
        QTest::qWait(100);
        QCOMPARE(finished.count(), 1);
        QVERIFY(m_alerts->shown.empty() && s().directoryItems().empty());
        QCOMPARE(std::pair(s().reclaimedSpace(), s().itemsVisualized()), std::pair(quint64(790), quint64(3)));
        QCOMPARE(sizes(), (std::vector<quint64> {0, 300, 0, 0}));
        QCOMPARE(itemsOnDiskAndInTrash(), before);
        s().trashSelectedItems(); // nothing checked: nothing starts
        QCOMPARE(s().trashActionsRunning(), 0);
    }

    // c.bin grows after the walk, past sub and sub's files, and claims more items than the window
    // knows of: every sector and count it touches stops at 0.
    void whatGrewSinceTheWalkEmptiesItsSectorsWithoutWrapping()
    {
        SHOW_SUB_FOLDER(8, [this] { makeFile(m_root + "/sub/c.bin", 5000); });
        const Entry grown = entryNamed("c.bin");
        QCOMPARE(grown->size, quint64(5000));
        grown->count = 1000;
        check({"c.bin"});
        pressTrashAndWait();
        QCOMPARE(sizes(), (std::vector<quint64> {0, 300, 440, 0}));
        QCOMPARE(sector(0, "Files")->sectorPercentage(), 1.0f);
        QCOMPARE(std::pair(s().reclaimedSpace(), s().itemsVisualized()), std::pair(5000ull, 0ull));
        QCOMPARE(text("selectedFolderItems"), QStringLiteral("0 bytes · Items: 0"));
    }

    void aRefusedEntryIsReportedOnceAfterTheOthersAndStays()
    {
        if (::geteuid() == 0)
            QSKIP("RUN AS AN UNPRIVILEGED USER: root moves a folder it may not write, so no move is refused "
                  "and the partial failure is not tested.");
        // Moving a folder to another parent rewrites its "..": one the user may not write stays.
        const QByteArray locked = m_root + "/sub/locked";
        makeFolder(locked);
        makeFile(locked + "/kept.bin", 10);
        QVERIFY(::chmod(locked.constData(), 0500) == 0);
        // Two more files, so that the refused entry is seldom the last to complete.
        makeFile(m_root + "/sub/f.bin", 1);
        makeFile(m_root + "/sub/g.bin", 1);
        SHOW_SUB_FOLDER(12);
        const Entry refusedEntry = entryNamed("locked");
        const auto before = itemsOnDiskAndInTrash();
        check({"c.bin", "locked", "e.bin", "f.bin", "g.bin"});
        QStringList listedAtAlert; // the alert comes once every move of the press has completed
        m_alerts->whenShown = [&] { listedAtAlert = listedSorted(); };
        pressTrashAndWait();
        ::chmod(locked.constData(), 0700);

        QCOMPARE(itemsOnDiskAndInTrash(), before);
        QVERIFY(!exists(m_root + "/sub/c.bin") && !exists(m_root + "/sub/e.bin")
            && exists(locked + "/kept.bin") && readFile(trash() + "/info/locked.trashinfo").isEmpty());
        QCOMPARE(m_alerts->shown.size(), size_t(1));
        const AlertPresenter::Alert &alert = m_alerts->shown[0];
        QCOMPARE((QStringList {alert.messageText, alert.informativeText} + alert.buttons),
            (QStringList {"Unable to delete items",
                "These items cannot be deleted:\n\nlocked — permission denied\n\nCheck permissions or try "
                "again later",
                "OK"}));
        QCOMPARE(listedAtAlert, (QStringList {"deeper", "locked"}));
        // Still listed, still checked: the button stays for another try.
        QCOMPARE(listedSorted(), (QStringList {"deeper", "locked"}));
        QCOMPARE(s().filesToDelete(), std::vector<Entry> {refusedEntry});
        QVERIFY(table().model()->isChecked(rowOf("locked")) && trashButton()->isEnabled() && panelShown());
        QCOMPARE((std::vector<quint64> {s().reclaimedSpace(), sizeOf(0, "sub"), sizeOf(1, "locked"),
                     sizeOf(1, "Files"), s().itemsVisualized()}),
            (std::vector<quint64> {352, 802 - 352, 10, 0, 12 - 4}));
    }

    // System entries are moved only once the warning is confirmed (its Cancel is the list's
    // keyboard case); then every entry is tried, and what failed is reported each on its line.
    void aConfirmedWarningTriesEveryEntry()
    {
        SHOW_SUB_FOLDER();
        // A click cannot check a system entry; a selection set in code can. These do not exist, so
        // even root moves nothing there.
        std::vector<Entry> selection;
        for (const char *name : {"absent.bin", "absent2.bin"}) {
            selection.push_back(std::make_shared<FolderAttributes>(*entryNamed("e.bin")));
            selection.back()->path = std::string("/SystemCorvaleTest/") + name;
            selection.back()->name = name;
        }
        selection.push_back(entryNamed("c.bin"));
        s().setFilesToDelete(selection);
        const auto before = itemsOnDiskAndInTrash();
        m_alerts->answers = {AlertPresenter::FirstButton + 1};
        pressTrashAndWait();
        QCOMPARE(m_alerts->shown.size(), size_t(2));
        const AlertPresenter::Alert &warning = m_alerts->shown[0];
        QCOMPARE((QStringList {warning.messageText, warning.informativeText} + warning.buttons),
            (QStringList {"You're trying to move system files to trash.",
                "This can damage your system installation. Are you sure you want to continue?", "Cancel",
                "Move to Trash"}));
        QStringList lines = m_alerts->shown[1].informativeText.split('\n');
        QCOMPARE(lines.size(), 4);
        std::sort(lines.begin() + 2, lines.begin() + 4);
        QCOMPARE(lines.mid(1, 3),
            (QStringList {"", "absent.bin — it no longer exists", "absent2.bin — it no longer exists"}));
        QVERIFY(!exists(m_root + "/sub/c.bin"));
        QCOMPARE(itemsOnDiskAndInTrash(), before);
        QCOMPARE(s().reclaimedSpace(), quint64(300));
    }

    void aMoveEndingAfterANewAnalysisLeavesItAlone()
    {
        SHOW_SUB_FOLDER();
        check({"c.bin"});
        QSignalSpy finished(&s(), &AnalysisSession::trashActionFinished);
        s().trashSelectedItems();
        // Done on disk, its result not yet delivered here (no events are handled while waiting);
        // then the same folder is chosen again (a Refresh would keep the result it was made in).
        for (int waited = 0; exists(m_root + "/sub/c.bin") && waited < 20000; waited += 5)
            QThread::msleep(5);
        m_chooser->answers.push_back(m_root);
        c().selectFolder();
        settle();
        QCOMPARE(std::tuple(
                     s().rows().size(), finished.count(), s().trashActionsRunning(), m_alerts->shown.size()),
            std::tuple(size_t(1), qsizetype(0), 0, size_t(0)));
        // The new walk counts what is there: the moved file is not subtracted a second time.
        QCOMPARE((std::vector<quint64> {s().reclaimedSpace(), sizeOf(0, "sub"), s().itemsVisualized()}),
            (std::vector<quint64> {0, 490, 7}));
    }

    // From an opened scan of this folder, only what is still as the scan saw it moves (a folder is
    // walked again to tell); a moved file stays out of the list, though the scan still holds it.
    void aScanMovesOnlyWhatItStillIs()
    {
        QFile scan(QFile::decodeName(m_root) + ".json");
        QVERIFY(scan.open(QIODevice::WriteOnly));
        scan.write(R"([1,2,{},[{"name":")" + m_root + R"json("},{"name":"loose1","asize":100},
            {"name":"loose2","asize":200},[{"name":"sub"},{"name":"c.bin","asize":300},{"name":"e.bin","asize":50},
            [{"name":"deeper"},{"name":"d.bin","asize":400},{"name":"d2.bin","asize":40}]]]])json");
        scan.close();
        c().openScanFile(QFile::encodeName(scan.fileName()));
        settle();
        QVERIFY(s().scan() && s().isScannedFolderHere());
        clickSector(0, QStringLiteral("sub"));
        makeFile(m_root + "/sub/e.bin", 51);
        makeFile(m_root + "/sub/deeper/d2.bin", 41);
        check({"deeper", "c.bin", "e.bin"});
        pressTrashAndWait();
        QVERIFY(!exists(m_root + "/sub/c.bin") && exists(m_root + "/sub/e.bin"));
        QCOMPARE(m_alerts->shown.size(), size_t(1));
        const QString why = QStringLiteral(" — it changed since the scan; analyze the folder to move it");
        QCOMPARE(m_alerts->shown[0].informativeText,
            "These items cannot be deleted:\n\ndeeper" + why + "\ne.bin" + why);
        makeFile(m_root + "/sub/deeper/d2.bin", 40);
        pressTrashAndWait();
        QVERIFY(!exists(m_root + "/sub/deeper"));
        QCOMPARE(m_alerts->shown.back().informativeText, "These items cannot be deleted:\n\ne.bin" + why);
        QCOMPARE(s().reclaimedSpace(), quint64(740));
        s().didSelectSector(sector(0, "sub"), 0);
        settle();
        QCOMPARE(listedSorted(), QStringList {"e.bin"});
    }

    // The node of a sector at nodePath (its own "Files" sector if `files`) held `before` bytes;
    // an entry of `size` bytes at `removed` went. The cases a real move meets are above.
    void theNodeAdjustment()
    {
        struct Case
        {
            const char *name, *node, *removed;
            bool files, isDir; // files: the node's own "Files" sector
            quint64 expected; // of 900, after 100 bytes went
        };
        const Case cases[] = {{"a name that merely begins alike", "/r/a", "/r/ab/c", false, false, 900},
            {"below it", "/r/a/b", "/r/a", false, true, 900},
            {"files of the root", "/", "/f", true, false, 800},
            {"a folder of the root above it", "/a", "/a/f", false, false, 800},
            {"files of the root, a file further down", "/", "/a/f", true, false, 900}};
        FolderAttributes entry;
        entry.size = 100;
        for (const Case &c : cases) {
            auto node = std::make_shared<FolderVisualData>();
            node->setPath(c.node);
            node->setSize(900);
            auto sector = std::make_shared<DynamicStackedViewSector>();
            sector->setRepresentedObject(node);
            sector->setDisabled(c.files);
            entry.isDir = c.isDir;
            QCOMPARE(AnalysisSession::removeLinkToUrlProcessor(c.removed, sector, entry), sector);
            QVERIFY2(node->size() == c.expected, c.name);
        }
        const auto bare = std::make_shared<DynamicStackedViewSector>();
        QCOMPARE(AnalysisSession::removeLinkToUrlProcessor("/f", bare, entry), bare);
    }
};

int main(int argc, char **argv)
{
    return execWithOwnTrash<TestTrashController>(argc, argv, base);
}

#include "tst_trashcontroller.moc"
