#include "common/OrderScreen.h"

#include "common/CMyEditCtrl.h"
#include "common/Dialogs.h"
#include "common/EnterKeyHandler.h"
#include "common/ImportFiles.h"
#include "common/ScreenSwitch.h"
#include "common/Ui.h"
#include "common/core/Amount.h"
#include "common/core/AppInfo.h"
#include "common/core/CMyTool.h"
#include "common/core/SpreadsheetRows.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

OrderScreen::OrderScreen(const Config& config, QWidget* parent) : QWidget(parent), m_config(config)
{
    Ui::name(this, config.name);
    Ui::setDialogBackground(this);

    auto* group = new QGroupBox(QStringLiteral("收款信息"), this);
    Ui::name(group, QStringLiteral("收款信息"));
    // Created in the order of the form, so that Tab and Enter go from field to field as they stand.
    m_fields.resize(config.fields.size());
    for (int i : config.formOrder) {
        const Field& f = config.fields.at(i);
        m_fields[i] = Ui::field(group, f.label, f.typingLimit);
        if (f.amount) {
            m_amountField = i;
        }
    }
    QLabel* capitalCaption = Ui::label(group, QStringLiteral("大写金额："));
    m_capital = Ui::valueLabel(group, QStringLiteral("大写金额"), QString(), capitalCaption);
    m_capital->setMinimumWidth(260);
    m_pick = Ui::button(group, config.pickCaption);

    auto* form = new QGridLayout(group);
    int row = 0;
    for (int i : config.formOrder) {
        form->addWidget(Ui::label(group, config.fields.at(i).label), row, 0, Qt::AlignRight);
        form->addWidget(m_fields.at(i), row, 1);
        if (i == config.nameField) {
            form->addWidget(m_pick, row, 2);
        }
        ++row;
        if (i == m_amountField) {
            form->addWidget(capitalCaption, row, 0, Qt::AlignRight);
            form->addWidget(m_capital, row, 1);
            ++row;
        }
    }
    form->setColumnStretch(1, 1);

    m_add = Ui::button(this, QStringLiteral("新增"));
    m_confirm = Ui::button(this, QStringLiteral("确定"));
    m_modify = Ui::button(this, QStringLiteral("修改"));
    m_cancel = Ui::button(this, QStringLiteral("取消"));
    m_import = Ui::button(this, config.importCaption);
    m_export = Ui::button(this, config.exportCaption);
    m_delete = Ui::button(this, QStringLiteral("删除"));
    m_exit = Ui::button(this, QStringLiteral("退出"));
    auto* buttons = new QGridLayout;
    buttons->addWidget(m_add, 0, 0);
    buttons->addWidget(m_confirm, 0, 1);
    buttons->addWidget(m_modify, 1, 0);
    buttons->addWidget(m_cancel, 1, 1);
    buttons->addWidget(m_import, 2, 0);
    buttons->addWidget(m_export, 2, 1);
    buttons->addWidget(m_delete, 3, 0, 1, 2);
    buttons->addWidget(m_exit, 4, 0, 1, 2);
    // Room for the buttons of the full edition below them.
    buttons->setRowStretch(kExtraRow + 4, 1);
    m_buttons = buttons;

    m_list = new RowList(this);
    Ui::name(m_list, config.listName);
    m_list->setColumns(config.columns);

    QLabel* countCaption = Ui::label(this, QStringLiteral("总笔数："));
    m_count = Ui::valueLabel(this, QStringLiteral("总笔数"), QStringLiteral("0"), countCaption);
    m_count->setMinimumWidth(60);
    QLabel* totalCaption = Ui::label(this, QStringLiteral("总金额："));
    m_total = Ui::valueLabel(this, QStringLiteral("总金额"), QStringLiteral("0.00"), totalCaption);
    m_total->setMinimumWidth(200);
    auto* footer = new QHBoxLayout;
    footer->addWidget(countCaption);
    footer->addWidget(m_count);
    footer->addSpacing(40);
    footer->addWidget(totalCaption);
    footer->addWidget(m_total);
    footer->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addWidget(group, 1);
    top->addLayout(buttons);
    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addWidget(m_list, 1);
    main->addLayout(footer);

    connect(m_add, &QPushButton::clicked, this, &OrderScreen::onAdd);
    connect(m_modify, &QPushButton::clicked, this, &OrderScreen::onModify);
    connect(m_confirm, &QPushButton::clicked, this, &OrderScreen::onConfirm);
    connect(m_cancel, &QPushButton::clicked, this, &OrderScreen::onCancel);
    connect(m_delete, &QPushButton::clicked, this, &OrderScreen::onDelete);
    connect(m_export, &QPushButton::clicked, this, [this] { exportReviewed(); });
    connect(m_exit, &QPushButton::clicked, this, &OrderScreen::onExit);
    connect(m_pick, &QPushButton::clicked, this, &OrderScreen::onPick);
    connect(m_list, &RowList::selectionChanged, this, &OrderScreen::onSelectionChanged);

    Ui::bindAmountField(m_fields.at(m_amountField), m_capital, this);

    auto* enter = new EnterKeyHandler(this, EnterKeyHandler::Mode::MoveFocus);
    enter->setAction(m_confirm, [this] { onConfirm(); });

    ResetEntry(true);
}

