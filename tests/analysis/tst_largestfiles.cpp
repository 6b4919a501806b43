// What the window answers at a glance and lets the user do with it: the largest files below a
// folder, each entry's share, the context menus of sectors and entries and the double click, with
// moves to a real trash.

#include "ControllerFixture.h"
#include "FolderVisualData.h"
#include "LargestFilesView.h"

#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QToolButton>

using namespace corvale;
using namespace corvale::test;

static QTemporaryDir *base = nullptr;

class TestLargestFiles : public QObject, ControllerWindow
{
    Q_OBJECT

    QString m_root;
    int m_case = 0;

    QString at(const QString &relative) const { return m_root + '/' + relative; }
    QByteArray pathOf(const QString &relative) const { return QFile::encodeName(at(relative)); }
    LargestFilesView *view() { return c().largestFilesView(); }
    static quint64 sizeOf(const std::shared_ptr<DynamicStackedViewSector> &sector)
    {
        return sector->represented<FolderVisualData>()->size();
    }
    int rowOf(const QString &name) { return int(names(s().fileListModel()->items()).indexOf(name)); }
    QStringList sectorMenu(const QString &title, const QString &choice = {})
    {
        DynamicStackedViewBox *target = box(0, title);
        return target ? menuAt(target, target->rect().center(), choice) : QStringList();
    }
    QStringList entryMenu(const FileTable &t, int row, const QString &choice = {})
    {
        return menuAt(t.table->viewport(), t.cell(row, FileListModel::SizeColumn).center(), choice);
    }
    static QFileInfo inTrash(const QString &name)
    {
        return QFileInfo(base->path() + "/home/data/Trash/files/" + name);
    }

private Q_SLOTS:
    void init()
    {
        m_root = base->path() + QStringLiteral("/work/case%1").arg(++m_case);
        QVERIFY(QDir().mkpath(m_root));
        openWindow(QSize(1100, 720));
        activate();
    }
    void cleanup() { closeWindow(); }

