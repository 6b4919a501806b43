#include "DynamicStackedViewBox.h"

#include <QTest>

using namespace corvale;

class TestDynamicStackedViewBox : public QObject
{
    Q_OBJECT

private slots:
    void titleShowsOnlyAboveThirtyByFourteen_data();
    void titleShowsOnlyAboveThirtyByFourteen();
    void boxOutsideABarHandlesItselfOnly();
};

void TestDynamicStackedViewBox::titleShowsOnlyAboveThirtyByFourteen_data()
{
    QTest::addColumn<QRectF>("frame");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<QRectF>("titleRect");

    // (0, h/2 − 6, w, 13) from the bottom is (0, h/2 − 7, w, 13) from the top.
    QTest::newRow("31 × 15") << QRectF(0, 0, 31, 15) << true << QRectF(0, 0.5, 31, 13);
    QTest::newRow("30 wide") << QRectF(0, 0, 30, 50) << false << QRectF();
    QTest::newRow("14 high") << QRectF(0, 0, 100, 14) << false << QRectF();
    QTest::newRow("fractional") << QRectF(10.5, 0, 89.7, 50) << true << QRectF(0, 18, 89.7, 13);
}

void TestDynamicStackedViewBox::titleShowsOnlyAboveThirtyByFourteen()
{
    QFETCH(QRectF, frame);
    QFETCH(bool, shown);
    QFETCH(QRectF, titleRect);

    DynamicStackedViewBox box;
    box.setFrame(frame);
    QCOMPARE(box.isTitleShown(), shown);
    if (shown)
        QCOMPARE(box.titleRect(), titleRect);
    QCOMPARE(box.frame(), frame);
}

void TestDynamicStackedViewBox::boxOutsideABarHandlesItselfOnly()
{
    QWidget parent;
    auto *box = new DynamicStackedViewBox(&parent);
    // No sector yet: highlighting changes nothing.
    box->setHighlighted(true);
    QVERIFY(!box->backgroundColor().isValid());

    auto sector = std::make_shared<DynamicStackedViewSector>();
    sector->setColor(Qt::blue);
    sector->setHighlightColor(Qt::green);
    box->setBackgroundColor(sector->color());
    box->setSector(sector);
    box->setFrame(QRectF(0, 0, 80, 40));
    parent.resize(100, 100);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));

    // A click flips the box's own flag each time, with nobody to tell.
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(box->isSelected());
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(!box->isSelected());
    QVERIFY(!sector->isSelected());

    QTest::mouseMove(box, QPoint(5, 5));
    QTRY_COMPARE(box->backgroundColor(), QColor(Qt::green));
    QTest::mouseMove(&parent, QPoint(95, 95));
    QTRY_COMPARE(box->backgroundColor(), QColor(Qt::blue));
}

QTEST_MAIN(TestDynamicStackedViewBox)
#include "tst_dynamicstackedviewbox.moc"
