// StorageWindowController: moving the checked entries to the trash and taking them out of the
// list and the chart.
//
// Each entry is one task on the global pool (TrashMover); its completion runs here, on the GUI
// thread, one at a time. A trash action ends with its last completion, which is where its one
// failure alert is shown.

#include "StorageWindowController.h"

#include "AlertPresenter.h"
#include "ByteCount.h"
#include "FileListModel.h"
#include "FolderAttributes.h"
#include "FolderVisualData.h"
#include "PathBytes.h"
#include "SystemEntry.h"
#include "TrashMover.h"
#include "ui_StorageWindowController.h"

#include <QFile>

#include <algorithm>

namespace corvale {

namespace {

// A file can have grown since the walk, so what is taken away may exceed what was counted.
quint64 lessBy(quint64 value, quint64 amount)
{
    return value > amount ? value - amount : 0;
}

template<class T>
void eraseOne(std::vector<T> &list, const T &item)
{
    const auto found = std::find(list.begin(), list.end(), item);
    if (found != list.end())
        list.erase(found);
}

} // namespace

struct StorageWindowController::TrashAction
{
    Entries failures;
    std::vector<TrashMover::Result> failureResults; // one per failure
    int pending = 0;
    // The analysis the moved entries belong to.
    quint64 run = 0;
};

void StorageWindowController::trashSelectedItems()
{
    if (m_filesToDelete.empty())
        return;
    if (isSystemEntry(bytes(m_filesToDelete.front()->path))) {
        const AlertPresenter::Alert warning {tr("You're trying to move system files to trash."),
            tr("This can damage your system installation. Are you sure you want to continue?"),
            {tr("Cancel"), tr("Move to Trash")}};
        if (m_alertPresenter->runModal(this, warning) != AlertPresenter::FirstButton + 1)
            return;
    }

    auto action = std::make_shared<TrashAction>();
    action->run = m_runNumber;
    Entries entries;
    for (const auto &entry : m_filesToDelete) {
        // Still being moved by an earlier press: moving it again could only fail.
        if (std::find(m_entriesInFlight.begin(), m_entriesInFlight.end(), entry) != m_entriesInFlight.end())
            continue;
        m_entriesInFlight.push_back(entry);
        entries.push_back(entry);
    }
    if (entries.empty())
        return;
    action->pending = int(entries.size());
    ++m_trashActionsRunning;
    for (const auto &entry : entries) {
        TrashMover::moveToTrashAsync(
            this, bytes(entry->path), [this, action, entry](const TrashMover::Result &result) {
                if (!result.trashed)
                    action->failureResults.push_back(result);
                trashFinished(action, entry, result.trashed);
            });
    }
}

void StorageWindowController::trashFinished(
    const std::shared_ptr<TrashAction> &action, const std::shared_ptr<FolderAttributes> &entry, bool ok)
{
    eraseOne(m_entriesInFlight, entry);
    --action->pending;

    // After a new analysis started the window shows another walk: it is left alone.
    if (ok && action->run == m_runNumber) {
        m_itemsVisualized = lessBy(m_itemsVisualized, entry->count);
        eraseOne(m_directoryItems, entry);
        m_fileListModel->removeEntry(entry);
        removeLinkToUrl(bytes(entry->path), entry->size, entry->isDir);

        m_reclaimedSpace += entry->size;
        ui->fieldReclaim->setText(byteCountText(m_reclaimedSpace));
        ui->labelReclaim->show();
        ui->fieldReclaim->show();
        ui->buttonReclaim->show();
        ui->selectedFolderItems->setText(tr("Items: %1").arg(QString::number(m_itemsVisualized)));
    } else if (!ok) {
        action->failures.push_back(entry);
    }

    // The panel follows what is still checked: a moved entry has left the list and with it the
    // selection; one that failed stays checked, so the button stays enabled for another try.
    fileSelectionsChanged();

    if (action->pending == 0) {
        --m_trashActionsRunning;
        if (!action->failures.empty())
            unableToDeleteItems(action->failures, action->failureResults);
        Q_EMIT trashActionFinished();
    }
}

void StorageWindowController::removeLinkToUrl(const QByteArray &path, quint64 size, bool isDir)
{
    for (const Sectors &row : m_tableData) {
        for (const auto &sector : row)
            removeLinkToUrlProcessor(path, sector, size, isDir);
        if (!row.empty())
            updateDataInSectors(row);
    }
    reloadRowsTable();
    reloadFileTable();
}

std::shared_ptr<DynamicStackedViewSector> StorageWindowController::removeLinkToUrlProcessor(
    const QByteArray &path, const std::shared_ptr<DynamicStackedViewSector> &sector, quint64 size, bool isDir,
    bool secondRun)
{
    Q_UNUSED(secondRun);
    const auto node = sector ? sector->represented<FolderVisualData>() : nullptr;
    if (!node)
        return sector;
    const QByteArray nodePath = bytes(node->path());
    if (path == nodePath)
        node->setSize(0);

    const QList<QByteArray> components = path.split('/');
    if (components.size() < 2)
        return sector;
    const qsizetype nodeComponents = nodePath.count('/') + 1;
    QByteArray prefix;
    for (qsizetype i = 1; i < components.size(); ++i) {
        prefix += '/';
        prefix += components[i];
        if (prefix != nodePath)
            continue;
        // An ordinary sector is a folder above the removed item.
        if (node->size() != 0 && !sector->isDisabled())
            node->setSize(lessBy(node->size(), size));
        // The "Files" sector of the folder that directly held a removed file.
        if (node->size() != 0 && sector->isDisabled() && !isDir && components.size() == nodeComponents + 1)
            node->setSize(lessBy(node->size(), size));
    }
    return sector;
}

void StorageWindowController::unableToDeleteItems(
    const Entries &items, const std::vector<TrashMover::Result> &results)
{
    QString lines;
    // The advice fits only where the user can do something about it.
    bool advise = results.size() != items.size();
    for (size_t i = 0; i < items.size(); ++i) {
        const QByteArray path = bytes(items[i]->path);
        const QString name = QFile::decodeName(path.mid(path.lastIndexOf('/') + 1));
        if (i >= results.size()) {
            lines += name + QLatin1Char('\n');
            continue;
        }
        const TrashMover::Result &result = results[i];
        const QString why = result.reason == TrashMover::Reason::Other && !result.detail.isEmpty()
            ? result.detail
            : TrashMover::reasonText(result.reason);
        lines += tr("%1 — %2", "a failed item's name and why it failed").arg(name, why) + QLatin1Char('\n');
        advise |= result.reason == TrashMover::Reason::PermissionDenied
            || result.reason == TrashMover::Reason::Other;
    }
    QString text = tr("These items cannot be deleted:\n\n") + lines;
    if (advise)
        text += QLatin1Char('\n') + tr("Check permissions or try again later");
    else
        text.chop(1);
    const AlertPresenter::Alert alert {tr("Unable to delete items"), text, {tr("OK")}};
    m_alertPresenter->runModal(this, alert);
}

} // namespace corvale
