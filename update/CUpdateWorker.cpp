#include "update/CUpdateWorker.h"

#include "common/core/CMyTool.h"
#include "common/core/Clock.h"
#include "common/core/SafeWrite.h"
#include "update/UpdateControl.h"

#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QThread>
#include <QTimer>

#include <new>

namespace {

// No routing-code line is anywhere near this long; a first line beyond it is not a list.
constexpr qsizetype kFirstLineLimit = 64 * 1024;

const QString kOpenFileFailed = QStringLiteral("打开文件失败，请检查系统权限");
const QString kReadFailed = QStringLiteral("Read data failed");
const QString kOutOfMemory = QStringLiteral("Out of memory");
const QString kWriteFailed = QStringLiteral("写入文件失败，请检查磁盘空间");
const QString kInvalidList = QStringLiteral("更新失败，服务器返回的联行号文件无效");
const QString kReplaceFailed =
    QStringLiteral("更新失败，无法替换BankNo.txt，新的联行号文件保留在BankNo.txt_中");

// The operator's system proxy settings, looked up for every connection.
class SystemProxyFactory : public QNetworkProxyFactory
{
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override
    {
        return systemProxyForQuery(query);
    }
};

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
    const QUrl url = BankCodeUpdate::RequestUrl(m_source.baseUrl, BankCodeUpdate::ValidateCode());
    if (!url.isValid() || url.host().isEmpty()) {
        fail(CMyTool::WinHttpErrorText(BankCodeUpdate::ErrorInvalidUrl));
        return;
    }

    // A fresh manager per download: its connection cache would keep an old trust decision.
    m_manager = new QNetworkAccessManager(this);
    m_manager->setProxyFactory(new SystemProxyFactory);

    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArray(BankCodeUpdate::kUserAgent));
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    if (!m_source.extraCaCertificates.isEmpty()) {
        // Setting any list turns off loading the platform's roots on demand, so name them too.
        tls.setCaCertificates(QSslConfiguration::systemCaCertificates() + m_source.extraCaCertificates);
    }
    request.setSslConfiguration(tls);

    m_reply = m_manager->get(request);
    m_reply->setReadBufferSize(kChunkSize);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &CUpdateWorker::onHeaders);
    connect(m_reply, &QNetworkReply::readyRead, this, &CUpdateWorker::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &CUpdateWorker::onFinished);
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
    if (!m_file.isOpen()) {
        openTemporaryFile();
    }
}

void CUpdateWorker::onReadyRead()
{
    if (m_ended) {
        return;
    }
    if (!m_file.isOpen()) {
        onHeaders();
        if (m_ended) {
            return;
        }
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
    const QVariant status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!m_file.isOpen() && status.isValid()) {
        onHeaders();
        if (m_ended) {
            return;
        }
    }
    if (!m_file.isOpen()) {
        // The server never answered.
        const int code = m_timedOut
                             ? BankCodeUpdate::ErrorTimeout
                             : BankCodeUpdate::WinHttpErrorCode(m_reply->error(), m_reply->errorString());
        fail(CMyTool::WinHttpErrorText(code));
        return;
    }
    if (!readAvailable()) {
        return;
    }
    // Anything but a complete list with status 200 must leave the old list alone: an error page
    // or an empty body would otherwise wipe every routing code.
    const bool statusOk = status.toInt() == 200;
    if (statusOk && (m_timedOut || m_reply->error() != QNetworkReply::NoError)) {
        fail(kReadFailed);
        return;
    }
    const bool listOk = statusOk && m_total > 0 && m_firstLine.size() <= kFirstLineLimit &&
                        BankCodeUpdate::IsRoutingCodeLine(m_firstLine);
    if (!listOk) {
        fail(kInvalidList);
        return;
    }
    completeDownload();
}

void CUpdateWorker::onIdle()
{
    if (m_ended || !m_reply) {
        return;
    }
    // abort() reports the same error as a cancel; the flag tells onFinished what happened.
    m_timedOut = true;
    m_reply->abort();
}

void CUpdateWorker::onCancelRequested()
{
    if (!m_ended) {
        stopAfterCancel();
    }
}

bool CUpdateWorker::openTemporaryFile()
{
    m_file.setFileName(CMyTool::DataFilePath(BankCodeUpdate::temporaryFileName()));
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        fail(kOpenFileFailed);
        return false;
    }
    m_temporaryCreated = true;
    // The answer has begun: from here on today's attempt counts, whatever follows.
    recordToday();
    return true;
}

void CUpdateWorker::recordToday()
{
    // Without the record the operator may simply try again today; the download goes on.
    SafeWrite::writeFile(CMyTool::DataFilePath(BankCodeUpdate::dateFileName()),
                         Clock::today().toString(QStringLiteral("yyyyMMdd")).toLatin1());
}

bool CUpdateWorker::readAvailable()
{
    while (m_reply->bytesAvailable() > 0) {
        // The dialog pauses us here while it asks whether to cancel.
        if (!m_control->waitAtChunkBoundary()) {
            stopAfterCancel();
            return false;
        }
        QByteArray chunk;
        try {
            chunk = m_reply->read(kChunkSize);
        } catch (const std::bad_alloc&) {
            fail(kOutOfMemory);
            return false;
        }
        if (chunk.isEmpty()) {
            break;
        }
        if (m_file.write(chunk) != chunk.size()) {
            fail(kWriteFailed);
            return false;
        }
        if (!m_firstLineComplete) {
            qsizetype end = chunk.indexOf('\n');
            const qsizetype cr = chunk.indexOf('\r');
            if (cr >= 0 && (end < 0 || cr < end)) {
                end = cr;
            }
            m_firstLine += end < 0 ? chunk : chunk.left(end);
            m_firstLineComplete = end >= 0 || m_firstLine.size() > kFirstLineLimit;
        }
        m_total += chunk.size();
        if (!m_control->isCancelled()) {
            emit progress(m_total);
        }
        m_idle->start();
    }
    return true;
}

void CUpdateWorker::completeDownload()
{
    stopNetwork();
    m_file.close();
    if (m_file.error() != QFileDevice::NoError) {
        fail(kWriteFailed);
        return;
    }
    if (m_control->isCancelled()) {
        stopAfterCancel();
        return;
    }
    if (!replaceBankCodeFile()) {
        // The new list stays in BankNo.txt_ for whoever looks after this machine.
        m_temporaryCreated = false;
        fail(kReplaceFailed);
        return;
    }
    m_control->markReplaced();
    emit succeeded();
    end();
}

bool CUpdateWorker::replaceBankCodeFile()
{
    const QString target = CMyTool::DataFilePath(BankCodeUpdate::bankCodeFileName());
    if (QFile::exists(target) && !QFile::remove(target)) {
        return false;
    }
    return QFile::rename(m_file.fileName(), target);
}

void CUpdateWorker::fail(const QString& text)
{
    stopNetwork();
    removeTemporaryFile();
    if (!m_control->isCancelled()) {
        emit failed(text);
    }
    end();
}

void CUpdateWorker::stopAfterCancel()
{
    stopNetwork();
    removeTemporaryFile();
    end();
}

void CUpdateWorker::removeTemporaryFile()
{
    m_file.close();
    if (m_temporaryCreated) {
        m_file.remove();
        m_temporaryCreated = false;
    }
}

void CUpdateWorker::stopNetwork()
{
    m_idle->stop();
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
        m_reply = nullptr;
    }
}

void CUpdateWorker::end()
{
    m_ended = true;
    m_idle->stop();
    thread()->quit();
}
