// GIO first: its headers use `signals` as a field name, which Qt defines as a keyword.
#include <gio/gio.h>

#include "FileManager.h"

#include "Config.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFile>

namespace corvale {

SystemFileManager::SystemFileManager(Unavailable unavailable)
    : m_unavailable(std::make_shared<Unavailable>(std::move(unavailable)))
{ }

QByteArray SystemFileManager::uriOf(const QByteArray &path)
{
    return "file://" + path.toPercentEncoding("/");
}

void SystemFileManager::showItems(const QList<QByteArray> &paths)
{
    if (paths.isEmpty())
        return;
    QStringList uris;
    for (const QByteArray &path : paths)
        uris << QString::fromLatin1(uriOf(path));
    const QByteArray first = paths.first();
    const QByteArray folder = first.left(std::max<qsizetype>(first.lastIndexOf('/'), 1));

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openFolder(folder);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"), QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("ShowItems"));
    call << uris << QString();
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), m_calls.get());
    QObject::connect(
        watcher, &QDBusPendingCallWatcher::finished, watcher, [this, folder](QDBusPendingCallWatcher *w) {
            w->deleteLater();
            if (QDBusPendingReply<>(*w).isError())
                openFolder(folder);
        });
}

void SystemFileManager::openFolder(const QByteArray &folder) const
{
    // Not QDesktopServices::openUrl: it asks for the default application for folders, which
    // may well be this program.
    const QByteArray ownId = QByteArray(applicationId) + ".desktop";
    auto isOwn = [&](GAppInfo *app) { return qstrcmp(g_app_info_get_id(app), ownId.constData()) == 0; };
    GAppInfo *chosen = g_app_info_get_default_for_type("inode/directory", FALSE);
    if (chosen && isOwn(chosen))
        g_clear_object(&chosen);
    if (!chosen) {
        GList *apps = g_app_info_get_recommended_for_type("inode/directory");
        for (GList *app = apps; app && !chosen; app = app->next) {
            if (!isOwn(G_APP_INFO(app->data)))
                chosen = G_APP_INFO(g_object_ref(app->data));
        }
        g_list_free_full(apps, g_object_unref);
    }
    const QByteArray uri = uriOf(folder);
    GError *error = nullptr;
    GList uris {const_cast<char *>(uri.constData()), nullptr, nullptr};
    const bool launched = chosen && g_app_info_launch_uris(chosen, &uris, nullptr, &error);
    if (!launched && *m_unavailable) {
        (*m_unavailable)(
            tr("“%1” cannot be shown: %2")
                .arg(QFile::decodeName(folder),
                    error ? QString::fromUtf8(error->message) : tr("no file manager is installed")));
    }
    if (error)
        g_error_free(error);
    if (chosen)
        g_object_unref(chosen);
}

void SystemFileManager::openItem(const QByteArray &path, bool isFolder)
{
    if (isFolder) {
        openFolder(path);
        return;
    }
    struct Launch
    {
        std::weak_ptr<Unavailable> unavailable;
        QByteArray path;
    };
    // Finding the application may read the file to tell its type: never on the GUI thread.
    const QByteArray uri = uriOf(path);
    g_app_info_launch_default_for_uri_async(
        uri.constData(), nullptr, nullptr,
        [](GObject *, GAsyncResult *result, gpointer data) {
            const std::unique_ptr<Launch> launch(static_cast<Launch *>(data));
            GError *error = nullptr;
            if (g_app_info_launch_default_for_uri_finish(result, &error))
                return;
            const auto unavailable = launch->unavailable.lock();
            if (unavailable && *unavailable)
                (*unavailable)(tr("“%1” cannot be opened: %2")
                                   .arg(QFile::decodeName(launch->path), QString::fromUtf8(error->message)));
            g_error_free(error);
        },
        new Launch {m_unavailable, path});
}

} // namespace corvale
