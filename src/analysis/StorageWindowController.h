#pragma once

#include "AnalysisSession.h"
#include "Appearance.h"
#include "VisualDataCellDelegate.h"

#include <QByteArray>
#include <QImage>
#include <QParallelAnimationGroup>
#include <QPointer>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QToolButton;

namespace corvale {

class AlertPresenter;
class FileChooser;
class FileManager;
class FolderChooser;
class LargestFilesView;
class OrvSpinnerView;
class RemovalPanel;
class RightClickTable;
class VisualDataCell;
class WebBrowser;
class WelcomeFadeEffect;

namespace Ui {
class StorageWindowController;
}

// The analysis window's content: the view of an AnalysisSession, which it owns. It shows the
// session's state through one table of what each state shows (applyState), rebuilds the rows
// table when the session's rows change, and turns what the user does into the session's
// operations; what only a window can do (choosing a folder or a scan file, asking before moving
// system files, telling of failures, revealing, the welcome animation, the light and dark looks,
// the share link, the note on the scan in view, the context menus, the Largest Files view) is its
// own. GUI thread only.
class StorageWindowController : public QWidget, public VisualDataCellDelegate
{
    Q_OBJECT
    // Where the welcome image and texts are drawn, in points, downwards; at imageRestOffset and
    // textRestOffset they stand where the layout put them. The welcome animation lifts them there.
    Q_PROPERTY(int imageAnimationConstrain READ imageAnimationConstrain WRITE setImageAnimationConstrain)
    Q_PROPERTY(int textAnimationConstrain READ textAnimationConstrain WRITE setTextAnimationConstrain)

public:
    using Entries = AnalysisSession::Entries;

    explicit StorageWindowController(QWidget *parent = nullptr);
    ~StorageWindowController() override;

    AnalysisSession *session() const { return m_session; }

    // Actions.
    void selectFolder();
    void updateFolder() { m_session->updateFolder(); }
    void stopSearch() { m_session->stopSearch(); }
    void doCleanup() { stopSearch(); }
    // Starts a run on `path` as if it had been chosen in the folder chooser.
    void openFolder(const QByteArray &path) { m_session->openFolder(path); }
    void processData(std::shared_ptr<FolderVisualData> tree) { m_session->processData(std::move(tree)); }
    // Scan files: open one in place of a walk, save the tree in view as one, compare with one.
    void openScan();
    void openScanFile(const QByteArray &file) { m_session->openScan(file); }
    void saveScan();
    void compareWithScan();
    void endComparison() { m_session->endComparison(); }
    // Asks first when the selection starts with a system entry.
    void trashSelectedItems();
    // The same for any entries: one from a context menu, the checked largest files.
    void trashEntries(const Entries &entries);
    // Searches `folder` for its largest files and shows them in place of the file list.
    void showLargestFiles(const QByteArray &folder);
    LargestFilesView *largestFilesView() const { return m_largestFilesView; }
    void unableToDeleteItems(const AnalysisSession::TrashFailures &failures);

    // The rows table's cells report here with their row number.
    void didSelectSector(const std::shared_ptr<DynamicStackedViewSector> &sector, qint64 row) override;
    void didRemoveSelectionInRow(qint64 row) override;
    void willOpenMenuForSector(const std::shared_ptr<DynamicStackedViewSector> &sector, qint64 row) override;
    // Reveals the folder of the sector whose menu opened last.
    void showInFinderFromStack();
    // Reveals the entry whose context menu opened last in the file list.
    void showInFinder();
    // A row click on the file list: toggles an ordinary row's mark; refuses a system row.
    // Always false: no row is ever shown selected.
    bool tableViewShouldSelectRow(int row);

    // The removal panel.
    void showTrash();
    void hideTrash();
    RemovalPanel *removalPanel() const;

    // The menus of sectors and of listed entries (of the file list and of the largest files).
    QMenu *stackedMenu() const { return m_stackedMenu; }
    QMenu *fileTableMenu() const { return m_fileTableMenu; }
    // The item of stackedMenu that reveals the folder of the sector whose menu opened.
    QAction *showInFinderAction() const { return m_showInFinderAction; }
    OrvSpinnerView *spinner() const { return m_spinner; }

    // Seams.
    void setFolderChooser(std::unique_ptr<FolderChooser> chooser);
    void setFileChooser(std::unique_ptr<FileChooser> chooser);
    void setAlertPresenter(std::unique_ptr<AlertPresenter> presenter);
    void setFileManager(std::unique_ptr<FileManager> fileManager);
    void setWebBrowser(std::shared_ptr<WebBrowser> browser);
    std::shared_ptr<WebBrowser> webBrowser() const { return m_webBrowser; }

