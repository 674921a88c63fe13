#include "payroll/CDAIFADlg.h"

#include "common/Amount.h"
#include "common/CMyEditCtrl.h"
#include "common/CMyTool.h"
#include "common/Dialogs.h"
#include "common/EnterKeyHandler.h"
#include "common/FieldCheck.h"
#include "common/Gbk.h"
#include "common/RowList.h"
#include "common/SafeWrite.h"
#include "common/ScreenSwitch.h"
#include "common/Ui.h"
#include "rosters/RosterFormat.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
enum Column { ColSeq, ColAccount, ColName, ColBank, ColCode, ColAmount, ColPurpose };
const QString kCaption = QStringLiteral("代发/批量提现");
} // namespace

CDAIFADlg::CDAIFADlg(QWidget* parent) : QWidget(parent)
{
    Ui::name(this, QStringLiteral("跨行代发工资"));
    Ui::setDialogBackground(this);

    auto* group = new QGroupBox(QStringLiteral("收款信息"), this);
    Ui::name(group, QStringLiteral("收款信息"));
    m_name = Ui::field(group, QStringLiteral("收款人名称："), 20);
    m_account = Ui::field(group, QStringLiteral("收款人账号："), 30);
    m_bankName = Ui::field(group, QStringLiteral("开户行："), 128);
    m_routingCode = Ui::field(group, QStringLiteral("联行号："), 32);
    m_amount = Ui::field(group, QStringLiteral("金额："), 13);
    m_amount->setAmountFilter(true);
    m_purpose = Ui::field(group, QStringLiteral("付款用途："), 128);
    m_capital = new QLabel(group);
    Ui::name(m_capital, QStringLiteral("大写金额"));
    m_capital->setMinimumWidth(260);
    m_pick = Ui::button(group, QStringLiteral("跨行账户选择"));

    auto* form = new QGridLayout(group);
    int row = 0;
    auto addRow = [&](const QString& caption, QWidget* w, QWidget* extra = nullptr) {
        form->addWidget(Ui::label(group, caption), row, 0, Qt::AlignRight);
        form->addWidget(w, row, 1);
        if (extra) {
            form->addWidget(extra, row, 2);
        }
        ++row;
    };
    addRow(QStringLiteral("收款人名称："), m_name, m_pick);
    addRow(QStringLiteral("收款人账号："), m_account);
    addRow(QStringLiteral("开户行："), m_bankName);
    addRow(QStringLiteral("联行号："), m_routingCode);
    addRow(QStringLiteral("金额："), m_amount);
    addRow(QStringLiteral("大写金额："), m_capital);
    addRow(QStringLiteral("付款用途："), m_purpose);
    form->setColumnStretch(1, 1);

    m_add = Ui::button(this, QStringLiteral("新增"));
    m_confirm = Ui::button(this, QStringLiteral("确定"));
    m_modify = Ui::button(this, QStringLiteral("修改"));
    m_cancel = Ui::button(this, QStringLiteral("取消"));
    m_importText = Ui::button(this, QStringLiteral("导入文本"));
    m_export = Ui::button(this, QStringLiteral("导出文本"));
    m_delete = Ui::button(this, QStringLiteral("删除"));
    m_exit = Ui::button(this, QStringLiteral("退出"));
    m_importExcel = Ui::button(this, QStringLiteral("导入Excel"));
    m_print = Ui::button(this, QStringLiteral("打印"));
    m_openRoster = Ui::button(this, QStringLiteral("打开代发账户名册"));
    m_importExcel->hide();
    m_print->hide();
    m_print->setEnabled(false);
    m_openRoster->hide();

    auto* buttons = new QGridLayout;
    buttons->addWidget(m_add, 0, 0);
    buttons->addWidget(m_confirm, 0, 1);
    buttons->addWidget(m_modify, 1, 0);
    buttons->addWidget(m_cancel, 1, 1);
    buttons->addWidget(m_importText, 2, 0);
    buttons->addWidget(m_export, 2, 1);
    buttons->addWidget(m_delete, 3, 0, 1, 2);
    buttons->addWidget(m_exit, 4, 0, 1, 2);
    buttons->setRowStretch(5, 1);

    m_list = new RowList(this);
    Ui::name(m_list, QStringLiteral("代发明细"));
    m_list->setColumns({{QStringLiteral("序号"), 50},
                        {QStringLiteral("收款人账号"), 150}, // room for 19-digit card numbers
                        {QStringLiteral("收款人名称"), 80},
                        {QStringLiteral("开户行"), 150},
                        {QStringLiteral("联行号"), 100},
                        {QStringLiteral("金额"), 100},
                        {QStringLiteral("付款用途"), 100}});

    m_count = new QLabel(QStringLiteral("0"), this);
    Ui::name(m_count, QStringLiteral("总笔数"));
    m_total = new QLabel(QStringLiteral("0.00"), this);
    Ui::name(m_total, QStringLiteral("总金额"));
    m_count->setMinimumWidth(60);
    m_total->setMinimumWidth(200);
    auto* footer = new QHBoxLayout;
    footer->addWidget(Ui::label(this, QStringLiteral("总笔数：")));
    footer->addWidget(m_count);
    footer->addSpacing(40);
    footer->addWidget(Ui::label(this, QStringLiteral("总金额：")));
    footer->addWidget(m_total);
    footer->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addWidget(group, 1);
    top->addLayout(buttons);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addWidget(m_list, 1);
    main->addLayout(footer);

    connect(m_add, &QPushButton::clicked, this, &CDAIFADlg::onAdd);
    connect(m_modify, &QPushButton::clicked, this, &CDAIFADlg::onModify);
    connect(m_confirm, &QPushButton::clicked, this, &CDAIFADlg::onConfirm);
    connect(m_cancel, &QPushButton::clicked, this, &CDAIFADlg::onCancel);
    connect(m_delete, &QPushButton::clicked, this, &CDAIFADlg::onDelete);
    connect(m_export, &QPushButton::clicked, this, [this] { ExportLines(); });
    connect(m_importText, &QPushButton::clicked, this, &CDAIFADlg::ImportText);
    connect(m_exit, &QPushButton::clicked, this, &CDAIFADlg::onExit);
    connect(m_openRoster, &QPushButton::clicked, this,
            [] { ScreenSwitch::postToHost(ScreenSwitch::AccountBooks, ScreenSwitch::PayrollRoster); });
    connect(m_list, &RowList::selectionChanged, this, &CDAIFADlg::onSelectionChanged);
    connect(m_amount, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (const auto capital = CMyTool::CapitalAmount(text)) {
            m_capital->setText(*capital);
        }
    });
    connect(m_amount, &CMyEditCtrl::focusLost, this, [this] {
        if (!m_amount->text().isEmpty()) {
            m_amount->setText(CMyTool::NormalizeLeadingZeros(m_amount->text()));
        }
    });
    connect(m_amount, &CMyEditCtrl::amountKeyRejected, this,
            [this] { Msg::show(this, QStringLiteral("金额格式错误"), QStringLiteral("错误提示")); });

    auto* enter = new EnterKeyHandler(this, EnterKeyHandler::Mode::MoveFocus);
    enter->setAction(m_confirm, [this] { onConfirm(); });

    ResetEntry(true);
}

