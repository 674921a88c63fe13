// The .xlsx reader on any bytes: no crash, no read out of bounds, work bounded by the limits,
// and a workbook it accepts is one the imports can walk.
#include "FuzzCheck.h"
#include "common/core/SpreadsheetRows.h"
#include "common/core/SpreadsheetXlsxLoader.h"

#include <QBuffer>
#include <cstdint>

// QuaZip warns through Qt about every seek a damaged package asks for; millions of lines would
// only slow the fuzzer down.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char*>(data), qsizetype(size));
    buffer.open(QIODevice::ReadOnly);
    SpreadsheetBook book;
    const SpreadsheetError error = SpreadsheetXlsxLoader::load(&buffer, &book);
    if (error != SpreadsheetError::None) {
        return 0;
    }
    FUZZ_CHECK(!book.sheetNames.isEmpty());
    FUZZ_CHECK(book.activeSheet >= 0 && book.activeSheet < book.sheetNames.size());
    FUZZ_CHECK(book.sheet.valueCount() <= SpreadsheetSheet::MaxValues);
    const SpreadsheetRange range = book.sheet.usedRange();
    FUZZ_CHECK(range.isEmpty() == (book.sheet.valueCount() == 0));
    if (!range.isEmpty()) {
        FUZZ_CHECK(range.firstRow >= 1 && range.lastRow() <= SpreadsheetSheet::MaxRows);
        FUZZ_CHECK(range.firstColumn >= 1 && range.lastColumn() <= SpreadsheetSheet::MaxColumns);
        FUZZ_CHECK(!book.sheet.cell(range.firstRow, range.firstColumn).isEmpty() || range.rowCount > 1 ||
                   range.columnCount > 1);
        // The first rows as an import reads them.
        for (int r = range.firstRow; r <= range.lastRow() && r < range.firstRow + 20; ++r) {
            for (int c = 1; c <= 6; ++c) {
                const SpreadsheetCell cell = book.sheet.cell(r, c);
                FUZZ_CHECK(cell.isText() || cell.text().isEmpty());
            }
        }
    }
    return 0;
}
