#include "lookup/RosterPicker.h"

#include "common/CMyEditCtrl.h"
#include "common/Dialogs.h"
#include "common/EnterKeyHandler.h"
#include "common/RowList.h"
#include "common/Ui.h"
#include "common/core/CMyTool.h"
#include "common/core/Gbk.h"
#include "common/core/SafeWrite.h"
#include "common/core/TextImportFile.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

RosterPicker::RosterPicker(const Config& config, QWidget* parent) : QDialog(parent), m_config(config)
{
    Ui::name(this, config.caption);
    setWindowTitle(config.caption);
    Ui::setDialogBackground(this);

    auto* group = new QGroupBox(QStringLiteral("查询条件"), this);
    Ui::name(group, QStringLiteral("查询条件"));
    auto* form = new QGridLayout(group);
    for (int i = 0; i < config.criteria.size(); ++i) {
        const Criterion& c = config.criteria.at(i);
        CMyEditCtrl* field = Ui::field(group, c.label, c.typingLimit);
        // Room for a 30-digit account.
        field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QString(30, QLatin1Char('0'))) + 12);
        m_fields.append(field);
        // Two criteria to a row, label before field.
        form->addWidget(Ui::label(group, c.label), i / 2, (i % 2) * 2, Qt::AlignRight);
        form->addWidget(field, i / 2, (i % 2) * 2 + 1);
    }

    m_search = Ui::button(this, QStringLiteral("查找"));
    m_back = Ui::button(this, QStringLiteral("返回"));
    m_exit = Ui::button(this, QStringLiteral("退出"));
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_search);
    buttons->addWidget(m_back);
    buttons->addWidget(m_exit);

    auto* top = new QHBoxLayout;
    top->addWidget(group, 1);
    top->addLayout(buttons);
    top->addWidget(Ui::label(this, QStringLiteral("选中记录双击带入数据")), 0, Qt::AlignBottom);

    QVector<RowList::Column> columns;
    for (const Column& c : config.columns) {
        columns.append({c.caption, c.width});
    }
    m_all = new RowList(this);
    Ui::name(m_all, QStringLiteral("账户列表"));
    m_all->setColumns(columns);
    m_found = new RowList(this);
    Ui::name(m_found, QStringLiteral("查询结果"));
    m_found->setColumns(columns);
    m_found->hide();

    auto* main = new QVBoxLayout(this);
    main->addLayout(top);
    main->addWidget(m_all, 1);
    main->addWidget(m_found, 1);

    connect(m_search, &QPushButton::clicked, this, &RosterPicker::onSearch);
    connect(m_back, &QPushButton::clicked, this, &RosterPicker::onBack);
    connect(m_exit, &QPushButton::clicked, this, &RosterPicker::onExit);
    connect(m_all, &RowList::rowDoubleClicked, this, [this](int row) { pick(m_all, row); });
    connect(m_found, &RowList::rowDoubleClicked, this, [this](int row) { pick(m_found, row); });

    // Enter never closes the dialog by itself: on "查找" or in a criterion it searches, on a list
    // it picks the selected row, elsewhere it moves the focus.
    auto* enter = new EnterKeyHandler(this, EnterKeyHandler::Mode::MoveFocus);
    enter->setAction(m_search, [this] { onSearch(); });
    for (CMyEditCtrl* f : m_fields) {
        enter->setAction(f, [this] { onSearch(); });
    }
    for (RowList* list : {m_all, m_found}) {
        enter->setAction(list, [this, list] { pick(list, list->selectedRow()); });
    }
    if (!m_fields.isEmpty()) {
        m_fields.first()->setFocus();
    }

    loadRoster();
    fitWholeColumns();
    int width = 60;
    for (int c = 0; c < config.columns.size(); ++c) {
        width += m_all->columnWidth(c);
    }
    resize(qMax(width, 560), 460);
}

bool RosterPicker::hasResult() const
{
    for (const QString& text : m_result) {
        if (!text.isEmpty()) {
            return true;
        }
    }
    return false;
}

