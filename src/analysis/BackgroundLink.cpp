#include "BackgroundLink.h"

#include "AnalysisSession.h"

#include <QMetaObject>
#include <QThread>
#include <QThreadPool>

#include <algorithm>

namespace corvale {

QThreadPool *backgroundPool()
{
    // Never destroyed: a listing stuck on a dead network mount must not hold up the program's end.
    static QThreadPool *const pool = [] {
        auto *made = new QThreadPool;
        made->setMaxThreadCount(std::max(QThread::idealThreadCount(), 4));
        return made;
    }();
    return pool;
}

void BackgroundLink::cut()
{
    std::lock_guard lock(m_mutex);
    m_session = nullptr;
    m_queue.clear();
}

void BackgroundLink::post(Ticket ticket, Task task)
{
    std::lock_guard lock(m_mutex);
    if (!m_session)
        return;
    m_queue.emplace_back(ticket, std::move(task));
    if (m_deliveryPosted)
        return;
    m_deliveryPosted = true;
    // Posting under the lock: the session cannot finish dying between the check and the post, and
    // an event posted to it is discarded with it.
    QMetaObject::invokeMethod(
        m_session, [link = shared_from_this()] { link->deliver(); }, Qt::QueuedConnection);
}

void BackgroundLink::deliver()
{
    std::vector<std::pair<Ticket, Task>> queue;
    AnalysisSession *session = nullptr;
    {
        std::lock_guard lock(m_mutex);
        queue.swap(m_queue);
        m_deliveryPosted = false;
        session = m_session;
    }
    if (!session)
        return;
    const AnalysisSession::ChangeBatch batch(*session);
    for (auto &[ticket, task] : queue) {
        if (session->isCurrent(ticket))
            task(*session);
    }
}

} // namespace corvale
