// The GBK codec: the strict decoder and the bulk decoder of BankNo.txt accept exactly the same
// byte strings and give the same text; decoded text encodes and decodes back to itself; text that
// canEncode accepts comes back unchanged from the file.
#include "FuzzCheck.h"
#include "common/core/Gbk.h"
#include "lookup/core/GbkBulkDecoder.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    const std::optional<QString> strict = Gbk::decode(bytes);
    std::vector<char16_t> out(size + 1);
    const qsizetype units =
        GbkBulkDecoder::instance().decode(bytes.constData(), bytes.constData() + size, out.data());
    FUZZ_CHECK(strict.has_value() == (units >= 0));
    if (strict) {
        FUZZ_CHECK(*strict == QString::fromUtf16(out.data(), units));
        FUZZ_CHECK(Gbk::canEncode(*strict));
        const QByteArray again = Gbk::encode(*strict);
        FUZZ_CHECK(Gbk::decode(again) == strict);
    }

    // The same bytes as UTF-16 text, as a field could hold it.
    const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(data), qsizetype(size / 2));
    if (Gbk::canEncode(text)) {
        FUZZ_CHECK(Gbk::decode(Gbk::encode(text)) == text);
    }
    return 0;
}
