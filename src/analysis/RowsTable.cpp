#include "RowsTable.h"

#include "DynamicStackedView.h"
#include "DynamicStackedViewBox.h"
#include "RowsTableAccessible.h"
#include "VisualDataCell.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>

namespace corvale {

RowsTable::RowsTable(QWidget *parent)
    : QTableWidget(parent)
{
    RowsTableAccessible::install();
    setFocusPolicy(Qt::NoFocus);
    setTabKeyNavigation(false);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setFrameShape(QFrame::NoFrame);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setColumnCount(1);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    // Transparent through the viewport alone: a style-sheet background would pass on to the scroll
    // bar, which then paints black.
    viewport()->setAutoFillBackground(false);
    connect(qApp, &QApplication::focusChanged, this, &RowsTable::focusChanged);
}

VisualDataCell *RowsTable::cell(int row) const
{
    return qobject_cast<VisualDataCell *>(cellWidget(row, 0));
}

DynamicStackedView *RowsTable::bar(int row) const
{
    VisualDataCell *found = cell(row);
    return found ? found->dynamicView() : nullptr;
}

int RowsTable::rowOf(const QWidget *widget) const
{
    for (int row = 0; widget && row < rowCount(); ++row) {
        const QWidget *each = cellWidget(row, 0);
        if (each && (each == widget || each->isAncestorOf(widget)))
            return row;
    }
    return -1;
}

DynamicStackedView *RowsTable::currentBar() const
{
    return bar(m_currentRow >= 0 && m_currentRow < rowCount() ? m_currentRow : rowCount() - 1);
}

void RowsTable::focusChanged(QWidget *old, QWidget *now)
{
    const int row = rowOf(now);
    if (row < 0)
        return;
    // A row's header button is no bar: the chart's stop stays at the bar used last.
    if (now == bar(row))
        m_currentRow = row;
    // Qt keeps a focused editor in sight, but not a cell widget. A window coming back with its
    // focus (from none) is no reason to scroll.
    if (old)
        scrollTo(model()->index(row, 0));
}

void RowsTable::focusBar(int row)
{
    if (DynamicStackedView *target = bar(row))
        target->setFocus(Qt::OtherFocusReason);
}

void RowsTable::keyPressEvent(QKeyEvent *event)
{
    // Only what a bar left reaches here: the table itself never has the focus.
    const int row = rowOf(QApplication::focusWidget());
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if (row < 0) {
        event->ignore();
    } else if (modifiers == Qt::NoModifier && (key == Qt::Key_Up || key == Qt::Key_Down)) {
        focusBar(std::clamp(key == Qt::Key_Up ? row - 1 : row + 1, 0, rowCount() - 1));
    } else if ((modifiers == Qt::NoModifier && key == Qt::Key_Backspace)
        || (modifiers == Qt::AltModifier && key == Qt::Key_Up)) {
        // This row has nothing selected: the row above clears its own, and keeps the focus, as
        // the rows below it go.
        if (DynamicStackedView *above = bar(row - 1)) {
            above->setFocus(Qt::OtherFocusReason);
            QKeyEvent clear(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
            QApplication::sendEvent(above, &clear);
        }
    } else {
        event->ignore();
    }
}

} // namespace corvale
