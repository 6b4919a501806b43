// libFuzzer entry for the scan-file reader (see README): whatever the bytes, reading must end in
// a scan or an error, never a crash, and a scan read must write and read back the same.

#include "ScanFileReader.h"
#include "ScanFileWriter.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace corvale;

namespace {

bool same(const FolderVisualData &a, const FolderVisualData &b)
{
    std::vector<std::pair<const FolderVisualData *, const FolderVisualData *>> pending {{&a, &b}};
    while (!pending.empty()) {
        const auto [x, y] = pending.back();
        pending.pop_back();
        if (x->path() != y->path() || x->size() != y->size() || x->count() != y->count()
            || x->allocatedSize() != y->allocatedSize() || x->children()->size() != y->children()->size())
            return false;
        for (std::size_t i = 0; i < x->children()->size(); ++i)
            pending.emplace_back((*x->children())[i].get(), (*y->children())[i].get());
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks how the reader is fed: whole, or in small pieces that put buffer ends
    // inside strings, numbers and literals.
    const std::size_t chunk = data[0] < 128 ? SIZE_MAX : std::size_t(data[0] - 127);
    const std::string_view text(reinterpret_cast<const char *>(data) + 1, size - 1);
    ScanFileReader reader;
    const auto scan = reader.readBytes(text, chunk);
    if (!scan) {
        if (reader.error().message.empty())
            std::abort();
        return 0;
    }
    const std::string written = ScanFileWriter::toBytes(*scan->root, &scan->files, scan->metadata);
    ScanFileReader again;
    const auto reread = again.readBytes(written);
    if (!reread || !same(*scan->root, *reread->root)
        || ScanFileWriter::toBytes(*reread->root, &reread->files, reread->metadata) != written)
        std::abort();
    return 0;
}
