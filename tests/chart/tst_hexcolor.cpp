#include "HexColor.h"

#include <QTest>

using namespace corvale;

class TestHexColor : public QObject
{
    Q_OBJECT

private slots:
    void readsTheNumberAtTheStart_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("color");
        QTest::newRow("lower case") << u"0085ff"_qs << QColor(0, 133, 255);
        QTest::newRow("0X prefix and blanks") << u"  \t0XFFAC00"_qs << QColor(255, 172, 0);
        QTest::newRow("only the low 24 bits count") << u"12FFAC00"_qs << QColor(255, 172, 0);
        QTest::newRow("overflow is white") << u"1000000000"_qs << QColor(255, 255, 255);
        QTest::newRow("stops at the first non-digit: black") << u"#00D93F"_qs << QColor(0, 0, 0);
        QTest::newRow("none gives black") << QString() << QColor(0, 0, 0);
        QTest::newRow("bare prefix is the digit zero") << u"0x"_qs << QColor(0, 0, 0);
    }
    void readsTheNumberAtTheStart()
    {
        QFETCH(QString, text);
        QFETCH(QColor, color);
        QCOMPARE(colorWithHexColorString(text).rgba(), color.rgba());
    }
};

QTEST_APPLESS_MAIN(TestHexColor)
#include "tst_hexcolor.moc"
