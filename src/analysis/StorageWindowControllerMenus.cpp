// StorageWindowController: the context menus of sectors and of listed entries (Open, Show in File
// Manager, Copy Path, Largest Files, and for an entry Move to Trash), and the double click that
// opens a listed folder in the chart.

#include "StorageWindowController.h"

#include "DynamicStackedView.h"
#include "DynamicStackedViewBox.h"
#include "FileListModel.h"
#include "FileManager.h"
#include "FolderVisualData.h"
#include "PathBytes.h"
#include "RightClickTable.h"
#include "RowsTable.h"
#include "VisualDataCell.h"
#include "ui_StorageWindowController.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

namespace corvale {

namespace {

struct MenuActions
{
    QAction *open;
    QAction *reveal;
    QAction *copyPath;
    QAction *largestFiles;
};

MenuActions addItemActions(QMenu *menu)
{
    return {menu->addAction(StorageWindowController::tr("Open")),
        menu->addAction(StorageWindowController::tr("Show in File Manager")),
        menu->addAction(StorageWindowController::tr("Copy Path")),
        menu->addAction(StorageWindowController::tr("Largest Files"))};
}

} // namespace

void StorageWindowController::setUpMenus()
{
    // Worded alike in both menus, so the program names each action one way.
    const MenuActions sector = addItemActions(m_stackedMenu);
    m_showInFinderAction = sector.reveal;
    m_sectorActions = {sector.open, sector.reveal, sector.largestFiles};
    const auto folder = [this] { return m_menuFolder.value_or(QByteArray()); };
    connect(sector.open, &QAction::triggered, this, [this, folder] {
        if (!folder().isEmpty())
            m_fileManager->openItem(folder(), true);
    });
    connect(sector.reveal, &QAction::triggered, this, &StorageWindowController::showInFinderFromStack);
    connect(sector.copyPath, &QAction::triggered, this, [this, folder] { copyPath(folder()); });
    connect(sector.largestFiles, &QAction::triggered, this, [this, folder] { showLargestFiles(folder()); });

    const MenuActions entry = addItemActions(m_fileTableMenu);
    m_revealEntryAction = entry.reveal;
    m_entryOpenAction = entry.open;
    m_entryCopyAction = entry.copyPath;
    m_entryLargestAction = entry.largestFiles;
    m_fileTableMenu->addSeparator();
    m_entryTrashAction = m_fileTableMenu->addAction(tr("Move to Trash"));
    connect(entry.open, &QAction::triggered, this, [this] {
        if (m_menuEntry)
            m_fileManager->openItem(bytes(m_menuEntry->path), m_menuEntry->isDir);
    });
    connect(entry.reveal, &QAction::triggered, this, &StorageWindowController::showInFinder);
    connect(entry.copyPath, &QAction::triggered, this, [this] {
        if (m_menuEntry)
            copyPath(bytes(m_menuEntry->path));
    });
    connect(entry.largestFiles, &QAction::triggered, this, [this] {
        if (m_menuEntry)
            showLargestFiles(bytes(m_menuEntry->path));
    });
    connect(m_entryTrashAction, &QAction::triggered, this, [this] {
        if (m_menuEntry)
            trashEntries({m_menuEntry});
    });
}

void StorageWindowController::willOpenMenuForSector(
    const std::shared_ptr<DynamicStackedViewSector> &sector, qint64)
{
    for (QAction *action : m_sectorActions)
        action->setEnabled(m_session->isScannedFolderHere());
    const auto node = sector ? sector->represented<FolderVisualData>() : nullptr;
    if (node && !node->path().empty())
        m_menuFolder = bytes(node->path());
    else
        m_menuFolder.reset();
}

void StorageWindowController::entryMenuAboutToOpen(RightClickTable *table, int row)
{
    m_menuTable = table;
    const auto *model = static_cast<const FileListModel *>(table->model());
    const QByteArray path = table->pathToOpen();
    // Gone entries and a scan's summaries are no items of their own; a scan of another computer's
    // folder has nothing here to open or move.
    m_menuEntry = path.isNull() ? nullptr : model->entry(row);
    const bool here = m_menuEntry && m_session->isScannedFolderHere();
    m_entryOpenAction->setEnabled(here);
    m_revealEntryAction->setEnabled(here);
    m_entryCopyAction->setEnabled(m_menuEntry != nullptr);
    m_entryLargestAction->setVisible(m_menuEntry && m_menuEntry->isDir);
    m_entryLargestAction->setEnabled(here);
    // By the system rules: what cannot be checked cannot be moved either.
    m_entryTrashAction->setEnabled(here && !model->index(row, 0).data(FileListModel::SystemEntryRole).toBool()
        && m_session->state() == AnalysisSession::State::Result);
}

void StorageWindowController::copyPath(const QByteArray &path)
{
    if (path.isEmpty())
        return;
    // The text for wherever it is pasted; the address keeps the kernel's bytes of any name.
    auto *data = new QMimeData;
    data->setText(QFile::decodeName(path));
    data->setUrls({QUrl::fromEncoded(SystemFileManager::uriOf(path))});
    QGuiApplication::clipboard()->setMimeData(data);
}

void StorageWindowController::entryDoubleClicked(int row)
{
    // The two clicks have left the mark as it was; a folder opens as its sector would.
    const qint64 chartRow = m_session->openInChart(m_session->fileListModel()->entry(row));
    if (chartRow < 0)
        return;
    // A click on the sector shows its selection itself; this bar is told by its record.
    if (VisualDataCell *cell = ui->tableView->cell(int(chartRow)))
        cell->dynamicView()->setData(m_session->rows().at(size_t(chartRow)).sectors);
}

} // namespace corvale
