#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace corvale {

// Seam: a modal alert that blocks until a button is chosen. The first button answers 1000,
// the second 1001, and so on. Tests answer it themselves; the program uses
// SystemAlertPresenter.
class AlertPresenter
{
public:
    static constexpr int FirstButton = 1000;

    struct Alert
    {
        QString messageText;
        QString informativeText;
        QStringList buttons; // in the order added; at least one
    };

    virtual ~AlertPresenter() = default;
    virtual int runModal(QWidget *parent, const Alert &alert) = 0;
};

class SystemAlertPresenter : public AlertPresenter
{
public:
    int runModal(QWidget *parent, const Alert &alert) override;
};

} // namespace corvale
