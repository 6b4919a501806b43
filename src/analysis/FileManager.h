#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace corvale {

// Seam: hands items to the desktop: shows them in its file manager with the items selected, or
// opens one, a folder in the file manager, a file with the application the desktop gives its
// type. Never blocks. Tests record the calls; the program uses SystemFileManager.
class FileManager
{
public:
    virtual ~FileManager() = default;
    virtual void showItems(const QList<QByteArray> &paths) = 0;
    virtual void openItem(const QByteArray &path, bool isFolder) = 0;
};

// org.freedesktop.FileManager1.ShowItems on the session bus, asynchronously. Where no file
// manager answers there, the folder of the first item is opened by the desktop's application
// for folders, never by this program (whose desktop file handles folders too), as a folder to
// open is; a file opens with GIO's default application for it, found and started off the GUI
// thread. Where there is none, `unavailable` is given a message for the user. GUI thread; an
// answer that comes after it is gone is dropped.
class SystemFileManager : public FileManager
{
    Q_DECLARE_TR_FUNCTIONS(SystemFileManager)
public:
    using Unavailable = std::function<void(const QString &message)>;

    explicit SystemFileManager(Unavailable unavailable = {});
    void showItems(const QList<QByteArray> &paths) override;
    void openItem(const QByteArray &path, bool isFolder) override;

    // The file:// URI of the kernel's bytes: "/tmp/caf\xe9" gives "file:///tmp/caf%E9".
    static QByteArray uriOf(const QByteArray &path);

private:
    void openFolder(const QByteArray &folder) const;

    // Shared with the launches waiting for GIO, which find it gone after this object is.
    std::shared_ptr<Unavailable> m_unavailable;
    // Owns the calls waiting for an answer.
    std::unique_ptr<QObject> m_calls = std::make_unique<QObject>();
};

} // namespace corvale
