// StorageWindowController: the end of a run, and how a folder becomes a row of sectors and a list
// of file-list entries.

#include "StorageWindowController.h"

#include "ByteCount.h"
#include "FileManager.h"
#include "FolderAttributes.h"
#include "FolderVisualData.h"
#include "LooseFileListing.h"
#include "PathBytes.h"
#include "ui_StorageWindowController.h"

#include <QAction>
#include <QFile>
#include <QMenu>

#include <algorithm>

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

// The platform's plain grey.
QColor filesSectorColor()
{
    return QColor(128, 128, 128);
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
    appendLooseFiles(folder, entries);
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
