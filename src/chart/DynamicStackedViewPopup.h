#pragma once

#include <QLocale>
#include <QWidget>

namespace corvale {

// The small label that floats over a stacked bar and names the hovered or selected sector:
// a rounded box with a shadow, the title on the first line and, on the second, the subtitle (a
// size) with the sector's share of its bar. 120 × 36, wider when the second line needs it, never
// wider than the bar. Owned by its DynamicStackedView; lets the pointer through to the boxes
// below, so that hovering and clicking the bar's top edge behave as if it were not there.
// GUI thread only.
class DynamicStackedViewPopup : public QWidget
{
    Q_OBJECT

public:
    explicit DynamicStackedViewPopup(QWidget *parent = nullptr);

    QString title() const { return m_title; }
    // The second line as shown: "4.7 GB · 51 %", or "4.7 GB · 51 % · +1.2 GB" with a change.
    QString subtitle() const { return m_subtitle; }
    // Takes the sector's texts and share and fits the width to them, at most maxWidth.
    void setTexts(const QString &title, const QString &subtitle, float share, int maxWidth,
        const QString &change = QString());

    // A share of 0 to 1 as the locale writes a percentage: "51 %", "4.7 %", "< 0.1 %".
    static QString shareText(float share, const QLocale &locale = QLocale());
    // The size and the share put into `joined` ("%1 · %2" on the label); the share alone for a
    // sector without a size.
    static QString sizeAndShare(const QString &subtitle, float share, const QString &joined);

    // In the popup's own Qt coordinates; the lines sit in the area inset by 5 on each side,
    // the title at the top of it and the subtitle at its bottom.
    QRect titleRect() const { return QRect(5, 3, width() - 10, 14); }
    QRect subtitleRect() const { return QRect(5, 18, width() - 10, 13); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QFont lineFont(int pixelSize) const;

    QString m_title;
    QString m_subtitle;
};

} // namespace corvale
