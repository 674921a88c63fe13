#include "common/ReviewDialog.h"

#include "common/CMyEditCtrl.h"
#include "common/Dialogs.h"
#include "common/EnterKeyHandler.h"
#include "common/RowList.h"
#include "common/Ui.h"
#include "common/core/Amount.h"
#include "common/core/AppInfo.h"
#include "common/core/CMyTool.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

ReviewDialog::ReviewDialog(const Source& source, QWidget* parent) : QDialog(parent), m_source(source)
{
    setObjectName(QStringLiteral("ReviewDialog"));
    setWindowTitle(QStringLiteral("导出前核对"));
    Ui::setDialogBackground(this);
    resize(760, 420);

    QLabel* countCaption = Ui::label(this, QStringLiteral("本次总笔数："));
    QLabel* count = Ui::valueLabel(this, QStringLiteral("本次总笔数"), source.count, countCaption);
    QLabel* totalCaption = Ui::label(this, QStringLiteral("本次总金额："));
    QLabel* total = Ui::valueLabel(this, QStringLiteral("本次总金额"), source.total, totalCaption);
    m_count = Ui::field(this, QStringLiteral("应有总笔数："), 6);
    m_total = Ui::field(this, QStringLiteral("应有总金额："), 17);
    QPushButton* verify = Ui::button(this, QStringLiteral("核对"));
    m_share = Ui::field(this, QStringLiteral("金额变动超过（%）："), 4);
    m_share->setText(QString::number(OrderReview::DefaultChangePercent));
    QPushButton* compare = Ui::button(this, QStringLiteral("与上次比较"));
    m_compared = Ui::valueLabel(this, QStringLiteral("比较对象"), QString(), nullptr);
    m_compared->setTextFormat(Qt::PlainText); // a file's name, never markup

    auto* totals = new QGridLayout;
    totals->addWidget(countCaption, 0, 0, Qt::AlignRight);
    totals->addWidget(count, 0, 1);
    totals->addWidget(totalCaption, 0, 2, Qt::AlignRight);
    totals->addWidget(total, 0, 3);
    totals->addWidget(Ui::label(this, QStringLiteral("应有总笔数：")), 1, 0, Qt::AlignRight);
    totals->addWidget(m_count, 1, 1);
    totals->addWidget(Ui::label(this, QStringLiteral("应有总金额：")), 1, 2, Qt::AlignRight);
    totals->addWidget(m_total, 1, 3);
    totals->addWidget(verify, 1, 4);
    QLabel* shareCaption = Ui::label(this, QStringLiteral("金额变动超过（%）："));
    totals->addWidget(shareCaption, 2, 0, Qt::AlignRight);
    totals->addWidget(m_share, 2, 1);
    totals->addWidget(compare, 2, 2);
    totals->addWidget(m_compared, 2, 3, 1, 2);
    totals->setColumnStretch(3, 1);
    // Comparing with last time's order is the full edition's.
    const bool full = AppInfo::fullEdition();
    for (QWidget* w : {static_cast<QWidget*>(shareCaption), static_cast<QWidget*>(m_share),
                       static_cast<QWidget*>(compare), static_cast<QWidget*>(m_compared)}) {
        w->setVisible(full);
    }

    m_summary = Ui::valueLabel(this, QStringLiteral("核对结果"), QString(), nullptr);
    m_list = new RowList(this);
    Ui::name(m_list, QStringLiteral("提醒列表"));
    m_list->setColumns({{QStringLiteral("行号"), 90}, {QStringLiteral("提醒"), 600}});

    m_goTo = Ui::button(this, QStringLiteral("转到该行"));
    QPushButton* back = Ui::button(this, QStringLiteral("返回修改"));
    QPushButton* anyway = Ui::button(this, QStringLiteral("仍然导出"));
    back->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_goTo);
    buttons->addStretch(1);
    buttons->addWidget(back);
    buttons->addWidget(anyway);

    auto* main = new QVBoxLayout(this);
    main->addLayout(totals);
    main->addWidget(m_summary);
    main->addWidget(m_list, 1);
    main->addLayout(buttons);

    connect(verify, &QPushButton::clicked, this, &ReviewDialog::rerun);
    connect(compare, &QPushButton::clicked, this, &ReviewDialog::comparePrevious);
    connect(m_goTo, &QPushButton::clicked, this, &ReviewDialog::goToLine);
    connect(m_list, &RowList::rowDoubleClicked, this, &ReviewDialog::goToLine);
    connect(m_list, &RowList::selectionChanged, this, [this] {
        const int r = m_list->selectedRow();
        m_goTo->setEnabled(r >= 0 && !m_findings.at(r).lines.isEmpty());
    });
    connect(back, &QPushButton::clicked, this, &QDialog::reject);
    connect(anyway, &QPushButton::clicked, this, [this] {
        m_outcome = Outcome::ExportAnyway;
        accept();
    });

    // Enter goes to the line picked in the list, checks the totals typed in a field, runs the
    // button it is on, and anywhere else means the default, 返回修改.
    auto* enter = new EnterKeyHandler(this, EnterKeyHandler::Mode::Swallow);
    enter->setAction(this, [this] { reject(); });
    enter->setAction(back, [this] { reject(); });
    enter->setAction(anyway, [anyway] { anyway->click(); });
    enter->setAction(m_goTo, [this] { goToLine(); });
    enter->setAction(m_list, [this] { goToLine(); });
    enter->setAction(verify, [this] { rerun(); });
    enter->setAction(compare, [this] { comparePrevious(); });
    for (CMyEditCtrl* f : {m_count, m_total, m_share}) {
        enter->setAction(f, [this] { rerun(); });
    }

    m_findings = m_source.run({}, nullptr);
    showFindings();
    back->setFocus();
}

