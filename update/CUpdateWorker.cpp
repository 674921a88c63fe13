#include "update/CUpdateWorker.h"

#include "common/core/CMyTool.h"
#include "common/core/Clock.h"
#include "update/UpdateConnection.h"
#include "update/UpdateControl.h"

#include <QSslConfiguration>
#include <QSslSocket>
#include <QThread>
#include <QTimer>

#include <new>

namespace {

const QString kOpenFileFailed = QStringLiteral("打开文件失败，请检查系统权限");
const QString kNoDataLength = QStringLiteral("Get data length failed");
const QString kReadFailed = QStringLiteral("Read data failed");
const QString kOutOfMemory = QStringLiteral("Out of memory");
const QString kWriteFailed = QStringLiteral("写入文件失败，请检查磁盘空间");
const QString kInvalidList = QStringLiteral("更新失败，服务器返回的联行号文件无效");
const QString kReplaceFailed = QStringLiteral("更新失败，无法替换BankNo.txt，原联行号文件保持不变");

} // namespace

CUpdateWorker::CUpdateWorker(const BankCodeUpdate::UpdateSource& source, UpdateControl* control)
    : m_source(source), m_control(control), m_idle(new QTimer(this))
{
    m_idle->setSingleShot(true);
    m_idle->setInterval(source.inactivityTimeoutMs);
    connect(m_idle, &QTimer::timeout, this, &CUpdateWorker::onIdle);
    connect(control, &UpdateControl::cancelRequested, this, &CUpdateWorker::onCancelRequested);
}

CUpdateWorker::~CUpdateWorker() = default;

void CUpdateWorker::startOn(QThread* thread)
{
    // Qt loads its TLS backend (on Windows the Schannel plugin) on first use. Loaded first from
    // the worker's thread, the Windows build never finishes exiting afterwards; loaded here, on
    // the thread that starts the worker, it does.
    QSslSocket::supportsSsl();
    moveToThread(thread);
    connect(thread, &QThread::finished, this, &QObject::deleteLater);
    // Queued, so that run() and every way out of it happen inside the thread's event loop.
    QMetaObject::invokeMethod(this, &CUpdateWorker::run, Qt::QueuedConnection);
    thread->start();
}

void CUpdateWorker::run()
{
    if (m_control->isCancelled()) {
        end();
        return;
    }
    m_started = true;
    const QUrl url = BankCodeUpdate::RequestUrl(m_source.baseUrl, BankCodeUpdate::ValidateCode());
    if (!url.isValid() || url.host().isEmpty() || url.scheme() != QLatin1String("https")) {
        fail(CMyTool::WinHttpErrorText(BankCodeUpdate::ErrorInvalidUrl));
        return;
    }

    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    if (!m_source.extraCaCertificates.isEmpty()) {
        // Setting any list turns off loading the platform's roots on demand, so name them too.
        tls.setCaCertificates(QSslConfiguration::systemCaCertificates() + m_source.extraCaCertificates);
    }
    m_connection = new UpdateConnection(this);
    connect(m_connection, &UpdateConnection::requestWritten, this, [this] {
        // From here on the server has the request: any failure uses up the day.
        m_idle->start();
    });
    connect(m_connection, &UpdateConnection::headersReceived, this, &CUpdateWorker::onHeaders);
    connect(m_connection, &UpdateConnection::readyRead, this, &CUpdateWorker::onReadyRead);
    connect(m_connection, &UpdateConnection::finished, this, &CUpdateWorker::onFinished);
    m_connection->get(url, QByteArray(BankCodeUpdate::kUserAgent), tls);
    m_idle->start();
}

void CUpdateWorker::onHeaders()
{
    if (m_ended) {
        return;
    }
    if (m_control->isCancelled()) {
        stopAfterCancel();
        return;
    }
    m_idle->start();
    // Only a 200 answer may replace the list: the body of any other is not worth reading, nor a
    // file worth making for it. The answer has begun all the same, so the day is used.
    if (m_connection->status() != 200) {
        recordToday();
        fail(kInvalidList);
        return;
    }
    if (openTemporaryFile() && m_connection->contentLength() > BankCodeListCheck::kSizeLimit) {
        fail(kInvalidList);
    }
}

void CUpdateWorker::onReadyRead()
{
    if (m_ended || !m_download.isCreated()) {
        return;
    }
    readAvailable();
}

