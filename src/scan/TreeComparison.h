#pragma once

#include "FolderVisualData.h"
#include "LooseFileTable.h"
#include "ScanFile.h"

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace corvale {

// What changed between an earlier scan of a folder and its current tree: which current folders
// the earlier scan had, and what it had that is gone now.
//
// Folders are matched by name from the roots down once, when the comparison is made (linear in
// the two trees); files are matched per folder when asked. Nodes are compared by name, never by
// path, so an earlier scan made where the folder had another path still matches. Plain data on
// the thread that uses it; holds plain pointers into both trees and tables, which must outlive it.
class TreeComparison
{
public:
    // An entry of the earlier scan that the current folder no longer has.
    struct Gone
    {
        std::string name;
        bool isFolder = false;
        std::uint64_t size = 0;
        std::uint64_t allocatedSize = 0;
        std::uint64_t count
            = 0; // as FolderAttributes counts: 1 for a file, the node's count + 1 for a folder
    };

    struct FolderChanges
    {
        // The same folder in the earlier scan; nullptr when it is new, and everything in it too.
        const FolderVisualData *earlier = nullptr;
        // Whether the earlier scan listed this folder's files, so that a file it lacks is new.
        bool filesKnown = false;
        // For each current file asked about, in the same order: the earlier one of that name, or
        // nothing when it is new (or unknown, without filesKnown).
        std::vector<std::optional<LooseFileTable::File>> earlierFiles;
        // Earlier sub-folders, and earlier files when filesKnown, that are gone now.
        std::vector<Gone> gone;
    };

    TreeComparison(const ScanFile &earlier, const FolderVisualData &currentRoot);

    // The earlier node of a current folder, nullptr when it is new.
    const FolderVisualData *earlierOf(const FolderVisualData &current) const;
    // Changes in a current folder, given the names of its loose files (as its list gives them).
    FolderChanges changesIn(
        const FolderVisualData &current, const std::vector<std::string_view> &fileNames) const;

    // The last component of a node's path.
    static std::string_view nameOf(const FolderVisualData &node);

private:
    const ScanFile &m_earlier;
    std::unordered_map<const FolderVisualData *, const FolderVisualData *> m_earlierOf;
};

} // namespace corvale
