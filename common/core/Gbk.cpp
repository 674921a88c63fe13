#include "common/core/Gbk.h"

#include <QStringDecoder>
#include <QtCore5Compat/QTextCodec>

namespace {

QTextCodec* codec()
{
    static QTextCodec* const gbk = QTextCodec::codecForName("GBK");
    return gbk;
}

// GBK byte structure: single bytes 0x00-0x80, or a lead byte 0x81-0xFE followed by a trail
// byte 0x40-0x7E or 0x80-0xFE. The converter drops or replaces anything else silently.
bool wellFormed(const QByteArray& bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned char b = p[i];
        if (b <= 0x80) {
            continue;
        }
        if (b == 0xFF || i + 1 >= n) {
            return false;
        }
        const unsigned char t = p[++i];
        if (t < 0x40 || t == 0x7F || t == 0xFF) {
            return false;
        }
    }
    return true;
}

} // namespace

namespace Gbk {

QByteArray encode(const QString& text)
{
    return codec()->fromUnicode(text);
}

std::optional<QString> decode(const QByteArray& bytes)
{
    if (!wellFormed(bytes)) {
        return std::nullopt;
    }
    QString text = codec()->toUnicode(bytes);
    if (text.contains(QChar(QChar::ReplacementCharacter))) {
        return std::nullopt;
    }
    return text;
}

bool canEncode(const QString& text)
{
    // The converter says yes to texts it cannot give back (U+F8F5 is written as the byte 0xFF,
    // which no reader takes back; an unpaired surrogate as a character of its own): only text that
    // reads back unchanged can go into a file.
    if (!codec()->canEncode(text)) {
        return false;
    }
    const std::optional<QString> back = decode(encode(text));
    return back && *back == text;
}

bool hasUtf8Bom(const QByteArray& data)
{
    return data.startsWith("\xEF\xBB\xBF");
}

FileEncoding detect(const QByteArray& data)
{
    if (hasUtf8Bom(data)) {
        return FileEncoding::Utf8WithBom;
    }
    bool multiByte = false;
    for (const char c : data) {
        if (uchar(c) >= 0x80) {
            multiByte = true;
            break;
        }
    }
    return multiByte && decodeUtf8(data) ? FileEncoding::Utf8 : FileEncoding::Gbk;
}

std::optional<QString> decode(const QByteArray& bytes, FileEncoding encoding)
{
    return encoding == FileEncoding::Gbk ? decode(bytes) : decodeUtf8(bytes);
}

std::optional<QString> decodeUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        return std::nullopt;
    }
    return text;
}

} // namespace Gbk
