// The file list as the analysis window drives it: marks, the removal selection and its panel,
// sorting that carries over, the reveal, and system rows.

#include "ControllerFixture.h"
#include "SystemEntry.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>

using namespace corvale;
using namespace corvale::test;

class TestFileListController : public QObject, ControllerWindow
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::vector<Entry> m_entries;
    std::unique_ptr<QSignalSpy> m_rebuilds;

    QPushButton *trashButton() { return child<QPushButton>("trashButton"); }
    QByteArray folder() const { return QFile::encodeName(m_dir.path()); }
    // Opens the context menu at `pos` of the table; whether a menu came up (it is closed again).
    bool contextMenuAt(const FileTable &t, QPoint pos)
    {
        bool opened = false;
        QTimer::singleShot(0, qApp, [&] {
            if (QWidget *popup = QApplication::activePopupWidget()) {
                opened = true;
                popup->close();
            }
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, t.table->viewport()->mapToGlobal(pos));
        QApplication::sendEvent(t.table->viewport(), &event);
        QCoreApplication::processEvents();
        return opened;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        makeFolder(folder() + "/photos");
        for (const char *name : {"1.jpg", "2.jpg"})
            makeFile(folder() + "/photos/" + name, 2500);
        for (int i = 0; i < 10; ++i)
            makeFile(folder() + "/many" + QByteArray::number(i), 1000 * (i + 1));
    }

    void init()
    {
        openWindow();
        // Every change of the model below is checked for consistency as it happens.
        new QAbstractItemModelTester(
            c().fileListModel(), QAbstractItemModelTester::FailureReportingMode::QtTest, m_controller.get());
        c().openFolder(folder());
        QTRY_VERIFY(child("fileTableView")->isVisible());

        // Given in an order no sort gives: by name a b c d, by size a d b c.
        m_entries = {
            fileEntry(makeFile(folder() + "/b.txt", 100)),
            fileEntry(makeFile(folder() + "/a.txt", 9)),
            fileEntry(makeFile(folder() + "/c.txt", 2000)),
            fileEntry(makeFile(folder() + "/d.txt", 10)),
            folderEntry(folder() + "/photos", 5000, 2),
        };
        // System locations, listed as they would be; nothing here touches them.
        for (const char *path : {"/usr/bin/corvale-env", "/etc/corvale-hostname"}) {
            auto entry = std::make_shared<FolderAttributes>(*m_entries[1]);
            entry->path = path;
            entry->name = QByteArray(path).mid(QByteArray(path).lastIndexOf('/') + 1).toStdString();
            m_entries.push_back(entry);
        }
        c().setDirectoryItems(m_entries);
        m_rebuilds = std::make_unique<QSignalSpy>(
            m_controller.get(), &StorageWindowController::filesToDeleteChanged);
    }

    void cleanup()
    {
        m_rebuilds.reset();
        closeWindow();
    }

    void systemEntries_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<bool>("system");
        QTest::newRow("/System") << QByteArray("/System/Applications") << true;
        QTest::newRow("a name that merely begins like one") << QByteArray("/SystemBackup") << true;
        QTest::newRow("/usr") << QByteArray("/usr/share/doc") << true;
        QTest::newRow("/etc itself") << QByteArray("/etc") << true;
        QTest::newRow("case matters") << QByteArray("/system/x") << false;
        QTest::newRow("not at the start") << QByteArray("/home/u/Library/x") << false;
        QTest::newRow("home") << QByteArray("/home/u/usr") << false;
        QTest::newRow("relative") << QByteArray("usr/x") << false;
    }
    void systemEntries()
    {
        QFETCH(QByteArray, path);
        QFETCH(bool, system);
        QCOMPARE(isSystemEntry(path), system);
    }

    void clicksCheckAndUncheckWithOneRebuildEach_data()
    {
        QTest::addColumn<bool>("onCheckBox");
        QTest::newRow("on the row") << false;
        QTest::newRow("on the checkbox") << true;
    }
    void clicksCheckAndUncheckWithOneRebuildEach()
    {
        QFETCH(bool, onCheckBox);
        const FileTable t = table();
        auto click = [&](int row) { onCheckBox ? t.clickCheckBox(row) : t.clickRow(row); };
        QVERIFY(!trashButton()->isEnabled());

        click(3);
        QCOMPARE(c().filesToDelete(), std::vector<Entry> {m_entries[3]});
        QCOMPARE(m_rebuilds->count(), 1);
        QVERIFY(trashButton()->isEnabled());
        QTRY_VERIFY(panelShown());
        QVERIFY(child("deleteView")->isVisible());

        // Rebuilt in row order, whatever the order of the clicks.
        click(1);
        QCOMPARE(c().filesToDelete(), (std::vector<Entry> {m_entries[1], m_entries[3]}));
        QCOMPARE(m_rebuilds->count(), 2);

        click(3);
        QCOMPARE(c().filesToDelete(), std::vector<Entry> {m_entries[1]});
        click(1);
        QVERIFY(c().filesToDelete().empty());
        QCOMPARE(m_rebuilds->count(), 4);
        // The last mark gone: disabled and out of sight at once, without a slide.
        QVERIFY(!trashButton()->isEnabled());
        QVERIFY(panelHidden());
        QVERIFY(!child("deleteView")->isVisible());

        QVERIFY(!t.table->selectionModel()->hasSelection());
        QVERIFY(t.model()->checkedEntries().empty());

        // Two clicks in quick succession are two clicks, delivered through the window as the
        // system does: press, release, double click, release.
        QTest::mouseDClick(t.table->window()->windowHandle(), Qt::LeftButton, {},
            t.table->viewport()->mapTo(t.table->window(), t.checkBoxOf(3)));
        QVERIFY(c().filesToDelete().empty());
        QCOMPARE(m_rebuilds->count(), 6);
    }

    void systemRowsRefuseEveryClick()
    {
        const FileTable t = table();
        for (const int row : {5, 6}) {
            const QModelIndex name = t.model()->index(row, FileListModel::NameColumn);
            QCOMPARE(name.data(Qt::ToolTipRole).toString(), QStringLiteral("System file"));
            QVERIFY(!(name.flags() & Qt::ItemIsUserCheckable));
            t.clickRow(row);
            t.clickCheckBox(row);
            QVERIFY(!t.model()->setData(name, Qt::Checked, Qt::CheckStateRole));
            QVERIFY(!t.model()->setChecked(row, true));
            QVERIFY(!c().tableViewShouldSelectRow(row));
            QCOMPARE(name.data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        }
        QCOMPARE(m_rebuilds->count(), 0);
        QVERIFY(c().filesToDelete().empty());
        QVERIFY(!trashButton()->isEnabled());
        QVERIFY(panelHidden());
        // An ordinary row has no tooltip.
        QVERIFY(t.model()->index(0, 0).data(Qt::ToolTipRole).isNull());
        // A press below the last row is no row at all.
        const int bottom = t.table->rowViewportPosition(6) + t.table->rowHeight(6);
        QVERIFY(t.table->viewport()->height() > bottom + 10);
        QVERIFY(!t.table->extendedDelegate());
        t.click(QPoint(40, bottom + 5));
        QCOMPARE(m_rebuilds->count(), 0);
    }

    void thePanelShowsSevenIconsAndTheTotalOfAll_data()
    {
        QTest::addColumn<int>("checked");
        QTest::newRow("one") << 1;
        QTest::newRow("seven") << 7;
        QTest::newRow("eight") << 8;
    }
    void thePanelShowsSevenIconsAndTheTotalOfAll()
    {
        QFETCH(int, checked);
        std::vector<Entry> many;
        for (int i = 0; i < 10; ++i)
            many.push_back(fileEntry(folder() + "/many" + QByteArray::number(i)));
        c().setDirectoryItems(many);
        quint64 total = 0;
        for (int row = 0; row < checked; ++row) {
            table().clickRow(row);
            total += many[size_t(row)]->size;
        }
        QCOMPARE(c().filesToDelete().size(), size_t(checked));
        QTRY_VERIFY(panelShown());

        QLabel *totalLabel = child<QLabel>("trashTotal");
        QCOMPARE(totalLabel->text(), byteCountText(total));
        QCOMPARE(total, quint64(500 * checked * (checked + 1)));
        const int filled = std::min(checked, StorageWindowController::TrashSlots);
        QLabel *last = nullptr;
        for (int slot = 1; slot <= StorageWindowController::TrashSlots; ++slot) {
            auto *icon = child<QLabel>(qPrintable(QStringLiteral("file%1").arg(slot)));
            QCOMPARE(icon->isVisible(), slot <= filled);
            if (slot <= filled) {
                QVERIFY(!icon->pixmap().isNull());
                QCOMPARE(icon->toolTip(), QStringLiteral("many%1").arg(slot - 1));
                last = icon;
            }
        }
        // The total follows the last filled slot, within the panel.
        QVERIFY(totalLabel->isVisible());
        QVERIFY(totalLabel->geometry().left() > last->geometry().right());
        QVERIFY(totalLabel->geometry().left() < last->geometry().right() + 30);
        QVERIFY(child("deleteView")->rect().contains(totalLabel->geometry()));
    }

    void aReSortKeepsTheMarksAndTheOrderCarriesOver()
    {
        const FileTable t = table();
        t.clickRow(0); // b.txt
        t.clickRow(2); // c.txt
        QHeaderView *header = t.table->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(FileListModel::SizeColumn) + 10, header->height() / 2));
        QCOMPARE(t.table->sortColumn(), int(FileListModel::SizeColumn));
        const bool ascending = t.table->sortOrder() == Qt::AscendingOrder;
        // By the number (as text "10 bytes" would come before "9 bytes"); equal sizes keep their
        // order.
        QStringList bySize {"a.txt", "corvale-env", "corvale-hostname", "d.txt", "b.txt", "c.txt", "photos"};
        if (!ascending)
            bySize = QStringList {
                "photos", "c.txt", "b.txt", "d.txt", "a.txt", "corvale-env", "corvale-hostname"};
        QCOMPARE(names(c().directoryItems()), bySize);

        // Still checked where they went; the selection changes only with the next mark.
        for (int row = 0; row < t.model()->rowCount(); ++row) {
            const Entry entry = t.model()->entry(row);
            QCOMPARE(t.model()->isChecked(row), entry == m_entries[0] || entry == m_entries[2]);
        }
        QCOMPARE(m_rebuilds->count(), 2);
        t.clickRow(t.model()->rowOf(m_entries[3])); // d.txt
        const std::vector<Entry> inRowOrder = ascending
            ? std::vector<Entry> {m_entries[3], m_entries[0], m_entries[2]}
            : std::vector<Entry> {m_entries[2], m_entries[0], m_entries[3]};
        QCOMPARE(c().filesToDelete(), inRowOrder);

        // The next folder comes in the order chosen here.
        std::vector<Entry> next;
        for (int i : {4, 0, 9, 2})
            next.push_back(fileEntry(folder() + "/many" + QByteArray::number(i)));
        c().setDirectoryItems(next);
        const QStringList nextBySize {"many0", "many2", "many4", "many9"};
        QStringList shown = names(c().directoryItems());
        if (!ascending)
            std::reverse(shown.begin(), shown.end());
        QCOMPARE(shown, nextBySize);
        QCOMPARE(t.model()->items(), c().directoryItems());
    }

    void aCheckedRowOutOfSightStaysInTheSelection()
    {
        std::vector<Entry> many;
        for (int i = 0; i < 400; ++i) {
            auto entry = std::make_shared<FolderAttributes>(*m_entries[0]);
            entry->name = "row" + std::to_string(i);
            entry->path = folder().toStdString() + "/" + entry->name;
            many.push_back(entry);
        }
        c().setDirectoryItems(many);
        const FileTable t = table();
        t.clickRow(1);
        t.table->scrollToBottom();
        QTRY_COMPARE(t.table->rowAt(t.table->viewport()->height() - 3), 399);
        QVERIFY(t.table->rowAt(0) > 1);
        t.clickCheckBox(398);
        QCOMPARE(c().filesToDelete(), (std::vector<Entry> {many[1], many[398]}));
        t.clickRow(397);
        t.clickRow(397);
        QCOMPARE(c().filesToDelete(), (std::vector<Entry> {many[1], many[398]}));

        // A reload with new records for the same items keeps the marks of the selection.
        std::vector<Entry> again;
        for (const Entry &entry : many)
            again.push_back(std::make_shared<FolderAttributes>(*entry));
        c().setDirectoryItems(again);
        QVERIFY(t.model()->isChecked(1));
        QVERIFY(t.model()->isChecked(398));
        QCOMPARE(t.model()->checkedEntries().size(), size_t(2));
    }

    void theRevealFollowsTheLastContextMenu()
    {
        // Before any menu: nothing.
        c().showInFinder();
        QVERIFY(m_files->calls.isEmpty());

        const FileTable t = table();
        QMenu *menu = c().fileTableMenu();
        bool chosen = false;
        // The menu runs its own loop: choose its reveal entry from inside, by keyboard.
        auto choose = [&] {
            QVERIFY(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == menu; }));
            QCOMPARE(menu->actions().size(), 1);
            QTest::keyClick(menu, Qt::Key_Down);
            QTest::keyClick(menu, Qt::Key_Return);
            chosen = true;
        };
        for (const int row : {2, 4}) {
            chosen = false;
            QTimer::singleShot(0, menu, choose);
            const QPoint pos = t.cell(row, FileListModel::NameColumn).center();
            QContextMenuEvent event(QContextMenuEvent::Mouse, pos, t.table->viewport()->mapToGlobal(pos));
            QApplication::sendEvent(t.table->viewport(), &event);
            QVERIFY(chosen);
        }
        QCOMPARE(m_files->calls,
            (QList<QList<QByteArray>> {{QByteArray::fromStdString(m_entries[2]->path)},
                {QByteArray::fromStdString(m_entries[4]->path)}}));
        QCOMPARE(m_rebuilds->count(), 0);

        // Below the rows: no menu, and the last row's path stays.
        QVERIFY(!contextMenuAt(t, QPoint(20, t.table->viewport()->height() - 2)));
        c().showInFinder();
        QCOMPARE(m_files->calls.last(), QList<QByteArray> {QByteArray::fromStdString(m_entries[4]->path)});
    }

    void checkBoxesAreDrawnAsTheyAre()
    {
        const FileTable t = table();
        auto boxImage = [&](int row) {
            const QRect cell = t.cell(row, FileListModel::NameColumn);
            const QRect box
                = CheckmarkTableCell::layout(cell, t.table->layoutDirection(), t.table->style(), t.table)
                      .checkBox;
            return t.table->viewport()->grab(box).toImage();
        };
        // Even rows only: odd ones may have another background.
        const QImage unchecked = boxImage(0);
        QCOMPARE(boxImage(2), unchecked);
        t.clickRow(0);
        QTRY_VERIFY(boxImage(0) != unchecked);
        QVERIFY(boxImage(6) != unchecked); // a system row's, disabled
        QVERIFY(boxImage(6) != boxImage(0));
    }

    void namesSortNaturally()
    {
        const QStringList given {
            "file10", "File1", "x9y", "007", "é2", "file2", "xay", "Zed", "7", "1", "É10"};
        std::vector<Entry> next;
        for (const QString &name : given) {
            auto entry = std::make_shared<FolderAttributes>(*m_entries[0]);
            entry->name = name.toStdString();
            next.push_back(entry);
        }
        // No column chosen: the order given is kept.
        c().setDirectoryItems(next);
        QCOMPARE(names(c().directoryItems()), given);

        // Digits by value (leading zeros aside, equal values keep their order), case ignored,
        // digits before letters as in plain text.
        const FileTable t = table();
        t.table->sortByColumn(FileListModel::NameColumn, Qt::AscendingOrder);
        QCOMPARE(names(t.model()->items()),
            (QStringList {"1", "007", "7", "File1", "file2", "file10", "x9y", "xay", "Zed", "é2", "É10"}));
        t.table->sortByColumn(FileListModel::NameColumn, Qt::DescendingOrder);
        QCOMPARE(names(t.model()->items()).first(), QStringLiteral("É10"));
        QCOMPARE(names(t.model()->items()).last(), QStringLiteral("1"));
    }

    // Names that are not UTF-8 keep their bytes, so the entry still names the file.
    void namesThatAreNotUtf8KeepTheirBytes()
    {
        const QByteArray path = makeFile(folder() + "/caf\xe9.txt", 5);
        c().setDirectoryItems({fileEntry(path)});
        const QModelIndex name = table().model()->index(0, FileListModel::NameColumn);
        QCOMPARE(name.data(FileListModel::PathRole).toByteArray(), path);
        QVERIFY(!name.data().toString().isEmpty());
        QVERIFY(!name.data(Qt::DecorationRole).value<QIcon>().isNull());
        QVERIFY(::unlink(path.constData()) == 0);
    }

    void thePanelSlidesInAndLeavesAtOnce()
    {
        auto *slide = c().findChild<QPropertyAnimation *>();
        QVERIFY(slide);
        QElapsedTimer clock;
        clock.start();
        c().showTrash();
        QVERIFY(panelHidden() || c().trashAnimationConstrain() < StorageWindowController::TrashShownOffset);
        QTRY_VERIFY(panelShown());
        QVERIFY(clock.elapsed() >= 150);
        // Within the file list's area, at its place, also when the window changes size.
        QWidget *area = child("fileArea");
        QWidget *panel = child("deleteView");
        QCOMPARE(panel->geometry().bottom() + 1, area->height() - StorageWindowController::TrashShownOffset);
        QVERIFY(area->rect().contains(panel->geometry()));
        c().resize(900, 600);
        QTRY_COMPARE(
            panel->geometry().bottom() + 1, area->height() - StorageWindowController::TrashShownOffset);
        // Shown again: no new slide.
        c().showTrash();
        QCOMPARE(slide->state(), QAbstractAnimation::Stopped);

        c().hideTrash();
        QVERIFY(panelHidden());
        c().showTrash();
        QTest::qWait(50);
        c().hideTrash();
        QVERIFY(panelHidden());
        QCOMPARE(slide->state(), QAbstractAnimation::Stopped);
        QTest::qWait(250);
        QVERIFY(panelHidden());
        QVERIFY(!panel->isVisible());
        QVERIFY(!area->rect().intersects(panel->geometry()));
    }
};

QTEST_MAIN(TestFileListController)
#include "tst_filelistcontroller.moc"
