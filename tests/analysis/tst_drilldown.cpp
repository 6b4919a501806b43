// The drill-down through real clicks on the rows table's bars, and "Show in Finder".

#include "ControllerFixture.h"
#include "FolderVisualData.h"
#include "RowsTable.h"

#include <QAccessible>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>

using namespace corvale;
using namespace corvale::test;

class TestDrillDown : public QObject, ControllerWindow
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString at(const QString &relative) const { return m_dir.filePath(relative); }
    QByteArray pathOf(const QString &relative) const { return QFile::encodeName(at(relative)); }
    void drillTo(const QStringList &path)
    {
        for (int row = 0; row < path.size(); ++row)
            clickSector(row, path[row]);
    }
    // Row i+1 shows the folder of the one selected sector of row i; the last row has none.
    void verifyRows(const QStringList &relativePaths)
    {
        QList<QByteArray> expected {QFile::encodeName(m_dir.path())};
        for (const QString &path : relativePaths)
            expected << pathOf(path);
        QCOMPARE(rowPaths(), expected);
        QCOMPARE(child<QTableWidget>("tableView")->rowCount(), int(expected.size()));
        for (size_t row = 0; row < s().rows().size(); ++row) {
            QList<QByteArray> selected;
            for (const auto &record : s().rows()[row].sectors)
                if (record->isSelected())
                    selected << QByteArray::fromStdString(record->represented<FolderVisualData>()->path());
            QCOMPARE(selected, expected.mid(qsizetype(row) + 1, 1));
        }
    }
    QStringList entryNames() { return names(s().directoryItems()); }
    // The file list of a folder: its sub-folders in the walk's order, then its loose files.
    QStringList listOf(const QString &relative) const
    {
        const QString folder = relative.isEmpty() ? m_dir.path() : at(relative);
        return listedNames(folder, true) + listedNames(folder, false);
    }
    // Right-clicks the sector's box and closes the menu it opens; whether a menu opened.
    bool openContextMenu(const QString &title)
    {
        QWidget *target = box(0, title);
        auto closed = std::make_shared<bool>(false);
        QTimer::singleShot(0, qApp, [closed] {
            if (QWidget *popup = QApplication::activePopupWidget())
                *closed = popup->close();
        });
        const QPoint pos = target->rect().center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, target->mapToGlobal(pos));
        QApplication::sendEvent(target, &event);
        QCoreApplication::processEvents();
        return *closed;
    }

