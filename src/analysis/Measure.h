#pragma once

#include "FolderAttributes.h"
#include "FolderVisualData.h"

#include <QtGlobal>

namespace corvale {

// What a size means where the window shows one: the length of the files (apparent size, every
// hard link counted where it lies), or the space they take on the disk (allocated blocks, a file
// with several links counted once). Apparent size is the default.
enum class Measure { ApparentSize, DiskUsage };

inline quint64 sizeIn(Measure measure, const FolderVisualData &folder)
{
    return measure == Measure::DiskUsage ? folder.allocatedSize() : folder.size();
}

inline quint64 sizeIn(Measure measure, const FolderAttributes &entry)
{
    return measure == Measure::DiskUsage ? entry.allocatedSize : entry.size;
}

} // namespace corvale