std::optional<OrderReview::Expected> ReviewDialog::expected()
{
    OrderReview::Expected e;
    const QString count = CMyTool::TrimSpaces(m_count->text());
    if (!count.isEmpty()) {
        bool ok = false;
        const int n = count.toInt(&ok);
        if (!ok || !CMyTool::IsAllDigits(count)) {
            Msg::show(this, QStringLiteral("应有总笔数请输入数字"));
            m_count->setFocus();
            return std::nullopt;
        }
        e.count = n;
    }
    const QString total = CMyTool::TrimSpaces(m_total->text());
    if (!total.isEmpty()) {
        QString canonical;
        if (Amount::check(total, &canonical) != Amount::Problem::None) {
            Msg::show(this, QStringLiteral("应有总金额格式错误"));
            m_total->setFocus();
            return std::nullopt;
        }
        e.totalFen = Amount::toFen(canonical);
    }
    return e;
}

void ReviewDialog::rerun()
{
    const std::optional<OrderReview::Expected> e = expected();
    if (!e) {
        return;
    }
    if (m_previous) {
        bool ok = false;
        const int share = CMyTool::TrimSpaces(m_share->text()).toInt(&ok);
        if (!ok || share < 0) {
            Msg::show(this, QStringLiteral("金额变动比例请输入数字"));
            m_share->setFocus();
            return;
        }
        m_previous->changePercent = share;
    }
    m_findings = m_source.run(*e, m_previous ? &*m_previous : nullptr);
    showFindings();
}

bool ReviewDialog::comparePrevious()
{
    const QString path = FileDialogs::open(this, m_source.previousFilter);
    if (path.isEmpty()) {
        return false;
    }
    OrderReview::Previous previous;
    if (const std::optional<QString> message = m_source.readPrevious(path, &previous)) {
        Msg::show(this, *message);
        return false;
    }
    m_previous = previous;
    m_compared->setText(QStringLiteral("与%1比较").arg(QFileInfo(path).fileName()));
    rerun();
    return true;
}

void ReviewDialog::showFindings()
{
    QVector<QStringList> rows;
    for (const OrderReview::Finding& f : std::as_const(m_findings)) {
        rows.append({f.lines.isEmpty() ? QStringLiteral("—") : OrderReview::lineList(f.lines), f.text});
    }
    m_list->rows()->setRows(rows);
    m_summary->setText(m_findings.isEmpty()
                           ? QStringLiteral("没有需要提醒的地方")
                           : QStringLiteral("共有%1条提醒，请逐条核对").arg(m_findings.size()));
    m_goTo->setEnabled(false);
    if (!m_findings.isEmpty()) {
        m_list->selectRow(0);
    }
}

void ReviewDialog::goToLine()
{
    const int r = m_list->selectedRow();
    if (r < 0 || m_findings.at(r).lines.isEmpty()) {
        return;
    }
    m_line = m_findings.at(r).lines.first();
    m_outcome = Outcome::GoToLine;
    accept();
}
