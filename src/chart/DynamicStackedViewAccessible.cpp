#include "DynamicStackedViewAccessible.h"

#include "DynamicStackedView.h"
#include "DynamicStackedViewBox.h"
#include "DynamicStackedViewPopup.h"

#include <QCoreApplication>

#include <algorithm>

namespace corvale {

namespace {

QAccessibleInterface *chartInterface(const QString &, QObject *object)
{
    if (auto *bar = qobject_cast<DynamicStackedView *>(object))
        return new DynamicStackedViewAccessible(bar);
    if (auto *box = qobject_cast<DynamicStackedViewBox *>(object))
        return new DynamicStackedViewBoxAccessible(box);
    return nullptr;
}

} // namespace

DynamicStackedViewAccessible::DynamicStackedViewAccessible(DynamicStackedView *bar)
    : QAccessibleWidget(bar, QAccessible::List)
{ }

void DynamicStackedViewAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(chartInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

DynamicStackedView *DynamicStackedViewAccessible::bar() const
{
    return static_cast<DynamicStackedView *>(widget());
}

int DynamicStackedViewAccessible::childCount() const
{
    return int(bar()->visibleBoxes().size());
}

QAccessibleInterface *DynamicStackedViewAccessible::child(int index) const
{
    const auto &boxes = bar()->visibleBoxes();
    if (index < 0 || std::size_t(index) >= boxes.size())
        return nullptr;
    return QAccessible::queryAccessibleInterface(boxes[std::size_t(index)]);
}

int DynamicStackedViewAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    const auto &boxes = bar()->visibleBoxes();
    const auto found = std::find_if(boxes.begin(), boxes.end(),
        [child](const DynamicStackedViewBox *box) { return child && box == child->object(); });
    return found == boxes.end() ? -1 : int(found - boxes.begin());
}

QAccessibleInterface *DynamicStackedViewAccessible::focusChild() const
{
    if (bar()->hasFocus() && bar()->focusedBox())
        return QAccessible::queryAccessibleInterface(bar()->focusedBox());
    return QAccessibleWidget::focusChild();
}

DynamicStackedViewBoxAccessible::DynamicStackedViewBoxAccessible(DynamicStackedViewBox *box)
    : QAccessibleWidget(box, QAccessible::ListItem)
{ }

DynamicStackedViewBox *DynamicStackedViewBoxAccessible::box() const
{
    return static_cast<DynamicStackedViewBox *>(widget());
}

QString DynamicStackedViewBoxAccessible::text(QAccessible::Text t) const
{
    const auto &sector = box()->sector();
    if (!sector)
        return QAccessibleWidget::text(t);
    switch (t) {
    case QAccessible::Name:
        return sector->title();
    // Qt's AT-SPI bridge passes on the description but no text value: both say it.
    case QAccessible::Value:
    case QAccessible::Description: {
        const QString joined = QCoreApplication::translate("DynamicStackedViewBoxAccessible", "%1, %2");
        const QString text
            = DynamicStackedViewPopup::sizeAndShare(sector->subtitle(), sector->sectorPercentage(), joined);
        return sector->change().isEmpty() ? text : joined.arg(text, sector->change());
    }
    default:
        return QAccessibleWidget::text(t);
    }
}

QAccessible::State DynamicStackedViewBoxAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    const auto &sector = box()->sector();
    const auto *bar = qobject_cast<const DynamicStackedView *>(box()->parentWidget());
    state.focusable = true;
    state.focused = bar && bar->hasFocus() && bar->focusedBox() == box();
    state.selectable = sector && !sector->isDisabled();
    state.selected = sector && sector->isSelected();
    state.disabled = sector && sector->isDisabled();
    return state;
}

QStringList DynamicStackedViewBoxAccessible::actionNames() const
{
    QStringList names = QAccessibleWidget::actionNames();
    names << pressAction();
    if (box()->sector() && box()->sector()->submenu())
        names << showMenuAction();
    return names;
}

void DynamicStackedViewBoxAccessible::doAction(const QString &actionName)
{
    if (actionName == pressAction())
        box()->click();
    else if (actionName == showMenuAction())
        box()->openMenu(box()->mapToGlobal(box()->rect().center()));
    else
        QAccessibleWidget::doAction(actionName);
}

} // namespace corvale
