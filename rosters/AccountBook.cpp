#include "rosters/AccountBook.h"

#include "common/CMyEditCtrl.h"
#include "common/Dialogs.h"
#include "common/EnterKeyHandler.h"
#include "common/RowList.h"
#include "common/ScreenSwitch.h"
#include "common/Ui.h"
#include "rosters/RosterFiles.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

AccountBook::AccountBook(RosterDocument::Kind kind, const QString& fileName, const QString& frameTitle,
                         const QVector<Field>& fields, const QVector<QPair<QString, int>>& columns,
                         const QString& exitCaption, QWidget* parent)
    : QWidget(parent), m_doc(kind, fileName), m_exitCaption(exitCaption)
{
    Ui::setDialogBackground(this);
    auto* frame = new QGroupBox(frameTitle, this);
    Ui::name(frame, frameTitle);
    m_grid = new QGridLayout(frame);
    for (int i = 0; i < fields.size(); ++i) {
        m_grid->addWidget(Ui::label(frame, fields.at(i).label), i, 0, Qt::AlignRight);
        CMyEditCtrl* f = Ui::field(frame, fields.at(i).label, fields.at(i).typingLimit);
        m_grid->addWidget(f, i, 1);
        m_fields << f;
    }
    m_grid->setColumnStretch(1, 1);

    m_buttonBox = new QWidget(this);
    auto* buttons = new QGridLayout(m_buttonBox);
    buttons->setContentsMargins(0, 0, 0, 0);
    m_add = Ui::button(m_buttonBox, QStringLiteral("新增"));
    m_confirm = Ui::button(m_buttonBox, QStringLiteral("确定"));
    m_modify = Ui::button(m_buttonBox, QStringLiteral("修改"));
    m_cancel = Ui::button(m_buttonBox, QStringLiteral("取消"));
    m_delete = Ui::button(m_buttonBox, QStringLiteral("删除"));
    m_exit = Ui::button(m_buttonBox, QStringLiteral("退出"));
    buttons->addWidget(m_add, 0, 0);
    buttons->addWidget(m_confirm, 0, 1);
    buttons->addWidget(m_modify, 1, 0);
    buttons->addWidget(m_cancel, 1, 1);
    buttons->addWidget(m_delete, 2, 0);
    buttons->addWidget(m_exit, 2, 1);

    m_list = new RowList(this);
    Ui::name(m_list, frameTitle + QStringLiteral("列表"));
    QVector<RowList::Column> cols;
    for (const auto& c : columns) {
        cols.append({c.first, c.second});
    }
    m_list->setColumns(cols);

    QLabel* countCaption = Ui::label(this, QStringLiteral("总个数："));
    m_count = Ui::valueLabel(this, QStringLiteral("总个数"), QStringLiteral("0"), countCaption);
    m_count->setMinimumWidth(80);

    auto* top = new QHBoxLayout;
    top->addWidget(frame, 1);
    top->addWidget(m_buttonBox, 0, Qt::AlignTop);
    auto* footer = new QHBoxLayout;
    footer->addWidget(countCaption);
    footer->addWidget(m_count);
    footer->addStretch(1);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addWidget(m_list, 1);
    main->addLayout(footer);

    connect(m_add, &QPushButton::clicked, this, &AccountBook::onAdd);
    connect(m_modify, &QPushButton::clicked, this, &AccountBook::onModify);
    connect(m_confirm, &QPushButton::clicked, this, &AccountBook::onConfirm);
    connect(m_cancel, &QPushButton::clicked, this, &AccountBook::onCancel);
    connect(m_delete, &QPushButton::clicked, this, &AccountBook::onDelete);
    connect(m_exit, &QPushButton::clicked, this, &AccountBook::onExit);
    connect(m_list, &RowList::selectionChanged, this, &AccountBook::onSelectionChanged);
}

QPushButton* AccountBook::addButton(const QString& caption)
{
    QPushButton* b = Ui::button(m_buttonBox, caption);
    auto* grid = static_cast<QGridLayout*>(m_buttonBox->layout());
    const int index = grid->count();
    grid->addWidget(b, index / 2, index % 2);
    return b;
}

void AccountBook::finishSetup()
{
    auto* enter = new EnterKeyHandler(this, EnterKeyHandler::Mode::MoveFocus);
    enter->setAction(m_confirm, [this] { onConfirm(); });
    Reload();
}

bool AccountBook::hasRows() const
{
    return m_list->count() > 0;
}

void AccountBook::showRows()
{
    QVector<QStringList> rows;
    rows.reserve(m_doc.rowCount());
    for (int r = 0; r < m_doc.rowCount(); ++r) {
        rows.append(QStringList{QString::number(r + 1)} + m_doc.row(r));
    }
    m_list->rows()->setRows(std::move(rows));
}

void AccountBook::refreshCount()
{
    m_count->setText(QString::number(m_list->count()));
}

void AccountBook::Reload()
{
    RosterFiles::load(this, m_doc, RecordCheckMode::Plain);
    showRows();
    refreshCount();
    browsing();
    if (hasRows()) {
        m_list->selectRow(0);
    } else {
        setEntry({});
    }
    m_list->setFocus();
}

