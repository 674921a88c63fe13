#pragma once

#include "update/UpdateNetwork.h"

#include <QFile>
#include <QObject>
#include <QPointer>

class QNetworkAccessManager;
class QNetworkReply;
class QThread;
class QTimer;
class UpdateControl;

// Downloads one new BankNo.txt on a thread of its own: one GET, the body streamed chunk by chunk
// into BankNo.txt_, the day recorded in dxbk-tool.ini as soon as the answer begins, and the
// list swapped in only when the server sent a real one. It shows nothing itself; the dialog
// shows what it reports.
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
    bool replaceBankCodeFile();
    void fail(const QString& text);
    void stopAfterCancel();
    void removeTemporaryFile();
    void stopNetwork();
    void end();

    BankCodeUpdate::UpdateSource m_source;
    UpdateControl* m_control;
    QNetworkAccessManager* m_manager = nullptr;
    QPointer<QNetworkReply> m_reply;
    QTimer* m_idle;
    QFile m_file;
    bool m_temporaryCreated = false;
    QByteArray m_firstLine;
    bool m_firstLineComplete = false;
    qint64 m_total = 0;
    bool m_timedOut = false;
    bool m_ended = false;
};