void OrderScreen::enableWithLines(QPushButton* button)
{
    auto follow = [this, button] { button->setEnabled(AppInfo::fullEdition() && m_list->count() > 0); };
    follow();
    connect(m_list->rows(), &QAbstractItemModel::rowsInserted, button, follow);
    connect(m_list->rows(), &QAbstractItemModel::rowsRemoved, button, follow);
    connect(m_list->rows(), &QAbstractItemModel::modelReset, button, follow);
}

QPushButton* OrderScreen::addExtraButton(const QString& caption, bool wide)
{
    QPushButton* b = Ui::button(this, caption);
    if (wide && m_extraCount % 2 == 1) {
        ++m_extraCount;
    }
    m_buttons->addWidget(b, kExtraRow + m_extraCount / 2, m_extraCount % 2, 1, wide ? 2 : 1);
    m_extraCount += wide ? 2 : 1;
    b->setVisible(AppInfo::fullEdition());
    return b;
}

void OrderScreen::addCompareButton()
{
    QPushButton* compare = addExtraButton(QStringLiteral("与上次比较"), true);
    enableWithLines(compare);
    connect(compare, &QPushButton::clicked, this, &OrderScreen::compareWithPrevious);
}

ReviewDialog::Source OrderScreen::reviewSource() const
{
    const QVector<OrderReview::Line> order = reviewLines();
    ReviewDialog::Source s;
    s.run = [order, known = reviewKnowledge(order)](const OrderReview::Expected& e,
                                                    const OrderReview::Previous* p) {
        return OrderReview::review(order, known, e, p);
    };
    s.readPrevious = [this](const QString& path, OrderReview::Previous* p) {
        return readPreviousOrder(path, p);
    };
    s.previousFilter = m_config.previousFilter;
    s.count = m_count->text();
    s.total = m_total->text();
    return s;
}

bool OrderScreen::exportReviewed()
{
    ReviewDialog dialog(reviewSource(), this);
    if (!dialog.hasFindings()) {
        return ExportLines();
    }
    return decideAfterReview(dialog);
}

void OrderScreen::compareWithPrevious()
{
    ReviewDialog dialog(reviewSource(), this);
    if (dialog.comparePrevious()) {
        decideAfterReview(dialog);
    }
}

bool OrderScreen::decideAfterReview(ReviewDialog& dialog)
{
    dialog.exec();
    switch (dialog.outcome()) {
    case ReviewDialog::Outcome::ExportAnyway:
        return ExportLines();
    case ReviewDialog::Outcome::GoToLine:
        // The list's lines are numbered by their place.
        m_list->selectRow(dialog.chosenLine() - 1);
        m_list->setFocus();
        return false;
    case ReviewDialog::Outcome::Back:
        break;
    }
    return false;
}

void OrderScreen::setEntryEnabled(bool on)
{
    for (CMyEditCtrl* f : m_fields) {
        f->setEnabled(on);
    }
}

void OrderScreen::setFieldText(int i, const QString& text)
{
    m_fields.at(i)->setText(text);
}

void OrderScreen::startImport()
{
    // An import ends with no line selected or with the first one: none stays highlighted from before.
    m_list->clearRowSelection();
}

void OrderScreen::ResetEntry(bool clear)
{
    m_add->setEnabled(true);
    m_import->setEnabled(true);
    m_list->setEnabled(true);
    m_confirm->setEnabled(false);
    m_cancel->setEnabled(false);
    m_pick->setEnabled(false);
    setEntryEnabled(false);
    m_modify->setEnabled(false);
    m_delete->setEnabled(false);
    m_export->setEnabled(false);
    if (clear) {
        for (CMyEditCtrl* f : m_fields) {
            f->clear();
        }
        m_capital->clear();
    }
    m_modifying = false;
}

void OrderScreen::ClearLines()
{
    m_list->rows()->clear();
    m_count->setText(QStringLiteral("0"));
    m_total->setText(QStringLiteral("0.00"));
    m_unsaved = false;
}

void OrderScreen::RefreshTotals()
{
    if (m_config.totalsOfferExport && m_list->count() > 0) {
        m_export->setEnabled(true);
    }
    QStringList amounts;
    for (int r = 0; r < m_list->count(); ++r) {
        amounts << m_list->text(r, m_amountField + 1);
    }
    const Amount::Totals totals = Amount::listTotals(amounts);
    m_count->setText(totals.count);
    m_total->setText(totals.sum);
}

int OrderScreen::nextSequenceNumber() const
{
    const int n = m_list->count();
    return n == 0 ? 1 : m_list->text(n - 1, 0).toInt() + 1;
}

void OrderScreen::appendFromEntry(int seq)
{
    QStringList row{QString::number(seq)};
    for (CMyEditCtrl* f : m_fields) {
        row << f->text();
    }
    m_list->rows()->appendRow(row);
}

