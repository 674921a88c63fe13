#include "rosters/core/RosterFormat.h"

#include "common/core/CMyTool.h"
#include "common/core/Gbk.h"
#include "common/core/SafeWrite.h"

#include <QFileInfo>
#include <algorithm>

namespace RosterFormat {

std::optional<QByteArray> nextLine(const QByteArray& data, qsizetype& pos)
{
    if (pos >= data.size()) {
        return std::nullopt;
    }
    QByteArray line = CMyTool::ReadTextLine(data, pos);
    line.chop(CMyTool::LineEndLength(line));
    return line;
}

std::optional<QStringList> split(const QString& line, Layout layout)
{
    qsizetype pos = 0;
    if (layout.leadingBar) {
        if (!line.startsWith(QLatin1Char('|'))) {
            return std::nullopt;
        }
        pos = 1;
    }
    QStringList fields;
    while (pos < line.size() && fields.size() < layout.fields) {
        const qsizetype bar = line.indexOf(QLatin1Char('|'), pos);
        if (bar < 0) {
            return std::nullopt;
        }
        fields << line.mid(pos, bar - pos);
        pos = bar + 1;
    }
    while (fields.size() < layout.fields) {
        fields << QString();
    }
    return fields;
}

std::optional<QStringList> decodeAndSplit(const QByteArray& line, Layout layout, Gbk::FileEncoding encoding)
{
    const std::optional<QString> text = Gbk::decode(line, encoding);
    if (!text) {
        return std::nullopt;
    }
    return split(*text, layout);
}

namespace {
QByteArray joinLine(bool leadingBar, const QStringList& fields)
{
    QString line = leadingBar ? QStringLiteral("|") : QString();
    for (const QString& f : fields) {
        line += CMyTool::RemoveNewlines(f);
        line += QLatin1Char('|');
    }
    return Gbk::encode(line) + "\r\n";
}
} // namespace

QByteArray lineOf(const InterbankAccount& a)
{
    return joinLine(false, {a.account, a.name, QString(), a.bankName, QString(), QString(), a.bankCode});
}

QByteArray lineOf(const InBankAccount& a)
{
    return joinLine(true, {a.account, a.name, QString()});
}

QByteArray lineOf(const PayrollRosterEntry& e)
{
    return joinLine(true, {e.account, e.name, e.amount, e.remark, QString()});
}

InterbankAccount interbankFrom(const QStringList& f)
{
    return {f.value(0), f.value(1), f.value(3), f.value(6)};
}

InBankAccount inBankFrom(const QStringList& f)
{
    return {f.value(0), f.value(1)};
}

PayrollRosterEntry payrollFrom(const QStringList& f)
{
    return {f.value(0), f.value(1), f.value(2), f.value(3)};
}

QString saveFailedMessage(const QString& path)
{
    return QStringLiteral("文件保存失败：%1").arg(QFileInfo(path).fileName());
}

QString readFailedMessage(const QString& path)
{
    return QStringLiteral("文件读取失败：%1").arg(QFileInfo(path).fileName());
}

RememberResult rememberRecord(const QString& fileName, const QString& key, const QByteArray& newLine,
                              const std::function<std::optional<QString>(const QString& line)>& keyOf)
{
    const QString path = CMyTool::DataFilePath(fileName);
    QByteArray data;
    switch (SafeWrite::read(path, &data)) {
    case SafeWrite::ReadResult::Missing:
        return RememberResult::Missing;
    case SafeWrite::ReadResult::Unreadable:
        return RememberResult::Unreadable;
    case SafeWrite::ReadResult::Read:
        break;
    }
    const Gbk::FileEncoding encoding = Gbk::detect(data);
    QByteArray out;
    out.reserve(data.size() + newLine.size() + 2);
    bool found = false;
    qsizetype pos = Gbk::markLength(encoding);
    // An account is digits: a GBK line that does not hold its bytes cannot be its line, and is
    // carried over without being decoded (a large roster has thousands of them).
    const QByteArray keyBytes = key.toLatin1();
    const bool quickSkip = encoding == Gbk::FileEncoding::Gbk && !key.isEmpty() &&
                           std::all_of(key.cbegin(), key.cend(), [](QChar c) { return c.unicode() < 0x80; });
    while (pos < data.size()) {
        QByteArray line = CMyTool::ReadTextLine(data, pos);
        if (quickSkip && !line.contains(keyBytes)) {
            out += line;
            continue;
        }
        QByteArray content = line;
        content.chop(CMyTool::LineEndLength(line));
        const std::optional<QString> text = Gbk::decode(content, encoding);
        const std::optional<QString> lineKey = text ? keyOf(*text) : std::nullopt;
        if (lineKey && *lineKey == key) {
            out += newLine;
            found = true;
            continue;
        }
        if (encoding != Gbk::FileEncoding::Gbk && text) {
            // The whole file becomes GBK again; a line GBK cannot hold would change, so nothing
            // is written. A line that could not be read as UTF-8 is carried over as it is.
            if (!Gbk::canEncode(*text)) {
                return RememberResult::Failed;
            }
            line = Gbk::encode(*text) + line.right(CMyTool::LineEndLength(line));
        }
        out += line;
    }
    if (!found) {
        if (!out.isEmpty() && CMyTool::LineEndLength(out) == 0) {
            out += "\r\n";
        }
        out += newLine;
    }
    return SafeWrite::writeFile(path, out) ? RememberResult::Saved : RememberResult::Failed;
}

} // namespace RosterFormat
