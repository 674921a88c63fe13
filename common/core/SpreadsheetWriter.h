#pragma once

#include <QString>
#include <map>
#include <utility>

// Writes a workbook of one sheet in which every cell is text, in place of filling a new workbook in
// a spreadsheet program. The file is Office Open XML (.xlsx) whatever name it gets: the reader goes
// by content, and spreadsheet programs open it under an .xls name too (Excel asks first).
//
// The whole sheet carries the number format "@" (text), as does every cell written, so accounts
// and amounts typed over later stay text as well.
class SpreadsheetWriter
{
public:
    static constexpr int MaxRows = 1048576;
    static constexpr int MaxColumns = 16384;
    static constexpr int MaxTextLength = 32767;

    explicit SpreadsheetWriter(const QString& sheetName);

    // row and column are 1-based. Writing a cell twice keeps the last text; empty text leaves the
    // cell without a value (formatted as text all the same).
    void setText(int row, int column, const QString& text);

    // Writes the workbook to path; an existing file is replaced only once the new one is complete.
    // False when the sheet name or a cell is not acceptable to the format (a name of more than 31
    // characters or with []:*?/\ or a leading or trailing apostrophe, text of more than 32767
    // characters, a cell outside the sheet) or when the file cannot be written; error (if given)
    // says why.
    bool save(const QString& path, QString* error = nullptr) const;

private:
    QString m_sheetName;
    std::map<std::pair<int, int>, QString> m_cells; // (row, column) in sheet order
};
