// Trees beyond what a simple walk survives: depth past PATH_MAX and the stack, descriptor
// limits, names that are not UTF-8, and the mount table behind the check for kernel file systems.

#include "MountPoints.h"
#include "TreeFixture.h"

#include <filesystem>
#include <pthread.h>
#include <sys/resource.h>

using namespace corvale;
using namespace corvale::test;
using namespace std::chrono_literals;

namespace {

// `levels` nested folders "d" below `root`, each also holding `files` one-byte files, made
// relative to descriptors since the paths outgrow PATH_MAX.
void makeChain(const std::string &root, int levels, int files)
{
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; level < levels; ++level) {
        QVERIFY(::mkdirat(fd, "d", 0755) == 0);
        const int child = ::openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = child;
        for (int f = 0; f < files; ++f) {
            const int file = ::openat(fd, ("f" + std::to_string(f)).c_str(), O_WRONLY | O_CREAT, 0644);
            QVERIFY(file >= 0 && ::write(file, "x", 1) == 1);
            ::close(file);
        }
    }
    ::close(fd);
}

int openDescriptors()
{
    // Less the one the listing itself holds.
    return int(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {})) - 1;
}

// Runs `job` on a thread with a 512 KiB stack; false when no thread could be made.
bool onSmallStack(std::function<void()> job)
{
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 512 * 1024);
    pthread_t thread;
    auto run = [](void *f) -> void * {
        (*static_cast<std::function<void()> *>(f))();
        return nullptr;
    };
    const bool made = ::pthread_create(&thread, &attributes, run, &job) == 0;
    if (made)
        ::pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
    return made;
}

} // namespace

class TestWalkLimits : public QObject
{
    Q_OBJECT

private slots:
    void deepChainBeyondPathMax()
    {
        // 5,000 levels (paths over 10 kB), walked on a 512 KiB stack with 256 descriptors allowed:
        // one stack frame or one descriptor per level would not do.
        constexpr int levels = 5000;
        TempTree tree;
        makeChain(tree.path(), levels, 1);

        FolderVisualData scanner;
        ProgressRecorder watch; // with the stepping clock, every folder entered reports
        int most = 0;
        watch.onReport = [&] { most = std::max(most, openDescriptors()); };
        scanner.setDelegate(&watch);
        scanner.setClock(steppingClock(6s));
        const int before = openDescriptors();
        std::shared_ptr<FolderVisualData> result;

        rlimit saved;
        QVERIFY(::getrlimit(RLIMIT_NOFILE, &saved) == 0);
        rlimit lowered = saved;
        lowered.rlim_cur = 256;
        QVERIFY(::setrlimit(RLIMIT_NOFILE, &lowered) == 0);
        const bool walked = onSmallStack([&] { result = scanner.visualizePath(tree.path()); });
        ::setrlimit(RLIMIT_NOFILE, &saved);
        QVERIFY(walked && result);
        QCOMPARE(result->count(), std::uint64_t(2 * levels));
        QCOMPARE(result->size(), std::uint64_t(levels));
        QVERIFY2(most - before <= 64 + 1, std::to_string(most - before).c_str());

        const FolderVisualData *node = result.get();
        std::string expected = tree.path();
        for (int level = 0; level < levels; ++level) {
            QCOMPARE(node->children()->size(), 1u);
            node = node->children()->front().get();
            expected += "/d";
            QCOMPARE(node->count(), std::uint64_t(2 * (levels - level) - 1));
        }
        QCOMPARE(node->path(), expected);
        QVERIFY(node->path().size() > PATH_MAX * 2);

        // Letting go of the tree must not take a stack frame per level either.
        QVERIFY(onSmallStack([&] { result.reset(); }));
        QVERIFY(!result);
    }

    void parkedFoldersKeepTheirEntries()
    {
        // Folders far up a 150-level chain give up their descriptors and get them back when the walk
        // returns, listing on where they stopped. Midway, a folder is moved away: its old parent
        // still lists all its entries.
        constexpr int levels = 150;
        TempTree tree;
        makeChain(tree.path(), levels, 5);

        ProgressRecorder mover;
        int entered = 0;
        bool moved = false;
        mover.onReport = [&] {
            if (++entered == 140) {
                std::string from = tree.path();
                for (int i = 0; i < 50; ++i)
                    from += "/d";
                moved = ::rename(from.c_str(), (tree / "moved").c_str()) == 0;
            }
        };
        FolderVisualData scanner;
        scanner.setDelegate(&mover);
        scanner.setClock(steppingClock(6s));
        auto root = scanner.visualizePath(tree.path());
        QVERIFY(moved && root);
        QCOMPARE(root->count(), std::uint64_t(levels * 6));
        QCOMPARE(root->size(), std::uint64_t(levels * 5));

        const FolderVisualData *node = root->children()->front().get();
        for (int level = 1; level <= levels; ++level) {
            QCOMPARE(node->count(), std::uint64_t(6 * (levels - level) + 5));
            QCOMPARE(node->size(), std::uint64_t(5 * (levels - level + 1)));
            if (level < levels)
                node = node->children()->front().get();
        }
    }

    void namesThatAreNotUtf8()
    {
        TempTree tree;
        const std::string folder = "\xff\xfe-latin1-caf\xe9";
        makeFolder(tree / folder);
        makeFile(tree / (folder + "/\xc3\x28"), 5);
        makeFile(tree / "\x80", 2);

        FolderVisualData scanner;
        auto root = scanner.visualizePath(tree.path());
        QCOMPARE(root->count(), 3u);
        QCOMPARE(root->size(), 7u);
        QCOMPARE(root->children()->front()->path(), tree / folder);
        QCOMPARE(root->children()->front()->size(), 5u);
    }

    void mountPointsBelowTheRoot()
    {
        const std::string table = "22 1 0:21 / /proc rw,nosuid - proc proc rw\n"
                                  "40 23 0:50 / /home/ann/my\\040disk rw - ext4 /dev/sdb1 rw\n"
                                  "41 23 0:51 / /home/ann/back\\134slash rw - tmpfs tmpfs rw\n"
                                  "42 23 0:52 / /home/annex rw - tmpfs tmpfs rw\n";
        MountPoints below("/home/ann", table);
        QVERIFY(below.known());
        QVERIFY(below.mayBeMountPoint("/home/ann/my disk"));
        QVERIFY(below.mayBeMountPoint("/home/ann/back\\slash"));
        QVERIFY(!below.mayBeMountPoint("/home/annex")); // a sibling, not below
        QVERIFY(!below.mayBeMountPoint("/home/ann/other"));
        QVERIFY(MountPoints("/", table).mayBeMountPoint("/proc"));

        // Without a table every folder is checked.
        MountPoints unknown("/", "");
        QVERIFY(!unknown.known());
        QVERIFY(unknown.mayBeMountPoint("/anything"));
    }
};

QTEST_GUILESS_MAIN(TestWalkLimits)
#include "tst_walklimits.moc"
