#include "SpinnerLayer.h"

namespace corvale {

SpinnerLayer::SpinnerLayer(const MediaClock *clock)
    : m_clock(clock ? clock : MediaClock::system())
{ }

void SpinnerLayer::setClock(const MediaClock *clock)
{
    m_clock = clock ? clock : MediaClock::system();
    m_speed = 1;
    m_timeOffset = 0;
    m_beginTime = 0;
}

double SpinnerLayer::localTime(double mediaTime) const
{
    return (mediaTime - m_beginTime) * m_speed + m_timeOffset;
}

void SpinnerLayer::pause()
{
    const double reached = currentTime();
    m_speed = 0;
    m_timeOffset = reached;
}

void SpinnerLayer::resume()
{
    const double reached = m_timeOffset;
    m_speed = 1;
    m_timeOffset = 0;
    m_beginTime = 0;
    m_beginTime = currentTime() - reached;
}

void SpinnerLayer::addShape(SpinnerShape shape)
{
    m_shapes.push_back(std::move(shape));
}

void SpinnerLayer::removeAllShapes()
{
    m_shapes.clear();
}

void SpinnerLayer::setShapeColor(const QColor &color)
{
    for (SpinnerShape &shape : m_shapes)
        shape.color = color;
}

QRectF SpinnerLayer::toWidget(const QRectF &layerRect, double widgetHeight)
{
    return QRectF(layerRect.x(), widgetHeight - layerRect.y() - layerRect.height(), layerRect.width(),
        layerRect.height());
}

} // namespace corvale
