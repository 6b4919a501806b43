#include "ZephFlatButton.h"

#include <QFocusEvent>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace corvale {

namespace {
// No colour is transparent, so that "none" compares and fades like any other colour.
QColor normalized(const QColor &color)
{
    return color.isValid() ? color.toRgb() : QColor(0, 0, 0, 0);
}

bool sameColor(const QColor &a, const QColor &b)
{
    return normalized(a).rgba64() == normalized(b).rgba64();
}

// WCAG 2.1 relative luminance and contrast ratio.
double luminance(const QColor &color)
{
    const auto linear
        = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) + 0.0722 * linear(color.blueF());
}

double contrast(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QPixmap tinted(const QPixmap &mask, const QColor &color)
{
    QPixmap result(mask.size());
    result.setDevicePixelRatio(mask.devicePixelRatio());
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.drawPixmap(0, 0, mask);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(result.rect(), color);
    return result;
}
} // namespace

ZephFlatButton::ZephFlatButton(QWidget *parent)
    : QAbstractButton(parent)
{
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    for (ColorState &state : m_colors) {
        state.shown = normalized(QColor());
        state.animation = new QVariantAnimation(this);
        connect(
            state.animation, &QVariantAnimation::valueChanged, this, [this, &state](const QVariant &value) {
                state.shown = value.value<QColor>();
                update();
            });
    }
    // Every way the state can change (mouse, keyboard, code) passes through one of these.
    connect(this, &QAbstractButton::pressed, this, [this] { animateColorWithState(isOn()); });
    connect(this, &QAbstractButton::released, this, [this] { animateColorWithState(isOn()); });
    connect(this, &QAbstractButton::toggled, this, [this] { animateColorWithState(isOn()); });
}

void ZephFlatButton::setMomentary(bool momentary)
{
    if (m_mouseDown)
        cancelPress();
    m_momentary = momentary;
    setCheckable(!momentary);
    animateColorWithState(isOn());
}

bool ZephFlatButton::isOn() const
{
    return m_momentary ? isDown() : isChecked();
}

void ZephFlatButton::setCornerRadius(double radius)
{
    m_cornerRadius = radius;
    update();
}

void ZephFlatButton::setBorderWidth(double width)
{
    m_borderWidth = width;
    update();
}

void ZephFlatButton::setSpacing(double spacing)
{
    m_spacing = spacing;
    updateGeometry();
    update();
}

void ZephFlatButton::setImagePosition(ImagePosition position)
{
    m_imagePosition = position;
    updateGeometry();
    update();
}

void ZephFlatButton::setImageHugsTitle(bool hug)
{
    m_imageHugsTitle = hug;
    update();
}

void ZephFlatButton::setAlpha(double alpha)
{
    m_alpha = std::clamp(alpha, 0.0, 1.0);
    update();
}

bool ZephFlatButton::isColorAnimating(ColorRole role) const
{
    return m_colors[role].animation->state() == QAbstractAnimation::Running;
}

void ZephFlatButton::setColor(ColorRole role, bool highlight, const QColor &color)
{
    (highlight ? m_colors[role].highlight : m_colors[role].normal) = color;
    animateColorWithState(isOn());
}

void ZephFlatButton::animateColorWithState(bool on)
{
    const double seconds = on ? m_onAnimateDuration : m_offAnimateDuration;
    for (int role = Border; role <= Title; ++role) {
        const ColorState &state = m_colors[role];
        animateColor(ColorRole(role), on ? state.highlight : state.normal, seconds);
    }
}

void ZephFlatButton::animateColor(ColorRole role, const QColor &target, double seconds)
{
    ColorState &state = m_colors[role];
    QVariantAnimation *animation = state.animation;
    const bool running = animation->state() == QAbstractAnimation::Running;
    if (running && sameColor(animation->endValue().value<QColor>(), target))
        return;
    animation->stop();
    if (sameColor(state.shown, target))
        return;
    // A fade nobody can see would only delay the colour the button is first shown with.
    if (seconds <= 0 || !isVisible()) {
        state.shown = normalized(target);
        update();
        return;
    }
    animation->setStartValue(state.shown);
    animation->setEndValue(normalized(target));
    animation->setDuration(std::max(1, int(std::lround(seconds * 1000))));
    animation->start();
}

