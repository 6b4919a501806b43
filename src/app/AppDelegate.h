#pragma once

#include <QObject>
#include <QTimer>

#include <memory>

namespace corvale {

class WebBrowser;

// The application's own reactions to its lifecycle: counts launches in the settings and, on
// the tenth, schedules a review request (which the Linux desktop has no service for, so it only
// announces itself); lets closing the last window quit; opens the vendor web site. Lives on the
// GUI thread for the life of the application; shares the web browser seam with its other users.
class AppDelegate : public QObject
{
    Q_OBJECT
public:
    // The settings key of the launch counter and the delay of the review request.
    static constexpr const char *runCountKey = "runCount";
    static constexpr int reviewDelayMs = 100'000;

    explicit AppDelegate(QObject *parent = nullptr);
    ~AppDelegate() override;

    std::shared_ptr<WebBrowser> webBrowser() const { return m_webBrowser; }
    void setWebBrowser(std::shared_ptr<WebBrowser> browser);

    // Counts this launch and applies applicationShouldTerminateAfterLastWindowClosed().
    void applicationDidFinishLaunching();
    void applicationWillTerminate();
    bool applicationShouldTerminateAfterLastWindowClosed() const;

    bool isReviewScheduled() const { return m_reviewTimer.isActive(); }
    // The one-shot timer behind the review request, for those who must look at or drive it.
    QTimer *reviewTimer() { return &m_reviewTimer; }

public Q_SLOTS:
    void requestReview();
    void webBtn();

Q_SIGNALS:
    // Emitted by requestReview(): no review service exists on Linux.
    void reviewRequested();

private:
    std::shared_ptr<WebBrowser> m_webBrowser;
    QTimer m_reviewTimer;
};

} // namespace corvale
