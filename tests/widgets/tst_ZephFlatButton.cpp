// Mouse events go through the window, so they are hit-tested as a user's clicks would be.
#define QTEST_QPA_MOUSE_HANDLING

#include "ZephFlatButton.h"

#include <QFontMetricsF>
#include <QGraphicsOpacityEffect>
#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace corvale;

namespace {
const QColor normalBackground(20, 40, 200);
const QColor highlightBackground(200, 40, 20);
const QColor normalTitle(Qt::white);
const QColor highlightTitle(Qt::yellow);

// A shown button with distinct colours for both states, at (20, 20) in a larger window so that
// the pointer can leave it; colours change at once unless a test sets durations.
struct ButtonFixture
{
    explicit ButtonFixture(bool momentary)
        : button(new ZephFlatButton(&window))
    {
        button->setMomentary(momentary);
        button->setBackgroundNormalColor(normalBackground);
        button->setBackgroundHighlightColor(highlightBackground);
        button->setTitleNormalColor(normalTitle);
        button->setTitleHighlightColor(highlightTitle);
        button->setText(QStringLiteral("Select"));
        button->setGeometry(20, 20, 120, 40);
        window.resize(300, 100);
        window.show();
    }
    QWidget window;
    ZephFlatButton *button;
};

QImage rendered(QWidget &widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

const QPoint centre(60, 20);
const QPoint outside(200, 20); // in the window, right of the button
} // namespace

class tst_ZephFlatButton : public QObject
{
    Q_OBJECT

private slots:
    void pressTable_data()
    {
        // Steps: p press inside, o move outside, i move back inside, r release (where the pointer is).
        // After each step: the expected state ('1' on, '0' off) and clicked() count so far.
        QTest::addColumn<bool>("momentary");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("states");
        QTest::addColumn<QList<int>>("clicks");
        QTest::newRow("momentary click") << true << "pr"
                                         << "10" << QList<int> {0, 1};
        QTest::newRow("momentary drag out cancels") << true << "por"
                                                    << "100" << QList<int> {0, 0, 0};
        QTest::newRow("momentary back in changes nothing") << true << "poir"
                                                           << "1000" << QList<int> {0, 0, 0, 0};
        QTest::newRow("toggle click") << false << "pr"
                                      << "11" << QList<int> {0, 1};
        QTest::newRow("toggle two clicks") << false << "prpr"
                                           << "1100" << QList<int> {0, 1, 1, 2};
        QTest::newRow("toggle drag out cancels") << false << "por"
                                                 << "100" << QList<int> {0, 0, 0};
        QTest::newRow("toggle back in changes nothing") << false << "poir"
                                                        << "1000" << QList<int> {0, 0, 0, 0};
        QTest::newRow("toggled on, then cancelled") << false << "prpoir"
                                                    << "110111" << QList<int> {0, 1, 1, 1, 1, 1};
    }

    void pressTable()
    {
        QFETCH(bool, momentary);
        QFETCH(QString, steps);
        QFETCH(QString, states);
        QFETCH(QList<int>, clicks);
        ButtonFixture fixture(momentary);
        ZephFlatButton &button = *fixture.button;
        QSignalSpy clicked(&button, &QAbstractButton::clicked);
        QPoint pointer = centre;
        for (int i = 0; i < steps.size(); ++i) {
            switch (steps[i].toLatin1()) {
            case 'p':
                pointer = centre;
                QTest::mousePress(&button, Qt::LeftButton, {}, pointer);
                break;
            case 'o':
                pointer = outside;
                QTest::mouseMove(&button, pointer);
                break;
            case 'i':
                pointer = centre;
                QTest::mouseMove(&button, pointer);
                break;
            case 'r':
                QTest::mouseRelease(&button, Qt::LeftButton, {}, pointer);
                break;
            }
            const bool on = states[i] == u'1';
            const QString where = QStringLiteral("after step %1").arg(i + 1);
            QVERIFY2(button.isOn() == on, qPrintable(where));
            QVERIFY2(clicked.size() == clicks[i], qPrintable(where));
            QVERIFY2(button.shownColor(ZephFlatButton::Background)
                    == (on ? highlightBackground : normalBackground),
                qPrintable(where));
            QVERIFY2(button.shownColor(ZephFlatButton::Title) == (on ? highlightTitle : normalTitle),
                qPrintable(where));
        }
        QVERIFY(!button.isMouseDown());
    }

