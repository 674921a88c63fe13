#include "update/core/BankCodeUpdate.h"

#include "common/core/CMyTool.h"
#include "common/core/Clock.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRandomGenerator>

namespace BankCodeUpdate {

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
