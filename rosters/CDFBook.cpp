#include "rosters/CDFBook.h"

#include "common/CMyEditCtrl.h"
#include "common/Dialogs.h"
#include "common/EnterKeyHandler.h"
#include "common/ImportFiles.h"
#include "common/PictureButton.h"
#include "common/Pictures.h"
#include "common/RowList.h"
#include "common/ScreenSwitch.h"
#include "common/Ui.h"
#include "common/core/AppInfo.h"
#include "common/core/CMyTool.h"
#include "common/core/SpreadsheetRows.h"
#include "rosters/CGROUPDlg.h"
#include "rosters/RosterFiles.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedLayout>
#include <QVBoxLayout>

namespace {
const QString kGroup = QStringLiteral("代发工资");

// The leading decimal number of a text, as the C library reads it; 0 when there is none.
double leadingNumber(const QString& text)
{
    qsizetype end = 0;
    bool point = false;
    while (end < text.size()) {
        const QChar c = text.at(end);
        if (c == QLatin1Char('.') && !point) {
            point = true;
        } else if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            break;
        }
        ++end;
    }
    return text.left(end).toDouble();
}

QRadioButton* radio(QWidget* parent, const QString& caption)
{
    // Drawn straight on the screen's background, with no patch of another colour behind it.
    auto* r = new QRadioButton(caption, parent);
    Ui::name(r, caption);
    r->setAutoFillBackground(false);
    return r;
}
} // namespace

QAbstractButton* CDFBook::pageButton(QWidget* parent, const QString& caption)
{
    return new CPictureButton(caption, Pictures::pageFace(caption, false), Pictures::pageFace(caption, true),
                              parent);
}

