#pragma once

#include "DynamicStackedViewSector.h"

#include <QPointer>
#include <QWidget>

#include <unordered_map>

namespace corvale {

class DynamicStackedViewBox;
class DynamicStackedViewDelegate;
class DynamicStackedViewPopup;

// One horizontal stacked bar: a strip of boxes, one per sector, as wide as the sectors' shares,
// with a popup above it naming the hovered or selected sector. Reports clicks and context-menu
// openings to its delegate; keys on its focused sector go the same way (see keyPressEvent), and
// a screen reader sees it through DynamicStackedViewAccessible. GUI thread only. Owns its boxes
// and popup; holds its sectors strongly; the delegate is not owned and must outlive the bar or be
// reset with setDelegate(nullptr).
//
// The popup (the label) is 120 wide or wider for its second line, never wider than the bar and
// always kept on it, so nothing of it is cut; with the pointer on no box, it is hidden.
//
// Geometry. The bar's rules measure a bar of W × H from the bottom left, y upward: the strip at
// (0, 6, W, H − 20), the popup at (x, H − 32, w, 36), so the popup reaches 4 above the bar's
// top. To draw it in full without reaching outside the widget, the widget keeps its top
// kTopMargin pixels free for it: W is the widget's width and H its height minus kTopMargin.
// In Qt's coordinates (top left, y down) a rect (x, y, w, h) of the rules lies at
// (x, height() − y − h, w, h): the strip starts at y 14 + kTopMargin and the popup at y 0.
// The embedding widget only has to give the bar kTopMargin more pixels of height than the bar of
// the rules (74 for a bar of 70): the band above the strip is then 18 pixels, 14 of the rules and
// the popup's 4. A bar lower than 20 + kTopMargin has no strip to show.
//
// There is no strip widget: boxes are children of the bar, placed at the strip's origin, so the
// selected box's shadow can spill over the free band above and below the strip. Boxes exist
// only for sectors that have been wide enough to show (or were selected): a bar of 50,000
// sectors whose slivers the layout hides makes a few hundred widgets.
class DynamicStackedView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kTopMargin = 4;

    explicit DynamicStackedView(QWidget *parent = nullptr);
    ~DynamicStackedView() override;

    // Replaces every box; a sector whose record is selected is shown selected again, silently
    // (the last one wins, the others are cleared).
    void setData(Sectors sectors);
    const Sectors &sectors() const { return m_sectors; }

    int cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(int radius);
    double sectorSpacing() const { return m_sectorSpacing; }
    void setSectorSpacing(double spacing);

    DynamicStackedViewDelegate *delegate() const { return m_delegate; }
    void setDelegate(DynamicStackedViewDelegate *delegate) { m_delegate = delegate; }

    // Applies the box's own selected flag to the whole bar: true makes it the only selected box,
    // false removes the selection. Ignored for a disabled sector. Tells the delegate unless silent.
    void changeSelection(DynamicStackedViewBox *box, bool silent);
    // Shows the popup for the box, or hides it for nullptr. A noHint sector leaves it as it is.
    void changeHighlight(DynamicStackedViewBox *box);
    // Told by a box just before its context menu opens.
    void toOpenMenu(DynamicStackedViewBox *box);

    // The layout pass: hides slivers, places the boxes, then re-checks the pointer. Runs on
    // resize, on a spacing change, after setData and after each selection change.
    void updateLayout();
    // Highlights the box under the pointer, if it is really there to see (not clipped away by
    // an ancestor), and no other; shows the popup for it, at its left edge and kept on the bar,
    // or hides the popup. Called after each layout pass and each move of the bar; whoever moves
    // an ancestor of the bar under a still pointer (a row sliding in) calls it too.
    void recheckPointer();
    // Shows the faint empty-bar track in the current light or dark palette, if there are no sectors.
    void appearanceChanged();

    QSizeF barSize() const { return QSizeF(width(), height() - kTopMargin); }
    // The strip in widget coordinates, as the last layout pass set it.
    QRectF stripRect() const { return m_stripRect; }
    // The empty-bar track's colour; invalid when the strip is clear.
    QColor trackColor() const { return m_trackColor; }
    DynamicStackedViewBox *boxForSector(const std::shared_ptr<DynamicStackedViewSector> &sector) const;
    // The boxes the last layout pass showed, left to right.
    const std::vector<DynamicStackedViewBox *> &visibleBoxes() const { return m_visibleBoxes; }

    // The sector with the keyboard focus: always a visible box, or none on a bar without one.
    // It stays on its record through setData; else it goes to the selected sector, else to the
    // first visible one.
    DynamicStackedViewBox *focusedBox() const { return m_focusedBox; }
    void setFocusedBox(DynamicStackedViewBox *box);
    // The focus ring is drawn: the bar has focus, gained or last used by the keyboard.
    bool isFocusShown() const;
    // Told by a box on a mouse press: the keyboard focus follows, without its ring.
    void boxPressed(DynamicStackedViewBox *box);
    DynamicStackedViewBox *highlightedBox() const { return m_highlightedBox; }
    DynamicStackedViewPopup *popup() const { return m_popup; }
    int popupTop() const;

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    DynamicStackedViewBox *ensureBox(std::size_t index);
    DynamicStackedViewBox *boxAt(const QPoint &globalPointer) const;
    DynamicStackedViewBox *defaultFocusBox() const;
    void showFocus();
    void discardBoxes();

    Sectors m_sectors;
    // For each position, the position of the first occurrence of its record: a record given
    // twice is one box, as boxes are matched to records by identity.
    std::vector<std::size_t> m_boxIndex;
    std::unordered_map<const DynamicStackedViewSector *, std::size_t> m_indexOfSector;
    std::vector<DynamicStackedViewBox *> m_boxes; // by first position; nullptr until needed
    DynamicStackedViewPopup *m_popup = nullptr;
    std::vector<DynamicStackedViewBox *> m_visibleBoxes;
    QPointer<DynamicStackedViewBox> m_highlightedBox;
    QPointer<DynamicStackedViewBox> m_focusedBox;
    DynamicStackedViewDelegate *m_delegate = nullptr;
    QRectF m_stripRect;
    QColor m_trackColor;
    double m_sectorSpacing = 0;
    int m_cornerRadius = 0;
    // A selection is shown: boxes made from now on start dimmed like the other unselected ones.
    bool m_dimUnselected = false;
    bool m_focusVisible = false;
};

} // namespace corvale
