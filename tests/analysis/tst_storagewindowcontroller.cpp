// The window as the view of its analysis: what each state of a run shows, the header's counts and
// size, and the folder chooser.

#include "ControllerFixture.h"
#include "FolderVisualData.h"
#include "OrvSpinnerView.h"
#include "RowsTable.h"

#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QToolButton>

#include <atomic>

using namespace corvale;
using namespace corvale::test;

class TestStorageWindowController : public QObject, ControllerWindow
{
    Q_OBJECT

    QTemporaryDir m_dirA, m_dirB;
    QByteArray m_a = QFile::encodeName(m_dirA.path()), m_b = QFile::encodeName(m_dirB.path());
    std::shared_ptr<std::atomic<bool>> m_held = std::make_shared<std::atomic<bool>>(false);
    std::shared_ptr<std::atomic<int>> m_waiting = std::make_shared<std::atomic<int>>(0);

    QString text(const char *name) { return child<QLabel>(name)->text(); }
    // Which of the elements that change with the state are set to show (some behind others).
    QStringList shown()
    {
        QStringList result;
        for (const char *name :
            {"welcomeView", "chartView", "tableView", "fileTableView", "selectFolderButton", "legendView",
                "trashButton", "refreshButton", "selectedFolderItems", "progressLabel", "stopButton",
                "loader", "deleteView", "labelReclaim", "fieldReclaim", "buttonReclaim"})
            if (!child(name)->isHidden())
                result << name;
        return result;
    }
    void click(const char *button) { QTest::mouseClick(child<QAbstractButton>(button), Qt::LeftButton); }
    // Chooses `folder` and holds its walk at its final report, delivering what came before.
    void startHeld(const char *button, const QByteArray &folder)
    {
        *m_held = true;
        *m_waiting = 0;
        m_chooser->answers.push_back(folder);
        click(button);
        QTRY_COMPARE(m_waiting->load(), 1);
        QCoreApplication::sendPostedEvents(&s(), QEvent::MetaCall);
    }
    void release()
    {
        *m_held = false;
        settle();
    }
    void verifyResult(const QByteArray &folder, const QString &items)
    {
        QCOMPARE(shown(),
            (QStringList {"chartView", "tableView", "fileTableView", "selectFolderButton", "legendView",
                "trashButton", "refreshButton", "selectedFolderItems"}));
        QVERIFY(!child<QPushButton>("trashButton")->isEnabled());
        QCOMPARE((QStringList {text("titleLabel"), text("selectedFolderItems"), text("progressLabel")}),
            (QStringList {QFile::decodeName(folder), items, QString()}));
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
        openWindow(QSize(1100, 720));
        activate();
        s().setReportHook([held = m_held, waiting = m_waiting](quint64, std::uint64_t) {
            if (QThread::currentThread() == qApp->thread())
                return;
            ++*waiting;
            while (*held)
                QThread::msleep(2);
        });
    }
    void cleanup()
    {
        release();
        closeWindow();
    }

