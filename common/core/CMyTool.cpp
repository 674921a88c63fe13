#include "common/core/CMyTool.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString& moduleDirOverride()
{
    static QString dir;
    return dir;
}
} // namespace

QString CMyTool::GetModuleDir()
{
    QString dir = moduleDirOverride();
    if (dir.isEmpty()) {
        dir = QCoreApplication::applicationDirPath();
    }
    if (dir.isEmpty()) {
        return QString();
    }
    if (!dir.endsWith(QLatin1Char('/'))) {
        dir += QLatin1Char('/');
    }
    return dir;
}

void CMyTool::SetModuleDirForTests(const QString& dir)
{
    moduleDirOverride() = dir;
}

QString CMyTool::DataFilePath(const QString& fileName)
{
    return GetModuleDir() + fileName;
}

QString CMyTool::TrimSpaces(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == QLatin1Char(' ')) {
        ++begin;
    }
    while (end > begin && text.at(end - 1) == QLatin1Char(' ')) {
        --end;
    }
    return text.mid(begin, end - begin);
}

QString CMyTool::TidyField(const QString& text)
{
    return TrimSpaces(RemoveNewlines(text));
}

QString CMyTool::RemoveNewlines(const QString& text)
{
    QString out = text;
    out.remove(QLatin1Char('\n'));
    out.remove(QLatin1Char('\r'));
    return out;
}

bool CMyTool::IsAllDigits(const QString& text)
{
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return false;
        }
    }
    return true;
}

QByteArray CMyTool::ReadTextLine(const QByteArray& data, qsizetype& pos)
{
    return ReadTextLine(data, pos, data.size());
}

QByteArray CMyTool::ReadTextLine(const QByteArray& data, qsizetype& pos, qsizetype limit)
{
    if (pos >= data.size()) {
        return QByteArray();
    }
    const char* begin = data.constData() + pos;
    const char* const last = data.constData() + data.size();
    const char* p = begin;
    while (p < last && *p != '\n' && *p != '\r') {
        ++p;
    }
    const qsizetype content = p - begin;
    if (p < last) {
        p += (*p == '\r' && p + 1 < last && p[1] == '\n') ? 2 : 1;
    }
    pos += p - begin;
    // An overlong line is never copied whole: its start is enough to tell it.
    return content > limit ? QByteArray(begin, limit + 1) : QByteArray(begin, p - begin);
}

int CMyTool::LineEndLength(const QString& line)
{
    if (line.endsWith(QLatin1String("\r\n"))) {
        return 2;
    }
    return line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r')) ? 1 : 0;
}

int CMyTool::LineEndLength(const QByteArray& line)
{
    if (line.endsWith("\r\n")) {
        return 2;
    }
    return line.endsWith('\n') || line.endsWith('\r') ? 1 : 0;
}

QString CMyTool::WinHttpErrorText(int errorCode)
{
    switch (errorCode) {
    case 12002:
        return QStringLiteral("网络连接超时");
    case 12005:
        return QStringLiteral("错误的URL地址");
    case 12007:
        return QStringLiteral("无法解析域名,请检查DNS域名服务器");
    case 12012:
        return QStringLiteral("服务已关闭");
    case 12015:
        return QStringLiteral("登陆失败");
    case 12017:
        return QStringLiteral("操作已退出");
    case 12029:
        return QStringLiteral("网络无法连接");
    case 12030:
        return QStringLiteral("网络连接错误");
    case 12044:
        return QStringLiteral("需要客户端证书");
    case 12175:
        return QStringLiteral("SSL连接失败");
    default:
        return QStringLiteral("网络错误，断开连接");
    }
}
