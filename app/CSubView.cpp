#include "app/CSubView.h"

#include "app/CWelcomDlg.h"
#include "batch/CPILIANGDlg.h"
#include "common/Dialogs.h"
#include "common/ScreenSwitch.h"
#include "lookup/core/BankCodeTable.h"
#include "payroll/CDAIFADlg.h"
#include "rosters/CDFBook.h"
#include "rosters/CPLBookDlg.h"

namespace {
const QString kQuestion = QStringLiteral("信息尚未保存，是否导出保存?");

// Asks whether to export the unsaved lines of one screen. True: go on.
template <typename Screen> bool offerExport(Screen* screen, const QString& caption)
{
    const int answer = Msg::show(screen, kQuestion, caption, Msg::Yes | Msg::No | Msg::Cancel);
    if (answer == Msg::Yes) {
        return screen->ExportLines();
    }
    return answer == Msg::No;
}
} // namespace

CSubView::CSubView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("CSubView"));
    // The code table is loaded first, before any screen exists: its message comes before the
    // ones the books give when they load their rosters.
    if (const std::optional<QString> problem = BankCodeTable::load()) {
        Msg::show(this, *problem);
    }
    m_payroll = new CDAIFADlg(this);
    m_batch = new BatchScreen(this);
    m_welcome = new CWelcomDlg(this);
    m_books = new BooksHost(this);
    m_roster = new RosterScreen(this);
    hideAllBut(m_welcome);
}

void CSubView::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    for (QWidget* w : std::initializer_list<QWidget*>{m_payroll, m_batch, m_welcome, m_books, m_roster}) {
        w->setGeometry(rect());
    }
}

void CSubView::hideAllBut(QWidget* shown)
{
    for (QWidget* w : std::initializer_list<QWidget*>{m_payroll, m_batch, m_welcome, m_books, m_roster}) {
        if (w != shown) {
            w->hide();
        }
    }
    if (shown) {
        shown->show();
    }
}

bool CSubView::event(QEvent* e)
{
    if (e->type() == AppInfo::WM_SWITCHSCREEN) {
        const auto* s = static_cast<SwitchScreenEvent*>(e);
        switchTo(s->code(), s->mode());
        return true;
    }
    return QWidget::event(e);
}

bool CSubView::leaveCheck(int code)
{
    if (code == ScreenSwitch::BatchScreen) {
        if (m_payroll->unsaved()) {
            return offerExport(m_payroll, QStringLiteral("代发/批量提现"));
        }
        return true;
    }
    if (m_batch->unsaved()) {
        return offerExport(m_batch, QStringLiteral("批量转账"));
    }
    if (m_payroll->unsaved()) {
        return offerExport(m_payroll, QStringLiteral("代发/批量提现"));
    }
    return true;
}

void CSubView::undo()
{
    ScreenSwitch::postToNavigation(m_current, 0);
}

bool CSubView::confirmExit()
{
    // Closing drops every line: each screen that holds unsaved ones is asked.
    if (m_batch->unsaved() && !offerExport(m_batch, QStringLiteral("批量转账"))) {
        return false;
    }
    return !m_payroll->unsaved() || offerExport(m_payroll, QStringLiteral("代发/批量提现"));
}

void CSubView::switchTo(int code, int mode)
{
    switch (code) {
    case ScreenSwitch::BatchScreen:
        if (!leaveCheck(code)) {
            undo();
            return;
        }
        m_batch->ResetEntry(true);
        m_payroll->ClearLines();
        m_batch->ClearLines();
        hideAllBut(m_batch);
        m_current = code;
        return;
    case ScreenSwitch::PayrollScreen:
        if (!leaveCheck(code)) {
            undo();
            return;
        }
        m_welcome->hide();
        m_payroll->ResetEntry(true);
        m_batch->ClearLines();
        m_payroll->ClearLines();
        hideAllBut(m_payroll);
        m_current = code;
        return;
    case ScreenSwitch::AccountBooks:
        m_welcome->hide();
        if (!leaveCheck(code)) {
            undo();
            return;
        }
        if (mode == ScreenSwitch::PayrollRoster) {
            if (!m_roster->LoadDefaultGroup()) {
                return;
            }
            hideAllBut(m_roster);
            ScreenSwitch::postToNavigation(ScreenSwitch::AccountBooks, 0);
        } else if (mode == ScreenSwitch::PreparedPayrollRoster) {
            hideAllBut(m_roster);
            m_roster->PrepareRoster();
            if (!m_roster->LoadDefaultGroup()) {
                hideAllBut(m_books);
                return;
            }
            ScreenSwitch::postToNavigation(ScreenSwitch::AccountBooks, 0);
        } else {
            hideAllBut(m_books);
            m_books->SelectFirstBook();
        }
        m_batch->ClearLines();
        m_payroll->ClearLines();
        m_current = code;
        return;
    case ScreenSwitch::ReloadBankCodes:
        if (const std::optional<QString> problem = BankCodeTable::reload()) {
            Msg::show(this, *problem);
        }
        return;
    default:
        if (code >= ScreenSwitch::Welcome) {
            hideAllBut(m_welcome);
        }
        return;
    }
}
