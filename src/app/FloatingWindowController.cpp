#include "FloatingWindowController.h"

#include "DesktopColorScheme.h"
#include "StorageWindowController.h"
#include "ui_FloatingWindowController.h"

#include <QActionGroup>
#include <QApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QSettings>
#include <QVBoxLayout>
#include <QWindow>

namespace corvale {

namespace {

QSettings corvaleSettings()
{
    // The file the application delegate's launch counter lives in, whoever started us.
    return QSettings(QStringLiteral("Corvale"), QStringLiteral("Corvale"));
}

// Used when the desktop's own palette is light but a dark window is asked for.
QPalette darkPalette(const QPalette &desktop)
{
    QPalette palette;
    const QColor window(0x2b, 0x2b, 0x2e);
    const QColor text(0xe8, 0xe8, 0xea);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    // Lighter than the window: the style draws the edges of check boxes darker than the window.
    palette.setColor(QPalette::Base, QColor(0x36, 0x36, 0x3a));
    palette.setColor(QPalette::AlternateBase, QColor(0x3c, 0x3c, 0x41));
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::PlaceholderText, QColor(0x8a, 0x8a, 0x8f));
    palette.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3e));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::Light, QColor(0x4a, 0x4a, 0x4f));
    palette.setColor(QPalette::Midlight, QColor(0x3f, 0x3f, 0x44));
    palette.setColor(QPalette::Mid, QColor(0x55, 0x55, 0x5a));
    palette.setColor(QPalette::Dark, QColor(0x1a, 0x1a, 0x1c));
    palette.setColor(QPalette::Shadow, Qt::black);
    palette.setColor(QPalette::ToolTipBase, QColor(0x3a, 0x3a, 0x3e));
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::Link, QColor(0x5c, 0xae, 0xff));
    palette.setColor(QPalette::LinkVisited, QColor(0xb0, 0x8c, 0xff));
    // The desktop's accent stays the accent.
    palette.setColor(QPalette::Highlight, desktop.color(QPalette::Highlight));
    palette.setColor(QPalette::HighlightedText, desktop.color(QPalette::HighlightedText));
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, QColor(0x80, 0x80, 0x85));
    return palette;
}

// Used when the desktop's own palette is dark but a light window is asked for.
QPalette lightPalette(const QPalette &desktop)
{
    QPalette palette(QColor(0xef, 0xef, 0xef));
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::AlternateBase, QColor(0xf5, 0xf5, 0xf5));
    palette.setColor(QPalette::Link, QColor(0x00, 0x66, 0xcc));
    palette.setColor(QPalette::Highlight, desktop.color(QPalette::Highlight));
    palette.setColor(QPalette::HighlightedText, desktop.color(QPalette::HighlightedText));
    return palette;
}

} // namespace

FloatingWindowController::FloatingWindowController(QWidget *parent)
    : FloatingWindowController(new DesktopColorScheme, parent)
{ }

FloatingWindowController::FloatingWindowController(DesktopColorScheme *colorScheme, QWidget *parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::FloatingWindowController>())
    , m_colorScheme(colorScheme)
{
    // Without it, a widget under a style sheet keeps the palette it had when the sheet was applied,
    // and the analysis view would never turn dark. Read whenever a style sheet is applied.
    QCoreApplication::setAttribute(Qt::AA_UseStyleSheetPropagationInWidgetStyles);
    m_colorScheme->setParent(this);
    ui->setupUi(this);
    windowDidLoad();
}

FloatingWindowController::~FloatingWindowController()
{
    saveFrame();
    restoreDesktopPalette();
}

