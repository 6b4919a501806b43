#include "CheckmarkTableCell.h"

#include "FileListModel.h"

#include <QApplication>
#include <QPainter>

namespace corvale {

namespace {

constexpr int margin = 4;
constexpr int spacing = 4;
constexpr int iconSize = 16;

const QStyle *styleOf(const QWidget *widget)
{
    return widget ? widget->style() : QApplication::style();
}

} // namespace

CheckmarkTableCell::Layout CheckmarkTableCell::layout(
    const QRect &cell, Qt::LayoutDirection direction, const QStyle *style, const QWidget *widget)
{
    const int boxWidth = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, widget);
    const int boxHeight = style->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, widget);
    const int middle = cell.top() + cell.height() / 2;

    Layout l;
    int x = cell.left() + margin;
    l.checkBox = QRect(x, middle - boxHeight / 2, boxWidth, boxHeight);
    x += boxWidth + spacing;
    l.icon = QRect(x, middle - iconSize / 2, iconSize, iconSize);
    x += iconSize + spacing;
    l.text = QRect(x, cell.top(), std::max(0, cell.right() - margin - x + 1), cell.height());

    l.checkBox = QStyle::visualRect(direction, cell, l.checkBox);
    l.icon = QStyle::visualRect(direction, cell, l.icon);
    l.text = QStyle::visualRect(direction, cell, l.text);
    return l;
}

void CheckmarkTableCell::paint(
    QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    // The list never shows a row as selected or current: a click checks, it does not select.
    opt.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
    if (index.column() == FileListModel::ShareColumn && index.data(FileListModel::ShareRole).isValid()) {
        paintShare(painter, opt, index.data(FileListModel::ShareRole).toDouble());
        return;
    }
    if (index.column() != FileListModel::NameColumn) {
        QStyledItemDelegate::paint(painter, opt, index);
        return;
    }

    const QStyle *style = styleOf(opt.widget);
    const Layout l = layout(opt.rect, opt.direction, style, opt.widget);
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, opt.widget);

    QStyleOptionViewItem box = opt;
    box.rect = l.checkBox;
    box.state &= ~(QStyle::State_On | QStyle::State_Off | QStyle::State_NoChange);
    box.state |= opt.checkState == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
    if (index.data(FileListModel::SystemEntryRole).toBool()) {
        box.state &= ~QStyle::State_Enabled;
        box.palette.setCurrentColorGroup(QPalette::Disabled);
    }
    style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, painter, opt.widget);

    opt.icon.paint(painter, l.icon, Qt::AlignCenter);

    painter->save();
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(QPalette::Normal, QPalette::Text));
    const QString text = opt.fontMetrics.elidedText(opt.text, Qt::ElideMiddle, l.text.width());
    painter->drawText(l.text, int(Qt::AlignVCenter | Qt::AlignLeading), text);
    painter->restore();
}

void CheckmarkTableCell::paintShare(QPainter *painter, const QStyleOptionViewItem &opt, double share)
{
    const QStyle *style = styleOf(opt.widget);
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, opt.widget);
    // The number on the right, a bar as long as the share in what is left of the cell.
    const QRect text = opt.rect.adjusted(margin, 0, -margin, 0);
    const int numberWidth = opt.fontMetrics.horizontalAdvance(QStringLiteral("100 %"));
    QRectF bar(text.left(), text.center().y() - 2.5, text.width() - numberWidth - spacing, 6);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    if (bar.width() >= 8) {
        QColor ground = opt.palette.color(QPalette::Text);
        ground.setAlphaF(0.12f);
        painter->setBrush(ground);
        painter->drawRoundedRect(bar, 3, 3);
        bar.setWidth(std::max(1.0, bar.width() * share));
        painter->setBrush(opt.palette.color(QPalette::Highlight));
        if (share > 0)
            painter->drawRoundedRect(bar, std::min(3.0, bar.width() / 2), 3);
    }
    painter->setFont(opt.font);
    painter->setPen(opt.palette.color(QPalette::Normal, QPalette::Text));
    painter->drawText(text, int(Qt::AlignVCenter | Qt::AlignTrailing), opt.text);
    painter->restore();
}

QSize CheckmarkTableCell::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (index.column() != FileListModel::NameColumn)
        return QStyledItemDelegate::sizeHint(option, index);
    const QStyle *style = styleOf(option.widget);
    const int boxWidth = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, option.widget);
    const int boxHeight = style->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, option.widget);
    const QString text = index.data(Qt::DisplayRole).toString();
    const int width
        = 2 * margin + boxWidth + spacing + iconSize + spacing + option.fontMetrics.horizontalAdvance(text);
    const int height = std::max({boxHeight, iconSize, option.fontMetrics.height()}) + 4;
    return {width, height};
}

// Qt's delegate would toggle the mark on a click or Space by itself.
bool CheckmarkTableCell::editorEvent(
    QEvent *, QAbstractItemModel *, const QStyleOptionViewItem &, const QModelIndex &)
{
    return false;
}

} // namespace corvale
