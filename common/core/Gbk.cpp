#include "common/core/Gbk.h"

#include <QStringDecoder>
#include <QtCore5Compat/QTextCodec>
#include <algorithm>
#include <array>
#include <atomic>
#include <vector>

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

// GB2312's punctuation (row 1), full-width forms (row 3) and its two levels of hanzi: the
// characters of ordinary Chinese text. A reading that needs other characters (GBK's added
// ideographs, Cyrillic, box drawing, the rarer Unicode ideographs) is the less likely one.
const std::vector<bool>& commonTable()
{
    static const std::vector<bool> table = [] {
        std::vector<bool> common(0x10000, false);
        QByteArray codes;
        for (int lead = 0xA1; lead <= 0xF7; ++lead) {
            if (lead != 0xA1 && lead != 0xA3 && lead < 0xB0) {
                continue;
            }
            for (int trail = 0xA1; trail <= 0xFE; ++trail) {
                codes += char(lead);
                codes += char(trail);
            }
        }
        // Each code is one character or, where GBK leaves it unassigned, a replacement or a
        // private-use character, which are not common.
        const QString text = codec()->toUnicode(codes);
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            if (u >= 0x80 && !c.isSurrogate() && c.category() != QChar::Other_PrivateUse &&
                u != QChar::ReplacementCharacter) {
                common[u] = true;
            }
        }
        return common;
    }();
    return table;
}

// How far a reading is from ordinary Chinese text: nothing for ASCII and GB2312's characters, 1 for
// each rarer ideograph (names do hold a few), 3 for anything else (Hangul, Latin letters with
// accents, Cyrillic, symbols), which a roster or an order hardly ever holds.
qsizetype strangeness(const QString& text)
{
    const std::vector<bool>& common = commonTable();
    qsizetype sum = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80 || common[u] || c.isLowSurrogate()) {
            continue; // a character beyond the basic plane counts once
        }
        const bool ideograph = (u >= 0x3400 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF);
        sum += ideograph ? 1 : 3;
    }
    return sum;
}

// Valid UTF-8 with at least one multi-byte sequence: the structure alone, without decoding. A GBK
// file fails within its first Chinese characters, so this looks no further than that.
bool utf8Structure(const QByteArray& data)
{
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
            return false;
        }
        if (i + length > n) {
            return false;
        }
        for (int k = 1; k < length; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) {
                return false;
            }
        }
        // Overlong forms, surrogates and code points beyond U+10FFFF are not UTF-8 either.
        if ((b == 0xE0 && p[i + 1] < 0xA0) || (b == 0xED && p[i + 1] >= 0xA0) ||
            (b == 0xF0 && p[i + 1] < 0x90) || (b == 0xF4 && p[i + 1] >= 0x90)) {
            return false;
        }
        multiByte = true;
        i += length;
    }
    return multiByte;
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
    if (!utf8Structure(data)) {
        return FileEncoding::Gbk;
    }
    // The strict decoders have the last word, so that detecting and decoding never disagree.
    const std::optional<QString> utf8 = decodeUtf8(data);
    if (!utf8) {
        return FileEncoding::Gbk;
    }
    const std::optional<QString> gbk = decode(data);
    if (!gbk) {
        return FileEncoding::Utf8;
    }
    // Both readings are valid, as for many short GBK names (濮洪波 is E5 A7 BA E9 B2 A8, which
    // UTF-8 reads as 姺鲨): the reading nearer ordinary Chinese text wins, and a tie goes to GBK,
    // so text of GB2312's characters that the program wrote always comes back as GBK.
    return strangeness(*utf8) < strangeness(*gbk) ? FileEncoding::Utf8 : FileEncoding::Gbk;
}

bool lineDisagrees(const QByteArray& line, FileEncoding encoding)
{
    return encoding == FileEncoding::Gbk && detect(line) == FileEncoding::Utf8;
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
