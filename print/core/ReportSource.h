#pragma once

#include <QString>

// Where a report reads its rows from: the order screen's list, seen as rows of texts.
class ReportSource
{
public:
    virtual ~ReportSource() = default;
    virtual int rowCount() const = 0;
    // Text of list row `row`, list column `column`; empty when there is no such cell.
    virtual QString text(int row, int column) const = 0;
};
