#include "VisualDataCell.h"

#include "DynamicStackedView.h"
#include "DynamicStackedViewBox.h"
#include "MediaTimingFunction.h"
#include "VisualDataCellDelegate.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPropertyAnimation>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvale {

VisualDataCell::VisualDataCell(QWidget *parent)
    : QWidget(parent)
    , m_content(new QWidget(this))
    , m_dynamicView(new DynamicStackedView(m_content))
    , m_titleField(new QLabel(m_content))
    , m_icon(new QLabel(m_content))
    , m_arrow(new QLabel(m_content))
    , m_headerButton(new QToolButton(m_content))
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);

    m_arrow->setObjectName(QStringLiteral("arrow"));
    m_arrow->setText(QStringLiteral("\u21B3"));
    m_arrow->setFixedWidth(14);
    m_arrow->setAlignment(Qt::AlignCenter);
    QPalette arrowPalette = m_arrow->palette();
    arrowPalette.setColor(QPalette::WindowText, arrowPalette.color(QPalette::PlaceholderText));
    m_arrow->setPalette(arrowPalette);
    m_icon->setObjectName(QStringLiteral("icon"));
    m_icon->setFixedSize(16, 16);
    m_titleField->setObjectName(QStringLiteral("titleField"));
    QFont bold = m_titleField->font();
    bold.setBold(true);
    m_titleField->setFont(bold);
    m_titleField->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_dynamicView->setObjectName(QStringLiteral("dynamicView"));
    m_dynamicView->setFixedHeight(BarHeight);
    m_dynamicView->setDelegate(this);

    auto *header = new QHBoxLayout;
    header->setContentsMargins(2, 0, 2, 0);
    header->setSpacing(6);
    header->addWidget(m_arrow);
    header->addWidget(m_icon);
    header->addWidget(m_titleField, 1);
    m_headerButton->setObjectName(QStringLiteral("headerButton"));
    m_headerButton->setAutoRaise(true);
    m_headerButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_headerButton->setIconSize(QSize(14, 14));
    m_headerButton->setMaximumHeight(TitleHeight);
    m_headerButton->hide();
    header->addWidget(m_headerButton);
    auto *column = new QVBoxLayout(m_content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    column->addLayout(header);
    column->addWidget(m_dynamicView);
    placeContent();
}

VisualDataCell::~VisualDataCell()
{
    // The bar outlives this part of the destruction: it must not call back into a half-gone cell.
    m_dynamicView->setDelegate(nullptr);
}

void VisualDataCell::setTitle(const QString &title)
{
    m_titleField->setText(title);
    m_dynamicView->setAccessibleName(title);
}

void VisualDataCell::setTopAnimationConstraint(int top)
{
    m_top = top;
    placeContent();
}

void VisualDataCell::animateRow()
{
    if (m_animation)
        m_animation->stop();
    setTopAnimationConstraint(SlideStartTop);
    auto *animation = new QPropertyAnimation(this, "topAnimationConstraint", this);
    animation->setDuration(SlideDurationMs);
    animation->setStartValue(SlideStartTop);
    animation->setEndValue(RestingTop);
    animation->setEasingCurve(MediaTimingFunction::easeOut());
    m_animation = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

bool VisualDataCell::isAnimating() const
{
    return m_animation && m_animation->state() == QAbstractAnimation::Running;
}

QSize VisualDataCell::sizeHint() const
{
    return QSize(m_dynamicView->sizeHint().width(), RowHeight);
}

void VisualDataCell::didSelectSector(
    const std::shared_ptr<DynamicStackedViewSector> &sector, DynamicStackedView *)
{
    if (m_delegate)
        m_delegate->didSelectSector(sector, m_row);
}

void VisualDataCell::didRemoveSelectionInView(DynamicStackedView *)
{
    if (m_delegate)
        m_delegate->didRemoveSelectionInRow(m_row);
}

void VisualDataCell::willOpenMenuForSector(
    const std::shared_ptr<DynamicStackedViewSector> &sector, DynamicStackedView *)
{
    if (m_delegate)
        m_delegate->willOpenMenuForSector(sector, m_row);
}

void VisualDataCell::resizeEvent(QResizeEvent *)
{
    placeContent();
}

void VisualDataCell::placeContent()
{
    m_content->setGeometry(contentRect(width(), m_top));
    // The bar slid under a still pointer: the label goes to the box now under it, if any.
    m_dynamicView->recheckPointer();
}

} // namespace corvale
