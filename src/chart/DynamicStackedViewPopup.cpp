#include "DynamicStackedViewPopup.h"

#include "StackedBarLayout.h"

#include <QGraphicsDropShadowEffect>
#include <QPainter>
#include <QPainterPath>

namespace corvale {

DynamicStackedViewPopup::DynamicStackedViewPopup(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(StackedBarLayout::kPopupWidth, StackedBarLayout::kPopupHeight);
    auto *shadow = new QGraphicsDropShadowEffect(this);
    shadow->setBlurRadius(5 * 2); // a layer's shadow radius of 5, in Qt's measure
    shadow->setColor(QColor(0, 0, 0, 102));
    shadow->setOffset(0, 0);
    setGraphicsEffect(shadow);
}

void DynamicStackedViewPopup::setTexts(const QString &title, const QString &subtitle)
{
    m_title = title;
    m_subtitle = subtitle;
    update();
}

void DynamicStackedViewPopup::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), 3, 3);
    painter.fillPath(path, palette().color(QPalette::Base));

    QFont titleFont = font();
    titleFont.setPixelSize(11);
    painter.setFont(titleFont);
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(titleRect(), Qt::AlignCenter,
        QFontMetrics(titleFont).elidedText(m_title, Qt::ElideRight, titleRect().width()));

    QFont subtitleFont = font();
    subtitleFont.setPixelSize(10);
    QColor secondary = palette().color(QPalette::Text);
    secondary.setAlphaF(0.55f);
    painter.setFont(subtitleFont);
    painter.setPen(secondary);
    painter.drawText(subtitleRect(), Qt::AlignCenter,
        QFontMetrics(subtitleFont).elidedText(m_subtitle, Qt::ElideRight, subtitleRect().width()));
}

} // namespace corvale
