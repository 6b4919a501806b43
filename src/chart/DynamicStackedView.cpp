#include "DynamicStackedView.h"

#include "DynamicStackedViewAccessible.h"
#include "DynamicStackedViewBox.h"
#include "DynamicStackedViewDelegate.h"
#include "DynamicStackedViewPopup.h"
#include "KeyboardFocus.h"
#include "StackedBarLayout.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QCursor>
#include <QEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <optional>
#include <utility>

namespace corvale {

DynamicStackedView::DynamicStackedView(QWidget *parent)
    : QWidget(parent)
    , m_popup(new DynamicStackedViewPopup(this))
{
    setFocusPolicy(Qt::StrongFocus);
    DynamicStackedViewAccessible::install();
    m_popup->hide();
    const double barHeight
        = barSize().height() - StackedBarLayout::kStripTopGap - StackedBarLayout::kStripBottom;
    m_stripRect
        = QRectF(0, kTopMargin + StackedBarLayout::kStripTopGap, width(), barHeight > 0 ? barHeight : 1);
    appearanceChanged();
}

DynamicStackedView::~DynamicStackedView()
{
    // Boxes die with the bar; they must not call back into a half-destroyed one.
    for (auto *box : m_boxes) {
        if (box)
            box->detachFromView();
    }
}

void DynamicStackedView::setData(Sectors sectors)
{
    const auto focusedSector = m_focusedBox ? m_focusedBox->sector() : nullptr;
    discardBoxes();
    m_sectors = std::move(sectors);
    const std::size_t count = m_sectors.size();
    m_boxes.assign(count, nullptr);
    m_boxIndex.resize(count);
    m_indexOfSector.clear();
    m_indexOfSector.reserve(count);
    std::optional<std::size_t> selected;
    for (std::size_t i = 0; i < count; ++i) {
        const auto &sector = m_sectors[i];
        m_boxIndex[i] = m_indexOfSector.try_emplace(sector.get(), i).first->second;
        if (sector && sector->isSelected())
            selected = m_boxIndex[i];
    }
    m_dimUnselected = false;
    m_popup->raise();
    updateLayout();
    if (selected) {
        auto *box = ensureBox(*selected);
        box->setSelected(true);
        box->sector()->setSelected(true);
        changeSelection(box, true);
    }
    // The same record keeps the focus through a rebuild; a new one starts at the default.
    auto *kept = focusedSector ? boxForSector(focusedSector) : nullptr;
    setFocusedBox(kept && !kept->isHidden() ? kept : defaultFocusBox());
    m_trackColor = QColor();
    update();
}

void DynamicStackedView::discardBoxes()
{
    for (auto *box : m_boxes) {
        if (!box)
            continue;
        // The box may be the one whose click led here, still inside its own event handler.
        box->detachFromView();
        box->hide();
        box->deleteLater();
    }
    m_boxes.clear();
    m_visibleBoxes.clear();
    m_focusedBox = nullptr;
    // A popup naming a record that is no longer shown would stay up over a bar without it.
    if (m_highlightedBox)
        changeHighlight(nullptr);
}

DynamicStackedViewBox *DynamicStackedView::ensureBox(std::size_t index)
{
    auto *&box = m_boxes[index];
    if (box)
        return box;
    box = new DynamicStackedViewBox(this);
    const auto &sector = m_sectors[index];
    box->setBackgroundColor(sector->color());
    box->setSector(sector);
    if (m_dimUnselected)
        box->setOpacity(0.5);
    // Below its siblings: under the selected box and the popup, never overlapping another box.
    box->lower();
    box->hide();
    return box;
}

DynamicStackedViewBox *DynamicStackedView::boxForSector(
    const std::shared_ptr<DynamicStackedViewSector> &sector) const
{
    const auto it = m_indexOfSector.find(sector.get());
    return it == m_indexOfSector.end() ? nullptr : m_boxes[it->second];
}

void DynamicStackedView::setCornerRadius(int radius)
{
    if (radius == m_cornerRadius)
        return;
    m_cornerRadius = radius;
    update();
}

void DynamicStackedView::setSectorSpacing(double spacing)
{
    if (spacing == m_sectorSpacing)
        return;
    m_sectorSpacing = spacing;
    updateLayout();
}

int DynamicStackedView::popupTop() const
{
    // (x, H − 32, 120, 36) from the bottom: its top is 4 above the bar's, at the widget's top.
    const double barHeight = barSize().height();
    return int(
        height() - (barHeight - StackedBarLayout::kPopupBottomBelowTop) - StackedBarLayout::kPopupHeight);
}

void DynamicStackedView::updateLayout()
{
    const QSizeF bar = barSize();
    std::vector<float> shares(m_sectors.size());
    for (std::size_t i = 0; i < m_sectors.size(); ++i)
        shares[i] = m_sectors[i] ? m_sectors[i]->sectorPercentage() : 0.0f;
    const auto layout = StackedBarLayout::compute(shares, bar.width(), bar.height(), m_sectorSpacing);
    if (!layout.valid)
        return;

    // (0, 6, W, b) from the bottom is (0, height − 6 − b, W, b) from the top.
    m_stripRect = QRectF(
        0, height() - StackedBarLayout::kStripBottom - layout.barHeight, bar.width(), layout.barHeight);
    update();

    for (std::size_t i = 0; i < layout.boxes.size(); ++i) {
        auto *box = m_boxes[m_boxIndex[i]];
        if (!box)
            continue; // made when first placed; a box never made has nothing to hide or show
        box->setVisible(!layout.boxes[i].hidden);
    }

    const QPointF stripOrigin = m_stripRect.topLeft();
    const auto wereVisible = std::exchange(m_visibleBoxes, {});
    for (std::size_t i = 0; i < layout.boxes.size(); ++i) {
        const auto &placement = layout.boxes[i];
        if (!placement.placed || !m_sectors[i])
            continue;
        auto *box = ensureBox(m_boxIndex[i]);
        // A box spans the strip's height, so its frame reads the same from either origin.
        box->setFrame(placement.frame.translated(stripOrigin));
        // Shown only in its place: Qt gives a box shown under the pointer an enter event, and a
        // new one's default place is the bar's top left corner.
        box->show();
        m_visibleBoxes.push_back(box);
    }
    if (!m_focusedBox || m_focusedBox->isHidden())
        setFocusedBox(defaultFocusBox());
    if (m_visibleBoxes != wereVisible && QAccessible::isActive()) {
        // A screen reader lists the visible sectors: they are other ones now.
        QAccessibleEvent changed(this, QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&changed);
    }
    recheckPointer();
}

void DynamicStackedView::recheckPointer()
{
    DynamicStackedViewBox *target = boxAt(QCursor::pos());
    // Keyboard users get the label of the focused sector while the pointer is elsewhere.
    if (!target && isFocusShown())
        target = m_focusedBox;
    for (auto *box : m_visibleBoxes) {
        if (box != target && !box->isSelected())
            box->setHighlighted(false);
    }
    if (target)
        target->mouseEntered();
    else
        changeHighlight(nullptr);
    if (m_highlightedBox && m_popup->isVisible()) {
        m_popup->move(StackedBarLayout::anchoredPopupX(m_highlightedBox->frame(), width(), m_popup->width()),
            popupTop());
    }
}

DynamicStackedViewBox *DynamicStackedView::boxAt(const QPoint &globalPointer) const
{
    if (!isVisible())
        return nullptr;
    const QPoint point = mapFromGlobal(globalPointer);
    // What an ancestor clips away is not under the pointer: a row sliding in starts above its
    // cell, over the row the pointer is on.
    QRect shown = rect();
    QPoint origin;
    for (const QWidget *widget = this; !widget->isWindow() && widget->parentWidget();
         widget = widget->parentWidget()) {
        origin -= widget->pos();
        shown &= QRect(origin, widget->parentWidget()->size());
    }
    if (!shown.contains(point))
        return nullptr;
    for (auto *box : m_visibleBoxes) {
        if (box->geometry().contains(point))
            return box;
    }
    return nullptr;
}

void DynamicStackedView::changeSelection(DynamicStackedViewBox *box, bool silent)
{
    if (!box || !box->sector() || box->sector()->isDisabled())
        return;
    const auto sector = box->sector();
    const QPointer<DynamicStackedView> self(this);

    if (box->isSelected()) {
        for (auto *other : m_boxes) {
            if (!other)
                continue;
            other->setSelected(false);
            other->setBorderWidth(0);
            other->setOpacity(0.5);
            other->setShadowColor(QColor());
            other->setCornerRadius(0);
            other->mouseExited();
        }
        // Records without a box yet carry the selection too.
        for (const auto &each : m_sectors) {
            if (each)
                each->setSelected(false);
        }
        m_dimUnselected = true;

        box->setOpacity(1.0);
        box->setSelected(true);
        sector->setSelected(true);
        box->setBorderWidth(3.0);
        box->setCornerRadius(5.0);
        box->mouseEntered();
        // Its border and shadow go over its neighbours, the popup over everything.
        box->raise();
        m_popup->raise();
        QColor shadow = sector->highlightColor();
        shadow.setAlphaF(1.0f);
        box->setShadowColor(shadow);
        if (m_delegate && !silent)
            m_delegate->didSelectSector(sector, this);
    } else {
        for (auto *other : m_boxes) {
            if (!other)
                continue;
            other->setSelected(false);
            other->setBorderWidth(0);
            other->setOpacity(1.0);
            other->setCornerRadius(0);
            other->setShadowColor(QColor());
        }
        for (const auto &each : m_sectors) {
            if (each)
                each->setSelected(false);
        }
        m_dimUnselected = false;
        if (m_delegate && !silent)
            m_delegate->didRemoveSelectionInView(this);
    }
    // The delegate may have rebuilt the rows; the closing pass then runs on what this bar shows now.
    if (self)
        updateLayout();
}

void DynamicStackedView::changeHighlight(DynamicStackedViewBox *box)
{
    if (!box) {
        m_popup->hide();
        m_highlightedBox = nullptr;
        return;
    }
    const auto &sector = box->sector();
    if (sector && sector->noHint())
        return;
    // A null text shows as an empty line.
    const int barWidth = width();
    m_popup->setTexts(sector ? sector->title() : QString(), sector ? sector->subtitle() : QString(),
        sector ? sector->sectorPercentage() : 0.0f, barWidth, sector ? sector->change() : QString());
    m_popup->show();
    m_popup->move(StackedBarLayout::popupX(box->frame(), barWidth, m_popup->width()), popupTop());
    m_highlightedBox = box;
}

DynamicStackedViewBox *DynamicStackedView::defaultFocusBox() const
{
    for (auto *box : m_visibleBoxes) {
        if (box->sector() && box->sector()->isSelected())
            return box;
    }
    return m_visibleBoxes.empty() ? nullptr : m_visibleBoxes.front();
}

void DynamicStackedView::setFocusedBox(DynamicStackedViewBox *box)
{
    if (box == m_focusedBox)
        return;
    if (m_focusedBox)
        m_focusedBox->setFocusMark(false);
    m_focusedBox = box;
    if (!box)
        return;
    box->setFocusMark(isFocusShown());
    if (hasFocus()) {
        QAccessibleEvent event(box, QAccessible::Focus);
        QAccessible::updateAccessibility(&event);
    }
}

bool DynamicStackedView::isFocusShown() const
{
    return m_focusVisible && hasFocus() && m_focusedBox && !m_focusedBox->isHidden();
}

void DynamicStackedView::showFocus()
{
    if (m_focusedBox)
        m_focusedBox->setFocusMark(isFocusShown());
    recheckPointer();
}

void DynamicStackedView::boxPressed(DynamicStackedViewBox *box)
{
    m_focusVisible = false;
    setFocusedBox(box);
    showFocus();
}

void DynamicStackedView::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool plain = modifiers == Qt::NoModifier;
    const int key = event->key();
    const QPointer<DynamicStackedView> self(this);
    if (plain && (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Home || key == Qt::Key_End)) {
        if (!m_visibleBoxes.empty()) {
            const auto last = std::ptrdiff_t(m_visibleBoxes.size()) - 1;
            const auto found = std::find(m_visibleBoxes.begin(), m_visibleBoxes.end(), m_focusedBox.data());
            auto at = found == m_visibleBoxes.end() ? 0 : found - m_visibleBoxes.begin();
            at = key == Qt::Key_Home ? 0 : key == Qt::Key_End ? last : key == Qt::Key_Left ? at - 1 : at + 1;
            setFocusedBox(m_visibleBoxes[std::size_t(std::clamp<std::ptrdiff_t>(at, 0, last))]);
        }
    } else if (plain && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)) {
        // Held down, the key would open and close the sector over and over.
        if (m_focusedBox && !event->isAutoRepeat())
            m_focusedBox->click();
    } else if ((plain && key == Qt::Key_Backspace) || (modifiers == Qt::AltModifier && key == Qt::Key_Up)) {
        // The records hold the selection: a disabled box's own flag flips with each click.
        const auto selected = std::find_if(m_boxes.begin(), m_boxes.end(),
            [](DynamicStackedViewBox *box) { return box && box->sector() && box->sector()->isSelected(); });
        // Nothing to clear here: the key is the window's, to go up from this row.
        if (selected == m_boxes.end()) {
            event->ignore();
            return;
        }
        (*selected)->click();
    } else if ((plain && key == Qt::Key_Menu) || (modifiers == Qt::ShiftModifier && key == Qt::Key_F10)) {
        if (m_focusedBox)
            m_focusedBox->openMenu(m_focusedBox->mapToGlobal(m_focusedBox->rect().center()));
    } else {
        // Up and Down among them: moving between rows is the window's business.
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    // The delegate may have rebuilt this bar, or dropped it, on the way.
    if (self) {
        m_focusVisible = true;
        showFocus();
    }
}

