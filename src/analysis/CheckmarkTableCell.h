#pragma once

#include <QStyledItemDelegate>

namespace corvale {

// Draws the file list's name column (checkbox, icon and name) and its share column (a bar and
// the percentage), never as selected. A system entry gets a disabled checkbox. Other columns are
// drawn as usual, also never selected.
// Neither clicks nor keys are handled here: RightClickTable turns every click on a row, checkbox
// included, and Space on the current row into one row click, so each changes a mark exactly
// once. Owned by the table it draws.
class CheckmarkTableCell : public QStyledItemDelegate
{
    Q_OBJECT
public:
    struct Layout
    {
        QRect checkBox;
        QRect icon;
        QRect text;
    };

    using QStyledItemDelegate::QStyledItemDelegate;

    // Where the parts of a name cell go, in the cell's layout direction.
    static Layout layout(const QRect &cell, Qt::LayoutDirection direction, const QStyle *style,
        const QWidget *widget = nullptr);

    void paint(
        QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    static void paintShare(QPainter *painter, const QStyleOptionViewItem &option, double share);
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
        const QModelIndex &index) override;
};

} // namespace corvale
