#include "DesktopColorScheme.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>

using namespace corvale;

namespace {
const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString appearance = QStringLiteral("org.freedesktop.appearance");
const QString colorScheme = QStringLiteral("color-scheme");

// The settings portal as current desktops have it: ReadOne and SettingChanged. It answers on
// its own connection from this thread, which is safe because the code under test never waits
// for an answer.
class FakePortal : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")
public:
    uint value = 0;
    int calls = 0;
    bool knowsAppearance = true;
    bool holdAnswers = false;
    QList<QDBusMessage> held;

    void change(const QString &nameSpace, const QString &key, uint newValue)
    {
        if (nameSpace == appearance && key == colorScheme)
            value = newValue;
        emit SettingChanged(nameSpace, key, QDBusVariant(newValue));
    }
    void answerHeld(uint answer)
    {
        for (const auto &call : std::as_const(held))
            QDBusConnection(QStringLiteral("portal"))
                .send(call.createReply(QVariant::fromValue(QDBusVariant(answer))));
        held.clear();
    }

public slots:
    QDBusVariant ReadOne(const QString &nameSpace, const QString &key)
    {
        ++calls;
        if (!knowsAppearance || nameSpace != appearance || key != colorScheme) {
            sendErrorReply(
                QStringLiteral("org.freedesktop.portal.Error.NotFound"), QStringLiteral("no such setting"));
            return {};
        }
        if (holdAnswers) {
            setDelayedReply(true);
            held.append(message());
            return {};
        }
        return QDBusVariant(value);
    }

signals:
    void SettingChanged(const QString &nameSpace, const QString &key, const QDBusVariant &value);
};

// A portal from before ReadOne: Read answers the value wrapped in one more variant.
class OlderFakePortal : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")
public:
    uint value = 0;

public slots:
    QDBusVariant Read(const QString &, const QString &)
    {
        return QDBusVariant(QVariant::fromValue(QDBusVariant(value)));
    }
};

QPalette paletteWithWindow(const QColor &window)
{
    QPalette palette = QApplication::style()->standardPalette();
    palette.setColor(QPalette::Window, window);
    return palette;
}
} // namespace

class TestDesktopColorScheme : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void paletteDecidesWithoutBus();
    void followsPortalLive();
    void olderPortalAnswersThroughRead();
    void noPreferenceDefersToPalette();
    void noPortalFallsBackToPalette();
    void portalWithoutAppearanceFallsBackToPalette();
    void changeDuringFirstReadWins();

private:
    void requireBus();
    void registerPortal(QObject *portal);

    QTemporaryDir m_busDir;
    QProcess m_daemon;
    QString m_address;
    QString m_skipReason;
};

