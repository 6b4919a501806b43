#include "DesktopColorScheme.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QEvent>
#include <QGuiApplication>
#include <QPalette>

namespace corvale {

namespace {
const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearanceNamespace = QStringLiteral("org.freedesktop.appearance");
const QString colorSchemeKey = QStringLiteral("color-scheme");
constexpr uint preferDark = 1;
constexpr uint preferLight = 2;

// ReadOne answers a variant; the older Read wraps that variant in another one.
QVariant unwrapped(QVariant value)
{
    while (value.metaType() == QMetaType::fromType<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}
} // namespace

DesktopColorScheme::DesktopColorScheme(QObject *parent)
    : DesktopColorScheme(QDBusConnection::sessionBus(), parent)
{ }

DesktopColorScheme::DesktopColorScheme(const QDBusConnection &bus, QObject *parent)
    : QObject(parent)
    , m_bus(bus)
    , m_dark(isPaletteDark(QGuiApplication::palette()))
{
    if (auto *app = QCoreApplication::instance())
        app->installEventFilter(this);
    if (!m_bus.isConnected())
        return;
    // The slot is found by its signature's type names, which only resolve once the type is
    // registered; before any D-Bus variant has been received it is not, and the hook is refused.
    qRegisterMetaType<QDBusVariant>();
    // Connected before the first read, so no change can slip between the answer and the signal.
    m_bus.connect(portalService, portalPath, settingsInterface, QStringLiteral("SettingChanged"), this,
        SLOT(onSettingChanged(QString, QString, QDBusVariant)));
    readSetting(QStringLiteral("ReadOne"));
}

bool DesktopColorScheme::isPaletteDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightnessF() < 0.5;
}

void DesktopColorScheme::setPaletteSource(std::function<QPalette()> source)
{
    m_paletteSource = std::move(source);
    update();
}

bool DesktopColorScheme::eventFilter(QObject *watched, QEvent *event)
{
    // The application hears of a new palette once; its widgets each hear of it too.
    if (event->type() == QEvent::ApplicationPaletteChange && watched == QCoreApplication::instance())
        update();
    return QObject::eventFilter(watched, event);
}

void DesktopColorScheme::readSetting(const QString &method)
{
    auto message = QDBusMessage::createMethodCall(portalService, portalPath, settingsInterface, method);
    message << appearanceNamespace << colorSchemeKey;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(message), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
        [this, method](QDBusPendingCallWatcher *w) { onReadFinished(w, method); });
}

void DesktopColorScheme::onReadFinished(QDBusPendingCallWatcher *watcher, const QString &method)
{
    watcher->deleteLater();
    const QDBusPendingReply<QDBusVariant> reply = *watcher;
    if (reply.isError()) {
        // Portals before version 2 of the interface only have Read.
        if (method == QLatin1String("ReadOne") && reply.error().type() == QDBusError::UnknownMethod)
            readSetting(QStringLiteral("Read"));
        return;
    }
    // A change announced while we waited is newer than this answer.
    if (!m_changeSeen)
        setPortalValue(reply.value().variant());
}

void DesktopColorScheme::onSettingChanged(
    const QString &nameSpace, const QString &key, const QDBusVariant &value)
{
    if (nameSpace != appearanceNamespace || key != colorSchemeKey)
        return;
    m_changeSeen = true;
    setPortalValue(value.variant());
}

void DesktopColorScheme::setPortalValue(const QVariant &value)
{
    const QVariant inner = unwrapped(value);
    bool ok = false;
    const uint scheme = inner.toUInt(&ok);
    if (ok)
        m_portalValue = scheme;
    else
        m_portalValue.reset();
    update();
}

void DesktopColorScheme::update()
{
    bool dark;
    if (m_portalValue == preferDark)
        dark = true;
    else if (m_portalValue == preferLight)
        dark = false;
    else
        dark = isPaletteDark(m_paletteSource ? m_paletteSource() : QGuiApplication::palette());
    if (dark == m_dark)
        return;
    m_dark = dark;
    Q_EMIT darkChanged(dark);
}

} // namespace corvale
