#pragma once

#include "common/SpreadsheetReader.h"

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

// What every spreadsheet import does with the workbook the operator chose.
namespace SpreadsheetRows {

const QString kOpenFilter = QStringLiteral("Microsoft Office Excel 工作簿(*.xls;*.xlsx)|*.xls;*.xlsx||");

// Asks for a workbook and reads its active sheet. Nothing when the dialog was cancelled; a
// workbook that cannot be read is reported with "文件格式错误，导入失败".
bool open(QWidget* parent, SpreadsheetReader& reader);

struct Row
{
    QStringList texts; // one per column asked for; empty cells give empty texts
    bool anyText = false;
};
// Cells 1..columns of a sheet row; nullopt when one of them holds something other than text.
std::optional<Row> read(const SpreadsheetReader& reader, int row, int columns);

// The message for a cell that is not text.
void reportNotText(QWidget* parent);

} // namespace SpreadsheetRows