CDFBook::CDFBook(QWidget* parent)
    : QWidget(parent), m_doc(RosterDocument::Kind::Payroll, kGroup + QStringLiteral(".txt"))
{
    Ui::name(this, QStringLiteral("代发账户名册"));
    Ui::setDialogBackground(this);

    m_group = new QLineEdit(this);
    Ui::name(m_group, QStringLiteral("组名称"));
    m_group->setEnabled(false);
    Ui::readableWhenDisabled(m_group);

    auto* entry = new QGroupBox(QStringLiteral("收款账户信息"), this);
    m_account = Ui::field(entry, QStringLiteral("账号："), 30);
    m_name = Ui::field(entry, QStringLiteral("户名："), 20);
    m_amount = Ui::field(entry, QStringLiteral("金额："), 13);
    m_remark = Ui::field(entry, QStringLiteral("备注："), 128);
    QLabel* capitalCaption = Ui::label(entry, QStringLiteral("大写金额："));
    m_capital = Ui::valueLabel(entry, QStringLiteral("大写金额"), QString(), capitalCaption);
    auto* form = new QGridLayout(entry);
    const QList<QPair<QLabel*, QWidget*>> rows{{Ui::label(entry, QStringLiteral("账号：")), m_account},
                                               {Ui::label(entry, QStringLiteral("户名：")), m_name},
                                               {Ui::label(entry, QStringLiteral("金额：")), m_amount},
                                               {capitalCaption, m_capital},
                                               {Ui::label(entry, QStringLiteral("备注：")), m_remark}};
    for (int i = 0; i < rows.size(); ++i) {
        form->addWidget(rows.at(i).first, i, 0, Qt::AlignRight);
        form->addWidget(rows.at(i).second, i, 1);
    }

    m_add = Ui::button(this, QStringLiteral("新增"));
    m_confirm = Ui::button(this, QStringLiteral("确定"));
    m_modify = Ui::button(this, QStringLiteral("修改"));
    m_cancel = Ui::button(this, QStringLiteral("取消"));
    m_delete = Ui::button(this, QStringLiteral("删除"));
    m_exit = Ui::button(this, QStringLiteral("退出"));
    m_openGroups = Ui::button(this, QStringLiteral("打开组列表"));
    m_import = Ui::button(this, QStringLiteral("导入Excel"));
    // Offered in the full edition; the standard one creates them hidden.
    m_openGroups->setVisible(AppInfo::fullEdition());
    m_import->setVisible(AppInfo::fullEdition());
    auto* buttons = new QGridLayout;
    buttons->addWidget(m_add, 0, 0);
    buttons->addWidget(m_confirm, 0, 1);
    buttons->addWidget(m_modify, 1, 0);
    buttons->addWidget(m_cancel, 1, 1);
    buttons->addWidget(m_delete, 2, 0);
    buttons->addWidget(m_exit, 2, 1);
    buttons->addWidget(m_openGroups, 3, 0);
    buttons->addWidget(m_import, 3, 1);

    auto* search = new QGroupBox(QStringLiteral("查询"), this);
    m_byAccount = radio(search, QStringLiteral("收款账号"));
    m_byName = radio(search, QStringLiteral("姓名"));
    m_byAmount = radio(search, QStringLiteral("金额"));
    m_exact = radio(search, QStringLiteral("精准查询"));
    m_fuzzy = radio(search, QStringLiteral("模糊查询"));
    // The two rows of radio buttons work as separate choices.
    auto* kinds = new QButtonGroup(this);
    for (QRadioButton* r : {m_byAccount, m_byName, m_byAmount}) {
        kinds->addButton(r);
    }
    auto* modes = new QButtonGroup(this);
    modes->addButton(m_exact);
    modes->addButton(m_fuzzy);
    m_searchText = new QLineEdit(search);
    Ui::name(m_searchText, QStringLiteral("查询内容"));
    m_amountFrom = Ui::field(search, QStringLiteral("起始金额"), 13);
    m_to = new QLineEdit(QStringLiteral("至"), search);
    Ui::name(m_to, QStringLiteral("至"));
    m_to->setEnabled(false);
    Ui::readableWhenDisabled(m_to);
    m_to->setFixedWidth(28);
    m_amountTo = Ui::field(search, QStringLiteral("截止金额"), 13);
    m_search = Ui::button(search, QStringLiteral("查找"));
    m_back = Ui::button(search, QStringLiteral("返回"));
    auto* searchLayout = new QGridLayout(search);
    searchLayout->addWidget(m_byAccount, 0, 0);
    searchLayout->addWidget(m_byName, 0, 1);
    searchLayout->addWidget(m_byAmount, 0, 2);
    searchLayout->addWidget(m_exact, 1, 0);
    searchLayout->addWidget(m_fuzzy, 1, 1);
    auto* criteria = new QHBoxLayout;
    criteria->addWidget(m_searchText);
    criteria->addWidget(m_amountFrom);
    criteria->addWidget(m_to);
    criteria->addWidget(m_amountTo);
    searchLayout->addLayout(criteria, 2, 0, 1, 3);
    searchLayout->addWidget(m_search, 3, 1);
    searchLayout->addWidget(m_back, 3, 2);

    const QVector<RowList::Column> columns{{QStringLiteral("序号"), 50},
                                           {QStringLiteral("账号"), 150}, // room for 19-digit card numbers
                                           {QStringLiteral("户名"), 100},
                                           {QStringLiteral("金额"), 100},
                                           {QStringLiteral("备注"), 100}};
    m_roster = new RowList(this);
    Ui::name(m_roster, QStringLiteral("名册列表"));
    m_roster->setColumns(columns);
    m_results = new RowList(this);
    Ui::name(m_results, QStringLiteral("查询结果"));
    m_results->setColumns(columns);
    m_results->hide();

    QLabel* countCaption = Ui::label(this, QStringLiteral("总个数："));
    m_count = Ui::valueLabel(this, QStringLiteral("总个数"), QStringLiteral("0"), countCaption);
    m_batchBooks = pageButton(this, QStringLiteral("批量转账账户名册"));
    m_payrollBook = pageButton(this, QStringLiteral("代发账户名册"));
    m_payrollBook->setEnabled(false);

    auto* header = new QHBoxLayout;
    header->addWidget(m_batchBooks);
    header->addWidget(m_payrollBook);
    header->addSpacing(20);
    header->addWidget(Ui::label(this, QStringLiteral("组名称：")));
    header->addWidget(m_group, 1);
    auto* top = new QHBoxLayout;
    top->addWidget(entry, 3);
    top->addLayout(buttons);
    top->addWidget(search, 3);
    auto* lists = new QVBoxLayout;
    lists->addWidget(m_roster, 1);
    lists->addWidget(m_results, 1);
    auto* footer = new QHBoxLayout;
    footer->addWidget(countCaption);
    footer->addWidget(m_count);
    footer->addStretch(1);
    auto* main = new QVBoxLayout(this);
    main->addLayout(header);
    main->addLayout(top);
    main->addLayout(lists, 1);
    main->addLayout(footer);

    connect(m_add, &QPushButton::clicked, this, &CDFBook::onAdd);
    connect(m_modify, &QPushButton::clicked, this, &CDFBook::onModify);
    connect(m_confirm, &QPushButton::clicked, this, &CDFBook::onConfirm);
    connect(m_cancel, &QPushButton::clicked, this, &CDFBook::onCancel);
    connect(m_delete, &QPushButton::clicked, this, &CDFBook::onDelete);
    connect(m_exit, &QPushButton::clicked, this, &CDFBook::onExit);
    connect(m_search, &QPushButton::clicked, this, &CDFBook::onSearch);
    connect(m_back, &QPushButton::clicked, this, &CDFBook::onBack);
    connect(m_openGroups, &QPushButton::clicked, this, &CDFBook::OpenGroupList);
    connect(m_import, &QPushButton::clicked, this, &CDFBook::ImportSpreadsheet);
    connect(m_batchBooks, &QAbstractButton::clicked, this,
            [] { ScreenSwitch::postToHost(ScreenSwitch::AccountBooks, ScreenSwitch::BooksHost); });
    for (QRadioButton* k : {m_byAccount, m_byName, m_byAmount}) {
        connect(k, &QRadioButton::clicked, this, [this, k] { onKind(k); });
    }
    for (QRadioButton* m : {m_exact, m_fuzzy}) {
        connect(m, &QRadioButton::clicked, this, [this, m] { onMode(m); });
    }
    connect(m_roster, &RowList::selectionChanged, this, &CDFBook::onRosterSelection);
    connect(m_results, &RowList::selectionChanged, this, &CDFBook::onResultSelection);
    Ui::bindAmountField(m_amount, m_capital, this);

    auto* enter = new EnterKeyHandler(this, EnterKeyHandler::Mode::MoveFocus);
    enter->setAction(m_confirm, [this] { onConfirm(); });

    ResetRoster(true);
}

