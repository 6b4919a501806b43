// GIO first: its headers use `signals` as a field name, which Qt defines as a keyword.
#include <gio/gio.h>

#include "TrashMover.h"

#include <QFile>
#include <QObject>
#include <QThreadPool>

#include <mutex>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace corvale {

namespace {

// Carries one result from the pool thread to the context's thread. Emitting from the pool is
// safe because the relay itself outlives the emission; the connection to the context goes
// when the context does.
class TrashRelay : public QObject
{
    Q_OBJECT
Q_SIGNALS:
    void finished(bool ok, const QString &error);
};

QString errnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// mkdir -p with mode 0700 for what is created; an existing folder (or a link to one) is kept.
bool makeFolder(const QByteArray &path, QString *problem)
{
    struct stat st;
    if (::stat(path.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return true;
        *problem = TrashMover::tr("%1 is not a folder").arg(QFile::decodeName(path));
        return false;
    }
    const qsizetype slash = path.lastIndexOf('/');
    if (slash > 0 && !makeFolder(path.left(slash), problem))
        return false;
    // Another task may have made it meanwhile.
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        *problem = TrashMover::tr("Cannot create %1: %2").arg(QFile::decodeName(path), errnoText());
        return false;
    }
    if (::stat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        *problem = TrashMover::tr("%1 is not a folder").arg(QFile::decodeName(path));
        return false;
    }
    return true;
}

} // namespace

QByteArray TrashMover::homeTrashPath()
{
    return QByteArray(g_get_user_data_dir()) + "/Trash";
}

QString TrashMover::prepareTrash(const QByteArray &trashPath)
{
    // A relative XDG_DATA_HOME is invalid, yet GIO would trash into a folder below whatever
    // the current directory is, where no one would look for the file.
    if (!trashPath.startsWith('/'))
        return tr("The trash location %1 is not an absolute path").arg(QFile::decodeName(trashPath));
    static std::mutex mutex;
    const std::lock_guard lock(mutex);
    QString problem;
    for (const QByteArray &folder : {trashPath, trashPath + "/files", trashPath + "/info"}) {
        if (!makeFolder(folder, &problem))
            return problem;
        if (::access(folder.constData(), W_OK | X_OK) != 0)
            return tr("Cannot write to %1: %2").arg(QFile::decodeName(folder), errnoText());
    }
    return {};
}

bool TrashMover::moveToTrash(const QByteArray &path, QString *error)
{
    const QString problem = prepareTrash(homeTrashPath());
    if (!problem.isEmpty()) {
        if (error)
            *error = problem;
        return false;
    }
    GFile *file = g_file_new_for_path(path.constData());
    GError *gerror = nullptr;
    const bool ok = g_file_trash(file, nullptr, &gerror);
    g_object_unref(file);
    if (!ok) {
        if (error)
            *error = gerror ? QString::fromUtf8(gerror->message) : tr("Unknown error");
    }
    if (gerror)
        g_error_free(gerror);
    return ok;
}

void TrashMover::moveToTrashAsync(QObject *context, const QByteArray &path, Done done)
{
    auto *relay = new TrashRelay;
    QObject::connect(relay, &TrashRelay::finished, context, std::move(done), Qt::QueuedConnection);
    QThreadPool::globalInstance()->start([relay, path] {
        QString error;
        const bool ok = moveToTrash(path, &error);
        Q_EMIT relay->finished(ok, error);
        relay->deleteLater();
    });
}

} // namespace corvale

#include "TrashMover.moc"
