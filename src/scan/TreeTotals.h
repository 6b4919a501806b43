#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace corvale {

class FolderVisualData;

// Turns what a walk leaves in each folder's node (the figures of its own entries) into totals
// over the folder's whole subtree, and counts the blocks of each file with several links once:
// at the first place a one-thread walk, depth first in listing order, meets it, so that any
// number of threads gives the same tree. Runs on one thread once every walking thread is done;
// iterative, so that no depth of tree exhausts the stack.
class TreeTotals
{
public:
    // A file with more than one link, as a walking thread met it; its blocks are not yet in its
    // folder's figure.
    struct LinkedFile
    {
        const FolderVisualData *folder;
        std::size_t foldersBefore; // sub-folders listed before it in its folder
        std::uint64_t device;
        std::uint64_t inode;
        std::uint64_t allocated;
        std::uint64_t links;
    };

    static void add(FolderVisualData &root, std::vector<LinkedFile> linked);
};

} // namespace corvale
