#include "batch/CPILIANGDlg.h"

#include "batch/core/BatchLine.h"
#include "common/CMyEditCtrl.h"
#include "common/Dialogs.h"
#include "common/ImportFiles.h"
#include "common/Ui.h"
#include "common/core/CMyTool.h"
#include "common/core/Clock.h"
#include "common/core/FieldCheck.h"
#include "common/core/SpreadsheetRows.h"
#include "common/core/SpreadsheetWriter.h"
#include "common/core/TextImportFile.h"
#include "lookup/CPayBookSearch.h"
#include "print/ReportPreview.h"
#include "rosters/CGROUPDlg.h"
#include "rosters/RosterFiles.h"
#include "rosters/core/RosterFormat.h"

#include <QFileInfo>
#include <QPushButton>
#include <algorithm>

namespace {
enum FieldIndex
{
    Account,
    Name,
    AmountField
};

OrderScreen::Config batchConfig()
{
    OrderScreen::Config c;
    c.name = QStringLiteral("行内批量转账");
    c.listName = QStringLiteral("批量明细");
    c.fields = {{QStringLiteral("收款人账户："), 40},
                {QStringLiteral("收款人名称："), 30},
                {QStringLiteral("金额："), 14, true}};
    c.formOrder = {Name, Account, AmountField};
    c.nameField = Name;
    c.pickCaption = QStringLiteral("行内账户选择");
    c.importCaption = QStringLiteral("导入Excel");
    c.exportCaption = QStringLiteral("导出Excel");
    c.columns = {{QStringLiteral("序号"), 50},
                 {QStringLiteral("收款人账号"), 200},
                 {QStringLiteral("收款人名称"), 200},
                 {QStringLiteral("金额"), 100}};
    c.maxLines = BatchLine::MaxLines;
    c.limitMessage = QStringLiteral("已超过批量工具上限一千条!新增失败");
    c.exitCaption = QStringLiteral("批量转账");
    c.totalsOfferExport = true;
    c.pickWhileModifying = true;
    c.previousFilter = QStringLiteral("Excel 文件(*.xlsx)|*.xlsx||");
    return c;
}
} // namespace

CPILIANGDlg::CPILIANGDlg(QWidget* parent) : OrderScreen(batchConfig(), parent)
{
    connect(importButton(), &QPushButton::clicked, this, &CPILIANGDlg::ImportSpreadsheet);
    connect(addExtraButton(QStringLiteral("导入文本")), &QPushButton::clicked, this,
            &CPILIANGDlg::ImportText);
    QPushButton* print = addExtraButton(QStringLiteral("打印"));
    enableWithLines(print);
    connect(print, &QPushButton::clicked, this,
            [this] { showReportPreview(this, ReportLayout::batch(), list()->rows()); });
    // A month's in-bank payroll comes from a payroll roster group.
    connect(addExtraButton(QStringLiteral("导入名册"), true), &QPushButton::clicked, this,
            &CPILIANGDlg::ImportRoster);
    addCompareButton();
}

bool CPILIANGDlg::ValidateEntry(int lineNumber, bool importing)
{
    BatchLine::Entry e{field(Account)->text(), field(Name)->text(), field(AmountField)->text()};
    const CheckReporter report(importing ? RecordCheckMode::Numbered : RecordCheckMode::Plain, lineNumber);
    BatchLine::check(e, report);
    setFieldText(Name, e.name);
    setFieldText(Account, e.account);
    setFieldText(AmountField, e.amount);
    return Ui::showCheck(this, report);
}

