#include "common/core/SpreadsheetRows.h"

namespace SpreadsheetRows {

std::optional<Row> read(const SpreadsheetReader& reader, int row, int columns)
{
    Row out;
    for (int c = 1; c <= columns; ++c) {
        const SpreadsheetCell cell = reader.cell(row, c);
        if (cell.isOther()) {
            return std::nullopt;
        }
        out.anyText = out.anyText || cell.isText();
        out.texts << cell.text();
    }
    return out;
}

} // namespace SpreadsheetRows
