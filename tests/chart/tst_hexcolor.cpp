#include "HexColor.h"

#include <QTest>

using namespace corvale;

class TestHexColor : public QObject
{
    Q_OBJECT

private slots:
    void readsTheNumberAtTheStart_data();
    void readsTheNumberAtTheStart();
};

void TestHexColor::readsTheNumberAtTheStart_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("red");
    QTest::addColumn<int>("green");
    QTest::addColumn<int>("blue");

    QTest::newRow("upper case") << u"00D93F"_qs << 0 << 217 << 63;
    QTest::newRow("lower case") << u"0085ff"_qs << 0 << 133 << 255;
    QTest::newRow("border orange") << u"FFAC00"_qs << 255 << 172 << 0;
    QTest::newRow("0x prefix skipped") << u"0x00D93F"_qs << 0 << 217 << 63;
    QTest::newRow("0X prefix and blanks") << u"  \t0XFFAC00"_qs << 255 << 172 << 0;
    QTest::newRow("two digits are blue") << u"FF"_qs << 0 << 0 << 255;
    QTest::newRow("stops at the first non-digit") << u"00D9zz"_qs << 0 << 0 << 217;
    QTest::newRow("only the low 24 bits count") << u"12FFAC00"_qs << 255 << 172 << 0;
    QTest::newRow("ten digits overflow to white") << u"FFFFFFFFFF"_qs << 255 << 255 << 255;
    QTest::newRow("overflow with small digits is still white") << u"1000000000"_qs << 255 << 255 << 255;
    QTest::newRow("number sign gives black") << u"#00D93F"_qs << 0 << 0 << 0;
    QTest::newRow("empty gives black") << u""_qs << 0 << 0 << 0;
    QTest::newRow("none gives black") << QString() << 0 << 0 << 0;
    QTest::newRow("bare prefix is the digit zero") << u"0x"_qs << 0 << 0 << 0;
}

void TestHexColor::readsTheNumberAtTheStart()
{
    QFETCH(QString, text);
    QFETCH(int, red);
    QFETCH(int, green);
    QFETCH(int, blue);
    const QColor color = colorWithHexColorString(text);
    QCOMPARE(color.redF(), red / 255.0f);
    QCOMPARE(color.greenF(), green / 255.0f);
    QCOMPARE(color.blueF(), blue / 255.0f);
    QCOMPARE(color.alphaF(), 1.0f);
}

QTEST_APPLESS_MAIN(TestHexColor)
#include "tst_hexcolor.moc"
