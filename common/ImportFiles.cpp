#include "common/ImportFiles.h"

#include "common/Dialogs.h"
#include "common/core/SpreadsheetReader.h"
#include "common/core/TextImportFile.h"

#include <QFileInfo>

namespace ImportFiles {

bool chooseText(QWidget* parent, TextImportFile& file)
{
    const QString path = FileDialogs::open(parent, QStringLiteral("Text Files (*.txt)|*.txt||"));
    if (path.isEmpty()) {
        return false;
    }
    if (!file.load(path)) {
        Msg::show(parent, QStringLiteral("文件读取失败：%1").arg(QFileInfo(path).fileName()));
        return false;
    }
    return true;
}

bool chooseWorkbook(QWidget* parent, SpreadsheetReader& reader)
{
    const QString path = FileDialogs::open(
        parent, QStringLiteral("Microsoft Office Excel 工作簿(*.xls;*.xlsx)|*.xls;*.xlsx||"));
    if (path.isEmpty()) {
        return false;
    }
    if (!reader.open(path)) {
        Msg::show(parent, QStringLiteral("文件格式错误，导入失败"));
        return false;
    }
    return true;
}

void reportNotText(QWidget* parent)
{
    Msg::show(parent, QStringLiteral("excel格式错误，请将单元格设置成文本格式"));
}

} // namespace ImportFiles
