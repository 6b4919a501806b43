#pragma once

#include <QByteArray>

#include <optional>

class QWidget;

namespace corvale {

// Seam: asks the user for a folder. Tests answer it themselves; the program uses
// SystemFolderChooser.
class FolderChooser
{
public:
    virtual ~FolderChooser() = default;
    // The chosen folder's path (the kernel's bytes), or nothing when the user cancelled; the
    // chooser opens in `start`.
    virtual std::optional<QByteArray> chooseFolder(QWidget *parent, const QByteArray &start) = 0;
};

class SystemFolderChooser : public FolderChooser
{
public:
    std::optional<QByteArray> chooseFolder(QWidget *parent, const QByteArray &start) override;
};

} // namespace corvale
