#include "OrvSpinnerView.h"

#include "OrvSpinner9CubeGridAnimation.h"

#include <QPainter>
#include <QShowEvent>

#include <cmath>

namespace corvale {

namespace {
std::shared_ptr<OrvSpinnerAnimating> animationForStyle(int style)
{
    if (style == OrvSpinnerView::nineCubeGridStyle)
        return std::make_shared<OrvSpinner9CubeGridAnimation>();
    return nullptr;
}

const QColor platformGrey = QColor::fromRgbF(0.5, 0.5, 0.5);
} // namespace

OrvSpinnerView::OrvSpinnerView(int style, const QColor &color, double spinnerSize, QWidget *parent)
    : QWidget(parent)
    , m_style(style)
    , m_color(color)
    , m_spinnerSize(spinnerSize)
    , m_frameTimer(this)
{
    const int edge = int(std::ceil(spinnerSize));
    setGeometry(0, 0, edge, edge);
    m_frameTimer.setTimerType(Qt::PreciseTimer);
    m_frameTimer.setInterval(16);
    m_frameTimer.setObjectName(QStringLiteral("frameTimer"));
    connect(&m_frameTimer, &QTimer::timeout, this, [this] {
        takeFrame();
        update();
    });
    m_colorChange.setDuration(500);
    connect(&m_colorChange, &QVariantAnimation::valueChanged, this, [this] { update(); });
    applyAnimation();
}

OrvSpinnerView::OrvSpinnerView(int style, const QColor &color, QWidget *parent)
    : OrvSpinnerView(style, color, defaultSpinnerSize, parent)
{ }

OrvSpinnerView::OrvSpinnerView(int style, QWidget *parent)
    : OrvSpinnerView(style, platformGrey, defaultSpinnerSize, parent)
{ }

OrvSpinnerView::OrvSpinnerView(QWidget *parent)
    : OrvSpinnerView(1, parent)
{ }

OrvSpinnerView::OrvSpinnerView(
    std::shared_ptr<OrvSpinnerAnimating> animator, const QColor &color, double spinnerSize, QWidget *parent)
    : OrvSpinnerView(0, color, spinnerSize, parent)
{
    setAnimator1(std::move(animator));
}

OrvSpinnerView::~OrvSpinnerView() = default;

void OrvSpinnerView::setAnimator1(std::shared_ptr<OrvSpinnerAnimating> animator)
{
    m_animator1 = std::move(animator);
    applyAnimation();
}

void OrvSpinnerView::setStyle(int style)
{
    m_style = style;
    applyAnimation();
}

void OrvSpinnerView::setSpinnerSize(double size)
{
    m_spinnerSize = size;
    applyAnimation();
    updateGeometry();
}

void OrvSpinnerView::setColor(const QColor &color, bool animated)
{
    const QColor shown = m_colorChange.state() == QAbstractAnimation::Running
        ? m_colorChange.currentValue().value<QColor>()
        : m_color;
    m_color = color;
    m_colorChange.stop();
    // Nobody sees the fade of a hidden spinner, and it would only keep a timer busy.
    if (animated && isVisible() && shown != color) {
        m_colorChange.setStartValue(shown);
        m_colorChange.setEndValue(color);
        m_colorChange.start();
    }
    m_layer.setShapeColor(color);
    update();
}

void OrvSpinnerView::startAnimating()
{
    if (!m_stopped)
        return;
    if (isHidden() && testAttribute(Qt::WA_WState_ExplicitShowHide))
        show();
    m_stopped = false;
    m_layer.resume();
    takeFrame();
    updateFrameTimer();
}

void OrvSpinnerView::stopAnimating()
{
    if (m_stopped)
        return;
    if (m_hidesWhenStopped)
        hide();
    m_stopped = true;
    m_layer.pause();
    takeFrame();
    updateFrameTimer();
    update();
}

QSize OrvSpinnerView::sizeHint() const
{
    const int edge = int(std::ceil(m_spinnerSize));
    return QSize(edge, edge);
}

void OrvSpinnerView::setClock(const MediaClock *clock)
{
    m_layer.setClock(clock);
    if (m_stopped)
        m_layer.pause();
    applyAnimation();
}

void OrvSpinnerView::applyAnimation()
{
    m_layer.removeAllShapes();
    if (const auto animator = m_animator1 ? m_animator1 : animationForStyle(m_style))
        animator->setupSpinnerAnimation(m_layer, QSizeF(m_spinnerSize, m_spinnerSize), m_color);
    takeFrame();
    updateFrameTimer();
    update();
}

void OrvSpinnerView::updateFrameTimer()
{
    const bool needed = !m_stopped && isVisible() && !m_layer.shapes().empty();
    if (needed && !m_frameTimer.isActive())
        m_frameTimer.start();
    else if (!needed)
        m_frameTimer.stop();
}

void OrvSpinnerView::takeFrame()
{
    m_frameTime = m_layer.currentTime();
}

void OrvSpinnerView::paintEvent(QPaintEvent *)
{
    if (m_layer.shapes().empty())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const bool fading = m_colorChange.state() == QAbstractAnimation::Running;
    const QColor fadeColor = fading ? m_colorChange.currentValue().value<QColor>() : QColor();
    for (const SpinnerShape &shape : m_layer.shapes()) {
        const double scale = shape.scaleAt(m_frameTime);
        if (scale <= 0)
            continue;
        const QRectF frame = SpinnerLayer::toWidget(shape.frame, height());
        QRectF scaled(0, 0, frame.width() * scale, frame.height() * scale);
        scaled.moveCenter(frame.center());
        painter.fillRect(scaled, fading ? fadeColor : shape.color);
    }
}

void OrvSpinnerView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    takeFrame();
    updateFrameTimer();
}

void OrvSpinnerView::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    updateFrameTimer();
}

} // namespace corvale
