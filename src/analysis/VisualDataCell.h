#pragma once

#include "DynamicStackedViewDelegate.h"

#include <QMargins>
#include <QPointer>
#include <QWidget>

class QLabel;
class QPropertyAnimation;
class QToolButton;

namespace corvale {

class DynamicStackedView;
class VisualDataCellDelegate;

// One row of the drill-down: the folder's icon and name, an arrow marking a level below the row
// above, a button at the end of the title line that the owner may give an action (hidden until
// then), and the stacked bar of the folder's sectors. The cell is the bar's delegate and passes
// what the user does with the bar on to its own delegate, tagged with its row number.
//
// The content sits `topAnimationConstraint` pixels below the cell's top: 10 at rest, -100 when
// a row starts to slide in. GUI thread only. The bar and labels are the cell's children; the
// delegate is not owned (the controller owns the table that owns the cells).
class VisualDataCell : public QWidget, public DynamicStackedViewDelegate
{
    Q_OBJECT
    Q_PROPERTY(int topAnimationConstraint READ topAnimationConstraint WRITE setTopAnimationConstraint)

public:
    static constexpr int RestingTop = 10;
    static constexpr int SlideStartTop = -100;
    static constexpr int SlideDurationMs = 200;
    static constexpr int TitleHeight = 20;
    static constexpr int BarHeight = 74; // a bar of 70 and the band its popup reaches into
    static constexpr int ContentHeight = TitleHeight + 2 + BarHeight;
    static constexpr int BottomInset = 10;
    static constexpr int RowHeight = RestingTop + ContentHeight + BottomInset;

    explicit VisualDataCell(QWidget *parent = nullptr);
    ~VisualDataCell() override;

    VisualDataCellDelegate *delegate() const { return m_delegate; }
    void setDelegate(VisualDataCellDelegate *delegate) { m_delegate = delegate; }
    qint64 row() const { return m_row; }
    void setRow(qint64 row) { m_row = row; }

    DynamicStackedView *dynamicView() const { return m_dynamicView; }
    QLabel *titleField() const { return m_titleField; }
    // The folder's name, shown above the bar and given to it as its name for a screen reader.
    void setTitle(const QString &title);
    // What slides in: the title line and the bar.
    QWidget *content() const { return m_content; }
    QLabel *icon() const { return m_icon; }
    QLabel *arrow() const { return m_arrow; }
    QToolButton *headerButton() const { return m_headerButton; }

    int topAnimationConstraint() const { return m_top; }
    void setTopAnimationConstraint(int top);
    // The content's place in the cell for a given top offset (what paints and takes clicks).
    static QRect contentRect(int cellWidth, int top) { return QRect(0, top, cellWidth, ContentHeight); }

    // The part of the cell other rows align to: the last 10 pixels are the gap to the next row.
    static QMargins alignmentRectInsets() { return QMargins(0, 0, 0, BottomInset); }
    QRect alignmentRect() const { return rect() - alignmentRectInsets(); }

    // Slides the content in from above: -100 to 10 in 0.2 s, easing out.
    void animateRow();
    bool isAnimating() const;

    QSize sizeHint() const override;

    // DynamicStackedViewDelegate: passed on with the row; dropped without a delegate.
    void didSelectSector(
        const std::shared_ptr<DynamicStackedViewSector> &sector, DynamicStackedView *view) override;
    void didRemoveSelectionInView(DynamicStackedView *view) override;
    void willOpenMenuForSector(
        const std::shared_ptr<DynamicStackedViewSector> &sector, DynamicStackedView *view) override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void placeContent();

    VisualDataCellDelegate *m_delegate = nullptr;
    QWidget *m_content = nullptr;
    DynamicStackedView *m_dynamicView = nullptr;
    QLabel *m_titleField = nullptr;
    QLabel *m_icon = nullptr;
    QLabel *m_arrow = nullptr;
    QToolButton *m_headerButton = nullptr;
    QPointer<QPropertyAnimation> m_animation;
    qint64 m_row = 0;
    int m_top = RestingTop;
};

} // namespace corvale
