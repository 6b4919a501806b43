#include "DesktopColorScheme.h"
#include "PrivateBus.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>

using namespace corvale;

namespace {

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

    test::PrivateBus m_bus;
    QString m_skipReason;
};

void TestDesktopColorScheme::initTestCase()
{
    m_skipReason = m_bus.start();
    if (!m_skipReason.isEmpty())
        qWarning("%s", qPrintable(m_skipReason));
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
    test::FakePortal portal;
    portal.value = 1;
    m_bus.registerPortal(&portal);

    DesktopColorScheme scheme(QDBusConnection::connectToBus(m_bus.address(), QStringLiteral("client")));
    QSignalSpy changes(&scheme, &DesktopColorScheme::darkChanged);
    QTRY_VERIFY(scheme.isDark());
    QCOMPARE(scheme.portalValue(), std::optional<uint>(1));

    portal.changeColorScheme(2);
    QTRY_VERIFY(!scheme.isDark());
    // Other settings of the portal leave the scheme alone.
    portal.change(test::appearanceNamespace, QStringLiteral("accent-color"), 1);
    portal.change(QStringLiteral("org.gnome.desktop.interface"), test::colorSchemeKey, 1);
    portal.changeColorScheme(1);
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
    m_bus.registerPortal(&portal);

    DesktopColorScheme scheme(QDBusConnection::connectToBus(m_bus.address(), QStringLiteral("client")));
    QTRY_VERIFY(scheme.isDark());
    QCOMPARE(scheme.portalValue(), std::optional<uint>(1));
}

void TestDesktopColorScheme::noPreferenceDefersToPalette()
{
    requireBus();
    test::FakePortal portal;
    portal.value = 0;
    m_bus.registerPortal(&portal);
    QApplication::setPalette(paletteWithWindow(Qt::black));

    DesktopColorScheme scheme(QDBusConnection::connectToBus(m_bus.address(), QStringLiteral("client")));
    QTRY_COMPARE(scheme.portalValue(), std::optional<uint>(0));
    QVERIFY(scheme.isDark());
    QApplication::setPalette(paletteWithWindow(Qt::white));
    QTRY_VERIFY(!scheme.isDark());

    // A stated preference outranks the palette.
    portal.changeColorScheme(1);
    QTRY_VERIFY(scheme.isDark());
    QApplication::setPalette(paletteWithWindow(Qt::lightGray));
    QCoreApplication::processEvents();
    QVERIFY(scheme.isDark());
}

void TestDesktopColorScheme::noPortalFallsBackToPalette()
{
    requireBus();
    auto bus = QDBusConnection::connectToBus(m_bus.address(), QStringLiteral("client"));
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
    test::FakePortal portal;
    portal.knowsAppearance = false;
    m_bus.registerPortal(&portal);

    DesktopColorScheme scheme(QDBusConnection::connectToBus(m_bus.address(), QStringLiteral("client")));
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
    test::FakePortal portal;
    portal.value = 2;
    portal.holdAnswers = true;
    m_bus.registerPortal(&portal);

    DesktopColorScheme scheme(QDBusConnection::connectToBus(m_bus.address(), QStringLiteral("client")));
    QTRY_COMPARE(portal.held.size(), 1);
    portal.changeColorScheme(1);
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
