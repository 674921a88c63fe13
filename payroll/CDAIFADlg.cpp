#include "payroll/CDAIFADlg.h"

#include "common/CMyEditCtrl.h"
#include "common/Dialogs.h"
#include "common/ImportFiles.h"
#include "common/ScreenSwitch.h"
#include "common/Ui.h"
#include "common/core/CMyTool.h"
#include "common/core/FieldCheck.h"
#include "common/core/SafeWrite.h"
#include "common/core/SpreadsheetRows.h"
#include "common/core/TextImportFile.h"
#include "lookup/CGetBookSearch.h"
#include "lookup/CLHHBookSearch.h"
#include "lookup/core/BankCodeTable.h"
#include "print/ReportPreview.h"
#include "rosters/RosterFiles.h"
#include "rosters/core/RosterFormat.h"

#include <QAction>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

namespace {
enum FieldIndex
{
    Account,
    Name,
    BankName,
    RoutingCode,
    AmountField,
    Purpose
};

OrderScreen::Config payrollConfig()
{
    OrderScreen::Config c;
    c.name = QStringLiteral("跨行代发工资");
    c.listName = QStringLiteral("代发明细");
    c.fields = {{QStringLiteral("收款人账号："), 30}, {QStringLiteral("收款人名称："), 20},
                {QStringLiteral("开户行："), 128},    {QStringLiteral("联行号："), 32},
                {QStringLiteral("金额："), 13, true}, {QStringLiteral("付款用途："), 128}};
    c.formOrder = {Name, Account, BankName, RoutingCode, AmountField, Purpose};
    c.nameField = Name;
    c.pickCaption = QStringLiteral("跨行账户选择");
    c.importCaption = QStringLiteral("导入文本");
    c.exportCaption = QStringLiteral("导出文本");
    c.columns = {{QStringLiteral("序号"), 50},
                 {QStringLiteral("收款人账号"), 150}, // room for 19-digit card numbers
                 {QStringLiteral("收款人名称"), 80},
                 {QStringLiteral("开户行"), 150},
                 {QStringLiteral("联行号"), 100},
                 {QStringLiteral("金额"), 100},
                 {QStringLiteral("付款用途"), 100}};
    c.maxLines = PayrollExport::MaxLines;
    c.limitMessage = QStringLiteral("已超过代发工具上限200条!新增失败");
    c.exitCaption = QStringLiteral("代发/批量提现");
    c.totalsOfferExport = false;
    c.pickWhileModifying = false;
    c.previousFilter = QStringLiteral("Text Files (*.txt)|*.txt||");
    return c;
}

// A magnifying glass, drawn at the end of the 联行号 field.
QIcon lookupIcon()
{
    QPixmap glass(16, 16);
    glass.fill(Qt::transparent);
    QPainter p(&glass);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(70, 70, 70), 1.6));
    p.drawEllipse(QRectF(2.5, 2.5, 8, 8));
    p.setPen(QPen(QColor(70, 70, 70), 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 10), QPointF(13.5, 13.5));
    return QIcon(glass);
}
} // namespace

CDAIFADlg::CDAIFADlg(QWidget* parent) : OrderScreen(payrollConfig(), parent)
{
    connect(importButton(), &QPushButton::clicked, this, &CDAIFADlg::ImportText);
    connect(addExtraButton(QStringLiteral("导入Excel")), &QPushButton::clicked, this,
            &CDAIFADlg::ImportSpreadsheet);
    QPushButton* print = addExtraButton(QStringLiteral("打印"));
    enableWithLines(print);
    connect(print, &QPushButton::clicked, this, [this] {
        showReportPreview(this, ReportLayout::payroll(), list()->rows(), ReportLayout::PayrollKind);
    });
    QPushButton* openRoster = addExtraButton(QStringLiteral("打开代发账户名册"), true);
    connect(openRoster, &QPushButton::clicked, this,
            [] { ScreenSwitch::postToHost(ScreenSwitch::AccountBooks, ScreenSwitch::PayrollRoster); });
    addCompareButton();

    // The routing-code lookup: F2 in the field or the glass at its end, inside the field, so that
    // nothing on the screen moves.
    auto* lookup = new QAction(lookupIcon(), QStringLiteral("联行号查询（F2）"), field(RoutingCode));
    lookup->setObjectName(QStringLiteral("联行号查询"));
    lookup->setShortcut(Qt::Key_F2);
    lookup->setShortcutContext(Qt::WidgetShortcut);
    field(RoutingCode)->addAction(lookup, QLineEdit::TrailingPosition);
    connect(lookup, &QAction::triggered, this, &CDAIFADlg::LookUpRoutingCode);
}

QVector<PayrollLine> CDAIFADlg::lines() const
{
    QVector<PayrollLine> out;
    for (int r = 0; r < lineCount(); ++r) {
        out << PayrollLine::fromRow(line(r));
    }
    return out;
}

void CDAIFADlg::showEntry(const PayrollCheck::Entry& e)
{
    setFieldText(Account, e.account);
    setFieldText(Name, e.name);
    setFieldText(BankName, e.bankName);
    setFieldText(RoutingCode, e.routingCode);
    setFieldText(AmountField, e.amount);
    setFieldText(Purpose, e.purpose);
}

bool CDAIFADlg::ValidateEntry(int lineNumber, bool importing)
{
    PayrollCheck::Entry e{field(Account)->text(),     field(Name)->text(),        field(BankName)->text(),
                          field(RoutingCode)->text(), field(AmountField)->text(), field(Purpose)->text()};
    const CheckReporter report(importing ? RecordCheckMode::Numbered : RecordCheckMode::Plain, lineNumber);
    PayrollCheck::check(e, report);
    // The tidied texts go back into the fields, the line is filled from them.
    showEntry(e);
    return Ui::showCheck(this, report);
}

