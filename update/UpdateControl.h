#pragma once

#include <QMutex>
#include <QObject>
#include <QWaitCondition>

// What the update dialog and its download worker share: the dialog pauses, resumes and cancels
// on the user-interface thread; the worker waits and looks at each chunk boundary. It must
// outlive the worker.
class UpdateControl : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // User-interface thread.
    void pause();
    void resume();
    // Also resumes a paused worker, so that it can clean up and end.
    void cancel();

    bool isCancelled() const;
    // Worker thread, between chunks: blocks while paused; false once cancelled.
    bool waitAtChunkBoundary();

    // Worker thread: BankNo.txt now holds the new list, whatever the dialog decided meanwhile.
    void markReplaced();
    bool wasReplaced() const;

signals:
    // Reaches the worker through its own thread's queue, for a worker that waits on the network.
    void cancelRequested();

private:
    mutable QMutex m_mutex;
    QWaitCondition m_resumed;
    bool m_paused = false;
    bool m_cancelled = false;
    bool m_replaced = false;
};
