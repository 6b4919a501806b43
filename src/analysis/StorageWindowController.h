#pragma once

#include "AnalysisRun.h"
#include "Appearance.h"
#include "DynamicStackedViewSector.h"
#include "TrashMover.h"
#include "VisualDataCellDelegate.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QList>
#include <QParallelAnimationGroup>
#include <QPointer>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QMenu;
class QPropertyAnimation;

namespace corvale {

struct FolderAttributes;
class AlertPresenter;
class FileListModel;
class FileManager;
class FolderChooser;
class FolderVisualData;
class OrvSpinnerView;
class VisualDataCell;
class WebBrowser;
class WelcomeFadeEffect;

namespace Ui {
class StorageWindowController;
}

// The analysis window's content and the owner of everything an analysis produces: the drill-down
// rows, the file list, the removal selection, the palette and the scanner of the current run.
//
// A run is one task on the global thread pool (see AnalysisRun); it talks to this controller
// only through queued calls tagged with the run's number, so a late report of an older run never
// touches the window of a newer one. Everything here lives on the GUI thread. The window has four
// states: welcome (before the first run and after a stop), walking, result.
class StorageWindowController : public QWidget, public VisualDataCellDelegate
{
    Q_OBJECT
    // The removal panel's bottom offset inside the file list area: -100 out of sight, 24 shown.
    Q_PROPERTY(int trashAnimationConstrain READ trashAnimationConstrain WRITE setTrashAnimationConstrain)
    // Where the welcome image and texts are drawn, in points, downwards; at imageRestOffset and
    // textRestOffset they stand where the layout put them. The welcome animation lifts them there.
    Q_PROPERTY(int imageAnimationConstrain READ imageAnimationConstrain WRITE setImageAnimationConstrain)
    Q_PROPERTY(int textAnimationConstrain READ textAnimationConstrain WRITE setTextAnimationConstrain)

public:
    using Entries = std::vector<std::shared_ptr<FolderAttributes>>;

    static constexpr int TrashHiddenOffset = -100;
    static constexpr int TrashShownOffset = 24;

    explicit StorageWindowController(QWidget *parent = nullptr);
    ~StorageWindowController() override;

    // Actions.
    void selectFolder();
    void updateFolder();
    void stopSearch();
    void doCleanup();
    // Starts a run on `path` as if it had been chosen in the folder chooser.
    void openFolder(const QByteArray &path);

    // The end of every run, also a stopped one (nothing then).
    void processData(std::shared_ptr<FolderVisualData> tree);

    // Recomputes each sector's share (of the row's own total) and size text from its node's size,
    // in place; returns the same records.
    static Sectors updateDataInSectors(const Sectors &sectors);

    void showTrash();
    void hideTrash();
    int trashAnimationConstrain() const { return m_trashAnimationConstrain; }
    void setTrashAnimationConstrain(int offset);

    // The model.
    const std::vector<Sectors> &tableData() const { return m_tableData; }
    const QList<QByteArray> &pathsData() const { return m_pathsData; }
    // Rows and their paths go together: one path per row.
    void setTableData(std::vector<Sectors> rows, QList<QByteArray> paths);
    const Entries &directoryItems() const { return m_directoryItems; }
    void setDirectoryItems(Entries items);
    const Entries &filesToDelete() const { return m_filesToDelete; }
    const std::optional<QByteArray> &urlToOpenInFinder() const { return m_urlToOpenInFinder; }
    QMenu *stackedMenu() const { return m_stackedMenu; }
    QMenu *fileTableMenu() const { return m_fileTableMenu; }
    // Pairs 1 to 10 of the size ladder's palette.
    QColor paletteColor(int pair) const { return m_colors.at(pair - 1); }
    QColor paletteHighlightColor(int pair) const { return m_highlightColors.at(pair - 1); }
    const std::shared_ptr<FolderVisualData> &visualData() const { return m_visualData; }
    const QByteArray &lastFolder() const { return m_lastFolder; }
    OrvSpinnerView *spinner() const { return m_spinner; }
    bool wasReduced() const { return m_wasReduced; }
    quint64 itemsVisualized() const { return m_itemsVisualized; }
    quint64 reclaimedSpace() const { return m_reclaimedSpace; }

