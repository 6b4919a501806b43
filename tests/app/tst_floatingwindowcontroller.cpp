#include "DesktopColorScheme.h"
#include "FloatingWindowController.h"
#include "FolderChooser.h"
#include "PrivateBus.h"
#include "StorageWindowController.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusVariant>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSettings>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

using namespace corvale;

namespace {

class FixedChooser : public FolderChooser
{
public:
    explicit FixedChooser(QByteArray folder)
        : m_folder(std::move(folder))
    { }
    std::optional<QByteArray> chooseFolder(QWidget *) override { return m_folder; }

private:
    QByteArray m_folder;
};

// Counts the moves a press on the background starts, instead of asking a window manager.
class CountingWindow : public FloatingWindowController
{
public:
    using FloatingWindowController::FloatingWindowController;
    int moves = 0;

protected:
    bool startWindowMove() override
    {
        ++moves;
        return true;
    }
};

QSettings corvaleSettings()
{
    return QSettings(QStringLiteral("Corvale"), QStringLiteral("Corvale"));
}

bool isDark(const QWidget &widget)
{
    return DesktopColorScheme::isPaletteDark(widget.palette());
}

} // namespace

class TestFloatingWindowController : public QObject
{
    Q_OBJECT

    QTemporaryDir m_config;

    // Light desktop, no portal: what every test starts from unless it says otherwise.
    static DesktopColorScheme *paletteOnlyScheme()
    {
        return new DesktopColorScheme(QDBusConnection(QStringLiteral("no such bus")));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_config.isValid());
        // QSettings fixes its folders on first use: point them at the temporary one before that.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
        QApplication::setPalette(QApplication::style()->standardPalette());
        QVERIFY(!DesktopColorScheme::isPaletteDark(QApplication::palette()));
    }

    void init()
    {
        auto settings = corvaleSettings();
        settings.clear();
    }

    void theAnalysisViewFillsTheWindow()
    {
        FloatingWindowController window(paletteOnlyScheme());
        QCOMPARE(window.windowTitle(), QStringLiteral("Corvale"));
        QCOMPARE(window.storageController()->parentWidget(), window.centralWidget());
        QCOMPARE(window.minimumSize(), QSize(900, 600));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (const QSize size : {QSize(1000, 700), QSize(1280, 760)}) {
            window.resize(size);
            QTRY_COMPARE(window.storageController()->width(), window.centralWidget()->width());
            QCOMPARE(window.storageController()->height(), window.centralWidget()->height() - 10);
        }
    }

    // Every state must fit the smallest window: the result view holds the most.
    void theResultFitsTheSmallestWindow()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
        FloatingWindowController window(paletteOnlyScheme());
        window.storageController()->setFolderChooser(
            std::make_unique<FixedChooser>(QFile::encodeName(dir.path())));
        window.resize(window.minimumSize());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.minimumSizeHint().width() <= 900);
        QVERIFY(window.minimumSizeHint().height() <= 600);

        window.storageController()->selectFolder();
        QThreadPool::globalInstance()->waitForDone();
        QTRY_VERIFY(
            !window.storageController()->findChild<QWidget *>(QStringLiteral("tableView"))->isHidden());
        QVERIFY(window.minimumSizeHint().width() <= 900);
        QVERIFY(window.minimumSizeHint().height() <= 600);
        QCOMPARE(window.size(), QSize(900, 600));
    }

    void theFrameComesBackOnTheNextRun()
    {
        const QRect frame(57, 43, 1010, 690);
        {
            FloatingWindowController first(paletteOnlyScheme());
            first.setGeometry(frame);
            first.show();
            QVERIFY(QTest::qWaitForWindowExposed(&first));
            first.close();
        }
        QVERIFY(corvaleSettings().contains(QLatin1String(FloatingWindowController::frameKey)));
        FloatingWindowController second(paletteOnlyScheme());
        QCOMPARE(second.geometry(), frame);
        second.show();
        QVERIFY(QTest::qWaitForWindowExposed(&second));
        QCOMPARE(second.geometry(), frame);
    }

    void aDamagedSavedFrameLeavesTheDefault()
    {
        corvaleSettings().setValue(QLatin1String(FloatingWindowController::frameKey), QByteArray("garbage"));
        FloatingWindowController window(paletteOnlyScheme());
        QCOMPARE(window.size(), QSize(1100, 720));
    }

    void draggingTheBackgroundMovesTheWindow()
    {
        CountingWindow window(paletteOnlyScheme());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *welcome = window.storageController()->findChild<QWidget *>(QStringLiteral("welcomeView"));
        auto *title = window.storageController()->findChild<QLabel *>(QStringLiteral("welcomeTitle"));
        QTest::mousePress(welcome, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(window.moves, 1);
        QTest::mousePress(title, Qt::LeftButton, {}, title->rect().center());
        QCOMPARE(window.moves, 2);
        // Controls keep their presses; other buttons do not move the window.
        auto *button = window.storageController()->findChild<QAbstractButton *>(
            QStringLiteral("selectFolderMainButton"));
        window.storageController()->setFolderChooser(std::make_unique<FixedChooser>(QByteArray()));
        QTest::mousePress(button, Qt::LeftButton, {}, button->rect().center());
        QTest::mousePress(welcome, Qt::RightButton, {}, QPoint(5, 5));
        QCOMPARE(window.moves, 2);
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(-5, -5));
    }

    void dayAndNightTurnTheViewAndTheWindow()
    {
        FloatingWindowController window(paletteOnlyScheme());
        QCOMPARE(window.windowAppearance(), std::optional(Appearance::VibrantLight));
        QCOMPARE(window.storageController()->windowAppearance(), std::optional(Appearance::VibrantLight));
        QVERIFY(!isDark(window));

        window.setNightModeQuitely();
        QCOMPARE(window.windowAppearance(), std::optional(Appearance::VibrantDark));
        QCOMPARE(window.storageController()->windowAppearance(), std::optional(Appearance::VibrantDark));
        QVERIFY(isDark(window));
        QVERIFY(isDark(*window.storageController()));
        // Text must stay readable on the dark ground, and the accent stays the desktop's.
        QVERIFY(window.palette().color(QPalette::WindowText).lightnessF() > 0.7);
        QVERIFY(window.palette().color(QPalette::Text).lightnessF() > 0.7);
        QCOMPARE(
            window.palette().color(QPalette::Highlight), QApplication::palette().color(QPalette::Highlight));

        window.setDayModeQuitely();
        QCOMPARE(window.storageController()->windowAppearance(), std::optional(Appearance::VibrantLight));
        QCOMPARE(window.palette().color(QPalette::Window), QApplication::palette().color(QPalette::Window));
    }

    // What a result adds to the window after the switch is as dark as the rest.
    void aResultMadeAtNightIsDark()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
        FloatingWindowController window(paletteOnlyScheme());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.setNightModeQuitely();
        window.storageController()->openFolder(QFile::encodeName(dir.path()));
        QThreadPool::globalInstance()->waitForDone();
        QTRY_VERIFY(window.storageController()->findChild<QLabel *>(QStringLiteral("titleField")));
        for (const auto *label : window.storageController()->findChildren<QLabel *>()) {
            if (label->isVisibleTo(&window) && !label->text().isEmpty())
                QVERIFY2(label->palette().color(label->foregroundRole()).lightnessF() > 0.5,
                    qPrintable(label->objectName() + QLatin1String(": ") + label->text()));
        }
    }

    // The style sheet's palette colours, such as the removal panel's ground, follow the switch.
    void theRemovalPanelTurnsWithTheWindow()
    {
        FloatingWindowController window(paletteOnlyScheme());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto *panel = window.storageController()->findChild<QWidget *>(QStringLiteral("deleteView"));
        panel->resize(300, 90);
        const auto ground = [panel] { return panel->grab().toImage().pixelColor(150, 45).lightnessF(); };
        QVERIFY(ground() > 0.7);
        window.setNightModeQuitely();
        QVERIFY(ground() < 0.3);
        window.setDayModeQuitely();
        QVERIFY(ground() > 0.7);
    }

    void aDarkDesktopPaletteIsKeptForNight()
    {
        QPalette dark = QApplication::palette();
        dark.setColor(QPalette::Window, QColor(0x10, 0x20, 0x30));
        dark.setColor(QPalette::WindowText, QColor(0xdd, 0xee, 0xff));
        QApplication::setPalette(dark);
        {
            FloatingWindowController window(paletteOnlyScheme());
            // The desktop itself is dark: night comes with its own palette, day with ours.
            QCOMPARE(window.windowAppearance(), std::optional(Appearance::VibrantDark));
            QCOMPARE(window.palette().color(QPalette::Window), QColor(0x10, 0x20, 0x30));
            window.setDayModeQuitely();
            QVERIFY(!isDark(window));
            QVERIFY(window.palette().color(QPalette::WindowText).lightnessF() < 0.3);
        }
        QApplication::setPalette(QApplication::style()->standardPalette());
    }

    void aColourSchemeChangeTurnsTheWindowDarkAndBack()
    {
        test::PrivateBus bus;
        if (const QString missing = bus.start(); !missing.isEmpty())
            QSKIP(qPrintable(missing));
        test::FakePortal portal;
        portal.value = 2;
        bus.registerPortal(&portal);

        {
            FloatingWindowController window(new DesktopColorScheme(
                QDBusConnection::connectToBus(bus.address(), QStringLiteral("client"))));
            QVERIFY(!isDark(window));
            portal.changeColorScheme(1);
            QTRY_COMPARE(
                window.storageController()->windowAppearance(), std::optional(Appearance::VibrantDark));
            QVERIFY(isDark(window));
            QVERIFY(isDark(*window.storageController()));
            const auto *title
                = window.storageController()->findChild<QLabel *>(QStringLiteral("welcomeTitle"));
            QVERIFY(title->palette().color(QPalette::WindowText).lightnessF() > 0.7);
            portal.changeColorScheme(2);
            QTRY_COMPARE(
                window.storageController()->windowAppearance(), std::optional(Appearance::VibrantLight));
            QVERIFY(!isDark(window));
            QVERIFY(!isDark(*window.storageController()));
            QVERIFY(title->palette().color(QPalette::WindowText).lightnessF() < 0.3);
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
    }

    // Our own dark palette is in force when the desktop stops stating a preference: the
    // desktop's palette (light here) decides then, not the one we put up.
    void noPreferenceAfterOurDarkFallsBackToTheDesktopsPalette()
    {
        test::PrivateBus bus;
        if (const QString missing = bus.start(); !missing.isEmpty())
            QSKIP(qPrintable(missing));
        test::FakePortal portal;
        portal.value = 1;
        bus.registerPortal(&portal);
        {
            FloatingWindowController window(new DesktopColorScheme(
                QDBusConnection::connectToBus(bus.address(), QStringLiteral("client"))));
            QTRY_VERIFY(isDark(window));
            portal.changeColorScheme(0);
            QTRY_COMPARE(
                window.storageController()->windowAppearance(), std::optional(Appearance::VibrantLight));
            QVERIFY(!isDark(window));
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
    }

    // Closing the window while a walk runs: the walk stops and nothing reaches the dead window.
    void closingDuringAWalkIsSafe()
    {
        QTemporaryDir dir;
        for (int i = 0; i < 200; ++i)
            QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("d%1/e/f").arg(i)));
        auto window = std::make_unique<FloatingWindowController>(paletteOnlyScheme());
        window->storageController()->openFolder(QFile::encodeName(dir.path()));
        window.reset();
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    }
};

QTEST_MAIN(TestFloatingWindowController)
#include "tst_floatingwindowcontroller.moc"
