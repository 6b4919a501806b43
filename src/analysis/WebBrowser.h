#pragma once

class QUrl;

namespace corvale {

// Opens an address in the user's web browser. The one place where Corvale hands a link to the
// desktop, so that tests can stand in for the browser. GUI thread only.
class WebBrowser
{
public:
    virtual ~WebBrowser() = default;
    virtual void openUrl(const QUrl &url) = 0;
};

// The desktop's default browser, through QDesktopServices.
class SystemWebBrowser : public WebBrowser
{
public:
    void openUrl(const QUrl &url) override;
};

} // namespace corvale
