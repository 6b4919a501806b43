#pragma once

#include <cstdint>
#include <memory>

namespace corvale {

class FolderVisualData;

// Sees each regular file of a walk as the walk measures it (links, devices and folders are not
// files here). A walk gives every walking thread an observer of its own: the one it was handed
// for the calling thread and forks of it for the others, which it merges into the first once
// every thread has ended, after a stop too. So an observer is used by one thread at a time and
// needs no lock.
class FileObserver
{
public:
    virtual ~FileObserver() = default;
    // A file named `name` (the kernel's bytes) in `folder`, of `size` bytes taking `allocated`
    // bytes on the disk. `name` lives only for the call.
    virtual void seeFile(
        const FolderVisualData &folder, const char *name, std::uint64_t size, std::uint64_t allocated)
        = 0;
    // A new observer that has seen nothing, for another thread of the same walk.
    virtual std::unique_ptr<FileObserver> fork() const = 0;
    // Takes in what one of its forks saw.
    virtual void merge(FileObserver &fork) = 0;
};

} // namespace corvale
