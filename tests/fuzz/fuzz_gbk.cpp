// The GBK codec: the strict decoder and the bulk decoder of BankNo.txt accept exactly the same
// byte strings and give the same text; decoded text encodes and decodes back to itself; text that
// canEncode accepts comes back unchanged from the file; a roster line the program writes with a
// name of GB2312's hanzi reads back as GBK, unchanged.
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

    // Names drawn from GB2312's hanzi by the input, two bytes a character, in a roster line as the
    // program writes it: it reads back as GBK, unchanged.
    QString name;
    for (size_t i = 0; i + 1 < size && name.size() < 8; i += 2) {
        const int index = ((data[i] << 8) | data[i + 1]) % (72 * 94);
        const char pair[] = {char(0xB0 + index / 94), char(0xA1 + index % 94)};
        const std::optional<QString> h = Gbk::decode(QByteArray(pair, 2));
        if (h && h->at(0).unicode() >= 0x4E00) {
            name += *h;
        }
    }
    const QString line = QStringLiteral("|6222020200012345678|") + name + QStringLiteral("|8500.00|||\r\n");
    const QByteArray file = Gbk::encode(line);
    FUZZ_CHECK(Gbk::detect(file) == Gbk::FileEncoding::Gbk && Gbk::decode(file) == line);
    return 0;
}