    std::optional<Appearance> windowAppearance() const { return m_windowAppearance; }
    void setWindowAppearance(std::optional<Appearance> appearance) { m_windowAppearance = appearance; }
    // The spinner's colour for the current appearance.
    QColor spinnerColor() const;

    // The number of the latest run (0 before the first) and that run's task side.
    quint64 runNumber() const { return m_runNumber; }
    std::shared_ptr<AnalysisRun> currentRun() const { return m_currentRun; }

    // Seams. The controller owns the chooser; the hook is handed to every later run.
    void setFolderChooser(std::unique_ptr<FolderChooser> chooser);
    void setReportHook(AnalysisRun::ReportHook hook) { m_reportHook = std::move(hook); }

    // Presentation and drill-down.
    // The rows table's cells report here with their row number.
    void didSelectSector(const std::shared_ptr<DynamicStackedViewSector> &sector, qint64 row) override;
    void didRemoveSelectionInRow(qint64 row) override;
    void willOpenMenuForSector(const std::shared_ptr<DynamicStackedViewSector> &sector, qint64 row) override;
    // Lists the folder of `sector` (the chosen folder when null) without touching the rows.
    void didSelectSectorSilently(const std::shared_ptr<DynamicStackedViewSector> &sector, qint64 row);
    // Reveals the folder of the sector whose menu opened last.
    void showInFinderFromStack();
    // Row building: one sector per child of `folder` in its order, then a grey "Files" sector for
    // what the shares leave; appends one folder entry per child to `entries`.
    Sectors buildRow(const FolderVisualData &folder, Entries &entries);
    // One entry per direct non-folder entry of `folder`, in the file system's order; a link is
    // measured itself, and one to a folder is left out.
    static void listLooseFiles(const QByteArray &folder, Entries &entries);
    static std::shared_ptr<FolderAttributes> folderEntry(const FolderVisualData &folder);
    // The pair of the palette that the size ladder gives a folder of `bytes`.
    static int colorPairForSize(quint64 bytes);
    void setFileManager(std::unique_ptr<FileManager> fileManager);

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
    // An opaque rounded rectangle of `size` points on a transparent ground, as a bitmap of
    // `size` × the device pixel ratio of the window showing this view (1 while none does).
    QImage maskedImageForSize(const QSizeF &size, qreal radius) const;
    static QImage maskedImage(const QSizeF &size, qreal radius, qreal scale);
    // Opens the vendor's share page with the application name and the reclaimed total.
    void shareResults();
    std::shared_ptr<WebBrowser> webBrowser() const { return m_webBrowser; }
    void setWebBrowser(std::shared_ptr<WebBrowser> browser);
    // The one item of stackedMenu; it reveals the folder of the sector whose menu opened.
    QAction *showInFinderAction() const { return m_showInFinderAction; }
    int imageAnimationConstrain() const { return m_imageAnimationConstrain; }
    void setImageAnimationConstrain(int offset);
    int textAnimationConstrain() const { return m_textAnimationConstrain; }
    void setTextAnimationConstrain(int offset);
    // The running welcome animation, none between two runs of it.
    QParallelAnimationGroup *welcomeAnimation() const { return m_welcomeAnimation; }

    // File list and removal.
    static constexpr int TrashSlots = 7;
    static constexpr int TrashSlideMs = 200;

    FileListModel *fileListModel() const { return m_fileListModel; }
    // Replaces the checked entries; the marks of the listed entries with the same paths follow.
    void setFilesToDelete(Entries entries);
    // A row click on the file list: toggles an ordinary row's mark (which rebuilds the removal
    // selection once); refuses a system row. Always false: no row is ever shown selected.
    bool tableViewShouldSelectRow(int row);
    // Rebuilds filesToDelete from the marks in row order, and the removal panel with it.
    void fileSelectionsChanged();
    // The panel's icons of the first seven checked entries and the total of all of them.
    void processFilesImages();
    // Reveals the entry whose context menu opened last in the file manager.
    void showInFinder();
    // Moves every checked entry to the trash, each in its own task on the global pool.
    void trashSelectedItems();
    // Subtracts a removed item from every chart row, then reloads both tables.
    void removeLinkToUrl(const QByteArray &path, quint64 size, bool isDir);
    // Adjusts one sector's node for a removed item; `secondRun` changes nothing.
    static std::shared_ptr<DynamicStackedViewSector> removeLinkToUrlProcessor(const QByteArray &path,
        const std::shared_ptr<DynamicStackedViewSector> &sector, quint64 size, bool isDir,
        bool secondRun = false);
    // Names each failed entry with why it failed, when `results` (one per entry) say.
    void unableToDeleteItems(const Entries &items, const std::vector<TrashMover::Result> &results = {});
    void setAlertPresenter(std::unique_ptr<AlertPresenter> presenter);
    // Trash actions whose last completion has not run yet.
    int trashActionsRunning() const { return m_trashActionsRunning; }

Q_SIGNALS:
    // After every rebuild of filesToDelete.
    void filesToDeleteChanged();
    // After the last completion of a trash action (and its failure alert, if any).
    void trashActionFinished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    friend class AnalysisRun;