QVector<PayrollLine> CDAIFADlg::lines() const
{
    QVector<PayrollLine> out;
    for (int r = 0; r < m_list->count(); ++r) {
        out << PayrollLine::fromRow(m_list->rows()->row(r));
    }
    return out;
}

void CDAIFADlg::setEntryEnabled(bool on)
{
    for (CMyEditCtrl* f : {m_name, m_account, m_bankName, m_routingCode, m_amount, m_purpose}) {
        f->setEnabled(on);
    }
}

void CDAIFADlg::ResetEntry(bool clear)
{
    m_add->setEnabled(true);
    m_importText->setEnabled(true);
    m_list->setEnabled(true);
    m_confirm->setEnabled(false);
    m_cancel->setEnabled(false);
    m_pick->setEnabled(false);
    setEntryEnabled(false);
    m_modify->setEnabled(false);
    m_delete->setEnabled(false);
    m_export->setEnabled(false);
    if (clear) {
        for (CMyEditCtrl* f : {m_name, m_account, m_bankName, m_routingCode, m_amount, m_purpose}) {
            f->clear();
        }
        m_capital->clear();
    }
    m_modifying = false;
}

void CDAIFADlg::ClearLines()
{
    m_list->rows()->clear();
    m_count->setText(QStringLiteral("0"));
    m_total->setText(QStringLiteral("0.00"));
    m_unsaved = false;
}