    void coloursFadeToTheStateColours()
    {
        ButtonFixture fixture(true);
        ZephFlatButton &button = *fixture.button;
        button.setOnAnimateDuration(0.15);
        button.setOffAnimateDuration(0.25);

        QTest::mousePress(&button, Qt::LeftButton, {}, centre);
        QVERIFY(button.isColorAnimating(ZephFlatButton::Background));
        QVERIFY(button.isColorAnimating(ZephFlatButton::Title));
        QVERIFY(!button.isColorAnimating(ZephFlatButton::Border)); // no colour either way
        QCOMPARE(button.shownColor(ZephFlatButton::Background), normalBackground);
        QTRY_COMPARE(button.shownColor(ZephFlatButton::Background), highlightBackground);
        QCOMPARE(rendered(button).pixelColor(5, 5), highlightBackground);

        QTest::mouseRelease(&button, Qt::LeftButton, {}, centre);
        QTRY_VERIFY(button.shownColor(ZephFlatButton::Background) != highlightBackground);
        QVERIFY(button.shownColor(ZephFlatButton::Background) != normalBackground); // on its way
        QTRY_COMPARE(button.shownColor(ZephFlatButton::Background), normalBackground);
        QCOMPARE(button.shownColor(ZephFlatButton::Title), normalTitle);
        QVERIFY(!button.isColorAnimating(ZephFlatButton::Background));
    }

    void unchangedColourStartsNoAnimation()
    {
        ButtonFixture fixture(true);
        ZephFlatButton &button = *fixture.button;
        button.setOffAnimateDuration(0.2);

        button.setBackgroundNormalColor(QColor(normalBackground.name())); // equal value, other object
        QVERIFY(!button.isColorAnimating(ZephFlatButton::Background));
        button.setBackgroundHighlightColor(Qt::green); // not the colour of the current state
        QVERIFY(!button.isColorAnimating(ZephFlatButton::Background));

        button.setBorderNormalColor(Qt::black);
        QVERIFY(button.isColorAnimating(ZephFlatButton::Border));
        QVERIFY(!button.isColorAnimating(ZephFlatButton::Background));
        QVERIFY(!button.isColorAnimating(ZephFlatButton::Title));
        QTRY_COMPARE(button.shownColor(ZephFlatButton::Border), QColor(Qt::black));

        button.setBorderNormalColor(QColor()); // no colour fades out too
        QVERIFY(button.isColorAnimating(ZephFlatButton::Border));
        QTRY_COMPARE(button.shownColor(ZephFlatButton::Border).alpha(), 0);
    }

    void disabledButtonLetsClicksThrough()
    {
        QWidget window;
        window.resize(200, 100);
        auto *behind = new QPushButton(&window);
        behind->setGeometry(0, 0, 200, 100);
        auto *button = new ZephFlatButton(&window);
        button->setMomentary(true);
        button->setBackgroundNormalColor(normalBackground);
        button->setGeometry(50, 25, 100, 50);
        window.show();
        QSignalSpy behindClicked(behind, &QAbstractButton::clicked);
        QSignalSpy buttonClicked(button, &QAbstractButton::clicked);

        QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(100, 50));
        QCOMPARE(buttonClicked.size(), 1);
        QCOMPARE(behindClicked.size(), 0);

        button->setEnabled(false);
        QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(100, 50));
        QCOMPARE(buttonClicked.size(), 1);
        QCOMPARE(behindClicked.size(), 1);
        QVERIFY(qAbs(rendered(*button).pixelColor(50, 25).alpha() - 128) <= 1); // drawn at half opacity

