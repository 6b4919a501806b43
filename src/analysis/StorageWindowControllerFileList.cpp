// StorageWindowController: the file list, the removal panel, the move to the trash as the window
// asks for it and tells of it, and the reveal of a listed entry.

#include "StorageWindowController.h"

#include "AlertPresenter.h"
#include "FileListModel.h"
#include "FileManager.h"
#include "LargestFilesView.h"
#include "OrvSpinnerView.h"
#include "PathBytes.h"
#include "RemovalPanel.h"
#include "RightClickTable.h"
#include "SystemEntry.h"
#include "ui_StorageWindowController.h"

#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>

namespace corvale {

void StorageWindowController::setUpFileList()
{
    RightClickTable *table = ui->fileTableView;
    table->setModel(m_session->fileListModel());
    table->setFileTableMenu(m_fileTableMenu);
    // The Largest Files list lies in the same place, and stays hidden until asked for.
    table->setColumnHidden(FileListModel::FolderColumn, true);
    connect(table, &RightClickTable::rowClicked, this, &StorageWindowController::tableViewShouldSelectRow);
    connect(table, &RightClickTable::rowDoubleClicked, this, &StorageWindowController::entryDoubleClicked);
    connect(table, &RightClickTable::menuAboutToOpen, this,
        [this, table](int row) { entryMenuAboutToOpen(table, row); });
    connect(table, &RightClickTable::deleteRequested, this, &StorageWindowController::trashSelectedItems);

    // While the loose files of the folder in view are listed, a note over the bottom of the list
    // says so.
    m_listingIndicator = new QFrame(table->viewport());
    m_listingIndicator->setObjectName(QStringLiteral("listingIndicator"));
    m_listingIndicator->setFrameShape(QFrame::StyledPanel);
    m_listingIndicator->setAutoFillBackground(true);
    m_listingIndicator->setBackgroundRole(QPalette::Window);
    auto *layout = new QHBoxLayout(m_listingIndicator);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setContentsMargins(10, 6, 12, 6);
    layout->setSpacing(8);
    m_listingSpinner = new OrvSpinnerView(
        OrvSpinnerView::nineCubeGridStyle, QColor::fromRgbF(0, 0, 0, 0.3f), 18, m_listingIndicator);
    m_listingSpinner->setFixedSize(18, 18);
    layout->addWidget(m_listingSpinner);
    layout->addWidget(new QLabel(tr("Listing files…"), m_listingIndicator));
    m_listingIndicator->hide();
}

void StorageWindowController::showEntries()
{
    const bool listing = m_session->isListing();
    m_listingIndicator->setVisible(listing);
    if (listing) {
        const QWidget *viewport = ui->fileTableView->viewport();
        m_listingIndicator->move((viewport->width() - m_listingIndicator->width()) / 2,
            viewport->height() - m_listingIndicator->height() - 16);
        m_listingSpinner->setColor(spinnerColor());
        m_listingSpinner->startAnimating();
    } else {
        m_listingSpinner->stopAnimating();
    }
}

bool StorageWindowController::tableViewShouldSelectRow(int row)
{
    // A system row refuses (the model keeps it unchecked); an ordinary one flips, and the model's
    // notice of the change rebuilds the selection.
    m_session->fileListModel()->toggle(row);
    return false;
}

void StorageWindowController::updateRemovalPanel()
{
    const Entries &checked = m_session->filesToDelete();
    // The Largest Files view covers the list whose marks the panel counts.
    const bool any = !checked.empty() && m_session->state() == AnalysisSession::State::Result
        && m_session->largestFilesFolder().isEmpty();
    ui->trashButton->setEnabled(any);
    if (any) {
        ui->deleteView->processFilesImages(checked, m_session->measure());
        showTrash();
    } else {
        // The trash button goes out of sight: the focus stays with the list.
        if (ui->deleteView->isAncestorOf(window()->focusWidget()))
            placeFocus(ui->fileTableView);
        // The icons and total keep their last values while hidden.
        hideTrash();
    }
}

RemovalPanel *StorageWindowController::removalPanel() const
{
    return ui->deleteView;
}

void StorageWindowController::showTrash()
{
    ui->deleteView->showTrash();
}

void StorageWindowController::hideTrash()
{
    ui->deleteView->hideTrash();
}

void StorageWindowController::trashSelectedItems()
{
    trashEntries(m_session->filesToDelete());
}

void StorageWindowController::trashEntries(const Entries &checked)
{
    if (checked.empty())
        return;
    if (isSystemEntry(bytes(checked.front()->path))) {
        const AlertPresenter::Alert warning {tr("You're trying to move system files to trash."),
            tr("This can damage your system installation. Are you sure you want to continue?"),
            {tr("Cancel"), tr("Move to Trash")}};
        if (m_alertPresenter->runModal(this, warning) != AlertPresenter::FirstButton + 1)
            return;
    }
    m_session->trashEntries(checked);
}

void StorageWindowController::unableToDeleteItems(const AnalysisSession::TrashFailures &failures)
{
    QString lines;
    // The advice fits only where the user can do something about it.
    bool advise = false;
    for (const auto &[entry, result] : failures) {
        const QString why = result.reason == TrashMover::Reason::Other && !result.detail.isEmpty()
            ? result.detail
            : TrashMover::reasonText(result.reason);
        lines += tr("%1 — %2", "a failed item's name and why it failed")
                     .arg(QFile::decodeName(bytes(lastPathComponent(entry->path))), why)
            + QLatin1Char('\n');
        advise |= result.reason == TrashMover::Reason::PermissionDenied
            || result.reason == TrashMover::Reason::Other;
    }
    QString text = tr("These items cannot be deleted:\n\n") + lines;
    if (advise)
        text += QLatin1Char('\n') + tr("Check permissions or try again later");
    else
        text.chop(1);
    m_alertPresenter->runModal(this, {tr("Unable to delete items"), text, {tr("OK")}});
}

void StorageWindowController::setUpLargestFiles()
{
    m_largestFilesView = new LargestFilesView(m_session, ui->fileArea);
    m_largestFilesView->hide();
    ui->fileArea->layout()->addWidget(m_largestFilesView);
    RightClickTable *table = m_largestFilesView->table();
    table->setFileTableMenu(m_fileTableMenu);
    connect(table, &RightClickTable::menuAboutToOpen, this,
        [this, table](int row) { entryMenuAboutToOpen(table, row); });
    connect(
        m_largestFilesView, &LargestFilesView::trashRequested, this, &StorageWindowController::trashEntries);
    connect(m_session, &AnalysisSession::largestFilesChanged, this,
        &StorageWindowController::showLargestFilesView);
}

void StorageWindowController::showLargestFiles(const QByteArray &folder)
{
    if (folder.isEmpty() || m_session->state() != AnalysisSession::State::Result)
        return;
    m_session->findLargestFiles(folder);
    placeFocus(m_largestFilesView->table());
}

void StorageWindowController::showLargestFilesView()
{
    const bool shown = !m_session->largestFilesFolder().isEmpty();
    if (shown == m_largestFilesView->isVisibleTo(this))
        return;
    // The focus goes from one list to the other, not to whatever Qt finds next.
    const bool hadFocus = ui->fileArea->isAncestorOf(window()->focusWidget());
    applyState();
    updateRemovalPanel();
    if (hadFocus && m_session->state() == AnalysisSession::State::Result)
        placeFocus(shown ? m_largestFilesView->table() : ui->fileTableView);
}

void StorageWindowController::showInFinder()
{
    // The list whose menu opened last: the file list's or the largest files'.
    const QByteArray path = (m_menuTable ? m_menuTable.get() : ui->fileTableView)->pathToOpen();
    if (!path.isNull())
        m_fileManager->showItems({path});
}

} // namespace corvale
