#pragma once

#include <QTableWidget>

namespace corvale {

class DynamicStackedView;
class VisualDataCell;

// The rows table: one VisualDataCell per drill-down row, drawn on the window's own background.
// The table itself never takes the keyboard focus (it would draw a focus frame around a cell);
// the focus lives in the rows' bars, and the keys a bar leaves to its window move it here: Up and
// Down to the bar of the row above or below, Backspace or Alt+Up (left only by a bar without a
// selection) up one level, by clearing the selection of the row above as a click on its selected
// sector would. A screen reader sees the table as a list of the rows, each named by its folder
// (RowsTableAccessible). The cells are set by the controller and owned by the table. GUI thread
// only.
class RowsTable : public QTableWidget
{
    Q_OBJECT

public:
    explicit RowsTable(QWidget *parent = nullptr);

    VisualDataCell *cell(int row) const;
    DynamicStackedView *bar(int row) const;
    // The row whose cell holds `widget`; -1 when none does.
    int rowOf(const QWidget *widget) const;
    // Where the keyboard enters the chart: the bar that had the focus last, else the last row's.
    DynamicStackedView *currentBar() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void focusChanged(QWidget *old, QWidget *now);
    void focusBar(int row);

    int m_currentRow = -1;
};

} // namespace corvale
