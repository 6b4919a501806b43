#include "MediaTimingFunction.h"

#include <QPointF>

namespace corvale {

namespace {
QEasingCurve cubicBezier(QPointF c1, QPointF c2)
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(c1, c2, QPointF(1, 1));
    return curve;
}
} // namespace

QEasingCurve MediaTimingFunction::easeInEaseOut()
{
    return cubicBezier(QPointF(0.42, 0), QPointF(0.58, 1));
}

QEasingCurve MediaTimingFunction::easeOut()
{
    return cubicBezier(QPointF(0, 0), QPointF(0.58, 1));
}

} // namespace corvale
