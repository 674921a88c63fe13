#include "rosters/CPLBookDlg.h"

#include "common/EnterKeyHandler.h"
#include "common/ScreenSwitch.h"
#include "common/Ui.h"
#include "common/core/AppInfo.h"
#include "rosters/CDFBook.h"
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
    // The page buttons of the books, offered in the full edition (the standard one creates them
    // hidden): this page, marked current, and the payroll roster.
    m_batchRoster = CDFBook::pageButton(this, QStringLiteral("批量转账账户名册"));
    m_batchRoster->setEnabled(false);
    m_batchRoster->move(400, 22);
    m_batchRoster->setVisible(AppInfo::fullEdition());
    m_payrollRoster = CDFBook::pageButton(this, QStringLiteral("代发账户名册"));
    m_payrollRoster->move(528, 22);
    m_payrollRoster->setVisible(AppInfo::fullEdition());
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

    for (QRadioButton* page : {m_first, m_second}) {
        const bool first = page == m_first;
        // Whatever checks a page button (mouse, keyboard, a screen reader's action) shows its page.
        connect(page, &QRadioButton::toggled, this, [this, first](bool on) {
            if (on) {
                showPage(first);
            }
        });
        // A click on the page already shown reloads it all the same.
        connect(page, &QRadioButton::pressed, this, [this, page] { m_pressedShown = page->isChecked(); });
        connect(page, &QRadioButton::clicked, this, [this, first] {
            if (m_pressedShown) {
                m_pressedShown = false;
                showPage(first);
            }
        });
    }
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
    showPage(true);
}

void CPLBookDlg::SelectSecondBook()
{
    showPage(false);
}

void CPLBookDlg::showPage(bool first)
{
    if (m_switching) {
        return;
    }
    m_switching = true;
    m_first->setChecked(first);
    m_second->setChecked(!first);
    m_switching = false;
    if (first) {
        m_inBank->Reload();
        m_inBank->show();
        m_interbank->hide();
    } else {
        m_interbank->Reload();
        m_inBank->hide();
        m_interbank->show();
    }
}
