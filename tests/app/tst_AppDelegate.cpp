#include "AppDelegate.h"
#include "Config.h"
#include "WebBrowser.h"

#include <QApplication>
#include <QFileInfo>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using namespace corvale;

namespace {
class FakeWebBrowser : public WebBrowser
{
public:
    void openUrl(const QUrl &url) override { opened.append(url); }
    QList<QUrl> opened;
};

QSettings corvaleSettings()
{
    return QSettings(QStringLiteral("Corvale"), QStringLiteral("Corvale"));
}
} // namespace

class TestAppDelegate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void launchCountsAndSchedulesReview_data();
    void launchCountsAndSchedulesReview();
    void counterWrapsAfterHundred();
    void reviewTimerRequestsReview();
    void lastWindowClosedQuits();
    void webButtonOpensVendorSite();

private:
    QTemporaryDir m_config;
};

void TestAppDelegate::initTestCase()
{
    QVERIFY(m_config.isValid());
    // QSettings fixes its folders on first use: point them at the temporary one before that.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
}

void TestAppDelegate::init()
{
    auto settings = corvaleSettings();
    settings.clear();
    settings.sync();
}

void TestAppDelegate::launchCountsAndSchedulesReview_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<qint64>("expected");
    QTest::addColumn<bool>("reviewScheduled");

    QTest::newRow("first launch") << QVariant() << qint64(1) << false;
    QTest::newRow("zero") << QVariant(0) << qint64(1) << false;
    QTest::newRow("ninth becomes tenth") << QVariant(9) << qint64(10) << true;
    QTest::newRow("tenth") << QVariant(10) << qint64(11) << false;
    QTest::newRow("99 climbs to 100") << QVariant(99) << qint64(100) << false;
    QTest::newRow("100 wraps") << QVariant(100) << qint64(0) << false;
    QTest::newRow("beyond 32 bits wraps") << QVariant(qint64(1) << 40) << qint64(0) << false;
    QTest::newRow("negative counts on") << QVariant(-1) << qint64(0) << false;
    QTest::newRow("text reads as nine") << QVariant(QStringLiteral("9")) << qint64(10) << true;
    QTest::newRow("junk reads as zero") << QVariant(QStringLiteral("many")) << qint64(1) << false;
}

void TestAppDelegate::launchCountsAndSchedulesReview()
{
    QFETCH(QVariant, stored);
    QFETCH(qint64, expected);
    QFETCH(bool, reviewScheduled);
    if (stored.isValid()) {
        auto settings = corvaleSettings();
        settings.setValue(QStringLiteral("runCount"), stored);
    }

    AppDelegate delegate;
    QSignalSpy reviews(&delegate, &AppDelegate::reviewRequested);
    delegate.applicationDidFinishLaunching();

    // Read back from the file, as the next launch will.
    const QString file = m_config.filePath(QStringLiteral("Corvale/Corvale.conf"));
    QVERIFY2(QFileInfo::exists(file), qPrintable(file));
    QSettings onDisk(file, QSettings::IniFormat);
    QCOMPARE(onDisk.value(QStringLiteral("runCount")).toLongLong(), expected);

    QCOMPARE(delegate.isReviewScheduled(), reviewScheduled);
    if (reviewScheduled) {
        QVERIFY(delegate.reviewTimer()->isSingleShot());
        QCOMPARE(delegate.reviewTimer()->interval(), 100'000);
    }
    QCOMPARE(reviews.count(), 0);
}

void TestAppDelegate::counterWrapsAfterHundred()
{
    corvaleSettings().setValue(QStringLiteral("runCount"), 100);
    QList<qint64> seen;
    for (int launch = 0; launch < 12; ++launch) {
        AppDelegate delegate;
        delegate.applicationDidFinishLaunching();
        seen.append(corvaleSettings().value(QStringLiteral("runCount")).toLongLong());
        QCOMPARE(delegate.isReviewScheduled(), seen.last() == 10);
    }
    QCOMPARE(seen, (QList<qint64> {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
}

void TestAppDelegate::reviewTimerRequestsReview()
{
    corvaleSettings().setValue(QStringLiteral("runCount"), 9);
    AppDelegate delegate;
    QSignalSpy reviews(&delegate, &AppDelegate::reviewRequested);
    delegate.applicationDidFinishLaunching();
    QVERIFY(delegate.isReviewScheduled());

    // Not 100 seconds here: the timer is fired early to see what it is wired to.
    delegate.reviewTimer()->start(0);
    QTRY_COMPARE(reviews.count(), 1);
    QVERIFY(!delegate.isReviewScheduled());
    QTest::qWait(20);
    QCOMPARE(reviews.count(), 1);
}

void TestAppDelegate::lastWindowClosedQuits()
{
    QApplication::setQuitOnLastWindowClosed(false);
    AppDelegate delegate;
    QVERIFY(delegate.applicationShouldTerminateAfterLastWindowClosed());
    delegate.applicationDidFinishLaunching();
    QVERIFY(QApplication::quitOnLastWindowClosed());
}

void TestAppDelegate::webButtonOpensVendorSite()
{
    AppDelegate delegate;
    auto browser = std::make_shared<FakeWebBrowser>();
    delegate.setWebBrowser(browser);
    delegate.webBtn();
    QCOMPARE(browser->opened.size(), 1);
    const QUrl url = browser->opened.first();
    QVERIFY(url.isValid());
    QCOMPARE(url.toString(), QString::fromUtf8(vendorWebsite));
    QVERIFY(url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http"));
}

QTEST_MAIN(TestAppDelegate)
#include "tst_AppDelegate.moc"
