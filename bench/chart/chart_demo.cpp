// A window with two stacked bars to look at: the upper one with a selection, the lower one
// hovered. `chart_demo [box]` puts the pointer over box number `box` of the lower bar (default 2),
// so a screenshot shows the popup; move the mouse to try hover and clicks by hand.

#include "DynamicStackedView.h"
#include "DynamicStackedViewBox.h"
#include "DynamicStackedViewDelegate.h"
#include "HexColor.h"

#include <QApplication>
#include <QCursor>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

using namespace corvale;

namespace {

class PrintingDelegate : public DynamicStackedViewDelegate
{
public:
    void didSelectSector(
        const std::shared_ptr<DynamicStackedViewSector> &sector, DynamicStackedView *) override
    {
        std::printf("selected %s\n", qPrintable(sector->title()));
    }
    void didRemoveSelectionInView(DynamicStackedView *) override { std::printf("selection removed\n"); }
    void willOpenMenuForSector(
        const std::shared_ptr<DynamicStackedViewSector> &sector, DynamicStackedView *) override
    {
        std::printf("menu for %s\n", qPrintable(sector->title()));
    }
};

Sectors makeRow(const QList<std::pair<QString, float>> &entries)
{
    static const char *const colors[][2] = {{"00D93F", "3CF06E"}, {"0085FF", "47A8FF"}, {"FF5E3A", "FF8A6E"},
        {"A15CFF", "BE8CFF"}, {"FFC700", "FFDA4D"}};
    Sectors row;
    int i = 0;
    for (const auto &[title, share] : entries) {
        auto sector = std::make_shared<DynamicStackedViewSector>();
        sector->setTitle(title);
        sector->setSubtitle(QStringLiteral("%1 GB").arg(share * 120, 0, 'f', 1));
        sector->setSectorPercentage(share);
        const bool files = title == QLatin1String("Files");
        sector->setColor(colorWithHexColorString(QLatin1String(files ? "9B9B9B" : colors[i % 5][0])));
        sector->setHighlightColor(
            colorWithHexColorString(QLatin1String(files ? "9B9B9B" : colors[i % 5][1])));
        sector->setDisabled(files);
        row.push_back(std::move(sector));
        ++i;
    }
    return row;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int hover = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 2;
    PrintingDelegate delegate;

    QWidget window;
    window.setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(&window);
    layout->setSpacing(0);
    QList<DynamicStackedView *> bars;
    const QList<QList<std::pair<QString, float>>> rows {
        {{u"Applications"_qs, 0.32f}, {u"Documents"_qs, 0.22f}, {u"Library"_qs, 0.28f}, {u"Music"_qs, 0.1f},
            {u"Files"_qs, 0.08f}},
        {{u"Photos"_qs, 0.05f}, {u"Projects"_qs, 0.45f}, {u"Videos"_qs, 0.2f}, {u"a"_qs, 0.002f},
            {u"Mail"_qs, 0.15f}, {u"Files"_qs, 0.148f}}};
    for (const auto &entries : rows) {
        auto *bar = new DynamicStackedView(&window);
        bar->setFixedHeight(70 + DynamicStackedView::kTopMargin);
        bar->setCornerRadius(5);
        bar->setSectorSpacing(1.0);
        bar->setDelegate(&delegate);
        Sectors row = makeRow(entries);
        if (bars.isEmpty())
            row[2]->setSelected(true);
        bar->setData(row);
        layout->addWidget(bar);
        bars << bar;
    }
    window.resize(720, 200);
    window.move(20, 20);
    window.show();

    QTimer::singleShot(300, &window, [&] {
        auto *lower = bars.back();
        if (hover >= 0 && hover < int(lower->sectors().size())) {
            if (auto *box = lower->boxForSector(lower->sectors()[hover]))
                QCursor::setPos(box->mapToGlobal(box->rect().center()));
        }
    });
    return app.exec();
}
