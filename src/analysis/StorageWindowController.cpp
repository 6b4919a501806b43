#include "StorageWindowController.h"

#include "AlertPresenter.h"
#include "ByteCount.h"
#include "DynamicStackedView.h"
#include "DynamicStackedViewBox.h"
#include "FileChooser.h"
#include "FileManager.h"
#include "FolderChooser.h"
#include "LargestFilesView.h"
#include "OrvSpinnerView.h"
#include "RemovalPanel.h"
#include "RowsTable.h"
#include "VisualDataCell.h"
#include "WorkspaceIcons.h"
#include "ui_StorageWindowController.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QMenu>
#include <QTextDocument>
#include <QToolButton>

#include <sys/stat.h>

namespace corvale {

StorageWindowController::StorageWindowController(QWidget *parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::StorageWindowController>())
    , m_session(new AnalysisSession(this))
    , m_stackedMenu(new QMenu(this))
    , m_fileTableMenu(new QMenu(this))
    , m_folderChooser(std::make_unique<SystemFolderChooser>())
    , m_fileChooser(std::make_unique<SystemFileChooser>())
    , m_alertPresenter(std::make_unique<SystemAlertPresenter>())
    , m_fileManager(std::make_unique<SystemFileManager>([this](const QString &message) {
        m_alertPresenter->runModal(this, {message, {}, {tr("OK")}});
    }))
{
    ui->setupUi(this);

    // Paths come from the disk or a scan file: never read as markup.
    ui->titleLabel->setTextFormat(Qt::PlainText);
    ui->splitter->setStretchFactor(0, 3);
    ui->splitter->setStretchFactor(1, 2);
    // Three to two from the start: the file list is hidden until a result, which would otherwise
    // leave it at its minimum width.
    ui->splitter->setSizes({600, 400});
    // A wrapped label inside nested layouts is not asked for its height at its width.
    ui->welcomeDescription->setMinimumHeight(
        ui->welcomeDescription->heightForWidth(ui->welcomeDescription->minimumWidth()));
    ui->welcomeImage->setPixmap(QIcon(QStringLiteral(":/corvale/welcome.svg")).pixmap(QSize(128, 128)));

    // The removal panel floats over the bottom of the file list, outside its layout.
    auto *fileLayout = new QHBoxLayout(ui->fileArea);
    fileLayout->setContentsMargins(0, 0, 0, 0);
    fileLayout->setSpacing(0);
    fileLayout->addWidget(ui->vibrantHR3);
    fileLayout->addWidget(ui->fileTableView);
    ui->deleteView->attach(
        {ui->file1, ui->file2, ui->file3, ui->file4, ui->file5, ui->file6, ui->file7}, ui->trashTotal);
    ui->deleteView->raise();

    connect(
        ui->selectFolderMainButton, &QAbstractButton::clicked, this, &StorageWindowController::selectFolder);
    connect(ui->selectFolderButton, &QPushButton::clicked, this, &StorageWindowController::selectFolder);
    connect(ui->refreshButton, &QPushButton::clicked, this, &StorageWindowController::updateFolder);
    connect(ui->stopButton, &QPushButton::clicked, this, &StorageWindowController::stopSearch);
    // Only while the button is shown, that is while a walk runs.
    ui->stopButton->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(ui->trashButton, &QPushButton::clicked, this, &StorageWindowController::trashSelectedItems);

    connect(m_session, &AnalysisSession::stateChanged, this, &StorageWindowController::applyState);
    connect(m_session, &AnalysisSession::rowsChanged, this, &StorageWindowController::reloadRowsTable);
    connect(m_session, &AnalysisSession::sectorsChanged, this, &StorageWindowController::refreshBars);
    connect(m_session, &AnalysisSession::entriesChanged, this, &StorageWindowController::showEntries);
    connect(m_session, &AnalysisSession::filesToDeleteChanged, this,
        &StorageWindowController::updateRemovalPanel);
    connect(m_session, &AnalysisSession::countsChanged, this, &StorageWindowController::applyState);
    connect(m_session, &AnalysisSession::trashActionFinished, this,
        [this](const AnalysisSession::TrashFailures &failures) {
            if (!failures.empty())
                unableToDeleteItems(failures);
        });

    setUpMenus();
    setUpFileList();
    setUpScans();
    setUpLargestFiles();
    awakeFromNib();
    applyState();
}

StorageWindowController::~StorageWindowController() = default;

void StorageWindowController::applyState()
{
    using State = AnalysisSession::State;
    const State state = m_session->state();
    const bool welcome = state == State::Welcome;
    const bool result = state == State::Result;
    const bool walking = m_session->isWalkStarted();
    const bool reclaimed = result && m_session->reclaimedSpace() > 0;
    const bool largest = result && !m_session->largestFilesFolder().isEmpty();

    // What each state shows. The progress elements follow the walk rather than the state: after a
    // stop they stay until the walk has noticed it (behind the welcome view).
    const std::pair<QWidget *, bool> shown[] = {
        {ui->welcomeView, welcome},
        {ui->chartView, !welcome},
        {ui->selectedFolderItems, !welcome},
        {ui->progressLabel, m_session->isWalkPending()},
        {ui->stopButton, walking},
        {ui->loader, walking},
        {ui->tableView, result},
        {ui->fileTableView, result && !largest},
        {m_largestFilesView, largest},
        // The file list's separator: no line across the empty area of a walk.
        {ui->vibrantHR3, result},
        {ui->selectFolderButton, result},
        {ui->legendView, result},
        {ui->trashButton, result},
        {ui->refreshButton, result},
        {ui->labelReclaim, reclaimed},
        {ui->fieldReclaim, reclaimed},
        {ui->reclaimNote, reclaimed},
        {ui->buttonReclaim, reclaimed},
    };
    for (const auto &[widget, visible] : shown)
        widget->setVisible(visible);
    ui->trashButton->setEnabled(result && !m_session->filesToDelete().empty());
    if (!result)
        hideTrash();

    const QString title = welcome ? QString() : QFile::decodeName(m_session->lastFolder());
    ui->titleLabel->setText(title);
    ui->titleLabel->setToolTip(Qt::convertFromPlainText(title));
    if (welcome)
        ui->selectedFolderIcon->clear();
    else if (walking || result)
        // A scan's folder may be on another computer: no asking the disk what it is.
        ui->selectedFolderIcon->setPixmap(
            (result && m_session->scan() ? iconForEntry(m_session->lastFolder(), true)
                                         : iconForFile(m_session->lastFolder()))
                .pixmap(ui->selectedFolderIcon->size()));

    const std::optional<quint64> progress = m_session->progressItems();
    const QString count = progress ? QLocale().toString(*progress) : QString();
    const bool reading = !m_session->scanFile().isEmpty();
    ui->progressLabel->setText(!walking ? QString()
            : progress
            ? (reading ? tr("Reading the scan... Items: %1") : tr("Analyzing... Items: %1")).arg(count)
            : reading ? tr("Reading the scan...")
                      : tr("Analyzing..."));
    showCounts();
    showScanNote();

    if (m_spinner && walking && !m_spinner->isAnimating()) {
        m_spinner->setColor(spinnerColor());
        m_spinner->startAnimating();
    } else if (m_spinner && !walking) {
        m_spinner->stopAnimating();
    }
    ensureFocus();
}

QList<QWidget *> StorageWindowController::focusOrder() const
{
    VisualDataCell *const chosen = ui->tableView->cell(0);
    QList<QWidget *> reading;
    reading << ui->selectFolderMainButton << ui->stopButton << ui->refreshButton << ui->selectFolderButton
            << (chosen ? chosen->headerButton() : nullptr) << ui->tableView->currentBar() << ui->fileTableView
            << m_largestFilesView->focusOrder() << ui->trashButton << ui->buttonReclaim;
    QList<QWidget *> order;
    for (QWidget *widget : reading) {
        if (widget && widget->isVisibleTo(this) && widget->isEnabled()
            && (widget->focusPolicy() & Qt::TabFocus))
            order << widget;
    }
    return order;
}

bool StorageWindowController::focusNextPrevChild(bool next)
{
    const QList<QWidget *> order = focusOrder();
    QWidget *focused = window()->focusWidget();
    if (order.isEmpty() || !focused || !isAncestorOf(focused))
        return QWidget::focusNextPrevChild(next);
    // Any bar stands for the chart.
    const auto at = std::find_if(order.begin(), order.end(), [&](QWidget *widget) {
        return widget == focused
            || (widget == ui->tableView->currentBar() && ui->tableView->isAncestorOf(focused));
    });
    // One being hidden is no longer in the order: the state's first one then.
    QWidget *target = at == order.end() ? (next ? order.first() : order.last())
        : next                          ? order[(at - order.begin() + 1) % order.size()]
                                        : order[(at - order.begin() + order.size() - 1) % order.size()];
    target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

void StorageWindowController::placeFocus(QWidget *widget)
{
    // Qt marks a window once Tab has moved its focus; a click gives the focus without a ring.
    widget->setFocus(
        window()->testAttribute(Qt::WA_KeyboardFocusChange) ? Qt::OtherFocusReason : Qt::MouseFocusReason);
}

void StorageWindowController::ensureFocus()
{
    const QWidget *focused = window()->focusWidget();
    if (focused && (!isAncestorOf(focused) || focused->isVisibleTo(this)))
        return;
    // A result's first stop is the chart, once it is there.
    QWidget *target = m_session->state() == AnalysisSession::State::Result ? ui->tableView->currentBar()
                                                                           : focusOrder().value(0);
    if (target)
        placeFocus(target);
}

void StorageWindowController::showCounts()
{
    using State = AnalysisSession::State;
    const State state = m_session->state();
    const QLocale locale;
    QString items;
    if (state == State::Result)
        items = tr("%1 · Items: %2", "the chosen folder's size and item count")
                    .arg(byteCountText(m_session->rootSize()), locale.toString(m_session->itemsVisualized()));
    else if (state == State::Walking && m_session->progressItems())
        items = tr("Items: %1").arg(locale.toString(*m_session->progressItems()));
    ui->selectedFolderItems->setText(items);
    // On the disk, only what no name left behind still holds comes back, and only with the trash
    // emptied: the note says both.
    const bool disk = m_session->measure() == Measure::DiskUsage;
    const QString reclaimed
        = byteCountText(disk ? m_session->reclaimedDiskSpace() : m_session->reclaimedSpace());
    ui->fieldReclaim->setText(reclaimed);
    ui->fieldReclaim->setAccessibleName(tr("Reclaimed: %1").arg(reclaimed));
    ui->reclaimNote->setText(disk ? tr("freed when the Trash is emptied; %1 moved is still linked elsewhere")
                                        .arg(byteCountText(m_session->reclaimedLinkedSpace()))
                                  : tr("freed when the Trash is emptied"));
}

void StorageWindowController::selectFolder()
{
    // The last folder analysed, while it is still there; the home folder at first.
    QByteArray start = m_session->lastFolder();
    struct stat st;
    if (start.isEmpty() || ::stat(start.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        start = QFile::encodeName(QDir::homePath());
    if (const std::optional<QByteArray> folder = m_folderChooser->chooseFolder(this, start))
        openFolder(*folder);
}

void StorageWindowController::setFolderChooser(std::unique_ptr<FolderChooser> chooser)
{
    m_folderChooser = std::move(chooser);
}

void StorageWindowController::setFileChooser(std::unique_ptr<FileChooser> chooser)
{
    m_fileChooser = std::move(chooser);
}

void StorageWindowController::setAlertPresenter(std::unique_ptr<AlertPresenter> presenter)
{
    m_alertPresenter = std::move(presenter);
}

void StorageWindowController::setFileManager(std::unique_ptr<FileManager> fileManager)
{
    m_fileManager = std::move(fileManager);
}

QColor StorageWindowController::spinnerColor() const
{
    if (m_windowAppearance == Appearance::VibrantDark)
        return QColor::fromRgbF(1, 1, 1, 0.6f);
    return QColor::fromRgbF(0, 0, 0, 0.3f);
}

} // namespace corvale
