#include "update/UpdateConnection.h"

#include <QNetworkProxyFactory>
#include <QSslSocket>

namespace {

// No status line, header or chunk line of a sane server comes near this.
constexpr qsizetype kLineLimit = 16 * 1024;
constexpr qsizetype kHeadLimit = 256 * 1024;
// The socket reads no further ahead than this while the body waits to be taken.
constexpr qint64 kReadAhead = 64 * 1024;

const QString kNotHttp = QStringLiteral("the server's answer is not HTTP");

// The system's proxy for the URL, among those a socket can tunnel through.
QNetworkProxy proxyFor(const QUrl& url)
{
    for (const QNetworkProxy& proxy : QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(url))) {
        switch (proxy.type()) {
        case QNetworkProxy::NoProxy:
        case QNetworkProxy::HttpProxy:
        case QNetworkProxy::Socks5Proxy:
            return proxy;
        default:
            break; // caching proxies cannot carry TLS
        }
    }
    return QNetworkProxy(QNetworkProxy::NoProxy);
}

QByteArray hostHeader(const QUrl& url)
{
    QByteArray host = url.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':')) {
        host = '[' + host + ']';
    }
    const int port = url.port(443);
    return port == 443 ? host : host + ':' + QByteArray::number(port);
}

} // namespace

UpdateConnection::UpdateConnection(QObject* parent) : QObject(parent) {}

UpdateConnection::~UpdateConnection()
{
    abort();
}

void UpdateConnection::get(const QUrl& url, const QByteArray& userAgent, const QSslConfiguration& tls)
{
    QByteArray target = url.path(QUrl::FullyEncoded).toLatin1();
    if (target.isEmpty()) {
        target = "/";
    }
    if (url.hasQuery()) {
        target += '?' + url.query(QUrl::FullyEncoded).toLatin1();
    }
    m_request = "GET " + target + " HTTP/1.1\r\nHost: " + hostHeader(url) + "\r\nUser-Agent: " + userAgent +
                "\r\nConnection: close\r\n\r\n";

    m_socket = new QSslSocket(this);
    m_socket->setProxy(proxyFor(url));
    m_socket->setSslConfiguration(tls);
    m_socket->setReadBufferSize(kReadAhead);
    connect(m_socket, &QSslSocket::encrypted, this, &UpdateConnection::onEncrypted);
    connect(m_socket, &QSslSocket::bytesWritten, this, &UpdateConnection::onBytesWritten);
    connect(m_socket, &QSslSocket::readyRead, this, &UpdateConnection::onReadyRead);
    connect(m_socket, &QSslSocket::disconnected, this, &UpdateConnection::onDisconnected);
    connect(m_socket, &QSslSocket::errorOccurred, this, &UpdateConnection::onError);
    connect(m_socket, &QSslSocket::alertReceived, this,
            [this](QSsl::AlertLevel level, QSsl::AlertType type) { onAlert(level, type); });
    connect(m_socket, &QSslSocket::encryptedBytesWritten, this, [this] {
        if (m_state == State::Connecting) {
            ++m_handshakeWrites;
        }
    });
    m_state = State::Connecting;
    m_socket->connectToHostEncrypted(url.host(), quint16(url.port(443)));
}

void UpdateConnection::abort()
{
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
        m_socket->deleteLater();
        m_socket = nullptr;
    }
    m_finished = true;
}

QByteArray UpdateConnection::read(qint64 maxSize)
{
    const QByteArray out = m_body.left(maxSize);
    m_body.remove(0, out.size());
    // The socket stopped reading while our buffer was full; go on from where it stopped.
    if (m_socket && m_body.isEmpty() && m_socket->bytesAvailable() > 0) {
        QMetaObject::invokeMethod(this, &UpdateConnection::onReadyRead, Qt::QueuedConnection);
    }
    return out;
}

void UpdateConnection::onEncrypted()
{
    m_state = State::StatusLine;
    m_socket->write(m_request);
}

void UpdateConnection::onBytesWritten(qint64 bytes)
{
    // Payload bytes only, and the request is the only payload we send.
    if (m_state == State::Connecting) {
        return;
    }
    m_written += bytes;
    if (!m_requestSent && m_written >= m_request.size()) {
        m_requestSent = true;
        emit requestWritten();
    }
}

