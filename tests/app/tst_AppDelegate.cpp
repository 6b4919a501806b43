#include "AppDelegate.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace corvale;

class TestAppDelegate : public QObject
{
    Q_OBJECT

    QTemporaryDir m_config;

private slots:
    void initTestCase()
    {
        // QSettings fixes its folders on first use: point them at the temporary one before that.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    }

    void launchCountsAndSchedulesReview_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<qint64>("expected");
        QTest::addColumn<bool>("reviewScheduled");
        QTest::newRow("first launch") << QVariant() << qint64(1) << false;
        QTest::newRow("ninth becomes tenth") << QVariant(9) << qint64(10) << true;
        QTest::newRow("negative counts on") << QVariant(-1) << qint64(0) << false;
        QTest::newRow("100 wraps") << QVariant(100) << qint64(0) << false;
        QTest::newRow("beyond 32 bits wraps") << QVariant(qint64(1) << 40) << qint64(0) << false;
        QTest::newRow("text reads as nine") << QVariant(QStringLiteral("9")) << qint64(10) << true;
        QTest::newRow("junk reads as zero") << QVariant(QStringLiteral("many")) << qint64(1) << false;
    }

    void launchCountsAndSchedulesReview()
    {
        QFETCH(QVariant, stored);
        QFETCH(qint64, expected);
        QFETCH(bool, reviewScheduled);
        const QString file = m_config.filePath(QStringLiteral("Corvale/Corvale.conf"));
        QFile::remove(file);
        if (stored.isValid())
            QSettings(QStringLiteral("Corvale"), QStringLiteral("Corvale"))
                .setValue(QStringLiteral("runCount"), stored);

        AppDelegate delegate;
        QSignalSpy reviews(&delegate, &AppDelegate::reviewRequested);
        delegate.applicationDidFinishLaunching();
        // Read back from the file, as the next launch will.
        QCOMPARE(
            QSettings(file, QSettings::IniFormat).value(QStringLiteral("runCount")).toLongLong(), expected);
        QCOMPARE(delegate.isReviewScheduled(), reviewScheduled);
        QCOMPARE(reviews.count(), 0);
        if (!reviewScheduled)
            return;
        QCOMPARE(delegate.reviewTimer()->interval(), 100'000);
        // Not 100 seconds here: the timer is fired early to see what it is wired to.
        delegate.reviewTimer()->start(0);
        QTRY_COMPARE(reviews.count(), 1);
        QVERIFY(!delegate.isReviewScheduled());
        QTest::qWait(20); // once only
        QCOMPARE(reviews.count(), 1);
    }
};

QTEST_MAIN(TestAppDelegate)
#include "tst_AppDelegate.moc"
