#include "CheckmarkTableCell.h"
#include "FileListModel.h"
#include "RightClickTable.h"
#include "SystemEntry.h"

#include <QAbstractItemModelTester>
#include <QContextMenuEvent>
#include <QFile>
#include <QHeaderView>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/stat.h>

using namespace corvale;
using Entry = FileListModel::Entry;

namespace {

Entry makeEntry(const QByteArray &path, quint64 size, bool isDir = false)
{
    auto entry = std::make_shared<FolderAttributes>();
    entry->path = path.toStdString();
    entry->name = path.mid(path.lastIndexOf('/') + 1).toStdString();
    entry->isDir = isDir;
    entry->size = size;
    entry->sizeText = QString::number(size).append(QStringLiteral(" bytes")).toStdString();
    entry->count = 1;
    return entry;
}

// Real files in a temporary folder, listed as the controller lists a folder.
std::vector<Entry> makeFiles(const QTemporaryDir &dir, const QList<QPair<QByteArray, int>> &files)
{
    std::vector<Entry> entries;
    for (const auto &[name, size] : files) {
        const QByteArray path = QFile::encodeName(dir.path()) + '/' + name;
        QFile file(QFile::decodeName(path));
        if (!file.open(QIODevice::WriteOnly))
            return {};
        file.write(QByteArray(size, 'x'));
        entries.push_back(makeEntry(path, quint64(size)));
    }
    return entries;
}

QStringList names(const FileListModel &model)
{
    QStringList result;
    for (int row = 0; row < model.rowCount(); ++row)
        result << model.index(row, FileListModel::NameColumn).data().toString();
    return result;
}

QStringList names(const std::vector<Entry> &entries)
{
    QStringList result;
    for (const Entry &entry : entries)
        result << QString::fromStdString(entry->name);
    return result;
}

class RecordingDelegate : public ExtendedTableViewDelegate
{
public:
    explicit RecordingDelegate(const FileListModel *model)
        : m_model(model)
    { }
    void tableViewDidClickedRow(RightClickTable *, int row) override
    {
        rows << row;
        markWhenTold << m_model->isChecked(row);
    }
    QList<int> rows;
    QList<bool> markWhenTold;

private:
    const FileListModel *m_model;
};

} // namespace

