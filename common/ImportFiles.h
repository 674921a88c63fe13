#pragma once

#include <QString>

class QWidget;
class SpreadsheetReader;
class TextImportFile;

// The file an import reads, chosen by the operator.
namespace ImportFiles {

// Asks for a text file ("Text Files (*.txt)|*.txt||") and reads it; false when the dialog was
// cancelled or the file cannot be read, which the operator is told ("文件读取失败：%s").
bool chooseText(QWidget* parent, TextImportFile& file);

// Asks for a workbook and reads its active sheet. Nothing when the dialog was cancelled; a
// workbook that cannot be read is reported with "文件格式错误，导入失败".
bool chooseWorkbook(QWidget* parent, SpreadsheetReader& reader);

// The message for a cell an import cannot take; where, "第5行E列：...", goes on its second line.
void reportNotText(QWidget* parent, const QString& where);

} // namespace ImportFiles
