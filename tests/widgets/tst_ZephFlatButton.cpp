// Mouse events go through the window, so they are hit-tested as a user's clicks would be.
#define QTEST_QPA_MOUSE_HANDLING

#include "ZephFlatButton.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace corvale;

using Placement = FlatButtonPlacement;

class tst_ZephFlatButton : public QObject
{
    Q_OBJECT

private slots:
    // Steps: p press inside, o move outside, i move back inside, r release (where the pointer is).
    // After each step: the expected state ('1' on, '0' off) and clicked() count so far.
    void pressTable()
    {
        const struct
        {
            bool momentary;
            QString steps, states, clicks;
        } rows[] = {
            {true, "pr", "10", "01"}, // momentary click
            {true, "poir", "1000", "0000"}, // momentary: back in changes nothing
            {false, "prpr", "1100", "0112"}, // toggle: two clicks
            {false, "por", "100", "000"}, // toggle: dragging out cancels
            {false, "prpoir", "110111", "011111"}, // toggled on, then cancelled
        };
        const QColor normalColor(20, 40, 200), highlightColor(200, 40, 20);
        for (const auto &[momentary, steps, states, clicks] : rows) {
            QWidget window; // larger than the button, so that the pointer can leave it
            window.resize(300, 100);
            auto &button = *new ZephFlatButton(&window);
            button.setMomentary(momentary);
            button.setBackgroundNormalColor(normalColor);
            button.setBackgroundHighlightColor(highlightColor);
            button.setGeometry(20, 20, 120, 40);
            window.show();
            QSignalSpy clicked(&button, &QAbstractButton::clicked);
            QPoint pointer(60, 20);
            for (int i = 0; i < steps.size(); ++i) {
                const char step = steps[i].toLatin1();
                if (step != 'r')
                    pointer = step == 'o' ? QPoint(200, 20) : QPoint(60, 20);
                if (step == 'p')
                    QTest::mousePress(&button, Qt::LeftButton, {}, pointer);
                else if (step == 'r')
                    QTest::mouseRelease(&button, Qt::LeftButton, {}, pointer);
                else
                    QTest::mouseMove(&button, pointer);
                const bool on = states[i] == u'1';
                const QByteArray where = steps.toLatin1() + ", after step " + QByteArray::number(i + 1);
                QVERIFY2(button.isOn() == on, where);
                QVERIFY2(clicked.size() == clicks[i].digitValue(), where);
                QVERIFY2(button.shownColor(ZephFlatButton::Background) == (on ? highlightColor : normalColor),
                    where);
            }
            QVERIFY(!button.isMouseDown());
        }
    }

    void disabledButtonLetsClicksThrough()
    {
        QWidget window;
        window.resize(200, 100);
        auto *behind = new QPushButton(&window);
        behind->setGeometry(0, 0, 200, 100);
        auto *button = new ZephFlatButton(&window);
        button->setMomentary(true);
        button->setGeometry(50, 25, 100, 50);
        window.show();
        QSignalSpy behindClicked(behind, &QAbstractButton::clicked);
        QSignalSpy buttonClicked(button, &QAbstractButton::clicked);
        for (bool enabled : {true, false, true}) {
            button->setEnabled(enabled);
            QTest::mouseClick(&window, Qt::LeftButton, {}, QPoint(100, 50));
        }
        QCOMPARE(std::tuple(buttonClicked.size(), behindClicked.size()), std::tuple(2, 1));
    }

    void keyboardActivation()
    {
        ZephFlatButton momentary;
        momentary.setMomentary(true);
        QSignalSpy clicked(&momentary, &QAbstractButton::clicked);
        QTest::keyPress(&momentary, Qt::Key_Space);
        QVERIFY(momentary.isOn()); // on while the key is held
        QTest::keyRelease(&momentary, Qt::Key_Space);
        QVERIFY(!momentary.isOn());
        QTest::keyClick(&momentary, Qt::Key_Return);
        QTRY_COMPARE(clicked.size(), 2);
        QTRY_VERIFY(!momentary.isOn());
    }

    void focusRingStandsOutFromTheFill_data()
    {
        QTest::addColumn<QColor>("fill"); // invalid: the palette's highlight, as the window's accent
        QTest::addColumn<QColor>("title");
        QTest::newRow("accent fill") << QColor() << QColor(Qt::white);
        QTest::newRow("no fill") << QColor(Qt::transparent) << QColor(Qt::black);
        QTest::newRow("fill the colour of the title") << QColor(Qt::white) << QColor(Qt::white);
    }
    void focusRingStandsOutFromTheFill()
    {
        QFETCH(QColor, fill);
        QFETCH(QColor, title);
        QWidget window;
        window.resize(200, 100);
        auto *button = new ZephFlatButton(&window);
        button->setGeometry(20, 20, 120, 40);
        button->setBackgroundNormalColor(
            fill.isValid() ? fill : button->palette().color(QPalette::Highlight));
        button->setTitleNormalColor(title);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        // The window gave it the focus on showing; Tab, with nowhere else to go, leaves it there.
        QTest::keyClick(button, Qt::Key_Tab);
        QVERIFY(button->hasFocus());
        const QImage image = button->grab().toImage();
        const int ring = qGray(image.pixel(3, 20)), inside = qGray(image.pixel(60, 20));
        QVERIFY2(qAbs(ring - inside) > 60, qPrintable(QStringLiteral("%1 on %2").arg(ring).arg(inside)));
    }

    void placement()
    {
        // Button 100 × 60 and title 40 × 14 unless said otherwise, image 16 × 16, spacing 8.
        // Flags: h hug, r right-to-left, n no image, t no title. A null rect is no frame.
        struct Case
        {
            const char *name;
            int position;
            const char *flags;
            QRect image, title;
            QSizeF button = {100, 60}, titleSize = {40, 14};
        };
        using P = Placement;
        const Case cases[] = {
            {"left", P::ImageLeft, "", {8, 22, 16, 16}, {52, 23, 40, 14}},
            {"below, hug", P::ImageBelow, "h", {42, 37, 16, 16}, {30, 7, 40, 14}},
            {"image only", P::ImageOnly, "", {42, 22, 16, 16}, {}},
            {"leading, right-to-left", P::ImageLeading, "r", {76, 22, 16, 16}, {8, 23, 40, 14}},
            {"no image keeps its side", P::ImageLeft, "n", {}, {52, 23, 40, 14}},
            {"halves round away from zero, title width up", P::ImageOverlaps, "", {43, 23, 16, 16},
                {30, 23, 41, 15}, {101, 61}, {40.2, 14.5}},
            {"negative halves", P::ImageOnly, "", {-3, -3, 16, 16}, {}, {11, 11}},
        };
        auto frame = [](QRect rect) { return rect.isNull() ? std::optional<QRect>() : rect; };
        for (const Case &c : cases) {
            const QByteArray flags(c.flags);
            const Placement::Input input {c.button,
                flags.contains('n') ? std::nullopt : std::optional(QSizeF(16, 16)),
                flags.contains('t') ? std::nullopt : std::optional(c.titleSize), 8,
                Placement::ImagePosition(c.position), flags.contains('h'),
                flags.contains('r') ? Qt::RightToLeft : Qt::LeftToRight};
            QVERIFY2(Placement::imageFrame(input) == frame(c.image), c.name);
            QVERIFY2(Placement::titleFrame(input) == frame(c.title), c.name);
        }
    }
};

QTEST_MAIN(tst_ZephFlatButton)
#include "tst_ZephFlatButton.moc"
