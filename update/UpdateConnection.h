#pragma once

#include <QAbstractSocket>
#include <QByteArray>
#include <QObject>
#include <QSsl>
#include <QSslConfiguration>
#include <QUrl>

class QSslSocket;

// One HTTPS GET over one connection of our own, sent exactly once. QNetworkAccessManager sends a
// GET again by itself on a new connection when the server closes (or answers garbage) before
// the response, up to three more times in Qt 6.4 and whatever the verb is called; the bank
// allows one request a day, so the exchange is done here, where nothing is ever repeated.
//
// It speaks just enough HTTP/1.1 for the list: the status line and headers, then a body sized by
// Content-Length, sent in chunks, or ending with the connection; the last is whole only when the
// server ended TLS with close_notify, since a cut connection looks the same otherwise. The body
// is handed out as it arrives and never held whole.
class UpdateConnection : public QObject
{
    Q_OBJECT
public:
    explicit UpdateConnection(QObject* parent = nullptr);
    ~UpdateConnection() override;

    // Connects through the system's proxy for url (if it has one), and once the connection is
    // encrypted sends the request: GET, Host, User-Agent and "Connection: close".
    void get(const QUrl& url, const QByteArray& userAgent, const QSslConfiguration& tls);
    // Drops the connection; nothing is signalled after this.
    void abort();

    bool requestSent() const { return m_requestSent; }
    bool answered() const { return m_answered; }
    int status() const { return m_status; }
    // The announced Content-Length, or -1 (none announced, or the body comes in chunks).
    qint64 contentLength() const { return m_contentLength; }
    // The body has neither length nor chunks: only the end of the connection ends it.
    bool endsWithConnection() const { return m_untilClose; }
    // The server refused the handshake because we showed no client certificate.
    bool clientCertificateDemanded() const { return m_certificateDemanded; }

    qint64 bytesAvailable() const { return m_body.size(); }
    QByteArray read(qint64 maxSize);

    // After finished(): true when the whole response arrived; otherwise the failure below.
    bool complete() const { return m_state == State::Done; }
    QAbstractSocket::SocketError error() const { return m_error; }
    QString errorString() const { return m_errorString; }

signals:
    // Every byte of the request went out.
    void requestWritten();
    // The status line and the headers are in.
    void headersReceived();
    // Body bytes are ready.
    void readyRead();
    // The response is complete, or the exchange failed; emitted once.
    void finished();

private:
    enum class State
    {
        Idle,
        Connecting,
        StatusLine,
        Headers,
        Sized,      // Content-Length bytes
        UntilClose, // everything up to the end of the connection
        ChunkSize,
        ChunkData,
        ChunkEnd,
        Trailers,
        Done,
        Failed
    };

    void onEncrypted();
    void onBytesWritten(qint64 bytes);
    void onReadyRead();
    void onDisconnected();
    void onError(QAbstractSocket::SocketError error);
    void onAlert(QSsl::AlertLevel level, QSsl::AlertType type);
    void parse();
    bool takeLine(QByteArray* line);
    bool parseStatusLine(const QByteArray& line);
    bool parseHeader(const QByteArray& line);
    bool takeHeaderLine(const QByteArray& line);
    bool withinHead(const QByteArray& line);
    void startBody();
    void deliver(qsizetype bytes);
    bool deliverCounted();
    void finish();
    void failWith(QAbstractSocket::SocketError error, const QString& text);

    QSslSocket* m_socket = nullptr;
    QByteArray m_request;
    qint64 m_written = 0;
    bool m_requestSent = false;
    bool m_answered = false;
    State m_state = State::Idle;
    QByteArray m_raw;  // received, not yet parsed
    QByteArray m_body; // body bytes not yet read
    QByteArray m_field; // the header field in progress, which a folded line may continue
    qint64 m_headSize = 0; // bytes of the head taken so far
    int m_status = 0;
    qint64 m_contentLength = -1;
    bool m_chunked = false;
    qint64 m_left = 0; // of the sized body or of the current chunk
    bool m_finished = false;
    bool m_untilClose = false;
    bool m_closeNotify = false;
    int m_handshakeWrites = 0;
    bool m_certificateDemanded = false;
    QAbstractSocket::SocketError m_error = QAbstractSocket::UnknownSocketError;
    QString m_errorString;
};
