#pragma once

#include <QByteArray>
#include <QList>

namespace corvale {

// Seam: shows items in the desktop's file manager with the items selected. Never blocks.
// Tests record the calls; the program uses SystemFileManager.
class FileManager
{
public:
    virtual ~FileManager() = default;
    virtual void showItems(const QList<QByteArray> &paths) = 0;
};

// org.freedesktop.FileManager1.ShowItems on the session bus, asynchronously; where no file
// manager answers, the parent folder of the first item is opened instead.
class SystemFileManager : public FileManager
{
public:
    void showItems(const QList<QByteArray> &paths) override;
};

} // namespace corvale
