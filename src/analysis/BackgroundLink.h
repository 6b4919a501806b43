#pragma once

#include <QtGlobal>

class QThreadPool;

#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace corvale {

class AnalysisSession;

// The threads of the program's background work: walks, folder listings, moves to the trash. Not
// Qt's global pool: Qt's own painting parallelises large fills on that one and waits for them, so
// a queue of moves there would freeze the window while it paints. At least four threads, as the
// tasks wait for the disk rather than for a core.
QThreadPool *backgroundPool();

// What a background result belongs to. A walk carries the run's number; a move to the trash the
// number of the result it was made in (a Refresh keeps that result until the new one comes); a
// folder listing, the reading of an earlier scan or a search for the largest files carries the
// number of the request it answers. A result whose number is no longer the session's current one
// for its channel is dropped. A save belongs to no run: its result always counts.
struct Ticket
{
    enum Channel { Run, Result, Listing, Comparison, LargestFiles, Save };
    Channel channel = Run;
    quint64 number = 0;
};

// The one way from background tasks (the walk, folder listings, moves to the trash) back to their
// session on the GUI thread. Any thread may post; what is posted waits in a queue of the link's
// own, under a standard mutex (so thread checkers see the hand-over), and the GUI thread takes the
// whole queue in one go, in the order it was posted, then lets the session tell its views once.
// The session cuts the link when it goes; after that nothing is delivered.
class BackgroundLink : public std::enable_shared_from_this<BackgroundLink>
{
public:
    using Task = std::function<void(AnalysisSession &)>;

    explicit BackgroundLink(AnalysisSession *session)
        : m_session(session)
    { }
    void cut();
    // Any thread; returns at once.
    void post(Ticket ticket, Task task);

private:
    void deliver();

    std::mutex m_mutex;
    AnalysisSession *m_session; // non-owning; null once cut
    std::vector<std::pair<Ticket, Task>> m_queue;
    bool m_deliveryPosted = false;
};

} // namespace corvale