void UpdateConnection::onReadyRead()
{
    if (!m_socket || m_finished) {
        return;
    }
    // Hold back while the body bytes already taken in wait to be read.
    if (m_body.size() >= kReadAhead) {
        return;
    }
    m_raw += m_socket->read(kReadAhead);
    parse();
}

void UpdateConnection::onDisconnected()
{
    if (m_finished || !m_socket) {
        return;
    }
    m_raw += m_socket->readAll();
    parse();
    if (m_finished) {
        return;
    }
    if (m_state == State::UntilClose) {
        // No length was announced: the end of the connection is the end of the body, but only
        // when TLS said so. A bare FIN or a reset is a cut connection, however whole the lines.
        if (m_closeNotify) {
            m_state = State::Done;
            finish();
        } else {
            failWith(QAbstractSocket::RemoteHostClosedError,
                     QStringLiteral("the connection ended without TLS close_notify"));
        }
        return;
    }
    // Keep what TLS said, if anything: an alert may come with the close.
    failWith(QAbstractSocket::RemoteHostClosedError, m_socket->error() == QAbstractSocket::UnknownSocketError
                                                         ? QStringLiteral("the server closed the connection")
                                                         : m_socket->errorString());
}

void UpdateConnection::onError(QAbstractSocket::SocketError error)
{
    if (m_finished || !m_socket) {
        return;
    }
    if (error == QAbstractSocket::RemoteHostClosedError) {
        onDisconnected();
        return;
    }
    failWith(error, m_socket->errorString());
}

void UpdateConnection::onAlert(QSsl::AlertLevel level, QSsl::AlertType type)
{
    Q_UNUSED(level);
    switch (type) {
    case QSsl::AlertType::CloseNotify:
        m_closeNotify = true;
        break;
    case QSsl::AlertType::CertificateRequired:
        // TLS 1.3 names the missing certificate itself.
        m_certificateDemanded = true;
        break;
    case QSsl::AlertType::HandshakeFailure:
        // TLS 1.2 has no alert of its own for it. A server that refuses our hello (no shared
        // cipher, no common version) does so before our second flight; one that asked for a
        // certificate refuses only after that flight brought none.
        if (m_state == State::Connecting && m_handshakeWrites > 1) {
            m_certificateDemanded = true;
        }
        break;
    default:
        break;
    }
}

bool UpdateConnection::takeLine(QByteArray* line)
{
    const qsizetype lf = m_raw.indexOf('\n');
    if (lf < 0) {
        if (m_raw.size() > kLineLimit) {
            failWith(QAbstractSocket::UnknownSocketError, kNotHttp);
        }
        return false;
    }
    *line = m_raw.left(lf);
    if (line->endsWith('\r')) {
        line->chop(1);
    }
    m_raw.remove(0, lf + 1);
    return true;
}

bool UpdateConnection::parseStatusLine(const QByteArray& line)
{
    // HTTP/1.1 200 OK
    const QList<QByteArray> parts = line.split(' ');
    if (parts.size() < 2 || !parts.at(0).startsWith("HTTP/1.") || parts.at(1).size() != 3) {
        return false;
    }
    bool ok = false;
    m_status = parts.at(1).toInt(&ok);
    return ok && m_status >= 100;
}

bool UpdateConnection::parseHeader(const QByteArray& line)
{
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0) {
        return false;
    }
    const QByteArray name = line.left(colon).trimmed().toLower();
    const QByteArray value = line.mid(colon + 1).trimmed();
    if (name == "content-length") {
        bool ok = false;
        const qint64 length = value.toLongLong(&ok);
        if (!ok || length < 0 || (m_contentLength >= 0 && m_contentLength != length)) {
            return false;
        }
        m_contentLength = length;
    } else if (name == "transfer-encoding") {
        m_chunked = value.toLower().contains("chunked");
    }
    return true;
}

// Counts a line of the head, interim answers included: all of it together stays within the
// limit, however it is split into lines or folded.
bool UpdateConnection::withinHead(const QByteArray& line)
{
    m_headSize += line.size() + 1;
    return m_headSize <= kHeadLimit;
}

