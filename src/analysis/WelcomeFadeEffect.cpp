#include "WelcomeFadeEffect.h"

#include <QPainter>

namespace corvale {

WelcomeFadeEffect::WelcomeFadeEffect(QObject *parent)
    : QGraphicsEffect(parent)
{ }

void WelcomeFadeEffect::setOpacity(qreal opacity)
{
    opacity = qBound(0.0, opacity, 1.0);
    if (qFuzzyCompare(opacity, m_opacity))
        return;
    m_opacity = opacity;
    update();
}

void WelcomeFadeEffect::setOffset(qreal offset)
{
    if (qFuzzyCompare(offset, m_offset))
        return;
    m_offset = offset;
    updateBoundingRect();
    update();
}

QRectF WelcomeFadeEffect::boundingRectFor(const QRectF &rect) const
{
    return rect.united(rect.translated(0, m_offset));
}

void WelcomeFadeEffect::draw(QPainter *painter)
{
    if (m_opacity <= 0)
        return;
    QPoint origin;
    const QPixmap pixmap = sourcePixmap(Qt::LogicalCoordinates, &origin, QGraphicsEffect::NoPad);
    painter->save();
    painter->setOpacity(painter->opacity() * m_opacity);
    painter->drawPixmap(QPointF(origin) + QPointF(0, m_offset), pixmap);
    painter->restore();
}

} // namespace corvale
