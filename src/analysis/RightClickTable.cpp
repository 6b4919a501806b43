#include "RightClickTable.h"

#include "CheckmarkTableCell.h"
#include "FileListModel.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>

namespace corvale {

RightClickTable::RightClickTable(QWidget *parent)
    : QTableView(parent)
{
    setItemDelegate(new CheckmarkTableCell(this));
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalHeader()->hide();
    // A fixed row height spares the view from measuring 200,000 rows.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(std::max(22, fontMetrics().height() + 6));
    horizontalHeader()->setHighlightSections(false);
    // No column is sorted until the user picks one: the list keeps the order it was given.
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    setSortingEnabled(true);
}

void RightClickTable::setModel(QAbstractItemModel *model)
{
    QTableView::setModel(model);
    if (horizontalHeader()->count() > FileListModel::SizeColumn) {
        horizontalHeader()->setSectionResizeMode(FileListModel::NameColumn, QHeaderView::Stretch);
        horizontalHeader()->setSectionResizeMode(FileListModel::SizeColumn, QHeaderView::Interactive);
        horizontalHeader()->resizeSection(
            FileListModel::SizeColumn, fontMetrics().horizontalAdvance(QStringLiteral("000.00 MB")) + 16);
    }
}

int RightClickTable::clickedRow(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return -1;
    return rowAt(event->position().toPoint().y());
}

void RightClickTable::mousePressEvent(QMouseEvent *event)
{
    const int row = clickedRow(event);
    QTableView::mousePressEvent(event);
    if (row != -1)
        Q_EMIT rowClicked(row);
}

// The second press of a double click arrives here instead of mousePressEvent; it is a click
// of its own, as it is on the checkbox.
void RightClickTable::mouseDoubleClickEvent(QMouseEvent *event)
{
    const int row = clickedRow(event);
    QTableView::mouseDoubleClickEvent(event);
    if (row != -1)
        Q_EMIT rowClicked(row);
}

void RightClickTable::contextMenuEvent(QContextMenuEvent *event)
{
    const int row = rowAt(event->pos().y());
    if (row == -1 || !model()) {
        event->ignore();
        return;
    }
    m_pathToOpen = model()->index(row, FileListModel::NameColumn).data(FileListModel::PathRole).toByteArray();
    if (m_fileTableMenu)
        m_fileTableMenu->exec(event->globalPos());
}

} // namespace corvale
