#include "common/SpreadsheetRows.h"

#include "common/Dialogs.h"

namespace SpreadsheetRows {

bool open(QWidget* parent, SpreadsheetReader& reader)
{
    const QString path = FileDialogs::open(parent, kOpenFilter);
    if (path.isEmpty()) {
        return false;
    }
    if (!reader.open(path)) {
        Msg::show(parent, QStringLiteral("文件格式错误，导入失败"));
        return false;
    }
    return true;
}

std::optional<Row> read(const SpreadsheetReader& reader, int row, int columns)
{
    Row out;
    for (int c = 1; c <= columns; ++c) {
        const SpreadsheetCell cell = reader.cell(row, c);
        if (cell.isOther()) {
            return std::nullopt;
        }
        out.anyText = out.anyText || cell.isText();
        out.texts << cell.text();
    }
    return out;
}

void reportNotText(QWidget* parent)
{
    Msg::show(parent, QStringLiteral("excel格式错误，请将单元格设置成文本格式"));
}

} // namespace SpreadsheetRows
