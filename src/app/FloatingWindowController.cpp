#include "FloatingWindowController.h"

#include "StorageWindowController.h"
#include "ui_FloatingWindowController.h"

namespace corvale {

FloatingWindowController::FloatingWindowController(QWidget *parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::FloatingWindowController>())
    , m_storageController(new StorageWindowController(this))
{
    ui->setupUi(this);
    setCentralWidget(m_storageController);
}

FloatingWindowController::~FloatingWindowController() = default;

} // namespace corvale
