// Times the window's scan files at scale, in interleaved rounds: walking FOLDER (the peer),
// comparing that result with EXPORT (a scan of the same folder), and opening EXPORT in place of a
// walk; each from the call to the rows shown and the folder listed (or every sector labelled), with
// the longest stall of the GUI thread while it runs. Round 0 warms the cache and is not counted.
//
// Usage: QT_QPA_PLATFORM=offscreen bench_scanwindow FOLDER EXPORT [ROUNDS]

#include "AnalysisSession.h"
#include "StallMeter.h"
#include "StorageWindowController.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

using namespace corvale;

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Timing
{
    double seconds;
    double stallMs;
};

// Runs `start`, then the event loop until `done`.
Timing timed(const std::function<void()> &start, const std::function<bool()> &done)
{
    StallMeter stalls;
    stalls.start();
    QElapsedTimer clock;
    clock.start();
    start();
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    return {seconds, stalls.stop().wall};
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_scanwindow FOLDER EXPORT [ROUNDS]\n");
        return 2;
    }
    const QByteArray folder = argv[1], exported = argv[2];
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 5;

    StorageWindowController window;
    window.resize(1100, 720);
    window.show();
    AnalysisSession &session = *window.session();
    const auto shown
        = [&] { return session.state() == AnalysisSession::State::Result && !session.isListing(); };

    std::vector<double> walk, compare, open, compareRatio, openRatio, walkStall, compareStall, openStall;
    quint64 walked = 0, opened = 0;
    for (int round = 0; round <= rounds; ++round) {
        const Timing w = timed([&] { window.openFolder(folder); }, shown);
        walked = session.itemsVisualized();
        const Timing c = timed([&] { session.compareWithScan(exported); },
            [&] { return session.comparedScan() && !session.isReadingComparison(); });
        const Timing o
            = timed([&] { window.openScanFile(exported); }, [&] { return shown() && session.scan(); });
        opened = session.itemsVisualized();
        if (round == 0)
            continue;
        walk.push_back(w.seconds);
        compare.push_back(c.seconds);
        open.push_back(o.seconds);
        compareRatio.push_back(c.seconds / w.seconds);
        openRatio.push_back(o.seconds / w.seconds);
        walkStall.push_back(w.stallMs);
        compareStall.push_back(c.stallMs);
        openStall.push_back(o.stallMs);
    }
    double load[1] = {0};
    getloadavg(load, 1);
    std::printf("items: walked %llu, scan file %llu; %d rounds, load average %.2f\n",
        (unsigned long long)walked, (unsigned long long)opened, rounds, load[0]);
    std::printf("| through the window | median wall (s) | ratio to the walk | longest GUI stall (ms) |\n"
                "|---|---:|---:|---:|\n");
    std::printf("| walking the folder | %.3f | 1.00 | %.0f |\n", median(walk), median(walkStall));
    std::printf("| comparing the result with the export | %.3f | %.2f | %.0f |\n", median(compare),
        median(compareRatio), median(compareStall));
    std::printf(
        "| opening the export | %.3f | %.2f | %.0f |\n", median(open), median(openRatio), median(openStall));
    return 0;
}
