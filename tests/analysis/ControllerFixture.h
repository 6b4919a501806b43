#pragma once

// The analysis window with our seams answered by the test, real files made at test time, and names
// read back from the window.

#include "AlertPresenter.h"
#include "AnalysisSession.h"
#include "ByteCount.h"
#include "CheckmarkTableCell.h"
#include "DynamicStackedView.h"
#include "DynamicStackedViewBox.h"
#include "FileListModel.h"
#include "FileManager.h"
#include "FolderAttributes.h"
#include "FolderChooser.h"
#include "RemovalPanel.h"
#include "RightClickTable.h"
#include "StorageWindowController.h"
#include "VisualDataCell.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMenu>
#include <QSemaphore>
#include <QStorageInfo>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QTimer>

#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace corvale::test {

using Entry = std::shared_ptr<FolderAttributes>;

// Answers the folder chooser in place of the dialog, each answer once; a null answer cancels.
class ScriptedChooser : public FolderChooser
{
public:
    std::optional<QByteArray> chooseFolder(QWidget *, const QByteArray &start) override
    {
        starts << start;
        const QByteArray answer = answers.isEmpty() ? QByteArray() : answers.takeFirst();
        return answer.isNull() ? std::nullopt : std::optional<QByteArray>(answer);
    }
    QList<QByteArray> answers;
    QList<QByteArray> starts; // where each time it was asked to open
};

// Records each alert and answers it; with no answer queued, the first button.
class ScriptedAlerts : public AlertPresenter
{
public:
    int runModal(QWidget *, const Alert &alert) override
    {
        shown.push_back(alert);
        if (whenShown)
            whenShown();
        return answers.isEmpty() ? FirstButton : answers.takeFirst();
    }
    std::vector<Alert> shown;
    QList<int> answers;
    std::function<void()> whenShown; // looks at the window while the alert is up
};

class RecordingFileManager : public FileManager
{
public:
    void showItems(const QList<QByteArray> &paths) override { calls.append(paths); }
    void openItem(const QByteArray &path, bool isFolder) override { opened.append({path, isFolder}); }
    QList<QList<QByteArray>> calls;
    QList<std::pair<QByteArray, bool>> opened;
};

// A file of `size` bytes, sparse (so gigabytes cost no disk), with its folders.
inline bool makeFile(const QString &path, qint64 size)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.resize(size);
}

// Written out and named by the kernel's bytes, so names need not be UTF-8.
inline QByteArray makeFile(const QByteArray &path, qsizetype size)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const QByteArray content(size, 'x');
    if (fd < 0 || ::write(fd, content.constData(), size_t(size)) != size)
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
    entry->count = 1;
    return entry;
}

// The names of a folder's entries in the file system's own order, folders (not links) or not.
inline QStringList listedNames(const QString &folder, bool folders)
{
    QStringList names;
    for (QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
         it.hasNext();) {
        const QFileInfo info = it.nextFileInfo();
        if ((info.isDir() && !info.isSymLink()) == folders)
            names << info.fileName();
    }
    return names;
}

inline QStringList titles(const Sectors &row)
{
    QStringList result;
    for (const auto &sector : row)
        result << sector->title();
    return result;
}

inline QStringList names(const AnalysisSession::Entries &entries)
{
    QStringList result;
    for (const auto &entry : entries)
        result << QFile::decodeName(QByteArray::fromStdString(entry->name));
    return result;
}

// The file table of a window, with the positions a user clicks.
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

// Keeps every thread of the background pool busy while it lives, so that a task started
// meanwhile waits for a thread.
class PoolHold
{
public:
    PoolHold()
    {
        for (int i = 0; i < m_threads; ++i)
            backgroundPool()->start([this] {
                m_started.release();
                m_busy.acquire();
            });
        m_started.acquire(m_threads);
    }
    ~PoolHold() { m_busy.release(m_threads); }

private:
    const int m_threads = backgroundPool()->maxThreadCount();
    QSemaphore m_started, m_busy;
};

// Runs what the background has to do, and delivers what it sends back, until nothing is left.
inline void settle()
{
    for (int round = 0; round < 4; ++round) {
        backgroundPool()->waitForDone();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    }
}

// The analysis window, shown, with every seam answered by the test.
class ControllerWindow
{
protected:
    std::unique_ptr<StorageWindowController> m_controller;
    ScriptedChooser *m_chooser = nullptr;
    ScriptedAlerts *m_alerts = nullptr;
    RecordingFileManager *m_files = nullptr;

