#include "ControllerFixture.h"
#include "FolderVisualData.h"

#include <QLabel>
#include <QPushButton>
#include <QSemaphore>
#include <QTableWidget>
#include <QTemporaryDir>

#include <condition_variable>
#include <mutex>
#include <set>

using namespace corvale;
using namespace corvale::test;

namespace {

// Holds the walking thread of chosen runs at their progress reports until released, so a test
// can look at the window while a walk is still "running". Reports made on the GUI thread (by the
// test itself) pass.
class Gate
{
public:
    void hold(quint64 run)
    {
        std::lock_guard lock(m_mutex);
        m_held.insert(run);
    }
    void release(quint64 run)
    {
        std::lock_guard lock(m_mutex);
        m_held.erase(run);
        m_changed.notify_all();
    }
    void releaseAll()
    {
        std::lock_guard lock(m_mutex);
        m_held.clear();
        m_changed.notify_all();
    }
    bool isWaiting(quint64 run)
    {
        std::lock_guard lock(m_mutex);
        return m_waiting.count(run) > 0;
    }
    void pass(quint64 run)
    {
        if (QThread::currentThread() == qApp->thread())
            return;
        std::unique_lock lock(m_mutex);
        m_waiting.insert(run);
        m_changed.wait(lock, [&] { return m_held.count(run) == 0; });
        m_waiting.erase(run);
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::set<quint64> m_held;
    std::set<quint64> m_waiting;
};

// root: a.bin, sub/b.bin, sub/deeper/c.bin -> 5 items below the root.
void makeTree(const QString &root)
{
    QDir(root).mkpath(QStringLiteral("sub/deeper"));
    for (const char *name : {"a.bin", "sub/b.bin", "sub/deeper/c.bin"}) {
        QFile file(root + QLatin1Char('/') + QLatin1String(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(100, 'x'));
    }
}

} // namespace

class TestStorageWindowController : public QObject, ControllerWindow
{
    Q_OBJECT

private:
    std::shared_ptr<Gate> m_gate;
    QTemporaryDir m_dirA;
    QTemporaryDir m_dirB;

    bool shown(const char *name) { return !child(name)->isHidden(); }
    QString text(const char *name) { return child<QLabel>(name)->text(); }
    QByteArray pathA() const { return QFile::encodeName(m_dirA.path()); }
    QByteArray pathB() const { return QFile::encodeName(m_dirB.path()); }

    void click(const char *button)
    {
        auto *b = child<QAbstractButton>(button);
        QVERIFY2(b->isVisible(), button);
        QTest::mouseClick(b, Qt::LeftButton);
    }
    // Chooses `folder` with the given button and holds the new run's walk at its reports.
    void startHeld(const char *button, const QByteArray &folder)
    {
        m_gate->hold(c().runNumber() + 1);
        m_chooser->answers.push_back(folder);
        click(button);
    }
    // Waits until the held walk of the current run is at the gate, then delivers what it posted.
    void waitAtGate(quint64 run)
    {
        QTRY_VERIFY(m_gate->isWaiting(run));
        QCoreApplication::sendPostedEvents(m_controller.get(), QEvent::MetaCall);
    }
    void finishWalks()
    {
        m_gate->releaseAll();
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    }
    void runToResult(const QByteArray &folder)
    {
        m_chooser->answers.push_back(folder);
        c().selectFolder();
        finishWalks();
    }
    void verifyResultState(const QByteArray &folder, const QString &items)
    {
        QVERIFY(!shown("welcomeView"));
        QVERIFY(shown("chartView"));
        for (const char *name : {"tableView", "fileTableView", "selectFolderButton", "legendView",
                 "trashButton", "refreshButton", "selectedFolderItems"})
            QVERIFY2(shown(name), name);
        for (const char *name : {"progressLabel", "stopButton", "loader", "deleteView"})
            QVERIFY2(!shown(name), name);
        QVERIFY(!child<QPushButton>("trashButton")->isEnabled());
        QCOMPARE(text("titleLabel"), QFile::decodeName(folder));
        QCOMPARE(text("selectedFolderItems"), items);
        QVERIFY(text("progressLabel").isEmpty());
    }
    void verifyWelcomeState()
    {
        QVERIFY(shown("welcomeView"));
        QVERIFY(!shown("chartView"));
        QVERIFY(!shown("selectedFolderItems"));
        QVERIFY(text("titleLabel").isEmpty());
        QVERIFY(text("selectedFolderItems").isEmpty());
        QVERIFY(child<QLabel>("selectedFolderIcon")->pixmap().isNull());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dirA.isValid() && m_dirB.isValid());
        makeTree(m_dirA.path());
        QVERIFY(QDir(m_dirB.path()).mkdir(QStringLiteral("only")));
    }

