// Not a test: the main window as the program shows it, on FOLDER, with its largest sub-folder
// opened (--depth N: the largest of each new row, N levels down), the first COUNT entries of the
// list checked and, with --move, moved to the trash (of $XDG_DATA_HOME: point it at a scratch
// folder) so that the reclaimed total shows; --check N then checks the first N entries left.
// --size WxH gives the window that size (1100x720); --keys gives the file list the keyboard focus
// as Tab would, moves its current row down twice and checks it with Space. Follows the desktop's
// colour scheme as the program does. Prints "ready" when there is something to look at, then
// stays open. See tools/screenshots.sh.
// Usage: window_demo FOLDER [COUNT] [--move] [--depth N] [--check N] [--size WxH] [--keys]

#include "AnalysisSession.h"
#include "DynamicStackedView.h"
#include "DynamicStackedViewBox.h"
#include "DynamicStackedViewSector.h"
#include "FileListModel.h"
#include "FloatingWindowController.h"
#include "RowsTable.h"
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
    const bool keys = args.removeAll(QStringLiteral("--keys")) > 0;
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
    if (args.isEmpty()) {
        std::fprintf(stderr,
            "usage: window_demo FOLDER [COUNT] [--move] [--depth N] [--check N] [--size WxH] [--keys]\n");
        return 2;
    }
    const QByteArray folder = QFile::encodeName(QFileInfo(args[0]).absoluteFilePath());
    const int count = args.size() > 1 ? args[1].toInt() : 3;

    FloatingWindowController window;
    window.setGeometry(0, 0, size.value(0).toInt(), size.value(1).toInt());
    window.show();
    StorageWindowController &controller = *window.storageController();
    AnalysisSession &session = *controller.session();
    controller.openFolder(folder);
    if (!QTest::qWaitFor([&] { return !session.rows().empty(); }, 60000))
        return 1;

    for (int level = 0; level < depth; ++level) {
        std::shared_ptr<DynamicStackedViewSector> largest;
        for (const auto &sector : session.rows().back().sectors) {
            if (!sector->isDisabled()
                && (!largest || sector->sectorPercentage() > largest->sectorPercentage()))
                largest = sector;
        }
        if (!largest)
            break;
        auto *rows = controller.findChild<RowsTable *>(QStringLiteral("tableView"));
        DynamicStackedViewBox *box = rows->bar(rows->rowCount() - 1)->boxForSector(largest);
        if (!box)
            return 1;
        box->click();
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
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