void OrderScreen::finishImport(int read, int imported, int unread, const QString& hint)
{
    QString text = QStringLiteral("总共导入%1条信息\r\n成功导入%2条信息").arg(read).arg(imported);
    if (unread > 0) {
        text += QStringLiteral("\r\n已达上限，文件中还有%1条未读入").arg(unread) + hint;
    }
    Msg::show(this, text, QString(), Msg::Ok, Msg::Icon::Information);
    if (imported > 0) {
        m_unsaved = true;
    }
}

void OrderScreen::stopImportAtCell(int imported, const QString& where)
{
    ImportFiles::reportNotText(this, where);
    ResetEntry(true);
    RefreshTotals();
    if (imported > 0) {
        m_unsaved = true;
    }
}

void OrderScreen::onSelectionChanged()
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
    const QStringList row = m_list->rows()->row(r);
    for (int i = 0; i < m_fields.size(); ++i) {
        m_fields.at(i)->setText(row.value(i + 1));
    }
    if (const auto capital = CMyTool::CapitalAmount(row.value(m_amountField + 1))) {
        m_capital->setText(*capital);
    }
    m_modify->setEnabled(true);
    m_delete->setEnabled(true);
    m_export->setEnabled(true);
}

void OrderScreen::onAdd()
{
    ResetEntry(true);
    m_add->setEnabled(false);
    m_import->setEnabled(false);
    m_list->setEnabled(false);
    m_modify->setEnabled(false);
    m_delete->setEnabled(false);
    m_export->setEnabled(false);
    m_confirm->setEnabled(true);
    m_cancel->setEnabled(true);
    m_pick->setEnabled(true);
    setEntryEnabled(true);
    m_fields.at(m_config.formOrder.first())->setFocus();
}

void OrderScreen::onPick()
{
    // A pick fills in the payee: the amount is what the clerk types next.
    if (PickPayee()) {
        m_fields.at(m_amountField)->setFocus();
    }
}

void OrderScreen::onModify()
{
    if (m_list->selectedRow() < 0) {
        return;
    }
    m_add->setEnabled(false);
    m_import->setEnabled(false);
    m_modify->setEnabled(false);
    m_delete->setEnabled(false);
    m_export->setEnabled(false);
    m_list->setEnabled(false);
    m_pick->setEnabled(m_config.pickWhileModifying);
    m_confirm->setEnabled(true);
    m_cancel->setEnabled(true);
    setEntryEnabled(true);
    m_modifying = true;
    m_fields.at(m_config.formOrder.first())->setFocus();
}

void OrderScreen::viewState()
{
    m_add->setEnabled(true);
    m_import->setEnabled(true);
    m_list->setEnabled(true);
    m_modify->setEnabled(true);
    m_delete->setEnabled(true);
    m_export->setEnabled(true);
    m_confirm->setEnabled(false);
    m_cancel->setEnabled(false);
    m_pick->setEnabled(false);
    setEntryEnabled(false);
}

void OrderScreen::onConfirm()
{
    if (!m_confirm->isEnabled()) {
        return;
    }
    const int selected = m_list->selectedRow();
    const int target = m_modifying ? selected : m_list->count();
    if (!ValidateEntry(target + 1, false)) {
        return;
    }
    viewState();
    m_unsaved = true;

    if (m_modifying && selected >= 0) {
        for (int i = 0; i < m_fields.size(); ++i) {
            m_list->rows()->setText(selected, i + 1, m_fields.at(i)->text());
        }
        RefreshTotals();
    } else {
        if (atLimit()) {
            Msg::show(this, m_config.limitMessage);
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

void OrderScreen::onCancel()
{
    if (m_modifying) {
        ResetEntry(false);
        m_add->setEnabled(true);
        m_import->setEnabled(true);
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

void OrderScreen::onDelete()
{
    const int p = m_list->selectedRow();
    if (p < 0) {
        return;
    }
    if (Msg::show(this, QStringLiteral("确认删除此条信息？"), QStringLiteral("删除"), Msg::Yes | Msg::No) !=
        Msg::Yes) {
        return;
    }
    const int next = m_list->removeRowRenumbered(p);
    if (next >= 0) {
        // A file saved before still holds the deleted line.
        m_unsaved = true;
        m_list->selectRow(next);
    } else {
        ResetEntry(true);
        m_unsaved = false;
    }
    m_list->setFocus();
    RefreshTotals();
}

void OrderScreen::onExit()
{
    if (m_unsaved) {
        const int answer = Msg::show(this, QStringLiteral("信息尚未保存，是否导出保存?"),
                                     m_config.exitCaption, Msg::Yes | Msg::No | Msg::Cancel);
        if (answer == Msg::Cancel || (answer == Msg::Yes && !exportReviewed())) {
            return;
        }
    }
    ScreenSwitch::postToHost(ScreenSwitch::Welcome);
    ScreenSwitch::postToNavigation(ScreenSwitch::Welcome);
    hide();
    ClearLines();
}
