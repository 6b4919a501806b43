#include "CommandLine.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <climits>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace corvale {

namespace {

bool isOption(const char *argument)
{
    return argument[0] == '-' && argument[1] != '\0';
}

// "." and ".." taken out by their names, as the shell shows the path, on the bytes.
QByteArray absolute(const QByteArray &path)
{
    QByteArray whole = path;
    if (!path.startsWith('/')) {
        char cwd[PATH_MAX];
        whole = QByteArray(::getcwd(cwd, sizeof cwd) ? cwd : "") + '/' + path;
    }
    QList<QByteArray> parts;
    for (const QByteArray &part : whole.split('/')) {
        if (part == "..")
            parts.removeLast();
        else if (!part.isEmpty() && part != ".")
            parts << part;
    }
    return '/' + parts.join('/');
}

} // namespace

QList<QByteArray> positionalArguments(int argc, char **argv)
{
    QList<QByteArray> arguments;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        if (options && std::strcmp(argv[i], "--") == 0)
            options = false;
        else if (!options || !isOption(argv[i]))
            arguments << QByteArray(argv[i]);
    }
    return arguments;
}

bool hasOptions(int argc, char **argv)
{
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (isOption(argv[i]))
            return true;
    }
    return false;
}

FolderArgument folderArgument(const QList<QByteArray> &arguments)
{
    if (arguments.size() > 1)
        return {{}, QCoreApplication::translate("main", "Give at most one folder.")};
    if (arguments.isEmpty())
        return {};
    const QByteArray folder = absolute(arguments.first());
    const QString shown = QFile::decodeName(arguments.first());
    struct stat st;
    if (::stat(folder.constData(), &st) != 0) {
        if (errno == ENOENT)
            return {{}, QCoreApplication::translate("main", "%1: no such folder").arg(shown)};
        return {{}, QStringLiteral("%1: %2").arg(shown, QString::fromLocal8Bit(std::strerror(errno)))};
    }
    if (!S_ISDIR(st.st_mode)) {
        const QByteArray parent = folder.left(std::max<qsizetype>(folder.lastIndexOf('/'), 1));
        return {{},
            QCoreApplication::translate("main", "%1 is a file, not a folder. Its folder is %2")
                .arg(shown, QFile::decodeName(parent))};
    }
    return {folder, {}};
}

} // namespace corvale
