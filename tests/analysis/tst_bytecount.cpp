#include "ByteCount.h"
#include "WorkspaceIcons.h"

#include <QTemporaryDir>
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
        QTest::newRow("zero") << quint64(0) << "0 bytes";
        QTest::newRow("one") << quint64(1) << "1 byte";
        QTest::newRow("below a kB") << quint64(999) << "999 bytes";
        QTest::newRow("exactly a kB") << quint64(1000) << "1 kB";
        QTest::newRow("kB rounds, no decimals") << quint64(1500) << "2 kB";
        QTest::newRow("kB rolls over to MB") << quint64(999'999) << "1 MB";
        QTest::newRow("MB one decimal") << quint64(1'500'000) << "1.5 MB";
        QTest::newRow("MB trailing zero dropped") << quint64(100'000'000) << "100 MB";
        QTest::newRow("GB whole") << quint64(1'000'000'000) << "1 GB";
        QTest::newRow("GB two decimals") << quint64(1'234'567'890) << "1.23 GB";
        QTest::newRow("GB one significant decimal") << quint64(1'500'000'000) << "1.5 GB";
        QTest::newRow("50 GB") << quint64(50'000'000'000) << "50 GB";
        QTest::newRow("TB") << quint64(2'345'000'000'000) << "2.35 TB";
        QTest::newRow("largest") << ~quint64(0) << "18.45 EB";
    }
    void text()
    {
        QFETCH(quint64, bytes);
        QFETCH(QString, text);
        QCOMPARE(byteCountText(bytes, QLocale::c()), text);
    }

    void usesTheLocalesDecimalMark()
    {
        QCOMPARE(byteCountText(1'500'000, QLocale(QLocale::German)), QStringLiteral("1,5 MB"));
    }

    void iconsFollowTheType()
    {
        QTemporaryDir dir;
        const QByteArray folder = QFile::encodeName(dir.path());
        QVERIFY(!iconForFile(folder).isNull());
        QVERIFY(!iconForEntry(folder + "/missing.txt", false).isNull());
        // Folders and files do not share one icon.
        QVERIFY(iconForEntry(folder, true).cacheKey() != iconForEntry(folder + "/a.txt", false).cacheKey());
    }
};

QTEST_MAIN(TestByteCount)
#include "tst_bytecount.moc"
