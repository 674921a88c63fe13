#pragma once

#include <QSslCertificate>
#include <QSslKey>
#include <QString>
#include <QTemporaryDir>

// Certificates made with openssl for one test run: a test authority, a server certificate for
// 127.0.0.1 and localhost signed by it, and a self-signed one that nobody trusts.
class TestCertificates
{
public:
    // Runs openssl; false (with the reason in error) when that failed.
    bool generate(QString* error);

    QSslCertificate authority;
    QSslCertificate server;
    QSslKey serverKey;
    QSslCertificate untrusted;
    QSslKey untrustedKey;

    // The server's certificate and key as PEM files, for servers run as a program (openssl).
    QString serverCertificateFile() const { return path(QStringLiteral("server.pem")); }
    QString serverKeyFile() const { return path(QStringLiteral("server.key")); }

private:
    bool openssl(const QStringList& arguments, QString* error);
    QString path(const QString& name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};