void DynamicStackedView::focusInEvent(QFocusEvent *event)
{
    m_focusVisible = focusShownAfter(event->reason(), m_focusVisible);
    QWidget::focusInEvent(event);
    showFocus();
    // Qt announces the bar itself once this handler is over: the sector's turn comes after that.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (hasFocus() && m_focusedBox) {
                QAccessibleEvent focused(m_focusedBox, QAccessible::Focus);
                QAccessible::updateAccessibility(&focused);
            }
        },
        Qt::QueuedConnection);
}

void DynamicStackedView::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    showFocus();
}

void DynamicStackedView::contextMenuEvent(QContextMenuEvent *event)
{
    // A menu key arrives as a key press too, which opens the focused sector's menu.
    event->setAccepted(event->reason() == QContextMenuEvent::Keyboard);
}

void DynamicStackedView::toOpenMenu(DynamicStackedViewBox *box)
{
    if (m_delegate && box)
        m_delegate->willOpenMenuForSector(box->sector(), this);
}

void DynamicStackedView::appearanceChanged()
{
    if (!m_sectors.empty())
        return;
    const bool dark = palette().color(QPalette::Window).lightness() < 128;
    m_trackColor = dark ? QColor(255, 255, 255, 13) : QColor(0, 0, 0, 13);
    update();
}

QSize DynamicStackedView::sizeHint() const
{
    return QSize(400, 70 + kTopMargin);
}

void DynamicStackedView::resizeEvent(QResizeEvent *)
{
    updateLayout();
}

void DynamicStackedView::moveEvent(QMoveEvent *)
{
    recheckPointer();
}

void DynamicStackedView::paintEvent(QPaintEvent *)
{
    if (!m_trackColor.isValid() || m_stripRect.height() <= 0)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(m_stripRect, m_cornerRadius, m_cornerRadius);
    painter.fillPath(path, m_trackColor);
}

void DynamicStackedView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        appearanceChanged();
    QWidget::changeEvent(event);
}

} // namespace corvale
