#pragma once

#include "common/core/SpreadsheetBook.h"

#include <QByteArray>

// Reads an Excel 97-2003 workbook (.xls, BIFF8 in an OLE2 compound file): the sheet list, the
// sheet that was active when the file was saved (the WINDOW1 record) and the cells of that sheet.
// Only the records an import needs are read; a password-protected file is refused. Every length,
// offset and sector number in the file is checked, so damage gives an error, never a read outside
// the data, a loop or work out of proportion to the file's size.
class SpreadsheetXlsLoader
{
public:
    // data is the whole file.
    static SpreadsheetError load(const QByteArray& data, SpreadsheetBook* book);
};