void CDAIFADlg::RefreshTotals()
{
    QStringList amounts;
    for (int r = 0; r < m_list->count(); ++r) {
        amounts << m_list->text(r, ColAmount);
    }
    const Amount::Totals totals = Amount::listTotals(amounts);
    m_count->setText(totals.count);
    m_total->setText(totals.sum);
}

bool CDAIFADlg::ValidateEntry(int lineNumber, bool importing)
{
    const CheckReporter report(this, importing ? RecordCheckMode::Numbered : RecordCheckMode::Plain, lineNumber);
    const QString exportDelims = QStringLiteral(",");
    const QString rosterDelims = QStringLiteral(",|");

    const QString account = CMyTool::TrimSpaces(m_account->text());
    m_account->setText(account);
    if (account.isEmpty()) {
        return report.fail(QStringLiteral("请保证收款账号长度至少为10位"));
    }
    if (!CMyTool::IsAllDigits(account)) {
        return report.fail(QStringLiteral("收款账号请输入数字"));
    }
    if (account.size() < 10) {
        return report.fail(QStringLiteral("请保证收款账号长度至少为10位"));
    }

    const QString name = CMyTool::TrimSpaces(m_name->text());
    m_name->setText(name);
    if (name.isEmpty()) {
        return report.fail(QStringLiteral("请输入户名"));
    }
    if (!report.fieldSafe(name, QStringLiteral("收款人名称"), rosterDelims)) {
        return false;
    }
    // The bank name is taken as typed; it has no check of its own.
    if (!report.fieldSafe(m_bankName->text(), QStringLiteral("开户行"), rosterDelims)) {
        return false;
    }

    const QString amount = CMyTool::TrimSpaces(m_amount->text());
    m_amount->setText(amount);
    QString canonical;
    switch (Amount::check(amount, &canonical)) {
    case Amount::Problem::Empty:
        return report.fail(QStringLiteral("请输入转账金额"));
    case Amount::Problem::Format:
        return report.fail(QStringLiteral("金额格式错误"));
    case Amount::Problem::Zero:
        return report.fail(QStringLiteral("转账金额不能为0"));
    case Amount::Problem::None:
        break;
    }
    m_amount->setText(canonical);

    const QString code = CMyTool::TrimSpaces(m_routingCode->text());
    m_routingCode->setText(code);
    if (code.isEmpty()) {
        return report.fail(QStringLiteral("请输入行号"));
    }
    if (!report.fieldSafe(code, QStringLiteral("联行号"), rosterDelims)) {
        return false;
    }

    const QString purpose = CMyTool::TrimSpaces(m_purpose->text());
    m_purpose->setText(purpose);
    return report.fieldSafe(purpose, QStringLiteral("付款用途"), exportDelims);
}

int CDAIFADlg::nextSequenceNumber() const
{
    const int n = m_list->count();
    return n == 0 ? 1 : m_list->text(n - 1, ColSeq).toInt() + 1;
}

void CDAIFADlg::onSelectionChanged()
{
    const int r = m_list->selectedRow();
    if (r < 0) {
        m_modify->setEnabled(false);
        m_delete->setEnabled(false);
        ResetEntry(true);
        if (m_list->count() > 0) {
            m_export->setEnabled(true);
        }
        return;
    }
    const PayrollLine line = PayrollLine::fromRow(m_list->rows()->row(r));
    m_account->setText(line.account);
    m_bankName->setText(line.bankName);
    m_routingCode->setText(line.routingCode);
    m_amount->setText(line.amount);
    m_name->setText(line.name);
    m_purpose->setText(line.purpose);
    if (const auto capital = CMyTool::CapitalAmount(line.amount)) {
        m_capital->setText(*capital);
    }
    m_modify->setEnabled(true);
    m_delete->setEnabled(true);
    m_export->setEnabled(true);
}

