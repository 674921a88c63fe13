#pragma once

#include <QByteArray>
#include <QList>
#include <QPointer>
#include <QSslCertificate>
#include <QSslKey>
#include <QTcpServer>
#include <QUrl>

class QSslSocket;

// A small HTTPS/1.1 server on 127.0.0.1 for the update tests. It answers every GET with the
// configured status and body, all at once or slowly in chunks, and can misbehave on purpose.
// It runs in the thread that created it (the test's), so tests must spin the event loop.
class TlsTestServer : public QTcpServer
{
    Q_OBJECT
public:
    enum class Mode
    {
        Respond,           // answer with status and body
        Silent,            // accept the connection and never say a word, not even the TLS handshake
        NotHttp,           // after the request, send something that is not HTTP and close
        NotProxy,          // no TLS: read a request (a proxy's CONNECT), answer something that is not HTTP
        NoAnswer,          // read the request and never answer it
        CloseAfterRequest, // read the request and close the connection without a word
    };
    // What the Content-Length header says.
    static constexpr qint64 kBodyLength = -1; // the length of the body (the default)
    static constexpr qint64 kNoLength = -2;   // no Content-Length header: the body ends at the close
    static constexpr qint64 kChunked = -3;    // no length: the body comes in chunks of 1000 bytes

    TlsTestServer(const QSslCertificate& certificate, const QSslKey& key, QObject* parent = nullptr);

    bool start();
    // Why no such server can run here, or nullptr. Wine's Schannel takes no server certificate
    // from Qt and accepts no TLS connection.
    static const char* cannotRun();
    QUrl baseUrl() const;

    void setMode(Mode mode) { m_mode = mode; }
    // chunkSize 0 sends the body at once; otherwise one chunk every intervalMs.
    void respond(int status, const QByteArray& body, qsizetype chunkSize = 0, int intervalMs = 0);
    // How the connection ends: TLS close_notify, then FIN; a bare FIN; a TCP reset (SO_LINGER 0).
    enum class End
    {
        CloseNotify,
        Fin,
        Reset
    };
    // Ends the connection after this many body bytes (as sent, chunk framing included; -1: never)
    // in the given way.
    void dropAfter(qsizetype bytes, End end = End::Fin)
    {
        m_dropAfter = bytes;
        m_end = end;
    }
    // Header lines sent after the others, each ending in CR LF.
    void addHeaders(const QByteArray& lines) { m_headers = lines; }
    // Announces this Content-Length, none (kNoLength) or chunks (kChunked); the body stays as given.
    void announceLength(qint64 length) { m_announced = length; }

    // Request head (request line and headers) of every request received.
    QList<QByteArray> requests;
    // Body bytes written to clients so far.
    qsizetype bodyBytesSent = 0;

protected:
    void incomingConnection(qintptr handle) override;

private:
    void onRequestBytes(QSslSocket* socket);
    void answer(QSslSocket* socket);
    void end(QSslSocket* socket, End how);

    QSslCertificate m_certificate;
    QSslKey m_key;
    Mode m_mode = Mode::Respond;
    int m_status = 200;
    QByteArray m_body;
    qsizetype m_chunkSize = 0;
    int m_intervalMs = 0;
    qsizetype m_dropAfter = -1;
    End m_end = End::Fin;
    QByteArray m_headers;
    qint64 m_announced = kBodyLength;
    QList<QPointer<QSslSocket>> m_silent;
};
