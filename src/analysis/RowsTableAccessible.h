#pragma once

#include <QAccessibleWidget>

namespace corvale {

class RowsTable;
class VisualDataCell;

// What a screen reader learns of the rows table: a list of the drill-down rows, top down, each an
// item named by its folder whose one child is the row's bar. Qt's own table interface would give
// cells without children, so the bars, set in them as cell widgets, would be out of reach. Made by
// Qt's accessibility on the GUI thread through the factory that install() registers (the table's
// constructor calls it); Qt owns the interfaces and drops them with their widgets.
class RowsTableAccessible : public QAccessibleWidget
{
public:
    explicit RowsTableAccessible(RowsTable *table);

    // Registers the factory for the table and its rows, once per process.
    static void install();

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;

private:
    RowsTable *table() const;
};

// One row, seen through the cell's content: the part that slides in and holds the bar, so that the
// bar's parent is this item.
class RowsTableRowAccessible : public QAccessibleWidget
{
public:
    explicit RowsTableRowAccessible(QWidget *content);

    QString text(QAccessible::Text t) const override;
    QAccessibleInterface *parent() const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;

private:
    VisualDataCell *cell() const;
};

} // namespace corvale
