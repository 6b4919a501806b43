// StorageWindowController: the end of a run, and how a folder becomes a row of sectors and a list
// of file-list entries.

#include "StorageWindowController.h"

#include "ByteCount.h"
#include "DirectoryReader.h"
#include "FileManager.h"
#include "FolderAttributes.h"
#include "FolderVisualData.h"
#include "HexColor.h"
#include "ui_StorageWindowController.h"

#include <QAction>
#include <QFile>
#include <QMenu>

#include <algorithm>
#include <cstring>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvale {

namespace {

std::string lastPathComponent(const std::string &path)
{
    if (path == "/")
        return path;
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A name less its extension: the part from the last dot on, unless that dot starts the name
// (".config") or ends it.
std::string withoutExtension(const std::string &name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == name.size())
        return name;
    return name.substr(0, dot);
}

QByteArray bytes(const std::string &text)
{
    return QByteArray(text.data(), qsizetype(text.size()));
}

// The platform's plain grey.
QColor filesSectorColor()
{
    return QColor(128, 128, 128);
}

// One direct entry of a listed folder that the listing did not already know to be a folder.
struct Candidate
{
    std::size_t nameOffset; // into the listing's name buffer
    unsigned char type; // DT_*
};

// Measures `candidates` [begin, end) and makes their entries; the place of a folder stays empty.
// Runs on helper threads too: it reads only its own slice and writes only its own places.
void measureCandidates(int fd, const std::string &prefix, const std::vector<char> &names,
    const std::vector<Candidate> &candidates, std::size_t begin, std::size_t end,
    StorageWindowController::Entries &measured)
{
    for (std::size_t i = begin; i < end; ++i) {
        const char *name = names.data() + candidates[i].nameOffset;
        struct statx own;
        const bool known
            = ::statx(fd, name, AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC, STATX_TYPE | STATX_SIZE, &own) == 0;
        bool isFolder = known && S_ISDIR(own.stx_mode);
        // A link that leads to a folder counts as one (and is left to the tree, where the walk
        // counted it as a file); a broken link is a file.
        if (known && S_ISLNK(own.stx_mode)) {
            struct stat target;
            isFolder = ::fstatat(fd, name, &target, 0) == 0 && S_ISDIR(target.st_mode);
        }
        if (isFolder)
            continue;
        auto item = std::make_shared<FolderAttributes>();
        item->name = name;
        item->path.reserve(prefix.size() + item->name.size());
        item->path = prefix;
        item->path += item->name;
        item->size = known ? own.stx_size : 0;
        item->sizeText = byteCountText(item->size).toStdString();
        item->isDir = false;
        item->count = 1;
        measured[i] = std::move(item);
    }
}

} // namespace

int StorageWindowController::colorPairForSize(quint64 bytes)
{
    struct Step
    {
        quint64 bound;
        int pair;
    };
    // Pair 5 is made with the others but no size class takes it.
    static constexpr Step ladder[]
        = {{100, 1}, {300, 2}, {500, 3}, {1000, 4}, {3000, 6}, {5000, 7}, {10000, 8}, {50000, 9}};
    for (const Step &step : ladder) {
        if (bytes < step.bound * 1'024'000)
            return step.pair;
    }
    return 10;
}

std::shared_ptr<FolderAttributes> StorageWindowController::folderEntry(const FolderVisualData &folder)
{
    auto entry = std::make_shared<FolderAttributes>();
    entry->isDir = true;
    entry->count = folder.count() + 1;
    entry->path = folder.path();
    entry->name = withoutExtension(lastPathComponent(folder.path()));
    entry->size = folder.size();
    entry->sizeText = byteCountText(folder.size()).toStdString();
    return entry;
}

