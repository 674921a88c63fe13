#include "common/core/Gbk.h"

#include <QStringDecoder>
#include <algorithm>
#include <QtCore5Compat/QTextCodec>
#include <array>
#include <atomic>

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

// Whether text read as UTF-8 holds anything Chinese: an ideograph, Chinese punctuation or a
// full-width form.
bool holdsChinese(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        const char16_t u = c.unicode();
        return (u >= 0x3400 && u <= 0x4DBF) || (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF) ||
               (u >= 0x3000 && u <= 0x303F) || (u >= 0xFF01 && u <= 0xFF5E) || (u >= 0x2010 && u <= 0x203B);
    });
}

// Whether well-formed GBK bytes hold a hanzi: GB2312's two levels or GBK's added ideographs.
bool holdsHanzi(const QByteArray& bytes)
{
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const uchar lead = p[i];
        if (lead <= 0x80) {
            continue;
        }
        const uchar trail = p[++i];
        if ((lead >= 0xB0 && lead <= 0xF7 && trail >= 0xA1) || (lead >= 0x81 && lead <= 0xA0) ||
            (lead >= 0xAA && trail <= 0xA0)) {
            return true;
        }
    }
    return false;
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
    // reads back unchanged can go into a file. GBK converts character by character, so each
    // character is tried once, the first time it is met, and the answer kept.
    enum : quint8
    {
        Unknown,
        Yes,
        No
    };
    static std::array<std::atomic<quint8>, 0x10000> known{};
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            continue;
        }
        if (c.isSurrogate()) {
            return false; // GBK has no character outside the basic plane
        }
        quint8 answer = known[u].load(std::memory_order_relaxed);
        if (answer == Unknown) {
            const QString one(c);
            const std::optional<QString> back = decode(encode(one));
            answer = codec()->canEncode(one) && back && *back == one ? Yes : No;
            known[u].store(answer, std::memory_order_relaxed);
        }
        if (answer == No) {
            return false;
        }
    }
    return true;
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
    // A GBK file fails as UTF-8 within its first Chinese characters: look no further than that.
    const auto* p = reinterpret_cast<const uchar*>(data.constData());
    const qsizetype n = data.size();
    bool multiByte = false;
    for (qsizetype i = 0; i < n;) {
        const uchar b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
        } else {
            return FileEncoding::Gbk;
        }
        if (i + length > n) {
            return FileEncoding::Gbk;
        }
        for (int k = 1; k < length; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) {
                return FileEncoding::Gbk;
            }
        }
        // Overlong forms, surrogates and code points beyond U+10FFFF are not UTF-8 either.
        if ((b == 0xE0 && p[i + 1] < 0xA0) || (b == 0xED && p[i + 1] >= 0xA0) ||
            (b == 0xF0 && p[i + 1] < 0x90) || (b == 0xF4 && p[i + 1] >= 0x90)) {
            return FileEncoding::Gbk;
        }
        multiByte = true;
        i += length;
    }
    if (!multiByte) {
        return FileEncoding::Gbk;
    }
    // The strict decoder has the last word, so that detecting and decoding never disagree.
    const std::optional<QString> utf8 = decodeUtf8(data);
    if (!utf8) {
        return FileEncoding::Gbk;
    }
    // Short GBK text is often valid UTF-8 as well (筒 is CD B2, which UTF-8 reads as U+0372, and so
    // is one hanzi in seven): a roster of one payee would not read back. UTF-8
    // that holds nothing Chinese while its bytes read as GBK hanzi is such a file.
    if (holdsChinese(*utf8) || !decode(data) || !holdsHanzi(data)) {
        return FileEncoding::Utf8;
    }
    return FileEncoding::Gbk;
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
