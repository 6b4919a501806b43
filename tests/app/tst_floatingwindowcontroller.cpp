#include "BackgroundLink.h"
#include "DesktopColorScheme.h"
#include "FileListModel.h"
#include "FloatingWindowController.h"
#include "FolderChooser.h"
#include "PrivateBus.h"
#include "StorageWindowController.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QTableView>
#include <QThreadPool>

using namespace corvale;

namespace {
// Counts the moves a press on the background starts, instead of asking a window manager.
class CountingWindow : public FloatingWindowController
{
public:
    using FloatingWindowController::FloatingWindowController;
    int moves = 0;

protected:
    bool startWindowMove() override { return ++moves; }
};

struct CancelledChooser : FolderChooser
{
    std::optional<QByteArray> chooseFolder(QWidget *, const QByteArray &) override { return std::nullopt; }
};
} // namespace

class TestFloatingWindowController : public QObject
{
    Q_OBJECT

    QTemporaryDir m_config;

    static bool shown(QWidget &window)
    {
        window.show();
        return QTest::qWaitForWindowExposed(&window);
    }
    static bool isDark(const QWidget &widget) { return DesktopColorScheme::isPaletteDark(widget.palette()); }
    // Light desktop, no portal: what every test starts from unless it says otherwise.
    static DesktopColorScheme *paletteOnlyScheme()
    {
        return new DesktopColorScheme(QDBusConnection(QStringLiteral("no such bus")));
    }

private Q_SLOTS:
    void initTestCase()
    {
        // QSettings fixes its folders on first use: point them at the temporary one before that.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
        QApplication::setPalette(QApplication::style()->standardPalette());
    }

    void theFrameAndTheMeasureComeBackOnTheNextRun()
    {
        QSettings settings(QStringLiteral("Corvale"), QStringLiteral("Corvale"));
        settings.setValue(QLatin1String(FloatingWindowController::frameKey), QByteArray("garbage"));
        // The default, within the screen.
        const QSize first = FloatingWindowController(paletteOnlyScheme()).size();
        QVERIFY(QApplication::primaryScreen()->availableGeometry().size().boundedTo(first) == first);
        const QRect frame(57, 43, 1010, 690);
        {
            FloatingWindowController first(paletteOnlyScheme());
            first.setGeometry(frame);
            QVERIFY(shown(first));
            QCOMPARE(first.storageController()->session()->measure(), Measure::ApparentSize);
            first.findChild<QAction *>(QStringLiteral("actionDiskUsage"))->trigger();
            QCOMPARE(first.storageController()->session()->measure(), Measure::DiskUsage);
            first.close();
        }
        FloatingWindowController second(paletteOnlyScheme());
        QVERIFY(shown(second));
        QCOMPARE(second.geometry(), frame);
        QCOMPARE(second.storageController()->session()->measure(), Measure::DiskUsage);
        QVERIFY(second.findChild<QAction *>(QStringLiteral("actionDiskUsage"))->isChecked());
        QTest::keyClick(&second, Qt::Key_1, Qt::ControlModifier);
        QCOMPARE(second.storageController()->session()->measure(), Measure::ApparentSize);
    }

