#include "RowsTableAccessible.h"

#include "DynamicStackedView.h"
#include "DynamicStackedViewBox.h"
#include "RowsTable.h"
#include "VisualDataCell.h"

#include <QLabel>

namespace corvale {

namespace {

QAccessibleInterface *rowsInterface(const QString &, QObject *object)
{
    if (auto *table = qobject_cast<RowsTable *>(object))
        return new RowsTableAccessible(table);
    auto *cell = object ? qobject_cast<VisualDataCell *>(object->parent()) : nullptr;
    if (cell && object == cell->content())
        return new RowsTableRowAccessible(cell->content());
    return nullptr;
}

QWidget *contentOf(const RowsTable *table, int row)
{
    VisualDataCell *cell = table->cell(row);
    return cell ? cell->content() : nullptr;
}

} // namespace

RowsTableAccessible::RowsTableAccessible(RowsTable *table)
    : QAccessibleWidget(table, QAccessible::List)
{ }

void RowsTableAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(rowsInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

RowsTable *RowsTableAccessible::table() const
{
    return static_cast<RowsTable *>(widget());
}

int RowsTableAccessible::childCount() const
{
    int count = 0;
    while (contentOf(table(), count))
        ++count;
    return count;
}

QAccessibleInterface *RowsTableAccessible::child(int index) const
{
    QWidget *content = contentOf(table(), index);
    return content ? QAccessible::queryAccessibleInterface(content) : nullptr;
}

int RowsTableAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    const auto *content = child ? qobject_cast<const QWidget *>(child->object()) : nullptr;
    const int row = table()->rowOf(content);
    return row >= 0 && contentOf(table(), row) == content ? row : -1;
}

RowsTableRowAccessible::RowsTableRowAccessible(QWidget *content)
    : QAccessibleWidget(content, QAccessible::ListItem)
{ }

VisualDataCell *RowsTableRowAccessible::cell() const
{
    return static_cast<VisualDataCell *>(widget()->parentWidget());
}

QString RowsTableRowAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name)
        return cell()->titleField()->text();
    return QAccessibleWidget::text(t);
}

QAccessibleInterface *RowsTableRowAccessible::parent() const
{
    // The cell and the table's viewport hold the row, but only the table names it.
    for (QWidget *up = cell()->parentWidget(); up; up = up->parentWidget()) {
        if (qobject_cast<RowsTable *>(up))
            return QAccessible::queryAccessibleInterface(up);
    }
    return QAccessibleWidget::parent();
}

int RowsTableRowAccessible::childCount() const
{
    return 1;
}

QAccessibleInterface *RowsTableRowAccessible::child(int index) const
{
    return index == 0 ? QAccessible::queryAccessibleInterface(cell()->dynamicView()) : nullptr;
}

int RowsTableRowAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    return child && child->object() == cell()->dynamicView() ? 0 : -1;
}

} // namespace corvale
