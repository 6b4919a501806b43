// Not a test: the main window as the program shows it, on FOLDER, with its largest sub-folder
// opened, the first COUNT entries of the list checked and, with --move, moved to the trash (of
// $XDG_DATA_HOME: point it at a scratch folder) so that the reclaimed total shows. Follows the
// desktop's colour scheme as the program does. With --scan, FOLDER is a scan file to open instead;
// with --compare EARLIER, the result is compared with that scan, the list sorted by change and the
// label of row 0's largest sector shown; --into NAME opens the sub-folder NAME instead of the
// largest. Prints "ready" when there is something to look at, then stays open. See
// tools/screenshots.sh.
// Usage: window_demo FOLDER [COUNT] [--move] [--scan] [--compare EARLIER] [--into NAME]

#include "AnalysisSession.h"
#include "DynamicStackedView.h"
#include "DynamicStackedViewBox.h"
#include "DynamicStackedViewSector.h"
#include "FileListModel.h"
#include "FloatingWindowController.h"
#include "StorageWindowController.h"
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
    if (QIcon::fallbackThemeName().isEmpty() || QIcon::fallbackThemeName() == QLatin1String("hicolor"))
        QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    QStringList args = app.arguments().mid(1);
    const bool move = args.removeAll(QStringLiteral("--move")) > 0;
    const bool scan = args.removeAll(QStringLiteral("--scan")) > 0;
    const auto option = [&args](const char *name) {
        QString value;
        if (const qsizetype at = args.indexOf(QLatin1String(name)); at >= 0 && at + 1 < args.size()) {
            value = args[at + 1];
            args.remove(at, 2);
        }
        return value;
    };
    const QString compare = option("--compare"), into = option("--into");
    const QByteArray earlier
        = compare.isEmpty() ? QByteArray() : QFile::encodeName(QFileInfo(compare).absoluteFilePath());
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: window_demo FOLDER [COUNT] [--move]\n");
        return 2;
    }
    const QByteArray folder = QFile::encodeName(QFileInfo(args[0]).absoluteFilePath());
    const int count = args.size() > 1 ? args[1].toInt() : 3;

    FloatingWindowController window;
    window.setGeometry(0, 0, 1100, 720);
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

    std::shared_ptr<DynamicStackedViewSector> largest;
    for (const auto &sector : session.rows().front().sectors) {
        if (!sector->isDisabled() && (!largest || sector->sectorPercentage() > largest->sectorPercentage()))
            largest = sector;
    }
    std::shared_ptr<DynamicStackedViewSector> opened = largest;
    for (const auto &sector : session.rows().front().sectors) {
        if (sector->title() == into)
            opened = sector;
    }
    if (opened)
        controller.didSelectSector(opened, 0);
    if (largest && !earlier.isEmpty()) {
        QTest::qWait(400);
        auto *rows = window.findChild<QTableWidget *>(QStringLiteral("tableView"));
        DynamicStackedView *bar = qobject_cast<VisualDataCell *>(rows->cellWidget(0, 0))->dynamicView();
        bar->changeHighlight(bar->boxForSector(largest));
    }
    if (!QTest::qWaitFor([&] { return !session.isListing(); }, 60000))
        return 1;
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
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
