// Walks one folder with the real scanner and prints what it found and what it cost:
//   items=N bytes=N folders=N path_bytes=N seconds=S peak_kib=N base_kib=N threads=N
// peak_kib is the process's peak resident set (getrusage), base_kib the resident set just
// before the walk, so peak - base is what the walk and its tree cost.
// Usage: scanbench [-j THREADS] [-a] [-l] FOLDER (threads: default one per core); -a prints the
// disk usage (allocated=N, as du -s -B1 counts it) after the bytes; -l walks as the Largest Files
// view does, keeping the 100 largest files, and prints them after the line, "SIZE PATH", smallest
// first (as find FOLDER -type f -printf '%s %p\n' | sort -n | tail -100 does, ties aside).
#include "FolderVisualData.h"
#include "LargestFiles.h"

#include "ResidentMemory.h"
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sys/resource.h>
#include <vector>

namespace {

long peakKib()
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char **argv)
{
    unsigned threads = 0;
    bool allocated = false;
    std::optional<corvale::LargestFiles> largest;
    int arg = 1;
    for (; arg + 1 < argc; ++arg) {
        if (std::strcmp(argv[arg], "-j") == 0 && arg + 2 < argc)
            threads = unsigned(std::atoi(argv[++arg]));
        else if (std::strcmp(argv[arg], "-a") == 0)
            allocated = true;
        else if (std::strcmp(argv[arg], "-l") == 0)
            largest.emplace(100);
        else
            break;
    }
    if (arg + 1 != argc) {
        std::fprintf(stderr, "usage: scanbench [-j THREADS] [-a] [-l] FOLDER\n");
        return 2;
    }
    const long base = residentKib();
    corvale::FolderVisualData scanner;
    scanner.setThreadCount(threads);
    if (largest)
        scanner.setFileObserver(&*largest);
    const auto start = std::chrono::steady_clock::now();
    auto root = scanner.visualizePath(argv[arg]);
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
    if (!root) {
        std::fprintf(stderr, "scanbench: nothing walked\n");
        return 1;
    }
    std::uint64_t folders = 0, pathBytes = 0;
    std::vector<const corvale::FolderVisualData *> todo {root.get()};
    while (!todo.empty()) {
        const auto *node = todo.back();
        todo.pop_back();
        ++folders;
        pathBytes += node->path().size();
        if (node->children()) {
            for (const auto &child : *node->children())
                todo.push_back(child.get());
        }
    }
    std::printf(
        "items=%llu bytes=%llu ", (unsigned long long)root->count(), (unsigned long long)root->size());
    if (allocated)
        std::printf("allocated=%llu ", (unsigned long long)root->allocatedSize());
    std::printf("folders=%llu path_bytes=%llu seconds=%.3f peak_kib=%ld base_kib=%ld threads=%u\n",
        (unsigned long long)folders, (unsigned long long)pathBytes, wall.count(), peakKib(), base,
        scanner.threadCount());
    if (largest) {
        auto files = largest->files();
        std::sort(files.begin(), files.end(), [](const auto &a, const auto &b) { return a.size > b.size; });
        files.resize(std::min<std::size_t>(files.size(), largest->limit()));
        for (auto file = files.rbegin(); file != files.rend(); ++file)
            std::printf("%llu %s\n", (unsigned long long)file->size, file->path.c_str());
    }
    return 0;
}
