#pragma once

#include "common/core/SpreadsheetCell.h"
#include "common/core/SpreadsheetRange.h"

#include <QHash>

// The cells of one worksheet as read from a file. Only cells holding a value are kept, and the
// used range is the smallest block that holds them all: a cell that carries nothing but a format
// (a fill, a border, the text format of a whole column) does not count, because imports only
// care about values and column formats would otherwise stretch the range to the sheet's end.
class SpreadsheetSheet
{
public:
    static constexpr int MaxRows = 1048576;
    static constexpr int MaxColumns = 16384;

    void clear();
    // row and column are 1-based and must lie inside the sheet; an empty cell is not stored.
    void setCell(int row, int column, const SpreadsheetCell& cell);
    SpreadsheetCell cell(int row, int column) const;
    SpreadsheetRange usedRange() const { return m_range; }
    int valueCount() const { return int(m_cells.size()); }

private:
    static quint64 key(int row, int column) { return quint64(row) * MaxColumns + quint64(column - 1); }

    QHash<quint64, SpreadsheetCell> m_cells;
    SpreadsheetRange m_range;
};
