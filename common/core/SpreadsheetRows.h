#pragma once

#include "common/core/SpreadsheetReader.h"

#include <QString>
#include <QStringList>
#include <optional>

// What every spreadsheet import takes from the sheet it reads.
namespace SpreadsheetRows {

struct Row
{
    QStringList texts; // one per column asked for; empty cells give empty texts
    bool anyText = false;
};
// Cells 1..columns of a sheet row; nullopt when one of them holds something other than text.
std::optional<Row> read(const SpreadsheetReader& reader, int row, int columns);

} // namespace SpreadsheetRows
