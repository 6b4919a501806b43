#include "FileChooser.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>

namespace corvale {

namespace {

QStringList scanFilters()
{
    return {QCoreApplication::translate("FileChooser", "Scan files (*.json)"),
        QCoreApplication::translate("FileChooser", "All files (*)")};
}

std::optional<QByteArray> chosen(QFileDialog &dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().constFirst());
}

} // namespace

std::optional<QByteArray> SystemFileChooser::chooseFileToOpen(QWidget *parent, const QString &title)
{
    QFileDialog dialog(parent, title);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(scanFilters());
    return chosen(dialog);
}

std::optional<QByteArray> SystemFileChooser::chooseFileToSave(
    QWidget *parent, const QString &title, const QString &suggested)
{
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(scanFilters());
    dialog.setDefaultSuffix(QStringLiteral("json"));
    dialog.selectFile(suggested);
    return chosen(dialog);
}

} // namespace corvale
