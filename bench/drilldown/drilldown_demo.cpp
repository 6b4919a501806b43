// The whole window on a real folder, drilled down by clicks on the widest sector of each new row,
// then the pointer put on a sector of the last row so its popup shows. For screenshots:
//   xvfb-run -a -s "-screen 0 1280x800x24" build/drilldown_demo /usr 3 &
//   sleep 20; import -window root shot.png
// Usage: drilldown_demo [folder] [levels] [hovered sector of the last row, by width rank]

#include "DynamicStackedView.h"
#include "DynamicStackedViewBox.h"
#include "FloatingWindowController.h"
#include "StorageWindowController.h"
#include "VisualDataCell.h"

#include <QApplication>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <algorithm>

using namespace corvale;

namespace {

// The enabled sectors of a row that have a box on screen, widest first.
std::vector<DynamicStackedViewBox *> boxesByWidth(VisualDataCell *cell)
{
    std::vector<DynamicStackedViewBox *> boxes;
    for (const auto &sector : cell->dynamicView()->sectors()) {
        DynamicStackedViewBox *box = cell->dynamicView()->boxForSector(sector);
        if (box && box->isVisible() && !sector->isDisabled())
            boxes.push_back(box);
    }
    std::stable_sort(boxes.begin(), boxes.end(), [](auto *a, auto *b) { return a->width() > b->width(); });
    return boxes;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QByteArray folder = argc > 1 ? QByteArray(argv[1]) : QByteArrayLiteral("/usr");
    const int levels = argc > 2 ? std::atoi(argv[2]) : 3;
    const std::size_t hovered = argc > 3 ? std::size_t(std::atoi(argv[3])) : 1;

    FloatingWindowController window;
    window.resize(1280, 800);
    window.move(0, 0);
    window.show();
    StorageWindowController *controller = window.storageController();
    controller->openFolder(folder);
    auto *rows = controller->findChild<QTableWidget *>(QStringLiteral("tableView"));

    // Each step waits for the previous row to be shown and still.
    auto *timer = new QTimer(&app);
    int clicked = 0;
    QObject::connect(timer, &QTimer::timeout, &app, [&] {
        if (controller->session()->rows().empty() || rows->rowCount() == 0)
            return;
        auto *cell = qobject_cast<VisualDataCell *>(rows->cellWidget(rows->rowCount() - 1, 0));
        if (!cell || cell->isAnimating())
            return;
        const auto boxes = boxesByWidth(cell);
        if (clicked < levels && !boxes.empty()) {
            QTest::mouseClick(boxes.front(), Qt::LeftButton, {}, boxes.front()->rect().center());
            ++clicked;
            return;
        }
        timer->stop();
        if (!boxes.empty()) {
            DynamicStackedViewBox *box = boxes[std::min(hovered, boxes.size() - 1)];
            QCursor::setPos(box->mapToGlobal(box->rect().center()));
        }
    });
    timer->start(700);
    return app.exec();
}
