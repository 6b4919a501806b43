#pragma once

#include <QMainWindow>

#include <memory>

namespace corvale {

class StorageWindowController;

namespace Ui {
class FloatingWindowController;
}

// The main window. It owns the analysis controller, its central widget, for the window's life.
class FloatingWindowController : public QMainWindow
{
    Q_OBJECT

public:
    explicit FloatingWindowController(QWidget *parent = nullptr);
    ~FloatingWindowController() override;

    StorageWindowController *storageController() const { return m_storageController; }

private:
    std::unique_ptr<Ui::FloatingWindowController> ui;
    StorageWindowController *m_storageController;
};

} // namespace corvale
