#include "WebBrowser.h"

#include <QDesktopServices>
#include <QUrl>

namespace corvale {

void SystemWebBrowser::openUrl(const QUrl &url)
{
    // Nothing is shown when the desktop cannot open it: there is nothing the user could do.
    QDesktopServices::openUrl(url);
}

} // namespace corvale