    // Set-up, appearance and share.
    static constexpr int imageStartOffset = 100;
    static constexpr int imageRestOffset = -40;
    static constexpr int textStartOffset = -20;
    static constexpr int textRestOffset = -120;
    static constexpr int welcomeAnimationMs = 350;
    static constexpr double legendStripRadius = 4;
    static constexpr double panelMaskRadius = 6;

    // Recolours the separators and the spinner; the same appearance again changes nothing.
    void setCurrentAppearance(Appearance appearance);
    std::optional<Appearance> windowAppearance() const { return m_windowAppearance; }
    // The spinner's colour for the current appearance.
    QColor spinnerColor() const;
    // An opaque rounded rectangle of `size` points on a transparent ground, as a bitmap of
    // `size` × the device pixel ratio of the window showing this view (1 while none does).
    QImage maskedImageForSize(const QSizeF &size, qreal radius) const;
    static QImage maskedImage(const QSizeF &size, qreal radius, qreal scale);
    // Opens the vendor's share page with the application name and the reclaimed total.
    void shareResults();
    int imageAnimationConstrain() const { return m_imageAnimationConstrain; }
    void setImageAnimationConstrain(int offset);
    int textAnimationConstrain() const { return m_textAnimationConstrain; }
    void setTextAnimationConstrain(int offset);
    // The running welcome animation, none between two runs of it.
    QParallelAnimationGroup *welcomeAnimation() const { return m_welcomeAnimation; }

protected:
    // Tab and Shift+Tab visit, in reading order, the shown ones of: the header's buttons, the
    // chart (one stop, at its current bar; Up and Down move between bars), the file list, the
    // trash button and the share button.
    bool focusNextPrevChild(bool next) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // What the session's state shows, hides and enables.
    void applyState();
    void reloadRowsTable(int from);
    void refreshBars();
    VisualDataCell *makeRowCell(int row);
    void showEntries();
    void updateRemovalPanel();
    void showCounts();
    QList<QWidget *> focusOrder() const;
    // Gives the focus to `widget` for the program, not the user: with the ring of the keyboard's
    // focus only where the keyboard has been used.
    void placeFocus(QWidget *widget);
    // Keeps the focus on something shown: after a change of state, the hidden widget keeps it, or
    // nothing has it.
    void ensureFocus();
    void setUpScans();
    void setUpMenus();
    void setUpLargestFiles();
    // Shows the Largest Files view while the session has a list open, else the file list.
    void showLargestFilesView();
    void entryMenuAboutToOpen(RightClickTable *table, int row);
    void entryDoubleClicked(int row);
    static void copyPath(const QByteArray &path);
    // What the header says of the scan in view and of the one it is compared with.
    void showScanNote();
    void scanFileFailed(AnalysisSession::ScanTask task, const QByteArray &file, const ScanFileError &error);

    void awakeFromNib();
    void setUpFileList();
    void viewWillAppear();
    void viewWillDisappear();
    void setWelcomeAlpha(double alpha);
    void runWelcomeAnimation();
    void stopWelcomeAnimation();

    std::unique_ptr<Ui::StorageWindowController> ui;
    AnalysisSession *m_session;
    QMenu *m_stackedMenu;
    QMenu *m_fileTableMenu;
    QAction *m_showInFinderAction = nullptr;
    std::array<QAction *, 3> m_sectorActions {}; // those that need the folder to be here
    QAction *m_revealEntryAction = nullptr;
    QAction *m_entryOpenAction = nullptr;
    QAction *m_entryCopyAction = nullptr;
    QAction *m_entryLargestAction = nullptr;
    QAction *m_entryTrashAction = nullptr;
    AnalysisSession::Entry m_menuEntry; // the entry whose menu opened last
    QPointer<const RightClickTable> m_menuTable; // and its list
    LargestFilesView *m_largestFilesView = nullptr;
    QLabel *m_scanNote = nullptr;
    QToolButton *m_endComparisonButton = nullptr;
    OrvSpinnerView *m_spinner = nullptr; // child widget inside the loader
    OrvSpinnerView *m_listingSpinner = nullptr;
    QFrame *m_listingIndicator = nullptr;
    std::optional<QByteArray> m_menuFolder; // the folder of the sector whose menu opened last

    std::unique_ptr<FolderChooser> m_folderChooser;
    std::unique_ptr<FileChooser> m_fileChooser;
    std::unique_ptr<AlertPresenter> m_alertPresenter;
    std::unique_ptr<FileManager> m_fileManager;
    std::shared_ptr<WebBrowser> m_webBrowser;

    std::optional<Appearance> m_windowAppearance;
    bool m_restyling = false;
    std::array<WelcomeFadeEffect *, 3> m_welcomeFades {}; // image, title, description
    QPointer<QParallelAnimationGroup> m_welcomeAnimation;
    int m_imageAnimationConstrain = imageRestOffset;
    int m_textAnimationConstrain = textRestOffset;
};

} // namespace corvale
