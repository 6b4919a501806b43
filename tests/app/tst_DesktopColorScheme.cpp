#include "DesktopColorScheme.h"
#include "PrivateBus.h"

#include <QApplication>
#include <QSignalSpy>
#include <QStyle>

using namespace corvale;

#define REQUIRE_BUS()                                                                                        \
    if (!m_skipReason.isEmpty())                                                                             \
    QSKIP(qPrintable(m_skipReason))

static void setPaletteWindow(const QColor &window)
{
    QPalette palette = QApplication::style()->standardPalette();
    palette.setColor(QPalette::Window, window);
    QApplication::setPalette(palette);
}

class TestDesktopColorScheme : public QObject
{
    Q_OBJECT

    test::PrivateBus m_bus;
    QString m_skipReason;

    QDBusConnection client()
    {
        return QDBusConnection::connectToBus(m_bus.address(), QStringLiteral("client"));
    }

private slots:
    void initTestCase() { m_skipReason = m_bus.start(); }
    void init() { setPaletteWindow(Qt::white); }
    void cleanup()
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
    }

    void paletteDecidesWithoutBus()
    {
        setPaletteWindow(QColor(0x20, 0x20, 0x24));
        DesktopColorScheme scheme(QDBusConnection(QStringLiteral("no such bus")));
        QVERIFY(scheme.isDark());
        QSignalSpy changes(&scheme, &DesktopColorScheme::darkChanged);
        setPaletteWindow(QColor(0xf0, 0xf0, 0xf0));
        setPaletteWindow(QColor(0xe0, 0xe8, 0xf0)); // still light: no change
        setPaletteWindow(QColor(0x30, 0x30, 0x30));
        QTRY_COMPARE(QList<QList<QVariant>>(changes), (QList<QList<QVariant>> {{false}, {true}}));
    }

    void followsPortalLive()
    {
        REQUIRE_BUS();
        test::FakePortal portal;
        portal.value = 1;
        m_bus.registerPortal(&portal);
        DesktopColorScheme scheme(client());
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

        // A stated preference outranks the palette; no preference defers to it.
        setPaletteWindow(Qt::lightGray);
        QCoreApplication::processEvents();
        QVERIFY(scheme.isDark());
        setPaletteWindow(Qt::black);
        portal.changeColorScheme(0);
        QTRY_COMPARE(scheme.portalValue(), std::optional<uint>(0));
        QVERIFY(scheme.isDark());
        setPaletteWindow(Qt::white);
        QTRY_VERIFY(!scheme.isDark());
    }

    // The first read, through ReadOne or the older Read. No portal, or one that refuses the
    // setting: whenever the refusal comes, the palette decides.
    void firstReadAnswersOrLeavesThePalette_data()
    {
        QTest::addColumn<bool>("withPortal");
        QTest::addColumn<bool>("refused");
        QTest::newRow("no portal") << false << true;
        QTest::newRow("refused") << true << true;
        QTest::newRow("only the older Read") << true << false;
    }
    void firstReadAnswersOrLeavesThePalette()
    {
        REQUIRE_BUS();
        QFETCH(bool, withPortal);
        QFETCH(bool, refused);
        test::FakePortal portal;
        portal.value = 1;
        portal.knowsAppearance = portal.olderOnly = !refused;
        if (withPortal)
            m_bus.registerPortal(&portal);
        DesktopColorScheme scheme(client());
        QTest::qWait(100);
        QCOMPARE(portal.calls, int(withPortal));
        QTRY_COMPARE(scheme.portalValue(), refused ? std::nullopt : std::optional<uint>(1));
        QCOMPARE(scheme.isDark(), !refused);
        setPaletteWindow(Qt::black);
        QTRY_VERIFY(scheme.isDark());
    }

    void changeDuringFirstReadWins()
    {
        REQUIRE_BUS();
        test::FakePortal portal;
        portal.value = 2;
        portal.holdAnswers = true;
        m_bus.registerPortal(&portal);
        DesktopColorScheme scheme(client());
        QTRY_COMPARE(portal.held.size(), 1);
        portal.changeColorScheme(1);
        QTRY_VERIFY(scheme.isDark());
        // The answer was taken before the change; it must not undo it.
        portal.answerHeld(2);
        QSignalSpy changes(&scheme, &DesktopColorScheme::darkChanged);
        QTest::qWait(100);
        QCOMPARE(std::tuple(scheme.isDark(), changes.count()), std::tuple(true, qsizetype(0)));
    }
};

QTEST_MAIN(TestDesktopColorScheme)
#include "tst_DesktopColorScheme.moc"
