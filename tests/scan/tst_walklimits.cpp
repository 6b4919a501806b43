// Trees beyond what a simple walk survives: depth past PATH_MAX and the stack, descriptor
// limits, huge folders, names that are not UTF-8, and the mount table behind the check for
// kernel file systems.

#include "MountPoints.h"
#include "TreeFixture.h"

#include <pthread.h>
#include <sys/resource.h>

using namespace corvale;
using namespace corvale::test;
using namespace std::chrono_literals;

namespace {

// Makes `levels` nested folders "d" below `root`, each also holding `files` one-byte files,
// working relative to descriptors since the paths outgrow PATH_MAX.
void makeChain(const std::string &root, int levels, int files)
{
    int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    QVERIFY(fd >= 0);
    for (int level = 0; level < levels; ++level) {
        QVERIFY(::mkdirat(fd, "d", 0755) == 0);
        const int child = ::openat(fd, "d", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        QVERIFY(child >= 0);
        ::close(fd);
        fd = child;
        for (int f = 0; f < files; ++f) {
            const std::string name = "f" + std::to_string(f);
            const int file = ::openat(fd, name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
            QVERIFY(file >= 0);
            QVERIFY(::write(file, "x", 1) == 1);
            ::close(file);
        }
    }
    ::close(fd);
}

int openDescriptors()
{
    int n = 0;
    if (DIR *dir = ::opendir("/proc/self/fd")) {
        while (::readdir(dir))
            ++n;
        ::closedir(dir);
    }
    return n - 3; // ".", "..", and the one reading
}

// Counts descriptors at every folder the walk enters (the stepping clock makes each one report).
class DescriptorWatch : public FolderVisualDataDelegate
{
public:
    void updateFolderProgress(std::uint64_t) override { most = std::max(most, openDescriptors()); }
    int most = 0;
};

FolderVisualData::Clock everyCallLater()
{
    auto calls = std::make_shared<int>(0);
    return [calls] { return std::chrono::steady_clock::time_point {} + 6s * (*calls)++; };
}

struct WalkOnSmallStack
{
    FolderVisualData *scanner;
    std::string path;
    std::shared_ptr<FolderVisualData> result;
};

void *walkOnSmallStack(void *argument)
{
    auto *job = static_cast<WalkOnSmallStack *>(argument);
    job->result = job->scanner->visualizePath(job->path);
    return nullptr;
}

void *releaseOnSmallStack(void *argument)
{
    static_cast<WalkOnSmallStack *>(argument)->result.reset();
    return nullptr;
}

// Runs `function(job)` on a thread with a 512 KiB stack; false when no thread could be made.
bool runOnSmallStack(void *(*function)(void *), WalkOnSmallStack &job)
{
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, 512 * 1024);
    pthread_t thread;
    const int created = ::pthread_create(&thread, &attributes, function, &job);
    if (created == 0)
        ::pthread_join(thread, nullptr);
    pthread_attr_destroy(&attributes);
    return created == 0;
}

} // namespace

class TestWalkLimits : public QObject
{
    Q_OBJECT

private slots:
    void deepChainBeyondPathMax();
    void parkedFoldersKeepTheirEntries();
    void hugeFolder();
    void namesThatAreNotUtf8();
    void mountPointsBelowTheRoot();
};

void TestWalkLimits::deepChainBeyondPathMax()
{
    // 5,000 levels (paths over 10 kB), walked on a 512 KiB stack with 256 descriptors allowed:
    // one stack frame or one descriptor per level would not do.
    constexpr int levels = 5000;
    TempTree tree;
    makeChain(tree.path(), levels, 1);

    FolderVisualData scanner;
    DescriptorWatch watch;
    scanner.setDelegate(&watch);
    scanner.setClock(everyCallLater());
    WalkOnSmallStack job {&scanner, tree.path(), nullptr};
    const int before = openDescriptors();

    rlimit saved;
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &saved) == 0);
    rlimit lowered = saved;
    lowered.rlim_cur = 256;
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &lowered) == 0);
    const bool walked = runOnSmallStack(walkOnSmallStack, job);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    QVERIFY(walked);

    QVERIFY(job.result);
    QCOMPARE(job.result->count(), std::uint64_t(2 * levels));
    QCOMPARE(job.result->size(), std::uint64_t(levels));
    QVERIFY2(watch.most - before <= 64 + 1, std::to_string(watch.most - before).c_str());

    const FolderVisualData *node = job.result.get();
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
    QVERIFY(runOnSmallStack(releaseOnSmallStack, job));
    QVERIFY(!job.result);
}

