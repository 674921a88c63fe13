#include "common/core/SpreadsheetRows.h"

#include <algorithm>
#include <utility>

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

Reader::Reader(const SpreadsheetReader& reader, const ImportLayout& layout, int firstRow, int columns)
    : m_reader(reader), m_layout(layout), m_columns(std::max(columns, int(layout.columns.size()))),
      m_row(firstRow - 1)
{
    const SpreadsheetRange used = reader.usedRange();
    m_lastRow = used.isEmpty() ? 0 : used.lastRow();
}

std::optional<std::pair<int, Row>> Reader::next()
{
    while (m_row < m_lastRow) {
        const int row = ++m_row;
        Row cells = read(m_reader, row, m_layout, m_columns);
        if (cells.refusal.isEmpty() && !cells.anyText) {
            continue;
        }
        if (std::exchange(m_first, false) && cells.refusal.isEmpty() && m_layout.isHeader(cells.texts)) {
            continue;
        }
        return std::make_pair(row, std::move(cells));
    }
    return std::nullopt;
}

int Reader::left() const
{
    int count = 0;
    for (int row = m_row + 1; row <= m_lastRow; ++row) {
        for (int c = 1; c <= m_columns; ++c) {
            if (!m_reader.cell(row, c).isEmpty()) {
                ++count;
                break;
            }
        }
    }
    return count;
}

} // namespace SpreadsheetRows
