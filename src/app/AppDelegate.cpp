#include "AppDelegate.h"

#include "Config.h"
#include "WebBrowser.h"

#include <QGuiApplication>
#include <QSettings>
#include <QUrl>

namespace corvale {

AppDelegate::AppDelegate(QObject *parent)
    : QObject(parent)
    , m_webBrowser(std::make_shared<SystemWebBrowser>())
{
    m_reviewTimer.setSingleShot(true);
    m_reviewTimer.setInterval(reviewDelayMs);
    connect(&m_reviewTimer, &QTimer::timeout, this, &AppDelegate::requestReview);
    if (auto *app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &AppDelegate::applicationWillTerminate);
}

AppDelegate::~AppDelegate() = default;

void AppDelegate::setWebBrowser(std::shared_ptr<WebBrowser> browser)
{
    m_webBrowser = std::move(browser);
}

void AppDelegate::applicationDidFinishLaunching()
{
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        app->setQuitOnLastWindowClosed(applicationShouldTerminateAfterLastWindowClosed());

    // Named explicitly rather than through the application's names, so the counter lands in
    // $XDG_CONFIG_HOME/Corvale/Corvale.conf whoever started us; it is the file the window uses.
    QSettings settings(QStringLiteral("Corvale"), QStringLiteral("Corvale"));
    // 64 bits and a signed comparison, as the counter was always read; junk reads as 0.
    const qint64 count = settings.value(QLatin1String(runCountKey)).toLongLong();
    const qint64 next = count > 99 ? 0 : count + 1;
    settings.setValue(QLatin1String(runCountKey), next);
    settings.sync();
    if (next == 10)
        m_reviewTimer.start();
}

void AppDelegate::applicationWillTerminate() { }

bool AppDelegate::applicationShouldTerminateAfterLastWindowClosed() const
{
    return true;
}

void AppDelegate::requestReview()
{
    Q_EMIT reviewRequested();
}

void AppDelegate::webBtn()
{
    const QUrl url(QString::fromUtf8(vendorWebsite));
    if (url.isValid() && m_webBrowser)
        m_webBrowser->openUrl(url);
}

} // namespace corvale
