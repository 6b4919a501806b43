#pragma once

#include <QWidget>

namespace corvale {

// The small label that floats over a stacked bar and names the hovered or selected sector:
// a 120 × 36 rounded box with a shadow, the title on the first line and the subtitle (a size)
// on the second. Owned by its DynamicStackedView; lets the pointer through to the boxes below,
// so that hovering and clicking the bar's top edge behave as if it were not there.
class DynamicStackedViewPopup : public QWidget
{
    Q_OBJECT

public:
    explicit DynamicStackedViewPopup(QWidget *parent = nullptr);

    QString title() const { return m_title; }
    QString subtitle() const { return m_subtitle; }
    void setTexts(const QString &title, const QString &subtitle);

    // In the popup's own Qt coordinates; the lines sit in the area inset by 5 on each side,
    // the title at the top of it and the subtitle at its bottom.
    static QRect titleRect() { return QRect(5, 3, 110, 14); }
    static QRect subtitleRect() { return QRect(5, 18, 110, 13); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_title;
    QString m_subtitle;
};

} // namespace corvale
