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
    // Whole text at once when every code is one that code page 936 has.
    const int n = MultiByteToWideChar(Gbk, MB_ERR_INVALID_CHARS, bytes.constData(), int(bytes.size()), nullptr, 0);
    if (n > 0) {
        QString out(n, Qt::Uninitialized);
        MultiByteToWideChar(Gbk, MB_ERR_INVALID_CHARS, bytes.constData(), int(bytes.size()),
                            reinterpret_cast<wchar_t*>(out.data()), n);
        return out;
    }
    // Otherwise code by code, as Qt's GBK codec reads: each code it cannot read, a lone lead byte
    // at the end included, becomes U+FFFD (Windows would put a '?' or a look-alike there, which
    // the program could not tell from text).
    QString out;
    out.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size;) {
        // A lead byte takes the next byte only when that can be a trail byte; otherwise the lead
        // byte alone is the bad code and the next byte is read for itself.
        const bool lead = p[i] >= 0x81 && p[i] <= 0xFE;
        const bool trail = i + 1 < size && p[i + 1] >= 0x40 && p[i + 1] != 0x7F && p[i + 1] != 0xFF;
        const int length = lead && trail ? 2 : 1;
        wchar_t unit[2];
        const int got = MultiByteToWideChar(Gbk, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(p + i),
                                            length, unit, 2);
        if (got > 0) {
            out.append(QStringView(reinterpret_cast<const char16_t*>(unit), got));
        } else {
            out.append(QChar(QChar::ReplacementCharacter));
        }
        i += length;
    }
    return out;
}

bool QTextCodec::canEncode(const QString& text) const
{
    bool lossy = false;
    encode(text, &lossy);
    return !lossy;
}