void CDFBook::setEntryEnabled(bool on)
{
    for (CMyEditCtrl* f : {m_account, m_name, m_amount, m_remark}) {
        f->setEnabled(on);
    }
}

void CDFBook::resetSearchControls()
{
    m_byAccount->setChecked(true);
    m_exact->setChecked(true);
    m_searchText->clear();
    m_amountFrom->clear();
    m_amountTo->clear();
    m_searchText->show();
    m_amountFrom->hide();
    m_to->hide();
    m_amountTo->hide();
}

void CDFBook::ResetRoster(bool clear)
{
    for (QWidget* w : std::initializer_list<QWidget*>{m_add, m_roster, m_results, m_search, m_back, m_exit,
                                                      m_openGroups}) {
        w->setEnabled(true);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{m_confirm, m_cancel, m_modify, m_delete}) {
        w->setEnabled(false);
    }
    setEntryEnabled(false);
    resetSearchControls();
    if (clear) {
        clearEntry();
    }
    m_modifying = false;
    // After a format error no change may be made until a load finds the file sound.
    if (m_doc.formatError()) {
        m_add->setEnabled(false);
        m_import->setEnabled(false);
    }
}

void CDFBook::clearEntry()
{
    for (CMyEditCtrl* f : {m_account, m_name, m_amount, m_remark}) {
        f->clear();
    }
    m_capital->clear();
}

bool CDFBook::LoadDefaultGroup()
{
    return LoadGroup(kGroup);
}

bool CDFBook::LoadGroup(const QString& group)
{
    // Every group keeps its roster in the program directory under its own name; all the rules of
    // 代发工资.txt apply to it.
    m_groupName = group;
    m_doc = RosterDocument(RosterDocument::Kind::Payroll, group + QStringLiteral(".txt"));
    return loadRoster(true);
}

void CDFBook::OpenGroupList()
{
    CGROUPDlg groups(false, this);
    if (groups.exec() == QDialog::Accepted) {
        LoadGroup(groups.chosenGroup());
    }
}

