#include "RightClickTable.h"

#include "CheckmarkTableCell.h"
#include "FileListModel.h"
#include "KeyboardFocus.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>

namespace corvale {

RightClickTable::RightClickTable(QWidget *parent)
    : QTableView(parent)
{
    setItemDelegate(new CheckmarkTableCell(this));
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the list instead of walking its cells, none of which can be edited.
    setTabKeyNavigation(false);
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
    QHeaderView *header = horizontalHeader();
    if (header->count() != FileListModel::ColumnCount)
        return;
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setSectionResizeMode(FileListModel::NameColumn, QHeaderView::Stretch);
    header->resizeSection(
        FileListModel::SizeColumn, fontMetrics().horizontalAdvance(QStringLiteral("000.00 MB")) + 16);
    // Room for the widest share and a bar beside it.
    header->resizeSection(
        FileListModel::ShareColumn, fontMetrics().horizontalAdvance(QStringLiteral("100 %")) + 48);
    header->resizeSection(FileListModel::ChangeColumn, header->sectionSize(FileListModel::SizeColumn));
}

int RightClickTable::clickedRow(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return -1;
    return rowAt(event->position().toPoint().y());
}

void RightClickTable::mousePressEvent(QMouseEvent *event)
{
    setFocusShown(false);
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
    if (row != -1) {
        Q_EMIT rowClicked(row);
        Q_EMIT rowDoubleClicked(row);
    }
}

void RightClickTable::contextMenuEvent(QContextMenuEvent *event)
{
    // The Menu key arrives as a key press too, which opens the current row's menu.
    if (event->reason() == QContextMenuEvent::Keyboard)
        return;
    const int row = rowAt(event->pos().y());
    if (row == -1) {
        event->ignore();
        return;
    }
    openMenu(row, event->globalPos());
}

void RightClickTable::openMenu(int row, const QPoint &globalPos)
{
    if (!model())
        return;
    m_pathToOpen = model()->index(row, FileListModel::NameColumn).data(FileListModel::PathRole).toByteArray();
    Q_EMIT menuAboutToOpen(row);
    if (m_fileTableMenu)
        m_fileTableMenu->exec(globalPos);
}

void RightClickTable::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool plain = modifiers == Qt::NoModifier;
    const int key = event->key();
    const int row = currentIndex().row();
    setFocusShown(true);
    if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && (modifiers & Qt::ControlModifier)) {
        // Qt passes Ctrl+Tab to the widget, as to an editor that takes Tab for itself.
        focusNextPrevChild(key == Qt::Key_Tab && !(modifiers & Qt::ShiftModifier));
    } else if (plain && (key == Qt::Key_Space || key == Qt::Key_Select)) {
        // Held down, the key would check and uncheck the row over and over.
        if (row >= 0 && !event->isAutoRepeat())
            Q_EMIT rowClicked(row);
    } else if (plain && key == Qt::Key_Delete) {
        Q_EMIT deleteRequested();
    } else if ((plain && key == Qt::Key_Menu) || (modifiers == Qt::ShiftModifier && key == Qt::Key_F10)) {
        if (row >= 0) {
            const QRect shown = rowRect(row) & viewport()->rect();
            openMenu(row, viewport()->mapToGlobal(QPoint(shown.left() + 40, shown.bottom())));
        }
    } else {
        QTableView::keyPressEvent(event);
        return;
    }
    event->accept();
}

QModelIndex RightClickTable::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const int rows = model() ? model()->rowCount() : 0;
    int row = -1;
    switch (cursorAction) {
    // As in a file manager, the first and last entries.
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = rows - 1;
        break;
    case MoveLeft:
    case MoveRight:
        return currentIndex();
    default:
        row = QTableView::moveCursor(cursorAction, modifiers).row();
        break;
    }
    // One current row, always in the name column, where Space and a screen reader find its mark.
    return row >= 0 && row < rows ? model()->index(row, FileListModel::NameColumn) : QModelIndex();
}

void RightClickTable::focusInEvent(QFocusEvent *event)
{
    m_focusVisible = focusShownAfter(event->reason(), m_focusVisible);
    QTableView::focusInEvent(event);
    viewport()->update(rowRect(currentIndex().row()));
}

void RightClickTable::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    viewport()->update(rowRect(currentIndex().row()));
}

bool RightClickTable::isFocusShown() const
{
    return m_focusVisible && hasFocus() && currentIndex().isValid();
}

void RightClickTable::setFocusShown(bool shown)
{
    if (shown == m_focusVisible)
        return;
    m_focusVisible = shown;
    viewport()->update(rowRect(currentIndex().row()));
}

QRect RightClickTable::rowRect(int row) const
{
    if (row < 0)
        return {};
    return QRect(0, rowViewportPosition(row), viewport()->width(), rowHeight(row));
}

void RightClickTable::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    // The ring spans the row, beyond the cells Qt repaints.
    viewport()->update(rowRect(previous.row()));
    viewport()->update(rowRect(current.row()));
}

void RightClickTable::paintEvent(QPaintEvent *event)
{
    QTableView::paintEvent(event);
    if (!isFocusShown())
        return;
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rowRect(currentIndex().row())).adjusted(1, 1, -1, -1), 3, 3);
}

void RightClickTable::dataChanged(
    const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles)
{
    QTableView::dataChanged(topLeft, bottomRight, roles);
    // Qt tells a screen reader that the data changed, but not that a mark did: it would not say so.
    if (!roles.contains(Qt::CheckStateRole) || !QAccessible::isActive())
        return;
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(this);
    QAccessibleTableInterface *cells = list ? list->tableInterface() : nullptr;
    for (int row = topLeft.row(); cells && row <= bottomRight.row(); ++row) {
        if (QAccessibleInterface *cell = cells->cellAt(row, FileListModel::NameColumn)) {
            QAccessible::State checked;
            checked.checked = true;
            QAccessibleStateChangeEvent event(cell, checked);
            QAccessible::updateAccessibility(&event);
        }
    }
}

} // namespace corvale
