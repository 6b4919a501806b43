// The analysis without a window: a run from the chosen folder to its rows and list, stops, late
// results of older runs and listings, and what row 0 and the file list make of a folder.

#include "ControllerFixture.h"
#include "FolderVisualData.h"
#include "LooseFileListing.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <atomic>

using namespace corvale;
using namespace corvale::test;

namespace {

// Holds what a background task reports, from a thread of the pool, until released.
struct Gate
{
    std::atomic<bool> closed {true};
    std::atomic<int> waiting {0};
    void pass()
    {
        ++waiting;
        while (closed)
            QThread::msleep(2);
        --waiting;
    }
};

} // namespace

class TestAnalysisSession : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AnalysisSession> m_session;
    std::shared_ptr<Gate> m_gate;

    AnalysisSession &s() { return *m_session; }
    QString at(const QString &relative) const { return m_dir->filePath(relative); }
    QByteArray pathOf(const QString &relative) const { return QFile::encodeName(at(relative)); }
    const Sectors &row(size_t i) { return s().rows().at(i).sectors; }
    std::shared_ptr<DynamicStackedViewSector> sector(size_t row, const QString &title)
    {
        for (const auto &each : this->row(row))
            if (each->title() == title)
                return each;
        qFatal("no sector %s", qPrintable(title));
    }
    void run(const QString &folder)
    {
        s().openFolder(QFile::encodeName(folder));
        settle();
    }
    void holdReports()
    {
        s().setReportHook([g = m_gate](quint64, std::uint64_t) { g->pass(); });
    }
    void select(size_t row, const QString &title) { s().didSelectSector(sector(row, title), qint64(row)); }
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
        m_session = std::make_unique<AnalysisSession>();
        m_gate = std::make_shared<Gate>();
    }
    void cleanup()
    {
        m_gate->closed = false; // a failed case may have left a task held
        m_session.reset();
        settle();
    }

    // Welcome, walking, result; the progress of the run, then its rows and list, each told once.
    void aRunGoesFromWalkingToItsResult()
    {
        QVERIFY(makeFile(at("a.bin"), 100) && makeFile(at("sub/deeper/c.bin"), 100));
        holdReports();
        QSignalSpy states(&s(), &AnalysisSession::stateChanged), rows(&s(), &AnalysisSession::rowsChanged);
        s().openFolder(pathOf(""));
        QCOMPARE(s().state(), AnalysisSession::State::Walking);
        QVERIFY(s().isWalkPending() && !s().isWalkStarted() && s().rows().empty());
        QTRY_COMPARE(m_gate->waiting.load(), 1); // the walk's final report
        QCoreApplication::sendPostedEvents(&s(), QEvent::MetaCall);
        QCOMPARE(states.count(), 2);
        QVERIFY(s().isWalkStarted() && !s().progressItems());
        m_gate->closed = false;
        QTRY_COMPARE(s().state(), AnalysisSession::State::Result);
        QVERIFY(!s().isWalkPending() && !s().isWalkStarted());
        QCOMPARE(std::pair(s().itemsVisualized(), rows.count()), std::pair(quint64(4), qsizetype(2)));
        QCOMPARE(titles(row(0)), (QStringList {"sub", "Files"}));
        QTRY_VERIFY(!s().isListing());
        QCOMPARE(names(s().directoryItems()), (QStringList {"sub", "a.bin"}));
        QVERIFY(s().filesToDelete().empty());
    }

    // Stopped on its way, or before its task found a thread: back to the welcome state at once,
    // and the walk's end delivers nothing.
    void aStopEndsTheRunWithNothing_data()
    {
        QTest::addColumn<bool>("beforeTheTaskBegins");
        QTest::newRow("while walking") << false;
        QTest::newRow("before the task begins") << true;
    }
    void aStopEndsTheRunWithNothing()
    {
        QFETCH(bool, beforeTheTaskBegins);
        QVERIFY(makeFile(at("a/b"), 1));
        std::optional<PoolHold> hold;
        if (beforeTheTaskBegins)
            hold.emplace();
        holdReports();
        s().openFolder(pathOf(""));
        if (!beforeTheTaskBegins)
            QTRY_COMPARE(m_gate->waiting.load(), 1);
        const std::weak_ptr<FolderVisualData> scanner = s().visualData();
        s().stopSearch();
        QCOMPARE(s().state(), AnalysisSession::State::Welcome);
        QVERIFY(scanner.lock()->stopRequested() && s().isWalkPending());
        m_gate->closed = false;
        hold.reset();
        settle();
        QCOMPARE(s().state(), AnalysisSession::State::Welcome);
        QVERIFY(!s().isWalkPending() && s().rows().empty() && s().directoryItems().empty());
    }

    // Stop a walk and start another at once: the old walk's late end and reports must not reach
    // the new run; the session going away during a walk stops it and hears nothing more.
    void olderRunsAndAGoneSessionHearNothing()
    {
        QVERIFY(makeFile(at("a/b"), 1));
        s().setReportHook([gate = m_gate](quint64 run, std::uint64_t) {
            if (run == 1)
                gate->pass();
        });
        s().openFolder(pathOf(""));
        QTRY_COMPARE(m_gate->waiting.load(), 1);
        s().stopSearch();
        QTemporaryDir other;
        QVERIFY(makeFile(other.filePath("x/y/z"), 5));
        s().openFolder(QFile::encodeName(other.path()));
        QTRY_COMPARE(s().state(), AnalysisSession::State::Result);
        m_gate->closed = false;
        settle();
        QCOMPARE(std::tuple(s().runNumber(), s().rows().front().path, s().itemsVisualized()),
            std::tuple(quint64(2), QFile::encodeName(other.path()), quint64(3)));

        m_gate->closed = true;
        holdReports();
        s().updateFolder();
        QTRY_COMPARE(m_gate->waiting.load(), 1);
        const std::weak_ptr<FolderVisualData> scanner = s().visualData();
        const std::weak_ptr<AnalysisRun> task = s().currentRun();
        m_session.reset();
        QVERIFY(scanner.lock()->stopRequested());
        m_gate->closed = false;
        backgroundPool()->waitForDone();
        QVERIFY(task.expired());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    }

    // 8 bytes: sub-folders of 3 and 1 bytes, 4 bytes of loose files; names in full, the loose
    // files after the folders, each as the file system lists them.
    void sharesAndTheFilesSectorOfRowZero()
    {
        QVERIFY(makeFile(at("Photos.library/a.jpg"), 3) && makeFile(at("zeta/b"), 1));
        QVERIFY(makeFile(at("notes.txt"), 3) && makeFile(at(".hidden"), 1));
        run(m_dir->path());
        QCOMPARE(titles(row(0)), listedNames(m_dir->path(), true) << QStringLiteral("Files"));
        const auto photos = sector(0, "Photos.library"), files = row(0).back();
        QCOMPARE((QList<float> {photos->sectorPercentage(), sector(0, "zeta")->sectorPercentage(),
                     files->sectorPercentage()}),
            (QList<float> {0.375f, 0.125f, 0.5f}));
        QCOMPARE((QStringList {photos->subtitle(), files->subtitle()}), (QStringList {"3 bytes", "4 bytes"}));
        QVERIFY(!photos->isDisabled() && files->isDisabled() && !files->submenu()
            && !files->represented<FolderVisualData>()->children());
        QCOMPARE(files->represented<FolderVisualData>()->path(), m_dir->path().toStdString());
        QCOMPARE(names(s().directoryItems()),
            listedNames(m_dir->path(), true) + listedNames(m_dir->path(), false));
        QCOMPARE(s().itemsVisualized(), quint64(6));
    }

    // "Files" is there only if the float shares fall short of 1; empty sub-folders leave it all.
    void theFilesSectorTakesWhatTheSharesLeave()
    {
        QVERIFY(makeFile(at("one/a"), 1) && makeFile(at("three/a"), 3));
        run(m_dir->path());
        QVERIFY(!titles(row(0)).contains(QStringLiteral("Files")));
        QTemporaryDir twelve; // twelve shares of 1/12 add up to a little less than 1
        for (int i = 0; i < 12; ++i)
            QVERIFY(makeFile(twelve.filePath(QStringLiteral("d%1/a").arg(i)), 1));
        run(twelve.path());
        QCOMPARE(row(0).back()->title(), QStringLiteral("Files"));
        QVERIFY(row(0).back()->sectorPercentage() > 0.0f && row(0).back()->sectorPercentage() < 1e-6f);
        QTemporaryDir empty;
        QVERIFY(makeFile(empty.filePath(QStringLiteral("a/empty")), 0));
        run(empty.path());
        QCOMPARE((QList<float> {row(0)[0]->sectorPercentage(), row(0)[1]->sectorPercentage()}),
            (QList<float> {0.0f, 1.0f}));
    }

    void theSizeLadderNeverUsesPairFive_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<int>("pair");
        QTest::newRow("just below 102,400,000") << qint64(102'399'999) << 1;
        QTest::newRow("102,400,000") << qint64(102'400'000) << 2;
        QTest::newRow("1,024,000,000") << qint64(1'024'000'000) << 6;
    }
    // Through a real walk on a sparse file, so the colour comes from the folder's summed size.
    void theSizeLadderNeverUsesPairFive()
    {
        QFETCH(qint64, size);
        QFETCH(int, pair);
        QVERIFY(makeFile(at("big/file"), size));
        run(m_dir->path());
        QCOMPARE(sector(0, "big")->color(), s().paletteColor(pair));
        QCOMPARE(sector(0, "big")->highlightColor(), s().paletteHighlightColor(pair));
    }

    // Links count their own length and are listed as files wherever they lead, never followed.
    void linksAreListedAsFilesOfTheirOwnLength()
    {
        QVERIFY(makeFile(at("real/data"), 100) && QFile::link(at("real"), at("toFolder"))
            && QFile::link(at("missing-target"), at("dangling")));
        run(m_dir->path());
        QCOMPARE(titles(row(0)), (QStringList {QStringLiteral("real"), QStringLiteral("Files")}));
        const quint64 links = quint64(at("real").toUtf8().size() + at("missing-target").toUtf8().size());
        QCOMPARE(row(0).back()->represented<FolderVisualData>()->size(), links);
        QStringList listed = names(s().directoryItems());
        std::sort(listed.begin(), listed.end());
        QCOMPARE(listed, (QStringList {"dangling", "real", "toFolder"}));
        quint64 linked = 0;
        for (const auto &entry : s().directoryItems()) {
            QCOMPARE(entry->isLink, !entry->isDir);
            linked += entry->isLink ? entry->size : 0;
        }
        QCOMPARE(linked, links);
    }

    // A folder chosen through a link is known by the path the walk resolved, everywhere: row 0,
    // the list refilled after its selection is cleared, and so the trash and the chart agree.
    void aFolderChosenThroughALinkIsKnownByItsResolvedPath()
    {
        QVERIFY(makeFile(at("real/sub/a"), 10) && makeFile(at("real/loose"), 5));
        QVERIFY(QFile::link(at("real"), at("link")));
        run(at("link"));
        QCOMPARE(std::pair(s().lastFolder(), s().rootPath()), std::pair(pathOf("link"), pathOf("real")));
        select(0, "sub");
        settle();
        s().didRemoveSelectionInRow(0);
        settle();
        QCOMPARE(names(s().directoryItems()), (QStringList {"sub", "loose"}));
        for (const auto &entry : s().directoryItems())
            QVERIFY2(QByteArray::fromStdString(entry->path).startsWith(pathOf("real/")), entry->path.c_str());
    }

    // Opening a folder shows its sub-folders at once and its files when they are listed; a listing
    // that never comes back (a dead mount) holds up nothing, and one for a folder the user has left
    // is dropped when it comes.
    void listingsNeverHoldUpTheSession()
    {
        QVERIFY(makeFile(at("slow/inner/x"), 1) && makeFile(at("slow/late.bin"), 1));
        QVERIFY(makeFile(at("quick/q.bin"), 1));
        run(m_dir->path());
        s().setListingHook([gate = m_gate, slow = pathOf("slow")](const QByteArray &folder) {
            if (folder == slow)
                gate->pass();
        });
        QSignalSpy entries(&s(), &AnalysisSession::entriesChanged);
        select(0, "slow");
        QVERIFY(s().isListing());
        QCOMPARE(names(s().directoryItems()), QStringList {"inner"});
        QCOMPARE(std::pair(s().rows().size(), entries.count()), std::pair(size_t(2), qsizetype(1)));
        QTRY_COMPARE(m_gate->waiting.load(), 1);
        // Marks set meanwhile are kept when the listing comes.
        QVERIFY(s().fileListModel()->setChecked(0, true));

        select(0, "quick");
        QTRY_VERIFY(!s().isListing());
        QCOMPARE(names(s().directoryItems()), QStringList {"q.bin"});
        m_gate->closed = false;
        settle();
        QCOMPARE(names(s().directoryItems()), QStringList {"q.bin"});

        m_gate->closed = true;
        m_gate->waiting = 0;
        select(0, "slow");
        QTRY_COMPARE(m_gate->waiting.load(), 1);
        QVERIFY(s().fileListModel()->setChecked(0, true));
        m_gate->closed = false;
        QTRY_VERIFY(!s().isListing());
        QCOMPARE(names(s().directoryItems()), (QStringList {"inner", "late.bin"}));
        QCOMPARE(names(s().filesToDelete()), QStringList {"inner"});
    }

    // Parallel slices keep order and sizes; a pseudo file system (/proc/kcore claims terabytes),
    // names that are not UTF-8 and an unreadable folder are handled.
    void listingLooseFiles()
    {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("sub")) && QFile::link(at("sub"), at("link")));
        for (int i = 0; i < 9000; ++i)
            QVERIFY(makeFile(at(QStringLiteral("f%1").arg(i)), i % 7));
        const auto entries = looseFiles(pathOf(""));
        QCOMPARE(names(entries), listedNames(m_dir->path(), false));
        for (const auto &entry : entries)
            if (!entry->isLink)
                QCOMPARE(entry->size, quint64(QString::fromStdString(entry->name).mid(1).toInt() % 7));
        QVERIFY(!QFileInfo::exists(QStringLiteral("/proc/self")) || looseFiles("/proc").empty());
        QTemporaryDir odd;
        const QByteArray path = makeFile(QFile::encodeName(odd.path()) + "/caf\xe9.txt", 3);
        QCOMPARE(
            QByteArray::fromStdString(looseFiles(QFile::encodeName(odd.path()) + '/').at(0)->path), path);
        QCOMPARE(::unlink(path.constData()), 0); // QDir cannot name it
        if (::geteuid() == 0)
            QSKIP("root reads any folder: run as an unprivileged user to test an unreadable one");
        QVERIFY(makeFile(at("closed/b"), 5) && QFile::setPermissions(at("closed"), QFileDevice::WriteOwner));
        const bool none = looseFiles(pathOf("closed")).empty();
        QFile::setPermissions(at("closed"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(none);
    }
};

QTEST_MAIN(TestAnalysisSession)
#include "tst_analysissession.moc"