    // Queued from a run's task; each first checks that the run is still the current one.
    void walkStarted(quint64 run, const QByteArray &path);
    void showProgress(quint64 run, quint64 items);
    void walkEnded(quint64 run, std::shared_ptr<FolderVisualData> tree);
    bool isLiveRun(quint64 run) const { return run == m_runNumber && !m_runStopped; }

    void reloadFileTable();
    void reloadRowsTable();
    void startSpinner();
    void stopSpinner();
    void placeTrashPanel();

    std::unique_ptr<Ui::StorageWindowController> ui;

    std::vector<Sectors> m_tableData;
    QList<QByteArray> m_pathsData;
    Entries m_directoryItems;
    Entries m_filesToDelete;
    std::optional<QByteArray> m_urlToOpenInFinder;
    QMenu *m_stackedMenu = nullptr;
    QMenu *m_fileTableMenu = nullptr;
    std::array<QColor, 10> m_colors;
    std::array<QColor, 10> m_highlightColors;
    std::shared_ptr<FolderVisualData> m_visualData;
    QByteArray m_lastFolder;
    OrvSpinnerView *m_spinner = nullptr; // child widget inside the loader, once there is one
    bool m_wasReduced = false;
    quint64 m_itemsVisualized = 0;
    quint64 m_reclaimedSpace = 0;
    std::optional<Appearance> m_windowAppearance;
    int m_trashAnimationConstrain = TrashHiddenOffset;

    std::unique_ptr<FolderChooser> m_folderChooser;
    std::shared_ptr<AnalysisRun::Link> m_link;
    std::shared_ptr<AnalysisRun> m_currentRun;
    AnalysisRun::ReportHook m_reportHook;
    quint64 m_runNumber = 0;
    bool m_runStopped = false;

    // Presentation and drill-down.
    void clearFilesToDelete();
    void listEntries(Entries entries);
    // The silent refill without its reload of the file list.
    void listSectorSilently(const std::shared_ptr<DynamicStackedViewSector> &sector);
    VisualDataCell *makeRowCell(int row);
    std::unique_ptr<FileManager> m_fileManager;

    // Set-up, appearance and share.
    void awakeFromNib();
    void viewWillAppear();
    void viewWillDisappear();
    void setWelcomeAlpha(double alpha);
    void runWelcomeAnimation();
    void stopWelcomeAnimation();
    bool m_restyling = false;

    QAction *m_showInFinderAction = nullptr;
    std::shared_ptr<WebBrowser> m_webBrowser;
    std::array<WelcomeFadeEffect *, 3> m_welcomeFades {}; // image, title, description
    QPointer<QParallelAnimationGroup> m_welcomeAnimation;
    int m_imageAnimationConstrain = imageRestOffset;
    int m_textAnimationConstrain = textRestOffset;

    // File list and removal.
    struct TrashAction;
    void setUpFileList();
    void updateRemovalPanel();
    void trashFinished(
        const std::shared_ptr<TrashAction> &action, const std::shared_ptr<FolderAttributes> &entry, bool ok);

    FileListModel *m_fileListModel = nullptr;
    QPropertyAnimation *m_trashAnimation = nullptr;
    std::unique_ptr<AlertPresenter> m_alertPresenter;
    // Entries handed to a move that has not completed: a second press does not move them again.
    std::vector<std::shared_ptr<FolderAttributes>> m_entriesInFlight;
    int m_trashActionsRunning = 0;
};

} // namespace corvale