void FloatingWindowController::windowDidLoad()
{
    // The first time, the designed size, but never more than the screen can show with the
    // window's frame (at 200 % a 1600 × 1000 screen has 800 × 500 points).
    if (!restoreGeometry(corvaleSettings().value(QLatin1String(frameKey)).toByteArray()) && screen())
        resize(size().boundedTo(screen()->availableGeometry().size() * 0.9).expandedTo(minimumSize()));

    m_storageController = new StorageWindowController(centralWidget());
    fitSubViewToSuperView(m_storageController, centralWidget());

    connect(ui->actionSelectFolder, &QAction::triggered, m_storageController,
        &StorageWindowController::selectFolder);
    connect(ui->actionOpenScan, &QAction::triggered, m_storageController, &StorageWindowController::openScan);
    connect(ui->actionSaveScan, &QAction::triggered, m_storageController, &StorageWindowController::saveScan);
    connect(ui->actionCompareScan, &QAction::triggered, m_storageController,
        &StorageWindowController::compareWithScan);
    // Saving and comparing need a result, and one save at a time.
    const auto enableScanActions = [this] {
        const AnalysisSession *session = m_storageController->session();
        const bool result = session->state() == AnalysisSession::State::Result;
        ui->actionSaveScan->setEnabled(result && !session->isSaving());
        ui->actionCompareScan->setEnabled(result);
    };
    connect(m_storageController->session(), &AnalysisSession::stateChanged, this, enableScanActions);
    enableScanActions();
    connect(ui->actionQuit, &QAction::triggered, this, &QWidget::close);

    // One of the two measures, as chosen last time.
    auto *measures = new QActionGroup(this);
    measures->addAction(ui->actionDiskUsage);
    measures->addAction(ui->actionApparentSize);
    const bool disk = corvaleSettings().value(QLatin1String(measureKey)).toString() == QLatin1String("disk");
    (disk ? ui->actionDiskUsage : ui->actionApparentSize)->setChecked(true);
    setMeasure(disk ? Measure::DiskUsage : Measure::ApparentSize);
    connect(ui->actionDiskUsage, &QAction::triggered, this, [this] { setMeasure(Measure::DiskUsage); });
    connect(ui->actionApparentSize, &QAction::triggered, this, [this] { setMeasure(Measure::ApparentSize); });
    // Our own light or dark palette is not the desktop's: the fallback must see the desktop's.
    m_colorScheme->setPaletteSource(
        [this] { return m_ownPalette ? m_desktopPalette : QApplication::palette(); });
    connect(m_colorScheme, &DesktopColorScheme::darkChanged, this, &FloatingWindowController::themeChanged);
    // The desktop's preference as known now; the portal's answer, when it differs, comes as a change.
    themeChanged();
}

void FloatingWindowController::setMeasure(Measure measure)
{
    const bool disk = measure == Measure::DiskUsage;
    (disk ? ui->actionDiskUsage : ui->actionApparentSize)->setChecked(true);
    m_storageController->session()->setMeasure(measure);
    corvaleSettings().setValue(
        QLatin1String(measureKey), disk ? QStringLiteral("disk") : QStringLiteral("apparent"));
}

QAction *FloatingWindowController::webAction() const
{
    return ui->actionWebSite;
}

void FloatingWindowController::themeChanged()
{
    if (m_colorScheme->isDark())
        setNightModeQuitely();
    else
        setDayModeQuitely();
}

void FloatingWindowController::setDayModeQuitely()
{
    m_storageController->setCurrentAppearance(Appearance::VibrantLight);
    setAppearance(Appearance::VibrantLight);
}

void FloatingWindowController::setNightModeQuitely()
{
    m_storageController->setCurrentAppearance(Appearance::VibrantDark);
    setAppearance(Appearance::VibrantDark);
}

void FloatingWindowController::setAppearance(Appearance appearance)
{
    m_windowAppearance = appearance;
    const bool dark = appearance == Appearance::VibrantDark;
    const QPalette desktop = m_ownPalette ? m_desktopPalette : QApplication::palette();
    // Where the desktop's palette has the asked-for lightness it is the best fit; otherwise one
    // of our own. It is the application's palette rather than the window's: widgets made later
    // under a style sheet (the rows of a result) take the application's, not their parent's.
    if (DesktopColorScheme::isPaletteDark(desktop) == dark) {
        restoreDesktopPalette();
    } else {
        if (!m_ownPalette) {
            m_desktopPalette = desktop;
            m_ownPalette = true;
        }
        QApplication::setPalette(dark ? darkPalette(desktop) : lightPalette(desktop));
    }
    // A window not shown yet hears nothing of a new application palette: take it now.
    setPalette(QPalette());
}

void FloatingWindowController::restoreDesktopPalette()
{
    if (!m_ownPalette)
        return;
    m_ownPalette = false;
    // One that nobody set keeps following the desktop's theme once it is back.
    QApplication::setPalette(m_desktopPalette.resolveMask() ? m_desktopPalette : QPalette());
}

void FloatingWindowController::fitSubViewToSuperView(QWidget *subView, QWidget *superView)
{
    auto *layout = new QVBoxLayout(superView);
    layout->setContentsMargins(0, 10, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(subView);
}

void FloatingWindowController::mousePressEvent(QMouseEvent *event)
{
    // Only presses that no element took reach the window: they fell on its background.
    if (event->button() == Qt::LeftButton && startWindowMove()) {
        event->accept();
        return;
    }
    QMainWindow::mousePressEvent(event);
}

bool FloatingWindowController::startWindowMove()
{
    QWindow *handle = windowHandle();
    return handle && handle->startSystemMove();
}

void FloatingWindowController::closeEvent(QCloseEvent *event)
{
    saveFrame();
    QMainWindow::closeEvent(event);
}

void FloatingWindowController::saveFrame() const
{
    auto settings = corvaleSettings();
    settings.setValue(QLatin1String(frameKey), saveGeometry());
}

} // namespace corvale