// A field is parsed once the next line shows it is not folded on; a folded line (leading
// space or tab, obsolete but still sent) continues the field before it, the fold read as a space.
bool UpdateConnection::takeHeaderLine(const QByteArray& line)
{
    if (line.startsWith(' ') || line.startsWith('\t')) {
        if (m_field.isEmpty()) {
            return false;
        }
        m_field += ' ' + line.trimmed();
        return true;
    }
    if (!m_field.isEmpty() && !parseHeader(m_field)) {
        return false;
    }
    m_field = line;
    if (line.isEmpty()) {
        startBody();
    }
    return true;
}

void UpdateConnection::startBody()
{
    if (m_status < 200) {
        // An interim answer (100 Continue): the real one follows.
        m_contentLength = -1;
        m_chunked = false;
        m_state = State::StatusLine;
        return;
    }
    if (m_chunked) {
        m_contentLength = -1; // a length beside chunks means nothing
    }
    m_answered = true;
    emit headersReceived();
    if (m_finished) {
        return;
    }
    if (m_status == 204 || m_status == 304) {
        m_state = State::Done;
    } else if (m_chunked) {
        m_state = State::ChunkSize;
    } else if (m_contentLength >= 0) {
        m_left = m_contentLength;
        m_state = m_left == 0 ? State::Done : State::Sized;
    } else {
        m_state = State::UntilClose;
        m_untilClose = true;
    }
}

void UpdateConnection::deliver(qsizetype bytes)
{
    m_body += m_raw.left(bytes);
    m_raw.remove(0, bytes);
}

// Moves what has come of a counted part (a sized body or one chunk) into the
// body; true once the whole part is there.
bool UpdateConnection::deliverCounted()
{
    const qsizetype take = qsizetype(qMin<qint64>(m_left, m_raw.size()));
    deliver(take);
    m_left -= take;
    return m_left == 0;
}

void UpdateConnection::parse()
{
    const qsizetype bodyBefore = m_body.size();
    bool progress = true;
    while (progress && !m_finished && m_state != State::Done) {
        progress = false;
        QByteArray line;
        switch (m_state) {
        case State::StatusLine:
            if (takeLine(&line)) {
                if (!withinHead(line) || !parseStatusLine(line)) {
                    failWith(QAbstractSocket::UnknownSocketError, kNotHttp);
                    return;
                }
                m_state = State::Headers;
                progress = true;
            }
            break;
        case State::Headers:
            if (takeLine(&line)) {
                if (!withinHead(line) || !takeHeaderLine(line)) {
                    failWith(QAbstractSocket::UnknownSocketError, kNotHttp);
                    return;
                }
                progress = true;
            }
            break;
        case State::Sized:
            if (deliverCounted()) {
                m_state = State::Done;
            }
            break;
        case State::UntilClose:
            if (!m_raw.isEmpty()) {
                deliver(m_raw.size());
            }
            break;
        case State::ChunkSize:
            if (takeLine(&line)) {
                const qsizetype extension = line.indexOf(';');
                bool ok = false;
                const qint64 size =
                    (extension < 0 ? line : line.left(extension)).trimmed().toLongLong(&ok, 16);
                if (!ok || size < 0) {
                    failWith(QAbstractSocket::UnknownSocketError, kNotHttp);
                    return;
                }
                m_left = size;
                m_state = size == 0 ? State::Trailers : State::ChunkData;
                progress = true;
            }
            break;
        case State::ChunkData:
            if (deliverCounted()) {
                m_state = State::ChunkEnd;
                progress = true;
            }
            break;
        case State::ChunkEnd:
            if (takeLine(&line)) {
                if (!line.isEmpty()) {
                    failWith(QAbstractSocket::UnknownSocketError, kNotHttp);
                    return;
                }
                m_state = State::ChunkSize;
                progress = true;
            }
            break;
        case State::Trailers:
            if (takeLine(&line)) {
                if (line.isEmpty()) {
                    m_state = State::Done;
                }
                progress = true;
            }
            break;
        default:
            break;
        }
    }
    if (m_finished) {
        return;
    }
    if (m_body.size() > bodyBefore) {
        emit readyRead();
    }
    if (m_state == State::Done && !m_finished) {
        finish();
    }
}

void UpdateConnection::finish()
{
    m_finished = true;
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
    emit finished();
}

void UpdateConnection::failWith(QAbstractSocket::SocketError error, const QString& text)
{
    if (m_finished) {
        return;
    }
    m_error = error;
    m_errorString = text;
    m_state = State::Failed;
    finish();
}
