// The end of a run: how the chosen folder becomes row 0 of sectors and the file list.

#include "ControllerFixture.h"
#include "FolderVisualData.h"

#include <QTableWidget>
#include <QTemporaryDir>

using namespace corvale;
using namespace corvale::test;

class TestPresentation : public QObject, ControllerWindow
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString root() const { return m_dir->path(); }
    QString at(const QString &relative) const { return m_dir->filePath(relative); }
    void run(const QString &folder) { runToResult(folder); }
    const Sectors &row0()
    {
        if (c().tableData().empty())
            qFatal("no row 0");
        return c().tableData().front();
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        openWindow();
    }
    void cleanup() { closeWindow(); }

    // 8 bytes: sub-folders of 3 and 1 bytes, 4 bytes of loose files.
    void sharesColoursAndTheFilesSectorOfRowZero()
    {
        QVERIFY(makeFile(at("Photos.library/a.jpg"), 3));
        QVERIFY(makeFile(at("zeta/b"), 1));
        QVERIFY(makeFile(at("notes.txt"), 3));
        QVERIFY(makeFile(at(".hidden"), 1));
        run(root());

        QCOMPARE(c().tableData().size(), size_t(1));
        QCOMPARE(c().pathsData(), QList<QByteArray> {QFile::encodeName(root())});
        QCOMPARE(titles(row0()), listedNames(root(), true) << QStringLiteral("Files"));

        const auto photos = sector(0, QStringLiteral("Photos.library"));
        const auto zeta = sector(0, QStringLiteral("zeta"));
        QVERIFY(photos && zeta);
        QCOMPARE(photos->sectorPercentage(), 0.375f);
        QCOMPARE(zeta->sectorPercentage(), 0.125f);
        QCOMPARE(photos->subtitle(), QStringLiteral("3 bytes"));
        QCOMPARE(zeta->subtitle(), QStringLiteral("1 byte"));
        QCOMPARE(photos->represented<FolderVisualData>()->path(), at("Photos.library").toStdString());
        QVERIFY(!photos->isDisabled() && !zeta->isDisabled());

        const auto files = row0().back();
        QCOMPARE(files->title(), QStringLiteral("Files"));
        QCOMPARE(files->sectorPercentage(), 0.5f);
        QCOMPARE(files->subtitle(), QStringLiteral("4 bytes"));
        QVERIFY(files->isDisabled());
        QVERIFY(!files->submenu());
        const auto filesNode = files->represented<FolderVisualData>();
        QVERIFY(filesNode);
        QCOMPARE(filesNode->size(), quint64(4));
        QCOMPARE(filesNode->path(), root().toStdString());
        QVERIFY(!filesNode->children());

        // Folder entries in the walk's order, named without extension; then the loose files,
        // hidden ones too, in listing order and named as listed.
        QStringList expected;
        for (const QString &folder : listedNames(root(), true))
            expected << (folder == QLatin1String("Photos.library") ? QStringLiteral("Photos") : folder);
        expected << listedNames(root(), false);
        QCOMPARE(names(c().directoryItems()), expected);
        for (const auto &entry : c().directoryItems()) {
            const QString name = QFile::decodeName(QByteArray::fromStdString(entry->name));
            if (entry->isDir) {
                QCOMPARE(entry->count, quint64(2));
            } else {
                QCOMPARE(entry->path, (root() + QLatin1Char('/') + name).toStdString());
                QCOMPARE(entry->count, quint64(1));
                QCOMPARE(entry->size, name == QLatin1String(".hidden") ? quint64(1) : quint64(3));
                QCOMPARE(QString::fromStdString(entry->sizeText), byteCountText(entry->size));
            }
        }
        QCOMPARE(c().itemsVisualized(), quint64(6));
    }

    // All bytes in sub-folders: the "Files" sector exists only if the float shares fall short.
    void theFilesSectorFollowsTheFloatSumOfTheShares()
    {
        QVERIFY(makeFile(at("one/a"), 1));
        QVERIFY(makeFile(at("three/a"), 3));
        run(root());
        QCOMPARE(row0().size(), size_t(2));
        QVERIFY(!titles(row0()).contains(QStringLiteral("Files")));

        // Twelve shares of 1/12 add up to a little less than 1 in float arithmetic.
        QTemporaryDir twelve;
        for (int i = 0; i < 12; ++i)
            QVERIFY(makeFile(twelve.filePath(QStringLiteral("d%1/a").arg(i)), 1));
        run(twelve.path());
        QCOMPARE(row0().size(), size_t(13));
        const auto files = row0().back();
        QCOMPARE(files->title(), QStringLiteral("Files"));
        QVERIFY(files->sectorPercentage() > 0.0f && files->sectorPercentage() < 1e-6f);
        QCOMPARE(files->subtitle(), byteCountText(0));
    }

    void aFolderOfEmptyFilesGivesTheWholeBarToFiles()
    {
        QVERIFY(makeFile(at("a/empty"), 0));
        QVERIFY(makeFile(at("b/empty"), 0));
        run(root());
        QCOMPARE(row0().size(), size_t(3));
        QCOMPARE(row0()[0]->sectorPercentage(), 0.0f);
        QCOMPARE(row0()[1]->sectorPercentage(), 0.0f);
        QCOMPARE(row0()[2]->sectorPercentage(), 1.0f);
        QCOMPARE(row0()[2]->subtitle(), QStringLiteral("0 bytes"));
    }

    void theSizeLadderNeverUsesPairFive_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<int>("pair");
        QTest::newRow("just below 102,400,000") << qint64(102'399'999) << 1;
        QTest::newRow("102,400,000") << qint64(102'400'000) << 2;
        QTest::newRow("1,023,999,999") << qint64(1'023'999'999) << 4;
        QTest::newRow("1,024,000,000") << qint64(1'024'000'000) << 6;
        QTest::newRow("2,000,000,000") << qint64(2'000'000'000) << 6;
        QTest::newRow("51,200,000,000") << qint64(51'200'000'000) << 10;
        QTest::newRow("60,000,000,000") << qint64(60'000'000'000) << 10;
    }
    // Through a real walk on a sparse file, so the colour comes from the folder's summed size.
    void theSizeLadderNeverUsesPairFive()
    {
        QFETCH(qint64, size);
        QFETCH(int, pair);
        QVERIFY(makeFile(at("big/file"), size));
        QVERIFY(makeFile(at("small/file"), 1));
        run(root());
        const auto big = sector(0, QStringLiteral("big"));
        QVERIFY(big);
        QCOMPARE(big->color(), c().paletteColor(pair));
        QCOMPARE(big->highlightColor(), c().paletteHighlightColor(pair));
        QCOMPARE(big->subtitle(), byteCountText(quint64(size)));
        QCOMPARE(big->sectorPercentage(), float(size) / float(size + 1));
    }

    // A link to a folder: the walk counts its own length as a file, the listing takes it for a
    // folder; it is neither a sector nor an entry. A broken link is a loose file of its own length.
    void linksAreMeasuredThemselvesAndLinksToFoldersAreNotListed()
    {
        QVERIFY(makeFile(at("real/data"), 100));
        QVERIFY(QFile::link(at("real"), at("toFolder")));
        QVERIFY(QFile::link(at("missing-target"), at("dangling")));
        QVERIFY(QFile::link(at("real/data"), at("toFile")));
        run(root());

        QCOMPARE(titles(row0()), (QStringList {QStringLiteral("real"), QStringLiteral("Files")}));
        const quint64 linkBytes = quint64(at("real").toUtf8().size() + at("missing-target").toUtf8().size()
            + at("real/data").toUtf8().size());
        QCOMPARE(row0().back()->represented<FolderVisualData>()->size(), linkBytes);

        QStringList looseFiles = names(c().directoryItems()).mid(1);
        looseFiles.sort();
        QCOMPARE(looseFiles, (QStringList {QStringLiteral("dangling"), QStringLiteral("toFile")}));
        for (const auto &entry : c().directoryItems()) {
            if (entry->name == "dangling")
                QCOMPARE(entry->size, quint64(at("missing-target").toUtf8().size()));
            if (entry->name == "toFile")
                QCOMPARE(entry->size, quint64(at("real/data").toUtf8().size()));
        }
    }

    // Without sub-folders the folder still gets its row (one grey "Files" sector) and its files
    // are listed, and the item total is this run's.
    void aFolderWithoutSubFoldersShowsItsFilesRowAndList()
    {
        QVERIFY(makeFile(at("many/a"), 1));
        QVERIFY(makeFile(at("many/b"), 1));
        run(root());
        QCOMPARE(c().itemsVisualized(), quint64(3));

        QTemporaryDir flat;
        QVERIFY(makeFile(flat.filePath(QStringLiteral("x.bin")), 700));
        QVERIFY(makeFile(flat.filePath(QStringLiteral("y.bin")), 300));
        run(flat.path());

        QCOMPARE(c().tableData().size(), size_t(1));
        QCOMPARE(c().pathsData(), QList<QByteArray> {QFile::encodeName(flat.path())});
        QCOMPARE(row0().size(), size_t(1));
        QCOMPARE(row0()[0]->title(), QStringLiteral("Files"));
        QCOMPARE(row0()[0]->sectorPercentage(), 1.0f);
        QCOMPARE(row0()[0]->subtitle(), QStringLiteral("1 kB"));
        QVERIFY(row0()[0]->isDisabled());
        QCOMPARE(names(c().directoryItems()), listedNames(flat.path(), false));
        QCOMPARE(c().itemsVisualized(), quint64(2));
        QCOMPARE(c().findChild<QTableWidget *>(QStringLiteral("tableView"))->rowCount(), 1);
    }

    // A large folder is measured in parallel slices: the order and every size must survive.
    void aLargeFolderKeepsItsListingOrderAndSizes()
    {
        QVERIFY(QDir(root()).mkdir(QStringLiteral("sub")));
        for (int i = 0; i < 9000; ++i)
            QVERIFY(makeFile(at(QStringLiteral("f%1").arg(i)), i % 7));
        for (int i = 0; i < 9000; i += 1500)
            QVERIFY(QFile::link(at(QStringLiteral("sub")), at(QStringLiteral("link%1").arg(i))));
        StorageWindowController::Entries entries;
        StorageWindowController::listLooseFiles(QFile::encodeName(root()), entries);

        QStringList expected = listedNames(root(), false);
        expected.removeIf([](const QString &name) { return name.startsWith(QLatin1String("link")); });
        QCOMPARE(names(entries), expected);
        for (const auto &entry : entries) {
            const int number = QString::fromStdString(entry->name).mid(1).toInt();
            QCOMPARE(entry->size, quint64(number % 7));
            QCOMPARE(QString::fromStdString(entry->sizeText), byteCountText(entry->size));
        }
    }

    // The walk counts a kernel pseudo file system as empty; its "files" (/proc/kcore claims
    // terabytes) are not listed either.
    void aPseudoFileSystemListsNoLooseFiles()
    {
        if (!QFileInfo::exists(QStringLiteral("/proc/self")))
            QSKIP("no /proc here");
        StorageWindowController::Entries entries;
        StorageWindowController::listLooseFiles(QByteArrayLiteral("/proc"), entries);
        QVERIFY(entries.empty());
    }

    void aFolderThatCannotBeListedHasNoLooseFiles()
    {
        if (::geteuid() == 0)
            QSKIP("root reads any folder: run as an unprivileged user to test an unreadable one");
        QVERIFY(makeFile(at("closed/inner/a"), 5));
        QVERIFY(makeFile(at("closed/b"), 5));
        QVERIFY(QFile::setPermissions(at("closed"), QFileDevice::WriteOwner));
        StorageWindowController::Entries entries;
        StorageWindowController::listLooseFiles(QFile::encodeName(at("closed")), entries);
        QFile::setPermissions(
            at("closed"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QVERIFY(entries.empty());
    }

    // Names that are not UTF-8 are kept byte for byte, so the entry still names the file.
    void looseFileNamesKeepTheirBytes()
    {
        const QByteArray name("caf\xe9.txt");
        const QByteArray path = makeFile(QFile::encodeName(root()) + '/' + name, 3);
        StorageWindowController::Entries entries;
        StorageWindowController::listLooseFiles(QFile::encodeName(root()), entries);
        QCOMPARE(entries.size(), size_t(1));
        QCOMPARE(QByteArray::fromStdString(entries[0]->path), path);
        QCOMPARE(entries[0]->size, quint64(3));
        // A folder given with its final slash (as "/" always is) gives the same paths.
        StorageWindowController::Entries again;
        StorageWindowController::listLooseFiles(QFile::encodeName(root()) + '/', again);
        QCOMPARE(QByteArray::fromStdString(again.at(0)->path), path);
        QCOMPARE(::unlink(path.constData()), 0);
    }
};

QTEST_MAIN(TestPresentation)
#include "tst_presentation.moc"
