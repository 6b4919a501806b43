#include "AlertPresenter.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace corvale {

int SystemAlertPresenter::runModal(QWidget *parent, const Alert &alert)
{
    QMessageBox box(parent);
    box.setText(alert.messageText);
    box.setInformativeText(alert.informativeText);
    // Alerts name files from the disk or a scan file: a name is never read as markup. The
    // informative text's label does not follow setTextFormat (Qt 6.4).
    box.setTextFormat(Qt::PlainText);
    if (auto *informative = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel")))
        informative->setTextFormat(Qt::PlainText);
    QList<QAbstractButton *> buttons;
    for (const QString &title : alert.buttons)
        buttons << box.addButton(
            title, buttons.isEmpty() ? QMessageBox::AcceptRole : QMessageBox::RejectRole);
    if (!buttons.isEmpty())
        box.setDefaultButton(qobject_cast<QPushButton *>(buttons.first()));
    box.exec();
    const int index = buttons.indexOf(box.clickedButton());
    // Closing the box without a button counts as the first one, the cautious answer.
    return FirstButton + (index < 0 ? 0 : index);
}

} // namespace corvale
