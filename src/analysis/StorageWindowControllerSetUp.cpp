// The controller's own set-up, the welcome view's fade-in, the light and dark looks of its
// elements, and the share link.

#include "StorageWindowController.h"

#include "ByteCount.h"
#include "Config.h"
#include "MediaTimingFunction.h"
#include "OrvSpinnerView.h"
#include "WebBrowser.h"
#include "WelcomeFadeEffect.h"
#include "ZephFlatButton.h"
#include "ui_StorageWindowController.h"

#include <QBitmap>
#include <QMenu>
#include <QPainter>
#include <QPropertyAnimation>
#include <QShowEvent>
#include <QUrl>
#include <QWindow>

namespace corvale {

namespace {

// Characters a URL host may hold as they are; everything else is percent-escaped.
const QByteArray urlHostCharacters = QByteArrayLiteral("!$&'()*+,;=:[]");

// Keeps a panel clipped to a rounded rectangle of its current size: the panels grow and shrink
// with the window, and a mask of the size they were built with would cut them or let corners show.
class RoundedMask : public QObject
{
public:
    RoundedMask(const StorageWindowController *controller, QWidget *panel, qreal radius)
        : QObject(panel)
        , m_controller(controller)
        , m_panel(panel)
        , m_radius(radius)
    {
        panel->installEventFilter(this);
        apply();
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_panel && event->type() == QEvent::Resize)
            apply();
        return false;
    }

private:
    void apply()
    {
        const QImage image = m_controller->maskedImageForSize(m_panel->size(), m_radius);
        if (image.isNull()) {
            m_panel->clearMask();
            return;
        }
        // A widget mask is a region of whole points: take the bitmap down to the panel's size.
        m_panel->setMask(
            QBitmap::fromImage(image.scaled(m_panel->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                   .createAlphaMask()));
    }

    const StorageWindowController *m_controller;
    QWidget *m_panel;
    qreal m_radius;
};

QString legendStripStyle(const AnalysisSession &session)
{
    // The strip runs through the classes a sector can take (pair 5 never shows).
    const int pairs[] = {1, 2, 4, 6, 8, 10};
    QStringList stops;
    for (int i = 0; i < 6; ++i)
        stops << QStringLiteral("stop:%1 %2").arg(i / 5.0).arg(session.paletteColor(pairs[i]).name());
    return QStringLiteral(
        "QFrame { border-radius: %1px; background: qlineargradient(x1:0, y1:0, x2:1, y2:0, %2); }")
        .arg(StorageWindowController::legendStripRadius)
        .arg(stops.join(QStringLiteral(", ")));
}

} // namespace

void StorageWindowController::awakeFromNib()
{
    m_spinner
        = new OrvSpinnerView(OrvSpinnerView::nineCubeGridStyle, QColor::fromRgbF(1, 1, 1, 0.75f), ui->loader);
    m_spinner->setGeometry(0, 0, 40, 40);
    m_spinner->stopAnimating();

    ui->chartColorsView->setStyleSheet(legendStripStyle(*m_session));

    new RoundedMask(this, ui->legendView, panelMaskRadius);
    new RoundedMask(this, ui->deleteView, panelMaskRadius);

    // The desktop's accent colour, pressed or not.
    const QColor accent = palette().color(QPalette::Highlight);
    ui->selectFolderMainButton->setBackgroundNormalColor(accent);
    ui->selectFolderMainButton->setBackgroundHighlightColor(accent);

    ui->reclaimNote->setForegroundRole(QPalette::PlaceholderText);
    ui->sizeFrom->setText(byteCountText(100'000'000));
    ui->sizeTo->setText(byteCountText(50'000'000'000));
    ui->sizeMiddle->setText(byteCountText(1'000'000'000));

    const std::array<QWidget *, 3> faded {ui->welcomeImage, ui->welcomeTitle, ui->welcomeDescription};
    for (size_t i = 0; i < faded.size(); ++i) {
        m_welcomeFades[i] = new WelcomeFadeEffect(faded[i]);
        faded[i]->setGraphicsEffect(m_welcomeFades[i]);
    }
    setWelcomeAlpha(0);

    m_webBrowser = std::make_shared<SystemWebBrowser>();
    connect(ui->buttonReclaim, &QAbstractButton::clicked, this, &StorageWindowController::shareResults);
}

void StorageWindowController::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // A window coming back from the task bar is no new appearance.
    if (!event->spontaneous())
        viewWillAppear();
}

void StorageWindowController::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        viewWillDisappear();
}

void StorageWindowController::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // The style sheet's palette() colours are taken when it is applied: apply it again, or the
    // removal panel stays white on a dark window.
    if (event->type() == QEvent::PaletteChange && !m_restyling && !styleSheet().isEmpty()) {
        m_restyling = true;
        setStyleSheet(styleSheet());
        m_restyling = false;
    }
}

void StorageWindowController::viewWillAppear()
{
    if (ui->welcomeView->isHidden())
        return;
    setImageAnimationConstrain(imageStartOffset);
    setTextAnimationConstrain(textStartOffset);
    runWelcomeAnimation();
}

void StorageWindowController::viewWillDisappear()
{
    stopWelcomeAnimation();
    setWelcomeAlpha(0);
}

void StorageWindowController::setWelcomeAlpha(double alpha)
{
    for (WelcomeFadeEffect *fade : m_welcomeFades)
        fade->setOpacity(alpha);
    ui->selectFolderMainButton->setAlpha(alpha);
}

void StorageWindowController::stopWelcomeAnimation()
{
    // Stopping deletes it later; it is over now.
    if (auto *running = m_welcomeAnimation.data()) {
        m_welcomeAnimation = nullptr;
        running->stop();
    }
}

void StorageWindowController::runWelcomeAnimation()
{
    stopWelcomeAnimation();
    auto *group = new QParallelAnimationGroup(this);
    const auto animate = [group](QObject *target, const char *property, const QVariant &to) {
        auto *animation = new QPropertyAnimation(target, property, group);
        animation->setDuration(welcomeAnimationMs);
        animation->setEasingCurve(MediaTimingFunction::easeOut());
        animation->setEndValue(to);
        group->addAnimation(animation);
    };
    for (WelcomeFadeEffect *fade : m_welcomeFades)
        animate(fade, "opacity", 1.0);
    animate(ui->selectFolderMainButton, "alpha", 1.0);
    animate(this, "imageAnimationConstrain", imageRestOffset);
    animate(this, "textAnimationConstrain", textRestOffset);
    m_welcomeAnimation = group;
    connect(group, &QAbstractAnimation::finished, this, [this, group] {
        if (m_welcomeAnimation == group)
            m_welcomeAnimation = nullptr;
    });
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

void StorageWindowController::setImageAnimationConstrain(int offset)
{
    m_imageAnimationConstrain = offset;
    m_welcomeFades[0]->setOffset(offset - imageRestOffset);
}

void StorageWindowController::setTextAnimationConstrain(int offset)
{
    m_textAnimationConstrain = offset;
    m_welcomeFades[1]->setOffset(offset - textRestOffset);
    m_welcomeFades[2]->setOffset(offset - textRestOffset);
}

void StorageWindowController::setCurrentAppearance(Appearance appearance)
{
    if (m_windowAppearance == appearance)
        return;
    m_windowAppearance = appearance;
    const bool dark = appearance == Appearance::VibrantDark;
    QPalette separatorPalette;
    separatorPalette.setColor(
        QPalette::WindowText, dark ? QColor::fromRgbF(1, 1, 1, 0.1f) : QColor::fromRgbF(0, 0, 0, 0.1f));
    for (QWidget *separator : {ui->vibrantHR1, ui->vibrantHR2, ui->vibrantHR3})
        separator->setPalette(separatorPalette);
    if (m_spinner)
        m_spinner->setColor(spinnerColor());
}

QImage StorageWindowController::maskedImageForSize(const QSizeF &size, qreal radius) const
{
    const QWindow *shown = window()->windowHandle();
    return maskedImage(size, radius, shown ? shown->devicePixelRatio() : 1.0);
}

QImage StorageWindowController::maskedImage(const QSizeF &size, qreal radius, qreal scale)
{
    if (!(scale > 0))
        scale = 1;
    const QSizeF scaled = size * scale;
    // Whole pixels, cut toward zero.
    const QSize pixels(int(scaled.width()), int(scaled.height()));
    if (pixels.isEmpty())
        return {};
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.drawRoundedRect(QRectF(QPointF(0, 0), scaled), radius * scale, radius * scale);
    }
    image.setDevicePixelRatio(scale);
    return image;
}

void StorageWindowController::setWebBrowser(std::shared_ptr<WebBrowser> browser)
{
    m_webBrowser = std::move(browser);
}

void StorageWindowController::shareResults()
{
    const QString app = QString::fromLatin1(
        QUrl::toPercentEncoding(QCoreApplication::applicationName(), urlHostCharacters));
    const QString info
        = QString::fromLatin1(QUrl::toPercentEncoding(ui->fieldReclaim->text(), urlHostCharacters));
    // One pass of arg(): the escapes put in for app ("%2F"…) are not read as placeholders.
    const QUrl url(
        QStringLiteral("%1/share/?app=%2&info=%3").arg(QString::fromUtf8(vendorWebsite), app, info));
    if (url.isValid() && m_webBrowser)
        m_webBrowser->openUrl(url);
}

} // namespace corvale
