// Shows the spinner and the flat button in their states, for looking at them by eye:
//   xvfb-run -a -s "-screen 0 1280x800x24" build/widgets_demo
// The second button is held pressed by a synthetic press that is never released.

#include "OrvSpinnerView.h"
#include "ZephFlatButton.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

using namespace corvale;

namespace {
QPixmap folderMask()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawRect(1, 3, 6, 2);
    painter.drawRect(1, 5, 14, 9);
    return pixmap;
}

ZephFlatButton *makeButton(const QString &title, QWidget *parent)
{
    auto *button = new ZephFlatButton(parent);
    const QColor accent(0, 122, 255);
    button->setMomentary(true);
    button->setBackgroundNormalColor(accent);
    button->setBackgroundHighlightColor(accent.darker(140));
    button->setTitleNormalColor(Qt::white);
    button->setTitleHighlightColor(QColor(255, 255, 255, 200));
    button->setImageNormalColor(Qt::white);
    button->setImageHighlightColor(QColor(255, 255, 255, 200));
    button->setBorderHighlightColor(QColor(255, 255, 255, 120));
    button->setBorderWidth(2);
    button->setCornerRadius(8);
    button->setSpacing(12);
    button->setOnAnimateDuration(0.1);
    button->setOffAnimateDuration(0.3);
    button->setIcon(folderMask());
    button->setIconSize(QSize(16, 16));
    button->setImagePosition(FlatButtonPlacement::ImageLeft);
    button->setImageHugsTitle(true);
    button->setText(title);
    button->setFixedSize(180, 44);
    return button;
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setAutoFillBackground(true);
    auto *grid = new QGridLayout(&window);

    auto *dark = new QWidget;
    dark->setAutoFillBackground(true);
    dark->setPalette(QPalette(QColor(40, 40, 44)));
    dark->setFixedSize(60, 60);
    auto *darkSpinner = new OrvSpinnerView(10, QColor(255, 255, 255, 191), 37.0, dark);
    darkSpinner->setGeometry(10, 10, 40, 40);
    auto *light = new QWidget;
    light->setFixedSize(60, 60);
    auto *lightSpinner = new OrvSpinnerView(10, QColor(0, 0, 0, 77), 37.0, light);
    lightSpinner->setGeometry(10, 10, 40, 40);
    grid->addWidget(new QLabel(QStringLiteral("Spinners")), 0, 0);
    grid->addWidget(dark, 0, 1);
    grid->addWidget(light, 0, 2);

    auto *normal = makeButton(QStringLiteral("Select Folder"), &window);
    auto *pressed = makeButton(QStringLiteral("Pressed"), &window);
    auto *disabled = makeButton(QStringLiteral("Disabled"), &window);
    disabled->setEnabled(false);
    grid->addWidget(normal, 1, 0);
    grid->addWidget(pressed, 1, 1, 1, 2);
    grid->addWidget(disabled, 2, 0);
    window.show();

    QTimer::singleShot(200, pressed, [pressed] {
        const QPointF at(20, 20);
        QMouseEvent press(QEvent::MouseButtonPress, at, pressed->mapToGlobal(at), Qt::LeftButton,
            Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pressed, &press);
    });
    return app.exec();
}
