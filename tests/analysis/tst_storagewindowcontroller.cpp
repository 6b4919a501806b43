#include "ControllerFixture.h"
#include "FolderVisualData.h"

#include <QLabel>
#include <QPushButton>
#include <QSemaphore>
#include <QTemporaryDir>

#include <atomic>

using namespace corvale;
using namespace corvale::test;

namespace {

// Holds walks from run `heldFrom` on (but not those up to `releasedTo`) at their progress reports,
// so a test can look at the window mid-walk. Reports made on the GUI thread pass.
struct Gate
{
    std::atomic<quint64> heldFrom = ~quint64(0), releasedTo = 0, waiting = 0;
    void pass(quint64 run)
    {
        if (QThread::currentThread() == qApp->thread())
            return;
        waiting = run;
        while (run >= heldFrom && run > releasedTo)
            QThread::msleep(2);
    }
};

} // namespace

class TestStorageWindowController : public QObject, ControllerWindow
{
    Q_OBJECT

private:
    std::shared_ptr<Gate> m_gate;
    QTemporaryDir m_dirA, m_dirB;
    QByteArray m_a = QFile::encodeName(m_dirA.path()), m_b = QFile::encodeName(m_dirB.path());

    bool shown(const char *name) { return !child(name)->isHidden(); }
    QString text(const char *name) { return child<QLabel>(name)->text(); }
    void verifyShown(std::initializer_list<const char *> names, bool visible)
    {
        for (const char *name : names)
            QVERIFY2(shown(name) == visible, name);
    }
    void click(const char *button) { QTest::mouseClick(child<QAbstractButton>(button), Qt::LeftButton); }
    // Chooses `folder` with the given button and holds the new run's walk at its reports.
    void startHeld(const char *button, const QByteArray &folder)
    {
        m_gate->heldFrom = std::min(m_gate->heldFrom.load(), s().runNumber() + 1);
        m_chooser->answers.push_back(folder);
        click(button);
    }
    // Waits until the held walk is at the gate, then delivers what it posted.
    void waitAtGate(quint64 run)
    {
        QTRY_COMPARE(m_gate->waiting.load(), run);
        QCoreApplication::sendPostedEvents(&s(), QEvent::MetaCall);
    }
    void finishWalks()
    {
        m_gate->releasedTo = ~quint64(0);
        settle();
    }
    void verifyResultState(const QByteArray &folder, const QString &items)
    {
        verifyShown({"chartView", "tableView", "fileTableView", "selectFolderButton", "legendView",
                        "trashButton", "refreshButton", "selectedFolderItems"},
            true);
        verifyShown(
            {"welcomeView", "progressLabel", "stopButton", "loader", "deleteView", "labelReclaim"}, false);
        QVERIFY(!child<QPushButton>("trashButton")->isEnabled());
        QCOMPARE(text("titleLabel"), QFile::decodeName(folder));
        QCOMPARE(text("selectedFolderItems"), items);
    }
    void verifyWelcomeState()
    {
        verifyShown({"chartView", "selectedFolderItems", "tableView"}, false);
        QVERIFY(
            shown("welcomeView") && text("titleLabel").isEmpty() && text("selectedFolderItems").isEmpty());
        QVERIFY(child<QLabel>("selectedFolderIcon")->pixmap().isNull());
    }

private Q_SLOTS:
    void initTestCase()
    {
        // a.bin, sub/b.bin, sub/deeper/c.bin: 5 items; B holds one empty folder.
        for (const char *name : {"a.bin", "sub/b.bin", "sub/deeper/c.bin"})
            QVERIFY(makeFile(m_dirA.filePath(QLatin1String(name)), 100));
        QVERIFY(QDir(m_dirB.path()).mkdir(QStringLiteral("only")));
    }
    void init()
    {
        m_gate = std::make_shared<Gate>();
        openWindow(QSize(1100, 720));
        s().setReportHook([gate = m_gate](quint64 run, std::uint64_t) { gate->pass(run); });
    }
    void cleanup()
    {
        finishWalks();
        closeWindow();
    }