    // Welcome, walking (counts grouped as the locale writes them), result (with the folder's size
    // in the measure), and stops: a Refresh stopped keeps the result, another folder's walk stopped
    // shows the welcome view at once, the progress elements until the walk has noticed.
    void theWindowShowsEachStateOfTheRun()
    {
        QCOMPARE(shown(), QStringList {"welcomeView"});
        startHeld("selectFolderMainButton", m_a);
        QCOMPARE(shown(),
            (QStringList {"chartView", "selectedFolderItems", "progressLabel", "stopButton", "loader"}));
        QCOMPARE((QStringList {text("titleLabel"), text("selectedFolderItems"), text("progressLabel")}),
            (QStringList {QFile::decodeName(m_a), QString(), "Analyzing..."}));
        QVERIFY(!child<QLabel>("selectedFolderIcon")->pixmap().isNull() && c().spinner()->isAnimating());

        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::German));
        s().currentRun()->updateFolderProgress(169853);
        QCoreApplication::sendPostedEvents(&s(), QEvent::MetaCall);
        QCOMPARE(text("progressLabel"), QStringLiteral("Analyzing... Items: 169.853"));
        QCOMPARE(text("selectedFolderItems"), QStringLiteral("Items: 169.853"));
        QLocale::setDefault(previous);
        release();
        verifyResult(m_a, QStringLiteral("300 bytes · Items: 5"));
        QVERIFY(!c().spinner()->isAnimating());
        // On the disk: what du counts (the files are sparse: the folders' own blocks).
        QProcess du;
        du.start(QStringLiteral("du"), {QStringLiteral("-s"), QStringLiteral("-B1"), m_dirA.path()});
        QVERIFY(du.waitForFinished());
        s().setMeasure(Measure::DiskUsage);
        QCOMPARE(text("selectedFolderItems"),
            QStringLiteral("%1 · Items: 5")
                .arg(byteCountText(du.readAll().split('\t').value(0).toULongLong())));
        s().setMeasure(Measure::ApparentSize);

        startHeld("refreshButton", m_a);
        QCOMPARE(QApplication::focusWidget(), child("stopButton"));
        press(Qt::Key_Escape); // as a click on the stop button
        QTRY_VERIFY(child("welcomeView")->isHidden() && !child("tableView")->isHidden());
        release();
        verifyResult(m_a, QStringLiteral("300 bytes · Items: 5"));

        startHeld("selectFolderButton", m_b);
        press(Qt::Key_Escape);
        QTRY_VERIFY(!child("welcomeView")->isHidden());
        QCOMPARE(shown(), (QStringList {"welcomeView", "progressLabel", "stopButton", "loader"}));
        QVERIFY(text("titleLabel").isEmpty() && child<QLabel>("selectedFolderIcon")->pixmap().isNull());
        release();
        QCOMPARE(shown(), QStringList {"welcomeView"});
        QCOMPARE(QApplication::focusWidget(), child("selectFolderMainButton"));
    }

    // Tab and Shift+Tab go round what is shown in reading order, the chart as one stop at the bar
    // last used; a result puts the focus on the chart.
    void tabGoesRoundInReadingOrder()
    {
        QCOMPARE(QApplication::focusWidget(), child("selectFolderMainButton"));
        runToResult(m_dirA.path());
        auto *rows = child<RowsTable>("tableView");
        QCOMPARE(QApplication::focusWidget(), rows->bar(0));
        clickSector(0, "sub");
        QVERIFY(s().fileListModel()->setChecked(0, true));
        QTRY_VERIFY(panelShown());
        press(Qt::Key_Down);
        const QList<QWidget *> order {child("refreshButton"), child("selectFolderButton"),
            static_cast<QWidget *>(cell(0)->headerButton()), rows->bar(1), child("fileTableView"),
            child("trashButton")};
        const qsizetype n = order.size();
        for (qsizetype i = 1; i <= 2 * n; ++i) {
            press(i <= n ? Qt::Key_Tab : Qt::Key_Backtab, i <= n ? Qt::NoModifier : Qt::ShiftModifier);
            QCOMPARE(QApplication::focusWidget(), order[(i <= n ? 3 + i : 3 + 3 * n - i) % n]);
        }
    }

    // The chooser opens in the home folder, then in the folder analysed last; cancelled, it keeps
    // the result; refresh walks the same folder without asking and opens the same folders again as
    // far as they are still there; a new folder empties the rows and the list before its walk.
    void theChooserAndRefresh()
    {
        runToResult(m_dirA.path());
        const quint64 run = s().runNumber();
        m_chooser->answers.push_back(QByteArray());
        click("selectFolderButton");
        settle();
        QCOMPARE(m_chooser->starts, (QList<QByteArray> {QFile::encodeName(QDir::homePath()), m_a}));
        QCOMPARE(s().runNumber(), run);
        verifyResult(m_a, QStringLiteral("300 bytes · Items: 5"));

        clickSector(0, "sub");
        clickSector(1, "deeper");
        QVERIFY(makeFile(m_dirA.filePath(QStringLiteral("extra.bin")), 0));
        click("refreshButton");
        settle();
        QCOMPARE(m_chooser->starts.size(), 2);
        verifyResult(m_a, QStringLiteral("300 bytes · Items: 6"));
        QVERIFY(QFile::remove(m_dirA.filePath(QStringLiteral("extra.bin"))));
        QCOMPARE(rowPaths(), (QList<QByteArray> {m_a, m_a + "/sub", m_a + "/sub/deeper"}));
        QVERIFY(cell(2) && sector(0, "sub")->isSelected() && sector(1, "deeper")->isSelected());
        QCOMPARE(names(s().directoryItems()), QStringList {"c.bin"});
        QDir dir(m_dirA.path());
        QVERIFY(dir.rename("sub/deeper", "sub/moved"));
        click("refreshButton");
        settle();
        QVERIFY(dir.rename("sub/moved", "sub/deeper"));
        QCOMPARE(rowPaths(), (QList<QByteArray> {m_a, m_a + "/sub"}));
        QCOMPARE(names(s().directoryItems()), (QStringList {"moved", "b.bin"}));

        startHeld("selectFolderButton", m_b);
        QVERIFY(s().rows().empty() && s().directoryItems().empty());
        QCOMPARE(child<QTableWidget>("tableView")->rowCount(), 0);
        release();
        verifyResult(m_b, QStringLiteral("0 bytes · Items: 1"));
    }
};

QTEST_MAIN(TestStorageWindowController)
#include "tst_storagewindowcontroller.moc"
