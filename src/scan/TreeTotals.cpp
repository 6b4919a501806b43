#include "TreeTotals.h"

#include "FolderVisualData.h"

#include <algorithm>
#include <functional>
#include <unordered_set>
#include <utility>

namespace corvale {

namespace {

struct FileIdHash
{
    std::size_t operator()(const std::pair<std::uint64_t, std::uint64_t> &id) const
    {
        return std::hash<std::uint64_t>()(id.second * 0x9e3779b97f4a7c15ull ^ id.first);
    }
};

} // namespace

void TreeTotals::add(FolderVisualData &root, std::vector<LinkedFile> linked)
{
    const auto byFolder = [](const LinkedFile &a, const LinkedFile &b) {
        return std::less<const FolderVisualData *>()(a.folder, b.folder);
    };
    std::sort(linked.begin(), linked.end(), [&](const LinkedFile &a, const LinkedFile &b) {
        return byFolder(a, b) || (a.folder == b.folder && a.foldersBefore < b.foldersBefore);
    });
    std::unordered_set<std::pair<std::uint64_t, std::uint64_t>, FileIdHash> seen;

    struct Frame
    {
        FolderVisualData *node;
        std::size_t next; // the child to go down into next
        std::vector<LinkedFile>::const_iterator link, end; // its linked files still to count
    };
    const auto frameFor = [&](FolderVisualData *node) {
        const auto [first, last]
            = std::equal_range(linked.cbegin(), linked.cend(), LinkedFile {node, 0, 0, 0, 0, 0}, byFolder);
        return Frame {node, 0, first, last};
    };
    std::vector<Frame> path {frameFor(&root)};
    while (!path.empty()) {
        Frame &top = path.back();
        // Files listed before the next sub-folder were met before anything in it.
        for (; top.link != top.end && top.link->foldersBefore <= top.next; ++top.link) {
            if (seen.emplace(top.link->device, top.link->inode).second)
                top.node->setAllocatedSize(top.node->allocatedSize() + top.link->allocated);
        }
        const FolderVisualData::Children &children = *top.node->children();
        if (top.next < children.size()) {
            FolderVisualData *child = children[top.next++].get();
            path.push_back(frameFor(child));
            continue;
        }
        const FolderVisualData &done = *top.node;
        path.pop_back();
        if (path.empty())
            break;
        FolderVisualData &parent = *path.back().node;
        parent.setSize(parent.size() + done.size());
        parent.setAllocatedSize(parent.allocatedSize() + done.allocatedSize());
        parent.setCount(parent.count() + done.count() + 1);
    }
}

} // namespace corvale