class TestFileList : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    FileListModel *m_model = nullptr;
    RightClickTable *m_table = nullptr;
    std::unique_ptr<QSignalSpy> m_marks;
    std::vector<Entry> m_entries;

    QPoint centreOf(int row, int column) const
    {
        return m_table->visualRect(m_model->index(row, column)).center();
    }
    QPoint checkBoxOf(int row) const
    {
        const QRect cell = m_table->visualRect(m_model->index(row, FileListModel::NameColumn));
        return CheckmarkTableCell::layout(cell, m_table->layoutDirection(), m_table->style(), m_table)
            .checkBox.center();
    }
    void click(QPoint pos, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(m_table->viewport(), button, {}, pos);
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_entries = makeFiles(m_dir, {{"b.txt", 100}, {"a.txt", 9}, {"c.txt", 2000}, {"d.txt", 10}});
        QCOMPARE(m_entries.size(), size_t(4));
        m_entries.push_back(makeEntry("/usr/lib/os-release", 300));
        m_model = new FileListModel;
        new QAbstractItemModelTester(
            m_model, QAbstractItemModelTester::FailureReportingMode::QtTest, m_model);
        m_model->setItems(m_entries);
        m_marks = std::make_unique<QSignalSpy>(m_model, &FileListModel::checkMarksChanged);
        m_table = new RightClickTable;
        m_table->setModel(m_model);
        // What the controller does with a row click.
        connect(m_table, &RightClickTable::rowClicked, m_model, [this](int row) { m_model->toggle(row); });
        m_table->resize(400, 300);
        m_table->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_table));
    }
    void cleanup()
    {
        delete m_table;
        m_marks.reset();
        delete m_model;
    }

    void systemEntries_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<bool>("system");
        QTest::newRow("/System") << QByteArray("/System/Applications") << true;
        QTest::newRow("/Library") << QByteArray("/Library/Caches") << true;
        QTest::newRow("a name that merely begins like one") << QByteArray("/SystemBackup") << true;
        QTest::newRow("/usr") << QByteArray("/usr/share/doc") << true;
        QTest::newRow("/etc itself") << QByteArray("/etc") << true;
        QTest::newRow("/boot") << QByteArray("/boot/vmlinuz") << true;
        QTest::newRow("/lib64") << QByteArray("/lib64/ld.so") << true;
        QTest::newRow("/sbin") << QByteArray("/sbin/init") << true;
        QTest::newRow("case matters") << QByteArray("/system/x") << false;
        QTest::newRow("not at the start") << QByteArray("/home/u/Library/x") << false;
        QTest::newRow("home") << QByteArray("/home/u/usr") << false;
        QTest::newRow("opt") << QByteArray("/opt/app") << false;
        QTest::newRow("relative") << QByteArray("usr/x") << false;
    }
    void systemEntries()
    {
        QFETCH(QByteArray, path);
        QFETCH(bool, system);
        QCOMPARE(isSystemEntry(path), system);
    }

    void rowClickChecksThenUnchecks_data()
    {
        QTest::addColumn<int>("column");
        QTest::newRow("on the name") << int(FileListModel::NameColumn);
        QTest::newRow("on the size") << int(FileListModel::SizeColumn);
    }
    void rowClickChecksThenUnchecks()
    {
        QFETCH(int, column);
        click(centreOf(1, column));
        QVERIFY(m_model->isChecked(1));
        QCOMPARE(m_marks->count(), 1);
        QCOMPARE(names(m_model->checkedEntries()), QStringList {"a.txt"});
        click(centreOf(1, column));
        QVERIFY(!m_model->isChecked(1));
        QCOMPARE(m_marks->count(), 2);
        QVERIFY(m_model->checkedEntries().empty());
        // Never shown selected.
        QVERIFY(!m_table->selectionModel()->hasSelection());
    }

    void checkBoxClickChangesTheMarkOnce()
    {
        click(checkBoxOf(2));
        QVERIFY(m_model->isChecked(2));
        QCOMPARE(m_marks->count(), 1);
        click(checkBoxOf(2));
        QVERIFY(!m_model->isChecked(2));
        QCOMPARE(m_marks->count(), 2);
        // Two clicks in quick succession are two clicks.
        // Through the window, as the system delivers it: press, release, double click, release.
        QTest::mouseDClick(m_table->windowHandle(), Qt::LeftButton, {},
            m_table->viewport()->mapTo(m_table->window(), checkBoxOf(2)));
        QVERIFY(!m_model->isChecked(2));
        QCOMPARE(m_marks->count(), 4);
    }

    void systemRowsRefuseEveryWayOfChecking()
    {
        const int row = 4;
        const QModelIndex name = m_model->index(row, FileListModel::NameColumn);
        QCOMPARE(name.data(Qt::ToolTipRole).toString(), QStringLiteral("System file"));
        QVERIFY(!(name.flags() & Qt::ItemIsUserCheckable));
        click(centreOf(row, FileListModel::NameColumn));
        click(checkBoxOf(row));
        QVERIFY(!m_model->setData(name, Qt::Checked, Qt::CheckStateRole));
        QVERIFY(!m_model->setChecked(row, true));
        QVERIFY(!m_model->isChecked(row));
        QCOMPARE(m_marks->count(), 0);
        QVERIFY(m_model->checkedEntries().empty());
        QVERIFY(m_model->index(0, FileListModel::NameColumn).data(Qt::ToolTipRole).isNull());
    }

    void checkBoxesAreDrawnAsTheyAre()
    {
        auto boxImage = [this](int row) {
            const QRect cell = m_table->visualRect(m_model->index(row, FileListModel::NameColumn));
            const QRect box
                = CheckmarkTableCell::layout(cell, m_table->layoutDirection(), m_table->style(), m_table)
                      .checkBox;
            return m_table->viewport()->grab(box).toImage();
        };
        const QImage unchecked = boxImage(0);
        QCOMPARE(boxImage(1), unchecked);
        m_model->setChecked(0, true);
        QTRY_VERIFY(boxImage(0) != unchecked);
        QVERIFY(boxImage(4) != unchecked); // disabled
        QVERIFY(boxImage(4) != boxImage(0));
    }

    void clicksBelowTheLastRowAndTheExtendedDelegate()
    {
        QSignalSpy clicked(m_table, &RightClickTable::rowClicked);
        RecordingDelegate delegate(m_model);
        m_table->setExtendedDelegate(&delegate);
        const QPoint below(20, m_table->rowViewportPosition(4) + m_table->rowHeight(4) + 10);
        QCOMPARE(m_table->rowAt(below.y()), -1);
        click(below);
        QCOMPARE(clicked.count(), 0);
        QVERIFY(delegate.rows.isEmpty());

        click(centreOf(3, FileListModel::NameColumn));
        click(centreOf(3, FileListModel::SizeColumn), Qt::RightButton);
        QCOMPARE(delegate.rows, QList<int> {3});
        // Told before the click takes effect.
        QCOMPARE(delegate.markWhenTold, QList<bool> {false});
        QCOMPARE(clicked.count(), 1);
        QVERIFY(m_model->isChecked(3));
        m_table->setExtendedDelegate(nullptr);
    }

    void contextMenuRecordsThePathOfItsRow()
    {
        QVERIFY(m_table->pathToOpen().isNull());
        QMenu menu;
        menu.addAction(QStringLiteral("Show in File Manager"));
        int shown = 0;
        connect(&menu, &QMenu::aboutToShow, &menu, [&] {
            ++shown;
            QTimer::singleShot(0, &menu, &QMenu::close);
        });
        m_table->setFileTableMenu(&menu);
        auto openMenuAt = [this](QPoint pos) {
            QContextMenuEvent event(QContextMenuEvent::Mouse, pos, m_table->viewport()->mapToGlobal(pos));
            QApplication::sendEvent(m_table->viewport(), &event);
        };
        openMenuAt(centreOf(2, FileListModel::SizeColumn));
        QCOMPARE(shown, 1);
        QCOMPARE(m_table->pathToOpen(), QByteArray::fromStdString(m_entries[2]->path));
        // Below the rows: no menu, the last path stays.
        openMenuAt(QPoint(20, m_table->viewport()->height() - 2));
        QCOMPARE(shown, 1);
        QCOMPARE(m_table->pathToOpen(), QByteArray::fromStdString(m_entries[2]->path));
        QCOMPARE(m_marks->count(), 0);
    }

    void headerSortKeepsTheMarksAndSortsSizesAsNumbers()
    {
        QVERIFY(!m_table->hasSortDescriptors());
        m_model->setChecked(0, true); // b.txt, 100
        m_model->setChecked(2, true); // c.txt, 2000
        QHeaderView *header = m_table->horizontalHeader();
        const QPoint sizeHeader(
            header->sectionViewportPosition(FileListModel::SizeColumn) + 10, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, sizeHeader);
        QVERIFY(m_table->hasSortDescriptors());
        QCOMPARE(m_table->sortColumn(), int(FileListModel::SizeColumn));
        const Qt::SortOrder first = m_table->sortOrder();
        // As text "10 bytes" < "100 bytes" < "2000 bytes" < "300 bytes" < "9 bytes".
        const QStringList ascending {"a.txt", "d.txt", "b.txt", "os-release", "c.txt"};
        QStringList descending = ascending;
        std::reverse(descending.begin(), descending.end());
        QCOMPARE(names(*m_model), first == Qt::AscendingOrder ? ascending : descending);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, sizeHeader);
        QCOMPARE(names(*m_model), first == Qt::AscendingOrder ? descending : ascending);

        QCOMPARE(names(m_model->checkedEntries()),
            (first == Qt::AscendingOrder ? QStringList {"c.txt", "b.txt"} : QStringList {"b.txt", "c.txt"}));
        QVERIFY(m_model->isChecked(m_model->rowOf(m_entries[0])));
        QCOMPARE(m_marks->count(), 2);
        QCOMPARE(
            m_model->index(0, FileListModel::SizeColumn).data(FileListModel::RawValueRole).value<quint64>(),
            first == Qt::AscendingOrder ? 2000u : 9u);
    }

    void namesSortNaturallyAndTheOrderCarriesOver()
    {
        const QStringList given {
            "file10", "File1", "x9y", "007", "é2", "file2", "xay", "Zed", "7", "1", "É10"};
        std::vector<Entry> next;
        for (const QString &name : given)
            next.push_back(makeEntry("/data/" + name.toUtf8(), 1));
        // No column chosen: the order given is kept.
        m_model->setItems(next);
        m_table->sortBySortDescriptors();
        QCOMPARE(names(*m_model), given);

        // Digits by value (leading zeros aside, equal values keep their order), case ignored,
        // digits before letters as in plain text.
        const QStringList ascending {
            "1", "007", "7", "File1", "file2", "file10", "x9y", "xay", "Zed", "é2", "É10"};
        m_table->sortByColumn(FileListModel::NameColumn, Qt::AscendingOrder);
        QCOMPARE(names(*m_model), ascending);
        m_table->sortByColumn(FileListModel::NameColumn, Qt::DescendingOrder);
        QCOMPARE(names(*m_model).first(), QStringLiteral("É10"));
        QCOMPARE(names(*m_model).last(), QStringLiteral("1"));
        m_table->sortByColumn(FileListModel::NameColumn, Qt::AscendingOrder);

        m_model->setItems(m_entries);
        QCOMPARE(m_model->rowOf(m_entries[0]), 0);
        m_table->sortBySortDescriptors();
        QCOMPARE(names(*m_model), (QStringList {"a.txt", "b.txt", "c.txt", "d.txt", "os-release"}));
        QVERIFY(m_model->checkedEntries().empty());
    }

    void aCheckedRowScrolledOutOfSightStaysChecked()
    {
        std::vector<Entry> many;
        for (int i = 0; i < 2000; ++i)
            many.push_back(makeEntry("/data/f" + QByteArray::number(i), quint64(i)));
        m_model->setItems(many);
        m_table->resize(300, 120);
        click(centreOf(1, FileListModel::NameColumn));
        m_table->scrollToBottom();
        QTRY_VERIFY(m_table->rowAt(m_table->viewport()->height() - 3) == 1999);
        QVERIFY(m_table->rowAt(0) > 1);
        click(checkBoxOf(1998));
        QCOMPARE(names(m_model->checkedEntries()), (QStringList {"f1", "f1998"}));
        m_table->scrollToTop();
        QVERIFY(m_model->isChecked(1));
        QCOMPARE(m_model->index(1, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QCOMPARE(m_marks->count(), 2);
    }

    void removingAnEntryKeepsTheOtherMarks()
    {
        m_model->setChecked(0, true);
        m_model->setChecked(3, true);
        QVERIFY(m_model->removeEntry(m_entries[0]));
        QVERIFY(!m_model->removeEntry(m_entries[0]));
        QCOMPARE(m_model->rowCount(), 4);
        QCOMPARE(m_model->checkedEntries(), std::vector<Entry> {m_entries[3]});
        QCOMPARE(m_model->rowOf(m_entries[0]), -1);
        QCOMPARE(m_model->entry(99), Entry());
        QCOMPARE(m_marks->count(), 2);
    }

    void namesThatAreNotUtf8KeepTheirBytes()
    {
        const QByteArray path = QFile::encodeName(m_dir.path()) + "/caf\xe9.txt";
        m_model->setItems({makeEntry(path, 5)});
        QCOMPARE(m_model->index(0, 0).data(FileListModel::PathRole).toByteArray(), path);
        QVERIFY(!m_model->index(0, 0).data().toString().isEmpty());
        QVERIFY(!m_model->index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
        QCOMPARE(m_model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Name"));
        QCOMPARE(m_model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Size"));
    }
};

QTEST_MAIN(TestFileList)
#include "tst_filelist.moc"
