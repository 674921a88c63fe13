#include "update/core/BankCodeUpdate.h"

#include "common/core/CMyTool.h"
#include "common/core/Clock.h"
#include "common/core/Gbk.h"

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