    void init()
    {
        m_gate = std::make_shared<Gate>();
        openWindow(QSize(1100, 720));
        c().setReportHook([gate = m_gate](quint64 run, std::uint64_t) { gate->pass(run); });
    }

    void cleanup()
    {
        m_gate->releaseAll();
        closeWindow();
    }

    // Welcome -> walking -> result; a short walk shows "Analyzing..." and then only the final count.
    void aRunGoesThroughTheWalkingStateToTheResult()
    {
        QVERIFY(shown("welcomeView"));
        QVERIFY(!shown("chartView"));
        QCOMPARE(c().runNumber(), quint64(0));
        startHeld("selectFolderMainButton", pathA());
        QCOMPARE(m_chooser->asked, 1);
        QCOMPARE(c().lastFolder(), pathA());

        // The start of the run, before the walk has reported anything.
        QVERIFY(!shown("welcomeView"));
        QVERIFY(shown("chartView"));
        QVERIFY(shown("progressLabel"));
        QCOMPARE(text("titleLabel"), QFile::decodeName(pathA()));
        for (const char *name :
            {"tableView", "fileTableView", "selectFolderButton", "legendView", "trashButton", "refreshButton",
                "labelReclaim", "fieldReclaim", "buttonReclaim", "deleteView"})
            QVERIFY2(!shown(name), name);
        QVERIFY(!child<QPushButton>("trashButton")->isEnabled());

        // The walk has started and is about to make its final report.
        waitAtGate(c().runNumber());
        QCOMPARE(text("progressLabel"), QStringLiteral("Analyzing..."));
        QVERIFY(shown("selectedFolderItems"));
        QVERIFY(text("selectedFolderItems").isEmpty());
        QVERIFY(shown("stopButton"));
        QVERIFY(shown("loader"));
        QVERIFY(!child<QLabel>("selectedFolderIcon")->pixmap().isNull());

        finishWalks();
        verifyResultState(pathA(), QStringLiteral("Items: 5"));
        QVERIFY(!shown("labelReclaim"));
        QVERIFY(c().filesToDelete().empty());
    }

    void progressTextsShowThePlainCount_data()
    {
        QTest::addColumn<quint64>("items");
        QTest::newRow("thousands") << quint64(1234567);
        QTest::newRow("largest") << ~quint64(0);
    }
    void progressTextsShowThePlainCount()
    {
        QFETCH(quint64, items);
        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::German)); // a locale that groups digits
        startHeld("selectFolderMainButton", pathA());
        waitAtGate(c().runNumber());

        // What the walk reports every 5 seconds.
        c().currentRun()->updateFolderProgress(items);
        QCoreApplication::sendPostedEvents(m_controller.get(), QEvent::MetaCall);
        QLocale::setDefault(previous);
        QCOMPARE(text("progressLabel"), QStringLiteral("Analyzing... Items: %1").arg(QString::number(items)));
        QCOMPARE(text("selectedFolderItems"), QStringLiteral("Items: %1").arg(QString::number(items)));

