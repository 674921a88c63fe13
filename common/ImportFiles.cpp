#include "common/ImportFiles.h"

#include "common/Dialogs.h"
#include "common/core/SpreadsheetReader.h"
#include "common/core/TextImportFile.h"

#include <QApplication>
#include <QCursor>
#include <QFileInfo>

namespace {

// A large workbook takes seconds to read; the wait cursor goes before any message is shown.
class WaitCursor
{
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { restore(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
    void restore()
    {
        if (m_active) {
            m_active = false;
            QApplication::restoreOverrideCursor();
        }
    }

private:
    bool m_active = true;
};

} // namespace

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
    WaitCursor wait;
    const bool read = reader.open(path);
    wait.restore();
    if (!read) {
        Msg::show(parent, QStringLiteral("文件格式错误，导入失败"));
        return false;
    }
    return true;
}

void reportNotText(QWidget* parent, const QString& where)
{
    Msg::show(parent, QStringLiteral("excel格式错误，请将单元格设置成文本格式\r\n") + where);
}

} // namespace ImportFiles
