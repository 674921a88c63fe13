#pragma once

#include "common/core/SafeWrite.h"
#include "update/UpdateNetwork.h"
#include "update/core/BankCodeList.h"

#include <QObject>

class QThread;
class QTimer;
class UpdateConnection;
class UpdateControl;

// Downloads one new BankNo.txt on a thread of its own: one GET, never sent a second time, the
// body streamed chunk by chunk into a new BankNo.txt_ (every write checked, synced before use),
// and the list put in place of BankNo.txt in one step only when the server sent a complete,
// valid one. The day is recorded in dxbk-tool.ini as soon as the answer begins, and also when a
// request that was sent gets no answer or the operator cancels. It shows nothing itself; the
// dialog shows what it reports.
class CUpdateWorker : public QObject
{
    Q_OBJECT
public:
    CUpdateWorker(const BankCodeUpdate::UpdateSource& source, UpdateControl* control);
    ~CUpdateWorker() override;

    // Moves the worker to thread and starts both. The worker ends the thread when it is done and
    // is deleted with it; connect to its signals before calling this.
    void startOn(QThread* thread);

    // Reads at most this much at a time, so the body is never held whole in memory.
    static constexpr qint64 kChunkSize = 16 * 1024;

signals:
    // Running total of body bytes written to BankNo.txt_.
    void progress(qint64 total);
    // The download failed; text is what the operator is told.
    void failed(const QString& text);
    // BankNo.txt holds the new list.
    void succeeded();

private:
    void run();
    void onHeaders();
    void onReadyRead();
    void onFinished();
    void onIdle();
    void onCancelRequested();

    bool openTemporaryFile();
    void recordToday();
    bool readAvailable();
    void completeDownload();
    void fail(const QString& text);
    void stopAfterCancel();
    void stopNetwork();
    void end();

    BankCodeUpdate::UpdateSource m_source;
    UpdateControl* m_control;
    UpdateConnection* m_connection = nullptr;
    QTimer* m_idle;
    SafeWrite::NewFile m_download; // BankNo.txt_
    BankCodeListCheck m_check;
    qint64 m_total = 0;
    bool m_started = false;
    bool m_dayRecorded = false;
    bool m_timedOut = false;
    bool m_ended = false;
};