    // Welcome -> walking -> result; progress shows the plain count, even in a locale that groups digits.
    void aRunGoesThroughTheWalkingStateToTheResult()
    {
        QVERIFY(shown("welcomeView") && !shown("chartView"));
        startHeld("selectFolderMainButton", m_a);
        QCOMPARE(s().lastFolder(), m_a);
        // Before the walk has reported anything.
        verifyShown({"chartView", "progressLabel"}, true);
        verifyShown({"welcomeView", "tableView", "fileTableView", "selectFolderButton", "legendView",
                        "trashButton", "refreshButton", "labelReclaim", "deleteView"},
            false);
        QCOMPARE(text("titleLabel"), QFile::decodeName(m_a));

        waitAtGate(s().runNumber());
        QCOMPARE(text("progressLabel"), QStringLiteral("Analyzing..."));
        QVERIFY(text("selectedFolderItems").isEmpty());
        verifyShown({"selectedFolderItems", "stopButton", "loader"}, true);
        QVERIFY(!child<QLabel>("selectedFolderIcon")->pixmap().isNull());

        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::German));
        s().currentRun()->updateFolderProgress(~quint64(0));
        QCoreApplication::sendPostedEvents(&s(), QEvent::MetaCall);
        QLocale::setDefault(previous);
        const QString count = QString::number(~quint64(0));
        QCOMPARE(text("progressLabel"), QStringLiteral("Analyzing... Items: %1").arg(count));
        QCOMPARE(text("selectedFolderItems"), QStringLiteral("Items: %1").arg(count));

        finishWalks();
        verifyResultState(m_a, QStringLiteral("Items: 5"));
        QVERIFY(text("progressLabel").isEmpty());
        QVERIFY(s().filesToDelete().empty());
    }

    void stopShowsTheWelcomeViewAtOnceAndEndsTheProgressWithTheWalk()
    {
        startHeld("selectFolderMainButton", m_a);
        waitAtGate(s().runNumber());
        const std::weak_ptr<FolderVisualData> scanner = s().visualData();
        click("stopButton");
        QVERIFY(scanner.lock()->stopRequested());
        verifyWelcomeState();
        verifyShown({"progressLabel", "stopButton", "loader"}, true); // until the walk has ended
        finishWalks();
        verifyShown({"progressLabel", "stopButton", "loader"}, false);
        verifyWelcomeState();
    }

    // A stop that came while the run's task still waited for a thread must not be lost.
    void aStopBeforeTheWalkBeginsStillStopsTheRun()
    {
        QThreadPool *pool = QThreadPool::globalInstance();
        QSemaphore busy, started;
        for (int i = 0; i < pool->maxThreadCount(); ++i)
            pool->start([&] {
                started.release();
                busy.acquire();
            });
        started.acquire(pool->maxThreadCount());
        m_chooser->answers.push_back(m_a);
        click("selectFolderMainButton");
        c().doCleanup();
        busy.release(pool->maxThreadCount());
        finishWalks();
        verifyWelcomeState();
        QVERIFY(!shown("progressLabel"));
    }

    // Cancelling the chooser keeps the result; refresh walks the same folder again without asking.
    void cancelKeepsTheResultAndRefreshWalksAgain()
    {
        runToResult(m_dirA.path());
        const quint64 run = s().runNumber();
        const auto rows = rowPaths();
        m_chooser->answers.push_back(QByteArray());
        click("selectFolderButton");
        finishWalks();
        QCOMPARE(m_chooser->asked, 2);
        QCOMPARE(s().runNumber(), run);
        QCOMPARE(rowPaths(), rows);
        verifyResultState(m_a, QStringLiteral("Items: 5"));

        QVERIFY(makeFile(m_dirA.filePath(QStringLiteral("extra.bin")), 0));
        click("refreshButton");
        finishWalks();
        QCOMPARE(m_chooser->asked, 2);
        verifyResultState(m_a, QStringLiteral("Items: 6"));
        QVERIFY(QFile::remove(m_dirA.filePath(QStringLiteral("extra.bin"))));

        // A new folder empties the rows and the file list before its walk.
        startHeld("selectFolderButton", m_b);
        QVERIFY(s().rows().empty() && s().directoryItems().empty());
        QCOMPARE(child<QTableWidget>("tableView")->rowCount(), 0);
        finishWalks();
        verifyResultState(m_b, QStringLiteral("Items: 1"));
    }

    // Stop a walk and start another at once: the old walk's late end must not end the new run's
    // progress display, nor its last report write into it.
    void aStoppedWalkEndingLateLeavesTheNewRunAlone()
    {
        startHeld("selectFolderMainButton", m_a);
        const quint64 oldRun = s().runNumber();
        waitAtGate(oldRun);
        const std::weak_ptr<AnalysisRun> oldTask = s().currentRun();
        click("stopButton");
        startHeld("selectFolderMainButton", m_b);
        waitAtGate(s().runNumber());

        m_gate->releasedTo = oldRun;
        QTRY_VERIFY(oldTask.expired());
        QCoreApplication::sendPostedEvents(&s(), QEvent::MetaCall);
        QCOMPARE(text("progressLabel"), QStringLiteral("Analyzing..."));
        QVERIFY(text("selectedFolderItems").isEmpty());
        verifyShown({"progressLabel", "stopButton", "loader", "selectedFolderItems", "chartView"}, true);
        QCOMPARE(text("titleLabel"), QFile::decodeName(m_b));
        finishWalks();
        verifyResultState(m_b, QStringLiteral("Items: 1"));
    }

    // Closing the window during a walk: the walk is asked to stop and its reports go nowhere.
    void destroyingTheControllerDuringAWalkIsSafe()
    {
        startHeld("selectFolderMainButton", m_a);
        const quint64 run = s().runNumber();
        waitAtGate(run);
        const std::weak_ptr<FolderVisualData> scanner = s().visualData();
        const std::weak_ptr<AnalysisRun> task = s().currentRun();
        m_controller.reset();
        QVERIFY(scanner.lock()->stopRequested());
        m_gate->releasedTo = run;
        QThreadPool::globalInstance()->waitForDone();
        QVERIFY(task.expired());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
        QCoreApplication::processEvents();
    }
};

QTEST_MAIN(TestStorageWindowController)
#include "tst_storagewindowcontroller.moc"
