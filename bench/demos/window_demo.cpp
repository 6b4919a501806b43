// Not a test: the main window as the program shows it, on FOLDER, with its largest sub-folder
// opened, the first COUNT entries of the list checked and, with --move, moved to the trash (of
// $XDG_DATA_HOME: point it at a scratch folder) so that the reclaimed total shows. Follows the
// desktop's colour scheme as the program does. Prints "ready" when there is something to look
// at, then stays open. See tools/screenshots.sh.
// Usage: window_demo FOLDER [COUNT] [--move]

#include "AnalysisSession.h"
#include "DynamicStackedViewSector.h"
#include "FileListModel.h"
#include "FloatingWindowController.h"
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
    controller.openFolder(folder);
    if (!QTest::qWaitFor([&] { return !session.rows().empty(); }, 60000))
        return 1;

    std::shared_ptr<DynamicStackedViewSector> largest;
    for (const auto &sector : session.rows().front().sectors) {
        if (!sector->isDisabled() && (!largest || sector->sectorPercentage() > largest->sectorPercentage()))
            largest = sector;
    }
    if (largest)
        controller.didSelectSector(largest, 0);
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