    // Row 0's button lists find's 100 largest files (distinct sizes: no ties), each with its folder
    // relative to the chosen one; two checked and moved leave the list, the chart's folders (also
    // one no row shows) and the header's size, and add to the reclaimed total.
    void theLargestFilesAreFindsAndMoveLikeAnyEntry()
    {
        quint64 inD2 = 0;
        for (int i = 0; i < 150; ++i) {
            QVERIFY(
                makeFile(at(QStringLiteral("d%1/e%2/f%3.bin").arg(i % 3).arg(i % 5).arg(i)), 1000 + i * 37));
            inD2 += i % 3 == 2 ? 1000 + i * 37 : 0;
        }
        makeFile(pathOf("top.bin"), 9000); // written: the one file that takes room on the disk
        QVERIFY(QFile::link(at("d0"), at("link")));
        runToResult(m_root);
        QTest::mouseClick(cell(0)->headerButton(), Qt::LeftButton);
        QTRY_VERIFY(!s().isFindingLargestFiles());
        QVERIFY(view()->isVisible() && !child("fileTableView")->isVisible());
        QCOMPARE(view()->titleLabel()->text(), QStringLiteral("Largest Files in “case%1”").arg(m_case));

        QProcess find;
        find.start("sh", {"-c", "find '" + m_root + "' -type f -printf '%s %p\\n' | sort -n | tail -100"});
        QVERIFY(find.waitForFinished());
        QStringList expected = QString::fromUtf8(find.readAll()).split('\n', Qt::SkipEmptyParts);
        std::reverse(expected.begin(), expected.end());
        FileListModel *model = s().largestFilesModel();
        QStringList found;
        for (const Entry &entry : model->items())
            found << QString::number(entry->size) + ' ' + QString::fromStdString(entry->path);
        QCOMPARE(found, expected);
        QCOMPARE(model->index(0, FileListModel::FolderColumn).data().toString(),
            QStringLiteral("case%1").arg(m_case));
        QCOMPARE(model->index(1, FileListModel::FolderColumn).data().toString(), QStringLiteral("d2/e4"));
        QCOMPARE(view()->statusLabel()->text(), QStringLiteral("The largest files among 170 items"));
        // In disk usage it is the largest by far; the others take none.
        s().setMeasure(Measure::DiskUsage);
        QVERIFY(model->entry(0)->name == "top.bin" && model->entry(0)->allocatedSize >= 9000);
        QCOMPARE(model->entry(1)->allocatedSize, 0u);
        s().setMeasure(Measure::ApparentSize);
        const FileTable t {view()->table()};
        entryMenu(t, 2, "Show in File Manager");
        QCOMPARE(m_files->calls.value(0),
            QList<QByteArray> {model->index(2, 0).data(FileListModel::PathRole).toByteArray()});

        const quint64 moved = 9000 + 1000 + 149 * 37, before = s().rootSize();
        t.clickCheckBox(0);
        t.clickRow(1);
        QTest::mouseClick(view()->trashButton(), Qt::LeftButton);
        QTRY_COMPARE(s().reclaimedSpace(), moved);
        QVERIFY(inTrash("top.bin").exists() && inTrash("f149.bin").exists() && m_alerts->shown.empty());
        QCOMPARE(model->rowCount(), 98);
        QCOMPARE(s().rootSize(), before - moved);
        QVERIFY(child<QLabel>("selectedFolderItems")->text().startsWith(byteCountText(before - moved)));
        QCOMPARE(sizeOf(sector(0, "d2")), inD2 - (1000 + 149 * 37));

        QTest::mouseClick(view()->closeButton(), Qt::LeftButton);
        QVERIFY(!view()->isVisible() && child("fileTableView")->isVisible());
        clickSector(0, "d2");
        quint64 inE4 = 0;
        for (int i = 14; i < 149; i += 15)
            inE4 += 1000 + i * 37;
        QCOMPARE(sizeOf(sector(1, "e4")), inE4);
    }

    // A stop, even before the search found a thread, ends it with what it found, and says so.
    void aStoppedSearchSaysSo()
    {
        QVERIFY(makeFile(at("a/b.bin"), 10));
        runToResult(m_root);
        auto hold = std::make_optional<PoolHold>();
        c().showLargestFiles(pathOf("a"));
        const bool stoppable = view()->stopButton()->isVisible();
        QTest::mouseClick(view()->stopButton(), Qt::LeftButton);
        hold.reset();
        QVERIFY(stoppable);
        settle();
        QVERIFY(!s().isFindingLargestFiles() && !s().largestFilesComplete()
            && !view()->stopButton()->isVisible());
        QCOMPARE(view()->statusLabel()->text(),
            QStringLiteral("Stopped after 0 items: the largest files found so far"));
    }