bool CDFBook::loadRoster(bool saveAfterLoad)
{
    ResetRoster(true);
    m_roster->rows()->clear();
    m_group->setText(m_groupName);
    // A reload always shows the roster itself.
    m_searching = false;
    m_results->hide();
    m_roster->show();
    // Lines the check refuses are not shown, and the clerk is told of each, as in the books.
    const RosterDocument::LoadResult result = RosterFiles::load(this, m_doc, RecordCheckMode::Plain);
    // The rows read before a format error are shown too.
    QVector<QStringList> rows;
    for (int r = 0; r < m_doc.rowCount(); ++r) {
        rows.append(QStringList{QString::number(r + 1)} + m_doc.row(r));
    }
    m_roster->rows()->setRows(std::move(rows));
    m_count->setText(QString::number(m_roster->count()));
    if (result == RosterDocument::LoadResult::FormatError ||
        result == RosterDocument::LoadResult::Unreadable) {
        // The lines behind the faulty one (or all of them) are unknown: no change may be saved
        // over them until a load finds the file sound.
        for (QWidget* w : std::initializer_list<QWidget*>{m_add, m_modify, m_delete, m_import}) {
            w->setEnabled(false);
        }
        return false;
    }
    m_import->setEnabled(true);
    if (result == RosterDocument::LoadResult::Missing) {
        return true;
    }
    m_roster->selectRow(0);
    m_roster->setFocus();
    if (saveAfterLoad) {
        RosterFiles::save(this, m_doc); // refused lines stay as they were; amounts are stored completed
    }
    return true;
}

void CDFBook::PrepareRoster()
{
    for (QWidget* w : std::initializer_list<QWidget*>{m_add, m_modify, m_delete, m_openGroups, m_import,
                                                      m_search, m_back, m_exit, m_roster, m_results}) {
        w->setEnabled(false);
    }
    m_roster->rows()->clear();
    m_group->clear();
    m_count->setText(QStringLiteral("0"));
}

void CDFBook::showRecord(const QStringList& row)
{
    const bool changes = !m_doc.formatError();
    m_account->setText(row.value(1));
    m_name->setText(row.value(2));
    m_amount->setText(row.value(3));
    m_remark->setText(row.value(4));
    if (const auto capital = CMyTool::CapitalAmount(row.value(3))) {
        m_capital->setText(*capital);
    }
    m_modify->setEnabled(changes);
    m_delete->setEnabled(changes);
}

RowList* CDFBook::shownList() const
{
    return m_searching ? m_results : m_roster;
}

void CDFBook::showSelected()
{
    RowList* list = shownList();
    const int r = list->selectedRow();
    if (r < 0) {
        // Nothing selected in the list on screen: nothing to change or delete.
        clearEntry();
        m_modify->setEnabled(false);
        m_delete->setEnabled(false);
        return;
    }
    showRecord(list->rows()->row(r));
}

void CDFBook::onRosterSelection()
{
    if (m_searching) {
        return; // the entry follows the list on screen
    }
    if (m_roster->selectedRow() < 0) {
        ResetRoster(true);
        return;
    }
    showSelected();
}

void CDFBook::onResultSelection()
{
    if (m_searching) {
        showSelected();
    }
}

void CDFBook::setBrowseButtons(bool on)
{
    for (QWidget* w : std::initializer_list<QWidget*>{m_add, m_openGroups, m_modify, m_delete, m_search,
                                                      m_back, m_roster, m_results}) {
        w->setEnabled(on);
    }
    m_confirm->setEnabled(!on);
    m_cancel->setEnabled(!on);
    setEntryEnabled(!on);
}

void CDFBook::onAdd()
{
    if (m_doc.formatError()) {
        return;
    }
    ResetRoster(true);
    setBrowseButtons(false);
    m_account->setFocus();
}

void CDFBook::onModify()
{
    if (m_doc.formatError() || shownList()->selectedRow() < 0) {
        return;
    }
    setBrowseButtons(false);
    m_modifying = true;
    m_account->setFocus();
}

RosterDocument::Record CDFBook::entryRecord() const
{
    return {m_account->text(), m_name->text(), m_amount->text(), m_remark->text()};
}

int CDFBook::findEqualRosterRow(const QStringList& resultRow) const
{
    for (int r = 0; r < m_roster->count(); ++r) {
        if (m_roster->rows()->row(r).mid(1) == resultRow.mid(1)) {
            return r;
        }
    }
    return -1;
}

