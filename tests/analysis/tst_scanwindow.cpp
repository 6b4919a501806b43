// Scan files through the window: exports of the terminal analysers open as the walk shows the
// folder, a scan of a folder elsewhere is shown but not acted on, a comparison labels what changed
// and lists what is gone, and broken files end in an alert.

#include "ControllerFixture.h"
#include "DynamicStackedViewPopup.h"
#include "FileChooser.h"
#include "FolderVisualData.h"

#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QToolButton>

using namespace corvale;
using namespace corvale::test;

namespace {

// Answers the file chooser with the next path; with none left, cancels.
class ScriptedFileChooser : public FileChooser
{
public:
    std::optional<QByteArray> chooseFileToOpen(QWidget *, const QString &) override { return next(); }
    std::optional<QByteArray> chooseFileToSave(QWidget *, const QString &, const QString &) override
    {
        return next();
    }
    std::optional<QByteArray> next()
    {
        return answers.isEmpty() ? std::nullopt : std::optional(answers.takeFirst());
    }
    QList<QByteArray> answers;
};

QByteArray writeText(const QString &path, const QByteArray &text)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        qFatal("cannot write %s", qPrintable(path));
    return QFile::encodeName(path);
}

} // namespace

class TestScanWindow : public QObject, ControllerWindow
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedFileChooser *m_files = nullptr;

    QString at(const QString &relative) const { return m_dir->filePath(relative); }
    static QString line(const QStringList &cells) { return cells.join(u' ').trimmed(); }
    // Row `row` as it reads, "title size share change" per sector, in order.
    QStringList shownRow(size_t row)
    {
        QStringList shown;
        for (const auto &sector : s().rows().at(row).sectors)
            shown << line({sector->title(), sector->subtitle(),
                DynamicStackedViewPopup::shareText(sector->sectorPercentage()), sector->change()});
        return shown;
    }
    // The list as it reads: "name size change" per row, in the order shown.
    QStringList shownList()
    {
        QStringList shown;
        const FileListModel *model = s().fileListModel();
        for (int row = 0; row < model->rowCount(); ++row)
            shown << line({model->index(row, FileListModel::NameColumn).data().toString(),
                model->index(row, FileListModel::SizeColumn).data().toString(),
                model->index(row, FileListModel::ChangeColumn).data().toString()});
        return shown;
    }
    // Answers the file chooser with `file` for `action` and waits for what it started.
    void choose(const QByteArray &file, void (StorageWindowController::*action)())
    {
        m_files->answers << file;
        (c().*action)();
        settle();
    }
    void open(const QByteArray &file) { choose(file, &StorageWindowController::openScan); }
    QString note() { return child<QLabel>("scanNote")->text(); }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        openWindow();
        c().setFileChooser(std::unique_ptr<FileChooser>(m_files = new ScriptedFileChooser));
        QVERIFY(makeFile(at("big/a.bin"), 3000) && makeFile(at("big/inner/b.bin"), 1000)
            && makeFile(at("small/c.txt"), 10) && makeFile(at("loose.txt"), 500));
    }
    void cleanup() { closeWindow(); }

    // The rows, the Files sector, the list and the count are those of the walk; disk usage too.
    void exportsOpenAsTheWalkShowsTheFolder_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("ncdu") << QStringList {"-0", "-o"};
        QTest::newRow("gdu") << QStringList {"-n", "-p", "-o"};
    }
    void exportsOpenAsTheWalkShowsTheFolder()
    {
        QFETCH(QStringList, arguments);
        const QString tool = QTest::currentDataTag();
        runToResult(m_dir->path());
        QStringList walked = shownRow(0), walkedList = shownList();
        const quint64 items = s().itemsVisualized();
        const QByteArray exported = QFile::encodeName(m_dir->path() + ".json");
        const QString program = QStandardPaths::findExecutable(tool);
        if (program.isEmpty())
            QSKIP(qPrintable(
                tool + " is not installed (Debian package " + tool + "): its exports are not checked"));
        QCOMPARE(QProcess::execute(program, arguments << exported << m_dir->path()), 0);
        open(exported);
        QFile::remove(QFile::decodeName(exported));
        QCOMPARE(s().state(), AnalysisSession::State::Result);
        QCOMPARE(s().itemsVisualized(), items);
        QStringList opened = shownRow(0), openedList = shownList();
        if (tool == "gdu") // lists in an order of its own
            for (QStringList *list : {&walked, &opened, &walkedList, &openedList})
                list->sort();
        QCOMPARE(opened, walked);
        QCOMPARE(openedList, walkedList);
        QVERIFY(note().startsWith("Opened from a scan made by " + tool));
        // Here, so it may be acted on.
        QVERIFY(s().isScannedFolderHere() && s().fileListModel()->setChecked(0, true));
        clickSector(0, QStringLiteral("big"));
        QCOMPARE(shownList().first(), QStringLiteral("inner 1 kB"));
        if (tool == "ncdu") { // the folder's own block, the sparse file's none
            s().setMeasure(Measure::DiskUsage);
            QVERIFY(!s().lacksDiskUsage());
            QCOMPARE(shownList().first(), QStringLiteral("inner 4 kB"));
        }
    }

    // Opened from the file alone: rows and lists from the scan, apparent sizes only, and nothing
    // to check, move or reveal; the note says why.
    void aScanOfAFolderElsewhereIsShownButNotActedOn()
    {
        open(writeText(at("server.json"), R"json([1,2,{"progname":"ncdu","timestamp":1700000000},
            [{"name":"/nonexistent-corvale/home"},
             [{"name":"Videos"},{"name":"a.mkv","asize":3000000},{"name":"b.mkv","asize":1000000}],
             [{"name":"Docs"},{"name":"(2 files)","asize":1000,"corvale_summary":2}],
             {"name":"loose","asize":500}]])json"));
        QCOMPARE(s().state(), AnalysisSession::State::Result);
        QCOMPARE(s().lastFolder(), QByteArray("/nonexistent-corvale/home"));
        QCOMPARE(
            shownRow(0), (QStringList {"Videos 4 MB 100 %", "Docs 1 kB < 0.1 %", "Files 500 bytes < 0.1 %"}));
        QCOMPARE(shownList(), (QStringList {"Videos 4 MB", "Docs 1 kB", "loose 500 bytes"}));
        QVERIFY(note().contains("not on this computer, so moving to the Trash is off"));
        s().setMeasure(Measure::DiskUsage);
        QVERIFY(s().lacksDiskUsage() && note().contains("holds no disk usage"));
        QCOMPARE(s().rows()[0].sectors[0]->subtitle(), QStringLiteral("4 MB"));
        clickSector(0, QStringLiteral("Videos"));
        QCOMPARE(shownList(), (QStringList {"a.mkv 3 MB", "b.mkv 1 MB"}));
        table().clickRow(1);
        c().willOpenMenuForSector(sector(0, "Videos"), 0);
        QVERIFY(s().filesToDelete().empty() && !child<QPushButton>("trashButton")->isEnabled()
            && !c().showInFinderAction()->isEnabled());
        s().didSelectSector(sector(0, "Docs"), 0); // too narrow to click
        settle();
        QCOMPARE(shownList(), QStringList {"(2 files) 1 kB"});
        // Opening a folder shows it as walked, with nothing of the scan left.
        runToResult(m_dir->path());
        QVERIFY(note().isEmpty() && s().fileListModel()->setChecked(0, true));
    }

    // Compared with an earlier scan: each sector's label and the list say what changed; what is
    // gone is listed greyed with its earlier size; the list sorts by change; ending it, or a new
    // walk, clears all of it.
    void aComparisonShowsWhatChangedAndWhatIsGone()
    {
        // Made where the folder had another path: folders are matched by name.
        const QByteArray earlier = writeText(at("../earlier-" + QFileInfo(m_dir->path()).fileName()), R"json(
            [1,2,{"progname":"ncdu","timestamp":1700000000},[{"name":"/old/place"},
             [{"name":"big"},{"name":"a.bin","asize":1000},[{"name":"inner"},{"name":"b.bin","asize":1000}]],
             [{"name":"small"},{"name":"c.txt","asize":10}],[{"name":"old"},{"name":"o","asize":7000}],
             {"name":"loose.txt","asize":800},{"name":"was.txt","asize":90}]])json");
        QVERIFY(makeFile(at("fresh/f"), 5));
        runToResult(m_dir->path());
        choose(earlier, &StorageWindowController::compareWithScan);
        QFile::remove(QFile::decodeName(earlier));
        QStringList row = shownRow(0);
        row.sort();
        QCOMPARE(row,
            (QStringList {"Files 500 bytes 11 % \u2212390 bytes", "big 4 kB 89 % +2 kB",
                "fresh 5 bytes 0.1 % new", "small 10 bytes 0.2 % unchanged"}));
        QVERIFY(note().startsWith("Changes since the scan of ") && note().endsWith(", made of /old/place"));
        QHeaderView *header = table().table->horizontalHeader();
        QVERIFY(!table().table->isColumnHidden(FileListModel::ChangeColumn));
        header->setSortIndicator(FileListModel::NameColumn, Qt::AscendingOrder);
        QCOMPARE(shownList(),
            (QStringList {"big 4 kB +2 kB", "fresh 5 bytes new", "loose.txt 500 bytes \u2212300 bytes",
                "old 7 kB gone", "small 10 bytes", "was.txt 90 bytes gone"}));
        QVERIFY(!(s().fileListModel()->index(3, 0).flags() & (Qt::ItemIsEnabled | Qt::ItemIsUserCheckable)));
        header->setSortIndicator(FileListModel::ChangeColumn, Qt::AscendingOrder);
        QCOMPARE(names(s().directoryItems()),
            (QStringList {"old", "loose.txt", "was.txt", "small", "fresh", "big"}));
        // The label over the bar says it too.
        DynamicStackedView *bar = cell(0)->dynamicView();
        bar->changeHighlight(box(0, "big"));
        QCOMPARE(bar->popup()->subtitle(), QStringLiteral("4 kB · 89 % · +2 kB"));
        clickSector(0, QStringLiteral("big"));
        QCOMPARE(shownRow(1), (QStringList {"inner 1 kB 25 % unchanged", "Files 3 kB 75 % +2 kB"}));
        QCOMPARE(shownList(), (QStringList {"inner 1 kB", "a.bin 3 kB +2 kB"}));

        QTest::mouseClick(child<QToolButton>("endComparisonButton"), Qt::LeftButton);
        QVERIFY(table().table->isColumnHidden(FileListModel::ChangeColumn) && note().isEmpty());
        QCOMPARE(shownRow(1), (QStringList {"inner 1 kB 25 %", "Files 3 kB 75 %"}));
        // A scan Corvale saved knows each folder's files by their total only: none is new or gone.
        const QByteArray saved = earlier + ".saved";
        choose(saved, &StorageWindowController::saveScan);
        choose(saved, &StorageWindowController::compareWithScan);
        QFile::remove(QFile::decodeName(saved));
        QCOMPARE(shownRow(1).last(), QStringLiteral("Files 3 kB 75 % unchanged"));
        QCOMPARE(shownList(), (QStringList {"inner 1 kB", "a.bin 3 kB"}));
        // A comparison still being read when a new walk begins is dropped.
        m_files->answers << earlier;
        c().compareWithScan();
        c().updateFolder();
        settle();
        QVERIFY(!s().comparedScan() && !s().isReadingComparison() && m_alerts->shown.empty());
        QCOMPARE(s().rows().size(), size_t(2)); // the Refresh opened "big" again
    }

    // Names and texts from a scan file are never read as markup: not in the header, not over a
    // row, not in an alert.
    void aScansTextsAreNeverMarkup()
    {
        open(writeText(at("markup.json"),
            R"json([1,0,{"progname":"<b>p</b>"},[{"name":"/nonexistent-corvale/<b>h"},{"name":"f","asize":1}]])json"));
        QCOMPARE(cell(0)->titleField()->text(), QStringLiteral("<b>h"));
        QList<Qt::TextFormat> formats {cell(0)->titleField()->textFormat(),
            child<QLabel>("titleLabel")->textFormat(), child<QLabel>("scanNote")->textFormat()};
        QTimer::singleShot(0, [&formats] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                for (auto *label : box->findChildren<QLabel *>(QRegularExpression("qt_msgbox_.*label")))
                    formats << label->textFormat();
                box->close();
            }
        });
        SystemAlertPresenter().runModal(&c(), {"<b>a</b>", "<i>b</i>", {"OK"}});
        QCOMPARE(formats, QList<Qt::TextFormat>(5, Qt::PlainText));
    }

    // What cannot be read ends in an alert that says what and where; the window stays usable. A
    // save that fails says why.
    void brokenFilesEndInAnAlert_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("headline");
        QTest::addColumn<QString>("message");
        const auto row = [](const char *tag, const char *content, const char *headline, const char *message) {
            QTest::newRow(tag) << QByteArray(content) << QString(headline) << QString(message);
        };
        row("truncated", R"([1,2,{},[{"name":"/x"},{"name":"a")", "The scan file is incomplete", "line 1");
        row("newer format", R"([2,0,{},[{"name":"/x"}]])", "The scan file is of a format Corvale cannot read",
            "format version 2");
        row("a name leading out", R"([1,0,{},[{"name":"/x"},{"name":".."}]])", "The scan file is damaged",
            "is not the name of a file");
        row("gzip", "\x1f\x8b\x08", "This is not a scan file", "gzip");
        row("a folder", "", "The scan file could not be read", "Is a directory");
    }
    void brokenFilesEndInAnAlert()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, headline);
        QFETCH(QString, message);
        const QByteArray file
            = content.isEmpty() ? QFile::encodeName(m_dir->path()) : writeText(at("bad.json"), content);
        open(file);
        QCOMPARE(s().state(), AnalysisSession::State::Welcome);
        runToResult(m_dir->path());
        choose(file, &StorageWindowController::compareWithScan);
        QCOMPARE(s().state(), AnalysisSession::State::Result);
        QCOMPARE(m_alerts->shown.size(), size_t(2));
        for (const auto &alert : m_alerts->shown) {
            QCOMPARE(alert.messageText, headline);
            QVERIFY2(alert.informativeText.startsWith(QFile::decodeName(file))
                    && alert.informativeText.contains(message),
                qPrintable(alert.informativeText));
        }
        choose(QFile::encodeName(at("no-such-folder/scan.json")), &StorageWindowController::saveScan);
        QCOMPARE(m_alerts->shown.back().messageText, QStringLiteral("The scan could not be saved"));
        QVERIFY(m_alerts->shown.back().informativeText.contains("No such file or directory"));
    }
};

QTEST_MAIN(TestScanWindow)
#include "tst_scanwindow.moc"