        button->setEnabled(true);
        QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(100, 50));
        QCOMPARE(buttonClicked.size(), 2);
        QCOMPARE(rendered(*button).pixelColor(50, 25), normalBackground);
    }

    void alphaAndOpacityEffectFadeTheWholeButton()
    {
        ButtonFixture fixture(true);
        ZephFlatButton &button = *fixture.button;
        button.setAlpha(0);
        const QImage invisible = rendered(button);
        for (int y = 0; y < invisible.height(); y += 4)
            for (int x = 0; x < invisible.width(); x += 4)
                QCOMPARE(invisible.pixelColor(x, y).alpha(), 0);
        button.setAlpha(1);
        QCOMPARE(rendered(button).pixelColor(5, 5), normalBackground);

        // The fade of the welcome view: an opacity effect over the button in its window.
        button.hide();
        const QPoint inside = button.geometry().topLeft() + QPoint(5, 5);
        const QColor behind = fixture.window.grab().toImage().pixelColor(inside);
        auto *effect = new QGraphicsOpacityEffect(&button);
        effect->setOpacity(0.5);
        button.setGraphicsEffect(effect);
        button.show();
        const QColor mixed = fixture.window.grab().toImage().pixelColor(inside);
        QVERIFY(qAbs(mixed.red() - (behind.red() + normalBackground.red()) / 2) <= 2);
        QVERIFY(qAbs(mixed.blue() - (behind.blue() + normalBackground.blue()) / 2) <= 2);
    }

    void keyboardFocusAndActivation()
    {
        QWidget window;
        auto *first = new ZephFlatButton(&window);
        first->setMomentary(true);
        auto *second = new ZephFlatButton(&window);
        second->setGeometry(0, 50, 100, 40);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        first->setFocus(Qt::TabFocusReason);
        QTest::keyClick(&window, Qt::Key_Tab);
        QVERIFY(second->hasFocus());
        QTest::keyClick(&window, Qt::Key_Backtab);
        QVERIFY(first->hasFocus());

        QSignalSpy clicked(first, &QAbstractButton::clicked);
        QTest::keyPress(first, Qt::Key_Space);
        QVERIFY(first->isOn()); // momentary: on while the key is held
        QTest::keyRelease(first, Qt::Key_Space);
        QVERIFY(!first->isOn());
        QCOMPARE(clicked.size(), 1);
        QTest::keyClick(first, Qt::Key_Return);
        QTRY_COMPARE(clicked.size(), 2);
        QTest::keyClick(first, Qt::Key_Enter);
        QTRY_COMPARE(clicked.size(), 3);
        QTRY_VERIFY(!first->isOn());

        QSignalSpy toggled(second, &QAbstractButton::toggled);
        QTest::keyClick(second, Qt::Key_Space);
        QVERIFY(second->isOn());
        QCOMPARE(toggled.size(), 1);
    }

    void placesImageAndTitle()
    {
        ZephFlatButton button;
        QPixmap image(16, 16);
        image.fill(Qt::black);
        button.setIcon(image);
        button.setIconSize(QSize(16, 16));
        button.setText(QStringLiteral("Folder"));
        button.setImagePosition(FlatButtonPlacement::ImageLeft);
        button.setSpacing(8);
        button.resize(100, 30);

        // The frames themselves are the placement's (its own table); the button keeps them current.
        const double titleWidth = QFontMetricsF(button.font()).horizontalAdvance(button.text());
        QCOMPARE(button.titleFrame()->x(), qRound(100 - titleWidth - 8));
        button.resize(140, 30);
        QCOMPARE(button.titleFrame()->x(), qRound(140 - titleWidth - 8));
        button.setImagePosition(FlatButtonPlacement::ImageRight);
        QCOMPARE(button.imageFrame()->x(), 140 - 16 - 8);

        button.setImagePosition(FlatButtonPlacement::ImageOnly);
        QVERIFY(!button.titleFrame());
        button.setIcon(QIcon());
        QVERIFY(!button.imageFrame());
    }

    void paintsTintedImageAndBorder()
    {
        ZephFlatButton button;
        QPixmap image(16, 16);
        image.fill(Qt::black);
        button.setIcon(image);
        button.setIconSize(QSize(16, 16));
        button.setImagePosition(FlatButtonPlacement::ImageOnly);
        button.setImageNormalColor(Qt::green);
        button.setBackgroundNormalColor(Qt::blue);
        button.setBorderNormalColor(Qt::red);
        button.setBorderWidth(3);
        button.resize(60, 40);
        button.show();

        const QImage shot = rendered(button);
        QCOMPARE(shot.pixelColor(30, 20), QColor(Qt::green)); // the image, tinted
        QCOMPARE(shot.pixelColor(10, 20), QColor(Qt::blue));
        QCOMPARE(shot.pixelColor(1, 20), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(30, 38), QColor(Qt::red));

        button.setCornerRadius(15);
        QCOMPARE(rendered(button).pixelColor(0, 0).alpha(), 0); // corners clipped
    }
};

QTEST_MAIN(tst_ZephFlatButton)
#include "tst_ZephFlatButton.moc"
