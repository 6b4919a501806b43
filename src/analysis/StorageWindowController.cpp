#include "StorageWindowController.h"

#include "AlertPresenter.h"
#include "ByteCount.h"
#include "FileManager.h"
#include "FolderAttributes.h"
#include "FolderChooser.h"
#include "FolderVisualData.h"
#include "OrvSpinnerView.h"
#include "ui_StorageWindowController.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>

namespace corvale {

StorageWindowController::StorageWindowController(QWidget *parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::StorageWindowController>())
    , m_stackedMenu(new QMenu(this))
    , m_fileTableMenu(new QMenu(this))
    , m_folderChooser(std::make_unique<SystemFolderChooser>())
    , m_link(std::make_shared<AnalysisRun::Link>(this))
    , m_fileManager(std::make_unique<SystemFileManager>([this](const QString &message) {
        m_alertPresenter->runModal(this, {message, {}, {tr("OK")}});
    }))
{
    ui->setupUi(this);

    ui->splitter->setStretchFactor(0, 3);
    ui->splitter->setStretchFactor(1, 2);
    ui->tableView->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
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
    ui->fileArea->installEventFilter(this);
    ui->fileTableView->installEventFilter(this);
    ui->deleteView->raise();
    placeTrashPanel();
    setUpFileList();

    // Before the first run: the welcome view alone.
    ui->chartView->hide();
    ui->stopButton->hide();
    ui->loader->hide();
    ui->labelReclaim->hide();
    ui->fieldReclaim->hide();
    ui->buttonReclaim->hide();
    ui->trashButton->setEnabled(false);

    connect(
        ui->selectFolderMainButton, &QAbstractButton::clicked, this, &StorageWindowController::selectFolder);
    connect(
        ui->selectFolderSecondaryButton, &QPushButton::clicked, this, &StorageWindowController::selectFolder);
    connect(ui->selectFolderButton, &QPushButton::clicked, this, &StorageWindowController::selectFolder);
    connect(ui->refreshButton, &QPushButton::clicked, this, &StorageWindowController::updateFolder);
    connect(ui->stopButton, &QPushButton::clicked, this, &StorageWindowController::stopSearch);

    awakeFromNib();
}

StorageWindowController::~StorageWindowController()
{
    // A walk may still run on the pool: it must neither reach this object nor keep the CPU busy.
    m_link->cut();
    if (m_visualData)
        m_visualData->requestStop();
}

void StorageWindowController::setTableData(std::vector<Sectors> rows, QList<QByteArray> paths)
{
    Q_ASSERT(rows.size() == size_t(paths.size()));
    m_tableData = std::move(rows);
    m_pathsData = std::move(paths);
    reloadRowsTable();
}

QColor StorageWindowController::spinnerColor() const
{
    if (m_windowAppearance == Appearance::VibrantDark)
        return QColor::fromRgbF(1, 1, 1, 0.6f);
    return QColor::fromRgbF(0, 0, 0, 0.3f);
}

void StorageWindowController::setFolderChooser(std::unique_ptr<FolderChooser> chooser)
{
    m_folderChooser = std::move(chooser);
}

// The spinner is optional: while none is held the run goes on with the loader alone.
void StorageWindowController::startSpinner()
{
    if (!m_spinner)
        return;
    m_spinner->setColor(spinnerColor());
    m_spinner->startAnimating();
}

void StorageWindowController::stopSpinner()
{
    if (m_spinner)
        m_spinner->stopAnimating();
}

void StorageWindowController::setTrashAnimationConstrain(int offset)
{
    m_trashAnimationConstrain = offset;
    placeTrashPanel();
}

void StorageWindowController::placeTrashPanel()
{
    QWidget *area = ui->fileArea;
    QWidget *panel = ui->deleteView;
    const int margin = 16;
    const int width = qMin(area->width() - 2 * margin, 460);
    const int height = panel->sizeHint().height();
    panel->setGeometry(
        (area->width() - width) / 2, area->height() - m_trashAnimationConstrain - height, width, height);
    // Out of sight it must not take the keyboard focus either.
    panel->setVisible(m_trashAnimationConstrain > -height);
}

bool StorageWindowController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->fileArea && event->type() == QEvent::Resize)
        placeTrashPanel();
    // The separator belongs to the file list: no line across the empty area of a walk.
    if (watched == ui->fileTableView
        && (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent))
        ui->vibrantHR3->setVisible(!ui->fileTableView->isHidden());
    return QWidget::eventFilter(watched, event);
}

} // namespace corvale