void CPILIANGDlg::RememberPayee()
{
    InBankAccount payee{field(Account)->text(), field(Name)->text()};
    // Only a record the in-bank book itself accepts goes into its roster.
    if (!CheckInBankAccount(payee, CheckReporter(RecordCheckMode::Silent))) {
        return;
    }
    RosterFiles::remember(this, QStringLiteral("hangneiacc.txt"), payee.account, RosterFormat::lineOf(payee),
                          [](const QString& line) -> std::optional<QString> {
                              if (!line.startsWith(QLatin1Char('|'))) {
                                  return std::nullopt;
                              }
                              const qsizetype bar = line.indexOf(QLatin1Char('|'), 1);
                              if (bar < 0) {
                                  return std::nullopt;
                              }
                              return line.mid(1, bar - 1);
                          });
}

bool CPILIANGDlg::PickPayee()
{
    CPayBookSearch picker(this);
    if (picker.exec() != QDialog::Accepted || !picker.hasResult()) {
        return false;
    }
    setFieldText(Account, picker.account());
    setFieldText(Name, picker.name());
    return true;
}

QVector<OrderReview::Line> CPILIANGDlg::reviewLines() const
{
    QVector<QStringList> rows;
    for (int r = 0; r < lineCount(); ++r) {
        rows << line(r);
    }
    return BatchReview::linesOf(rows);
}

OrderReview::Knowledge CPILIANGDlg::reviewKnowledge(const QVector<OrderReview::Line>& order) const
{
    return BatchReview::knowledge(order);
}

std::optional<QString> CPILIANGDlg::readPreviousOrder(const QString& path,
                                                      OrderReview::Previous* previous) const
{
    return BatchReview::readPrevious(path, previous);
}

bool CPILIANGDlg::ExportLines()
{
    const QString name = QStringLiteral("行内批量") + Clock::today().toString(QStringLiteral("-yyyyMMdd")) +
                         QStringLiteral(".xlsx");
    const QString chosen =
        FileDialogs::save(this, QStringLiteral("Excel 文件(*.xlsx)|*.xlsx||"), name, QStringLiteral("xlsx"));
    if (chosen.isEmpty()) {
        return false;
    }
    const QString path = BatchLine::workbookPath(chosen);
    // The dialog asked about the name typed; a file under the name given now is asked about here.
    if (path != chosen && QFileInfo::exists(path) &&
        Msg::show(this, QStringLiteral("%1已存在，是否替换？").arg(QFileInfo(path).fileName()), QString(),
                  Msg::Yes | Msg::No) != Msg::Yes) {
        return false;
    }
    SpreadsheetWriter sheet(QStringLiteral("kxp-tool"));
    sheet.setText(1, 1, QStringLiteral("收款人账户"));
    sheet.setText(1, 2, QStringLiteral("收款人名称"));
    sheet.setText(1, 3, QStringLiteral("金额"));
    for (int r = 0; r < lineCount(); ++r) {
        const QStringList row = line(r);
        for (int c = 0; c < 3; ++c) {
            sheet.setText(r + 2, c + 1, row.value(c + 1));
        }
    }
    if (!sheet.save(path)) {
        Msg::show(this, QStringLiteral("创建文件失败！"));
        return false;
    }
    Msg::show(this, QStringLiteral("导出成功"), QString(), Msg::Ok, Msg::Icon::Information);
    setUnsaved(false);
    return true;
}

void CPILIANGDlg::ImportSpreadsheet()
{
    SpreadsheetReader reader;
    if (!ImportFiles::chooseWorkbook(this, reader)) {
        return;
    }
    startImport();
    const SpreadsheetRange used = reader.usedRange();
    // Every used column is read for the cell-type rule, the first three at least.
    const int columns = std::max({3, used.columnCount + 1, used.lastColumn()});
    int seq = nextSequenceNumber();
    int read = 0;
    int added = 0;
    int unread = 0;
    SpreadsheetRows::Reader rows(reader, ImportLayout::batch(), used.firstRow, columns);
    while (const auto next = rows.next()) {
        ResetEntry(true);
        const SpreadsheetRows::Row& row = next->second;
        if (!row.refusal.isEmpty()) {
            stopImportAtCell(added, row.refusal);
            return;
        }
        ++read;
        if (atLimit()) {
            // The row that met the limit counts as read; the rows after it are left.
            Msg::show(this, QStringLiteral("已超过批量工具上限一千条!导入终止"));
            unread = rows.left();
            break;
        }
        for (int c = 0; c < 3; ++c) {
            setFieldText(c, row.texts.at(c));
        }
        if (!ValidateEntry(read, true)) {
            ResetEntry(true);
            continue;
        }
        appendFromEntry(seq++);
        ++added;
    }
    RefreshTotals();
    ResetEntry(true);
    finishImport(read, added, unread);
}

