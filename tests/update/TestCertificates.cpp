#include "TestCertificates.h"

#include <QFile>
#include <QProcess>

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Elliptic-curve keys: generated in milliseconds, unlike RSA.
const QStringList kNewKey = {QStringLiteral("-newkey"), QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                             QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes")};

} // namespace

bool TestCertificates::openssl(const QStringList& arguments, QString* error)
{
    QProcess process;
    process.start(QStringLiteral("openssl"), arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        *error = QStringLiteral("openssl %1 failed: %2")
                     .arg(arguments.join(QLatin1Char(' ')),
                          QString::fromLocal8Bit(process.readAllStandardError()) + process.errorString());
        return false;
    }
    return true;
}

bool TestCertificates::generate(QString* error)
{
    if (!m_dir.isValid()) {
        *error = QStringLiteral("no temporary folder");
        return false;
    }
    const QString days = QStringLiteral("3650");
    const QString sans = QStringLiteral("subjectAltName=IP:127.0.0.1,DNS:localhost");
    {
        QFile ext(path(QStringLiteral("server.ext")));
        if (!ext.open(QIODevice::WriteOnly)) {
            *error = QStringLiteral("cannot write server.ext");
            return false;
        }
        ext.write(sans.toLatin1() + "\nbasicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\n"
                                    "extendedKeyUsage=serverAuth\n");
    }
    const bool ok =
        openssl(QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + kNewKey +
                    QStringList{
                        QStringLiteral("-keyout"), path(QStringLiteral("ca.key")), QStringLiteral("-out"),
                        path(QStringLiteral("ca.pem")), QStringLiteral("-days"), days,
                        QStringLiteral("-subj"), QStringLiteral("/CN=dxbk-tool test authority"),
                        QStringLiteral("-addext"), QStringLiteral("basicConstraints=critical,CA:TRUE"),
                        QStringLiteral("-addext"), QStringLiteral("keyUsage=critical,keyCertSign,cRLSign")},
                error) &&
        openssl(QStringList{QStringLiteral("req")} + kNewKey +
                    QStringList{QStringLiteral("-keyout"), path(QStringLiteral("server.key")),
                                QStringLiteral("-out"), path(QStringLiteral("server.csr")),
                                QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1")},
                error) &&
        openssl({QStringLiteral("x509"), QStringLiteral("-req"), QStringLiteral("-in"),
                 path(QStringLiteral("server.csr")), QStringLiteral("-CA"), path(QStringLiteral("ca.pem")),
                 QStringLiteral("-CAkey"), path(QStringLiteral("ca.key")), QStringLiteral("-set_serial"),
                 QStringLiteral("2"), QStringLiteral("-days"), days, QStringLiteral("-extfile"),
                 path(QStringLiteral("server.ext")), QStringLiteral("-out"),
                 path(QStringLiteral("server.pem"))},
                error) &&
        openssl(QStringList{QStringLiteral("req"), QStringLiteral("-x509")} + kNewKey +
                    QStringList{QStringLiteral("-keyout"), path(QStringLiteral("untrusted.key")),
                                QStringLiteral("-out"), path(QStringLiteral("untrusted.pem")),
                                QStringLiteral("-days"), days, QStringLiteral("-subj"),
                                QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"), sans},
                error);
    if (!ok) {
        return false;
    }
    authority = QSslCertificate(readAll(path(QStringLiteral("ca.pem"))), QSsl::Pem);
    server = QSslCertificate(readAll(path(QStringLiteral("server.pem"))), QSsl::Pem);
    serverKey = QSslKey(readAll(path(QStringLiteral("server.key"))), QSsl::Ec, QSsl::Pem);
    untrusted = QSslCertificate(readAll(path(QStringLiteral("untrusted.pem"))), QSsl::Pem);
    untrustedKey = QSslKey(readAll(path(QStringLiteral("untrusted.key"))), QSsl::Ec, QSsl::Pem);
    if (authority.isNull() || server.isNull() || serverKey.isNull() || untrusted.isNull() ||
        untrustedKey.isNull()) {
        *error = QStringLiteral("generated certificates do not load");
        return false;
    }
    return true;
}
