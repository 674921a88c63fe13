#pragma once

#include "common/core/ImportLayout.h"
#include "common/core/SpreadsheetReader.h"

#include <QString>
#include <QStringList>

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

} // namespace SpreadsheetRows