void TestDesktopColorScheme::initTestCase()
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty()) {
        m_skipReason = QStringLiteral("dbus-daemon is missing (Debian package dbus): cannot fake the portal");
        qWarning("%s", qPrintable(m_skipReason));
        return;
    }
    // A bus of our own with no service folders, so that no real portal can be started on it.
    const QString config = m_busDir.filePath(QStringLiteral("bus.conf"));
    QFile file(config);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
        QStringLiteral(R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)")
            .arg(m_busDir.path())
            .toUtf8());
    file.close();
    m_daemon.start(daemon,
        {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
            QStringLiteral("--print-address")});
    QVERIFY2(m_daemon.waitForStarted(), qPrintable(m_daemon.errorString()));
    while (!m_daemon.canReadLine())
        QVERIFY2(m_daemon.waitForReadyRead(10'000), m_daemon.readAllStandardError().constData());
    m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
    QVERIFY(!m_address.isEmpty());
}

void TestDesktopColorScheme::cleanupTestCase()
{
    if (m_daemon.state() != QProcess::NotRunning) {
        m_daemon.terminate();
        m_daemon.waitForFinished();
    }
}

void TestDesktopColorScheme::init()
{
    QApplication::setPalette(paletteWithWindow(Qt::white));
}

void TestDesktopColorScheme::cleanup()
{
    QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
    QDBusConnection::disconnectFromBus(QStringLiteral("client"));
    QApplication::setPalette(QApplication::style()->standardPalette());
}

void TestDesktopColorScheme::requireBus()
{
    if (!m_skipReason.isEmpty())
        QSKIP(qPrintable(m_skipReason));
}

void TestDesktopColorScheme::registerPortal(QObject *portal)
{
    auto bus = QDBusConnection::connectToBus(m_address, QStringLiteral("portal"));
    QVERIFY(bus.isConnected());
    QVERIFY(bus.registerObject(
        portalPath, portal, QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals));
    QVERIFY(bus.registerService(portalService));
}

void TestDesktopColorScheme::paletteDecidesWithoutBus()
{
    QApplication::setPalette(paletteWithWindow(QColor(0x20, 0x20, 0x24)));
    DesktopColorScheme scheme(QDBusConnection(QStringLiteral("no such bus")));
    QVERIFY(scheme.isDark());
    QSignalSpy changes(&scheme, &DesktopColorScheme::darkChanged);

    QApplication::setPalette(paletteWithWindow(QColor(0xf0, 0xf0, 0xf0)));
    QTRY_COMPARE(changes.count(), 1);
    QCOMPARE(changes.at(0).at(0).toBool(), false);
    QVERIFY(!scheme.isDark());

    // A new palette that is still light is no change.
    QApplication::setPalette(paletteWithWindow(QColor(0xe0, 0xe8, 0xf0)));
    QApplication::setPalette(paletteWithWindow(QColor(0x30, 0x30, 0x30)));
    QTRY_COMPARE(changes.count(), 2);
    QCOMPARE(changes.at(1).at(0).toBool(), true);
}

void TestDesktopColorScheme::followsPortalLive()
{
    requireBus();
    FakePortal portal;
    portal.value = 1;
    registerPortal(&portal);

    DesktopColorScheme scheme(QDBusConnection::connectToBus(m_address, QStringLiteral("client")));
    QSignalSpy changes(&scheme, &DesktopColorScheme::darkChanged);
    QTRY_VERIFY(scheme.isDark());
    QCOMPARE(scheme.portalValue(), std::optional<uint>(1));

    portal.change(appearance, colorScheme, 2);
    QTRY_VERIFY(!scheme.isDark());
    // Other settings of the portal leave the scheme alone.
    portal.change(appearance, QStringLiteral("accent-color"), 1);
    portal.change(QStringLiteral("org.gnome.desktop.interface"), colorScheme, 1);
    portal.change(appearance, colorScheme, 1);
    QTRY_VERIFY(scheme.isDark());
    QCOMPARE(changes.count(), 3);
    QCOMPARE(changes.at(0).at(0).toBool(), true);
    QCOMPARE(changes.at(1).at(0).toBool(), false);
    QCOMPARE(changes.at(2).at(0).toBool(), true);
}

void TestDesktopColorScheme::olderPortalAnswersThroughRead()
{
    requireBus();
    OlderFakePortal portal;
    portal.value = 1;
    registerPortal(&portal);

    DesktopColorScheme scheme(QDBusConnection::connectToBus(m_address, QStringLiteral("client")));
    QTRY_VERIFY(scheme.isDark());
    QCOMPARE(scheme.portalValue(), std::optional<uint>(1));
}

void TestDesktopColorScheme::noPreferenceDefersToPalette()
{
    requireBus();
    FakePortal portal;
    portal.value = 0;
    registerPortal(&portal);
    QApplication::setPalette(paletteWithWindow(Qt::black));

    DesktopColorScheme scheme(QDBusConnection::connectToBus(m_address, QStringLiteral("client")));
    QTRY_COMPARE(scheme.portalValue(), std::optional<uint>(0));
    QVERIFY(scheme.isDark());
    QApplication::setPalette(paletteWithWindow(Qt::white));
    QTRY_VERIFY(!scheme.isDark());

    // A stated preference outranks the palette.
    portal.change(appearance, colorScheme, 1);
    QTRY_VERIFY(scheme.isDark());
    QApplication::setPalette(paletteWithWindow(Qt::lightGray));
    QCoreApplication::processEvents();
    QVERIFY(scheme.isDark());
}

void TestDesktopColorScheme::noPortalFallsBackToPalette()
{
    requireBus();
    auto bus = QDBusConnection::connectToBus(m_address, QStringLiteral("client"));
    DesktopColorScheme scheme(bus);
    // The bus answers in order: once this returns, it has refused the scheme's read as well.
    auto ping = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
        QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus"),
        QStringLiteral("GetId"));
    QDBusPendingCallWatcher pinged(bus.asyncCall(ping));
    QTRY_VERIFY(pinged.isFinished());
    QCoreApplication::processEvents();
    QVERIFY(!scheme.portalValue());
    QVERIFY(!scheme.isDark());

    QApplication::setPalette(paletteWithWindow(Qt::black));
    QTRY_VERIFY(scheme.isDark());
}

void TestDesktopColorScheme::portalWithoutAppearanceFallsBackToPalette()
{
    requireBus();
    FakePortal portal;
    portal.knowsAppearance = false;
    registerPortal(&portal);

    DesktopColorScheme scheme(QDBusConnection::connectToBus(m_address, QStringLiteral("client")));
    QTRY_COMPARE(portal.calls, 1);
    QApplication::setPalette(paletteWithWindow(Qt::black));
    QTRY_VERIFY(scheme.isDark());
    // The refusal, whenever it arrives, is no preference: the palette still decides.
    QTest::qWait(100);
    QVERIFY(scheme.isDark());
    QVERIFY(!scheme.portalValue());
}

void TestDesktopColorScheme::changeDuringFirstReadWins()
{
    requireBus();
    FakePortal portal;
    portal.value = 2;
    portal.holdAnswers = true;
    registerPortal(&portal);

    DesktopColorScheme scheme(QDBusConnection::connectToBus(m_address, QStringLiteral("client")));
    QTRY_COMPARE(portal.held.size(), 1);
    portal.change(appearance, colorScheme, 1);
    QTRY_VERIFY(scheme.isDark());
    // The answer was taken before the change; it must not undo it.
    portal.answerHeld(2);
    QSignalSpy changes(&scheme, &DesktopColorScheme::darkChanged);
    QTest::qWait(100);
    QVERIFY(scheme.isDark());
    QCOMPARE(changes.count(), 0);
}

QTEST_MAIN(TestDesktopColorScheme)
#include "tst_DesktopColorScheme.moc"
