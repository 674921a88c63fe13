#pragma once

#include "common/core/SpreadsheetBook.h"
#include "common/core/SpreadsheetCell.h"
#include "common/core/SpreadsheetRange.h"

#include <QString>
#include <QStringList>

// Reads the active sheet of a workbook file, in place of asking a spreadsheet program to open it.
//
// The format is taken from the file's first bytes, never from its name: a ZIP package is read as
// .xlsx (Office Open XML), an OLE2 compound file as .xls (Excel 97-2003, BIFF8). Anything else,
// and a package or compound file that holds no workbook, is not a spreadsheet.
//
// Sheet: the one that was active when the workbook was last saved (.xlsx: the first workbook
// view's activeTab; .xls: the WINDOW1 record). Without that information, or when it names a chart
// sheet of an .xls, the first sheet is read; an active chart sheet of an .xlsx has no cells.
//
// Cells: text (shared, inline or rich text, and the saved text result of a formula) is Text, kept
// whole and untrimmed; numbers, dates, truth and error values, and formulas whose result was never
// saved are Other; a cell without a value is Empty, whatever its format.
//
// Used range: the smallest block holding every cell with a value. Cells that carry only a format
// do not count (unlike Excel's UsedRange), so a text format applied to whole columns does not
// stretch the range; the file's own <dimension> or DIMENSIONS record is not trusted either.
//
// Limits: a file of at most MaxFileBytes, a sheet of at most SpreadsheetSheet::MaxValues cells
// and MaxTextUnits of text, and bounded parts inside a package; anything larger is TooLarge.
// The work done is in proportion to the file, whatever its content claims.
class SpreadsheetReader
{
public:
    enum class Format
    {
        None,
        Xlsx,
        Xls
    };
    using Error = SpreadsheetError;
    static constexpr qint64 MaxFileBytes = 128 * 1024 * 1024;

    // Reads the whole active sheet; false when the file is not a readable workbook (see error()).
    bool open(const QString& path);
    void close();

    bool isOpen() const { return m_format != Format::None; }
    Error error() const { return m_error; }
    Format format() const { return m_format; }

    QStringList sheetNames() const { return m_book.sheetNames; }
    int activeSheetIndex() const { return m_book.activeSheet; }
    QString activeSheetName() const;
    SpreadsheetRange usedRange() const { return m_book.sheet.usedRange(); }
    // row and column are 1-based absolute sheet coordinates; cells outside the sheet are Empty.
    SpreadsheetCell cell(int row, int column) const { return m_book.sheet.cell(row, column); }

private:
    Format m_format = Format::None;
    Error m_error = Error::None;
    SpreadsheetBook m_book;
};
