#include "TreeTotals.h"

#include "FolderVisualData.h"

#include <vector>

namespace corvale {

void TreeTotals::add(FolderVisualData &root)
{
    struct Frame
    {
        FolderVisualData *node;
        std::size_t next = 0; // the child to go down into next
    };
    std::vector<Frame> path {{&root}};
    while (!path.empty()) {
        Frame &top = path.back();
        const FolderVisualData::Children &children = *top.node->children();
        if (top.next < children.size()) {
            FolderVisualData *child = children[top.next++].get();
            path.push_back({child});
            continue;
        }
        const FolderVisualData &done = *top.node;
        path.pop_back();
        if (path.empty())
            break;
        FolderVisualData &parent = *path.back().node;
        parent.setSize(parent.size() + done.size());
        parent.setCount(parent.count() + done.count() + 1);
    }
}

} // namespace corvale
