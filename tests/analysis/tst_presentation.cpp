// The end of a run: how the chosen folder becomes row 0 of sectors and the file list.

#include "ControllerFixture.h"
#include "FolderVisualData.h"
#include "LooseFileListing.h"

#include <QTableWidget>
#include <QTemporaryDir>

using namespace corvale;
using namespace corvale::test;

class TestPresentation : public QObject, ControllerWindow
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString root() const { return m_dir->path(); }
    QString at(const QString &relative) const { return m_dir->filePath(relative); }
    const Sectors &row0() { return s().rows().at(0).sectors; }
    AnalysisSession::Entries looseFiles(const QByteArray &folder)
    {
        AnalysisSession::Entries entries;
        appendLooseFiles(folder, entries);
        return entries;
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        openWindow();
    }
    void cleanup() { closeWindow(); }

    // 8 bytes: sub-folders of 3 and 1 bytes, 4 bytes of loose files.
    void sharesAndTheFilesSectorOfRowZero()
    {
        QVERIFY(makeFile(at("Photos.library/a.jpg"), 3));
        QVERIFY(makeFile(at("zeta/b"), 1));
        QVERIFY(makeFile(at("notes.txt"), 3));
        QVERIFY(makeFile(at(".hidden"), 1));
        runToResult(root());
        QCOMPARE(rowPaths(), QList<QByteArray> {QFile::encodeName(root())});
        QCOMPARE(titles(row0()), listedNames(root(), true) << QStringLiteral("Files"));
        const auto photos = sector(0, QStringLiteral("Photos.library"));
        QCOMPARE(photos->sectorPercentage(), 0.375f);
        QCOMPARE(photos->subtitle(), QStringLiteral("3 bytes"));
        QCOMPARE(photos->represented<FolderVisualData>()->path(), at("Photos.library").toStdString());
        QVERIFY(!photos->isDisabled());
        QCOMPARE(sector(0, QStringLiteral("zeta"))->sectorPercentage(), 0.125f);
        const auto files = row0().back();
        QCOMPARE(files->sectorPercentage(), 0.5f);
        QCOMPARE(files->subtitle(), QStringLiteral("4 bytes"));
        QVERIFY(files->isDisabled() && !files->submenu());
        QCOMPARE(files->represented<FolderVisualData>()->path(), root().toStdString());
        QVERIFY(!files->represented<FolderVisualData>()->children());

        // Folders in the walk's order, named in full; then every loose file as listed.
        QCOMPARE(names(s().directoryItems()), listedNames(root(), true) + listedNames(root(), false));
        for (const auto &entry : s().directoryItems()) {
            QCOMPARE(entry->count, entry->isDir ? quint64(2) : quint64(1));
            QCOMPARE(QString::fromStdString(entry->sizeText), byteCountText(entry->size));
        }
        QCOMPARE(s().itemsVisualized(), quint64(6));
    }

    // "Files" is there only if the float shares fall short of 1; empty sub-folders leave it all.
    void theFilesSectorTakesWhatTheSharesLeave()
    {
        QVERIFY(makeFile(at("one/a"), 1));
        QVERIFY(makeFile(at("three/a"), 3));
        runToResult(root());
        QVERIFY(!titles(row0()).contains(QStringLiteral("Files")));

        QTemporaryDir twelve; // twelve shares of 1/12 add up to a little less than 1
        for (int i = 0; i < 12; ++i)
            QVERIFY(makeFile(twelve.filePath(QStringLiteral("d%1/a").arg(i)), 1));
        runToResult(twelve.path());
        QCOMPARE(row0().back()->title(), QStringLiteral("Files"));
        QVERIFY(row0().back()->sectorPercentage() > 0.0f && row0().back()->sectorPercentage() < 1e-6f);

        QTemporaryDir empty;
        QVERIFY(makeFile(empty.filePath(QStringLiteral("a/empty")), 0));
        runToResult(empty.path());
        QCOMPARE(row0()[0]->sectorPercentage(), 0.0f);
        QCOMPARE(row0()[1]->sectorPercentage(), 1.0f);
    }

    void theSizeLadderNeverUsesPairFive_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<int>("pair");
        QTest::newRow("just below 102,400,000") << qint64(102'399'999) << 1;
        QTest::newRow("102,400,000") << qint64(102'400'000) << 2;
        QTest::newRow("1,023,999,999") << qint64(1'023'999'999) << 4;
        QTest::newRow("1,024,000,000") << qint64(1'024'000'000) << 6;
        QTest::newRow("51,200,000,000") << qint64(51'200'000'000) << 10;
    }
    // Through a real walk on a sparse file, so the colour comes from the folder's summed size.
    void theSizeLadderNeverUsesPairFive()
    {
        QFETCH(qint64, size);
        QFETCH(int, pair);
        QVERIFY(makeFile(at("big/file"), size));
        runToResult(root());
        QCOMPARE(sector(0, QStringLiteral("big"))->color(), s().paletteColor(pair));
        QCOMPARE(sector(0, QStringLiteral("big"))->highlightColor(), s().paletteHighlightColor(pair));
    }

    // Links count their own length; one to a folder is neither a sector nor an entry.
    void linksAreMeasuredThemselvesAndLinksToFoldersAreNotListed()
    {
        QVERIFY(makeFile(at("real/data"), 100));
        QVERIFY(QFile::link(at("real"), at("toFolder")));
        QVERIFY(QFile::link(at("missing-target"), at("dangling")));
        runToResult(root());
        QCOMPARE(titles(row0()), (QStringList {QStringLiteral("real"), QStringLiteral("Files")}));
        const quint64 links = quint64(at("real").toUtf8().size() + at("missing-target").toUtf8().size());
        QCOMPARE(row0().back()->represented<FolderVisualData>()->size(), links);
        QCOMPARE(
            names(s().directoryItems()), (QStringList {QStringLiteral("real"), QStringLiteral("dangling")}));
        QCOMPARE(s().directoryItems()[1]->size, quint64(at("missing-target").toUtf8().size()));
    }

    // Without sub-folders the folder still gets its row and list, and the item total is this run's.
    void aFolderWithoutSubFoldersShowsItsFilesRowAndList()
    {
        QVERIFY(makeFile(at("many/a"), 1));
        QVERIFY(makeFile(at("many/b"), 1));
        runToResult(root());
        QTemporaryDir flat;
        QVERIFY(makeFile(flat.filePath(QStringLiteral("x.bin")), 700));
        QVERIFY(makeFile(flat.filePath(QStringLiteral("y.bin")), 300));
        runToResult(flat.path());
        QCOMPARE(rowPaths(), QList<QByteArray> {QFile::encodeName(flat.path())});
        QCOMPARE(titles(row0()), QStringList {QStringLiteral("Files")});
        QCOMPARE(row0()[0]->sectorPercentage(), 1.0f);
        QCOMPARE(row0()[0]->subtitle(), QStringLiteral("1 kB"));
        QCOMPARE(names(s().directoryItems()), listedNames(flat.path(), false));
        QCOMPARE(s().itemsVisualized(), quint64(2));
        QCOMPARE(child<QTableWidget>("tableView")->rowCount(), 1);
    }

    // Parallel slices keep order and sizes; links to folders, a pseudo file system (/proc/kcore
    // claims terabytes) and names that are not UTF-8 are handled.
    void listingLooseFiles()
    {
        QVERIFY(QDir(root()).mkdir(QStringLiteral("sub")));
        for (int i = 0; i < 9000; ++i)
            QVERIFY(makeFile(at(QStringLiteral("f%1").arg(i)), i % 7));
        QVERIFY(QFile::link(at(QStringLiteral("sub")), at(QStringLiteral("link"))));
        const auto entries = looseFiles(QFile::encodeName(root()));
        QCOMPARE(names(entries), listedNames(root(), false).filter(QStringLiteral("f")));
        for (const auto &entry : entries)
            QCOMPARE(entry->size, quint64(QString::fromStdString(entry->name).mid(1).toInt() % 7));
        if (QFileInfo::exists(QStringLiteral("/proc/self")))
            QVERIFY(looseFiles("/proc").empty());

        QTemporaryDir odd;
        const QByteArray path = makeFile(QFile::encodeName(odd.path()) + "/caf\xe9.txt", 3);
        QCOMPARE(QByteArray::fromStdString(looseFiles(QFile::encodeName(odd.path())).at(0)->path), path);
        // With its final slash (as "/" always is), the same paths.
        QCOMPARE(
            QByteArray::fromStdString(looseFiles(QFile::encodeName(odd.path()) + '/').at(0)->path), path);
    }

    void aFolderThatCannotBeListedHasNoLooseFiles()
    {
        if (::geteuid() == 0)
            QSKIP("root reads any folder: run as an unprivileged user to test an unreadable one");
        QVERIFY(makeFile(at("closed/b"), 5));
        QVERIFY(QFile::setPermissions(at("closed"), QFileDevice::WriteOwner));
        const auto entries = looseFiles(QFile::encodeName(at("closed")));
        QFile::setPermissions(
            at("closed"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QVERIFY(entries.empty());
    }
};

QTEST_MAIN(TestPresentation)
#include "tst_presentation.moc"
