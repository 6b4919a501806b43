#pragma once

#include <QAccessibleWidget>

namespace corvale {

class DynamicStackedView;
class DynamicStackedViewBox;

// What a screen reader learns of a stacked bar: a list whose items are the visible sectors, in
// the bar's order, each named by its title, with its size and share as value and description
// ("4.7 GB, 51 %"), selected as the bar's selection and focused with the bar's keyboard focus.
// Hidden slivers and the floating label are not part of it. Made by Qt's accessibility on the GUI
// thread through the factory that install() registers (the bar's constructor calls it); Qt owns
// the interfaces and drops them with their widgets.
class DynamicStackedViewAccessible : public QAccessibleWidget
{
public:
    explicit DynamicStackedViewAccessible(DynamicStackedView *bar);

    // Registers the factory for the bar and its boxes, once per process.
    static void install();

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *focusChild() const override;

private:
    DynamicStackedView *bar() const;
};

// One sector of a stacked bar, seen through its box.
class DynamicStackedViewBoxAccessible : public QAccessibleWidget
{
public:
    explicit DynamicStackedViewBoxAccessible(DynamicStackedViewBox *box);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    // Press opens the sector as a click does; ShowMenu opens its context menu.
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

private:
    DynamicStackedViewBox *box() const;
};

} // namespace corvale
