#pragma once

#include "common/core/SpreadsheetBook.h"

class QIODevice;

// Reads an Office Open XML workbook (.xlsx): the sheet list, the active sheet and its cells.
// Only the parts needed for that are opened (relationships, workbook, shared strings, one sheet).
class SpreadsheetXlsxLoader
{
public:
    // device holds the whole ZIP package and is open for reading.
    static SpreadsheetError load(QIODevice* device, SpreadsheetBook* book);
};
