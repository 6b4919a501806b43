#include "LooseFileTable.h"

#include <algorithm>

namespace corvale {

const LooseFileTable::Folder *LooseFileTable::folder(const FolderVisualData &node) const
{
    const auto it = m_index.find(&node);
    return it == m_index.end() ? nullptr : &m_folders[it->second];
}

LooseFileTable::File LooseFileTable::file(const Folder &folder, std::size_t i) const
{
    const std::size_t index = folder.firstFile + i;
    const Record &record = m_files[index];
    File file {std::string_view(m_names).substr(record.nameOffset, record.nameLength), record.size,
        record.allocatedSize, record.flags, record.exclusion, record.foldersBefore};
    if (record.flags & HardLinked) {
        const auto link = std::lower_bound(m_links.begin(), m_links.end(), index,
            [](const Link &l, std::size_t wanted) { return l.file < wanted; });
        if (link != m_links.end() && link->file == index) {
            file.device = link->device;
            file.inode = link->inode;
        }
    }
    return file;
}

} // namespace corvale
