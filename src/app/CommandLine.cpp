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

// "--open FILE" takes the next argument; "--open=FILE" holds it.
constexpr const char openOption[] = "--open";

bool isOpen(const char *argument)
{
    return std::strcmp(argument, openOption) == 0;
}

bool isOpenWithFile(const char *argument)
{
    return std::strncmp(argument, "--open=", 7) == 0;
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
        else if (options && isOpen(argv[i]))
            ++i;
        else if (!options || !isOption(argv[i]))
            arguments << QByteArray(argv[i]);
    }
    return arguments;
}

bool hasOptions(int argc, char **argv)
{
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (isOpen(argv[i]))
            ++i;
        else if (isOption(argv[i]) && !isOpenWithFile(argv[i]))
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

ScanArgument scanArgument(int argc, char **argv)
{
    QByteArray given;
    bool named = false;
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (isOpen(argv[i]) || isOpenWithFile(argv[i])) {
            if (named)
                return {{}, QCoreApplication::translate("main", "Give at most one scan file.")};
            named = true;
            if (isOpenWithFile(argv[i]))
                given = argv[i] + 7;
            else if (i + 1 < argc)
                given = argv[++i];
        }
    }
    if (!named)
        return {};
    if (given.isEmpty())
        return {{}, QCoreApplication::translate("main", "--open needs a scan file.")};
    if (!positionalArguments(argc, argv).isEmpty())
        return {{}, QCoreApplication::translate("main", "Give a folder or a scan file to open, not both.")};
    const QByteArray file = absolute(given);
    const QString shown = QFile::decodeName(given);
    struct stat st;
    if (::stat(file.constData(), &st) != 0) {
        if (errno == ENOENT)
            return {{}, QCoreApplication::translate("main", "%1: no such file").arg(shown)};
        return {{}, QStringLiteral("%1: %2").arg(shown, QString::fromLocal8Bit(std::strerror(errno)))};
    }
    if (S_ISDIR(st.st_mode))
        return {{}, QCoreApplication::translate("main", "%1 is a folder, not a scan file").arg(shown)};
    if (::access(file.constData(), R_OK) != 0)
        return {{}, QStringLiteral("%1: %2").arg(shown, QString::fromLocal8Bit(std::strerror(errno)))};
    return {file, {}};
}

} // namespace corvale
