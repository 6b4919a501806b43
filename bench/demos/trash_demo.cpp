// Not a test: the analysis window on a folder with entries checked, for looking at the file list
// and the removal panel. Opens FOLDER, drills into its largest sub-folder, checks the first
// COUNT entries of the list and, with --move, moves them to the trash (of $XDG_DATA_HOME: point
// it at a scratch folder) and shows the reclaimed total. Prints "ready" when there is something
// to look at, then stays open.
// Usage: xvfb-run -a -s "-screen 0 1280x800x24" build/trash_demo FOLDER [COUNT] [--move]

#include "DynamicStackedViewSector.h"
#include "FileListModel.h"
#include "FolderVisualData.h"
#include "StorageWindowController.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
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
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: trash_demo FOLDER [COUNT] [--move]\n");
        return 2;
    }
    const QByteArray folder = QFile::encodeName(QFileInfo(args[0]).absoluteFilePath());
    const int count = args.size() > 1 ? args[1].toInt() : 3;

    StorageWindowController window;
    window.resize(1100, 720);
    window.move(0, 0);
    window.show();
    window.openFolder(folder);
    if (!QTest::qWaitFor([&] { return !window.tableData().empty(); }, 60000))
        return 1;

    // The largest sub-folder, as a click on its sector would open it.
    std::shared_ptr<DynamicStackedViewSector> largest;
    for (const auto &sector : window.tableData().front()) {
        if (!sector->isDisabled() && (!largest || sector->sectorPercentage() > largest->sectorPercentage()))
            largest = sector;
    }
    if (largest)
        window.didSelectSector(largest, 0);
    QTest::qWait(400);

    for (int row = 0; row < count; ++row)
        window.fileListModel()->setChecked(row, true);
    QTest::qWait(400);
    if (move) {
        bool finished = false;
        QObject::connect(&window, &StorageWindowController::trashActionFinished, [&] { finished = true; });
        window.trashSelectedItems();
        if (!QTest::qWaitFor([&] { return finished; }, 60000))
            return 1;
        QTest::qWait(300);
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
