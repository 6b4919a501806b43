// Progress reports and stop requests during a walk.

#include "TreeFixture.h"

#include <future>
#include <set>
#include <thread>

using namespace corvale;
using namespace corvale::test;
using namespace std::chrono_literals;

class TestWalkProgress : public QObject
{
    Q_OBJECT

private slots:
    void reportsOnEnteringFoldersAfterFiveSeconds()
    {
        // Every folder entered after more than 5 s reports the items seen before it; the counter
        // starts at all ones, so the chosen folder's own report wraps. Files never report.
        constexpr std::uint64_t allOnes = ~std::uint64_t(0);
        TempTree tree;
        makeFolder(tree / "d1");
        makeFolder(tree / "d1/d2");
        for (int i = 0; i < 100; ++i)
            makeFile(tree / ("d1/d2/f" + std::to_string(i)), 100);
        FolderVisualData scanner;
        scanner.setThreadCount(1);
        ProgressRecorder progress;
        scanner.setDelegate(&progress);
        scanner.setClock(steppingClock(6s));
        QCOMPARE(scanner.visualizePath(tree.path())->size(), 10000u);
        QCOMPARE(progress.reports, (std::vector<std::uint64_t> {allOnes, 0, 1, 102}));

        // The clock reads 0 when the walk starts and `later` ever after: exactly 5 s is not enough;
        // just past 5 s, the chosen folder reports, and then 5 s must pass again.
        for (const auto later : {5s + 0ns, 5s + 1ns}) {
            progress.reports.clear();
            scanner.setClock([later, started = std::make_shared<bool>(false)] {
                return std::chrono::steady_clock::time_point {}
                + (std::exchange(*started, true) ? later : 0ns);
            });
            QVERIFY(scanner.visualizePath(tree.path()));
            QCOMPARE(progress.reports,
                (later == 5s ? std::vector<std::uint64_t> {102} : std::vector {allOnes, 102ul}));
        }
    }

    void stopFromAnotherThread()
    {
        TempTree tree;
        makeRandomTree(tree.path(), 1500, 11);
        const int descriptors = openDescriptors();
        FolderVisualData scanner;
        scanner.setThreadCount(1);
        ProgressRecorder progress;
        scanner.setDelegate(&progress);
        // A stop asked for before a walk is not that walk's.
        scanner.requestStop();
        const auto started = std::chrono::steady_clock::now();
        const auto full = scanner.visualizePath(tree.path());
        const auto oneThread = std::chrono::steady_clock::now() - started;
        QVERIFY(full && !scanner.stopRequested());

        // One thread: at its 100th report the walk hands control to the test thread and waits
        // for the stop. The final report still comes, with the items seen until the stop: those
        // before the folder being entered and the folder itself, whose first entry notices it.
        std::promise<void> reached, stopped;
        progress.reports.clear();
        progress.onReport = [&] {
            if (progress.reports.size() == 100) {
                reached.set_value();
                stopped.get_future().wait();
            }
        };
        scanner.setClock(steppingClock(6s));
        std::shared_ptr<FolderVisualData> result = full;
        std::thread walker([&] { result = scanner.visualizePath(tree.path()); });
        reached.get_future().wait();
        scanner.requestStop();
        QVERIFY(scanner.stopRequested());
        stopped.set_value();
        walker.join();
        QCOMPARE(std::tuple(bool(result), progress.reports.size()), std::tuple(false, size_t(101)));
        QCOMPARE(progress.reports.back(), progress.reports[99] + 1);

        // Several threads, stopped at random moments or not at all: nothing or the whole tree
        // comes back, and no descriptor stays open. Reports come one at a time, from the walking
        // threads only, and their count grows; the last is exact.
        std::mt19937 random(1);
        std::atomic<int> inside = 0;
        bool overlapped = false;
        std::set<std::thread::id> reporters;
        progress.onReport = [&] {
            overlapped |= ++inside != 1;
            reporters.insert(std::this_thread::get_id());
            --inside;
        };
        int stops = 0;
        for (int round = 0; round < 60; ++round) {
            scanner.setThreadCount(2 + round % 3);
            progress.reports.clear();
            walker = std::thread([&] { result = scanner.visualizePath(tree.path()); });
            if (round % 6) {
                std::this_thread::sleep_for(oneThread * (random() % 100) / 100);
                scanner.requestStop();
            }
            walker.join();
            QVERIFY(std::is_sorted(progress.reports.begin() + 1, progress.reports.end()));
            QVERIFY(progress.reports.back() <= full->count());
            if (result)
                QCOMPARE(std::tuple(treeDifference(*result, *full), progress.reports.back()),
                    std::tuple(std::string(), full->count()));
            stops += !result;
            QCOMPARE(openDescriptors(), descriptors);
        }
        QVERIFY2(stops > 10, std::to_string(stops).c_str());
        QVERIFY(!overlapped && reporters.size() > 1 && !reporters.count(std::this_thread::get_id()));
    }
};

QTEST_GUILESS_MAIN(TestWalkProgress)
#include "tst_walkprogress.moc"
