#include "TreeComparison.h"

#include <unordered_set>

namespace corvale {

std::string_view TreeComparison::nameOf(const FolderVisualData &node)
{
    const std::string &path = node.path();
    return std::string_view(path).substr(path.rfind('/') + 1);
}

TreeComparison::TreeComparison(const ScanFile &earlier, const FolderVisualData &currentRoot)
    : m_earlier(earlier)
{
    if (!earlier.root)
        return;
    std::vector<std::pair<const FolderVisualData *, const FolderVisualData *>> pending {
        {&currentRoot, earlier.root.get()}};
    std::unordered_map<std::string_view, const FolderVisualData *> byName;
    while (!pending.empty()) {
        const auto [current, before] = pending.back();
        pending.pop_back();
        m_earlierOf.emplace(current, before);
        if (!current->children() || !before->children())
            continue;
        byName.clear();
        for (const auto &child : *before->children())
            byName.emplace(nameOf(*child), child.get());
        for (const auto &child : *current->children()) {
            const auto match = byName.find(nameOf(*child));
            if (match != byName.end()) {
                pending.emplace_back(child.get(), match->second);
                // A second current folder of the same name (only in a hostile file) is new.
                byName.erase(match);
            }
        }
    }
}

const FolderVisualData *TreeComparison::earlierOf(const FolderVisualData &current) const
{
    const auto it = m_earlierOf.find(&current);
    return it == m_earlierOf.end() ? nullptr : it->second;
}

TreeComparison::FolderChanges TreeComparison::changesIn(
    const FolderVisualData &current, const std::vector<std::string_view> &fileNames) const
{
    FolderChanges changes;
    changes.earlier = earlierOf(current);
    if (!changes.earlier)
        return changes;

    std::unordered_set<std::string_view> present;
    if (current.children()) {
        for (const auto &child : *current.children())
            present.insert(nameOf(*child));
    }
    if (changes.earlier->children()) {
        for (const auto &child : *changes.earlier->children()) {
            if (!present.count(nameOf(*child)))
                changes.gone.push_back({std::string(nameOf(*child)), true, child->size(),
                    child->allocatedSize(), child->count() + 1});
        }
    }

    const LooseFileTable::Folder *folder = m_earlier.files.folder(*changes.earlier);
    changes.filesKnown = folder && m_earlier.files.listsFiles() && folder->unlistedCount == 0;
    if (!changes.filesKnown)
        return changes;
    std::unordered_map<std::string_view, std::size_t> earlierFiles;
    for (std::size_t i = 0; i < folder->fileCount; ++i)
        earlierFiles.emplace(m_earlier.files.file(*folder, i).name, i);
    present.clear();
    changes.earlierFiles.reserve(fileNames.size());
    for (const std::string_view name : fileNames) {
        present.insert(name);
        const auto it = earlierFiles.find(name);
        changes.earlierFiles.push_back(it == earlierFiles.end()
                ? std::nullopt
                : std::optional(m_earlier.files.file(*folder, it->second)));
    }
    for (std::size_t i = 0; i < folder->fileCount; ++i) {
        const LooseFileTable::File file = m_earlier.files.file(*folder, i);
        if (!present.count(file.name))
            changes.gone.push_back({std::string(file.name), false, file.size, file.allocatedSize, 1});
    }
    return changes;
}

} // namespace corvale