void CPILIANGDlg::ImportText()
{
    TextImportFile file;
    if (!ImportFiles::chooseText(this, file)) {
        return;
    }
    importLines(file, BatchLine::parseTextLine, false);
}

void CPILIANGDlg::ImportRoster()
{
    CGROUPDlg groups(true, this);
    if (groups.exec() != QDialog::Accepted) {
        return;
    }
    // The group's roster in the program directory, read like any roster file.
    const QString path = CMyTool::DataFilePath(groups.chosenGroup() + QStringLiteral(".txt"));
    TextImportFile file;
    if (!file.load(path)) {
        Msg::show(this, QStringLiteral("文件读取失败：%1").arg(QFileInfo(path).fileName()));
        return;
    }
    importLines(file, BatchLine::parseRosterLine, true);
}

void CPILIANGDlg::importLines(TextImportFile& file,
                              const std::function<std::optional<BatchLine::Entry>(const QString&)>& parse,
                              bool fromRoster)
{
    startImport();
    int seq = nextSequenceNumber();
    int read = 0;
    int added = 0;
    int unread = 0;
    int lineNumber = 0;
    QString formatError;
    for (;;) {
        ResetEntry(true);
        const TextImportFile::Line line = file.next();
        if (line.end) {
            break;
        }
        ++lineNumber;
        // A roster has no blank lines that matter; in a text import one is a format error.
        if (fromRoster && line.text && CMyTool::LineEndLength(*line.text) == line.text->size()) {
            continue;
        }
        if (atLimit()) {
            Msg::show(this, QStringLiteral("已超过批量工具上限一千条!导入终止"));
            unread = 1 + file.linesLeft();
            break;
        }
        if (line.passedOver()) {
            Msg::show(this, TextImportFile::refusal(line.problem, ++read));
            continue;
        }
        const std::optional<BatchLine::Entry> entry = line.text ? parse(*line.text) : std::nullopt;
        // A text file may begin with a header line; a roster never has one.
        if (!fromRoster && lineNumber == 1 && entry &&
            ImportLayout::batch().isHeader({entry->account, entry->name, entry->amount})) {
            continue;
        }
        ++read;
        if (!entry) {
            formatError =
                QStringLiteral("第%1行：").arg(lineNumber) +
                (!line.text ? QStringLiteral("该行不是GBK或UTF-8文本")
                 : line.text->trimmed().isEmpty()
                     ? QStringLiteral("该行是空行")
                     : QStringLiteral("该行不是“%1”的格式").arg(ImportLayout::batch().textColumns(u'|')));
            break;
        }
        // A group's roster line comes in only when the roster screen shows it: its own check
        // first, then the batch line's.
        if (fromRoster) {
            const CheckReporter report(RecordCheckMode::Numbered, read);
            if (!BatchLine::passesRosterCheck(*line.text, report)) {
                Ui::showCheck(this, report);
                continue;
            }
        }
        setFieldText(Account, entry->account);
        setFieldText(Name, entry->name);
        setFieldText(AmountField, entry->amount);
        if (!ValidateEntry(read, true)) {
            continue;
        }
        appendFromEntry(seq++);
        ++added;
    }
    if (!formatError.isEmpty()) {
        Msg::show(this, QStringLiteral("导入文件格式错误，导入失败！\r\n") + formatError);
    }
    ResetEntry(true);
    RefreshTotals();
    finishImport(read, added, unread);
}
