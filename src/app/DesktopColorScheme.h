#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QPalette>

#include <functional>
#include <optional>

class QDBusPendingCallWatcher;
class QDBusVariant;

namespace corvale {

// Tells whether the desktop prefers a dark look, and says so again whenever that changes.
// The desktop's preference comes from the freedesktop settings portal ("color-scheme" of
// "org.freedesktop.appearance": 1 prefers dark, 2 prefers light), followed live through its
// SettingChanged signal. Where no portal answers, or it states no preference, the lightness of
// the application palette's window colour decides, re-read whenever that palette changes.
// GUI thread only, made after the QGuiApplication; every D-Bus call is asynchronous, so a slow
// or absent portal never blocks.
class DesktopColorScheme : public QObject
{
    Q_OBJECT
public:
    // Asks the portal on the session bus.
    explicit DesktopColorScheme(QObject *parent = nullptr);
    // Asks the portal on the given bus; a disconnected bus leaves only the palette.
    explicit DesktopColorScheme(const QDBusConnection &bus, QObject *parent = nullptr);

    bool isDark() const { return m_dark; }
    // The portal's last "color-scheme" value, none while no portal has answered.
    std::optional<uint> portalValue() const { return m_portalValue; }

    static bool isPaletteDark(const QPalette &palette);

    // Where the palette fallback reads the desktop's palette: the application's by default. An
    // application that puts a palette of its own in force points it at the desktop's, so that
    // its own choice is not taken for the desktop's.
    void setPaletteSource(std::function<QPalette()> source);

Q_SIGNALS:
    void darkChanged(bool dark);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private Q_SLOTS:
    // A slot by name: QDBusConnection::connect has no functor form.
    void onSettingChanged(const QString &nameSpace, const QString &key, const QDBusVariant &value);

private:
    void readSetting(const QString &method);
    void onReadFinished(QDBusPendingCallWatcher *watcher, const QString &method);
    void setPortalValue(const QVariant &value);
    void update();

    QDBusConnection m_bus;
    std::optional<uint> m_portalValue;
    bool m_changeSeen = false;
    bool m_dark = false;
    std::function<QPalette()> m_paletteSource;
};

} // namespace corvale
