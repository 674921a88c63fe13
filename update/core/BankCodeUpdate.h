#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// The pieces of the daily bank-code download that need no network, thread or widget: the
// validated request, the error codes and the once-a-day rule (the check of the body is
// BankCodeListCheck).
namespace BankCodeUpdate {

// The bank's web server that hands out the routing-code list.
inline constexpr char kBankHost[] = "kxpt.daixibank.com";
// Shared with the server and mixed into the digest; never sent by itself.
inline constexpr char kUpdateKey[] = "tovrimQasbelurNek";
inline constexpr char kRequestPath[] = "/kxpweb/FE990501.do";
inline constexpr char kUserAgent[] = "dxbk-tool";

inline QString bankCodeFileName()
{
    return QStringLiteral("BankNo.txt");
}
inline QString temporaryFileName()
{
    return QStringLiteral("BankNo.txt_");
}
inline QString dateFileName()
{
    return QStringLiteral("dxbk-tool.ini");
}

// A pseudo-random number from 0 to 32767 that the server uses to check ValidatePwd.
int ValidateCode();
// MD5 of the update key followed by the decimal code, as 32 lower-case hex digits.
QString ValidatePwd(int validateCode);
// baseUrl with the request path and the query holding both validation values.
QUrl RequestUrl(const QUrl& baseUrl, int validateCode);

// Failure codes of a request that got no answer, numbered as WinHTTP numbers them so that
// CMyTool::WinHttpErrorText finds their texts. Unknown errors give ERROR_WINHTTP_INTERNAL_ERROR,
// whose text is the generic one.
enum WinHttpError : int
{
    ErrorInternal = 12004,
    ErrorTimeout = 12002,
    ErrorInvalidUrl = 12005,
    ErrorNameNotResolved = 12007,
    ErrorShutdown = 12012,
    ErrorLoginFailure = 12015,
    ErrorOperationCancelled = 12017,
    ErrorCannotConnect = 12029,
    ErrorConnectionError = 12030,
    ErrorClientCertNeeded = 12044,
    ErrorSecureFailure = 12175,
};
// True when dxbk-tool.ini says that today's download was already tried.
bool UpdatedToday();

} // namespace BankCodeUpdate
