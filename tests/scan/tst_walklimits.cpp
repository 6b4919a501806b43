// Trees beyond what a simple walk survives: depth past PATH_MAX and the stack, descriptor
// limits, names that are not UTF-8, and the mount table behind the check for kernel file systems.

#include "FolderWalker.h"
#include "MountPoints.h"
#include "TreeFixture.h"

#include <filesystem>
#include <pthread.h>
#include <sys/resource.h>

using namespace corvale;
using namespace corvale::test;
using namespace std::chrono_literals;

namespace {

// `levels` nested folders below `root`, each also holding one one-byte file and `leaves` empty
// folders, made relative to descriptors since the paths outgrow PATH_MAX. The chain goes on in
// the folder listed first, so that every level has folders still to walk while the walk is
// deeper down. Their names go to `chain`.
void makeChain(const std::string &root, int levels, int leaves, std::vector<std::string> &chain)
{
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int level = 0; level < levels; ++level) {
        for (int folder = 0; folder <= leaves; ++folder)
            QVERIFY(::mkdirat(fd, ("d" + std::to_string(level * (leaves + 1) + folder)).c_str(), 0755) == 0);
        DIR *listing = ::fdopendir(::dup(fd));
        while (dirent *entry = ::readdir(listing)) {
            if (entry->d_name[0] == 'd') {
                chain.push_back(entry->d_name);
                break;
            }
        }
        ::closedir(listing);
        const int child = ::openat(fd, chain.back().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        fd = child;
        const int file = ::openat(fd, "f", O_WRONLY | O_CREAT, 0644);
        QVERIFY(file >= 0 && ::write(file, "x", 1) == 1);
        ::close(file);
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
    void deepTreesOnFewDescriptors_data()
    {
        QTest::addColumn<int>("levels");
        QTest::addColumn<int>("leaves");
        QTest::addColumn<unsigned>("threads");
        // Paths over 10 kB: one stack frame or one descriptor per level would not do.
        QTest::newRow("chain past PATH_MAX") << 5000 << 0 << 2u;
        // Folders still to be walked at every level: more than may keep their descriptors.
        QTest::newRow("deep and wide") << 150 << 3 << 1u;
        QTest::newRow("deep and wide, 4 threads") << 150 << 3 << 4u;
    }

    void deepTreesOnFewDescriptors()
    {
        // Walked on a 512 KiB stack with 256 descriptors allowed.
        QFETCH(int, levels);
        QFETCH(int, leaves);
        QFETCH(unsigned, threads);
        TempTree tree;
        std::vector<std::string> chain;
        makeChain(tree.path(), levels, leaves, chain);

        FolderVisualData scanner;
        scanner.setThreadCount(threads);
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
        QCOMPARE(result->count(), std::uint64_t(levels * (2 + leaves)));
        QCOMPARE(result->size(), std::uint64_t(levels));
        QVERIFY2(most - before <= int(FolderWalker::maxHeldFolders + 3 * threads + 1),
            std::to_string(most).c_str());
        // One thread alone exhausts what may be held, and goes on from the root.
        if (threads == 1)
            QVERIFY2(most - before >= int(FolderWalker::maxHeldFolders), std::to_string(most).c_str());
        QCOMPARE(openDescriptors(), before);

        const FolderVisualData *node = result.get();
        std::string expected = tree.path();
        for (int level = 0; level < levels; ++level) {
            node = childNamed(*node, chain[level]);
            expected += "/" + chain[level];
            QCOMPARE(node->count(), std::uint64_t((2 + leaves) * (levels - level) - 1 - leaves));
        }
        QCOMPARE(node->path(), expected);
        QVERIFY(levels < 5000 || node->path().size() > PATH_MAX * 2);

        // Letting go of the tree must not take a stack frame per level either.
        QVERIFY(onSmallStack([&] { result.reset(); }));
        QVERIFY(!result);
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
