// The .xls reader (compound file and BIFF8 records) on any bytes: no crash, no read out of
// bounds, work in proportion to the input, and a workbook it accepts is one the imports can walk.
#include "FuzzCheck.h"
#include "common/core/SpreadsheetXlsLoader.h"

#include <QByteArray>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    SpreadsheetBook book;
    const SpreadsheetError error = SpreadsheetXlsLoader::load(bytes, &book);
    if (error != SpreadsheetError::None) {
        return 0;
    }
    FUZZ_CHECK(!book.sheetNames.isEmpty());
    FUZZ_CHECK(book.activeSheet >= 0 && book.activeSheet < book.sheetNames.size());
    // Every value takes at least one record of four bytes or a six-byte part of a MULRK.
    FUZZ_CHECK(qsizetype(book.sheet.valueCount()) <= bytes.size() / 4);
    const SpreadsheetRange range = book.sheet.usedRange();
    FUZZ_CHECK(range.isEmpty() == (book.sheet.valueCount() == 0));
    if (!range.isEmpty()) {
        // BIFF8 rows and columns are 16-bit.
        FUZZ_CHECK(range.firstRow >= 1 && range.lastRow() <= 65536);
        FUZZ_CHECK(range.firstColumn >= 1 && range.lastColumn() <= 65536);
        for (int c = range.firstColumn; c <= range.lastColumn() && c < range.firstColumn + 20; ++c) {
            const SpreadsheetCell cell = book.sheet.cell(range.firstRow, c);
            FUZZ_CHECK(cell.isText() || cell.text().isEmpty());
        }
    }
    return 0;
}
