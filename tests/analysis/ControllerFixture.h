#pragma once

// Helpers for tests that drive a StorageWindowController through real runs on folders made at
// test time.

#include "FolderAttributes.h"
#include "FolderChooser.h"
#include "StorageWindowController.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QThreadPool>

#include <deque>
#include <dirent.h>
#include <sys/stat.h>

namespace corvale::test {

// Answers the folder chooser in place of the dialog, each answer once.
class ScriptedChooser : public FolderChooser
{
public:
    std::optional<QByteArray> chooseFolder(QWidget *) override
    {
        if (answers.empty())
            return std::nullopt;
        const QByteArray answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<QByteArray> answers;
};

// A file of `size` bytes, sparse (so gigabytes cost no disk), with its folders.
inline bool makeFile(const QString &path, qint64 size)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.resize(size);
}

// The names of a folder's entries in the file system's own order, folders or not.
inline QStringList listedNames(const QString &folder, bool folders)
{
    QStringList names;
    const QByteArray path = QFile::encodeName(folder);
    DIR *dir = ::opendir(path.constData());
    if (!dir)
        return names;
    while (dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        struct stat st;
        const bool isFolder = ::lstat((path + '/' + name).constData(), &st) == 0 && S_ISDIR(st.st_mode);
        if (isFolder == folders)
            names << QFile::decodeName(name);
    }
    ::closedir(dir);
    return names;
}

// Chooses `folder` and waits until its run has been presented.
inline void runToResult(StorageWindowController &controller, ScriptedChooser &chooser, const QString &folder)
{
    chooser.answers.push_back(QFile::encodeName(folder));
    controller.selectFolder();
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
}

inline QString title(const std::shared_ptr<DynamicStackedViewSector> &sector)
{
    return sector->title();
}

inline QStringList titles(const Sectors &row)
{
    QStringList result;
    for (const auto &sector : row)
        result << sector->title();
    return result;
}

inline QStringList names(const StorageWindowController::Entries &entries)
{
    QStringList result;
    for (const auto &entry : entries)
        result << QFile::decodeName(QByteArray::fromStdString(entry->name));
    return result;
}

} // namespace corvale::test
