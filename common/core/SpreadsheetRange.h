#pragma once

// A block of cells in absolute sheet coordinates, 1-based (A1 is row 1, column 1).
struct SpreadsheetRange
{
    int firstRow = 1;
    int firstColumn = 1;
    int rowCount = 0;
    int columnCount = 0;

    bool isEmpty() const { return rowCount == 0 || columnCount == 0; }
    int lastRow() const { return firstRow + rowCount - 1; }
    int lastColumn() const { return firstColumn + columnCount - 1; }
};
