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
    // What one sheet may hold: far beyond any order or roster (100,000 rows of 10 columns), and
    // small enough that a hostile file cannot exhaust memory through us.
    static constexpr int MaxValues = 1000000;
    static constexpr qint64 MaxTextUnits = 64 * 1024 * 1024; // UTF-16 units over all text cells

    void clear();
    // row and column are 1-based and must lie inside the sheet; an empty cell is not stored.
    // False, with nothing stored, once the sheet holds MaxValues cells or MaxTextUnits of text.
    bool setCell(int row, int column, const SpreadsheetCell& cell);
    SpreadsheetCell cell(int row, int column) const;
    SpreadsheetRange usedRange() const { return m_range; }
    int valueCount() const { return int(m_cells.size()); }

private:
    static quint64 key(int row, int column) { return quint64(row) * MaxColumns + quint64(column - 1); }

    QHash<quint64, SpreadsheetCell> m_cells;
    SpreadsheetRange m_range;
    qint64 m_textUnits = 0;
};