void CDAIFADlg::onAdd()
{
    ResetEntry(true);
    m_add->setEnabled(false);
    m_importText->setEnabled(false);
    m_list->setEnabled(false);
    m_modify->setEnabled(false);
    m_delete->setEnabled(false);
    m_export->setEnabled(false);
    m_confirm->setEnabled(true);
    m_cancel->setEnabled(true);
    m_pick->setEnabled(true);
    setEntryEnabled(true);
    m_name->setFocus();
}

void CDAIFADlg::onModify()
{
    if (m_list->selectedRow() < 0) {
        return;
    }
    m_add->setEnabled(false);
    m_importText->setEnabled(false);
    m_modify->setEnabled(false);
    m_delete->setEnabled(false);
    m_export->setEnabled(false);
    m_list->setEnabled(false);
    m_pick->setEnabled(false);
    m_confirm->setEnabled(true);
    m_cancel->setEnabled(true);
    setEntryEnabled(true);
    m_modifying = true;
    m_name->setFocus();
}

void CDAIFADlg::onConfirm()
{
    if (!m_confirm->isEnabled()) {
        return;
    }
    const int selected = m_list->selectedRow();
    const int target = m_modifying ? selected : m_list->count();
    if (!ValidateEntry(target + 1, false)) {
        return;
    }
    m_add->setEnabled(true);
    m_importText->setEnabled(true);
    m_list->setEnabled(true);
    m_modify->setEnabled(true);
    m_delete->setEnabled(true);
    m_export->setEnabled(true);
    m_confirm->setEnabled(false);
    m_cancel->setEnabled(false);
    m_pick->setEnabled(false);
    setEntryEnabled(false);
    m_unsaved = true;

    const QStringList values{m_account->text(), m_name->text(),   m_bankName->text(),
                             m_routingCode->text(), m_amount->text(), m_purpose->text()};
    if (m_modifying && selected >= 0) {
        for (int c = 0; c < values.size(); ++c) {
            m_list->rows()->setText(selected, ColAccount + c, values.at(c));
        }
        RefreshTotals();
    } else {
        if (m_list->count() >= PayrollExport::MaxLines) {
            Msg::show(this, QStringLiteral("已超过代发工具上限200条!新增失败"));
            ResetEntry(true);
            return;
        }
        appendFromEntry(nextSequenceNumber());
        RefreshTotals();
        m_list->selectRow(m_list->count() - 1);
        m_list->setFocus();
    }
    RememberPayee();
}

void CDAIFADlg::RememberPayee()
{
    InterbankAccount payee{m_account->text(), m_name->text(), m_bankName->text(), m_routingCode->text()};
    // Only a record the interbank book itself accepts may replace one in its roster.
    if (!CheckInterbankAccount(payee, CheckReporter(this, RecordCheckMode::Silent, 0))) {
        return;
    }
    RosterFormat::rememberRecord(this, QStringLiteral("kuahangacc.txt"), payee.account, RosterFormat::lineOf(payee),
                                 [](const QString& line) -> std::optional<QString> {
                                     const qsizetype bar = line.indexOf(QLatin1Char('|'));
                                     if (bar <= 0) {
                                         return std::nullopt;
                                     }
                                     return line.left(bar);
                                 });
}

void CDAIFADlg::onCancel()
{
    if (m_modifying) {
        ResetEntry(false);
        m_add->setEnabled(true);
        m_importText->setEnabled(true);
        m_modify->setEnabled(true);
        m_delete->setEnabled(true);
        m_export->setEnabled(true);
        m_confirm->setEnabled(false);
        m_cancel->setEnabled(false);
    } else {
        ResetEntry(true);
    }
    if (m_list->selectedRow() >= 0) {
        onSelectionChanged();
    }
    m_list->setFocus();
}

