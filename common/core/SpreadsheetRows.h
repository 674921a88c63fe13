#pragma once

#include "common/core/ImportLayout.h"
#include "common/core/SpreadsheetReader.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

// What every spreadsheet import takes from the sheet it reads.
namespace SpreadsheetRows {

struct Row
{
    QStringList texts; // one per column asked for; empty cells give empty texts
    bool anyText = false;
    // The first cell the import cannot take, "第5行E列：单元格不是文本"; empty when it takes them all.
    QString refusal;
};
// Cells 1..columns of a sheet row (the layout's columns at least); a column beyond the layout
// takes text only.
Row read(const SpreadsheetReader& reader, int row, const ImportLayout& layout, int columns = 0);

// The rows an import reads, from firstRow to the used range's last: empty rows are passed over,
// and so is the first row with a value when the layout takes it for a header. A row with a cell
// the layout cannot take comes with its refusal (the import then stops).
class Reader
{
public:
    Reader(const SpreadsheetReader& reader, const ImportLayout& layout, int firstRow, int columns = 0);
    // The next row with a value and its number in the sheet; nullopt at the end.
    std::optional<std::pair<int, Row>> next();
    // Rows with a value after the last one handed out: what a limit leaves unread.
    int left() const;

private:
    const SpreadsheetReader& m_reader;
    const ImportLayout& m_layout;
    int m_columns;
    int m_row;
    int m_lastRow;
    bool m_first = true;
};

} // namespace SpreadsheetRows
