#include "FolderWalker.h"

#include "FolderVisualDataDelegate.h"

#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace corvale {

FolderWalker::FolderWalker(FolderVisualData::Walk &state)
    : m_state(state)
{ }

FolderWalker::~FolderWalker() = default;

void FolderWalker::setIgnoreEntryTypes(FolderVisualData &scanner, bool ignore)
{
    scanner.walk().ignoreEntryTypes = ignore;
}

void FolderWalker::reportProgressIfDue()
{
    const auto now = m_state.clock();
    if (now - m_state.lastReported > std::chrono::seconds(5)) {
        m_state.lastReported = now;
        if (m_state.delegate)
            m_state.delegate->updateFolderProgress(m_state.totalReportedSize);
    }
}

void FolderWalker::enter(std::size_t depth, std::string path, int parentFd, const char *name)
{
    reportProgressIfDue();
    ++m_state.totalReportedSize;
    if (depth == m_levels.size())
        m_levels.emplace_back();
    Level &level = m_levels[depth];
    level.node = std::make_shared<FolderVisualData>(FolderVisualData::NodeTag {});
    level.node->m_path = std::move(path);
    level.size = 0;
    level.count = 0;
    level.children.clear();
    if (name) {
        const bool checkFileSystem = !m_mountPoints || m_mountPoints->mayBeMountPoint(level.node->m_path);
        level.reader.start(DirectoryReader::openFolder(parentFd, name, checkFileSystem));
    } else {
        level.reader.start(-1);
    }
    if (depth > 0 && level.reader.fd() >= 0) {
        // The read buffer is free here: the parent has detached its entries, the child has
        // not read yet.
        while (depth - m_lowestOpen + 1 > maxOpenFolders)
            m_levels[m_lowestOpen++].reader.park(m_buffer.get(), readBufferSize);
    }
}

void FolderWalker::reopen(std::size_t depth)
{
    // Only the root is open above a parked folder: go down from it by the folder's relative
    // path, in pieces the kernel accepts (a path may be far longer than PATH_MAX). Intermediate
    // links would be followed, but the identity check only accepts the very same folder.
    const std::string &root = m_levels[0].node->m_path;
    const std::string &path = m_levels[depth].node->m_path;
    std::size_t from = root.size() == 1 ? 1 : root.size() + 1;
    int fd = m_levels[0].reader.fd();
    bool owned = false;
    while (fd >= 0 && from < path.size()) {
        std::size_t to = path.size();
        if (to - from >= PATH_MAX) {
            to = path.rfind('/', from + PATH_MAX - 1);
            if (to == std::string::npos || to <= from)
                to = path.size(); // cannot happen: names are at most NAME_MAX bytes
        }
        const std::string piece = path.substr(from, to - from);
        const int next
            = ::openat(fd, piece.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (owned)
            ::close(fd);
        fd = next;
        owned = true;
        from = to + 1;
    }
    // The identity check makes a folder renamed or replaced meanwhile end here, keeping what
    // was counted of it, as a folder whose listing fails midway would.
    if (!owned || !m_levels[depth].reader.reopen(fd))
        m_levels[depth].reader.abandon();
}

std::shared_ptr<FolderVisualData> FolderWalker::unwind(std::size_t depth)
{
    for (std::size_t i = 0; i <= depth; ++i) {
        m_levels[i].reader.close();
        m_levels[i].node.reset();
        m_levels[i].children.clear();
    }
    return nullptr;
}

std::shared_ptr<FolderVisualData> FolderWalker::walk(const std::string &path)
{
    if (path.empty())
        return nullptr;
    m_buffer = std::make_unique<char[]>(readBufferSize);
    char *buffer = m_buffer.get();

    std::string resolved;
    if (char *real = ::realpath(path.c_str(), nullptr)) {
        resolved = real;
        std::free(real);
    }
    // Entered unopened: the path is moved into the node, which then names it for the open.
    // A path that cannot be resolved leaves the root without a path, like a failed conversion.
    enter(0, std::move(resolved), AT_FDCWD, nullptr);
    Level &root = m_levels[0];
    if (!root.node->m_path.empty()) {
        root.reader.start(DirectoryReader::openFolder(AT_FDCWD, root.node->m_path.c_str()));
        m_mountPoints.emplace(root.node->m_path);
    }

    std::size_t depth = 0;
    for (;;) {
        Level &top = m_levels[depth];
        DirectoryReader::Entry entry;
        if (top.reader.next(entry, buffer, readBufferSize)) {
            if (stopRequested())
                return unwind(depth);
            const int fd = top.reader.fd();
            const unsigned char type
                = m_state.ignoreEntryTypes ? static_cast<unsigned char>(DT_UNKNOWN) : entry.type;
            bool isFolder = type == DT_DIR;
            std::uint64_t length = 0;
            if (!isFolder) {
                // One question per non-folder: its type too when the listing did not say.
                struct statx st;
                if (::statx(fd, entry.name, AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC, STATX_TYPE | STATX_SIZE,
                        &st)
                    == 0) {
                    isFolder = type == DT_UNKNOWN && S_ISDIR(st.stx_mode);
                    length = st.stx_size;
                }
            }
            if (!isFolder) {
                top.size += length;
                ++top.count;
                ++m_state.totalReportedSize;
                continue;
            }
            // The child reads into the shared buffer: keep our unread entries first. The
            // entry's own name stays valid until the child reads.
            top.reader.detach();
            const std::string &parentPath = top.node->m_path;
            std::string childPath;
            const std::size_t nameLength = std::char_traits<char>::length(entry.name);
            childPath.reserve(parentPath.size() + 1 + nameLength);
            childPath = parentPath;
            if (parentPath != "/")
                childPath += '/';
            childPath.append(entry.name, nameLength);
            ++depth;
            enter(depth, std::move(childPath), fd, entry.name);
            continue;
        }

        // A parked parent with entries to come is reopened through "..", which finds it
        // wherever it is now; the identity check tells if this folder moved meanwhile.
        int up = -1;
        if (depth > 1 && depth - 1 < m_lowestOpen && !m_levels[depth - 1].reader.atEnd()
            && top.reader.fd() >= 0)
            up = ::openat(top.reader.fd(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
        top.reader.close();
        FolderVisualData &node = *top.node;
        node.m_size = top.size;
        node.m_count = top.count;
        node.m_children.emplace(
            std::make_move_iterator(top.children.begin()), std::make_move_iterator(top.children.end()));
        top.children.clear();
        if (stopRequested()) {
            if (up >= 0)
                ::close(up);
            return unwind(depth);
        }
        std::shared_ptr<FolderVisualData> finished = std::move(top.node);
        if (depth == 0)
            return finished;

        --depth;
        Level &parent = m_levels[depth];
        parent.size += finished->m_size;
        parent.count += finished->m_count + 1;
        parent.children.push_back(std::move(finished));
        if (depth > 0 && depth < m_lowestOpen) {
            m_lowestOpen = depth;
            if (!parent.reader.atEnd() && !(up >= 0 && parent.reader.reopen(up)))
                reopen(depth);
        } else if (up >= 0) {
            ::close(up);
        }
    }
}

} // namespace corvale
