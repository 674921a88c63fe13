#include "rosters/CPLBookDlg.h"

#include "common/EnterKeyHandler.h"
#include "common/ScreenSwitch.h"
#include "common/Ui.h"
#include "rosters/CPLBook.h"
#include "rosters/CPLBook2.h"

#include <QPushButton>
#include <QRadioButton>

namespace {
constexpr int kPageTop = 70;
}

CPLBookDlg::CPLBookDlg(QWidget* parent) : QWidget(parent)
{
    Ui::name(this, QStringLiteral("收款人名册"));
    Ui::setDialogBackground(this);
    m_first = new QRadioButton(QStringLiteral("行内账户名册"), this);
    Ui::name(m_first, QStringLiteral("行内账户名册"));
    m_second = new QRadioButton(QStringLiteral("跨行账户名册"), this);
    Ui::name(m_second, QStringLiteral("跨行账户名册"));
    m_first->setGeometry(24, 24, 140, 24);
    m_second->setGeometry(184, 24, 140, 24);
    m_batchRoster = Ui::button(this, QStringLiteral("批量转账账户名册"));
    m_batchRoster->setEnabled(false);
    m_batchRoster->hide();
    m_payrollRoster = Ui::button(this, QStringLiteral("代发账户名册"));
    m_payrollRoster->hide();
    connect(m_first, &QRadioButton::clicked, this, &CPLBookDlg::SelectFirstBook);
    connect(m_second, &QRadioButton::clicked, this, &CPLBookDlg::SelectSecondBook);
    connect(m_payrollRoster, &QAbstractButton::clicked, this, [] {
        ScreenSwitch::postToHost(ScreenSwitch::AccountBooks, ScreenSwitch::PreparedPayrollRoster);
    });
    // Enter on the host's own controls does nothing; the books handle their own.
    new EnterKeyHandler(this, EnterKeyHandler::Mode::Swallow);

    m_inBank = new CPLBook(this);
    m_interbank = new CPLBook2(this);
    m_first->setChecked(true);
    m_inBank->show();
    m_interbank->hide();
}

void CPLBookDlg::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    const QRect page = rect().adjusted(0, kPageTop, 0, 0);
    m_inBank->setGeometry(page);
    m_interbank->setGeometry(page);
}

void CPLBookDlg::SelectFirstBook()
{
    m_first->setChecked(true);
    m_second->setChecked(false);
    m_inBank->Reload();
    m_inBank->show();
    m_interbank->hide();
}

void CPLBookDlg::SelectSecondBook()
{
    m_first->setChecked(false);
    m_second->setChecked(true);
    m_interbank->Reload();
    m_inBank->hide();
    m_interbank->show();
}
