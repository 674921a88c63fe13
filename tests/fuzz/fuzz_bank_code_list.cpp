// The check of a downloaded routing-code list on any body: fed in pieces of any size it decides as
// fed whole, a body one byte short of its announced length is never taken, and a body it accepts
// is one that loads as a routing-code list with at least one entry.
#include "FuzzCheck.h"
#include "lookup/core/BankCodeTable.h"
#include "update/core/BankCodeList.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray body(reinterpret_cast<const char*>(data), qsizetype(size));
    const bool whole = IsBankCodeList(body);
    BankCodeListCheck pieces;
    // The piece sizes come from the body's first byte, as the network would cut it.
    const qsizetype step = size > 0 ? 1 + data[0] % 17 : 1;
    for (qsizetype pos = 0; pos < body.size(); pos += step) {
        pieces.add(body.mid(pos, step));
    }
    FUZZ_CHECK(pieces.size() == body.size());
    FUZZ_CHECK(pieces.isList(-1) == whole);
    // With its length announced, a body need not end in a line end; a list still is one.
    FUZZ_CHECK(!whole || IsBankCodeList(body, body.size()));
    if (!body.isEmpty()) {
        FUZZ_CHECK(!IsBankCodeList(body.chopped(1), body.size())); // one byte short is never complete
    }
    if (whole) {
        static QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("BankNo.txt"));
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(body) == body.size());
        file.close();
        FUZZ_CHECK(BankCodeTable::loadFrom(path) == BankCodeTable::LoadStatus::Loaded);
        FUZZ_CHECK(BankCodeTable::size() >= 1);
    }
    return 0;
}