void CUpdateWorker::onFinished()
{
    if (m_ended) {
        return;
    }
    m_idle->stop();
    if (m_control->isCancelled()) {
        stopAfterCancel();
        return;
    }
    if (!m_connection->answered()) {
        // No answer. A server that demands a client certificate may say so only after the
        // request went out (TLS 1.3): that is still a connection it refused.
        const int code =
            m_timedOut ? BankCodeUpdate::ErrorTimeout
                       : BankCodeUpdate::WinHttpErrorCode(m_connection->error(),
                                                          m_connection->clientCertificateDemanded());
        if (m_connection->requestSent() && code != BankCodeUpdate::ErrorClientCertNeeded) {
            // The request reached the server and no answer came back (it closed, stayed silent or
            // answered garbage): the day is used up, as for any failure after sending.
            recordToday();
            fail(kNoDataLength);
            return;
        }
        fail(CMyTool::WinHttpErrorText(code));
        return;
    }
    if (!readAvailable()) {
        return;
    }
    // Anything but a complete list with status 200 must leave the old list alone: an error page,
    // an empty body or a list cut short would otherwise take routing codes away.
    const bool statusOk = m_connection->status() == 200;
    if (statusOk && (m_timedOut || !m_connection->complete())) {
        // A body that only the close could end has no length we can hold it to.
        fail(m_connection->endsWithConnection() && !m_timedOut ? kNoDataLength : kReadFailed);
        return;
    }
    if (!statusOk || !m_check.isList(m_connection->contentLength())) {
        fail(kInvalidList);
        return;
    }
    completeDownload();
}

void CUpdateWorker::onIdle()
{
    if (m_ended || !m_connection) {
        return;
    }
    // The flag tells onFinished that the silence, not the server, ended the exchange.
    m_timedOut = true;
    m_connection->abort();
    onFinished();
}

void CUpdateWorker::onCancelRequested()
{
    // Before run() the worker has not begun: it sees the cancel there and ends.
    if (m_started && !m_ended) {
        stopAfterCancel();
    }
}

bool CUpdateWorker::openTemporaryFile()
{
    // A file or link left under this name is removed, never written through.
    m_download.setPath(CMyTool::DataFilePath(BankCodeUpdate::temporaryFileName()));
    if (!m_download.create(true)) {
        fail(kOpenFileFailed);
        return false;
    }
    // The answer has begun: from here on today's attempt counts, whatever follows.
    recordToday();
    return true;
}

void CUpdateWorker::recordToday()
{
    if (m_dayRecorded) {
        return;
    }
    m_dayRecorded = true;
    // Without the record the operator may simply try again today; the download goes on.
    SafeWrite::writeFile(CMyTool::DataFilePath(BankCodeUpdate::dateFileName()),
                         Clock::today().toString(QStringLiteral("yyyyMMdd")).toLatin1());
}

bool CUpdateWorker::readAvailable()
{
    while (m_connection && m_connection->bytesAvailable() > 0) {
        // The dialog pauses us here while it asks whether to cancel.
        if (!m_control->waitAtChunkBoundary()) {
            stopAfterCancel();
            return false;
        }
        QByteArray chunk;
        try {
            chunk = m_connection->read(kChunkSize);
        } catch (const std::bad_alloc&) {
            fail(kOutOfMemory);
            return false;
        }
        if (chunk.isEmpty()) {
            break;
        }
        // Once the body cannot be a list any more, the rest of it is not worth reading.
        m_check.add(chunk);
        if (!m_check.canBeList()) {
            fail(kInvalidList);
            return false;
        }
        if (!m_download.write(chunk)) {
            fail(kWriteFailed);
            return false;
        }
        m_total += chunk.size();
        if (!m_control->isCancelled()) {
            emit progress(m_total);
        }
        m_idle->start();
    }
    return !m_ended;
}

void CUpdateWorker::completeDownload()
{
    stopNetwork();
    // Synced and closed before it may stand in for the list.
    if (!m_download.finish()) {
        fail(kWriteFailed);
        return;
    }
    if (m_control->isCancelled()) {
        stopAfterCancel();
        return;
    }
    // One rename replaces the old list: it is never deleted first, so a failure keeps it.
    if (!m_download.replace(CMyTool::DataFilePath(BankCodeUpdate::bankCodeFileName()))) {
        fail(kReplaceFailed);
        return;
    }
    m_control->markReplaced();
    emit succeeded();
    end();
}

void CUpdateWorker::fail(const QString& text)
{
    stopNetwork();
    m_download.discard();
    if (!m_control->isCancelled()) {
        emit failed(text);
    }
    end();
}

void CUpdateWorker::stopAfterCancel()
{
    stopNetwork();
    m_download.discard();
    // The operator was told that a cancel uses up the day.
    recordToday();
    end();
}

void CUpdateWorker::stopNetwork()
{
    m_idle->stop();
    if (m_connection) {
        m_connection->disconnect(this);
        m_connection->abort();
        m_connection->deleteLater();
        m_connection = nullptr;
    }
}

void CUpdateWorker::end()
{
    m_ended = true;
    m_idle->stop();
    thread()->quit();
}
