#include "FileManager.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

namespace corvale {

void SystemFileManager::showItems(const QList<QByteArray> &paths)
{
    if (paths.isEmpty())
        return;
    QStringList uris;
    for (const QByteArray &path : paths)
        uris << QString::fromLatin1(QUrl::fromLocalFile(QFile::decodeName(path)).toEncoded());
    const QUrl parent = QUrl::fromLocalFile(QFileInfo(QFile::decodeName(paths.first())).absolutePath());

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        QDesktopServices::openUrl(parent);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"), QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("ShowItems"));
    call << uris << QString();
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
    QObject::connect(
        watcher, &QDBusPendingCallWatcher::finished, watcher, [parent](QDBusPendingCallWatcher *w) {
            if (QDBusPendingReply<>(*w).isError())
                QDesktopServices::openUrl(parent);
            w->deleteLater();
        });
}

} // namespace corvale
