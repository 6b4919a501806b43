// Opens a scan file and walks the folder it was made of, in interleaved rounds, and prints the
// median of each beside ncdu's own import of the same file:
//   scanfilebench FOLDER EXPORT [ROUNDS]
// Also the writing of the scan read, and the memory each result holds (resident set growth).
#include "FolderVisualData.h"
#include "ScanFileReader.h"
#include "ScanFileWriter.h"

#include "ResidentMemory.h"
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

using namespace corvale;

namespace {

double seconds(const std::function<void()> &job)
{
    const auto start = std::chrono::steady_clock::now();
    job();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: scanfilebench FOLDER EXPORT [ROUNDS]\n");
        return 2;
    }
    const std::string folder = argv[1], exported = argv[2];
    const int rounds = argc > 3 ? std::atoi(argv[3]) : 5;
    const std::string written = exported + ".corvale.json";
    const std::string ncdu = "ncdu -0 -f '" + exported + "' -o /dev/null";

    std::vector<double> walk, read, write, ncduImport, readRatio;
    long walkKib = 0, readKib = 0;
    std::uint64_t items = 0, readItems = 0;
    // Round 0 warms the cache and is not counted.
    for (int round = 0; round <= rounds; ++round) {
        long before = residentKib();
        std::shared_ptr<FolderVisualData> tree;
        const double w = seconds([&] {
            FolderVisualData scanner;
            tree = scanner.visualizePath(folder);
        });
        walkKib = std::max(walkKib, residentKib() - before);
        items = tree ? tree->count() : 0;
        tree.reset();

        before = residentKib();
        std::optional<ScanFile> scan;
        ScanFileReader reader;
        const double r = seconds([&] { scan = reader.read(exported); });
        if (!scan) {
            std::fprintf(stderr, "scanfilebench: %s\n", reader.error().message.c_str());
            return 1;
        }
        readKib = std::max(readKib, residentKib() - before);
        readItems = scan->root->count();
        ScanFileError error;
        const double wr = seconds(
            [&] { ScanFileWriter::write(written, *scan->root, &scan->files, scan->metadata, error); });
        scan.reset();
        const double n = seconds([&] {
            if (std::system(ncdu.c_str()) != 0)
                std::fprintf(stderr, "scanfilebench: ncdu failed\n");
        });
        if (round == 0)
            continue;
        walk.push_back(w);
        read.push_back(r);
        write.push_back(wr);
        ncduImport.push_back(n);
        readRatio.push_back(r / w);
    }
    ::unlink(written.c_str());
    double load[1] = {0};
    getloadavg(load, 1);
    std::printf("items: walk %llu, scan file %llu; %d rounds, load average %.2f\n", (unsigned long long)items,
        (unsigned long long)readItems, rounds, load[0]);
    std::printf("| step | median wall (s) | ratio to the walk | memory held (MiB) |\n|---|---:|---:|---:|\n");
    std::printf("| Corvale's walk of the folder | %.3f | 1.00 | %.1f |\n", median(walk), walkKib / 1024.0);
    std::printf("| Corvale reading the export | %.3f | %.2f | %.1f |\n", median(read), median(readRatio),
        readKib / 1024.0);
    std::printf("| Corvale writing it back | %.3f | %.2f | |\n", median(write), median(write) / median(walk));
    std::printf("| `%s` | %.3f | %.2f | |\n", "ncdu -0 -f EXPORT -o /dev/null", median(ncduImport),
        median(ncduImport) / median(walk));
    return 0;
}
