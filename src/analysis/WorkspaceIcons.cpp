#include "WorkspaceIcons.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMimeDatabase>
#include <QStyle>

namespace corvale {

namespace {

void setUpThemeOnce()
{
    static const bool done = [] {
        if (QIcon::fallbackThemeName().isEmpty() || QIcon::fallbackThemeName() == QLatin1String("hicolor"))
            QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
        // Platforms without a desktop theme (offscreen, a bare X server) do not search the
        // system icon folder by themselves.
        QStringList paths = QIcon::themeSearchPaths();
        if (!paths.contains(QStringLiteral("/usr/share/icons"))) {
            paths << QStringLiteral("/usr/share/icons");
            QIcon::setThemeSearchPaths(paths);
        }
        return true;
    }();
    Q_UNUSED(done);
}

QIcon iconForMimeType(const QMimeType &type, bool isDir)
{
    static QHash<QString, QIcon> cache;
    const auto found = cache.constFind(type.name());
    if (found != cache.constEnd())
        return *found;
    setUpThemeOnce();
    QIcon icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
    if (icon.isNull() && qApp)
        icon = QApplication::style()->standardIcon(isDir ? QStyle::SP_DirIcon : QStyle::SP_FileIcon);
    cache.insert(type.name(), icon);
    return icon;
}

} // namespace

QIcon iconForEntry(const QByteArray &path, bool isDir)
{
    static const QMimeDatabase db;
    if (isDir)
        return iconForMimeType(db.mimeTypeForName(QStringLiteral("inode/directory")), true);
    return iconForMimeType(db.mimeTypeForFile(QFile::decodeName(path), QMimeDatabase::MatchExtension), false);
}

QIcon iconForLink()
{
    return iconForMimeType(QMimeDatabase().mimeTypeForName(QStringLiteral("inode/symlink")), false);
}

QIcon iconForFile(const QByteArray &path)
{
    return iconForEntry(path, QFileInfo(QFile::decodeName(path)).isDir());
}

} // namespace corvale
