#include "update/UpdateNetwork.h"

namespace {
std::optional<BankCodeUpdate::UpdateSource>& testSource()
{
    static std::optional<BankCodeUpdate::UpdateSource> source;
    return source;
}
} // namespace

namespace BankCodeUpdate {

UpdateSource bankSource()
{
    UpdateSource source;
    source.baseUrl.setScheme(QStringLiteral("https"));
    source.baseUrl.setHost(QString::fromLatin1(kBankHost));
    source.baseUrl.setPort(443);
    return source;
}

UpdateSource defaultSource()
{
    return testSource() ? *testSource() : bankSource();
}

void setDefaultSourceForTests(const std::optional<UpdateSource>& source)
{
    testSource() = source;
}

int WinHttpErrorCode(QAbstractSocket::SocketError error, const QString& errorString)
{
    if (errorString.contains(QLatin1String("certificate required"), Qt::CaseInsensitive)) {
        return ErrorClientCertNeeded;
    }
    switch (error) {
    case QAbstractSocket::SocketTimeoutError:
    case QAbstractSocket::ProxyConnectionTimeoutError:
        return ErrorTimeout;
    case QAbstractSocket::HostNotFoundError:
    case QAbstractSocket::ProxyNotFoundError:
        return ErrorNameNotResolved;
    case QAbstractSocket::ProxyAuthenticationRequiredError:
        return ErrorLoginFailure;
    case QAbstractSocket::ConnectionRefusedError:
    case QAbstractSocket::ProxyConnectionRefusedError:
        return ErrorCannotConnect;
    case QAbstractSocket::RemoteHostClosedError:
    case QAbstractSocket::ProxyConnectionClosedError:
    case QAbstractSocket::NetworkError:
        return ErrorConnectionError;
    case QAbstractSocket::SslHandshakeFailedError:
        // The alert a TLS 1.2 server sends when the client had no certificate to show.
        if (errorString.contains(QLatin1String("alert handshake failure"), Qt::CaseInsensitive)) {
            return ErrorClientCertNeeded;
        }
        return ErrorSecureFailure;
    case QAbstractSocket::SslInternalError:
    case QAbstractSocket::SslInvalidUserDataError:
        return ErrorSecureFailure;
    default:
        return ErrorInternal;
    }
}

} // namespace BankCodeUpdate
