// Not a test: the main window as the program shows it, on FOLDER, with its largest sub-folder
// opened (--depth N: the largest of each new row, N levels down; --into NAME: the sub-folder NAME
// of row 0 instead), the first COUNT entries of the list checked and, with --move, moved to the
// trash (of $XDG_DATA_HOME: point it at a scratch folder) so that the reclaimed total shows;
// --check N then checks the first N entries left. --size WxH gives the window that size (1100x720);
// --keys gives the file list the keyboard focus as Tab would, moves its current row down twice and
// checks it with Space. With --scan, FOLDER is a scan file to open instead; with --compare EARLIER,
// the result is compared with that scan, the list sorted by change and the label of row 0's
// largest sector shown. --label shows that label without a comparison; --largest shows the
// Largest Files view of FOLDER with its first two files checked. Follows the desktop's colour
// scheme and language as the program does. Prints "ready" when there is something to look at,
// then stays open. See tools/screenshots.sh.
// Usage: window_demo FOLDER [COUNT] [--move] [--depth N] [--check N] [--size WxH] [--keys]
//        [--scan] [--compare EARLIER] [--into NAME] [--label] [--largest]

#include "AnalysisSession.h"
#include "DynamicStackedView.h"
#include "DynamicStackedViewBox.h"
#include "DynamicStackedViewSector.h"
#include "FileListModel.h"
#include "FloatingWindowController.h"
#include "RowsTable.h"
#include "StorageWindowController.h"
#include "Translations.h"
#include "VisualDataCell.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QTableWidget>
#include <QTest>

#include <cstdio>

using namespace corvale;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    installTranslations();
    if (QIcon::fallbackThemeName().isEmpty() || QIcon::fallbackThemeName() == QLatin1String("hicolor"))
        QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    QStringList args = app.arguments().mid(1);
    const bool move = args.removeAll(QStringLiteral("--move")) > 0;
    const bool keys = args.removeAll(QStringLiteral("--keys")) > 0;
    const bool scan = args.removeAll(QStringLiteral("--scan")) > 0;
    const bool label = args.removeAll(QStringLiteral("--label")) > 0;
    const bool largestFiles = args.removeAll(QStringLiteral("--largest")) > 0;
    const auto option = [&](const QString &name, const QString &fallback) {
        const qsizetype at = args.indexOf(name);
        if (at < 0 || at + 1 >= args.size())
            return fallback;
        const QString value = args.takeAt(at + 1);
        args.removeAt(at);
        return value;
    };
    const int depth = option(QStringLiteral("--depth"), QStringLiteral("1")).toInt();
    const int checkAfter = option(QStringLiteral("--check"), QStringLiteral("0")).toInt();
    const QStringList size = option(QStringLiteral("--size"), QStringLiteral("1100x720")).split(u'x');
    const QString compare = option(QStringLiteral("--compare"), QString());
    const QString into = option(QStringLiteral("--into"), QString());
    const QByteArray earlier
        = compare.isEmpty() ? QByteArray() : QFile::encodeName(QFileInfo(compare).absoluteFilePath());
    if (args.isEmpty()) {
        std::fprintf(stderr,
            "usage: window_demo FOLDER [COUNT] [--move] [--depth N] [--check N] [--size WxH] [--keys] "
            "[--scan] [--compare EARLIER] [--into NAME]\n");
        return 2;
    }
    const QByteArray folder = QFile::encodeName(QFileInfo(args[0]).absoluteFilePath());
    const int count = args.size() > 1 ? args[1].toInt() : 3;

    FloatingWindowController window;
    window.setGeometry(0, 0, size.value(0).toInt(), size.value(1).toInt());
    window.show();
    StorageWindowController &controller = *window.storageController();
    AnalysisSession &session = *controller.session();
    if (scan)
        controller.openScanFile(folder);
    else
        controller.openFolder(folder);
    if (!QTest::qWaitFor([&] { return !session.rows().empty(); }, 60000))
        return 1;
    if (!earlier.isEmpty()) {
        session.compareWithScan(earlier);
        if (!QTest::qWaitFor([&] { return session.comparedScan() != nullptr; }, 60000))
            return 1;
        session.fileListModel()->sort(FileListModel::ChangeColumn, Qt::DescendingOrder);
    }

    auto *rows = controller.findChild<RowsTable *>(QStringLiteral("tableView"));
    for (int level = 0; level < depth; ++level) {
        std::shared_ptr<DynamicStackedViewSector> largest, opened;
        for (const auto &sector : session.rows().back().sectors) {
            if (!sector->isDisabled()
                && (!largest || sector->sectorPercentage() > largest->sectorPercentage()))
                largest = sector;
            if (level == 0 && sector->title() == into)
                opened = sector;
        }
        if (!largest)
            break;
        DynamicStackedViewBox *box = rows->bar(rows->rowCount() - 1)->boxForSector(opened ? opened : largest);
        if (!box)
            return 1;
        box->click();
        if (level == 0 && (label || !earlier.isEmpty())) {
            QTest::qWait(400);
            rows->bar(0)->changeHighlight(rows->bar(0)->boxForSector(largest));
        }
        if (!QTest::qWaitFor([&] { return !session.isListing(); }, 60000))
            return 1;
    }
    QTest::qWait(400);
    for (int row = 0; row < count; ++row)
        session.fileListModel()->setChecked(row, true);
    QTest::qWait(400);
    if (move) {
        bool finished = false;
        QObject::connect(&session, &AnalysisSession::trashActionFinished, [&] { finished = true; });
        controller.trashSelectedItems();
        if (!QTest::qWaitFor([&] { return finished; }, 60000))
            return 1;
        QTest::qWait(300);
    }
    for (int row = 0; row < checkAfter; ++row)
        session.fileListModel()->setChecked(row, true);
    if (keys) {
        auto *list = controller.findChild<QWidget *>(QStringLiteral("fileTableView"));
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            return 1;
        list->setFocus(Qt::TabFocusReason);
        for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Space})
            QTest::keyClick(list, key);
        QTest::qWait(200);
    }
    if (largestFiles) {
        controller.showLargestFiles(session.rootPath());
        if (!QTest::qWaitFor([&] { return !session.isFindingLargestFiles(); }, 60000))
            return 1;
        for (int row = 0; row < 2; ++row)
            session.largestFilesModel()->setChecked(row, true);
        QTest::qWait(300);
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