void CDFBook::saveAndCount()
{
    if (!RosterFiles::save(this, m_doc) && !m_doc.formatError()) {
        // The change did not reach the file: show what the file holds, never rows it lacks.
        // No second save: it would only fail again.
        loadRoster(false);
        return;
    }
    m_count->setText(QString::number(m_roster->count()));
}

void CDFBook::onConfirm()
{
    if (!m_confirm->isEnabled()) {
        return;
    }
    RosterDocument::Record record = entryRecord();
    const CheckReporter report(RecordCheckMode::Plain);
    RosterDocument::check(RosterDocument::Kind::Payroll, record, report);
    const bool ok = Ui::showCheck(this, report);
    m_account->setText(record.at(0));
    m_name->setText(record.at(1));
    m_amount->setText(record.at(2));
    m_remark->setText(record.at(3));
    if (!ok) {
        return;
    }
    setBrowseButtons(true);
    if (m_modifying) {
        auto writeRoster = [&](int r) {
            m_doc.setRow(r, record);
            m_roster->rows()->setRow(r, QStringList{QString::number(r + 1)} + record);
        };
        if (!m_searching) {
            const int r = m_roster->selectedRow();
            if (r >= 0) {
                writeRoster(r);
            }
        } else if (const int s = m_results->selectedRow(); s >= 0) {
            const int r = findEqualRosterRow(m_results->rows()->row(s));
            if (r >= 0) {
                writeRoster(r);
            }
            m_results->rows()->setRow(s, QStringList{QString::number(s + 1)} + record);
        }
    } else {
        if (m_searching) {
            m_results->rows()->appendRow(QStringList{QString::number(m_results->count() + 1)} + record);
            m_results->selectRow(m_results->count() - 1);
            m_results->setFocus();
        }
        m_doc.appendRow(record);
        m_roster->rows()->appendRow(QStringList{QString::number(m_roster->count() + 1)} + record);
        // Selected in the roster as well, so that it is the row shown after "返回".
        m_roster->selectRow(m_roster->count() - 1);
        if (!m_searching) {
            m_roster->setFocus();
        }
    }
    m_modifying = false;
    saveAndCount();
    showSelected();
}

void CDFBook::onCancel()
{
    if (m_modifying) {
        ResetRoster(false);
        m_add->setEnabled(true);
        m_modify->setEnabled(true);
        m_delete->setEnabled(true);
        m_openGroups->setEnabled(true);
        m_confirm->setEnabled(false);
        m_cancel->setEnabled(false);
    } else {
        ResetRoster(true);
    }
    m_roster->setFocus();
}

void CDFBook::removeListRow(RowList* list, int p)
{
    const int next = list->removeRowRenumbered(p);
    if (next < 0) {
        ResetRoster(true);
    } else {
        list->selectRow(next);
    }
}

void CDFBook::onDelete()
{
    if (m_doc.formatError() || shownList()->selectedRow() < 0) {
        return;
    }
    if (Msg::show(this, QStringLiteral("确认删除此条信息？"), QStringLiteral("删除"), Msg::Yes | Msg::No) !=
        Msg::Yes) {
        return;
    }
    if (!m_searching) {
        const int p = m_roster->selectedRow();
        if (p < 0) {
            return;
        }
        m_doc.removeRow(p);
        removeListRow(m_roster, p);
        m_roster->setFocus();
    } else {
        const int s = m_results->selectedRow();
        if (s < 0) {
            return;
        }
        const int r = findEqualRosterRow(m_results->rows()->row(s));
        if (r >= 0) {
            m_doc.removeRow(r);
            removeListRow(m_roster, r);
        }
        removeListRow(m_results, s);
        m_results->setFocus();
    }
    saveAndCount();
    showSelected();
}

void CDFBook::onExit()
{
    if (Msg::show(this, QStringLiteral("确定退出到欢迎界面？"), QStringLiteral("代发手册"),
                  Msg::Ok | Msg::Cancel) != Msg::Ok) {
        return;
    }
    ScreenSwitch::postToHost(ScreenSwitch::Welcome);
    ScreenSwitch::postToNavigation(ScreenSwitch::Welcome);
    hide();
}