void RosterPicker::loadRoster()
{
    QByteArray data;
    const QString path = CMyTool::DataFilePath(m_config.fileName);
    switch (SafeWrite::read(path, &data)) {
    case SafeWrite::ReadResult::Missing:
        return; // no roster yet: an empty list, without a word
    case SafeWrite::ReadResult::Unreadable:
        Msg::show(this, RosterFormat::readFailedMessage(path));
        return;
    case SafeWrite::ReadResult::Read:
        break;
    }
    QVector<QStringList> rows;
    const Gbk::FileEncoding encoding = Gbk::detect(data);
    qsizetype pos = Gbk::markLength(encoding);
    bool ok = true;
    while (const std::optional<QByteArray> line = RosterFormat::nextLine(data, pos)) {
        // A blank line does not hide the records after it; a line longer than the layout or in
        // another encoding than the file's is refused by the book and never offered here.
        if (line->isEmpty() || TextImportFile::screen(*line, encoding) != TextImportFile::Problem::None) {
            continue;
        }
        const std::optional<QStringList> fields =
            RosterFormat::decodeAndSplit(*line, m_config.layout, encoding);
        if (!fields) {
            ok = false;
            break;
        }
        QStringList row;
        row.reserve(m_config.columns.size());
        for (const Column& c : m_config.columns) {
            row.append(fields->value(c.field));
        }
        rows.append(row);
    }
    m_all->rows()->setRows(std::move(rows));
    if (!ok) {
        Msg::show(this, m_config.formatError);
    }
}

void RosterPicker::fitWholeColumns()
{
    for (int c = 0; c < m_config.columns.size(); ++c) {
        if (!m_config.columns.at(c).whole) {
            continue;
        }
        // Accounts are digits: the longest text is the widest.
        int longest = -1;
        for (int r = 0; r < m_all->count(); ++r) {
            if (longest < 0 || m_all->text(r, c).size() > m_all->text(longest, c).size()) {
                longest = r;
            }
        }
        if (longest < 0) {
            continue;
        }
        // What the list's own text takes with its margins, and the grid line.
        const int needed = m_all->sizeHintForIndex(m_all->rows()->index(longest, c)).width() + 1;
        const int width = qMax(m_config.columns.at(c).width, needed);
        m_all->setColumnWidth(c, width);
        m_found->setColumnWidth(c, width);
    }
}

bool RosterPicker::matches(const QStringList& row) const
{
    for (int i = 0; i < m_fields.size(); ++i) {
        const QString wanted = m_fields.at(i)->text();
        if (wanted.isEmpty()) {
            continue;
        }
        const Criterion& c = m_config.criteria.at(i);
        const QString& text = row.at(c.column);
        if (c.match == Match::Prefix ? !text.startsWith(wanted) : !text.contains(wanted)) {
            return false;
        }
    }
    return true;
}

void RosterPicker::onSearch()
{
    m_all->hide();
    m_found->show();
    bool anyCriterion = false;
    for (const CMyEditCtrl* f : m_fields) {
        anyCriterion = anyCriterion || !f->text().isEmpty();
    }
    QVector<QStringList> rows;
    if (anyCriterion) {
        for (int r = 0; r < m_all->count(); ++r) {
            const QStringList& row = m_all->rows()->row(r);
            if (matches(row)) {
                rows.append(row);
            }
        }
    }
    m_found->rows()->setRows(std::move(rows));
    // Found rows are taken from the first one on with Enter or the arrow keys.
    if (m_found->count() > 0) {
        m_found->selectRow(0);
        m_found->setFocus();
    }
}

void RosterPicker::onBack()
{
    m_found->hide();
    m_all->show();
    for (CMyEditCtrl* f : m_fields) {
        f->clear();
    }
}

void RosterPicker::onExit()
{
    m_result.clear();
    accept();
}

void RosterPicker::pick(const RowList* list, int row)
{
    if (row < 0) {
        Msg::show(this, QStringLiteral("请选择"));
        return;
    }
    m_result = list->rows()->row(row);
    accept();
}
