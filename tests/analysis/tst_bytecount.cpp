#include "ByteCount.h"
#include <QTest>

using namespace corvale;

class TestByteCount : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void text_data()
    {
        QTest::addColumn<quint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QLocale>("locale");
        const QLocale c = QLocale::c();
        QTest::newRow("one") << quint64(1) << "1 byte" << c;
        QTest::newRow("kB rounds, no decimals") << quint64(1500) << "2 kB" << c;
        QTest::newRow("kB rolls over to MB") << quint64(999'999) << "1 MB" << c;
        QTest::newRow("MB trailing zero dropped") << quint64(100'000'000) << "100 MB" << c;
        QTest::newRow("GB two decimals") << quint64(1'234'567'890) << "1.23 GB" << c;
        QTest::newRow("largest") << ~quint64(0) << "18.45 EB" << c;
        QTest::newRow("locale's decimal mark") << quint64(1'500'000) << "1,5 MB" << QLocale(QLocale::German);
    }
    void text()
    {
        QFETCH(quint64, bytes);
        QFETCH(QLocale, locale);
        QTEST(byteCountText(bytes, locale), "text");
    }
};

QTEST_MAIN(TestByteCount)
#include "tst_bytecount.moc"