void CDAIFADlg::onDelete()
{
    const int p = m_list->selectedRow();
    if (p < 0) {
        return;
    }
    if (Msg::show(this, QStringLiteral("确认删除此条信息？"), QStringLiteral("删除"), Msg::Yes | Msg::No) !=
        Msg::Yes) {
        return;
    }
    m_list->rows()->removeRowAt(p);
    const int n = m_list->count();
    if (n > 0) {
        int select = p;
        if (p == n) {
            select = n - 1;
        } else {
            for (int r = p; r < n; ++r) {
                m_list->rows()->setText(r, ColSeq, QString::number(r + 1));
            }
        }
        // The saved file, if any, still holds the deleted line.
        m_unsaved = true;
        m_list->selectRow(select);
    } else {
        ResetEntry(true);
        m_unsaved = false;
    }
    m_list->setFocus();
    RefreshTotals();
}

void CDAIFADlg::onExit()
{
    if (m_unsaved) {
        const int answer = Msg::show(this, QStringLiteral("信息尚未保存，是否导出保存?"), kCaption,
                                     Msg::Yes | Msg::No | Msg::Cancel);
        if (answer == Msg::Cancel || (answer == Msg::Yes && !ExportLines())) {
            return;
        }
    }
    ScreenSwitch::postToHost(ScreenSwitch::Welcome);
    ScreenSwitch::postToNavigation(ScreenSwitch::Welcome);
    hide();
    ClearLines();
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
    Msg::show(this, QStringLiteral("保存成功"));
    m_unsaved = false;
    return true;
}

void CDAIFADlg::appendFromEntry(int seq)
{
    m_list->rows()->appendRow({QString::number(seq), m_account->text(), m_name->text(), m_bankName->text(),
                               m_routingCode->text(), m_amount->text(), m_purpose->text()});
}

void CDAIFADlg::ImportText()
{
    const QString path = FileDialogs::open(this, QStringLiteral("Text Files (*.txt)|*.txt||"));
    if (path.isEmpty()) {
        return;
    }
    QByteArray data;
    if (!SafeWrite::readFile(path, &data)) {
        return;
    }
    const bool utf8 = Gbk::hasUtf8Bom(data);
    qsizetype pos = utf8 ? 3 : 0;
    int seq = nextSequenceNumber();
    int read = 0;
    int imported = 0;
    bool formatError = false;
    bool firstLine = true;
    for (;;) {
        ResetEntry(true);
        const QByteArray raw = CMyTool::ReadTextLine(data, pos);
        if (raw.isEmpty()) {
            break;
        }
        const std::optional<QString> text = utf8 ? Gbk::decodeUtf8(raw) : Gbk::decode(raw);
        std::optional<PayrollImport::Fields> fields;
        if (text) {
            fields = PayrollImport::parse(*text);
        }
        if (firstLine) {
            firstLine = false;
            // A header is skipped; a file that starts with a payment keeps it.
            if (!text || !PayrollImport::looksLikeData(*text)) {
                continue;
            }
        }
        if (m_list->count() >= PayrollExport::MaxLines) {
            Msg::show(this, QStringLiteral("已超过代发工具上限200条!导入终止"));
            break;
        }
        ++read;
        if (!fields) {
            formatError = true;
            break;
        }
        m_routingCode->setText(fields->routingCode);
        m_account->setText(fields->account);
        m_name->setText(fields->name);
        m_amount->setText(fields->amount);
        m_purpose->setText(fields->purpose);
        if (!ValidateEntry(read, true)) {
            continue;
        }
        appendFromEntry(seq++);
        ++imported;
    }
    if (formatError) {
        Msg::show(this, QStringLiteral("导入文件格式错误，导入失败！"));
        ResetEntry(true);
    } else {
        m_list->selectRow(0);
        m_list->setFocus();
    }
    RefreshTotals();
    Msg::show(this, QStringLiteral("总共导入%1条信息\r\n成功导入%2条信息").arg(read).arg(imported));
    if (imported > 0) {
        m_unsaved = true;
    }
}
