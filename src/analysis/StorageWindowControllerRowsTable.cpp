// StorageWindowController: the rows table, one VisualDataCell per drill-down row.

#include "StorageWindowController.h"

#include "DynamicStackedView.h"
#include "DynamicStackedViewBox.h"
#include "FileManager.h"
#include "FolderVisualData.h"
#include "PathBytes.h"
#include "RowsTable.h"
#include "VisualDataCell.h"
#include "WorkspaceIcons.h"
#include "ui_StorageWindowController.h"

#include <QFile>
#include <QLabel>
#include <QToolButton>

namespace corvale {

void StorageWindowController::reloadRowsTable(int from)
{
    RowsTable *table = ui->tableView;
    const auto &rows = m_session->rows();
    // The cells above `from` stay: one of them may be the bar whose click is being handled. The
    // others go with deleteLater.
    from = std::clamp(from, 0, table->rowCount());
    // A bar that goes with the focus hands it to the bar of its row in the new rows, if any, and
    // not first to whatever Qt would find next.
    const int focusedRow = table->rowOf(window()->focusWidget());
    if (focusedRow >= from)
        window()->focusWidget()->clearFocus();
    table->setRowCount(from);
    table->setRowCount(int(rows.size()));
    for (int row = from; row < int(rows.size()); ++row) {
        table->setRowHeight(row, VisualDataCell::RowHeight);
        table->setCellWidget(row, 0, makeRowCell(row));
    }
    if (!rows.empty() && !m_session->wasReduced())
        table->scrollToBottom();
    if (focusedRow >= from && !rows.empty())
        placeFocus(table->bar(std::min(focusedRow, int(rows.size()) - 1)));
    ensureFocus();
}

VisualDataCell *StorageWindowController::makeRowCell(int row)
{
    const AnalysisSession::Row &data = m_session->rows().at(size_t(row));
    auto *cell = new VisualDataCell;
    const bool slidesIn = row == int(m_session->rows().size()) - 1 && !m_session->wasReduced();
    cell->arrow()->setVisible(row != 0);
    cell->titleField()->setTextFormat(Qt::PlainText);
    cell->setTitle(QFile::decodeName(bytes(lastPathComponent(view(data.path)))));
    cell->setRow(row);
    cell->setDelegate(this);
    for (const auto &sector : data.sectors) {
        if (!sector->isDisabled())
            sector->setSubmenu(m_stackedMenu);
    }
    DynamicStackedView *bar = cell->dynamicView();
    bar->setCornerRadius(5);
    bar->setSectorSpacing(1.0);
    bar->setData(data.sectors);
    cell->icon()->setPixmap(iconForEntry(data.path, true).pixmap(cell->icon()->size()));
    // The chosen folder's largest files, wherever they lie below it.
    if (row == 0 && m_session->isScannedFolderHere()) {
        QToolButton *button = cell->headerButton();
        button->setText(tr("Largest Files"));
        button->setIcon(QIcon::fromTheme(QStringLiteral("view-sort-descending")));
        button->setAccessibleName(tr("Largest Files in “%1”").arg(cell->titleField()->text()));
        button->show();
        connect(button, &QToolButton::clicked, this, [this, path = data.path] { showLargestFiles(path); });
    }
    if (slidesIn)
        cell->animateRow();
    return cell;
}

// Sizes changed in place (entries went to the trash): the bars show them again, nothing slides.
void StorageWindowController::refreshBars()
{
    RowsTable *table = ui->tableView;
    const auto &rows = m_session->rows();
    for (int row = 0; row < table->rowCount() && row < int(rows.size()); ++row) {
        if (VisualDataCell *cell = table->cell(row))
            cell->dynamicView()->setData(rows[size_t(row)].sectors);
    }
}

void StorageWindowController::didSelectSector(
    const std::shared_ptr<DynamicStackedViewSector> &sector, qint64 row)
{
    m_session->didSelectSector(sector, row);
}

void StorageWindowController::didRemoveSelectionInRow(qint64 row)
{
    m_session->didRemoveSelectionInRow(row);
}

void StorageWindowController::showInFinderFromStack()
{
    if (m_menuFolder && !m_menuFolder->isEmpty())
        m_fileManager->showItems({*m_menuFolder});
}

} // namespace corvale
