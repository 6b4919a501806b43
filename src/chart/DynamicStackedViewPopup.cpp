#include "DynamicStackedViewPopup.h"

#include "StackedBarLayout.h"

#include <QGraphicsDropShadowEffect>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

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

QString DynamicStackedViewPopup::shareText(float share, const QLocale &locale)
{
    const double percent = double(share) * 100;
    if (percent > 0 && percent < 0.05)
        return tr("< %1 %").arg(locale.toString(0.1, 'f', 1));
    // Whole percents from 10 on; below, a tenth tells a 0.4 % folder from a 4 % one.
    QString number = locale.toString(percent, 'f', percent < 9.95 ? 1 : 0);
    const QString zeroTenth = locale.decimalPoint() + locale.zeroDigit();
    if (number.endsWith(zeroTenth))
        number.chop(zeroTenth.size());
    return tr("%1 %").arg(number);
}

QString DynamicStackedViewPopup::sizeAndShare(const QString &subtitle, float share, const QString &joined)
{
    const QString percent = shareText(share);
    return subtitle.isEmpty() ? percent : joined.arg(subtitle, percent);
}

void DynamicStackedViewPopup::setTexts(
    const QString &title, const QString &subtitle, float share, int maxWidth, const QString &change)
{
    m_title = title;
    m_subtitle = sizeAndShare(subtitle, share, tr("%1 · %2"));
    if (!change.isEmpty())
        m_subtitle = tr("%1 · %2").arg(m_subtitle, change);
    const int needed = int(std::ceil(QFontMetricsF(lineFont(10)).horizontalAdvance(m_subtitle))) + 12;
    resize(std::max(1, std::min(std::max(StackedBarLayout::kPopupWidth, needed), maxWidth)), height());
    update();
}

QFont DynamicStackedViewPopup::lineFont(int pixelSize) const
{
    QFont lineFont = font();
    lineFont.setPixelSize(pixelSize);
    return lineFont;
}

void DynamicStackedViewPopup::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), 3, 3);
    painter.fillPath(path, palette().color(QPalette::Base));

    const QFont titleFont = lineFont(11);
    painter.setFont(titleFont);
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(titleRect(), Qt::AlignCenter,
        QFontMetrics(titleFont).elidedText(m_title, Qt::ElideRight, titleRect().width()));

    const QFont subtitleFont = lineFont(10);
    QColor secondary = palette().color(QPalette::Text);
    secondary.setAlphaF(0.55f);
    painter.setFont(subtitleFont);
    painter.setPen(secondary);
    painter.drawText(subtitleRect(), Qt::AlignCenter,
        QFontMetrics(subtitleFont).elidedText(m_subtitle, Qt::ElideRight, subtitleRect().width()));
}

} // namespace corvale
