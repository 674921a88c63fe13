#include "lookup/core/GbkBulkDecoder.h"

#include "common/core/Gbk.h"

namespace {
constexpr int kLeadFirst = 0x81;
constexpr int kLeadLast = 0xFE;

bool isTrail(int t)
{
    return t >= 0x40 && t <= 0xFE && t != 0x7F;
}

QByteArray pair(int lead, int trail)
{
    QByteArray bytes;
    bytes.append(char(lead));
    bytes.append(char(trail));
    return bytes;
}
} // namespace

const GbkBulkDecoder& GbkBulkDecoder::instance()
{
    static const GbkBulkDecoder decoder;
    return decoder;
}

GbkBulkDecoder::GbkBulkDecoder() : m_double(size_t(kLeadLast - kLeadFirst + 1) * 256, 0)
{
    // One converter call for all single bytes and one per lead byte; a call that does not give
    // one unit per character is redone character by character.
    QByteArray singles;
    for (int b = 0; b <= 0x80; ++b) {
        singles.append(char(b));
    }
    const std::optional<QString> all = Gbk::decode(singles);
    for (int b = 0; b <= 0x80; ++b) {
        if (all && all->size() == singles.size()) {
            m_single[b] = all->at(b).unicode();
        } else {
            const std::optional<QString> one = Gbk::decode(QByteArray(1, char(b)));
            m_single[b] = one && one->size() == 1 ? one->at(0).unicode() : -1;
        }
    }

    for (int lead = kLeadFirst; lead <= kLeadLast; ++lead) {
        QByteArray row;
        for (int t = 0; t < 256; ++t) {
            if (isTrail(t)) {
                row += pair(lead, t);
            }
        }
        const std::optional<QString> text = Gbk::decode(row);
        const bool whole = text && text->size() * 2 == row.size();
        char16_t* slot = m_double.data() + size_t(lead - kLeadFirst) * 256;
        int i = 0;
        for (int t = 0; t < 256; ++t) {
            if (!isTrail(t)) {
                continue;
            }
            if (whole) {
                slot[t] = text->at(i++).unicode();
            } else {
                const std::optional<QString> one = Gbk::decode(pair(lead, t));
                slot[t] = one && one->size() == 1 ? one->at(0).unicode() : 0;
            }
        }
    }
}

qsizetype GbkBulkDecoder::decode(const char* begin, const char* end, char16_t* out) const
{
    const auto* p = reinterpret_cast<const unsigned char*>(begin);
    const auto* e = reinterpret_cast<const unsigned char*>(end);
    char16_t* o = out;
    while (p < e) {
        const unsigned char b = *p++;
        if (b <= 0x80) {
            const int c = m_single[b];
            if (c < 0) {
                return -1;
            }
            *o++ = char16_t(c);
            continue;
        }
        if (b > kLeadLast || p == e) {
            return -1;
        }
        const char16_t c = m_double[size_t(b - kLeadFirst) * 256 + *p++];
        if (c == 0) {
            return -1;
        }
        *o++ = c;
    }
    return o - out;
}
