#include "lookup/CLHHBookSearch.h"

#include "common/CMyEditCtrl.h"
#include "common/Dialogs.h"
#include "common/EnterKeyHandler.h"
#include "common/RowList.h"
#include "common/Ui.h"
#include "lookup/core/BankCodeTable.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

CLHHBookSearch::CLHHBookSearch(QWidget* parent) : QDialog(parent)
{
    Ui::name(this, QStringLiteral("联行号查询"));
    setWindowTitle(QStringLiteral("联行号查询"));
    Ui::setDialogBackground(this);

    auto* group = new QGroupBox(QStringLiteral("查询条件"), this);
    Ui::name(group, QStringLiteral("查询条件"));
    m_nameField = Ui::field(group, QStringLiteral("开户行："), 0);
    m_codeField = Ui::field(group, QStringLiteral("联行号："), 0);
    auto* form = new QGridLayout(group);
    form->addWidget(Ui::label(group, QStringLiteral("开户行：")), 0, 0, Qt::AlignRight);
    form->addWidget(m_nameField, 0, 1);
    form->addWidget(Ui::label(group, QStringLiteral("联行号：")), 1, 0, Qt::AlignRight);
    form->addWidget(m_codeField, 1, 1);
    form->setColumnStretch(1, 1);

    m_search = Ui::button(this, QStringLiteral("查找"));
    m_back = Ui::button(this, QStringLiteral("返回"));
    m_exit = Ui::button(this, QStringLiteral("退出"));
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_search);
    buttons->addWidget(m_back);
    buttons->addWidget(m_exit);
    buttons->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addWidget(group, 1);
    top->addLayout(buttons);

    auto* hint =
        Ui::label(this, QStringLiteral("输入部分开户行名称或完整联行号，如“中国银行%海安”或104306114010"));
    Ui::name(hint, QStringLiteral("提示"));

    m_list = new RowList(this);
    Ui::name(m_list, QStringLiteral("查询结果"));
    m_list->setColumns({{QStringLiteral("开户行"), 320}, {QStringLiteral("联行号"), 120}});

    auto* footer = new QHBoxLayout;
    footer->addStretch(1);
    footer->addWidget(Ui::label(this, QStringLiteral("选中记录双击带入数据")));

    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addWidget(hint);
    main->addWidget(m_list, 1);
    main->addLayout(footer);
    resize(500, 460);

    connect(m_search, &QPushButton::clicked, this, &CLHHBookSearch::onSearch);
    connect(m_back, &QPushButton::clicked, this, &CLHHBookSearch::onBack);
    connect(m_exit, &QPushButton::clicked, this, &CLHHBookSearch::onExit);
    connect(m_list, &RowList::rowDoubleClicked, this, &CLHHBookSearch::pick);

    // Enter never closes the dialog by itself: on "查找" or in a criterion it searches, on the
    // list it picks the selected row, elsewhere it moves the focus.
    auto* enter = new EnterKeyHandler(this, EnterKeyHandler::Mode::MoveFocus);
    for (QWidget* w : std::initializer_list<QWidget*>{m_search, m_nameField, m_codeField}) {
        enter->setAction(w, [this] { onSearch(); });
    }
    enter->setAction(m_list, [this] { pick(m_list->selectedRow()); });
    m_nameField->setFocus();
}

int CLHHBookSearch::execFor(const QString& typed)
{
    const QString text = typed.trimmed();
    const bool code = !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) {
        return c >= QLatin1Char('0') && c <= QLatin1Char('9');
    });
    CMyEditCtrl* criterion = code ? m_codeField : m_nameField;
    criterion->setText(text);
    criterion->setFocus();
    if (!text.isEmpty()) {
        // Shown before the search, so that a search finding nothing says so over the dialog.
        setModal(true);
        show();
        onSearch();
    }
    return exec();
}

void CLHHBookSearch::onSearch()
{
    QVector<QStringList> rows;
    BankCodeTable::forEachMatch(m_nameField->text(), m_codeField->text(),
                                [&rows](QString name, QString code) {
                                    rows.append(QStringList{std::move(name), std::move(code)});
                                });
    m_list->rows()->setRows(std::move(rows));
    if (m_list->count() > 0) {
        // Taken from the first row on with Enter or the arrow keys.
        m_list->selectRow(0);
        m_list->setFocus();
    } else if (!m_nameField->text().isEmpty() || !m_codeField->text().isEmpty()) {
        Msg::show(this, QStringLiteral("没有找到符合条件的联行号"));
    }
}

void CLHHBookSearch::onBack()
{
    m_list->rows()->clear();
    m_nameField->clear();
    m_codeField->clear();
}

void CLHHBookSearch::onExit()
{
    m_bankName.clear();
    m_code.clear();
    accept();
}

void CLHHBookSearch::pick(int row)
{
    if (row < 0) {
        Msg::show(this, QStringLiteral("请选择"));
        return;
    }
    m_bankName = m_list->text(row, 0);
    m_code = m_list->text(row, 1);
    accept();
}
