// StorageWindowController: the file list, its check marks, the removal panel and the reveal.
//
// The marks live in the FileListModel, per entry; filesToDelete is derived from them by each
// rebuild, so a checked row scrolled out of sight still counts.

#include "StorageWindowController.h"

#include "AlertPresenter.h"
#include "ByteCount.h"
#include "FileListModel.h"
#include "FileManager.h"
#include "FolderAttributes.h"
#include "PathBytes.h"
#include "RightClickTable.h"
#include "WorkspaceIcons.h"
#include "ui_StorageWindowController.h"

#include <QEasingCurve>
#include <QFile>
#include <QMenu>
#include <QPropertyAnimation>

#include <functional>
#include <unordered_set>

namespace corvale {

namespace {

// Core Animation's ease-out.
QEasingCurve easeOut()
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0, 0), QPointF(0.58, 1), QPointF(1, 1));
    return curve;
}

// Whether an entry stands for one of `entries`: a refilled list holds new records for the same
// items, so they are matched by path.
std::function<bool(const FileListModel::Entry &)> samePathAsOneOf(
    const StorageWindowController::Entries &entries)
{
    auto paths = std::make_shared<std::unordered_set<std::string>>();
    for (const auto &entry : entries)
        paths->insert(entry->path);
    return [paths](const FileListModel::Entry &entry) { return paths->count(entry->path) > 0; };
}

} // namespace

void StorageWindowController::setUpFileList()
{
    m_alertPresenter = std::make_unique<SystemAlertPresenter>();

    m_fileListModel = new FileListModel(this);
    RightClickTable *table = ui->fileTableView;
    table->setModel(m_fileListModel);
    table->setFileTableMenu(m_fileTableMenu);
    // Worded as the chart's sector menu, so the program names the reveal one way.
    m_fileTableMenu->addAction(tr("Show in File Manager"), this, &StorageWindowController::showInFinder);

    connect(table, &RightClickTable::rowClicked, this, &StorageWindowController::tableViewShouldSelectRow);
    // Every mark change (a click, the space key) ends in exactly one rebuild.
    connect(m_fileListModel, &FileListModel::checkMarksChanged, this,
        &StorageWindowController::fileSelectionsChanged);
    // A header click sorts the model; directoryItems keeps the order it shows.
    connect(m_fileListModel, &QAbstractItemModel::layoutChanged, this,
        [this] { m_directoryItems = m_fileListModel->items(); });
    connect(ui->trashButton, &QPushButton::clicked, this, &StorageWindowController::trashSelectedItems);

    m_trashAnimation = new QPropertyAnimation(this, "trashAnimationConstrain", this);
    m_trashAnimation->setDuration(TrashSlideMs);
    m_trashAnimation->setEasingCurve(easeOut());
}

void StorageWindowController::setDirectoryItems(Entries items)
{
    m_directoryItems = std::move(items);
    reloadFileTable();
}

void StorageWindowController::reloadFileTable()
{
    RightClickTable *table = ui->fileTableView;
    const int rows = m_fileListModel->rowCount();
    bool same = size_t(rows) == m_directoryItems.size();
    for (int row = 0; same && row < rows; ++row)
        same = m_fileListModel->entry(row) == m_directoryItems[size_t(row)];
    if (same) {
        // Sizes and names may have changed in place; the marks are the model's already.
        table->viewport()->update();
        return;
    }

    // A new list: marks come back for the entries still to be deleted, then the order the user
    // chose.
    m_fileListModel->setItems(m_directoryItems, samePathAsOneOf(m_filesToDelete));
    table->sortBySortDescriptors();
}

void StorageWindowController::setFilesToDelete(Entries entries)
{
    m_filesToDelete = std::move(entries);
    m_fileListModel->setItems(m_fileListModel->items(), samePathAsOneOf(m_filesToDelete));
    updateRemovalPanel();
}

bool StorageWindowController::tableViewShouldSelectRow(int row)
{
    // A system row refuses (the model keeps it unchecked); an ordinary one flips, and the model's
    // notice of the change rebuilds the selection.
    m_fileListModel->toggle(row);
    return false;
}

void StorageWindowController::fileSelectionsChanged()
{
    m_filesToDelete = m_fileListModel->checkedEntries();
    updateRemovalPanel();
}

void StorageWindowController::updateRemovalPanel()
{
    if (!m_filesToDelete.empty()) {
        ui->trashButton->setEnabled(true);
        showTrash();
        processFilesImages();
    } else {
        // The icons and total keep their last values while hidden.
        ui->trashButton->setEnabled(false);
        hideTrash();
    }
    Q_EMIT filesToDeleteChanged();
}

void StorageWindowController::processFilesImages()
{
    QLabel *const icons[TrashSlots]
        = {ui->file1, ui->file2, ui->file3, ui->file4, ui->file5, ui->file6, ui->file7};
    quint64 total = 0;
    for (const auto &entry : m_filesToDelete)
        total += entry->size;
    ui->trashTotal->setText(byteCountText(total));

    // Empty slots are hidden, so the total follows the last filled one.
    for (int i = 0; i < TrashSlots; ++i) {
        QLabel *slot = icons[i];
        if (size_t(i) >= m_filesToDelete.size()) {
            slot->clear();
            slot->hide();
            continue;
        }
        const auto &entry = m_filesToDelete[size_t(i)];
        const qreal ratio = slot->devicePixelRatioF();
        QPixmap image = iconForEntry(bytes(entry->path), entry->isDir).pixmap(slot->size(), ratio);
        // Some themes have a type's icon only in smaller sizes: all slots show the same size.
        if (!image.isNull() && image.deviceIndependentSize().width() < slot->width()) {
            image = image.scaled(slot->size() * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            image.setDevicePixelRatio(ratio);
        }
        slot->setPixmap(image);
        slot->setToolTip(QFile::decodeName(bytes(entry->name)));
        slot->show();
    }
}

void StorageWindowController::showTrash()
{
    const bool goingThere = m_trashAnimation->state() == QAbstractAnimation::Running
        && m_trashAnimation->endValue().toInt() == TrashShownOffset;
    if (goingThere
        || (m_trashAnimation->state() != QAbstractAnimation::Running
            && m_trashAnimationConstrain == TrashShownOffset))
        return;
    m_trashAnimation->stop();
    m_trashAnimation->setStartValue(m_trashAnimationConstrain);
    m_trashAnimation->setEndValue(TrashShownOffset);
    m_trashAnimation->start();
}

void StorageWindowController::hideTrash()
{
    if (m_trashAnimation)
        m_trashAnimation->stop();
    setTrashAnimationConstrain(TrashHiddenOffset);
}

void StorageWindowController::showInFinder()
{
    const QByteArray path = ui->fileTableView->pathToOpen();
    if (path.isNull())
        return;
    m_fileManager->showItems({path});
}

void StorageWindowController::setAlertPresenter(std::unique_ptr<AlertPresenter> presenter)
{
    m_alertPresenter = std::move(presenter);
}

} // namespace corvale
