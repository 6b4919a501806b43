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
    // The chosen folder's path (the kernel's bytes), or nothing when the user cancelled.
    virtual std::optional<QByteArray> chooseFolder(QWidget *parent) = 0;
};

class SystemFolderChooser : public FolderChooser
{
public:
    std::optional<QByteArray> chooseFolder(QWidget *parent) override;
};

} // namespace corvale