private Q_SLOTS:
    void initTestCase()
    {
        // root 1150: l1 750 (l2 550 (l3 350 (l4 250))), other 300, loose.bin 100.
        const std::pair<const char *, int> files[] {{"l1/a", 200}, {"l1/l2/b", 200}, {"l1/l2/l3/c", 100},
            {"l1/l2/l3/l4/d", 250}, {"other/f", 300}, {"loose.bin", 100}};
        for (const auto &[name, size] : files)
            QVERIFY(makeFile(at(name), size));
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
        const auto before = s().directoryItems();
        clickSector(0, "Files"); // cannot be selected
        verifyRows({});
        QCOMPARE(s().directoryItems(), before);

        drillTo({"l1", "l2", "l3"});
        verifyRows({"l1", "l1/l2", "l1/l2/l3"});
        QCOMPARE(entryNames(), listOf("l1/l2/l3"));
        QVERIFY(!s().wasReduced() && cell(0)->arrow()->isHidden() && !cell(1)->arrow()->isHidden());
        QCOMPARE(cell(2)->titleField()->text(), QStringLiteral("l2"));

        clickSector(3, "l4"); // no sub-folders: a single "Files" row
        QCOMPARE(titles(s().rows().back().sectors), QStringList {QStringLiteral("Files")});
        QCOMPARE(s().rows().back().sectors[0]->subtitle(), byteCountText(250));
        QCOMPARE(entryNames(), QStringList {QStringLiteral("d")});

        // The clicked bar's row stays; the rows below it go, deleted only after the click.
        const QPointer<VisualDataCell> top = cell(0), below = cell(1);
        clickSector(0, "other");
        QVERIFY(cell(0) == top && cell(1) != below && below);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!below);
        verifyRows({"other"});
        QCOMPARE(entryNames(), QStringList {QStringLiteral("f")});
    }

    // Clicking the selected sector clears it and lists that row's folder until the next drill-down.
    void clearingTheSelectionListsTheRowsFolder()
    {
        drillTo({"l1", "l2", "l3"});
        clickSector(2, "l3");
        verifyRows({"l1", "l1/l2"});
        QCOMPARE(entryNames(), listOf("l1/l2"));
        QVERIFY(s().wasReduced());
        clickSector(2, "l3");
        QVERIFY(!s().wasReduced());

        clickSector(0, "l1");
        verifyRows({});
        QCOMPARE(entryNames(), listOf(QString()));
        const auto l1 = s().directoryItems()[size_t(entryNames().indexOf(QStringLiteral("l1")))];
        // Its count holds itself and the 7 items below it.
        QCOMPARE(std::tuple(l1->isDir, l1->size, l1->count), std::tuple(true, quint64(750), quint64(8)));
    }

    // A drill-down and a cleared selection both empty the checked entries and close the panel.
    void everySelectionChangeEmptiesTheCheckedEntries()
    {
        for (int i = 0; i < 2; ++i) {
            QVERIFY(s().fileListModel()->setChecked(0, true));
            QTRY_VERIFY(panelShown());
            clickSector(0, "l1");
            QVERIFY(s().filesToDelete().empty() && s().fileListModel()->checkedEntries().empty());
            QVERIFY(!child("trashButton")->isEnabled() && panelHidden());
        }
    }

    // Reveals the folder whose menu opened last; the "Files" sector has none and leaves it.
    void showInFinderRevealsTheFolderWhoseMenuOpenedLast()
    {
        c().showInFinderFromStack();
        QVERIFY(m_files->calls.isEmpty());
        QVERIFY(openContextMenu("l1") && openContextMenu("other") && !openContextMenu("Files"));
        QVERIFY(m_files->calls.isEmpty());
        c().showInFinderAction()->trigger();
        c().showInFinderFromStack();
        QCOMPARE(m_files->calls, (QList<QList<QByteArray>> {{pathOf("other")}, {pathOf("other")}}));
    }

    // Only the last row slides in, after a result and after a drill-down, never after a cleared
    // selection.
    void onlyTheLastRowSlidesInAndNotAfterAClearedSelection()
    {
        QCOMPARE(cell(0)->topAnimationConstraint(), VisualDataCell::SlideStartTop);
        QTRY_COMPARE(cell(0)->topAnimationConstraint(), VisualDataCell::RestingTop);
        clickSector(0, "l1");
        QVERIFY(!cell(0)->isAnimating() && cell(1)->isAnimating());
        QTRY_VERIFY(!cell(1)->isAnimating());
        clickSector(1, "l2");
        clickSector(1, "l2");
        QVERIFY(!cell(1)->isAnimating() && cell(1)->topAnimationConstraint() == VisualDataCell::RestingTop);
    }

    // Up and Down move between the rows' bars, each keeping its own focused sector (the selected
    // one); Backspace or Alt+Up on a bar with nothing selected goes up a level. The table itself
    // takes no focus from a click beside a bar, and paints its scroll bar (once black).
    void theKeyboardMovesBetweenRowsAndUpALevel()
    {
        c().resize(1000, 420);
        activate();
        drillTo({"l1", "l2", "l3"});
        auto *rows = child<RowsTable>("tableView");
        QScrollBar *scroll = rows->verticalScrollBar();
        QTRY_VERIFY(scroll->isVisible());
        const QPoint groove
            = scroll->mapTo(m_controller.get(), QPoint(scroll->width() / 2, scroll->height() - 30));
        QVERIFY(qGray(c().grab().toImage().pixel(groove)) > 128);

        QTest::mouseClick(cell(3)->titleField(), Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), rows->bar(2));
        const auto focusedRow = [&] { return rows->rowOf(QApplication::focusWidget()); };
        const std::pair<Qt::Key, int> moves[] {{Qt::Key_Down, 3}, {Qt::Key_Down, 3}, {Qt::Key_Up, 2},
            {Qt::Key_Up, 1}, {Qt::Key_Up, 0}, {Qt::Key_Up, 0}};
        for (const auto &[key, row] : moves) {
            press(key);
            QCOMPARE(focusedRow(), row);
        }
        QCOMPARE(rows->rowViewportPosition(0), 0);
        QCOMPARE(rows->bar(1)->focusedBox()->sector()->title(), QStringLiteral("l2"));

        for (int i = 0; i < 3; ++i)
            press(Qt::Key_Down);
        press(Qt::Key_Backspace);
        settle();
        verifyRows({"l1", "l1/l2"});
        QCOMPARE(entryNames(), listOf("l1/l2"));
        QCOMPARE(focusedRow(), 2);
        QCOMPARE(rows->bar(2)->focusedBox()->sector()->title(), QStringLiteral("l3"));
        press(Qt::Key_Up, Qt::AltModifier);
        verifyRows({"l1"});
        QCOMPARE(focusedRow(), 1);
        press(Qt::Key_Backspace);
        press(Qt::Key_Backspace); // nothing above row 0
        verifyRows({});
        QCOMPARE(focusedRow(), 0);
        QVERIFY(!rows->hasFocus());
    }

    // A screen reader sees the rows as a list of items named by their folders, each holding its bar.
    void aScreenReaderSeesEachRowByItsFolder()
    {
        drillTo({"l1", "l2"});
        QAccessibleInterface *list = QAccessible::queryAccessibleInterface(child("tableView"));
        QCOMPARE(std::tuple(list->role(), list->childCount()), std::tuple(QAccessible::List, 3));
        QStringList names;
        for (int i = 0; i < list->childCount(); ++i) {
            // Up and down the same tree, as the AT-SPI bridge walks it both ways.
            QAccessibleInterface *row = list->child(i);
            QAccessibleInterface *bar = row->child(0);
            QVERIFY(row->role() == QAccessible::ListItem && row->childCount() == 1);
            QVERIFY(row->parent()->object() == list->object() && list->indexOfChild(row) == i);
            QVERIFY(bar->object() == cell(i)->dynamicView() && bar->parent()->object() == row->object());
            QCOMPARE(bar->text(QAccessible::Name), row->text(QAccessible::Name));
            names << row->text(QAccessible::Name);
        }
        QCOMPARE(names, (QStringList {QFileInfo(m_dir.path()).fileName(), "l1", "l2"}));
        QCOMPARE(list->child(0)->child(0)->child(0)->text(QAccessible::Name), QStringLiteral("l1"));
    }
};

QTEST_MAIN(TestDrillDown)
#include "tst_drilldown.moc"
