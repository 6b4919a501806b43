#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class QWidget;

namespace corvale {

// Seam: asks the user for a scan file to read or a place to write one. Tests answer it
// themselves; the program uses SystemFileChooser.
class FileChooser
{
public:
    virtual ~FileChooser() = default;
    // The chosen file's path (the kernel's bytes), or nothing when the user cancelled.
    virtual std::optional<QByteArray> chooseFileToOpen(QWidget *parent, const QString &title) = 0;
    // Where to write, offering `suggested` (a path); a file that is there is replaced only once
    // the user agreed.
    virtual std::optional<QByteArray> chooseFileToSave(
        QWidget *parent, const QString &title, const QString &suggested)
        = 0;
};

class SystemFileChooser : public FileChooser
{
public:
    std::optional<QByteArray> chooseFileToOpen(QWidget *parent, const QString &title) override;
    std::optional<QByteArray> chooseFileToSave(
        QWidget *parent, const QString &title, const QString &suggested) override;
};

} // namespace corvale
