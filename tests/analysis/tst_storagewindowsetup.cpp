#include "Config.h"
#include "OrvSpinnerView.h"
#include "StorageWindowController.h"
#include "WebBrowser.h"
#include "WelcomeFadeEffect.h"
#include "ZephFlatButton.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QMenu>
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

bool sameColor(const QColor &a, const QColor &b)
{
    return qAbs(a.redF() - b.redF()) < 0.01 && qAbs(a.greenF() - b.greenF()) < 0.01
        && qAbs(a.blueF() - b.blueF()) < 0.01 && qAbs(a.alphaF() - b.alphaF()) < 0.01;
}

} // namespace

class TestStorageWindowSetUp : public QObject
{
    Q_OBJECT

    template<class T = QWidget>
    static T *child(StorageWindowController &c, const char *name)
    {
        auto *widget = c.findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("no element %s", name);
        return widget;
    }
    static QList<WelcomeFadeEffect *> welcomeFades(StorageWindowController &c)
    {
        QList<WelcomeFadeEffect *> fades;
        for (const char *name : {"welcomeImage", "welcomeTitle", "welcomeDescription"})
            fades << qobject_cast<WelcomeFadeEffect *>(child(c, name)->graphicsEffect());
        return fades;
    }
    // The four welcome elements' alphas, image first and the select button last.
    static QList<double> welcomeAlphas(StorageWindowController &c)
    {
        QList<double> alphas;
        for (WelcomeFadeEffect *fade : welcomeFades(c))
            alphas << (fade ? fade->opacity() : -1);
        alphas << child<ZephFlatButton>(c, "selectFolderMainButton")->alpha();
        return alphas;
    }
    static QColor separatorColor(StorageWindowController &c, const char *name)
    {
        return child(c, name)->palette().color(QPalette::WindowText);
    }

private Q_SLOTS:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("Corvale")); }

    void setUpBuildsPaletteSpinnerMenuAndLegend()
    {
        StorageWindowController c;
        QCOMPARE(c.paletteColor(1), QColor(0x00, 0xD9, 0x3F));
        QCOMPARE(c.paletteHighlightColor(1), QColor(0x02, 0xC0, 0x39));
        QCOMPARE(c.paletteColor(5), QColor(0x00, 0x85, 0xFF));
        QCOMPARE(c.paletteHighlightColor(6), QColor(0x66, 0x00, 0xFF));
        QCOMPARE(c.paletteColor(10), QColor(0xFF, 0x40, 0x56));
        QCOMPARE(c.paletteHighlightColor(10), QColor(0xC0, 0x1D, 0x30));

        OrvSpinnerView *spinner = c.spinner();
        QVERIFY(spinner);
        QCOMPARE(spinner->parentWidget(), child(c, "loader"));
        QCOMPARE(spinner->style(), OrvSpinnerView::nineCubeGridStyle);
        QCOMPARE(spinner->geometry(), QRect(0, 0, 40, 40));
        QVERIFY(spinner->isStopped());
        QVERIFY(sameColor(spinner->color(), QColor::fromRgbF(1, 1, 1, 0.75f)));

        QCOMPARE(c.stackedMenu()->title(), QString());
        QCOMPARE(c.stackedMenu()->actions().size(), 1);
        QCOMPARE(c.stackedMenu()->actions().first(), c.showInFinderAction());
        QCOMPARE(c.showInFinderAction()->text(), QStringLiteral("Show in Finder"));

        auto *button = child<ZephFlatButton>(c, "selectFolderMainButton");
        const QColor accent = c.palette().color(QPalette::Highlight);
        QCOMPARE(button->backgroundNormalColor(), accent);
        QCOMPARE(button->backgroundHighlightColor(), accent);

        QCOMPARE(child<QLabel>(c, "sizeFrom")->text(), QStringLiteral("100 MB"));
        QCOMPARE(child<QLabel>(c, "sizeMiddle")->text(), QStringLiteral("1 GB"));
        QCOMPARE(child<QLabel>(c, "sizeTo")->text(), QStringLiteral("50 GB"));
        QVERIFY(child(c, "chartColorsView")->styleSheet().contains(QLatin1String("border-radius: 4px")));

        // Nothing of the welcome view shows before its first appearance.
        QCOMPARE(welcomeAlphas(c), QList<double>({0, 0, 0, 0}));
    }

    void welcomeFadesInOnEveryAppearance()
    {
        StorageWindowController c;
        c.resize(1000, 700);
        c.show();
        QVERIFY(c.welcomeAnimation());
        QCOMPARE(c.welcomeAnimation()->duration(), 350);
        // It starts below the resting places: the image 140 points, the texts 100.
        QCOMPARE(welcomeFades(c).at(0)->offset(), 140.0);
        QCOMPARE(welcomeFades(c).at(1)->offset(), 100.0);
        QTRY_VERIFY(!c.welcomeAnimation());
        QCOMPARE(welcomeAlphas(c), QList<double>({1, 1, 1, 1}));
        QCOMPARE(c.imageAnimationConstrain(), StorageWindowController::imageRestOffset);
        QCOMPARE(c.textAnimationConstrain(), StorageWindowController::textRestOffset);
        for (WelcomeFadeEffect *fade : welcomeFades(c))
            QCOMPARE(fade->offset(), 0.0);

        c.hide();
        QCOMPARE(welcomeAlphas(c), QList<double>({0, 0, 0, 0}));
        c.show();
        QVERIFY(c.welcomeAnimation());
        QTRY_COMPARE(welcomeAlphas(c), QList<double>({1, 1, 1, 1}));

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
        QCOMPARE(welcomeAlphas(c), QList<double>({0, 0, 0, 0}));
    }

    void appearanceRecoloursSeparatorsAndSpinner()
    {
        StorageWindowController c;
        const char *separators[] = {"vibrantHR1", "vibrantHR2", "vibrantHR3"};
        c.setCurrentAppearance(Appearance::VibrantDark);
        QCOMPARE(c.windowAppearance(), std::optional(Appearance::VibrantDark));
        for (const char *name : separators)
            QVERIFY2(sameColor(separatorColor(c, name), QColor::fromRgbF(1, 1, 1, 0.1f)), name);
        QVERIFY(sameColor(c.spinner()->color(), QColor::fromRgbF(1, 1, 1, 0.6f)));

        // The same appearance again leaves everything as it is, even what others changed since.
        c.spinner()->setColor(Qt::red);
        c.setCurrentAppearance(Appearance::VibrantDark);
        QCOMPARE(c.spinner()->color(), QColor(Qt::red));

        c.setCurrentAppearance(Appearance::VibrantLight);
        for (const char *name : separators)
            QVERIFY2(sameColor(separatorColor(c, name), QColor::fromRgbF(0, 0, 0, 0.1f)), name);
        QVERIFY(sameColor(c.spinner()->color(), QColor::fromRgbF(0, 0, 0, 0.3f)));
        // Only the line colour is the separators' own: the rest still follows the window.
        QCOMPARE(
            child(c, "vibrantHR1")->palette().color(QPalette::Window), c.palette().color(QPalette::Window));
    }

    void maskImages_data()
    {
        QTest::addColumn<qreal>("scale");
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<bool>("cornerInsetOpaque"); // the pixel at (2, 2)

        // Radius 6 at scale 1 reaches (2, 2); radius 12 at scale 2 cuts it away.
        QTest::newRow("scale 1") << 1.0 << QSize(100, 50) << true;
        QTest::newRow("scale 2") << 2.0 << QSize(200, 100) << false;
        QTest::newRow("no scale counts as 1") << 0.0 << QSize(100, 50) << true;
        QTest::newRow("fractional pixels are cut") << 1.25 << QSize(125, 62) << true;
    }

    void maskImages()
    {
        QFETCH(qreal, scale);
        QFETCH(QSize, pixels);
        QFETCH(bool, cornerInsetOpaque);
        const QImage image = StorageWindowController::maskedImage(QSizeF(100, 50), 6, scale);
        QCOMPARE(image.size(), pixels);
        QCOMPARE(image.devicePixelRatio(), scale > 0 ? scale : 1.0);
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(image.pixel(pixels.width() - 1, pixels.height() - 1)), 0);
        QCOMPARE(qAlpha(image.pixel(pixels.width() / 2, pixels.height() / 2)), 255);
        QCOMPARE(image.pixel(pixels.width() / 2, pixels.height() / 2), qRgba(0, 0, 0, 255));
        QCOMPARE(qAlpha(image.pixel(2, 2)) > 128, cornerInsetOpaque);
    }

    void maskFollowsTheWindowAndThePanels()
    {
        StorageWindowController c;
        // No window yet: scale 1.
        QCOMPARE(c.maskedImageForSize(QSizeF(100, 50), 6).size(), QSize(100, 50));
        QVERIFY(c.maskedImageForSize(QSizeF(0, 50), 6).isNull());
        c.show();
        QVERIFY(QTest::qWaitForWindowExposed(&c));
        const qreal ratio = c.windowHandle()->devicePixelRatio();
        QCOMPARE(
            c.maskedImageForSize(QSizeF(100, 50), 6).size(), QSize(qRound(100 * ratio), qRound(50 * ratio)));

        // The panels stay clipped to their own size as they change it.
        child(c, "welcomeView")->hide();
        child(c, "chartView")->show();
        auto *panel = child(c, "deleteView");
        panel->show();
        panel->resize(300, 80);
        QCOMPARE(panel->mask().boundingRect(), QRect(0, 0, 300, 80));
        QVERIFY(!panel->mask().contains(QPoint(0, 0)));
        QVERIFY(panel->mask().contains(panel->rect().center()));
        auto *legend = child(c, "legendView");
        QCOMPARE(legend->mask().boundingRect(), legend->rect());
    }

    void shareLinkEscapesTheReclaimedText_data()
    {
        QTest::addColumn<QString>("reclaimed");
        QTest::addColumn<QByteArray>("info");

        QTest::newRow("space") << QStringLiteral("1.5 GB") << QByteArray("1.5%20GB");
        QTest::newRow("decimal comma stays") << QStringLiteral("1,5 GB") << QByteArray("1,5%20GB");
        QTest::newRow("non-ASCII as UTF-8") << QStringLiteral("2 Mö") << QByteArray("2%20M%C3%B6");
        QTest::newRow("slash and question mark") << QStringLiteral("a/b?c") << QByteArray("a%2Fb%3Fc");
        QTest::newRow("empty") << QString() << QByteArray();
    }

    void shareLinkEscapesTheReclaimedText()
    {
        QFETCH(QString, reclaimed);
        QFETCH(QByteArray, info);
        StorageWindowController c;
        auto browser = std::make_shared<FakeWebBrowser>();
        c.setWebBrowser(browser);
        child<QLabel>(c, "fieldReclaim")->setText(reclaimed);
        c.shareResults();
        QCOMPARE(browser->opened.size(), 1);
        QCOMPARE(browser->opened.first().toEncoded(),
            QByteArray(vendorWebsite) + "/share/?app=Corvale&info=" + info);
    }

    void theShareButtonSharesAndTheApplicationNameIsEscapedToo()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Cor vale"));
        StorageWindowController c;
        auto browser = std::make_shared<FakeWebBrowser>();
        c.setWebBrowser(browser);
        child<QLabel>(c, "fieldReclaim")->setText(QStringLiteral("3 kB"));
        auto *share = child<QAbstractButton>(c, "buttonReclaim");
        share->show();
        share->click();
        QCoreApplication::setApplicationName(QStringLiteral("Corvale"));
        QCOMPARE(browser->opened.size(), 1);
        QCOMPARE(browser->opened.first().toEncoded(),
            QByteArray(vendorWebsite) + "/share/?app=Cor%20vale&info=3%20kB");
    }
};

QTEST_MAIN(TestStorageWindowSetUp)
#include "tst_storagewindowsetup.moc"
