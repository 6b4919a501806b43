// StorageWindowController: scan files as the window offers them (open, save, compare), the note in
// the header on the scan in view, the change column, and what the window tells when a scan file
// cannot be read or written.

#include "StorageWindowController.h"

#include "AlertPresenter.h"
#include "FileChooser.h"
#include "FileListModel.h"
#include "PathBytes.h"
#include "RightClickTable.h"
#include "ui_StorageWindowController.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QTextDocument>
#include <QToolButton>

namespace corvale {

namespace {

QString scanDate(const ScanMetadata &metadata)
{
    if (!metadata.timestamp)
        return StorageWindowController::tr("an unknown date");
    return QLocale().toString(QDateTime::fromSecsSinceEpoch(*metadata.timestamp), QLocale::ShortFormat);
}

QString programOf(const ScanMetadata &metadata)
{
    return metadata.program.empty() ? StorageWindowController::tr("an unknown program")
                                    : QString::fromStdString(metadata.program);
}

} // namespace

void StorageWindowController::setUpScans()
{
    auto *noteLayout = new QHBoxLayout;
    noteLayout->setSpacing(8);
    m_scanNote = new QLabel(this);
    m_scanNote->setObjectName(QStringLiteral("scanNote"));
    m_scanNote->setTextFormat(Qt::PlainText);
    // A long note is cut rather than widening the window.
    m_scanNote->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_scanNote->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_endComparisonButton = new QToolButton(this);
    m_endComparisonButton->setObjectName(QStringLiteral("endComparisonButton"));
    m_endComparisonButton->setText(tr("End Comparison"));
    m_endComparisonButton->setIcon(QIcon::fromTheme(QStringLiteral("window-close")));
    m_endComparisonButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_endComparisonButton->setAutoRaise(true);
    noteLayout->addWidget(m_scanNote, 1);
    noteLayout->addWidget(m_endComparisonButton);
    noteLayout->addStretch(0);
    ui->titleLayout->addLayout(noteLayout);
    connect(m_endComparisonButton, &QToolButton::clicked, this, &StorageWindowController::endComparison);

    ui->fileTableView->setColumnHidden(FileListModel::ChangeColumn, true);

    connect(m_session, &AnalysisSession::comparisonChanged, this, [this] {
        ui->fileTableView->setColumnHidden(FileListModel::ChangeColumn, !m_session->comparedScan());
        showScanNote();
    });
    connect(m_session, &AnalysisSession::scanFileFailed, this, &StorageWindowController::scanFileFailed);
}

void StorageWindowController::openScan()
{
    if (const auto file = m_fileChooser->chooseFileToOpen(this, tr("Open a Scan")))
        openScanFile(*file);
}

void StorageWindowController::saveScan()
{
    if (m_session->state() != AnalysisSession::State::Result || m_session->isSaving())
        return;
    QString name = QFile::decodeName(bytes(lastPathComponent(view(m_session->rootPath()))));
    if (name == QLatin1String("/"))
        name = tr("root", "the name offered for a scan of the whole file system");
    const QString suggested
        = QDir::home().filePath(tr("%1 %2.json", "a saved scan's name: the folder's name and today's date")
                                    .arg(name, QDate::currentDate().toString(Qt::ISODate)));
    if (const auto file = m_fileChooser->chooseFileToSave(this, tr("Save the Scan"), suggested))
        m_session->saveScan(*file);
}

void StorageWindowController::compareWithScan()
{
    if (m_session->state() != AnalysisSession::State::Result)
        return;
    if (const auto file = m_fileChooser->chooseFileToOpen(this, tr("Compare With an Earlier Scan")))
        m_session->compareWithScan(*file);
}

void StorageWindowController::showScanNote()
{
    QStringList lines;
    const bool result = m_session->state() == AnalysisSession::State::Result;
    if (const auto &scan = m_session->scan(); scan && result) {
        const QString made = tr("Opened from a scan made by %1 on %2")
                                 .arg(programOf(scan->metadata), scanDate(scan->metadata));
        lines << (m_session->isScannedFolderHere()
                ? made
                : tr("%1. Its folder is not on this computer, so moving to the Trash is off.").arg(made));
        if (m_session->lacksDiskUsage())
            lines << tr("The scan holds no disk usage: sizes are apparent sizes.");
    }
    if (result && m_session->isReadingComparison()) {
        lines << tr("Reading the earlier scan…");
    } else if (const auto &earlier = m_session->comparedScan(); earlier && result) {
        const QByteArray earlierFolder = bytes(earlier->root->path());
        lines << (earlierFolder == m_session->rootPath()
                ? tr("Changes since the scan of %1").arg(scanDate(earlier->metadata))
                : tr("Changes since the scan of %1, made of %2")
                      .arg(scanDate(earlier->metadata), QFile::decodeName(earlierFolder)));
    }
    const QString text = lines.join(QLatin1Char('\n'));
    m_scanNote->setText(text);
    // No wider than its text, so that the button stands right after it.
    m_scanNote->setMaximumWidth(m_scanNote->sizeHint().width());
    m_scanNote->setToolTip(Qt::convertFromPlainText(text));
    m_scanNote->setVisible(!text.isEmpty());
    m_endComparisonButton->setVisible(
        result && (m_session->isReadingComparison() || m_session->comparedScan()));
}

void StorageWindowController::scanFileFailed(
    AnalysisSession::ScanTask task, const QByteArray &file, const ScanFileError &error)
{
    using Kind = ScanFileError::Kind;
    QString headline;
    if (task == AnalysisSession::ScanTask::Save) {
        headline = tr("The scan could not be saved");
    } else {
        switch (error.kind) {
        case Kind::NotAScanFile:
            headline = tr("This is not a scan file");
            break;
        case Kind::UnsupportedVersion:
            headline = tr("The scan file is of a format Corvale cannot read");
            break;
        case Kind::Malformed:
            headline = tr("The scan file is damaged");
            break;
        case Kind::Truncated:
            headline = tr("The scan file is incomplete");
            break;
        case Kind::TooLarge:
            headline = tr("The scan file holds more than Corvale can open");
            break;
        default:
            headline = tr("The scan file could not be read");
            break;
        }
    }
    m_alertPresenter->runModal(this,
        {headline,
            tr("%1\n\n%2", "the file's path, and what went wrong")
                .arg(QFile::decodeName(file), QString::fromStdString(error.message)),
            {tr("OK")}});
}

} // namespace corvale
