#include <QtCore5Compat/QTextCodec>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace {
constexpr UINT Gbk = 936;

QByteArray encode(const QString& text, bool* lossy)
{
    if (text.isEmpty()) {
        return {};
    }
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(Gbk, 0, wide, int(text.size()), nullptr, 0, nullptr, nullptr);
    QByteArray out(n, Qt::Uninitialized);
    WideCharToMultiByte(Gbk, 0, wide, int(text.size()), out.data(), n, nullptr, &usedDefault);
    if (lossy) {
        *lossy = usedDefault != FALSE;
    }
    return out;
}
} // namespace

QTextCodec* QTextCodec::codecForName(const char* name)
{
    static QTextCodec gbk;
    return qstricmp(name, "GBK") == 0 ? &gbk : nullptr;
}

QByteArray QTextCodec::fromUnicode(const QString& text) const
{
    return encode(text, nullptr);
}

QString QTextCodec::toUnicode(const QByteArray& bytes) const
{
    if (bytes.isEmpty()) {
        return {};
    }
    const int n = MultiByteToWideChar(Gbk, 0, bytes.constData(), int(bytes.size()), nullptr, 0);
    QString out(n, Qt::Uninitialized);
    MultiByteToWideChar(Gbk, 0, bytes.constData(), int(bytes.size()), reinterpret_cast<wchar_t*>(out.data()), n);
    return out;
}

bool QTextCodec::canEncode(const QString& text) const
{
    bool lossy = false;
    encode(text, &lossy);
    return !lossy;
}
