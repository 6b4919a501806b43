#include "FlatButtonPlacement.h"

#include <QTest>

using namespace corvale;

using Placement = FlatButtonPlacement;
using OptionalRect = std::optional<QRect>;
Q_DECLARE_METATYPE(OptionalRect)
Q_DECLARE_METATYPE(Placement::ImagePosition)
Q_DECLARE_METATYPE(Qt::LayoutDirection)

class tst_FlatButtonPlacement : public QObject
{
    Q_OBJECT

private slots:
    void imageAndTitleFrames_data();
    void imageAndTitleFrames();
};

void tst_FlatButtonPlacement::imageAndTitleFrames_data()
{
    // Button 100 × 60 unless said otherwise, image 16 × 16, title 40 × 14, spacing 8.
    QTest::addColumn<QSizeF>("button");
    QTest::addColumn<bool>("hasImage");
    QTest::addColumn<QSizeF>("title");
    QTest::addColumn<Placement::ImagePosition>("position");
    QTest::addColumn<bool>("hug");
    QTest::addColumn<Qt::LayoutDirection>("direction");
    QTest::addColumn<OptionalRect>("image");
    QTest::addColumn<OptionalRect>("titleFrame");

    const QSizeF button(100, 60), title(40, 14);
    const auto ltr = Qt::LeftToRight;
    auto add = [&](const char *name, Placement::ImagePosition position, bool hug, OptionalRect image,
                   OptionalRect titleFrame) {
        QTest::newRow(name) << button << true << title << position << hug << ltr << image << titleFrame;
    };
    const OptionalRect none;
    add("image left", Placement::ImageLeft, false, QRect(8, 22, 16, 16), QRect(52, 23, 40, 14));
    add("image left, hug", Placement::ImageLeft, true, QRect(14, 22, 16, 16), QRect(46, 23, 40, 14));
    add("image right", Placement::ImageRight, false, QRect(76, 22, 16, 16), QRect(8, 23, 40, 14));
    add("image right, hug", Placement::ImageRight, true, QRect(70, 22, 16, 16), QRect(14, 23, 40, 14));
    add("image below", Placement::ImageBelow, false, QRect(42, 36, 16, 16), QRect(30, 8, 40, 14));
    add("image below, hug", Placement::ImageBelow, true, QRect(42, 37, 16, 16), QRect(30, 7, 40, 14));
    add("image above", Placement::ImageAbove, false, QRect(42, 8, 16, 16), QRect(30, 38, 40, 14));
    add("image above, hug", Placement::ImageAbove, true, QRect(42, 7, 16, 16), QRect(30, 39, 40, 14));
    add("image only", Placement::ImageOnly, false, QRect(42, 22, 16, 16), none);
    add("image only, hug", Placement::ImageOnly, true, QRect(42, 22, 16, 16), none);
    add("overlaps", Placement::ImageOverlaps, false, QRect(42, 22, 16, 16), QRect(30, 23, 40, 14));
    add("no image position", Placement::NoImage, false, none, QRect(30, 23, 40, 14));
    add("leading is left", Placement::ImageLeading, false, QRect(8, 22, 16, 16), QRect(52, 23, 40, 14));
    add("trailing is right", Placement::ImageTrailing, true, QRect(70, 22, 16, 16), QRect(14, 23, 40, 14));
    add("unknown position", Placement::ImagePosition(9), false, QRect(0, 0, 16, 16), QRect(0, 0, 40, 14));

    QTest::newRow("leading in right-to-left")
        << button << true << title << Placement::ImageLeading << false << Qt::RightToLeft
        << OptionalRect(QRect(76, 22, 16, 16)) << OptionalRect(QRect(8, 23, 40, 14));
    QTest::newRow("the worked example: 100 wide, spacing 8")
        << QSizeF(100, 30) << true << title << Placement::ImageLeft << false << ltr
        << OptionalRect(QRect(8, 7, 16, 16)) << OptionalRect(QRect(52, 8, 40, 14));
    QTest::newRow("no image: the title still keeps its side")
        << button << false << title << Placement::ImageLeft << false << ltr << none
        << OptionalRect(QRect(52, 23, 40, 14));
    QTest::newRow("no image: hug centres on the title alone")
        << button << false << title << Placement::ImageLeft << true << ltr << none
        << OptionalRect(QRect(38, 23, 40, 14));
    QTest::newRow("no title: hug centres on the image alone")
        << button << true << QSizeF() << Placement::ImageLeft << true << ltr
        << OptionalRect(QRect(34, 22, 16, 16)) << none;
    QTest::newRow("halves round away from zero, title width rounds up")
        << QSizeF(101, 61) << true << QSizeF(40.2, 14.5) << Placement::ImageOverlaps << false << ltr
        << OptionalRect(QRect(43, 23, 16, 16)) << OptionalRect(QRect(30, 23, 41, 15));
    QTest::newRow("negative halves round away from zero")
        << QSizeF(11, 11) << true << title << Placement::ImageOnly << false << ltr
        << OptionalRect(QRect(-3, -3, 16, 16)) << none;
}

void tst_FlatButtonPlacement::imageAndTitleFrames()
{
    QFETCH(QSizeF, button);
    QFETCH(bool, hasImage);
    QFETCH(QSizeF, title);
    QFETCH(Placement::ImagePosition, position);
    QFETCH(bool, hug);
    QFETCH(Qt::LayoutDirection, direction);
    QFETCH(OptionalRect, image);
    QFETCH(OptionalRect, titleFrame);

    Placement::Input input;
    input.button = button;
    if (hasImage)
        input.image = QSizeF(16, 16);
    if (!title.isEmpty())
        input.title = title;
    input.spacing = 8;
    input.position = position;
    input.hug = hug;
    input.direction = direction;
    QCOMPARE(Placement::imageFrame(input), image);
    QCOMPARE(Placement::titleFrame(input), titleFrame);
}

QTEST_APPLESS_MAIN(tst_FlatButtonPlacement)
#include "tst_FlatButtonPlacement.moc"