    // At 200 % a 1600 × 1000 screen has 800 × 500 points, and a maximised window less, for the
    // desktop's bar and its title bar: the window fits there with its buttons, the size column,
    // the legend and the removal panel in full.
    void atTwoHundredPercentTheWholeWindowFits()
    {
        QTemporaryDir dir;
        for (int i = 0; i < 9; ++i) {
            QFile file(dir.filePath(QStringLiteral("file%1.bin").arg(i)));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(1'000'000'000LL * (i + 1)));
        }
        FloatingWindowController window(paletteOnlyScheme());
        window.resize(800, 430);
        QVERIFY(shown(window));
        QCOMPARE(window.size(), QSize(800, 430));
        auto *storage = window.storageController();
        storage->openFolder(QFile::encodeName(dir.path()));
        QTRY_VERIFY(!storage->session()->isWalkPending() && !storage->session()->isListing());
        for (int row = 0; row < 9; ++row)
            storage->session()->fileListModel()->setChecked(row, true);
        const auto child = [&](auto name) { return storage->findChild<QWidget *>(QLatin1String(name)); };
        // What a move to the trash shows, at its widest.
        qobject_cast<QLabel *>(child("fieldReclaim"))->setText(QStringLiteral("999.99 GB"));
        for (const char *name : {"labelReclaim", "fieldReclaim", "buttonReclaim"})
            child(name)->show();
        QTRY_VERIFY(
            child("deleteView")->isVisible() && child("deleteView")->y() < child("fileArea")->height() - 100);

        const QRect inWindow = window.rect();
        for (const char *name : {"refreshButton", "selectFolderButton", "legendView", "labelReclaim",
                 "fieldReclaim", "buttonReclaim", "deleteView", "trashTotal", "trashButton"}) {
            QWidget *widget = child(name);
            QVERIFY2(widget->isVisible() && widget->width() >= widget->minimumSizeHint().width(), name);
            QVERIFY2(inWindow.contains(QRect(widget->mapTo(&window, QPoint()), widget->size())), name);
            QVERIFY2(widget->parentWidget()->rect().contains(widget->geometry()), name);
        }
        // Fewer icons than seven, for the total's room.
        QVERIFY(child("file1")->isVisible() && !child("file7")->isVisible());
        auto *header = storage->findChild<QTableView *>(QStringLiteral("fileTableView"))->horizontalHeader();
        QVERIFY(header->sectionViewportPosition(1) + header->sectionSize(1) <= header->viewport()->width());
    }

    void draggingTheBackgroundMovesTheWindow()
    {
        CountingWindow window(paletteOnlyScheme());
        QVERIFY(shown(window));
        auto *welcome = window.storageController()->findChild<QWidget *>(QStringLiteral("welcomeView"));
        auto *title = window.storageController()->findChild<QLabel *>(QStringLiteral("welcomeTitle"));
        QTest::mousePress(welcome, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mousePress(title, Qt::LeftButton, {}, title->rect().center());
        QCOMPARE(window.moves, 2);
        // Controls keep their presses; other buttons do not move the window.
        auto *button
            = window.storageController()->findChild<QWidget *>(QStringLiteral("selectFolderMainButton"));
        window.storageController()->setFolderChooser(std::make_unique<CancelledChooser>());
        QTest::mousePress(button, Qt::LeftButton, {}, button->rect().center());
        QTest::mousePress(welcome, Qt::RightButton, {}, QPoint(5, 5));
        QCOMPARE(window.moves, 2);
        QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(-5, -5));
    }

    void dayAndNightTurnTheWholeWindow()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
        FloatingWindowController window(paletteOnlyScheme());
        QVERIFY(shown(window));
        auto *storage = window.storageController();
        // The style sheet's palette colours, such as the removal panel's ground, follow the switch.
        auto *panel = storage->findChild<QWidget *>(QStringLiteral("deleteView"));
        panel->resize(300, 90);
        const auto ground = [panel] { return panel->grab().toImage().pixelColor(150, 45).lightnessF(); };
        QVERIFY(ground() > 0.7);
        window.setNightModeQuitely();
        QVERIFY(ground() < 0.3);
        // Text must stay readable on the dark ground, and the accent stays the desktop's.
        QVERIFY(window.palette().color(QPalette::Text).lightnessF() > 0.7);
        QCOMPARE(
            window.palette().color(QPalette::Highlight), QApplication::palette().color(QPalette::Highlight));

        // What a result adds to the window after the switch is as dark as the rest.
        storage->openFolder(QFile::encodeName(dir.path()));
        backgroundPool()->waitForDone();
        QTRY_VERIFY(storage->findChild<QLabel *>(QStringLiteral("titleField")));
        for (const auto *label : storage->findChildren<QLabel *>())
            if (label->isVisibleTo(&window) && !label->text().isEmpty())
                QVERIFY2(label->palette().color(label->foregroundRole()).lightnessF() > 0.5,
                    qPrintable(label->objectName() + QLatin1String(": ") + label->text()));
        window.setDayModeQuitely();
        QCOMPARE(window.palette().color(QPalette::Window), QApplication::palette().color(QPalette::Window));
        QVERIFY(ground() > 0.7);
    }

    void aDarkDesktopPaletteIsKeptForNight()
    {
        QPalette dark = QApplication::palette();
        dark.setColor(QPalette::Window, QColor(0x10, 0x20, 0x30));
        dark.setColor(QPalette::WindowText, QColor(0xdd, 0xee, 0xff));
        QApplication::setPalette(dark);
        {
            // The desktop itself is dark: night comes with its own palette, day with ours.
            FloatingWindowController window(paletteOnlyScheme());
            QCOMPARE(window.windowAppearance(), std::optional(Appearance::VibrantDark));
            QCOMPARE(window.palette().color(QPalette::Window), QColor(0x10, 0x20, 0x30));
            window.setDayModeQuitely();
            QVERIFY(window.palette().color(QPalette::WindowText).lightnessF() < 0.3);
        }
        QApplication::setPalette(QApplication::style()->standardPalette());
    }

    // When the desktop stops stating a preference while our own dark palette is in force, the
    // desktop's palette (light here) decides, not the one we put up.
    void theColourSchemeTurnsTheWindow()
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
            auto *title = window.storageController()->findChild<QLabel *>(QStringLiteral("welcomeTitle"));
            QVERIFY(!isDark(window));
            for (uint scheme : {1, 2, 1, 0}) {
                portal.changeColorScheme(scheme);
                const bool dark = scheme == 1;
                QTRY_COMPARE(window.storageController()->windowAppearance(),
                    std::optional(dark ? Appearance::VibrantDark : Appearance::VibrantLight));
                QCOMPARE(isDark(window), dark);
                QCOMPARE(isDark(*window.storageController()), dark);
                QCOMPARE(title->palette().color(QPalette::WindowText).lightnessF() > 0.5, dark);
            }
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
        backgroundPool()->waitForDone();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    }
};

QTEST_MAIN(TestFloatingWindowController)
#include "tst_floatingwindowcontroller.moc"
