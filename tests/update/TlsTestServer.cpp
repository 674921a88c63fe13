#include "TlsTestServer.h"

#include "TestEnv.h"

#include <QSslConfiguration>
#include <QSslSocket>
#include <QTimer>

#include <memory>

#ifdef Q_OS_WIN
#include <winsock2.h>
using NativeSocket = SOCKET;
#else
#include <sys/socket.h>
using NativeSocket = int;
#endif

namespace {
const char* reason(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}
} // namespace

TlsTestServer::TlsTestServer(const QSslCertificate& certificate, const QSslKey& key, QObject* parent)
    : QTcpServer(parent), m_certificate(certificate), m_key(key)
{
}

const char* TlsTestServer::cannotRun()
{
    return runsUnderWine() ? "Wine's Schannel cannot serve TLS: it imports no server certificate from Qt "
                             "(\"The certificate provided cannot be used for a server\")"
                           : nullptr;
}

bool TlsTestServer::start()
{
    return listen(QHostAddress::LocalHost, 0);
}

QUrl TlsTestServer::baseUrl() const
{
    QUrl url;
    url.setScheme(QStringLiteral("https"));
    url.setHost(QStringLiteral("127.0.0.1"));
    url.setPort(serverPort());
    return url;
}

void TlsTestServer::respond(int status, const QByteArray& body, qsizetype chunkSize, int intervalMs)
{
    m_status = status;
    m_body = body;
    m_chunkSize = chunkSize;
    m_intervalMs = intervalMs;
}

void TlsTestServer::incomingConnection(qintptr handle)
{
    auto* socket = new QSslSocket(this);
    if (!socket->setSocketDescriptor(handle)) {
        delete socket;
        return;
    }
    if (m_mode == Mode::Silent) {
        m_silent.append(socket);
        return;
    }
    connect(socket, &QSslSocket::readyRead, this, [this, socket] { onRequestBytes(socket); });
    connect(socket, &QSslSocket::disconnected, socket, &QObject::deleteLater);
    if (m_mode == Mode::NotProxy) {
        return;
    }
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setLocalCertificate(m_certificate);
    config.setPrivateKey(m_key);
    config.setPeerVerifyMode(QSslSocket::VerifyNone);
    socket->setSslConfiguration(config);
    // A client that refuses our certificate simply goes away; nothing to do here.
    connect(socket, &QSslSocket::errorOccurred, socket, [socket] { socket->deleteLater(); });
    socket->startServerEncryption();
}

void TlsTestServer::onRequestBytes(QSslSocket* socket)
{
    QByteArray head = socket->property("head").toByteArray() + socket->readAll();
    socket->setProperty("head", head);
    if (socket->property("answered").toBool() || !head.contains("\r\n\r\n")) {
        return;
    }
    socket->setProperty("answered", true);
    requests.append(head.left(head.indexOf("\r\n\r\n")));
    answer(socket);
}

void TlsTestServer::answer(QSslSocket* socket)
{
    if (m_mode == Mode::NotHttp || m_mode == Mode::NotProxy) {
        socket->write("THIS IS NOT HTTP\r\n\r\n");
        socket->disconnectFromHost();
        return;
    }
    if (m_mode == Mode::NoAnswer) {
        return;
    }
    if (m_mode == Mode::CloseAfterRequest) {
        socket->disconnectFromHost();
        return;
    }
    QByteArray length;
    QByteArray wire = m_body;
    if (m_announced == kChunked) {
        length = "Transfer-Encoding: chunked\r\n";
        wire.clear();
        for (qsizetype at = 0; at < m_body.size(); at += 1000) {
            const QByteArray piece = m_body.mid(at, 1000);
            wire += QByteArray::number(piece.size(), 16) + ";piece=" + QByteArray::number(at) + "\r\n" +
                    piece + "\r\n";
        }
        wire += "0\r\n\r\n";
    } else if (m_announced != kNoLength) {
        length = "Content-Length: " +
                 QByteArray::number(m_announced == kBodyLength ? m_body.size() : m_announced) + "\r\n";
    }
    socket->write(QByteArray("HTTP/1.1 ") + QByteArray::number(m_status) + ' ' + reason(m_status) +
                  "\r\nContent-Type: text/plain\r\n" + length + "Connection: close\r\n" + m_headers + "\r\n");
    const qsizetype limit = m_dropAfter < 0 ? wire.size() : qMin(m_dropAfter, wire.size());
    const End how = m_dropAfter >= 0 ? m_end : End::CloseNotify;
    if (m_chunkSize <= 0) {
        socket->write(wire.left(limit));
        bodyBytesSent += limit;
        end(socket, how);
        return;
    }
    auto* timer = new QTimer(socket);
    auto sent = std::make_shared<qsizetype>(0);
    connect(timer, &QTimer::timeout, socket, [this, socket, timer, sent, limit, how, wire] {
        if (*sent >= limit) {
            timer->stop();
            end(socket, how);
            return;
        }
        const QByteArray chunk = wire.mid(*sent, qMin(m_chunkSize, limit - *sent));
        socket->write(chunk);
        *sent += chunk.size();
        bodyBytesSent += chunk.size();
    });
    timer->start(m_intervalMs);
}

void TlsTestServer::end(QSslSocket* socket, End how)
{
    if (how == End::CloseNotify) {
        socket->disconnectFromHost();
        return;
    }
    socket->flush();
    if (how == End::Reset) {
        // A linger of zero makes the close send RST instead of FIN.
        struct linger now = {1, 0};
        ::setsockopt(NativeSocket(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER,
                     reinterpret_cast<const char*>(&now), sizeof now);
    }
    socket->abort();
}
