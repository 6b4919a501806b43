#include "LooseFileListing.h"

#include "DirectoryReader.h"
#include "ScanFile.h"

#include <QCoreApplication>
#include <QLocale>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace corvale {

namespace {

using Entries = std::vector<std::shared_ptr<FolderAttributes>>;

// A run of names as the directory listed them, and their entries once measured (empty for the
// ones that turn out to be folders).
struct Chunk
{
    static constexpr std::size_t Size = 4096;
    std::vector<char> names; // each NUL-terminated
    std::vector<std::size_t> offsets;
    Entries measured;
};

void measure(Chunk &chunk, int fd, const std::string &prefix)
{
    chunk.measured.resize(chunk.offsets.size());
    for (std::size_t i = 0; i < chunk.offsets.size(); ++i) {
        const char *name = chunk.names.data() + chunk.offsets[i];
        struct statx own;
        const bool known = ::statx(fd, name, AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC,
                               STATX_TYPE | STATX_SIZE | STATX_BLOCKS, &own)
            == 0;
        // A link is an entry of its own length wherever it leads, as the walk counted it: so a
        // link to a folder can be found and moved like any file.
        if (known && S_ISDIR(own.stx_mode))
            continue;
        auto entry = std::make_shared<FolderAttributes>();
        entry->name = name;
        entry->path.reserve(prefix.size() + entry->name.size());
        entry->path = prefix;
        entry->path += entry->name;
        entry->size = known ? own.stx_size : 0;
        entry->allocatedSize = known ? own.stx_blocks * 512 : 0;
        entry->isDir = false;
        entry->isLink = known && S_ISLNK(own.stx_mode);
        entry->count = 1;
        chunk.measured[i] = std::move(entry);
    }
}

// Chunks handed from the reading thread to whichever thread measures them first. A chunk is
// touched by one thread at a time: its reader until published, then the thread that claimed it.
class ChunkQueue
{
public:
    void publish(std::unique_ptr<Chunk> chunk)
    {
        std::lock_guard lock(m_mutex);
        m_chunks.push_back(std::move(chunk));
        m_changed.notify_one();
    }
    void finish()
    {
        std::lock_guard lock(m_mutex);
        m_finished = true;
        m_changed.notify_all();
    }
    // The next chunk to measure; null once every chunk is claimed and no more will come.
    Chunk *claim()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_claimed < m_chunks.size() || m_finished; });
        return m_claimed < m_chunks.size() ? m_chunks[m_claimed++].get() : nullptr;
    }
    // After every measuring thread has been joined.
    const std::vector<std::unique_ptr<Chunk>> &chunks() const { return m_chunks; }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::unique_ptr<Chunk>> m_chunks;
    std::size_t m_claimed = 0;
    bool m_finished = false;
};

} // namespace

void appendLooseFiles(const QByteArray &folder, Entries &entries)
{
    // The folder itself may be reached through a link (a chosen folder can be one).
    int fd
        = folder.isEmpty() ? -1 : ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0 && DirectoryReader::isPseudoFileSystem(fd)) {
        ::close(fd);
        fd = -1;
    }
    DirectoryReader reader;
    reader.start(fd);
    if (fd < 0)
        return;
    std::string prefix = folder.toStdString();
    if (prefix.back() != '/')
        prefix += '/';

    // One stat call per file is most of the cost, nearly all of it in the kernel. In a folder of
    // many files, helpers measure the names already read while this thread reads on; then it
    // measures what is left with them.
    ChunkQueue queue;
    std::vector<std::thread> helpers;
    const std::size_t helpersWanted = std::clamp(std::thread::hardware_concurrency(), 1u, 8u) - 1;
    auto measureClaimed = [&queue, fd, &prefix] {
        while (Chunk *chunk = queue.claim())
            measure(*chunk, fd, prefix);
    };
    auto chunk = std::make_unique<Chunk>();
    std::vector<char> buffer(64 * 1024);
    DirectoryReader::Entry listed;
    while (reader.next(listed, buffer.data(), buffer.size())) {
        if (listed.type == DT_DIR)
            continue;
        chunk->offsets.push_back(chunk->names.size());
        chunk->names.insert(chunk->names.end(), listed.name, listed.name + std::strlen(listed.name) + 1);
        if (chunk->offsets.size() < Chunk::Size)
            continue;
        queue.publish(std::move(chunk));
        chunk = std::make_unique<Chunk>();
        if (helpers.size() < helpersWanted) {
            try {
                helpers.emplace_back(measureClaimed);
            } catch (const std::system_error &) {
                // No thread to be had: this one measures everything.
            }
        }
    }
    queue.publish(std::move(chunk));
    queue.finish();
    measureClaimed();
    for (std::thread &helper : helpers)
        helper.join();

    for (const auto &each : queue.chunks()) {
        for (auto &entry : each->measured) {
            if (entry)
                entries.push_back(std::move(entry));
        }
    }
}

void appendScannedFiles(const ScanFile &scan, const FolderVisualData &folder, Entries &entries)
{
    const LooseFileTable::Folder *record = scan.files.folder(folder);
    if (!record)
        return;
    const std::string prefix = folder.path() == "/" ? folder.path() : folder.path() + '/';
    const auto add = [&](std::string name, std::uint64_t size, std::uint64_t allocated) {
        auto entry = std::make_shared<FolderAttributes>();
        entry->path = prefix + name;
        entry->name = std::move(name);
        entry->size = size;
        entry->allocatedSize = allocated;
        entry->count = 1;
        entries.push_back(std::move(entry));
    };
    entries.reserve(entries.size() + record->fileCount + 1);
    for (std::size_t i = 0; i < record->fileCount; ++i) {
        const LooseFileTable::File file = scan.files.file(*record, i);
        add(std::string(file.name), file.size, file.allocatedSize);
    }
    if (record->unlistedCount) {
        const QString name = record->unlistedCount == 1
            ? QCoreApplication::translate("LooseFileListing", "(1 file)")
            : QCoreApplication::translate("LooseFileListing", "(%1 files)")
                  .arg(QLocale().toString(qulonglong(record->unlistedCount)));
        add(name.toStdString(), record->unlistedSize, record->unlistedAllocatedSize);
        entries.back()->summarised = record->unlistedCount;
    }
}

} // namespace corvale
