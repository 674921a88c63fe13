#include "update/UpdateControl.h"

#include <QMutexLocker>

void UpdateControl::pause()
{
    QMutexLocker lock(&m_mutex);
    m_paused = true;
}

void UpdateControl::resume()
{
    QMutexLocker lock(&m_mutex);
    m_paused = false;
    m_resumed.wakeAll();
}

void UpdateControl::cancel()
{
    {
        QMutexLocker lock(&m_mutex);
        m_cancelled = true;
        m_paused = false;
        m_resumed.wakeAll();
    }
    emit cancelRequested();
}

bool UpdateControl::isCancelled() const
{
    QMutexLocker lock(&m_mutex);
    return m_cancelled;
}

bool UpdateControl::waitAtChunkBoundary()
{
    QMutexLocker lock(&m_mutex);
    while (m_paused && !m_cancelled) {
        m_resumed.wait(&m_mutex);
    }
    return !m_cancelled;
}

void UpdateControl::markReplaced()
{
    QMutexLocker lock(&m_mutex);
    m_replaced = true;
}

bool UpdateControl::wasReplaced() const
{
    QMutexLocker lock(&m_mutex);
    return m_replaced;
}
