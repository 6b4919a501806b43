// The analysis run: choosing a folder, starting the walk, its progress, stopping it, its end.

#include "StorageWindowController.h"

#include "ByteCount.h"
#include "FolderAttributes.h"
#include "FolderChooser.h"
#include "FolderVisualData.h"
#include "WorkspaceIcons.h"
#include "ui_StorageWindowController.h"

#include <QFile>
#include <QThreadPool>

namespace corvale {

void StorageWindowController::selectFolder()
{
    const std::optional<QByteArray> folder = m_folderChooser->chooseFolder(this);
    if (!folder)
        return;
    openFolder(*folder);
}

void StorageWindowController::openFolder(const QByteArray &path)
{
    m_tableData.clear();
    m_pathsData.clear();
    m_lastFolder = path;
    updateFolder();
}

void StorageWindowController::updateFolder()
{
    ui->titleLabel->setText(QFile::decodeName(m_lastFolder));
    ui->titleLabel->setToolTip(ui->titleLabel->text());
    ui->progressLabel->show();

    ui->welcomeView->hide();
    ui->chartView->show();

    ui->fileTableView->hide();
    ui->tableView->hide();

    ui->selectFolderButton->hide();
    ui->legendView->hide();
    ui->trashButton->hide();
    ui->refreshButton->hide();
    ui->labelReclaim->hide();
    ui->fieldReclaim->hide();
    ui->buttonReclaim->hide();

    hideTrash();

    // One walk at a time: a walk still going on for the scanner being replaced is of no more use.
    if (m_visualData)
        m_visualData->requestStop();
    m_visualData = std::make_shared<FolderVisualData>();

    m_directoryItems.clear();
    m_tableData.clear();
    m_pathsData.clear();

    m_reclaimedSpace = 0;
    ui->fieldReclaim->setText(byteCountText(m_reclaimedSpace));

    ui->trashButton->setEnabled(false);

    reloadFileTable();
    reloadRowsTable();

    // The task gets the path and the scanner now, on this thread, rather than reading the
    // controller's fields from the pool.
    ++m_runNumber;
    m_runStopped = false;
    m_currentRun
        = std::make_shared<AnalysisRun>(m_link, m_runNumber, m_visualData, m_lastFolder, m_reportHook);
    QThreadPool::globalInstance()->start([run = m_currentRun] { run->run(); });
}

void StorageWindowController::walkStarted(quint64 run, const QByteArray &path)
{
    if (!isLiveRun(run))
        return;
    ui->selectedFolderIcon->setPixmap(iconForFile(path).pixmap(ui->selectedFolderIcon->size()));
    ui->selectedFolderItems->setText(QString());
    ui->selectedFolderItems->show();
    ui->progressLabel->setText(tr("Analyzing..."));
    ui->stopButton->show();
    ui->loader->show();
    startSpinner();
}

void StorageWindowController::showProgress(quint64 run, quint64 items)
{
    if (!isLiveRun(run))
        return;
    const QString count = QString::number(items);
    ui->progressLabel->setText(tr("Analyzing... Items: %1").arg(count));
    ui->selectedFolderItems->setText(tr("Items: %1").arg(count));
}

void StorageWindowController::walkEnded(quint64 run, std::shared_ptr<FolderVisualData> tree)
{
    if (run != m_runNumber)
        return;
    // A stop that came before the walk began is lost on the scanner (a walk clears the flag when
    // it starts), so the run's own record of it decides.
    processData(m_runStopped ? nullptr : std::move(tree));
}

void StorageWindowController::stopSearch()
{
    if (m_visualData)
        m_visualData->requestStop();
    m_runStopped = true;
    ui->titleLabel->clear();
    ui->titleLabel->setToolTip(QString());
    ui->selectedFolderItems->clear();
    ui->selectedFolderItems->hide();
    ui->selectedFolderIcon->clear();
    ui->welcomeView->show();
    ui->chartView->hide();
}

void StorageWindowController::doCleanup()
{
    stopSearch();
}

} // namespace corvale
