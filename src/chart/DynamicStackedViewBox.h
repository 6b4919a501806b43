#pragma once

#include "DynamicStackedViewSector.h"

#include <QPointer>
#include <QWidget>

namespace corvale {

class DynamicStackedView;

// Shows one sector inside a stacked bar: a coloured rectangle with the sector's title, which
// tracks the pointer, opens the sector's context menu and turns a click into a selection
// request. It talks to the DynamicStackedView that is its parent widget; a box with any other
// parent (or none) handles hover, clicks and menus for itself only. Holds its sector strongly.
// GUI thread only.
//
// The looks (background, border, corner radius, shadow, opacity) are plain state painted by
// paintEvent; the bar's selection logic sets them.
class DynamicStackedViewBox : public QWidget
{
    Q_OBJECT

public:
    explicit DynamicStackedViewBox(QWidget *parent = nullptr);

    const std::shared_ptr<DynamicStackedViewSector> &sector() const { return m_sector; }
    // Takes the sector's title and context menu as they are now; the background is set apart.
    void setSector(std::shared_ptr<DynamicStackedViewSector> sector);

    bool isSelected() const { return m_selected; }
    void setSelected(bool selected) { m_selected = selected; }

    QColor backgroundColor() const { return m_background; }
    void setBackgroundColor(const QColor &color);
    // The sector's highlight colour when true, its colour when false; nothing without a sector.
    void setHighlighted(bool highlighted);

    double opacity() const { return m_opacity; }
    void setOpacity(double opacity);
    double borderWidth() const { return m_borderWidth; }
    void setBorderWidth(double width);
    double cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(double radius);
    // An invalid colour removes the shadow.
    QColor shadowColor() const { return m_shadowColor; }
    void setShadowColor(const QColor &color);
    static QColor borderColor();
    static constexpr double kShadowBlurRadius = 5.0;

    // The exact frame in the parent's coordinates. The widget covers it with its edges rounded
    // to whole pixels, so neighbours never overlap; the title rule uses the exact size.
    QRectF frame() const { return m_frame; }
    // Places the title and moves the box. Its bar re-checks the pointer once the pass is over.
    void setFrame(const QRectF &frame);
    bool isTitleShown() const { return m_titleShown; }
    QString titleText() const { return m_titleText; }
    // In the box's own Qt coordinates: (0, h/2 − 7, w, 13), i.e. (0, h/2 − 6, w, 13) measured
    // from the bottom; shown only when the box is wider than 30 and higher than 14.
    QRectF titleRect() const { return m_titleRect; }

    void mouseEntered();
    void mouseExited();
    // What a left click does: flips `selected` and asks the bar to apply it (keys call it too).
    void click();
    // Tells the bar, then opens the sector's context menu at `globalPos`; nothing without a menu.
    void openMenu(const QPoint &globalPos);

    // The bar's keyboard focus ring, drawn inside the box.
    bool hasFocusMark() const { return m_focusMark; }
    void setFocusMark(bool shown);

    // Cuts the box from its bar before the bar discards it: it sends nothing more.
    void detachFromView() { m_detached = true; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    DynamicStackedView *stackedView() const;

    std::shared_ptr<DynamicStackedViewSector> m_sector;
    QPointer<QMenu> m_menu;
    QString m_titleText;
    QRectF m_frame;
    QRectF m_titleRect;
    QColor m_background;
    QColor m_shadowColor;
    double m_opacity = 1.0;
    double m_borderWidth = 0;
    double m_cornerRadius = 0;
    bool m_titleShown = true;
    bool m_selected = false;
    bool m_detached = false;
    bool m_focusMark = false;
};

} // namespace corvale
