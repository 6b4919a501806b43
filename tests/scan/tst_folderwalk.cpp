// What a walk finds: sizes, disk usage, counts and children for the kinds of entries a folder
// can hold, the same with any number of threads; the largest files it passes; and trees beyond
// what a simple walk survives.

#include "FolderWalker.h"
#include "LargestFiles.h"
#include "MountPoints.h"
#include "TreeFixture.h"

#include <sys/resource.h>
#include <sys/vfs.h>

using namespace corvale;
using namespace corvale::test;
using namespace std::chrono_literals;

class TestFolderWalk : public QObject
{
    Q_OBJECT

private slots:
    void foldersThatCannotBeWalked()
    {
        // Nothing for an empty path, though the final report comes; a node without a path for
        // one that cannot be resolved; a FIFO is a folder that cannot be opened (not a hang).
        TempTree tree;
        FolderVisualData scanner;
        ProgressRecorder progress;
        scanner.setDelegate(&progress);
        QVERIFY(!scanner.visualizePath(""));
        QCOMPARE(progress.reports.size(), 1u);
        QVERIFY(::mkfifo((tree / "fifo").c_str(), 0644) == 0);
        for (const std::string &path : {tree / "missing", tree / "fifo"}) {
            auto root = scanner.visualizePath(path);
            QCOMPARE(root->path(), path.back() == 'o' ? path : std::string());
            QVERIFY(root->count() == 0 && root->size() == 0 && root->children()->empty());
        }
        // Only the chosen path itself is resolved, links, dots and all.
        makeFolder(tree / "sub");
        makeFile(tree / "sub/f", 5);
        QVERIFY(::symlink("sub", (tree / "link").c_str()) == 0);
        auto root = scanner.visualizePath(tree / "link/./../link/");
        QCOMPARE(std::pair(root->path(), root->size()), std::pair(tree / "sub", std::uint64_t(5)));
    }

    void totalsAreWhatFindAndDuCount()
    {
        // Lengths and items are find's: a link is an item of its own length, never followed, a
        // file with several links counts in full where each lies. Every folder's disk usage is
        // du's, whose walk meets a multi-linked file first where a one-thread walk in listing
        // order does. Any number of threads, any listing without entry types: the same tree.
        // A quick walk makes one report, the final one, an item count equal to the root's.
        TempTree tree;
        makeRandomTree(tree.path(), 300, 7);
        FolderVisualData scanner;
        scanner.setThreadCount(1);
        ProgressRecorder progress;
        scanner.setDelegate(&progress);
        const auto root = scanner.visualizePath(tree.path());
        QCOMPARE(progress.reports, std::vector {root->count()});
        auto find = numbersByPath("find '" + tree.path()
            + R"(' -mindepth 1 -printf '%y %s\n' | awk '{n++} $1!="d" {s+=$2} END {printf "%d\tn\n%.0f\ts\n", n, s}')");
        QCOMPARE(std::pair(root->count(), root->size()), std::pair(find["n"], find["s"]));
        const auto du = numbersByPath("du -B1 '" + tree.path() + "'");
        QCOMPARE(du.size(), 301u);
        const auto checkDu = [&](const auto &self, const FolderVisualData &node) -> void {
            QVERIFY2(
                du.count(node.path()) && node.allocatedSize() == du.at(node.path()), node.path().c_str());
            for (const auto &child : *node.children())
                self(self, *child);
        };
        checkDu(checkDu, *root);
        for (unsigned threads : {1u, 2u, 3u, 16u}) {
            scanner.setThreadCount(threads);
            FolderWalker::setIgnoreEntryTypes(scanner, threads == 1);
            for (int round = 0; round < 4; ++round)
                QCOMPARE(treeDifference(*scanner.visualizePath(tree.path()), *root), std::string());
        }
    }

    void theLargestFilesAreFindsLargest_data()
    {
        QTest::addColumn<unsigned>("threads");
        QTest::addColumn<int>("limit");
        QTest::newRow("1 thread, 100") << 1u << 100;
        QTest::newRow("3 threads, 100") << 3u << 100;
        QTest::newRow("3 threads, 7") << 3u << 7;
    }

    void theLargestFilesAreFindsLargest()
    {
        // By length and by disk usage, whichever thread met them; links, FIFOs and folders are
        // no files. Ties aside: the sizes must be find's, and every path one of find's of its size.
        QFETCH(unsigned, threads);
        QFETCH(int, limit);
        TempTree tree;
        makeRandomTree(tree.path(), 300, 11);
        FolderVisualData scanner;
        scanner.setThreadCount(threads);
        LargestFiles largest {std::size_t(limit)};
        scanner.setFileObserver(&largest);
        QVERIFY(scanner.visualizePath(tree.path()));
        for (const char *column : {"%s", "%b"}) {
            const std::uint64_t unit = column[1] == 'b' ? 512 : 1;
            const auto all
                = numbersByPath("find '" + tree.path() + "' -type f -printf '" + column + "\\t%p\\n'");
            std::vector<std::uint64_t> expected, found;
            for (const auto &[path, number] : all)
                expected.push_back(number * unit);
            for (const LargestFiles::File &file : largest.files()) {
                found.push_back(unit == 1 ? file.size : file.allocatedSize);
                QVERIFY2(all.count(file.path) && all.at(file.path) * unit == found.back(), file.path.c_str());
            }
            for (auto *sizes : {&found, &expected}) {
                std::sort(sizes->rbegin(), sizes->rend());
                sizes->resize(std::size_t(limit));
            }
            QCOMPARE(found, expected);
        }
    }

