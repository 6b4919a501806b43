#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace corvale {

// The folder or scan file named on the command line, checked apart from the application object,
// so that a wrong argument can end the program before anything needs a display.

// The arguments that are not options (nor the file of --open), as the kernel's bytes: names that
// are not UTF-8 stay as they are.
QList<QByteArray> positionalArguments(int argc, char **argv);
// Whether an option other than --open comes before any "--". Qt's own options take values
// ("-platform xcb") that cannot be told from a folder until the application has taken them out
// of argv.
bool hasOptions(int argc, char **argv);

struct FolderArgument
{
    QByteArray folder; // absolute; empty when none was given
    QString error; // why the arguments cannot be used, for the user; empty when they can
};
FolderArgument folderArgument(const QList<QByteArray> &arguments);

// The scan file of "--open FILE" (or "--open=FILE"): absolute, empty when none was given; an
// error when it is missing, a folder, unreadable, or given with a folder.
struct ScanArgument
{
    QByteArray file;
    QString error;
};
ScanArgument scanArgument(int argc, char **argv);

} // namespace corvale