void CDAIFADlg::RememberPayee()
{
    // The roster gets the payee as the line holds it (the bank name as typed).
    const InterbankAccount payee{field(Account)->text(), field(Name)->text(), field(BankName)->text(),
                                 field(RoutingCode)->text()};
    // Only a record the interbank book itself accepts may replace one in its roster; the check
    // tidies its own copy.
    InterbankAccount checked = payee;
    if (!CheckInterbankAccount(checked, CheckReporter(RecordCheckMode::Silent))) {
        return;
    }
    RosterFiles::remember(this, QStringLiteral("kuahangacc.txt"), payee.account, RosterFormat::lineOf(payee),
                          [](const QString& line) -> std::optional<QString> {
                              const qsizetype bar = line.indexOf(QLatin1Char('|'));
                              if (bar <= 0) {
                                  return std::nullopt;
                              }
                              return line.left(bar);
                          });
}

bool CDAIFADlg::PickPayee()
{
    CGetBookSearch picker(this);
    if (picker.exec() != QDialog::Accepted || !picker.hasResult()) {
        return false;
    }
    setFieldText(Account, picker.account());
    setFieldText(Name, picker.name());
    setFieldText(BankName, picker.bankName());
    setFieldText(RoutingCode, picker.code());
    return true;
}

void CDAIFADlg::LookUpRoutingCode()
{
    CLHHBookSearch lookup(this);
    if (lookup.execFor(field(RoutingCode)->text()) != QDialog::Accepted || lookup.code().isEmpty()) {
        return;
    }
    setFieldText(RoutingCode, lookup.code());
    setFieldText(BankName, lookup.bankName());
    field(AmountField)->setFocus();
}

QVector<OrderReview::Line> CDAIFADlg::reviewLines() const
{
    return PayrollReview::linesOf(lines());
}

OrderReview::Knowledge CDAIFADlg::reviewKnowledge(const QVector<OrderReview::Line>& order) const
{
    return PayrollReview::knowledge(order, BankCodeTable::loadWhole());
}

std::optional<QString> CDAIFADlg::readPreviousOrder(const QString& path,
                                                    OrderReview::Previous* previous) const
{
    return PayrollReview::readPrevious(path, previous);
}

bool CDAIFADlg::ExportLines()
{
    const QString path = FileDialogs::save(this, QStringLiteral("Text Files (*.txt)|*.txt||"),
                                           PayrollExport::defaultFileName());
    if (path.isEmpty()) {
        return false;
    }
    if (!SafeWrite::writeFile(path, PayrollExport::build(lines()))) {
        Msg::show(this, QStringLiteral("创建文件失败！"));
        return false;
    }
    Msg::show(this, QStringLiteral("保存成功"), QString(), Msg::Ok, Msg::Icon::Information);
    setUnsaved(false);
    return true;
}

void CDAIFADlg::ImportText()
{
    TextImportFile file;
    if (!ImportFiles::chooseText(this, file)) {
        return;
    }
    PayrollSource source(file);
    importFrom(source);
}

void CDAIFADlg::ImportSpreadsheet()
{
    SpreadsheetReader reader;
    if (!ImportFiles::chooseWorkbook(this, reader)) {
        return;
    }
    PayrollSource source(reader);
    if (source.templateTooShort()) {
        Msg::show(this, QStringLiteral("文件格式错误，导入失败"));
        return;
    }
    importFrom(source);
}

void CDAIFADlg::importFrom(PayrollSource& source)
{
    const bool codeList = BankCodeTable::loadWhole();
    startImport();
    int seq = nextSequenceNumber();
    int read = 0;
    int imported = 0;
    int unread = 0;
    QString formatError;
    for (;;) {
        ResetEntry(true);
        const PayrollSource::Item item = source.next();
        if (item.type == PayrollSource::Item::End) {
            break;
        }
        if (item.type == PayrollSource::Item::NotText) {
            stopImportAtCell(imported, item.detail);
            return;
        }
        if (atLimit()) {
            Msg::show(this, QStringLiteral("已超过代发工具上限200条!导入终止"));
            unread = 1 + source.remaining();
            break;
        }
        ++read;
        if (item.type == PayrollSource::Item::FormatError) {
            formatError = QStringLiteral("第%1行：").arg(item.location) + item.detail;
            break;
        }
        if (item.type == PayrollSource::Item::Refused) {
            Msg::show(this, TextImportFile::refusal(item.problem, read));
            continue;
        }
        showEntry(item.entry);
        if (!ValidateEntry(read, true)) {
            continue;
        }
        // A text file carries no bank name, a workbook often none: the list and the printed order
        // show the one the routing-code list gives (the export has no such field).
        if (field(BankName)->text().isEmpty() && codeList) {
            setFieldText(BankName, BankCodeTable::nameOf(field(RoutingCode)->text()).value_or(QString()));
        }
        appendFromEntry(seq++);
        ++imported;
    }
    if (!formatError.isEmpty()) {
        Msg::show(this, QStringLiteral("导入文件格式错误，导入失败！\r\n") + formatError);
        ResetEntry(true);
    } else {
        list()->selectRow(0);
        list()->setFocus();
    }
    RefreshTotals();
    finishImport(read, imported, unread,
                 QStringLiteral("\r\n可用 dxbk-cli convert --split 把文件分成每份200条以内，再逐份导入"));
}
