#include "Config.h"
#include "OrvSpinnerView.h"
#include "StorageWindowController.h"
#include "WebBrowser.h"
#include "WelcomeFadeEffect.h"
#include "ZephFlatButton.h"

#include <QApplication>
#include <QLabel>
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

} // namespace

class TestStorageWindowSetUp : public QObject
{
    Q_OBJECT

    template<class T = QWidget>
    static T *child(StorageWindowController &c, const char *name)
    {
        return c.findChild<T *>(QLatin1String(name));
    }
    static WelcomeFadeEffect *fade(StorageWindowController &c, const char *name)
    {
        return qobject_cast<WelcomeFadeEffect *>(child(c, name)->graphicsEffect());
    }
    // The four welcome elements' alphas, image first and the select button last.
    static QList<double> welcomeAlphas(StorageWindowController &c)
    {
        QList<double> alphas;
        for (const char *name : {"welcomeImage", "welcomeTitle", "welcomeDescription"})
            alphas << fade(c, name)->opacity();
        return alphas << child<ZephFlatButton>(c, "selectFolderMainButton")->alpha();
    }

private Q_SLOTS:
    void welcomeFadesInOnEveryAppearance()
    {
        StorageWindowController c;
        c.resize(1000, 700);
        QCOMPARE(welcomeAlphas(c), QList<double>({0, 0, 0, 0}));
        c.show();
        QTRY_VERIFY(!c.welcomeAnimation());
        QCOMPARE(welcomeAlphas(c), QList<double>({1, 1, 1, 1}));
        QCOMPARE(fade(c, "welcomeImage")->offset(), 0.0);

        // Hidden halfway through: nothing is left half faded for the next appearance.
        c.hide();
        c.show();
        QTest::qWait(100);
        c.hide();
        QVERIFY(!c.welcomeAnimation());
        QCOMPARE(welcomeAlphas(c), QList<double>({0, 0, 0, 0}));
        // With a result in place of the welcome view an appearance animates nothing.
        child(c, "welcomeView")->hide();
        c.show();
        QVERIFY(!c.welcomeAnimation());
    }

    void theShareButtonEscapesTheReclaimedTextAndTheName_data()
    {
        QTest::addColumn<QString>("reclaimed");
        QTest::addColumn<QByteArray>("info");
        QTest::newRow("decimal comma stays") << QStringLiteral("1,5 GB") << QByteArray("1,5%20GB");
        QTest::newRow("non-ASCII as UTF-8") << QStringLiteral("2 Mö") << QByteArray("2%20M%C3%B6");
        QTest::newRow("slash and question mark") << QStringLiteral("a/b?c") << QByteArray("a%2Fb%3Fc");
    }
    void theShareButtonEscapesTheReclaimedTextAndTheName()
    {
        QFETCH(QString, reclaimed);
        QFETCH(QByteArray, info);
        QCoreApplication::setApplicationName(QStringLiteral("Cor vale"));
        StorageWindowController c;
        auto browser = std::make_shared<FakeWebBrowser>();
        c.setWebBrowser(browser);
        child<QLabel>(c, "fieldReclaim")->setText(reclaimed);
        child<QAbstractButton>(c, "buttonReclaim")->click();
        QCOMPARE(browser->opened.size(), 1);
        QCOMPARE(browser->opened.first().toEncoded(),
            QByteArray(vendorWebsite) + "/share/?app=Cor%20vale&info=" + info);
    }
};

QTEST_MAIN(TestStorageWindowSetUp)
#include "tst_storagewindowsetup.moc"
