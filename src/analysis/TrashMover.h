#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include <functional>

class QObject;

namespace corvale {

// Moves items to the user's desktop Trash through GIO (the freedesktop Trash layout, as the
// file manager does): the item is renamed into Trash/files with a .trashinfo beside it, so it
// can be restored. It never copies and never deletes. An item on another file system goes to
// that file system's own trash folder, as the file manager would; GIO refuses items on
// internal mounts such as tmpfs. A trash that cannot be used ends in a failure with the item
// left in place.
class TrashMover
{
    Q_DECLARE_TR_FUNCTIONS(TrashMover)
public:
    using Done = std::function<void(bool ok, const QString &error)>;

    // Blocking; any thread. Makes sure the user's trash is usable first.
    static bool moveToTrash(const QByteArray &path, QString *error = nullptr);
    // One task on the global thread pool; `done` runs later on the thread of `context`
    // (queued), and not at all when `context` is destroyed before.
    static void moveToTrashAsync(QObject *context, const QByteArray &path, Done done);

    // The user's trash folder as GIO uses it: $XDG_DATA_HOME/Trash, ~/.local/share/Trash by
    // default. GIO reads the variable once, at its first use in the process.
    static QByteArray homeTrashPath();
    // Creates the trash folder with its files/ and info/ (mode 0700) where missing; returns
    // why it cannot be used, or an empty string.
    static QString prepareTrash(const QByteArray &trashPath);
};

} // namespace corvale
