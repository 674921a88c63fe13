#include "common/core/SpreadsheetSheet.h"

#include <algorithm>

void SpreadsheetSheet::clear()
{
    m_cells.clear();
    m_range = SpreadsheetRange();
    m_textUnits = 0;
}

bool SpreadsheetSheet::setCell(int row, int column, const SpreadsheetCell& cell)
{
    if (cell.isEmpty() || row < 1 || row > MaxRows || column < 1 || column > MaxColumns) {
        return true;
    }
    // Texts shared between cells (a shared string table) share their storage too, but are
    // counted once per cell: the bound holds whatever the file does.
    const qint64 units = cell.rawValue().size();
    auto it = m_cells.find(key(row, column));
    if (it != m_cells.end()) {
        m_textUnits += units - it->rawValue().size();
        *it = cell;
    } else {
        if (m_cells.size() >= MaxValues || m_textUnits + units > MaxTextUnits) {
            return false;
        }
        m_textUnits += units;
        m_cells.insert(key(row, column), cell);
    }
    if (m_range.isEmpty()) {
        m_range = {row, column, 1, 1};
        return true;
    }
    const int firstRow = std::min(m_range.firstRow, row);
    const int firstColumn = std::min(m_range.firstColumn, column);
    const int lastRow = std::max(m_range.lastRow(), row);
    const int lastColumn = std::max(m_range.lastColumn(), column);
    m_range = {firstRow, firstColumn, lastRow - firstRow + 1, lastColumn - firstColumn + 1};
    return true;
}

SpreadsheetCell SpreadsheetSheet::cell(int row, int column) const
{
    if (row < 1 || row > MaxRows || column < 1 || column > MaxColumns) {
        return SpreadsheetCell();
    }
    return m_cells.value(key(row, column));
}
