#pragma once

#include <QtGlobal>
#include <vector>

// Strict GBK decoding at memory speed for large data files such as BankNo.txt. Its tables are
// taken from Gbk::decode at first use, so it accepts and yields exactly what Gbk::decode does for
// the same bytes; it only avoids one converter call per line.
class GbkBulkDecoder
{
public:
    static const GbkBulkDecoder& instance();

    // Decodes [begin, end) into out, which must have room for end - begin units (every GBK
    // character is one or two bytes and one UTF-16 unit). Returns the number of units written,
    // or -1 when the bytes are not valid GBK.
    qsizetype decode(const char* begin, const char* end, char16_t* out) const;

private:
    GbkBulkDecoder();

    // Bytes 0x00-0x80 stand alone; -1 marks a byte the converter refuses.
    int m_single[0x81];
    // Lead byte 0x81-0xFE and trail byte, at (lead - 0x81) * 256 + trail; 0 marks an invalid pair.
    std::vector<char16_t> m_double;
};
