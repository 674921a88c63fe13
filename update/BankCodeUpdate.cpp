#include "update/BankCodeUpdate.h"

#include "common/CMyTool.h"
#include "common/Clock.h"
#include "common/Gbk.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRandomGenerator>

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

int ValidateCode()
{
    return static_cast<int>(QRandomGenerator::global()->bounded(32768));
}

QString ValidatePwd(int validateCode)
{
    // Plain ASCII, so the ANSI code page and Latin-1 give the same bytes.
    const QByteArray input = QByteArray(kUpdateKey) + QByteArray::number(validateCode);
    return QString::fromLatin1(QCryptographicHash::hash(input, QCryptographicHash::Md5).toHex());
}

QUrl RequestUrl(const QUrl& baseUrl, int validateCode)
{
    QUrl url = baseUrl;
    url.setPath(QString::fromLatin1(kRequestPath));
    // The server reads the parameters in this order and form; nothing in them needs escaping.
    url.setQuery(QStringLiteral("RequestType=1&ValidateCode=%1&ValidatePwd=%2")
                     .arg(validateCode)
                     .arg(ValidatePwd(validateCode)));
    return url;
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

bool IsRoutingCodeLine(const QByteArray& line)
{
    QByteArray cut = line;
    const qsizetype lf = cut.indexOf('\n');
    if (lf >= 0) {
        cut.truncate(lf);
    }
    const qsizetype cr = cut.indexOf('\r');
    if (cr >= 0) {
        cut.truncate(cr);
    }
    // Decode first: the byte of "|" also occurs as the second byte of some GBK characters.
    const std::optional<QString> text = Gbk::decode(cut);
    return text && text->contains(QLatin1Char('|'));
}

bool UpdatedToday()
{
    QFile file(CMyTool::DataFilePath(dateFileName()));
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray recorded = file.read(8);
    return recorded == Clock::today().toString(QStringLiteral("yyyyMMdd")).toLatin1();
}

} // namespace BankCodeUpdate
