#pragma once

#include "common/core/SpreadsheetBook.h"

#include <QByteArray>
#include <QString>

// Reads an Excel 97-2003 workbook (.xls, BIFF8 in an OLE2 compound file) through FreeXL, adding
// what FreeXL leaves out: the sheet that was active when the file was saved (the WINDOW1 record),
// the saved results of formulas and truth or error values (FORMULA, STRING and BOOLERR records,
// which FreeXL reports as empty cells), and the tell-tale streams of a password-protected file.
class SpreadsheetXlsLoader
{
public:
    // data is the whole file; path is used only to hand the file to FreeXL.
    static SpreadsheetError load(const QString& path, const QByteArray& data, SpreadsheetBook* book);
};