    StorageWindowController &c() { return *m_controller; }
    AnalysisSession &s() { return *m_controller->session(); }
    void openWindow(QSize size = QSize(1000, 640))
    {
        // As the program's window sets it.
        QCoreApplication::setAttribute(Qt::AA_UseStyleSheetPropagationInWidgetStyles);
        m_controller = std::make_unique<StorageWindowController>();
        c().setFolderChooser(std::unique_ptr<FolderChooser>(m_chooser = new ScriptedChooser));
        c().setAlertPresenter(std::unique_ptr<AlertPresenter>(m_alerts = new ScriptedAlerts));
        c().setFileManager(std::unique_ptr<FileManager>(m_files = new RecordingFileManager));
        c().resize(size);
        c().show();
        QVERIFY(QTest::qWaitForWindowExposed(m_controller.get()));
    }
    // Keys go to the focused widget, as typed into an active window.
    void activate()
    {
        c().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_controller.get()));
    }
    static void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QVERIFY(QApplication::focusWidget());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
    }
    void closeWindow()
    {
        m_controller.reset();
        settle();
    }
    template<class T = QWidget>
    T *child(const char *name)
    {
        auto *widget = m_controller->findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("no element %s", name);
        return widget;
    }
    FileTable table() { return {child<RightClickTable>("fileTableView")}; }
    bool panelShown() { return c().removalPanel()->trashAnimationConstrain() == RemovalPanel::ShownOffset; }
    bool panelHidden() { return c().removalPanel()->trashAnimationConstrain() == RemovalPanel::HiddenOffset; }
    std::shared_ptr<DynamicStackedViewSector> sector(int row, const QString &title)
    {
        const auto &rows = s().rows();
        for (const auto &each : size_t(row) < rows.size() ? rows[size_t(row)].sectors : Sectors())
            if (each->title() == title)
                return each;
        return nullptr;
    }
    QList<QByteArray> rowPaths()
    {
        QList<QByteArray> paths;
        for (const auto &row : s().rows())
            paths << row.path;
        return paths;
    }
    VisualDataCell *cell(int row)
    {
        return qobject_cast<VisualDataCell *>(child<QTableWidget>("tableView")->cellWidget(row, 0));
    }
    // That sector's box, once its row has been laid out and shown.
    DynamicStackedViewBox *box(int row, const QString &title)
    {
        DynamicStackedViewBox *found = nullptr;
        const bool shown = QTest::qWaitFor([&] {
            const auto record = sector(row, title);
            found = cell(row) && record ? cell(row)->dynamicView()->boxForSector(record) : nullptr;
            return found && found->isVisible() && found->width() > 2;
        });
        return shown ? found : nullptr;
    }
    void clickSector(int row, const QString &title)
    {
        DynamicStackedViewBox *target = box(row, title);
        QVERIFY2(target, qPrintable(title));
        QTest::mouseClick(target, Qt::LeftButton, {}, target->rect().center());
        settle();
    }
    // Runs `open`, which pops up a context menu; chooses `choice` in it (none: only looks) and gives
    // the menu's shown items, "-" after a disabled one; none if no menu opened.
    QStringList menu(const std::function<void()> &open, const QString &choice = {})
    {
        QStringList shown;
        QTimer::singleShot(0, qApp, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QAction *chosen = nullptr;
            for (QAction *action : menu ? menu->actions() : QList<QAction *>()) {
                if (action->isVisible() && !action->isSeparator())
                    shown << action->text() + (action->isEnabled() ? "" : "-");
                chosen = action->text() == choice ? action : chosen;
            }
            if (menu)
                menu->close();
            if (chosen)
                chosen->trigger();
        });
        open();
        QCoreApplication::processEvents();
        // Under offscreen the closed menu stays the active window until told otherwise.
        c().activateWindow();
        const bool back = QTest::qWaitFor([&] { return QApplication::activeWindow() == m_controller.get(); });
        settle();
        return back ? shown : QStringList {"the window was not active again"};
    }
    QStringList menuAt(QWidget *target, QPoint pos, const QString &choice = {})
    {
        return menu(
            [&] {
                QContextMenuEvent event(QContextMenuEvent::Mouse, pos, target->mapToGlobal(pos));
                QApplication::sendEvent(target, &event);
            },
            choice);
    }
    // Chooses `folder` and waits until its run has been presented and its files listed.
    void runToResult(const QString &folder)
    {
        m_chooser->answers.push_back(QFile::encodeName(folder));
        c().selectFolder();
        settle();
    }
};

// Runs the test class `Test` with HOME and XDG_DATA_HOME in a temporary folder `base` of its own
// on a disk file system (tmpfs refuses trashing), so moves go to a trash of its own; removed by
// bytes after (QDir cannot name what is not UTF-8). GIO reads both once, at its first use: they are
// set before anything runs.
template<class Test>
int execWithOwnTrash(int argc, char **argv, QTemporaryDir *&base)
{
    const QStringList candidates {QDir::tempPath(), QDir::currentPath(), QDir::homePath()};
    const auto disk = std::find_if(candidates.begin(), candidates.end(), [](const QString &c) {
        return QStorageInfo(c).fileSystemType() != "tmpfs" && QFileInfo(c).isWritable();
    });
    QTemporaryDir dir((disk == candidates.end() ? QDir::tempPath() : *disk) + "/corvale-tst-XXXXXX");
    if (!dir.isValid())
        qFatal("cannot make a temporary folder");
    base = &dir;
    qputenv("HOME", QFile::encodeName(dir.path() + "/home"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir.path() + "/home/data"));
    QApplication app(argc, argv);
    Test test;
    const int result = QTest::qExec(&test, argc, argv);
    std::filesystem::remove_all(QFile::encodeName(dir.path()).constData());
    return result;
}

} // namespace corvale::test
