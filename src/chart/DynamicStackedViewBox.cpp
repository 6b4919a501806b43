#include "DynamicStackedViewBox.h"

#include "DynamicStackedView.h"
#include "HexColor.h"

#include <QContextMenuEvent>
#include <QGraphicsDropShadowEffect>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace corvale {

DynamicStackedViewBox::DynamicStackedViewBox(QWidget *parent)
    : QWidget(parent)
    , m_titleRect(0, 0, 0, 13)
{
    // No pointer check here: a box being made has no sector yet and must not touch its bar.
}

void DynamicStackedViewBox::setSector(std::shared_ptr<DynamicStackedViewSector> sector)
{
    m_sector = std::move(sector);
    m_menu = m_sector ? m_sector->submenu() : nullptr;
    m_titleText = m_sector ? m_sector->title() : QString();
    update();
}

void DynamicStackedViewBox::setBackgroundColor(const QColor &color)
{
    if (m_background == color)
        return;
    m_background = color;
    update();
}

void DynamicStackedViewBox::setHighlighted(bool highlighted)
{
    if (!m_sector)
        return;
    setBackgroundColor(highlighted ? m_sector->highlightColor() : m_sector->color());
}

void DynamicStackedViewBox::setOpacity(double opacity)
{
    m_opacity = opacity;
    update();
}

void DynamicStackedViewBox::setBorderWidth(double width)
{
    m_borderWidth = width;
    update();
}

void DynamicStackedViewBox::setCornerRadius(double radius)
{
    m_cornerRadius = radius;
    update();
}

void DynamicStackedViewBox::setShadowColor(const QColor &color)
{
    m_shadowColor = color;
    if (!color.isValid()) {
        setGraphicsEffect(nullptr);
        return;
    }
    // The effect draws outside the box, within the bar; only the selected box carries one.
    auto *effect = qobject_cast<QGraphicsDropShadowEffect *>(graphicsEffect());
    if (!effect) {
        effect = new QGraphicsDropShadowEffect(this);
        setGraphicsEffect(effect);
    }
    // Qt's blur radius spreads about half as far as a layer's shadow radius of the same value.
    effect->setBlurRadius(kShadowBlurRadius * 2);
    effect->setColor(color);
    effect->setOffset(0, 0);
}

QColor DynamicStackedViewBox::borderColor()
{
    static const QColor color = colorWithHexColorString(QStringLiteral("FFAC00"));
    return color;
}

void DynamicStackedViewBox::setFrame(const QRectF &frame)
{
    const double w = frame.width();
    const double h = frame.height();
    if (w > 30 && h > 14) {
        m_titleRect = QRectF(0, h * 0.5 - 7, w, 13);
        m_titleShown = true;
    } else {
        m_titleShown = false;
    }
    m_frame = frame;
    const int left = int(std::round(frame.left()));
    const int top = int(std::round(frame.top()));
    setGeometry(left, top, int(std::round(frame.right())) - left, int(std::round(frame.bottom())) - top);
    update();
}

void DynamicStackedViewBox::mouseEntered()
{
    setHighlighted(true);
    if (auto *view = stackedView())
        view->changeHighlight(this);
}

void DynamicStackedViewBox::mouseExited()
{
    if (!m_selected)
        setHighlighted(false);
    if (auto *view = stackedView())
        view->changeHighlight(nullptr);
}

DynamicStackedView *DynamicStackedViewBox::stackedView() const
{
    return m_detached ? nullptr : qobject_cast<DynamicStackedView *>(parentWidget());
}

void DynamicStackedViewBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(m_opacity);
    const QRectF bounds = rect();
    if (m_background.isValid() && m_background.alpha() > 0) {
        QPainterPath path;
        path.addRoundedRect(bounds, m_cornerRadius, m_cornerRadius);
        painter.fillPath(path, m_background);
    }
    if (m_titleShown && !m_titleText.isEmpty()) {
        QFont titleFont = font();
        titleFont.setPixelSize(10);
        painter.setFont(titleFont);
        painter.setPen(Qt::white);
        const QString text
            = QFontMetrics(titleFont).elidedText(m_titleText, Qt::ElideRight, int(m_titleRect.width()));
        painter.drawText(m_titleRect, Qt::AlignCenter, text);
    }
    // Drawn last and inside the bounds, over the title, as a layer border is.
    painter.setBrush(Qt::NoBrush);
    if (m_borderWidth > 0) {
        const double half = m_borderWidth / 2;
        const double radius = std::max(0.0, m_cornerRadius - half);
        painter.setPen(QPen(borderColor(), m_borderWidth));
        painter.drawRoundedRect(bounds.adjusted(half, half, -half, -half), radius, radius);
    }
    if (m_focusMark) {
        // White edged with black reads on every sector colour, at full strength on a dimmed box,
        // inside the selection border so that the two never hide each other.
        painter.setOpacity(1.0);
        const double inset = std::min(5.0, bounds.width() / 4);
        const QRectF ring = bounds.adjusted(inset, inset, -inset, -inset);
        painter.setPen(QPen(QColor(0, 0, 0, 190), 4));
        painter.drawRoundedRect(ring, 2, 2);
        painter.setPen(QPen(Qt::white, 2));
        painter.drawRoundedRect(ring, 2, 2);
    }
}

void DynamicStackedViewBox::setFocusMark(bool shown)
{
    if (m_focusMark == shown)
        return;
    m_focusMark = shown;
    update();
}

void DynamicStackedViewBox::click()
{
    // No drag test: the release that ends any press on the box is a click.
    m_selected = !m_selected;
    if (auto *view = stackedView())
        view->changeSelection(this, false);
}

void DynamicStackedViewBox::openMenu(const QPoint &globalPos)
{
    if (!m_menu)
        return;
    const QPointer<DynamicStackedViewBox> self(this);
    // The bar (and through it the delegate) prepares the shared menu for this sector first.
    if (auto *view = stackedView())
        view->toOpenMenu(this);
    if (self && m_menu)
        m_menu->exec(globalPos);
}

void DynamicStackedViewBox::enterEvent(QEnterEvent *)
{
    mouseEntered();
}

void DynamicStackedViewBox::leaveEvent(QEvent *)
{
    mouseExited();
}

void DynamicStackedViewBox::mousePressEvent(QMouseEvent *event)
{
    // Accepting the press makes the release come here even when it happens outside the box.
    event->setAccepted(event->button() == Qt::LeftButton);
    if (auto *view = stackedView())
        view->boxPressed(this);
}

void DynamicStackedViewBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    click();
}

void DynamicStackedViewBox::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
    openMenu(event->globalPos());
}

} // namespace corvale
