#pragma once

// A session bus of our own for tests that fake the desktop's settings portal, and the fake portal.

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace corvale::test {

inline const QString appearanceNamespace = QStringLiteral("org.freedesktop.appearance");
inline const QString colorSchemeKey = QStringLiteral("color-scheme");

// A dbus-daemon with no service folders, so that no real portal can be started on it.
class PrivateBus
{
public:
    ~PrivateBus()
    {
        m_daemon.terminate();
        m_daemon.waitForFinished();
    }

    // Why the bus cannot be had on this machine, or empty once it runs. A daemon that is
    // there but fails is a test failure, not a reason to skip.
    QString start()
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            return QStringLiteral("dbus-daemon is missing (Debian package dbus): cannot fake the portal");
        run(daemon);
        return {};
    }

    QString address() const { return m_address; }

    // Offers `portal` as the desktop portal, on a connection of its own named "portal".
    void registerPortal(QObject *portal)
    {
        auto bus = QDBusConnection::connectToBus(m_address, QStringLiteral("portal"));
        QVERIFY(bus.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), portal,
            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals));
        QVERIFY(bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
    }

private:
    void run(const QString &daemon)
    {
        QFile config(m_dir.filePath(QStringLiteral("bus.conf")));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(QStringLiteral(
            "<busconfig><type>session</type><listen>unix:dir=%1</listen>"
            "<auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\" "
            "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>")
                         .arg(m_dir.path())
                         .toUtf8());
        config.close();
        m_daemon.start(daemon,
            {QStringLiteral("--config-file=") + config.fileName(), QStringLiteral("--nofork"),
                QStringLiteral("--print-address")});
        while (!m_daemon.canReadLine())
            QVERIFY2(m_daemon.waitForReadyRead(10'000), m_daemon.readAllStandardError().constData());
        m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
    }

    QTemporaryDir m_dir;
    QProcess m_daemon;
    QString m_address;
};

// The settings portal as current desktops have it: ReadOne and SettingChanged, the colour
// scheme being 0 (no preference), 1 (dark) or 2 (light). It answers on its own connection
// from the test's thread, which is safe because the code under test never waits for an answer.
class FakePortal : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")
public:
    uint value = 0;
    int calls = 0;
    bool knowsAppearance = true;
    bool holdAnswers = false;
    bool olderOnly = false; // a portal from before ReadOne
    QList<QDBusMessage> held;

    void change(const QString &nameSpace, const QString &key, uint newValue)
    {
        if (nameSpace == appearanceNamespace && key == colorSchemeKey)
            value = newValue;
        Q_EMIT SettingChanged(nameSpace, key, QDBusVariant(newValue));
    }
    void changeColorScheme(uint newValue) { change(appearanceNamespace, colorSchemeKey, newValue); }
    void answerHeld(uint answer)
    {
        for (const auto &call : std::as_const(held))
            QDBusConnection(QStringLiteral("portal"))
                .send(call.createReply(QVariant::fromValue(QDBusVariant(answer))));
        held.clear();
    }

public Q_SLOTS:
    QDBusVariant ReadOne(const QString &nameSpace, const QString &key)
    {
        ++calls;
        if (olderOnly) {
            sendErrorReply(QDBusError::UnknownMethod, QStringLiteral("no ReadOne"));
            return {};
        }
        if (!knowsAppearance || nameSpace != appearanceNamespace || key != colorSchemeKey) {
            sendErrorReply(
                QStringLiteral("org.freedesktop.portal.Error.NotFound"), QStringLiteral("no such setting"));
            return {};
        }
        if (holdAnswers) {
            setDelayedReply(true);
            held.append(message());
        }
        return QDBusVariant(value);
    }

    // Read answers the value wrapped in one more variant.
    QDBusVariant Read(const QString &, const QString &)
    {
        return QDBusVariant(QVariant::fromValue(QDBusVariant(value)));
    }

Q_SIGNALS:
    void SettingChanged(const QString &nameSpace, const QString &key, const QDBusVariant &value);
};

} // namespace corvale::test
