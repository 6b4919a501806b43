// A window with stacked bars to look at: the upper one with a selection, the lower one hovered.
// `chart_demo [box]` puts the pointer over box number `box` of the lower bar (default 2), so a
// screenshot shows the label; move the mouse to try hover and clicks by hand.
// `--keys` gives the lower bar the keyboard focus instead and moves it two sectors right, as Tab
// and Right would. `--crowded` adds a bar 400 wide of 400 sectors, the first holding half.

#include "DynamicStackedView.h"
#include "DynamicStackedViewBox.h"
#include "DynamicStackedViewDelegate.h"
#include "HexColor.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
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
    const QStringList arguments = app.arguments().mid(1);
    const bool keys = arguments.contains(u"--keys"_qs);
    int hover = keys ? -1 : 2;
    for (const QString &argument : arguments) {
        bool number = false;
        const int box = argument.toInt(&number);
        if (number)
            hover = box;
    }
    PrintingDelegate delegate;

    QWidget window;
    window.setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(&window);
    layout->setSpacing(0);
    QList<DynamicStackedView *> bars;
    QList<QList<std::pair<QString, float>>> rows {
        {{u"Applications"_qs, 0.32f}, {u"Documents"_qs, 0.22f}, {u"Library"_qs, 0.28f}, {u"Music"_qs, 0.1f},
            {u"Files"_qs, 0.08f}},
        {{u"Photos"_qs, 0.05f}, {u"Projects"_qs, 0.45f}, {u"Videos"_qs, 0.2f}, {u"a"_qs, 0.002f},
            {u"Mail"_qs, 0.15f}, {u"Files"_qs, 0.148f}}};
    if (arguments.contains(u"--crowded"_qs)) {
        QList<std::pair<QString, float>> crowded {{u"half"_qs, 0.5f}};
        for (int i = 1; i < 400; ++i)
            crowded.append({u"sliver %1"_qs.arg(i), 0.5f / 399});
        rows.append(crowded);
    }
    for (const auto &entries : rows) {
        auto *bar = new DynamicStackedView(&window);
        bar->setFixedHeight(70 + DynamicStackedView::kTopMargin);
        if (entries.size() == 400)
            bar->setFixedWidth(400);
        bar->setCornerRadius(5);
        bar->setSectorSpacing(1.0);
        bar->setDelegate(&delegate);
        bar->setAccessibleName(bars.isEmpty() ? u"Home"_qs : u"Projects"_qs);
        Sectors row = makeRow(entries);
        if (bars.isEmpty())
            row[2]->setSelected(true);
        bar->setData(row);
        layout->addWidget(bar);
        bars << bar;
    }
    window.resize(720, 100 * int(rows.size()));
    window.move(20, 20);
    window.show();

    auto *lower = bars[1];
    // Keys come late enough for an AT-SPI listener to be there (bench/chart/atspi-check.sh).
    QTimer::singleShot(keys ? 1500 : 300, &window, [&] {
        if (hover >= 0 && hover < int(lower->sectors().size())) {
            if (auto *box = lower->boxForSector(lower->sectors()[hover]))
                QCursor::setPos(box->mapToGlobal(box->rect().center()));
        }
        if (keys) {
            window.activateWindow();
            lower->setFocus(Qt::TabFocusReason);
            for (int i = 0; i < 2; ++i) {
                QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
                QCoreApplication::sendEvent(lower, &right);
            }
        }
    });
    return app.exec();
}
