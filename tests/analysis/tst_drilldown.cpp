// The drill-down through real clicks on the rows table's bars, the rows table's cells, and
// "Show in Finder".

#include "ControllerFixture.h"
#include "DynamicStackedView.h"
#include "DynamicStackedViewBox.h"
#include "FolderVisualData.h"
#include "VisualDataCell.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

using namespace corvale;
using namespace corvale::test;

namespace {

// Right-clicks `box` and closes the menu it opens; whether a menu opened.
bool openContextMenu(QWidget *box)
{
    auto closed = std::make_shared<bool>(false);
    QTimer::singleShot(0, qApp, [closed] {
        if (QWidget *popup = QApplication::activePopupWidget()) {
            popup->close();
            *closed = true;
        }
    });
    const QPoint pos = box->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, box->mapToGlobal(pos));
    QApplication::sendEvent(box, &event);
    QCoreApplication::processEvents();
    return *closed;
}

} // namespace

class TestDrillDown : public QObject, ControllerWindow
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString at(const QString &relative) const { return m_dir.filePath(relative); }
    QByteArray pathOf(const QString &relative) const { return QFile::encodeName(at(relative)); }
    QTableWidget *rowsTable() { return c().findChild<QTableWidget *>(QStringLiteral("tableView")); }
    VisualDataCell *cell(int row) { return qobject_cast<VisualDataCell *>(rowsTable()->cellWidget(row, 0)); }
    void drillTo(const QStringList &path)
    {
        for (int row = 0; row < path.size(); ++row)
            clickSector(row, path[row]);
    }
    // Row i+1 shows the folder of the selected sector of row i; one path per row.
    void verifyRows(const QStringList &relativePaths)
    {
        QList<QByteArray> expected {QFile::encodeName(m_dir.path())};
        for (const QString &path : relativePaths)
            expected << pathOf(path);
        QCOMPARE(c().pathsData(), expected);
        QCOMPARE(c().tableData().size(), size_t(expected.size()));
        QCOMPARE(rowsTable()->rowCount(), int(expected.size()));
        for (size_t row = 0; row + 1 < c().tableData().size(); ++row) {
            int selected = 0;
            for (const auto &record : c().tableData()[row]) {
                if (!record->isSelected())
                    continue;
                ++selected;
                QCOMPARE(QByteArray::fromStdString(record->represented<FolderVisualData>()->path()),
                    expected[qsizetype(row) + 1]);
            }
            QCOMPARE(selected, 1);
        }
        for (const auto &record : c().tableData().back())
            QVERIFY(!record->isSelected());
    }
    QStringList entryNames() { return names(c().directoryItems()); }
    // The file list of a folder: its sub-folders in the walk's order, then its loose files.
    QStringList listOf(const QString &relative) const
    {
        const QString folder = relative.isEmpty() ? m_dir.path() : at(relative);
        return listedNames(folder, true) + listedNames(folder, false);
    }