Sectors StorageWindowController::buildRow(const FolderVisualData &folder, Entries &entries)
{
    Sectors row;
    float shares = 0.0f;
    quint64 childrenSize = 0;
    if (folder.children()) {
        row.reserve(folder.children()->size() + 1);
        entries.reserve(entries.size() + folder.children()->size());
        for (const std::shared_ptr<FolderVisualData> &child : *folder.children()) {
            auto sector = std::make_shared<DynamicStackedViewSector>();
            sector->setTitle(QFile::decodeName(bytes(lastPathComponent(child->path()))));
            sector->setSubtitle(byteCountText(child->size()));
            sector->setRepresentedObject(child);
            sector->setSectorPercentage(
                folder.size() == 0 ? 0.0f : float(child->size()) / float(folder.size()));
            const int pair = colorPairForSize(child->size());
            sector->setColor(paletteColor(pair));
            sector->setHighlightColor(paletteHighlightColor(pair));
            sector->setSubmenu(m_stackedMenu);
            row.push_back(sector);
            shares += sector->sectorPercentage();
            childrenSize += child->size();
            entries.push_back(folderEntry(*child));
        }
    }
    if (shares < 1.0f) {
        // Files lie directly in the folder: what its sub-folders leave of its size.
        const quint64 rest = folder.size() - std::min<quint64>(childrenSize, folder.size());
        auto node = std::make_shared<FolderVisualData>();
        node->setSize(rest);
        node->setPath(folder.path());
        auto sector = std::make_shared<DynamicStackedViewSector>();
        sector->setTitle(tr("Files"));
        sector->setSubtitle(byteCountText(rest));
        sector->setRepresentedObject(node);
        sector->setSectorPercentage(1.0f - shares);
        sector->setColor(filesSectorColor());
        sector->setHighlightColor(filesSectorColor());
        sector->setDisabled(true);
        row.push_back(sector);
    }
    return row;
}

void StorageWindowController::listLooseFiles(const QByteArray &folder, Entries &entries)
{
    // The folder may be reached through a link (a chosen folder can be one); its entries are not
    // followed. A kernel pseudo file system lists as empty, as the walk counts it.
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
    std::vector<char> names;
    std::vector<Candidate> candidates;
    {
        std::vector<char> buffer(64 * 1024);
        DirectoryReader::Entry entry;
        while (reader.next(entry, buffer.data(), buffer.size())) {
            if (entry.type == DT_DIR)
                continue;
            candidates.push_back({names.size(), entry.type});
            names.insert(names.end(), entry.name, entry.name + std::strlen(entry.name) + 1);
        }
    }

    // A folder of many files costs one stat call each, most of it in the kernel: with
    // 200,000 files, the calls are shared out between the processor's cores while this thread
    // waits, and each helper hands its slice back when it joins.
    Entries measured(candidates.size());
    constexpr std::size_t filesPerHelper = 4096;
    const std::size_t cores = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8);
    const std::size_t parts = std::clamp<std::size_t>(candidates.size() / filesPerHelper, 1, cores);
    std::vector<std::thread> helpers;
    for (std::size_t part = 1; part < parts; ++part) {
        helpers.emplace_back(measureCandidates, fd, std::cref(prefix), std::cref(names),
            std::cref(candidates), candidates.size() * part / parts, candidates.size() * (part + 1) / parts,
            std::ref(measured));
    }
    measureCandidates(fd, prefix, names, candidates, 0, candidates.size() / parts, measured);
    for (std::thread &helper : helpers)
        helper.join();

    entries.reserve(entries.size() + measured.size());
    for (auto &entry : measured) {
        if (entry)
            entries.push_back(std::move(entry));
    }
}

void StorageWindowController::clearFilesToDelete()
{
    m_filesToDelete.clear();
}

void StorageWindowController::listEntries(Entries entries)
{
    // The file list orders them by its own sort, if the user chose one, when it reloads.
    m_directoryItems = std::move(entries);
}

void StorageWindowController::processData(std::shared_ptr<FolderVisualData> tree)
{
    ui->stopButton->hide();
    ui->progressLabel->clear();
    ui->progressLabel->hide();
    ui->loader->hide();
    stopSpinner();

    if (!tree)
        return;

    Entries entries;
    clearFilesToDelete();
    // A folder with files only still gets its row, a single "Files" sector, and its files are
    // listed: otherwise it would show nothing the user could act on.
    m_tableData.push_back(buildRow(*tree, entries));
    m_pathsData.push_back(bytes(tree->path()));
    listLooseFiles(bytes(tree->path()), entries);
    listEntries(std::move(entries));
    reloadFileTable();
    reloadRowsTable();
    m_itemsVisualized = tree->count();

    ui->welcomeView->hide();
    ui->chartView->show();
    ui->fileTableView->show();
    ui->tableView->show();
    ui->selectFolderButton->show();
    ui->legendView->show();
    ui->trashButton->show();
    ui->refreshButton->show();
    ui->trashButton->setEnabled(false);
    hideTrash();
}

void StorageWindowController::setFileManager(std::unique_ptr<FileManager> fileManager)
{
    m_fileManager = std::move(fileManager);
}

} // namespace corvale