void ZephFlatButton::flipState()
{
    if (m_momentary)
        setDown(!isDown());
    else
        setChecked(!isChecked());
    animateColorWithState(isOn());
}

void ZephFlatButton::cancelPress()
{
    m_mouseDown = false;
    if (m_momentary) {
        flipState();
    } else {
        setDown(false);
        flipState();
    }
    Q_EMIT released();
}

FlatButtonPlacement::Input ZephFlatButton::placementInput() const
{
    FlatButtonPlacement::Input input;
    input.button = size();
    if (!icon().isNull())
        input.image = QSizeF(iconSize());
    if (!text().isEmpty()) {
        const QFontMetricsF metrics(font());
        input.title = QSizeF(metrics.horizontalAdvance(text()), metrics.height());
    }
    input.spacing = m_spacing;
    input.position = m_imagePosition;
    input.hug = m_imageHugsTitle;
    input.direction = layoutDirection();
    return input;
}

std::optional<QRect> ZephFlatButton::imageFrame() const
{
    return FlatButtonPlacement::imageFrame(placementInput());
}

std::optional<QRect> ZephFlatButton::titleFrame() const
{
    return FlatButtonPlacement::titleFrame(placementInput());
}

QSize ZephFlatButton::sizeHint() const
{
    const FlatButtonPlacement::Input input = placementInput();
    const QSizeF image = input.image.value_or(QSizeF());
    const QSizeF title = input.title.value_or(QSizeF());
    const double s = m_spacing;
    QSizeF hint;
    switch (FlatButtonPlacement::effectivePosition(m_imagePosition, layoutDirection())) {
    case FlatButtonPlacement::ImageOnly:
        hint = QSizeF(image.width() + 2 * s, image.height() + 2 * s);
        break;
    case FlatButtonPlacement::ImageLeft:
    case FlatButtonPlacement::ImageRight:
        hint
            = QSizeF(image.width() + title.width() + 4 * s, std::max(image.height(), title.height()) + 2 * s);
        break;
    case FlatButtonPlacement::ImageBelow:
    case FlatButtonPlacement::ImageAbove:
        hint
            = QSizeF(std::max(image.width(), title.width()) + 2 * s, image.height() + title.height() + 4 * s);
        break;
    default:
        hint = QSizeF(
            std::max(image.width(), title.width()) + 2 * s, std::max(image.height(), title.height()) + 2 * s);
        break;
    }
    return QSize(int(std::ceil(hint.width())), int(std::ceil(hint.height())));
}

void ZephFlatButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_mouseDown = true;
    if (m_momentary) {
        flipState();
    } else {
        setDown(true);
        flipState();
    }
    Q_EMIT pressed();
    event->accept();
}

void ZephFlatButton::mouseMoveEvent(QMouseEvent *event)
{
    // Leaving cancels the press for good: coming back before the release changes nothing.
    if (m_mouseDown && !hitButton(event->position().toPoint()))
        cancelPress();
    event->accept();
}

void ZephFlatButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    if (!m_mouseDown)
        return;
    m_mouseDown = false;
    if (m_momentary)
        flipState();
    else
        setDown(false);
    Q_EMIT released();
    Q_EMIT clicked(isChecked());
}

void ZephFlatButton::leaveEvent(QEvent *event)
{
    if (m_mouseDown)
        cancelPress();
    QAbstractButton::leaveEvent(event);
}

