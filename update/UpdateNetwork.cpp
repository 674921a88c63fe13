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

int WinHttpErrorCode(QAbstractSocket::SocketError error, bool certificateDemanded)
{
    // Whatever the socket calls the failure: TLS 1.3 may say so only after the handshake looked done.
    if (certificateDemanded) {
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
    case QAbstractSocket::SslInternalError:
    case QAbstractSocket::SslInvalidUserDataError:
        return ErrorSecureFailure;
    default:
        return ErrorInternal;
    }
}

} // namespace BankCodeUpdate
