// Progress reports and stop requests during a walk.

#include "TreeFixture.h"

#include <future>
#include <thread>

using namespace corvale;
using namespace corvale::test;
using namespace std::chrono_literals;

namespace {

constexpr std::uint64_t allOnes = ~std::uint64_t(0);

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

    void stopFromAnotherThread()
    {
        // 20 x 10 folders of 100 files: the stop lands deep inside the walk.
        TempTree tree;
        for (int a = 0; a < 20; ++a) {
            const std::string outer = tree / ("a" + std::to_string(a));
            makeFolder(outer);
            for (int b = 0; b < 10; ++b) {
                const std::string inner = outer + "/b" + std::to_string(b);
                makeFolder(inner);
                for (int f = 0; f < 100; ++f)
                    makeFile(inner + "/f" + std::to_string(f), 1);
            }
        }
        FolderVisualData scanner;
        // At its 100th report, the walk hands control to the test thread and waits for the stop.
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
        // The final report still comes: the items seen until the stop, that is those before the
        // folder being entered and the folder itself, whose first entry notices the stop.
        QCOMPARE(delegate.reports.size(), 101u);
        QCOMPARE(delegate.reports.back(), delegate.reports[99] + 1);
        QVERIFY(delegate.reports.back() < 20u * 10 * 101 + 20);
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
