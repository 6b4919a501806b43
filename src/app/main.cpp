#include "FolderVisualData.h"

#include <cstdio>
#include <string>

// Until the window exists: walk the folder given on the command line and print the totals.
int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: corvale FOLDER\n");
        return 2;
    }
    corvale::FolderVisualData scanner;
    auto root = scanner.visualizePath(argv[1]);
    if (!root) {
        std::fprintf(stderr, "corvale: nothing walked\n");
        return 1;
    }
    std::printf("%s\nitems=%llu bytes=%llu\n", root->path().c_str(), (unsigned long long)root->count(),
        (unsigned long long)root->size());
    return 0;
}