    // Sectors and entries offer the same items in one order; Open goes through the file manager's
    // seam, Copy Path to the clipboard, Largest Files to the view; Move to Trash moves the entry
    // alone, a link without what it leads to, and is refused to a system entry. A double click on
    // a folder opens it as its sector would; on any entry it leaves the mark as it was.
    void theMenusAndTheDoubleClick()
    {
        QVERIFY(makeFile(at("folder/inner.bin"), 500) && makeFile(at("loose.txt"), 10));
        QVERIFY(QFile::link(at("folder"), at("toFolder")));
        runToResult(m_root);
        const QStringList items {"Open", "Show in File Manager", "Copy Path", "Largest Files"};
        QCOMPARE(sectorMenu("folder", "Open"), items);
        QCOMPARE(m_files->opened.value(0), std::make_pair(pathOf("folder"), true));
        sectorMenu("folder", "Copy Path");
        QCOMPARE(QGuiApplication::clipboard()->text(), at("folder"));
        QCOMPARE(QGuiApplication::clipboard()->mimeData()->urls().value(0).toLocalFile(), at("folder"));
        sectorMenu("folder", "Largest Files");
        QCOMPARE(s().largestFilesFolder(), pathOf("folder"));
        QCOMPARE(names(s().largestFilesModel()->items()), QStringList {"inner.bin"});
        QTest::mouseClick(view()->closeButton(), Qt::LeftButton);

        const FileTable t = table();
        QCOMPARE(entryMenu(t, rowOf("folder")), items + QStringList {"Move to Trash"});
        QCOMPARE(entryMenu(t, rowOf("loose.txt"), "Open"),
            (QStringList {"Open", "Show in File Manager", "Copy Path", "Move to Trash"}));
        QCOMPARE(m_files->opened.value(1), std::make_pair(pathOf("loose.txt"), false));

        const quint64 linkSize = quint64(QFileInfo(at("toFolder")).symLinkTarget().toUtf8().size());
        entryMenu(t, rowOf("toFolder"), "Move to Trash");
        QTRY_COMPARE(s().reclaimedSpace(), linkSize);
        QVERIFY(inTrash("toFolder").isSymLink());
        QVERIFY(QFileInfo(at("folder")).isDir() && QFileInfo(at("folder/inner.bin")).size() == 500);
        QCOMPARE(rowOf("toFolder"), -1);
        QVERIFY(m_alerts->shown.empty());

        const auto doubleClick = [&](const QString &name) {
            QTest::mouseDClick(t.table->viewport(), Qt::LeftButton, {},
                t.cell(rowOf(name), FileListModel::SizeColumn).center());
            settle();
        };
        QVERIFY(t.model()->setChecked(rowOf("loose.txt"), true));
        doubleClick("loose.txt");
        QCOMPARE(names(s().filesToDelete()), QStringList {"loose.txt"});
        QCOMPARE(s().rows().size(), size_t(1));
        doubleClick("folder");
        QCOMPARE(rowPaths(), (QList<QByteArray> {QFile::encodeName(m_root), pathOf("folder")}));
        QVERIFY(sector(0, "folder")->isSelected());
        QCOMPARE(names(s().directoryItems()), QStringList {"inner.bin"});
        s().fileListModel()->setItems({fileEntry("/etc/passwd")});
        QCOMPARE(entryMenu(t, 0).last(), QStringLiteral("Move to Trash-"));
    }

    // Each entry's share of the folder in view, in the measure, growing as others go.
    void eachEntryShowsItsShare()
    {
        makeFile(pathOf("a.bin"), 100);
        makeFile(pathOf("b.bin"), 300);
        makeFolder(pathOf("folder"));
        makeFile(pathOf("folder/c.bin"), 5000);
        runToResult(m_root);
        const FileTable t = table();
        QVERIFY(!t.table->isColumnHidden(FileListModel::ShareColumn));
        const auto share = [&](const QString &name) {
            const QModelIndex index = t.model()->index(rowOf(name), FileListModel::ShareColumn);
            return index.data(FileListModel::ShareRole).toDouble();
        };
        const quint64 total = s().rootSize();
        QCOMPARE(share("a.bin"), 100.0 / double(total));
        s().setMeasure(Measure::DiskUsage);
        QCOMPARE(share("b.bin"),
            double(s().directoryItems()[size_t(rowOf("b.bin"))]->allocatedSize) / double(s().rootSize()));
        s().setMeasure(Measure::ApparentSize);
        t.clickRow(rowOf("b.bin"));
        QTest::mouseClick(child<QPushButton>("trashButton"), Qt::LeftButton);
        QTRY_COMPARE(s().reclaimedSpace(), quint64(300));
        QCOMPARE(share("a.bin"), 100.0 / double(total - 300));
    }
};

int main(int argc, char **argv)
{
    return execWithOwnTrash<TestLargestFiles>(argc, argv, base);
}

#include "tst_largestfiles.moc"
