// What a walk finds: sizes, counts and children for the kinds of entries a folder can hold,
// the same with any number of threads.

#include "FolderWalker.h"
#include "TreeFixture.h"

#include <sys/vfs.h>

using namespace corvale;
using namespace corvale::test;

class TestFolderWalk : public QObject
{
    Q_OBJECT

private slots:
    void sizesAndCountsAddUp()
    {
        TempTree tree;
        FolderVisualData scanner;
        ProgressRecorder progress;
        scanner.setDelegate(&progress);
        QVERIFY(!scanner.visualizePath(""));
        QCOMPARE(progress.reports.size(), 1u); // the final report comes in every case
        // A folder that cannot be resolved is a node without a path, with nothing in it.
        auto root = scanner.visualizePath(tree / "missing");
        QVERIFY(root && root->path().empty());
        QCOMPARE(root->count(), 0u);
        QCOMPARE(root->size(), 0u);
        root = scanner.visualizePath(tree.path());
        QVERIFY(root->children() && root->children()->empty());
        QCOMPARE(root->size(), 0u);

        makeFile(tree / "a", 10);
        makeFile(tree / "b", 20);
        makeFolder(tree / "sub");
        makeFile(tree / "sub/c", 5);
        progress.reports.clear();
        root = scanner.visualizePath(tree.path());
        QCOMPARE(root->path(), tree.path());
        QCOMPARE(root->size(), 35u);
        QCOMPARE(root->count(), 4u);
        QCOMPARE(root->children()->size(), 1u);
        const auto &sub = root->children()->front();
        QCOMPARE(sub->path(), tree / "sub");
        QCOMPARE(sub->size(), 5u);
        QCOMPARE(sub->count(), 1u);
        QVERIFY(sub->children() && sub->children()->empty());
        // A quick walk makes one report, the final one, an item count equal to the root's.
        QCOMPARE(progress.reports, std::vector<std::uint64_t> {4});
        // Result nodes carry no scanner state.
        QVERIFY(!sub->delegate() && !sub->stopRequested());

        // Hidden files and hard links count where they lie.
        makeFile(tree / "sub/.hidden", 7);
        QVERIFY(::link((tree / "a").c_str(), (tree / "sub/hardlink").c_str()) == 0);
        root = scanner.visualizePath(tree.path());
        QCOMPARE(root->size(), 35u + 7 + 10);
        QCOMPARE(root->count(), 6u);
        QCOMPARE(root->children()->front()->count(), 3u);
        QCOMPARE(progress.reports.back(), 6u);
    }

    void linksAreNeverFollowed()
    {
        TempTree tree;
        makeFolder(tree / "target");
        makeFile(tree / "target/big", 1000000);
        const std::string link = tree / "target";
        QVERIFY(::symlink(link.c_str(), (tree / "link").c_str()) == 0);
        QVERIFY(::symlink("nowhere", (tree / "dangling").c_str()) == 0);

        FolderVisualData scanner;
        auto root = walkBothWays(scanner, tree.path());
        QVERIFY(root);
        // Each link is one item of its own length (its target's text); the target is walked once.
        QCOMPARE(root->count(), 4u);
        QCOMPARE(root->size(), 1000000u + link.size() + std::string("nowhere").size());
        QCOMPARE(root->children()->size(), 1u);

        // Only the chosen path itself is resolved, links, dots and all.
        root = scanner.visualizePath(tree / "link/./../link/");
        QCOMPARE(root->path(), tree / "target");
        QCOMPARE(root->size(), 1000000u);
    }

    void unreadableSubFolderIsAnEmptyChild()
    {
        if (::geteuid() == 0)
            QSKIP("root reads any folder, so a refused folder cannot be made; run as a normal user");
        TempTree tree;
        makeFolder(tree / "locked");
        makeFile(tree / "locked/secret", 100);
        makeFile(tree / "open", 4);
        QVERIFY(::chmod((tree / "locked").c_str(), 0) == 0);

        FolderVisualData scanner;
        ProgressRecorder progress;
        scanner.setDelegate(&progress);
        auto root = walkBothWays(scanner, tree.path());
        const FolderVisualData *locked = childNamed(*root, "locked");
        QVERIFY(locked);
        QCOMPARE(locked->size(), 0u);
        QCOMPARE(locked->count(), 0u);
        QVERIFY(locked->children() && locked->children()->empty());
        QCOMPARE(root->count(), 2u);
        QCOMPARE(root->size(), 4u);
        QCOMPARE(progress.reports.back(), 2u);
    }

    void specialFilesAndUnknownEntryTypes()
    {
        // A FIFO nobody writes to would block whoever opens it for reading. Some file systems
        // answer DT_UNKNOWN: the walk then asks each entry's type itself, with the same result.
        TempTree tree;
        makeFolder(tree / "a");
        makeFolder(tree / "a/b");
        makeFile(tree / "a/b/f", 11);
        QVERIFY(::mkfifo((tree / "a/fifo").c_str(), 0644) == 0);
        QVERIFY(::symlink("a", (tree / "link").c_str()) == 0);
        for (bool ignoreTypes : {false, true}) {
            FolderVisualData scanner;
            FolderWalker::setIgnoreEntryTypes(scanner, ignoreTypes);
            auto root = walkBothWays(scanner, tree.path());
            QVERIFY(root);
            QCOMPARE(root->count(), 5u);
            QCOMPARE(root->size(), 11u + 1);
            QCOMPARE(root->children()->front()->children()->front()->path(), tree / "a/b");

            // Chosen directly, a FIFO is a folder that cannot be opened, not a hang.
            root = scanner.visualizePath(tree / "a/fifo");
            QCOMPARE(root->path(), tree / "a/fifo");
            QCOMPARE(root->count(), 0u);
        }
    }

    void everyThreadCountFindsTheSameTree()
    {
        // Children in listing order and every total, whichever thread walked which folder.
        TempTree tree;
        makeRandomTree(tree.path(), 400, 7);
        FolderVisualData scanner;
        scanner.setThreadCount(1);
        const auto expected = scanner.visualizePath(tree.path());
        for (unsigned threads : {2u, 3u, 16u}) {
            scanner.setThreadCount(threads);
            for (int round = 0; round < 5; ++round)
                QCOMPARE(treeDifference(*scanner.visualizePath(tree.path()), *expected), std::string());
        }
    }

    void kernelFileSystemsAreNotWalked()
    {
        struct statfs info;
        if (::statfs("/proc", &info) != 0 || info.f_type != 0x9fa0)
            QSKIP("/proc is not mounted here");
        FolderVisualData scanner;
        // /proc/kcore alone would claim 128 TB.
        auto root = scanner.visualizePath("/proc/self/..");
        QCOMPARE(root->path(), std::string("/proc"));
        QCOMPARE(root->count(), 0u);
        QCOMPARE(root->size(), 0u);
        QVERIFY(root->children() && root->children()->empty());

        // Below a walked folder, such a mount is a folder that cannot be opened: one item.
        if (::statfs("/dev/pts", &info) != 0 || info.f_type != 0x1cd1)
            QSKIP("/dev/pts is not a devpts mount here");
        root = scanner.visualizePath("/dev");
        const FolderVisualData *pts = childNamed(*root, "pts");
        QVERIFY(pts);
        QCOMPARE(pts->count(), 0u);
        QCOMPARE(pts->size(), 0u);
    }
};

QTEST_GUILESS_MAIN(TestFolderWalk)
#include "tst_folderwalk.moc"