private Q_SLOTS:
    void initTestCase()
    {
        // root 1150: l1 750 (l2 550 (l3 350 (l4 250))), other 300, loose.bin 100.
        QVERIFY(m_dir.isValid());
        QVERIFY(makeFile(at("l1/a"), 200));
        QVERIFY(makeFile(at("l1/l2/b"), 200));
        QVERIFY(makeFile(at("l1/l2/l3/c"), 100));
        QVERIFY(makeFile(at("l1/l2/l3/l4/d"), 200));
        QVERIFY(makeFile(at("l1/l2/l3/l4/e.bin"), 50));
        QVERIFY(makeFile(at("other/f"), 300));
        QVERIFY(makeFile(at("loose.bin"), 100));
    }

    void init()
    {
        openWindow(QSize(1100, 720));
        runToResult(m_dir.path());
        verifyRows({});
    }
    void cleanup()
    {
        closeWindow();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void eachSelectionOpensTheNextLevelAndListsIt()
    {
        clickSector(0, "l1");
        verifyRows({"l1"});
        QCOMPARE(entryNames(), listOf("l1"));
        clickSector(1, "l2");
        clickSector(2, "l3");
        verifyRows({"l1", "l1/l2", "l1/l2/l3"});
        QCOMPARE(entryNames(), listOf("l1/l2/l3"));
        QVERIFY(!c().wasReduced());

        // A click in row 0 drops every row below it.
        clickSector(0, "other");
        verifyRows({"other"});
        QCOMPARE(entryNames(), QStringList {QStringLiteral("f")});
    }

    void aFolderWithoutSubFoldersGetsASingleFilesRow()
    {
        drillTo({"l1", "l2", "l3", "l4"});
        verifyRows({"l1", "l1/l2", "l1/l2/l3", QStringLiteral("l1/l2/l3/l4")});
        const Sectors &last = c().tableData().back();
        QCOMPARE(last.size(), size_t(1));
        QCOMPARE(last[0]->title(), QStringLiteral("Files"));
        QCOMPARE(last[0]->sectorPercentage(), 1.0f);
        QCOMPARE(last[0]->subtitle(), byteCountText(250));
        QVERIFY(last[0]->isDisabled());
        QCOMPARE(entryNames(), listedNames(at("l1/l2/l3/l4"), false));
    }

    void theFilesSectorCannotBeSelected()
    {
        const auto before = c().directoryItems();
        clickSector(0, "Files");
        verifyRows({});
        QCOMPARE(c().directoryItems(), before);
    }

    void clearingTheSelectionInRowZeroListsTheChosenFolder()
    {
        drillTo({"l1", "l2"});
        clickSector(0, "l1");
        verifyRows({});
        QVERIFY(c().wasReduced());
        for (const auto &record : c().tableData()[0])
            QVERIFY(!record->isSelected());
        // The sub-folders in row 0's order (without "Files"), then the loose files.
        QStringList expected;
        for (const auto &record : c().tableData()[0]) {
            if (!record->isDisabled())
                expected << record->title();
        }
        QCOMPARE(entryNames(), expected + listedNames(m_dir.path(), false));
        const auto l1Entry = c().directoryItems()[size_t(expected.indexOf(QStringLiteral("l1")))];
        QVERIFY(l1Entry->isDir);
        QCOMPARE(l1Entry->size, quint64(750));
        QCOMPARE(l1Entry->count, quint64(9)); // 8 items below it
        QCOMPARE(QByteArray::fromStdString(l1Entry->path), pathOf("l1"));
    }

    void clearingTheSelectionInRowTwoOfFourListsRowTwosFolder()
    {
        drillTo({"l1", "l2", "l3"});
        clickSector(2, "l3");
        verifyRows({"l1", "l1/l2"});
        QCOMPARE(entryNames(), listOf("l1/l2"));
        QVERIFY(c().wasReduced());

        // The next drill-down starts over.
        clickSector(2, "l3");
        QVERIFY(!c().wasReduced());
        verifyRows({"l1", "l1/l2", "l1/l2/l3"});
    }

    // A drill-down and a cleared selection that drops rows both empty the checked entries.
    void everySelectionChangeEmptiesTheCheckedEntriesAndClosesTheRemovalPanel()
    {
        auto *trash = c().findChild<QPushButton *>(QStringLiteral("trashButton"));
        FileListModel *model = c().fileListModel();
        for (const QString &name : {QStringLiteral("l1"), QStringLiteral("l1")}) {
            QVERIFY(model->rowCount() > 0);
            QVERIFY(model->setChecked(0, true));
            QCOMPARE(c().filesToDelete().size(), size_t(1));
            QVERIFY(trash->isEnabled());
            QTRY_COMPARE(c().trashAnimationConstrain(), StorageWindowController::TrashShownOffset);

            clickSector(0, name);
            QVERIFY(c().filesToDelete().empty());
            QVERIFY(model->checkedEntries().empty());
            QVERIFY(!trash->isEnabled());
            QTRY_COMPARE(c().trashAnimationConstrain(), StorageWindowController::TrashHiddenOffset);
        }
    }

    void showInFinderRevealsTheFolderWhoseMenuOpenedLast()
    {
        c().showInFinderFromStack();
        QVERIFY(m_files->calls.isEmpty());
        QVERIFY(!c().urlToOpenInFinder());

        QVERIFY(openContextMenu(box(0, "l1")));
        QCOMPARE(c().urlToOpenInFinder(), pathOf("l1"));
        QVERIFY(openContextMenu(box(0, "other")));
        QVERIFY(m_files->calls.isEmpty());

        QCOMPARE(c().stackedMenu()->actions().size(), 1);
        c().stackedMenu()->actions().first()->trigger();
        QCOMPARE(m_files->calls, (QList<QList<QByteArray>> {{pathOf("other")}}));
        // The remembered folder stays.
        c().showInFinderFromStack();
        QCOMPARE(m_files->calls.size(), 2);

        // The "Files" sector has no menu: what was remembered stays.
        QVERIFY(!openContextMenu(box(0, "Files")));
        QCOMPARE(c().urlToOpenInFinder(), pathOf("other"));
    }

    void updateDataInSectorsSharesOutTheRowsOwnTotal_data()
    {
        QTest::addColumn<QList<quint64>>("sizes");
        QTest::addColumn<QList<float>>("shares");
        QTest::newRow("0 and 0") << QList<quint64> {0, 0} << QList<float> {0.0f, 0.0f};
        QTest::newRow("3 and 1") << QList<quint64> {3, 1} << QList<float> {0.75f, 0.25f};
    }
    void updateDataInSectorsSharesOutTheRowsOwnTotal()
    {
        QFETCH(QList<quint64>, sizes);
        QFETCH(QList<float>, shares);
        Sectors records;
        for (quint64 size : sizes) {
            auto node = std::make_shared<FolderVisualData>();
            node->setSize(size);
            auto record = std::make_shared<DynamicStackedViewSector>();
            record->setRepresentedObject(node);
            record->setSectorPercentage(0.5f);
            records.push_back(record);
        }
        const Sectors result = StorageWindowController::updateDataInSectors(records);
        QCOMPARE(result, records);
        for (qsizetype i = 0; i < sizes.size(); ++i) {
            QCOMPARE(records[size_t(i)]->sectorPercentage(), shares[i]);
            QCOMPARE(records[size_t(i)]->subtitle(), byteCountText(sizes[i]));
        }
    }

    // Rows table.

    void rowCellsShowTheArrowBelowRowZeroAndTheFolderName()
    {
        drillTo({"l1", "l2"});
        QVERIFY(cell(0)->arrow()->isHidden());
        QVERIFY(!cell(1)->arrow()->isHidden());
        QVERIFY(!cell(2)->arrow()->isHidden());
        QCOMPARE(cell(0)->titleField()->text(), QFileInfo(m_dir.path()).fileName());
        QCOMPARE(cell(2)->titleField()->text(), QStringLiteral("l2"));
        for (int row = 0; row < 3; ++row) {
            QCOMPARE(cell(row)->row(), qint64(row));
            QCOMPARE(cell(row)->dynamicView()->sectors(), c().tableData()[size_t(row)]);
        }
        // The selection of a rebuilt row comes back from its records.
        QVERIFY(cell(0)->dynamicView()->boxForSector(sector(0, "l1"))->isSelected());

        c().setTableData({c().tableData()[0]}, {QByteArrayLiteral("/")});
        QCOMPARE(cell(0)->titleField()->text(), QStringLiteral("/"));
    }

    // The last row slides in after a result and after a drill-down, never after a cleared
    // selection, until the next drill-down.
    void onlyTheLastRowSlidesInAndNotAfterAClearedSelection()
    {
        QCOMPARE(cell(0)->topAnimationConstraint(), VisualDataCell::SlideStartTop);
        QVERIFY(cell(0)->isAnimating());
        QTRY_COMPARE(cell(0)->topAnimationConstraint(), VisualDataCell::RestingTop);

        clickSector(0, "l1");
        QVERIFY(!cell(0)->isAnimating());
        QCOMPARE(cell(0)->topAnimationConstraint(), VisualDataCell::RestingTop);
        QVERIFY(cell(1)->isAnimating());
        QTRY_COMPARE(cell(1)->topAnimationConstraint(), VisualDataCell::RestingTop);
        QVERIFY(cell(1)->dynamicView()->geometry().top() > 0);

        // Any later reload slides the last row in again ...
        c().setTableData(c().tableData(), c().pathsData());
        QVERIFY(cell(1)->isAnimating());
        QTRY_VERIFY(!cell(1)->isAnimating());

        clickSector(1, "l2");
        clickSector(1, "l2");
        QCOMPARE(rowsTable()->rowCount(), 2);
        QVERIFY(!cell(0)->isAnimating());
        QVERIFY(!cell(1)->isAnimating());
        // ... but not after a cleared selection.
        c().setTableData(c().tableData(), c().pathsData());
        QVERIFY(!cell(1)->isAnimating());
        QCOMPARE(cell(1)->topAnimationConstraint(), VisualDataCell::RestingTop);
    }

    // The bar that was clicked is rebuilt by its own report: it must live until its handler is done.
    void oldCellsAreDeletedOnlyAfterTheClick()
    {
        QPointer<VisualDataCell> old = cell(0);
        clickSector(0, "l1");
        QVERIFY(cell(0) != old);
        QVERIFY(old);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!old);
    }
};

QTEST_MAIN(TestDrillDown)
#include "tst_drilldown.moc"
