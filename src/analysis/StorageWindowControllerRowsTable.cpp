// StorageWindowController: the rows table, one VisualDataCell per drill-down row.

#include "StorageWindowController.h"

#include "DynamicStackedView.h"
#include "DynamicStackedViewBox.h"
#include "VisualDataCell.h"
#include "WorkspaceIcons.h"
#include "ui_StorageWindowController.h"

#include <QFile>
#include <QLabel>

namespace corvale {

namespace {

QString lastPathComponent(const QByteArray &path)
{
    if (path == "/")
        return QStringLiteral("/");
    return QFile::decodeName(path.mid(path.lastIndexOf('/') + 1));
}

} // namespace

void StorageWindowController::reloadRowsTable()
{
    QTableWidget *table = ui->tableView;
    // Every cell is made anew. The old ones go with deleteLater: this runs from inside a bar's
    // click handling, and that bar must outlive its handler.
    table->setRowCount(0);
    const int rows = int(m_tableData.size());
    table->setRowCount(rows);
    for (int row = 0; row < rows; ++row) {
        table->setRowHeight(row, VisualDataCell::RowHeight);
        table->setCellWidget(row, 0, makeRowCell(row));
    }
    if (rows > 0 && !m_wasReduced)
        table->scrollToBottom();
}

VisualDataCell *StorageWindowController::makeRowCell(int row)
{
    auto *cell = new VisualDataCell;
    const bool slidesIn = row == int(m_tableData.size()) - 1 && !m_wasReduced;
    cell->arrow()->setVisible(row != 0);
    const QByteArray path = row < m_pathsData.size() ? m_pathsData.at(row) : QByteArray();
    if (!path.isNull())
        cell->titleField()->setText(lastPathComponent(path));
    cell->setRow(row);
    cell->setDelegate(this);
    DynamicStackedView *bar = cell->dynamicView();
    bar->setCornerRadius(5);
    bar->setSectorSpacing(1.0);
    bar->setData(m_tableData[size_t(row)]);
    cell->icon()->setPixmap(iconForEntry(path, true).pixmap(cell->icon()->size()));
    if (slidesIn)
        cell->animateRow();
    return cell;
}

} // namespace corvale
