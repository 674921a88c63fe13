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

int WinHttpErrorCode(QNetworkReply::NetworkError error, const QString& errorString)
{
    switch (error) {
    case QNetworkReply::TimeoutError:
    case QNetworkReply::ProxyTimeoutError:
        return ErrorTimeout;
    case QNetworkReply::ProtocolUnknownError:
        return ErrorInvalidUrl;
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::ProxyNotFoundError:
        return ErrorNameNotResolved;
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::BackgroundRequestNotAllowedError:
        return ErrorShutdown;
    case QNetworkReply::AuthenticationRequiredError:
    case QNetworkReply::ProxyAuthenticationRequiredError:
        return ErrorLoginFailure;
    case QNetworkReply::OperationCanceledError:
        return ErrorOperationCancelled;
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::ProxyConnectionRefusedError:
        return ErrorCannotConnect;
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::ProxyConnectionClosedError:
        return ErrorConnectionError;
    case QNetworkReply::SslHandshakeFailedError:
        // TLS reports a server's demand for a client certificate only as an alert in its text.
        if (errorString.contains(QLatin1String("certificate required"), Qt::CaseInsensitive)) {
            return ErrorClientCertNeeded;
        }
        return ErrorSecureFailure;
    default:
        return ErrorInternal;
    }
}

} // namespace BankCodeUpdate
