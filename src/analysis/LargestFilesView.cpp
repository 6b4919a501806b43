#include "LargestFilesView.h"

#include "ByteCount.h"
#include "FileListModel.h"
#include "PathBytes.h"
#include "RightClickTable.h"

#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvale {

LargestFilesView::LargestFilesView(AnalysisSession *session, QWidget *parent)
    : QWidget(parent)
    , m_session(session)
    , m_title(new QLabel(this))
    , m_status(new QLabel(this))
    , m_stopButton(new QPushButton(QIcon::fromTheme(QStringLiteral("process-stop")), tr("Stop"), this))
    , m_closeButton(new QToolButton(this))
    , m_table(new RightClickTable(this))
    , m_checked(new QLabel(this))
    , m_trashButton(
          new QPushButton(QIcon::fromTheme(QStringLiteral("user-trash")), tr("Move to Trash"), this))
{
    setObjectName(QStringLiteral("largestFilesView"));
    // Names come from the disk: never read as markup.
    m_title->setTextFormat(Qt::PlainText);
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_title->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_stopButton->setToolTip(tr("Stop searching (Esc)"));
    m_stopButton->setShortcut(QKeySequence(Qt::Key_Escape));
    m_closeButton->setIcon(QIcon::fromTheme(QStringLiteral("window-close")));
    m_closeButton->setText(tr("Close"));
    m_closeButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_closeButton->setAutoRaise(true);
    m_closeButton->setAccessibleName(tr("Close Largest Files"));
    m_closeButton->setToolTip(tr("Back to the folder's contents"));
    m_table->setAccessibleName(tr("Largest files"));
    m_table->setAlternatingRowColors(true);
    m_table->setModel(session->largestFilesModel());
    m_table->setColumnHidden(FileListModel::ShareColumn, true);
    m_table->setColumnHidden(FileListModel::ChangeColumn, true);
    m_table->horizontalHeader()->resizeSection(FileListModel::FolderColumn, 170);
    m_trashButton->setAccessibleDescription(tr("Moves the checked files to the Trash"));
    m_checked->setAccessibleDescription(tr("The total size of the checked files"));

    auto *header = new QHBoxLayout;
    header->setContentsMargins(10, 0, 4, 0);
    header->setSpacing(8);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(m_title);
    texts->addWidget(m_status);
    header->addLayout(texts, 1);
    header->addWidget(m_stopButton);
    header->addWidget(m_closeButton);
    auto *footer = new QHBoxLayout;
    footer->setContentsMargins(10, 0, 4, 0);
    footer->addWidget(m_checked, 1);
    footer->addWidget(m_trashButton);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addLayout(header);
    layout->addWidget(m_table, 1);
    layout->addLayout(footer);

    FileListModel *model = session->largestFilesModel();
    connect(m_table, &RightClickTable::rowClicked, model, &FileListModel::toggle);
    const auto trashChecked = [this, model] { Q_EMIT trashRequested(model->checkedEntries()); };
    connect(m_table, &RightClickTable::deleteRequested, this, trashChecked);
    connect(m_trashButton, &QPushButton::clicked, this, trashChecked);
    connect(m_stopButton, &QPushButton::clicked, session, &AnalysisSession::stopLargestFiles);
    connect(m_closeButton, &QToolButton::clicked, session, &AnalysisSession::closeLargestFiles);
    connect(session, &AnalysisSession::largestFilesChanged, this, &LargestFilesView::showSearch);
    // Marks, moves and the measure change what the checked files come to.
    connect(model, &FileListModel::checkMarksChanged, this, &LargestFilesView::showChecked);
    connect(model, &FileListModel::modelReset, this, &LargestFilesView::showChecked);
    connect(model, &FileListModel::rowsRemoved, this, &LargestFilesView::showChecked);
    connect(model, &FileListModel::dataChanged, this, &LargestFilesView::showChecked);
    showSearch();
}

QList<QWidget *> LargestFilesView::focusOrder() const
{
    return {m_stopButton, m_closeButton, m_table, m_trashButton};
}

void LargestFilesView::showSearch()
{
    const QLocale locale;
    const QByteArray folder = m_session->largestFilesFolder();
    m_title->setText(
        tr("Largest Files in “%1”").arg(QFile::decodeName(bytes(lastPathComponent(view(folder))))));
    m_title->setToolTip(QFile::decodeName(folder));
    const std::optional<quint64> items = m_session->largestFilesItems();
    const QString count = locale.toString(items.value_or(0));
    QString status;
    if (m_session->isFindingLargestFiles())
        status = items ? tr("Searching… Items: %1").arg(count) : tr("Searching…");
    else if (!m_session->largestFilesComplete())
        status = tr("Stopped after %1 items: the largest files found so far").arg(count);
    else if (m_session->largestFilesModel()->rowCount() == 0)
        status = tr("No files in this folder");
    else
        status = tr("The largest files among %1 items").arg(count);
    m_status->setText(folder.isEmpty() ? QString() : status);
    m_stopButton->setVisible(m_session->isFindingLargestFiles());
    showChecked();
}

void LargestFilesView::showChecked()
{
    const FileListModel *model = m_session->largestFilesModel();
    const AnalysisSession::Entries checked = model->checkedEntries();
    quint64 total = 0;
    for (const auto &entry : checked)
        total += sizeIn(model->measure(), *entry);
    m_trashButton->setEnabled(!checked.empty());
    m_checked->setText(checked.empty()
            ? QString()
            : tr("%1 checked: %2").arg(QLocale().toString(qulonglong(checked.size())), byteCountText(total)));
    m_checked->setAccessibleName(tr("Checked for the Trash: %1").arg(byteCountText(total)));
}

} // namespace corvale