void AccountBook::browsing()
{
    m_add->setEnabled(changesAllowed());
    m_exit->setEnabled(true);
    m_confirm->setEnabled(false);
    m_cancel->setEnabled(false);
    m_list->setEnabled(true);
    for (CMyEditCtrl* f : m_fields) {
        f->setEnabled(false);
    }
    m_modifying = false;
    const bool rowActions = hasRows() && m_list->selectedRow() >= 0 && changesAllowed();
    m_modify->setEnabled(rowActions);
    m_delete->setEnabled(rowActions);
    stateChanged(State::Browsing);
}

void AccountBook::setEntry(const RosterDocument::Record& record)
{
    for (int i = 0; i < m_fields.size(); ++i) {
        m_fields.at(i)->setText(record.value(i));
    }
}

RosterDocument::Record AccountBook::entryRecord() const
{
    RosterDocument::Record r;
    for (CMyEditCtrl* f : m_fields) {
        r << f->text();
    }
    return r;
}

void AccountBook::onSelectionChanged()
{
    const int r = m_list->selectedRow();
    // While a row is being removed the list may still name it for a moment.
    if (r < 0 || r >= m_doc.rowCount()) {
        m_modify->setEnabled(false);
        m_delete->setEnabled(false);
        setEntry({});
    } else {
        setEntry(m_doc.row(r));
        m_modify->setEnabled(changesAllowed());
        m_delete->setEnabled(changesAllowed());
    }
    stateChanged(m_confirm->isEnabled() ? State::Entry : State::Browsing);
}

void AccountBook::openEntry(bool keepTexts)
{
    m_add->setEnabled(false);
    m_modify->setEnabled(false);
    m_delete->setEnabled(false);
    m_list->setEnabled(false);
    m_confirm->setEnabled(true);
    m_cancel->setEnabled(true);
    for (CMyEditCtrl* f : m_fields) {
        f->setEnabled(true);
    }
    if (!keepTexts) {
        setEntry({});
    }
    m_modifying = keepTexts;
    stateChanged(State::Entry);
    m_fields.first()->setFocus();
}

void AccountBook::onAdd()
{
    if (changesAllowed()) {
        openEntry(false);
    }
}

void AccountBook::onModify()
{
    if (changesAllowed() && m_list->selectedRow() >= 0) {
        openEntry(true);
    }
}

int AccountBook::findDuplicate(const RosterDocument::Record& record, int except) const
{
    for (int r = 0; r < m_doc.rowCount(); ++r) {
        if (r != except && m_doc.row(r) == record) {
            return r;
        }
    }
    return -1;
}

void AccountBook::appendRecord(const RosterDocument::Record& record)
{
    m_doc.appendRow(record);
    m_list->rows()->appendRow(QStringList{QString::number(m_list->count() + 1)} + record);
}

void AccountBook::onConfirm()
{
    if (!m_confirm->isEnabled()) {
        return;
    }
    RosterDocument::Record record = entryRecord();
    const CheckReporter report(RecordCheckMode::Plain);
    RosterDocument::check(m_doc.kind(), record, report);
    const bool ok = Ui::showCheck(this, report);
    setEntry(record); // the trimmed texts stay in the fields
    if (!ok) {
        return;
    }
    const bool modifying = m_modifying;
    const int selected = m_list->selectedRow();
    m_add->setEnabled(true);
    m_list->setEnabled(true);
    m_modify->setEnabled(true);
    m_delete->setEnabled(true);
    m_confirm->setEnabled(false);
    m_cancel->setEnabled(false);
    for (CMyEditCtrl* f : m_fields) {
        f->setEnabled(false);
    }
    m_modifying = false;
    stateChanged(State::Browsing);

    const int target = modifying ? selected : m_doc.rowCount();
    if (findDuplicate(record, target) >= 0) {
        Msg::show(this, QStringLiteral("已存在的用户"));
        if (modifying && selected >= 0) {
            setEntry(m_doc.row(selected)); // the row keeps its texts
        } else {
            m_list->clearRowSelection();
            onSelectionChanged();
        }
    } else if (modifying && selected >= 0) {
        m_doc.setRow(selected, record);
        m_list->rows()->setRow(selected, QStringList{QString::number(selected + 1)} + record);
    } else {
        appendRecord(record);
        m_list->selectRow(m_list->count() - 1);
        m_list->setFocus();
    }
    save();
    refreshCount();
}

bool AccountBook::save()
{
    if (RosterFiles::save(this, m_doc)) {
        return true;
    }
    // The change did not reach the file: show what the file holds, never rows it lacks.
    if (!m_doc.formatError()) {
        Reload();
    }
    return false;
}

void AccountBook::onCancel()
{
    Reload();
}

void AccountBook::onDelete()
{
    const int p = m_list->selectedRow();
    if (p < 0 || !changesAllowed()) {
        return;
    }
    if (Msg::show(this, QStringLiteral("确认删除此条信息？"), QStringLiteral("删除"), Msg::Yes | Msg::No) !=
        Msg::Yes) {
        return;
    }
    m_doc.removeRow(p);
    const int next = m_list->removeRowRenumbered(p);
    if (next < 0) {
        browsing();
        setEntry({});
    } else {
        m_list->selectRow(next);
    }
    m_list->setFocus();
    save();
    refreshCount();
}

void AccountBook::onExit()
{
    if (Msg::show(this, QStringLiteral("确定退出到欢迎界面？"), m_exitCaption, Msg::Ok | Msg::Cancel) !=
        Msg::Ok) {
        return;
    }
    ScreenSwitch::postToHost(ScreenSwitch::Welcome);
    ScreenSwitch::postToNavigation(ScreenSwitch::Welcome);
    hide();
}