void ZephFlatButton::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !event->isAutoRepeat()) {
        animateClick();
        event->accept();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

bool ZephFlatButton::event(QEvent *event)
{
    // Tab on the only widget that takes focus moves it nowhere, so no focus-in says the keyboard
    // is in use: any key on the button does.
    if (event->type() == QEvent::KeyPress && !m_focusFromKeyboard) {
        m_focusFromKeyboard = true;
        update();
    }
    return QAbstractButton::event(event);
}

void ZephFlatButton::focusInEvent(QFocusEvent *event)
{
    const Qt::FocusReason reason = event->reason();
    m_focusFromKeyboard = reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason
        || reason == Qt::ShortcutFocusReason;
    QAbstractButton::focusInEvent(event);
}

void ZephFlatButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange) {
        if (!isEnabled() && m_mouseDown)
            cancelPress();
        // Disabled, the button is not there for the pointer: clicks reach what lies behind.
        setAttribute(Qt::WA_TransparentForMouseEvents, !isEnabled());
        update();
    } else if (event->type() == QEvent::FontChange || event->type() == QEvent::LayoutDirectionChange) {
        updateGeometry();
        update();
    }
    QAbstractButton::changeEvent(event);
}

void ZephFlatButton::paintEvent(QPaintEvent *)
{
    const double opacity = m_alpha * (isEnabled() ? 1.0 : 0.5);
    if (opacity <= 0)
        return;
    QPainter painter(this);
    if (opacity >= 1) {
        paintLayer(painter);
        return;
    }
    // Fade the button as one picture, as a layer's opacity would, so overlaps do not show.
    const qreal ratio = devicePixelRatioF();
    QImage layer((QSizeF(size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(ratio);
    layer.fill(Qt::transparent);
    {
        QPainter layerPainter(&layer);
        paintLayer(layerPainter);
    }
    painter.setOpacity(opacity);
    painter.drawImage(0, 0, layer);
}

QColor ZephFlatButton::focusRingColor() const
{
    // The background as seen: a translucent one lets the window through.
    const QColor shown = m_colors[Background].shown;
    const QColor window = palette().color(QPalette::Window).toRgb();
    const double a = shown.alphaF();
    const QColor background = QColor::fromRgbF(float(shown.redF() * a + window.redF() * (1 - a)),
        float(shown.greenF() * a + window.greenF() * (1 - a)),
        float(shown.blueF() * a + window.blueF() * (1 - a)));
    // The desktop's highlight where it shows (3:1, the least for a focus indicator), else the
    // title's colour, which is chosen to be read on this background, else black or white.
    for (const QColor &candidate : {palette().color(QPalette::Highlight), m_colors[Title].shown}) {
        if (candidate.alpha() == 255 && contrast(candidate, background) >= 3)
            return candidate;
    }
    return contrast(Qt::black, background) > contrast(Qt::white, background) ? QColor(Qt::black)
                                                                             : QColor(Qt::white);
}

void ZephFlatButton::paintLayer(QPainter &painter) const
{
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = rect();
    const double radius = std::clamp(m_cornerRadius, 0.0, std::min(bounds.width(), bounds.height()) / 2);
    QPainterPath outline;
    outline.addRoundedRect(bounds, radius, radius);
    painter.setClipPath(outline);
    painter.fillPath(outline, m_colors[Background].shown);

    if (const auto frame = imageFrame(); frame && !frame->isEmpty()) {
        const QPixmap mask = icon().pixmap(frame->size(), painter.device()->devicePixelRatioF());
        painter.drawPixmap(*frame, tinted(mask, m_colors[Image].shown));
    }
    if (const auto frame = titleFrame()) {
        painter.setPen(m_colors[Title].shown);
        painter.setFont(font());
        painter.drawText(*frame, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text());
    }
    if (m_borderWidth > 0) {
        const double inset = std::min(m_borderWidth, std::min(bounds.width(), bounds.height()) / 2);
        QPainterPath inner;
        const double innerRadius = std::max(0.0, radius - inset);
        inner.addRoundedRect(bounds.adjusted(inset, inset, -inset, -inset), innerRadius, innerRadius);
        painter.fillPath(outline.subtracted(inner), m_colors[Border].shown);
    }
    if (hasFocus() && m_focusFromKeyboard) {
        QPen ring(focusRingColor(), 2);
        painter.setPen(ring);
        painter.setBrush(Qt::NoBrush);
        // A little inside the edge, so that the fill shows on both sides of it.
        const double ringRadius = std::max(0.0, radius - 3);
        painter.drawRoundedRect(bounds.adjusted(3, 3, -3, -3), ringRadius, ringRadius);
    }
}

} // namespace corvale
