// Progress reports and stop requests during a walk.

#include "TreeFixture.h"

#include <filesystem>
#include <future>
#include <set>
#include <thread>

using namespace corvale;
using namespace corvale::test;
using namespace std::chrono_literals;

namespace {

constexpr std::uint64_t allOnes = ~std::uint64_t(0);

int openDescriptors()
{
    return int(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
}

} // namespace

class TestWalkProgress : public QObject
{
    Q_OBJECT

private slots:
    void reportsOnEnteringFoldersAfterFiveSeconds()
    {
        // Every folder entered after more than 5 s reports the items seen before it; the counter
        // starts at all ones, so the chosen folder's own report wraps. Files never report.
        TempTree tree;
        makeFolder(tree / "d1");
        makeFolder(tree / "d1/d2");
        for (int i = 0; i < 1000; ++i)
            makeFile(tree / ("d1/d2/f" + std::to_string(i)), 100);
        FolderVisualData scanner;
        ProgressRecorder progress;
        scanner.setDelegate(&progress);
        scanner.setClock(steppingClock(6s));
        QCOMPARE(scanner.visualizePath(tree.path())->size(), 100000u);
        QCOMPARE(progress.reports, (std::vector<std::uint64_t> {allOnes, 0, 1, 1002}));

        // The clock reads 0 when the walk starts and `later` ever after: exactly 5 s is not enough.
        auto clockAt = [](std::chrono::nanoseconds later) {
            auto started = std::make_shared<bool>(false);
            return [later, started] {
                return std::chrono::steady_clock::time_point {}
                + (std::exchange(*started, true) ? later : 0ns);
            };
        };
        progress.reports.clear();
        scanner.setClock(clockAt(5s));
        QVERIFY(scanner.visualizePath(tree.path()));
        QCOMPARE(progress.reports, std::vector<std::uint64_t> {1002});
        // Just past 5 s: one report on entering the chosen folder, then 5 s must pass again.
        progress.reports.clear();
        scanner.setClock(clockAt(5s + 1ns));
        QVERIFY(scanner.visualizePath(tree.path()));
        QCOMPARE(progress.reports, (std::vector<std::uint64_t> {allOnes, 1002}));
    }

    void parallelReportsAreOneCount()
    {
        // Made by the walking threads one at a time, never on the thread that asked for the
        // walk; the count grows, and the last one is exact.
        TempTree tree;
        makeRandomTree(tree.path(), 300, 3);
        FolderVisualData scanner;
        scanner.setThreadCount(4);
        scanner.setClock(steppingClock(6s));
        ProgressRecorder progress;
        std::atomic<int> inside = 0;
        std::set<std::thread::id> threads;
        progress.onReport = [&] {
            QVERIFY(++inside == 1);
            threads.insert(std::this_thread::get_id());
            --inside;
        };
        scanner.setDelegate(&progress);
        std::shared_ptr<FolderVisualData> root;
        std::thread([&] { root = scanner.visualizePath(tree.path()); }).join();
        QVERIFY(!threads.count(std::this_thread::get_id()));
        QVERIFY(threads.size() > 1);
        QVERIFY(std::is_sorted(progress.reports.begin() + 1, progress.reports.end()));
        QCOMPARE(progress.reports.back(), root->count());
    }

    void stopFromAnotherThread()
    {
        TempTree tree;
        makeRandomTree(tree.path(), 1500, 11);
        FolderVisualData scanner;
        const int before = openDescriptors();
        // One thread: at its 100th report, the walk hands control to the test thread and waits
        // for the stop. The final report still comes, with the items seen until the stop: those
        // before the folder being entered and the folder itself, whose first entry notices it.
        {
            scanner.setThreadCount(1);
            ProgressRecorder delegate;
            std::promise<void> reached, stopped;
            delegate.onReport = [&] {
                if (delegate.reports.size() == 100) {
                    reached.set_value();
                    stopped.get_future().wait();
                }
            };
            scanner.setDelegate(&delegate);
            scanner.setClock(steppingClock(6s));
            std::shared_ptr<FolderVisualData> result = std::make_shared<FolderVisualData>();
            std::thread walker([&] { result = scanner.visualizePath(tree.path()); });
            reached.get_future().wait();
            scanner.requestStop();
            QVERIFY(scanner.stopRequested());
            stopped.set_value();
            walker.join();
            QVERIFY(!result);
            QCOMPARE(delegate.reports.size(), 101u);
            QCOMPARE(delegate.reports.back(), delegate.reports[99] + 1);
        }

        // Several threads, stopped at random moments: nothing or the whole tree comes back, and
        // no descriptor is left open.
        scanner.setThreadCount(1);
        scanner.setClock([] { return std::chrono::steady_clock::now(); });
        ProgressRecorder progress;
        scanner.setDelegate(&progress);
        const auto started = std::chrono::steady_clock::now();
        const auto full = scanner.visualizePath(tree.path());
        const auto oneThread = std::chrono::steady_clock::now() - started;
        std::mt19937 random(1);
        int stops = 0;
        constexpr int rounds = 60;
        for (int round = 0; round < rounds; ++round) {
            scanner.setThreadCount(2 + round % 3);
            progress.reports.clear();
            std::shared_ptr<FolderVisualData> result;
            std::thread walker([&] { result = scanner.visualizePath(tree.path()); });
            std::this_thread::sleep_for(oneThread * (random() % 100) / 100);
            scanner.requestStop();
            walker.join();
            QCOMPARE(progress.reports.size(), 1u);
            if (result) {
                QCOMPARE(treeDifference(*result, *full), std::string());
                QCOMPARE(progress.reports.back(), full->count());
            } else {
                QVERIFY(progress.reports.back() <= full->count());
                ++stops;
            }
            QCOMPARE(openDescriptors(), before);
        }
        QVERIFY2(stops > rounds / 4, std::to_string(stops).c_str());
    }

    void stopBeforeTheWalkIsCleared()
    {
        TempTree tree;
        makeFile(tree / "f", 1);
        FolderVisualData scanner;
        scanner.requestStop();
        auto root = scanner.visualizePath(tree.path());
        QVERIFY(root);
        QCOMPARE(root->count(), 1u);
        QVERIFY(!scanner.stopRequested());
    }
};

QTEST_GUILESS_MAIN(TestWalkProgress)
#include "tst_walkprogress.moc"
