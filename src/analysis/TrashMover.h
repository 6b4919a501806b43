#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QString>

#include <functional>

namespace corvale {

// Moves items to the freedesktop Trash by its own steps, each checked, so that a move
// reported as done can always be restored: the item's name in the trash is reserved by creating
// its info file with O_EXCL (another program trashing the same name at the same time takes
// another), the info file is written in full and flushed to disk, and only then is the item
// renamed into files/, never replacing anything there. On any failure the item stays where it
// was and the info file is removed again. It never copies and never deletes.
//
// An item goes to the home trash ($XDG_DATA_HOME/Trash) when it lies on the same device, else
// to the trash at the top of its own drive ($topdir/.Trash/$uid or $topdir/.Trash-$uid, made when
// missing). A drive that keeps nothing across a restart (tmpfs, ...) has no trash.
//
// Synchronous and thread-safe, without an event loop: meant for thread-pool tasks. Nothing is
// kept between calls.
class TrashMover
{
    Q_DECLARE_TR_FUNCTIONS(TrashMover)
public:
    enum class Reason {
        None,
        DiskFull,
        NoTrash,
        PermissionDenied,
        NameTooLong,
        NoLongerExists,
        ChangedSinceScan, // not moved: it is not what the scan in view saw
        Other
    };
    struct Result
    {
        bool trashed = false; // in the trash with a complete info file
        Reason reason = Reason::None;
        QString detail; // the system's own words ("No space left on device"), empty when trashed
    };
    // The index of the item in the batch and its result, on the thread that called.
    using ItemDone = std::function<void(qsizetype index, const Result &result)>;

    static Result moveToTrash(const QByteArray &path);
    // Moves the items in groups whose info files are flushed together, which is much faster than
    // one call per item; `done` is called for each item as soon as it is done, in no fixed order.
    static void moveToTrash(const QList<QByteArray> &paths, const ItemDone &done);

    // Why a move failed, in plain words for the user.
    static QString reasonText(Reason reason);

    // $XDG_DATA_HOME/Trash, ~/.local/share/Trash by default, read anew at each call.
    static QByteArray homeTrashPath();
};

} // namespace corvale