void TestWalkLimits::parkedFoldersKeepTheirEntries()
{
    // A 150-level chain with five files beside each folder: folders far up the path give up
    // their descriptors and get them back when the walk returns, listing on where they stopped.
    // Midway, one folder is moved away: its old parent still lists all its entries.
    constexpr int levels = 150;
    TempTree tree;
    makeChain(tree.path(), levels, 5);

    class MoveAway : public FolderVisualDataDelegate
    {
    public:
        void updateFolderProgress(std::uint64_t) override
        {
            if (++entered == 140) {
                std::string from = root;
                for (int i = 0; i < 50; ++i)
                    from += "/d";
                moved = ::rename(from.c_str(), (root + "/moved").c_str()) == 0;
            }
        }
        std::string root;
        int entered = 0;
        bool moved = false;
    } mover;
    mover.root = tree.path();

    FolderVisualData scanner;
    scanner.setDelegate(&mover);
    scanner.setClock(everyCallLater());
    auto root = scanner.visualizePath(tree.path());
    QVERIFY(mover.moved);
    QVERIFY(root);
    QCOMPARE(root->count(), std::uint64_t(levels * 6));
    QCOMPARE(root->size(), std::uint64_t(levels * 5));

    // Each level of the chain holds its five files and the levels below it.
    const FolderVisualData *node = root->children()->front().get();
    for (int level = 1; level <= levels; ++level) {
        QCOMPARE(node->count(), std::uint64_t(6 * (levels - level) + 5));
        QCOMPARE(node->size(), std::uint64_t(5 * (levels - level + 1)));
        if (level < levels)
            node = node->children()->front().get();
    }
}

void TestWalkLimits::hugeFolder()
{
    constexpr int files = 100000;
    TempTree tree;
    makeFolder(tree / "big");
    std::uint64_t total = 0;
    const int fd = ::open((tree / "big").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int i = 0; i < files; ++i) {
        const std::string name = "file-with-a-longer-name-" + std::to_string(i);
        const int file = ::openat(fd, name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
        QVERIFY(file >= 0);
        if (i % 1000 == 0) {
            QVERIFY(::ftruncate(file, i) == 0);
            total += std::uint64_t(i);
        }
        ::close(file);
        // Folders among the files: the listing is left and resumed around each of them.
        if (i % 10000 == 0)
            QVERIFY(::mkdirat(fd, ("sub" + std::to_string(i)).c_str(), 0755) == 0);
    }
    ::close(fd);

    FolderVisualData scanner;
    ProgressRecorder progress;
    scanner.setDelegate(&progress);
    auto root = scanner.visualizePath(tree.path());
    QVERIFY(root);
    QCOMPARE(root->count(), std::uint64_t(files + 10 + 1));
    QCOMPARE(root->size(), total);
    QCOMPARE(root->children()->front()->children()->size(), 10u);
    QCOMPARE(progress.reports.back(), root->count());
}

void TestWalkLimits::namesThatAreNotUtf8()
{
    TempTree tree;
    const std::string folder = "\xff\xfe-latin1-caf\xe9";
    makeFolder(tree / folder);
    makeFile(tree / (folder + "/\xc3\x28"), 5);
    makeFile(tree / "\x80", 2);

    FolderVisualData scanner;
    auto root = scanner.visualizePath(tree.path());
    QVERIFY(root);
    QCOMPARE(root->count(), 3u);
    QCOMPARE(root->size(), 7u);
    QCOMPARE(root->children()->size(), 1u);
    QCOMPARE(root->children()->front()->path(), tree / folder);
    QCOMPARE(root->children()->front()->size(), 5u);
}

void TestWalkLimits::mountPointsBelowTheRoot()
{
    const std::string table = "22 1 0:21 / /proc rw,nosuid - proc proc rw\n"
                              "23 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
                              "40 23 0:50 / /home/ann/my\\040disk rw - ext4 /dev/sdb1 rw\n"
                              "41 23 0:51 / /home/ann/back\\134slash rw - tmpfs tmpfs rw\n"
                              "42 23 0:52 / /home/annex rw - tmpfs tmpfs rw\n"
                              "43 23 0:53 / /home/ann rw - tmpfs tmpfs rw\n";
    MountPoints below("/home/ann", table);
    QVERIFY(below.known());
    QVERIFY(below.mayBeMountPoint("/home/ann/my disk"));
    QVERIFY(below.mayBeMountPoint("/home/ann/back\\slash"));
    QVERIFY(!below.mayBeMountPoint("/home/annex")); // a sibling, not below
    QVERIFY(!below.mayBeMountPoint("/home/ann/other"));
    QVERIFY(!below.mayBeMountPoint("/proc"));

    MountPoints all("/", table);
    QVERIFY(all.mayBeMountPoint("/proc"));
    QVERIFY(all.mayBeMountPoint("/home/annex"));

    // Without a table every folder is checked.
    MountPoints unknown("/", "");
    QVERIFY(!unknown.known());
    QVERIFY(unknown.mayBeMountPoint("/anything"));
}

QTEST_GUILESS_MAIN(TestWalkLimits)
#include "tst_walklimits.moc"