        finishWalks();
        QCOMPARE(text("selectedFolderItems"), QStringLiteral("Items: 5"));
    }

    void stopShowsTheWelcomeViewAtOnceAndEndsTheProgressWithTheWalk()
    {
        startHeld("selectFolderMainButton", pathA());
        const quint64 run = c().runNumber();
        waitAtGate(run);
        const std::weak_ptr<FolderVisualData> scanner = c().visualData();

        click("stopButton");
        QVERIFY(scanner.lock()->stopRequested());
        verifyWelcomeState();
        // The walk has not ended yet: its indicators stay until it has.
        for (const char *name : {"progressLabel", "stopButton", "loader"})
            QVERIFY2(shown(name), name);

        finishWalks();
        for (const char *name : {"progressLabel", "stopButton", "loader"})
            QVERIFY2(!shown(name), name);
        // The stopped walk's last report and end leave the welcome view as it is.
        verifyWelcomeState();
        QVERIFY(!shown("tableView"));

        // And a folder chosen from there starts a new run.
        runToResult(pathA());
        verifyResultState(pathA(), QStringLiteral("Items: 5"));
    }

    // A walk clears its scanner's stop flag when it begins: a stop that came while the run's
    // task still waited for a thread (the stop button is not up yet, but a window closing
    // cleans up) must not be lost.
    void aStopBeforeTheWalkBeginsStillStopsTheRun()
    {
        QThreadPool *pool = QThreadPool::globalInstance();
        QSemaphore busy;
        QSemaphore started;
        for (int i = 0; i < pool->maxThreadCount(); ++i) {
            pool->start([&] {
                started.release();
                busy.acquire();
            });
        }
        started.acquire(pool->maxThreadCount());

        m_chooser->answers.push_back(pathA());
        click("selectFolderMainButton");
        c().doCleanup();
        busy.release(pool->maxThreadCount());
        finishWalks();

        verifyWelcomeState();
        QVERIFY(!shown("progressLabel"));
        QVERIFY(!shown("tableView"));
    }

    void cancellingTheChooserAfterAResultChangesNothing()
    {
        runToResult(pathA());
        const quint64 run = c().runNumber();
        const auto rows = c().tableData();
        const auto entries = c().directoryItems();

        m_chooser->answers.push_back(QByteArray());
        click("selectFolderButton");
        QCOMPARE(m_chooser->asked, 2);
        finishWalks();

        QCOMPARE(c().runNumber(), run);
        QCOMPARE(c().lastFolder(), pathA());
        QCOMPARE(c().tableData(), rows);
        QCOMPARE(c().directoryItems(), entries);
        QCOMPARE(child<QTableWidget>("tableView")->rowCount(), 1);
        verifyResultState(pathA(), QStringLiteral("Items: 5"));
    }

    void aNewFolderEmptiesTheRowsAndTheFileListBeforeItsWalk()
    {
        runToResult(pathA());
        c().setTableData({Sectors {std::make_shared<DynamicStackedViewSector>()},
                             Sectors {std::make_shared<DynamicStackedViewSector>()}},
            {pathA(), pathA() + "/sub"});
        c().setDirectoryItems({std::make_shared<FolderAttributes>()});
        QCOMPARE(child<QTableWidget>("tableView")->rowCount(), 2);

        startHeld("selectFolderButton", pathB());
        QVERIFY(c().tableData().empty());
        QVERIFY(c().pathsData().isEmpty());
        QVERIFY(c().directoryItems().empty());
        QCOMPARE(child<QTableWidget>("tableView")->rowCount(), 0);
        QVERIFY(!shown("tableView"));
        QVERIFY(!shown("fileTableView"));
        QCOMPARE(text("titleLabel"), QFile::decodeName(pathB()));

        finishWalks();
        verifyResultState(pathB(), QStringLiteral("Items: 1"));
    }

    void refreshWalksTheSameFolderAgain()
    {
        runToResult(pathA());
        QFile extra(m_dirA.filePath(QStringLiteral("extra.bin")));
        QVERIFY(extra.open(QIODevice::WriteOnly));
        extra.close();

        click("refreshButton");
        QCOMPARE(m_chooser->asked, 1);
        finishWalks();
        verifyResultState(pathA(), QStringLiteral("Items: 6"));
        QVERIFY(extra.remove());
    }

    // Stop a walk and start another at once: the old walk's late end must not end the new run's
    // progress display, nor its last report write into it.
    void aStoppedWalkEndingLateLeavesTheNewRunAlone()
    {
        startHeld("selectFolderMainButton", pathA());
        const quint64 oldRun = c().runNumber();
        waitAtGate(oldRun);
        const std::weak_ptr<AnalysisRun> oldTask = c().currentRun();
        click("stopButton");

        startHeld("selectFolderMainButton", pathB());
        const quint64 newRun = c().runNumber();
        QVERIFY(newRun != oldRun);
        waitAtGate(newRun);
        QCOMPARE(text("progressLabel"), QStringLiteral("Analyzing..."));

        // The old walk makes its final report and ends, all of it after the new walk started.
        m_gate->release(oldRun);
        QTRY_VERIFY(oldTask.expired());
        QCoreApplication::sendPostedEvents(m_controller.get(), QEvent::MetaCall);

        QCOMPARE(text("progressLabel"), QStringLiteral("Analyzing..."));
        QVERIFY(text("selectedFolderItems").isEmpty());
        for (const char *name : {"progressLabel", "stopButton", "loader", "selectedFolderItems", "chartView"})
            QVERIFY2(shown(name), name);
        QVERIFY(!shown("welcomeView"));
        QCOMPARE(text("titleLabel"), QFile::decodeName(pathB()));

        finishWalks();
        verifyResultState(pathB(), QStringLiteral("Items: 1"));
    }

    // Closing the window during a walk: the walk is asked to stop and its reports go nowhere.
    void destroyingTheControllerDuringAWalkIsSafe()
    {
        startHeld("selectFolderMainButton", pathA());
        const quint64 run = c().runNumber();
        waitAtGate(run);
        const std::weak_ptr<FolderVisualData> scanner = c().visualData();
        const std::weak_ptr<AnalysisRun> task = c().currentRun();

        m_controller.reset();
        QVERIFY(scanner.lock()->stopRequested());

        m_gate->release(run);
        QThreadPool::globalInstance()->waitForDone();
        QVERIFY(task.expired());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        QCoreApplication::processEvents();
    }
};

QTEST_MAIN(TestStorageWindowController)
#include "tst_storagewindowcontroller.moc"
