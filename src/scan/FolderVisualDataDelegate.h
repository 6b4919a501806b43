#pragma once

#include <cstdint>

namespace corvale {

// Receives the walk's progress. Called on the walking thread, never on the GUI thread:
// the receiver moves any interface work to its own thread itself.
class FolderVisualDataDelegate
{
public:
    virtual ~FolderVisualDataDelegate() = default;
    // items: the number of items seen so far below the chosen folder.
    virtual void updateFolderProgress(std::uint64_t items) = 0;
};

} // namespace corvale