void CDFBook::onKind(QRadioButton* kind)
{
    kind->setChecked(true);
    if (kind == m_byAmount) {
        m_amountFrom->clear();
        m_amountTo->clear();
        m_searchText->hide();
        m_amountFrom->show();
        m_to->setVisible(m_fuzzy->isChecked());
        m_amountTo->setVisible(m_fuzzy->isChecked());
    } else {
        m_searchText->clear();
        m_searchText->show();
        m_amountFrom->hide();
        m_to->hide();
        m_amountTo->hide();
    }
}

void CDFBook::onMode(QRadioButton* mode)
{
    mode->setChecked(true);
    if (!m_byAmount->isChecked()) {
        return;
    }
    m_amountFrom->show();
    m_to->setVisible(mode == m_fuzzy);
    m_amountTo->setVisible(mode == m_fuzzy);
}

void CDFBook::onSearch()
{
    m_roster->hide();
    m_results->show();
    m_results->rows()->clear();
    m_searching = true;
    const bool fuzzy = m_fuzzy->isChecked();
    const int column = m_byAccount->isChecked() ? 1 : m_byName->isChecked() ? 2 : 3;
    const QString text = column == 3 ? m_amountFrom->text() : m_searchText->text();
    const double from = leadingNumber(m_amountFrom->text());
    const double to = leadingNumber(m_amountTo->text());
    QVector<QStringList> found;
    for (int r = 0; r < m_roster->count(); ++r) {
        const QStringList& row = m_roster->rows()->row(r);
        const QString value = row.value(column);
        bool match = false;
        if (column == 3) {
            const double amount = leadingNumber(value);
            match = fuzzy ? (from <= amount && amount <= to) : amount == from;
        } else if (column == 1) {
            match = fuzzy ? value.startsWith(text) : value == text;
        } else {
            match = fuzzy ? value.contains(text) : value == text;
        }
        if (match) {
            found.append(QStringList{QString::number(found.size() + 1)} + row.mid(1));
        }
    }
    m_results->rows()->setRows(std::move(found));
    m_results->selectRow(0);
    m_results->setFocus();
    showSelected(); // also when nothing was found
}

void CDFBook::onBack()
{
    m_roster->show();
    m_results->hide();
    resetSearchControls();
    m_searching = false;
    // The entry shows the roster's selected row, never a result that is no longer on screen.
    showSelected();
}

void CDFBook::ImportSpreadsheet()
{
    SpreadsheetReader reader;
    if (!ImportFiles::chooseWorkbook(this, reader)) {
        return;
    }
    int counted = 0;
    int imported = 0;
    SpreadsheetRows::Reader rows(reader, ImportLayout::roster(), reader.usedRange().firstRow);
    while (const auto next = rows.next()) {
        const SpreadsheetRows::Row& row = next->second;
        if (!row.refusal.isEmpty()) {
            // Rows taken so far stay in the lists; the next save writes them.
            ImportFiles::reportNotText(this, row.refusal);
            ResetRoster(true);
            m_count->setText(QString::number(m_roster->count()));
            return;
        }
        ++counted;
        // Columns A to D: account, amount, name, remark.
        RosterDocument::Record record{row.texts.at(0), row.texts.at(2), row.texts.at(1), row.texts.at(3)};
        const CheckReporter report(RecordCheckMode::Numbered, counted);
        RosterDocument::check(RosterDocument::Kind::Payroll, record, report);
        if (!Ui::showCheck(this, report)) {
            clearEntry();
            continue;
        }
        m_doc.appendRow(record);
        const int last = m_roster->count();
        m_roster->rows()->appendRow(
            QStringList{QString::number(last == 0 ? 1 : m_roster->text(last - 1, 0).toInt() + 1)} + record);
        if (m_searching) {
            const int found = m_results->count();
            m_results->rows()->appendRow(
                QStringList{QString::number(found == 0 ? 1 : m_results->text(found - 1, 0).toInt() + 1)} +
                record);
        }
        ++imported;
    }
    m_roster->selectRow(0);
    m_roster->setFocus();
    Msg::show(this, QStringLiteral("总共导入%1条信息\r\n成功导入%2条信息").arg(counted).arg(imported),
              QString(), Msg::Ok, Msg::Icon::Information);
    saveAndCount();
}