    void unreadableSubFolderIsAnEmptyChild()
    {
        if (::geteuid() == 0)
            QSKIP("root reads any folder, so a refused folder cannot be made; run as a normal user");
        TempTree tree;
        makeFolder(tree / "locked");
        makeFile(tree / "locked/secret", 100000, true);
        makeFile(tree / "open", 4);
        QVERIFY(::chmod((tree / "locked").c_str(), 0) == 0);
        FolderVisualData scanner;
        ProgressRecorder progress;
        scanner.setDelegate(&progress);
        auto root = scanner.visualizePath(tree.path());
        const FolderVisualData *locked = childNamed(*root, "locked");
        QVERIFY(locked->size() == 0 && locked->count() == 0 && locked->children()->empty());
        QCOMPARE(std::tuple(root->count(), root->size(), progress.reports.back()), std::tuple(2u, 4u, 2u));
        // Its own blocks count, as du counts them, though it cannot be listed.
        QVERIFY(locked->allocatedSize() > 0);
        QCOMPARE(root->allocatedSize(), numbersByPath("du -s -B1 '" + tree.path() + "'")[tree.path()]);
    }

    void kernelFileSystemsAreNotWalked()
    {
        // The mount table tells where one may begin; without one, anywhere.
        const std::string table = "22 1 0:21 / /proc rw,nosuid - proc proc rw\n"
                                  "40 23 0:50 / /home/ann/my\\040disk rw - ext4 /dev/sdb1 rw\n"
                                  "42 23 0:52 / /home/annex rw - tmpfs tmpfs rw\n";
        MountPoints below("/home/ann", table);
        QVERIFY(below.mayBeMountPoint("/home/ann/my disk") && MountPoints("/", table).mayBeMountPoint("/proc")
            && MountPoints("/", "").mayBeMountPoint("/anything"));
        QVERIFY(!below.mayBeMountPoint("/home/annex") && !below.mayBeMountPoint("/home/ann/other"));

        struct statfs info;
        if (::statfs("/proc", &info) != 0 || info.f_type != 0x9fa0)
            QSKIP("/proc is not mounted here");
        FolderVisualData scanner;
        // /proc/kcore alone would claim 128 TB.
        auto root = scanner.visualizePath("/proc/self/..");
        QCOMPARE(root->path(), std::string("/proc"));
        QVERIFY(root->count() == 0 && root->size() == 0 && root->children()->empty());

        // Below a walked folder, such a mount is a folder that cannot be opened: one item.
        if (::statfs("/dev/pts", &info) != 0 || info.f_type != 0x1cd1)
            QSKIP("/dev/pts is not a devpts mount here");
        root = scanner.visualizePath("/dev");
        const FolderVisualData *pts = childNamed(*root, "pts");
        QVERIFY(pts && pts->count() == 0 && pts->size() == 0);
    }

    void deepTreesOnFewDescriptors_data()
    {
        QTest::addColumn<int>("levels");
        QTest::addColumn<int>("leaves");
        QTest::addColumn<unsigned>("threads");
        // Paths over 10 kB: one stack frame or one descriptor per level would not do.
        QTest::newRow("chain past PATH_MAX") << 5000 << 0 << 2u;
        // More folders with sub-folders left to walk than may keep their descriptors.
        QTest::newRow("deep and wide") << 150 << 3 << 1u;
        QTest::newRow("deep and wide, 4 threads") << 150 << 3 << 4u;
    }

    void deepTreesOnFewDescriptors()
    {
        QFETCH(int, levels);
        QFETCH(int, leaves);
        QFETCH(unsigned, threads);
        TempTree tree;
        const std::vector<std::string> chain = makeChain(tree.path(), levels, leaves);
        FolderVisualData scanner;
        scanner.setThreadCount(threads);
        ProgressRecorder watch; // with the stepping clock, every folder entered reports
        int most = 0;
        watch.onReport = [&] { most = std::max(most, openDescriptors()); };
        scanner.setDelegate(&watch);
        scanner.setClock(steppingClock(6s));

        const int before = openDescriptors();
        rlimit saved;
        QVERIFY(::getrlimit(RLIMIT_NOFILE, &saved) == 0);
        const rlimit lowered {256, saved.rlim_max};
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &lowered) == 0);
        std::shared_ptr<FolderVisualData> result;
        onSmallStack([&] { result = scanner.visualizePath(tree.path()); }, 512);
        ::setrlimit(RLIMIT_NOFILE, &saved);
        QVERIFY(result);
        QCOMPARE(result->count(), std::uint64_t(levels * (2 + leaves)));
        QCOMPARE(result->size(), std::uint64_t(levels));
        // Never more than may be kept; one thread alone uses it all up, and goes on from the root.
        QVERIFY2(most - before <= int(FolderWalker::maxHeldFolders + 2 * threads + 1)
                && (threads > 1 || most - before >= int(FolderWalker::maxHeldFolders)),
            std::to_string(most).c_str());
        QCOMPARE(openDescriptors(), before);

        const FolderVisualData *node = result.get();
        std::string path = tree.path();
        for (const std::string &name : chain) {
            node = childNamed(*node, name);
            path += "/" + name;
        }
        QCOMPARE(std::pair(node->path(), node->count()), std::pair(path, std::uint64_t(1)));
        // Letting go of the tree must not take a stack frame per level either.
        onSmallStack([&] { result.reset(); }, 512);
    }
};

QTEST_GUILESS_MAIN(TestFolderWalk)
#include "tst_folderwalk.moc"
