#include "rosters/CPLBook2.h"

#include "common/CMyEditCtrl.h"
#include "common/Dialogs.h"
#include "common/ImportFiles.h"
#include "common/RowList.h"
#include "common/Ui.h"
#include "common/core/AppInfo.h"
#include "common/core/CMyTool.h"
#include "common/core/Clock.h"
#include "common/core/Gbk.h"
#include "common/core/SafeWrite.h"
#include "common/core/TextImportFile.h"
#include "lookup/CLHHBookSearch.h"
#include "update/CUpdateDlg.h"
#include "update/core/BankCodeUpdate.h"

#include <QGridLayout>
#include <QPushButton>

namespace {
enum FieldIndex
{
    Account,
    Name,
    BankName,
    BankCode
};
}

CPLBook2::CPLBook2(QWidget* parent)
    : AccountBook(RosterDocument::Kind::Interbank, QStringLiteral("kuahangacc.txt"),
                  QStringLiteral("跨行收款信息维护"),
                  {{QStringLiteral("收款账号："), 30},
                   {QStringLiteral("账户名称："), 40},
                   {QStringLiteral("开户行："), 40},
                   {QStringLiteral("联行号："), 12}},
                  {{QStringLiteral("序号"), 50},
                   {QStringLiteral("收款账号"), 150}, // room for 19-digit card numbers
                   {QStringLiteral("账户名称"), 150},
                   {QStringLiteral("开户行"), 230},
                   {QStringLiteral("联行号"), 120}},
                  QStringLiteral("批量手册收款"), parent)
{
    Ui::name(this, QStringLiteral("跨行账户名册"));
    m_search = Ui::button(this, QStringLiteral("..."));
    m_search->setFixedWidth(32);
    fieldGrid()->addWidget(m_search, BankName, 2);
    m_importFriendly = addButton(QStringLiteral("导入友好账号"));
    m_exportFriendly = addButton(QStringLiteral("导出友好账号"));
    m_update = addButton(QStringLiteral("更新"));
    // Offered in the full edition; the standard one creates them hidden.
    for (QPushButton* extra : {m_importFriendly, m_exportFriendly, m_update}) {
        extra->setVisible(AppInfo::fullEdition());
    }
    connect(m_search, &QPushButton::clicked, this, &CPLBook2::searchBankCode);
    connect(m_importFriendly, &QPushButton::clicked, this, &CPLBook2::ImportFriendly);
    connect(m_exportFriendly, &QPushButton::clicked, this, &CPLBook2::ExportFriendly);
    connect(m_update, &QPushButton::clicked, this, &CPLBook2::Update);
    finishSetup();
}

void CPLBook2::stateChanged(State state)
{
    const bool entry = state == State::Entry;
    m_search->setEnabled(entry);
    m_update->setEnabled(entry);
    m_importFriendly->setEnabled(!entry && changesAllowed());
    m_exportFriendly->setEnabled(!entry && hasRows() && list()->selectedRow() >= 0);
}

void CPLBook2::searchBankCode()
{
    CLHHBookSearch dialog(this);
    if (dialog.exec() == QDialog::Accepted && (!dialog.bankName().isEmpty() || !dialog.code().isEmpty())) {
        field(BankName)->setText(dialog.bankName());
        field(BankCode)->setText(dialog.code());
    }
}

void CPLBook2::ExportFriendly()
{
    const QString name = QStringLiteral("friendac-") + Clock::today().toString(QStringLiteral("yyyyMMdd")) +
                         QStringLiteral(".txt");
    const QString path = FileDialogs::save(this, QStringLiteral("Text Files (*.txt)|*.txt||"), name);
    if (path.isEmpty()) {
        return;
    }
    QString text;
    for (int r = 0; r < m_doc.rowCount(); ++r) {
        const RosterDocument::Record& rec = m_doc.row(r);
        text += QLatin1Char('|');
        for (int i = 0; i < 4; ++i) {
            text += CMyTool::RemoveNewlines(rec.value(i)) + QLatin1Char('|');
        }
        text += QStringLiteral("|\r\n");
    }
    if (!SafeWrite::writeFile(path, Gbk::encode(text))) {
        Msg::show(this, QStringLiteral("创建文件失败！"));
        return;
    }
    Msg::show(this, QStringLiteral("导出成功"), QString(), Msg::Ok, Msg::Icon::Information);
}

void CPLBook2::ImportFriendly()
{
    if (!changesAllowed()) {
        return;
    }
    TextImportFile file;
    if (!ImportFiles::chooseText(this, file)) {
        return;
    }
    int read = 0;
    int imported = 0;
    for (TextImportFile::Line line = file.next(); !line.end; line = file.next()) {
        if (line.passedOver()) {
            Msg::show(this, TextImportFile::refusal(line.problem, ++read));
            continue;
        }
        if (line.text) {
            line.text->chop(CMyTool::LineEndLength(*line.text));
            if (line.text->isEmpty()) {
                continue;
            }
        }
        // Lines in the export layout begin with "|"; the others are in the roster layout.
        const bool exported = line.text && line.text->startsWith(QLatin1Char('|'));
        const std::optional<QStringList> fields =
            line.text ? RosterFormat::split(*line.text, exported ? RosterFormat::Layout{5, true}
                                                                 : RosterFormat::Interbank)
                      : std::nullopt;
        if (!fields) {
            Msg::show(this, QStringLiteral("导入文件格式错误，导入失败！"));
            return; // rows appended so far stay in the list, unsaved
        }
        ++read;
        RosterDocument::Record record =
            exported ? RosterDocument::Record{fields->value(0), fields->value(1), fields->value(2),
                                              fields->value(3)}
                     : RosterDocument::recordFromFields(RosterDocument::Kind::Interbank, *fields);
        const CheckReporter report(RecordCheckMode::Numbered, read);
        RosterDocument::check(m_doc.kind(), record, report);
        if (!Ui::showCheck(this, report)) {
            continue;
        }
        if (findDuplicate(record, -1) >= 0) {
            Msg::show(this, QStringLiteral("已存在的用户"));
            continue;
        }
        appendRecord(record);
        ++imported;
    }
    list()->selectRow(0);
    list()->setFocus();
    if (!save()) {
        return; // nothing was imported after all; the list shows the file again
    }
    refreshCount();
    stateChanged(State::Browsing);
    Msg::show(this, QStringLiteral("总共导入%1条信息\r\n成功导入%2条信息").arg(read).arg(imported), QString(),
              Msg::Ok, Msg::Icon::Information);
}

void CPLBook2::Update()
{
    if (BankCodeUpdate::UpdatedToday()) {
        Msg::show(this, QStringLiteral("今日已更新过文件，请明日再试"));
        return;
    }
    CUpdateDlg dialog(this);
    dialog.exec();
}
