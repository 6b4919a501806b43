#pragma once

#include <QGraphicsEffect>

namespace corvale {

// Draws a widget faded and shifted down by a few points, without moving it: the welcome view's
// elements glide into place while their layout, and where they take clicks, stay as they are.
// The shifted drawing may reach below the widget; the parent repaints that area as for a shadow.
class WelcomeFadeEffect : public QGraphicsEffect
{
    Q_OBJECT
    Q_PROPERTY(qreal opacity READ opacity WRITE setOpacity)
    Q_PROPERTY(qreal offset READ offset WRITE setOffset)

public:
    explicit WelcomeFadeEffect(QObject *parent = nullptr);

    qreal opacity() const { return m_opacity; }
    void setOpacity(qreal opacity);
    // Downwards, in points.
    qreal offset() const { return m_offset; }
    void setOffset(qreal offset);

    QRectF boundingRectFor(const QRectF &rect) const override;

protected:
    void draw(QPainter *painter) override;

private:
    qreal m_opacity = 1;
    qreal m_offset = 0;
};

} // namespace corvale
