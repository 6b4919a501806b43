// Times DynamicStackedView::setData plus one layout pass on rows of 100, 10,000 and 50,000
// sectors whose shares follow a long-tailed (Pareto) size distribution in random order, as the
// sub-folders of a real folder do. The peer, timed in the same run on the same rows, is the
// straightforward design: one widget per sector and a layout that finds each sector's widget by
// scanning all of them. Runs offscreen unless QT_QPA_PLATFORM says otherwise.

#include "DynamicStackedView.h"
#include "DynamicStackedViewBox.h"
#include "StackedBarLayout.h"

#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

using namespace corvale;

namespace {

constexpr int kBarWidth = 1000;
constexpr int kBarHeight = 70;

Sectors makeRow(int count, std::mt19937 &random)
{
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    std::vector<double> sizes(count);
    double total = 0;
    for (auto &size : sizes) {
        size = 1.0 / std::pow(1.0 - uniform(random), 1.0 / 1.1); // Pareto, alpha 1.1
        total += size;
    }
    Sectors row;
    row.reserve(count);
    for (double size : sizes) {
        auto sector = std::make_shared<DynamicStackedViewSector>();
        sector->setSectorPercentage(float(size / total));
        sector->setColor(QColor(0, 133, 255));
        sector->setHighlightColor(QColor(0, 217, 63));
        sector->setTitle(QStringLiteral("folder"));
        row.push_back(std::move(sector));
    }
    return row;
}

// The peer: a widget per sector, each sector's widget found by a scan of all of them, twice.
class NaiveBar : public QWidget
{
public:
    using QWidget::QWidget;

    void setData(const Sectors &sectors)
    {
        for (const auto &entry : m_boxes)
            delete entry.second;
        m_boxes.clear();
        m_sectors = sectors;
        for (const auto &sector : m_sectors) {
            auto *box = new QWidget(this);
            box->show();
            m_boxes.emplace_back(sector.get(), box);
        }
        layout();
    }

    void layout()
    {
        const double w = width();
        const double s = 1.0;
        auto boxOf = [&](const DynamicStackedViewSector *sector) -> QWidget * {
            for (const auto &[boxSector, box] : m_boxes) {
                if (boxSector == sector)
                    return box;
            }
            return nullptr;
        };
        double available = m_boxes.size() == 1 ? w : w - s * double(m_boxes.size()) + 1;
        float remaining = 1.0f;
        int visible = 0;
        for (const auto &sector : m_sectors) {
            auto *box = boxOf(sector.get());
            const double bw = available * sector->sectorPercentage();
            if (bw >= 1.0) {
                box->show();
                ++visible;
            } else {
                available += s + bw;
                remaining -= sector->sectorPercentage();
                box->hide();
            }
        }
        available = visible == 1 ? w : w - s * visible + 1;
        double x = 0;
        for (const auto &sector : m_sectors) {
            auto *box = boxOf(sector.get());
            const double bw = available * sector->sectorPercentage() / remaining;
            if (bw >= 0 && !box->isHidden()) {
                box->setGeometry(int(x), 18, int(bw), 50);
                x += bw + s;
            }
        }
    }

private:
    Sectors m_sectors;
    std::vector<std::pair<const DynamicStackedViewSector *, QWidget *>> m_boxes;
};

double medianOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::mt19937 random(20240611);

    std::printf("%8s  %12s  %8s  %14s  %8s\n", "sectors", "bar (ms)", "widgets", "peer (ms)", "ratio");
    for (int count : {100, 10000, 50000}) {
        const Sectors row = makeRow(count, random);

        QWidget window;
        window.resize(kBarWidth, 200);
        auto *bar = new DynamicStackedView(&window);
        bar->setGeometry(0, 0, kBarWidth, kBarHeight + DynamicStackedView::kTopMargin);
        bar->setSectorSpacing(1.0);
        window.show();
        QCoreApplication::processEvents();

        std::vector<double> runs;
        for (int run = 0; run < 7; ++run) {
            QElapsedTimer timer;
            timer.start();
            bar->setData(row);
            bar->updateLayout();
            runs.push_back(timer.nsecsElapsed() / 1e6);
            // The discarded boxes go between runs, as they do once the event loop runs again.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCoreApplication::processEvents();
        }
        const double ours = medianOf(runs);
        const auto widgets = bar->findChildren<DynamicStackedViewBox *>().size();

        // The peer is quadratic: one run is enough to see it, and more would take minutes.
        NaiveBar naive(&window);
        naive.setGeometry(0, 80, kBarWidth, kBarHeight + 4);
        naive.show();
        QElapsedTimer timer;
        timer.start();
        naive.setData(row);
        naive.layout();
        const double peer = timer.nsecsElapsed() / 1e6;

        std::printf("%8d  %12.2f  %8lld  %14.1f  %7.1fx\n", count, ours, static_cast<long long>(widgets),
            peer, peer / ours);
        std::fflush(stdout);
    }
    return 0;
}
