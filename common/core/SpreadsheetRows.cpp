#include "common/core/SpreadsheetRows.h"

#include <algorithm>

namespace SpreadsheetRows {

Row read(const SpreadsheetReader& reader, int row, const ImportLayout& layout, int columns)
{
    Row out;
    const int count = std::max(columns, int(layout.columns.size()));
    for (int c = 1; c <= count; ++c) {
        const SpreadsheetCell cell = reader.cell(row, c);
        const ImportColumn::Kind kind =
            c <= layout.columns.size() ? layout.columns.at(c - 1).kind : ImportColumn::Kind::Text;
        QString reason;
        const std::optional<QString> text = ImportLayout::cellText(cell, kind, &reason);
        if (!text) {
            out.refusal = ImportLayout::cellName(row, c) + QStringLiteral("：") + reason;
            return out;
        }
        out.anyText = out.anyText || !cell.isEmpty();
        out.texts << *text;
    }
    return out;
}

} // namespace SpreadsheetRows
