#pragma once

// What the file-list and trash tests of the analysis controller share: real files made at test
// time, entries listed from them as the controller lists a folder, and the seams answered by the
// test.

#include "AlertPresenter.h"
#include "ByteCount.h"
#include "CheckmarkTableCell.h"
#include "ControllerFixture.h"
#include "FileListModel.h"
#include "FileManager.h"
#include "FolderAttributes.h"
#include "RightClickTable.h"
#include "StorageWindowController.h"

#include <QFile>
#include <QTest>

#include <deque>
#include <functional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvale::testing {

using Entry = std::shared_ptr<FolderAttributes>;

// Unlike test::makeFile, written out (not sparse) and named by the kernel's bytes.
inline QByteArray makeFile(const QByteArray &path, qsizetype size)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0)
        qFatal("cannot create %s", path.constData());
    const QByteArray content(size, 'x');
    if (::write(fd, content.constData(), size_t(size)) != size)
        qFatal("cannot write %s", path.constData());
    ::close(fd);
    return path;
}

inline void makeFolder(const QByteArray &path)
{
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        qFatal("cannot create %s", path.constData());
}

// A loose file as the list shows it: its own size, count 1.
inline Entry fileEntry(const QByteArray &path)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        qFatal("no %s", path.constData());
    auto entry = std::make_shared<FolderAttributes>();
    entry->path = path.toStdString();
    entry->name = path.mid(path.lastIndexOf('/') + 1).toStdString();
    entry->isDir = false;
    entry->size = quint64(st.st_size);
    entry->sizeText = byteCountText(entry->size).toStdString();
    entry->count = 1;
    return entry;
}

// A sub-folder as the list shows it: the walk's size and item count, plus itself.
inline Entry folderEntry(const QByteArray &path, quint64 size, quint64 items)
{
    auto entry = fileEntry(path);
    entry->isDir = true;
    entry->size = size;
    entry->sizeText = byteCountText(size).toStdString();
    entry->count = items + 1;
    return entry;
}

using test::names;

// Answers alerts in place of the modal box, recording each; with no answer queued, the first
// button.
class ScriptedAlerts : public AlertPresenter
{
public:
    int runModal(QWidget *, const Alert &alert) override
    {
        shown.push_back(alert);
        if (whenShown)
            whenShown();
        if (answers.empty())
            return FirstButton;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::vector<Alert> shown;
    std::deque<int> answers;
    std::function<void()> whenShown; // looks at the window while the alert is up
};

class RecordingFileManager : public FileManager
{
public:
    void showItems(const QList<QByteArray> &paths) override { calls.append(paths); }
    QList<QList<QByteArray>> calls;
};

// The file table of a controller, with the positions a user clicks.
struct FileTable
{
    RightClickTable *table;

    FileListModel *model() const { return static_cast<FileListModel *>(table->model()); }
    QRect cell(int row, int column) const { return table->visualRect(model()->index(row, column)); }
    QPoint checkBoxOf(int row) const
    {
        return CheckmarkTableCell::layout(cell(row, 0), table->layoutDirection(), table->style(), table)
            .checkBox.center();
    }
    void click(QPoint pos, Qt::MouseButton button = Qt::LeftButton) const
    {
        QTest::mouseClick(table->viewport(), button, {}, pos);
    }
    void clickRow(int row) const { click(cell(row, FileListModel::SizeColumn).center()); }
    void clickCheckBox(int row) const { click(checkBoxOf(row)); }
};

} // namespace corvale::testing
