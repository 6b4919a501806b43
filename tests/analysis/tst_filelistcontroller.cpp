// The file list as the analysis window drives it: marks and the removal panel, sorting that
// carries over, the reveal, and system rows.

#include "ControllerFixture.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QWindow>

using namespace corvale;
using namespace corvale::test;

class TestFileListController : public QObject, ControllerWindow
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::vector<Entry> m_entries;
    std::unique_ptr<QSignalSpy> m_rebuilds;

    QPushButton *trashButton() { return child<QPushButton>("trashButton"); }
    QByteArray folder() const { return QFile::encodeName(m_dir.path()); }
    // Copies of the first entry under other names.
    std::vector<Entry> named(const QStringList &names)
    {
        std::vector<Entry> result;
        for (const QString &name : names) {
            result.push_back(std::make_shared<FolderAttributes>(*m_entries[0]));
            result.back()->name = name.toStdString();
            result.back()->path = folder().toStdString() + "/" + result.back()->name;
        }
        return result;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        makeFolder(folder() + "/photos");
        for (int i = 0; i < 10; ++i)
            makeFile(folder() + "/many" + QByteArray::number(i), 1000 * (i + 1));
    }

    void init()
    {
        openWindow();
        // Every change of the model below is checked for consistency as it happens.
        new QAbstractItemModelTester(
            s().fileListModel(), QAbstractItemModelTester::FailureReportingMode::QtTest, m_controller.get());
        c().openFolder(folder());
        settle();
        // Given in an order no sort gives: by name a b c d, by size a d b c; then two system rows.
        m_entries = {fileEntry(makeFile(folder() + "/b.txt", 100)),
            fileEntry(makeFile(folder() + "/a.txt", 9)), fileEntry(makeFile(folder() + "/c.txt", 2000)),
            fileEntry(makeFile(folder() + "/d.txt", 10)), fileEntry(folder() + "/photos")};
        m_entries[4]->isDir = true;
        m_entries[4]->size = 5000;
        for (const std::string path : {"/usr/bin/corvale-env", "/etc/corvale-hostname"}) {
            m_entries.push_back(std::make_shared<FolderAttributes>(*m_entries[1]));
            m_entries.back()->path = path;
            m_entries.back()->name = path.substr(path.rfind('/') + 1);
        }
        s().fileListModel()->setItems(m_entries);
        m_rebuilds = std::make_unique<QSignalSpy>(&s(), &AnalysisSession::filesToDeleteChanged);
    }

    void cleanup()
    {
        m_rebuilds.reset();
        closeWindow();
    }

    void clicksCheckAndUncheckWithOneRebuildEach_data()
    {
        QTest::addColumn<bool>("onCheckBox");
        QTest::newRow("on the row") << false;
        QTest::newRow("on the checkbox") << true;
    }
    // A click on a row or its checkbox toggles its mark, each with one rebuild of the checked
    // entries in row order; the panel follows.
    void clicksCheckAndUncheckWithOneRebuildEach()
    {
        QFETCH(bool, onCheckBox);
        const FileTable t = table();
        auto click = [&](int row) { onCheckBox ? t.clickCheckBox(row) : t.clickRow(row); };
        click(3);
        QCOMPARE(s().filesToDelete(), std::vector<Entry> {m_entries[3]});
        QCOMPARE(std::tuple(m_rebuilds->count(), trashButton()->isEnabled()), std::tuple(1, true));
        QTRY_VERIFY(panelShown());
        click(1); // rebuilt in row order, whatever the order of the clicks
        QCOMPARE(s().filesToDelete(), (std::vector<Entry> {m_entries[1], m_entries[3]}));
        click(3);
        QCOMPARE(s().filesToDelete(), std::vector<Entry> {m_entries[1]});
        click(1);
        // Nor do a system row and a press below the last row check anything.
        click(5);
        const int bottom = t.table->rowViewportPosition(6) + t.table->rowHeight(6);
        QVERIFY(t.table->viewport()->height() > bottom + 10);
        t.click(QPoint(40, bottom + 5));
        QVERIFY(s().filesToDelete().empty() && t.model()->checkedEntries().empty());
        QCOMPARE(m_rebuilds->count(), 4);
        // The last mark gone: disabled and out of sight at once, without a slide.
        QVERIFY(!trashButton()->isEnabled() && panelHidden() && !child("deleteView")->isVisible());
        QVERIFY(!t.table->selectionModel()->hasSelection());
        // Two quick clicks are two clicks, delivered through the window as the system does.
        QTest::mouseDClick(t.table->window()->windowHandle(), Qt::LeftButton, {},
            t.table->viewport()->mapTo(t.table->window(), t.checkBoxOf(3)));
        QCOMPARE(std::tuple(s().filesToDelete().empty(), m_rebuilds->count()), std::tuple(true, 6));
    }

    // Up, Down, Home and End move the current row, ringed while the list has the keyboard's focus;
    // Space checks it, Delete asks to move the checked entries as the button does, and Ctrl+Tab
    // leaves. A screen reader reads the marks.
    void theKeyboardWorksTheList()
    {
        activate();
        const FileTable t = table();
        const auto ringed = [&](int row) {
            const QColor at
                = t.table->viewport()->grab().toImage().pixelColor(1, t.cell(row, 0).center().y());
            const QColor ring = t.table->palette().color(QPalette::Highlight);
            return qAbs(at.red() - ring.red()) + qAbs(at.green() - ring.green())
                + qAbs(at.blue() - ring.blue())
                < 90;
        };
        t.table->setFocus(Qt::TabFocusReason);
        QVERIFY(ringed(0) && !ringed(1));
        // Space on the last row, a system one, checks nothing.
        const std::pair<Qt::Key, int> moves[] {{Qt::Key_Down, 1}, {Qt::Key_Down, 2}, {Qt::Key_Right, 2},
            {Qt::Key_End, 6}, {Qt::Key_Space, 6}, {Qt::Key_Home, 0}, {Qt::Key_Space, 0}};
        for (const auto &[key, row] : moves) {
            press(key);
            QCOMPARE(t.table->currentIndex(), t.model()->index(row, FileListModel::NameColumn));
        }
        QCOMPARE(s().filesToDelete(), std::vector<Entry> {m_entries[0]});
        QVERIFY(ringed(0));
        t.clickRow(1); // a click moves the row, without the ring
        QVERIFY(!ringed(0) && !ringed(1));
        QCOMPARE(s().filesToDelete(), (std::vector<Entry> {m_entries[0], m_entries[1]}));
        QAccessibleTableInterface *cells = QAccessible::queryAccessibleInterface(t.table)->tableInterface();
        QStringList heard;
        for (const int row : {0, 2, 5}) {
            QAccessibleInterface *name = cells->cellAt(row, FileListModel::NameColumn);
            heard << name->text(QAccessible::Name) + (name->state().checkable ? " checkable" : "")
                    + (name->state().checked ? " checked" : "") + " " + name->text(QAccessible::Description);
        }
        QCOMPARE(heard,
            (QStringList {
                "b.txt checkable checked ", "c.txt checkable Not checked", "corvale-env System file"}));

        s().setFilesToDelete({m_entries[5], m_entries[0]});
        press(Qt::Key_Delete); // the system warning, answered Cancel
        QCOMPARE(m_alerts->shown.size(), size_t(1));
        QVERIFY(QFile::exists(QFile::decodeName(QByteArray::fromStdString(m_entries[0]->path))));
        QTRY_VERIFY(panelShown());
        press(Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), trashButton());
    }

    // Up to seven checked entries show as icons, named for a screen reader too, followed by the
    // total of all of them.
    void thePanelShowsSevenIconsAndTheTotalOfAll()
    {
        std::vector<Entry> entries;
        for (int i = 0; i < 10; ++i)
            entries.push_back(fileEntry(folder() + "/many" + QByteArray::number(i)));
        s().fileListModel()->setItems(entries);
        for (const int checked : {1, 8}) {
            while (int(s().filesToDelete().size()) < checked)
                table().clickRow(int(s().filesToDelete().size()));
            QTRY_VERIFY(panelShown());
            QLabel *total = child<QLabel>("trashTotal"), *last = nullptr;
            QCOMPARE(total->text(), byteCountText(quint64(500 * checked * (checked + 1))));
            QCOMPARE(QAccessible::queryAccessibleInterface(total)->text(QAccessible::Name),
                QStringLiteral("Checked for the Trash: ") + total->text());
            QStringList icons, expected;
            for (int slot = 1; slot <= RemovalPanel::Slots; ++slot) {
                auto *icon = child<QLabel>(qPrintable(QStringLiteral("file%1").arg(slot)));
                if (icon->isVisible())
                    icons << (icon->pixmap().isNull() ? QStringLiteral("no picture")
                                                      : icon->toolTip() + '/'
                                + QAccessible::queryAccessibleInterface(icon)->text(QAccessible::Name));
                last = icon->isVisible() ? icon : last;
                expected << QStringLiteral("many%1/many%1").arg(slot - 1);
            }
            QCOMPARE(icons, expected.mid(0, checked));
            // The total follows the last filled slot, within the panel.
            const int gap = total->geometry().left() - last->geometry().right();
            QVERIFY(gap > 0 && gap < 30 && child("deleteView")->rect().contains(total->geometry()));
        }
    }

    // A first click on Size sorts the largest first, by the number (as text "10 bytes" would come
    // before "9 bytes"), equal sizes in their order; the marks go with their entries, and the next
    // list comes in the order chosen here.
    void aSortKeepsTheMarksAndTheOrderCarriesOver()
    {
        const FileTable t = table();
        t.clickRow(0); // b.txt
        t.clickRow(2); // c.txt
        QHeaderView *header = t.table->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
            QPoint(header->sectionViewportPosition(FileListModel::SizeColumn) + 10, header->height() / 2));
        QCOMPARE(names(s().directoryItems()),
            (QStringList {"photos", "c.txt", "b.txt", "d.txt", "a.txt", "corvale-env", "corvale-hostname"}));
        QCOMPARE(t.model()->checkedEntries(), (std::vector<Entry> {m_entries[2], m_entries[0]}));
        QCOMPARE(m_rebuilds->count(), 2); // the selection changes only with the next mark
        t.clickRow(t.model()->rowOf(m_entries[3])); // d.txt
        QCOMPARE(s().filesToDelete(), (std::vector<Entry> {m_entries[2], m_entries[0], m_entries[3]}));
        c().updateFolder();
        settle();
        const auto listed = s().directoryItems();
        QCOMPARE(listed.size(), size_t(15));
        for (size_t i = 1; i < listed.size(); ++i)
            QVERIFY(listed[i - 1]->size >= listed[i]->size);
    }

    void aCheckedRowOutOfSightStaysInTheSelection()
    {
        QStringList rows;
        for (int i = 0; i < 400; ++i)
            rows << QStringLiteral("row%1").arg(i);
        const std::vector<Entry> entries = named(rows);
        s().fileListModel()->setItems(entries);
        const FileTable t = table();
        t.clickRow(1);
        t.table->scrollToBottom();
        QTRY_COMPARE(t.table->rowAt(t.table->viewport()->height() - 3), 399);
        QVERIFY(t.table->rowAt(0) > 1);
        t.clickCheckBox(398);
        QCOMPARE(s().filesToDelete(), (std::vector<Entry> {entries[1], entries[398]}));
        t.clickRow(397);
        t.clickRow(397);
        QCOMPARE(s().filesToDelete(), (std::vector<Entry> {entries[1], entries[398]}));
    }

    void theRevealFollowsTheLastContextMenu()
    {
        c().showInFinder(); // before any menu: nothing
        QVERIFY(m_files->calls.isEmpty());
        activate();
        const FileTable t = table();
        const QString reveal = QStringLiteral("Show in File Manager");
        QVERIFY(
            !menuAt(t.table->viewport(), t.cell(2, FileListModel::NameColumn).center(), reveal).isEmpty());
        // The keyboard's ways open the current row's menu.
        t.table->setFocus();
        t.table->setCurrentIndex(t.model()->index(4, 0));
        QVERIFY(!menu([] { press(Qt::Key_Menu); }, reveal).isEmpty());
        QVERIFY(!menu([] { press(Qt::Key_F10, Qt::ShiftModifier); }, reveal).isEmpty());
        const auto path
            = [&](int i) { return QList<QByteArray> {QByteArray::fromStdString(m_entries[i]->path)}; };
        QCOMPARE(m_files->calls, (QList<QList<QByteArray>> {path(2), path(4), path(4)}));
        QCOMPARE(m_rebuilds->count(), 0);
        // Below the rows: no menu, and the last row's path stays.
        QVERIFY(menuAt(t.table->viewport(), QPoint(20, t.table->viewport()->height() - 2)).isEmpty());
        c().showInFinder();
        QCOMPARE(m_files->calls.last(), path(4));
    }

    void namesSortNaturallyAndKeepTheirBytes()
    {
        // No column chosen: the order given is kept.
        const QStringList given {
            "file10", "File1", "x9y", "007", "é2", "file2", "xay", "Zed", "7", "1", "É10"};
        s().fileListModel()->setItems(named(given));
        QCOMPARE(names(s().directoryItems()), given);
        // Digits by value (equal values keep their order), case ignored, digits before letters.
        const FileTable t = table();
        t.table->sortByColumn(FileListModel::NameColumn, Qt::AscendingOrder);
        QCOMPARE(names(t.model()->items()),
            (QStringList {"1", "007", "7", "File1", "file2", "file10", "x9y", "xay", "Zed", "é2", "É10"}));

        // A name that is not UTF-8 keeps its bytes, so the entry still names the file.
        const QByteArray path = makeFile(folder() + "/caf\xe9.txt", 5);
        s().fileListModel()->setItems({fileEntry(path)});
        const QModelIndex name = table().model()->index(0, FileListModel::NameColumn);
        QCOMPARE(name.data(FileListModel::PathRole).toByteArray(), path);
        QVERIFY(!name.data().toString().isEmpty() && !name.data(Qt::DecorationRole).value<QIcon>().isNull());
        QVERIFY(::unlink(path.constData()) == 0);
    }
};

QTEST_MAIN(TestFileListController)
#include "tst_filelistcontroller.moc"
