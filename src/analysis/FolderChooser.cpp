#include "FolderChooser.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>

namespace corvale {

std::optional<QByteArray> SystemFolderChooser::chooseFolder(QWidget *parent, const QByteArray &start)
{
    const QString folder = QFileDialog::getExistingDirectory(parent,
        QCoreApplication::translate("FolderChooser", "Select a Folder"), QFile::decodeName(start),
        QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return std::nullopt;
    return QFile::encodeName(folder);
}

} // namespace corvale
