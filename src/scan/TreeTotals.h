#pragma once

namespace corvale {

class FolderVisualData;

// Turns the figures a walk leaves in each folder's node (its own entries only) into totals over
// the folder's whole subtree. Runs on one thread once every walking thread is done; iterative,
// so no depth of tree exhausts the stack.
class TreeTotals
{
public:
    static void add(FolderVisualData &root);
};

} // namespace corvale
