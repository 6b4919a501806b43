#pragma once

#include "Appearance.h"
#include "Measure.h"

#include <QMainWindow>
#include <QPalette>

#include <memory>
#include <optional>

class QAction;

namespace corvale {

class DesktopColorScheme;
class StorageWindowController;

namespace Ui {
class FloatingWindowController;
}

// The main window. It keeps the desktop's own decorations and can also be moved by dragging its
// background; it restores its frame from the last run and saves it when it closes. It owns the
// analysis controller, which fills the window, and the colour-scheme watcher, and turns the
// desktop's light or dark preference, as it changes, into the look of both: where the desktop's
// palette does not match its preference, it gives the application a palette of its own, and
// gives the desktop's back when they match again or the window goes. GUI thread only.
class FloatingWindowController : public QMainWindow
{
    Q_OBJECT

public:
    // The settings key of the saved window frame.
    static constexpr const char *frameKey = "CorvaleFloatingWindow";
    // The settings key of the measure of sizes: "apparent" or "disk".
    static constexpr const char *measureKey = "measure";

    // Follows the desktop's colour scheme as the session bus's portal tells it.
    explicit FloatingWindowController(QWidget *parent = nullptr);
    // Follows the given watcher, which the window takes over.
    explicit FloatingWindowController(DesktopColorScheme *colorScheme, QWidget *parent = nullptr);
    ~FloatingWindowController() override;

    StorageWindowController *storageController() const { return m_storageController; }
    DesktopColorScheme *colorScheme() const { return m_colorScheme; }
    // The look given to the window last, none before the first.
    std::optional<Appearance> windowAppearance() const { return m_windowAppearance; }
    // Help's item that opens the vendor web site; the application delegate answers it.
    QAction *webAction() const;

    // Shows every size in `measure` (View menu), and remembers it for the next start.
    void setMeasure(Measure measure);
    // Applies the desktop's current preference.
    void themeChanged();
    void setDayModeQuitely();
    void setNightModeQuitely();
    // Makes subView as wide as superView and 10 points less high, following its size.
    static void fitSubViewToSuperView(QWidget *subView, QWidget *superView);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    // Hands the window to the window manager to move with the pointer; false where it cannot.
    virtual bool startWindowMove();

private:
    void windowDidLoad();
    void setAppearance(Appearance appearance);
    void restoreDesktopPalette();
    void saveFrame() const;

    std::unique_ptr<Ui::FloatingWindowController> ui;
    DesktopColorScheme *m_colorScheme;
    StorageWindowController *m_storageController = nullptr;
    std::optional<Appearance> m_windowAppearance;
    // The application's palette before ours replaced it, while ours does.
    QPalette m_desktopPalette;
    bool m_ownPalette = false;
};

} // namespace corvale
