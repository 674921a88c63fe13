#include "update/CUpdateDlg.h"

#include "common/Dialogs.h"
#include "common/ScreenSwitch.h"
#include "common/Ui.h"
#include "update/CUpdateWorker.h"
#include "update/UpdateControl.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const QString kCancelQuestion = QStringLiteral("取消更新将导致更新失败，您只能明天再更新。是否确定取消？");
const QString kCancelCaption = QStringLiteral("取消更新");
const QString kSucceeded = QStringLiteral("更新成功");
constexpr int kCloseDelayMs = 1000;
} // namespace

CUpdateDlg::CUpdateDlg(QWidget* parent) : CUpdateDlg(BankCodeUpdate::defaultSource(), parent) {}

CUpdateDlg::CUpdateDlg(const BankCodeUpdate::UpdateSource& source, QWidget* parent)
    : QDialog(parent), m_source(source), m_control(new UpdateControl(this))
{
    setWindowTitle(QStringLiteral("更新联行号"));
    Ui::name(this, QStringLiteral("更新联行号"));
    Ui::setDialogBackground(this);

    auto* notice = Ui::label(this, QStringLiteral("正在更新中，请耐心等待......."));
    notice->setFocusPolicy(Qt::NoFocus);
    QLabel* countCaption = Ui::label(this, QStringLiteral("已下载"));
    m_count = Ui::valueLabel(this, QStringLiteral("已下载字节数"), QStringLiteral("0"), countCaption);
    m_count->setMinimumWidth(124);
    m_count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_cancel = Ui::button(this, QStringLiteral("取消更新"));
    m_cancel->setFocusPolicy(Qt::StrongFocus);

    auto* countRow = new QHBoxLayout;
    countRow->addWidget(countCaption);
    countRow->addWidget(m_count);
    countRow->addWidget(Ui::label(this, QStringLiteral("字节")));
    countRow->addStretch(1);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch(1);
    buttonRow->addWidget(m_cancel);
    auto* main = new QVBoxLayout(this);
    main->addWidget(notice);
    main->addSpacing(20);
    main->addLayout(countRow);
    main->addStretch(1);
    main->addLayout(buttonRow);
    setFixedSize(340, 170);

    connect(m_cancel, &QPushButton::clicked, this, &CUpdateDlg::askCancel);
}

CUpdateDlg::~CUpdateDlg()
{
    if (m_started) {
        // A worker that has already ended ignores this; any other one cleans up and ends.
        m_control->cancel();
        m_thread.wait();
        // A list swapped in after a late cancel must still reach the table.
        if (m_control->wasReplaced()) {
            postReloadOnce();
        }
    }
}

void CUpdateDlg::reject()
{
    askCancel();
}

void CUpdateDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_started) {
        startWorker();
    }
}

void CUpdateDlg::startWorker()
{
    m_started = true;
    m_cancel->setFocus();
    auto* worker = new CUpdateWorker(m_source, m_control);
    connect(worker, &CUpdateWorker::progress, this, &CUpdateDlg::onProgress);
    connect(worker, &CUpdateWorker::failed, this, &CUpdateDlg::onFailed);
    connect(worker, &CUpdateWorker::succeeded, this, &CUpdateDlg::onSucceeded);
    worker->startOn(&m_thread);
}

void CUpdateDlg::askCancel()
{
    // After the end the dialog closes by itself; a second question would only stand in its way.
    if (m_asking || m_cancelled || m_ending) {
        return;
    }
    m_asking = true;
    m_control->pause();
    const int answer = Msg::show(this, kCancelQuestion, kCancelCaption, Msg::Yes | Msg::No);
    m_asking = false;
    if (answer == Msg::Yes) {
        m_cancelled = true;
        m_control->cancel();
        if (m_end == End::Succeeded) {
            postReloadOnce();
        }
        done(Accepted);
        return;
    }
    m_control->resume();
    m_count->setText(QString::number(m_total));
    if (m_end != End::None) {
        showEnd();
    }
}

void CUpdateDlg::onProgress(qint64 total)
{
    if (m_cancelled) {
        return;
    }
    m_total = total;
    // The count stands still while the question is open.
    if (!m_asking) {
        m_count->setText(QString::number(total));
    }
}

void CUpdateDlg::onFailed(const QString& text)
{
    if (m_cancelled || m_end != End::None) {
        return;
    }
    m_end = End::Failed;
    m_failure = text;
    if (!m_asking) {
        showEnd();
    }
}

void CUpdateDlg::onSucceeded()
{
    if (m_cancelled) {
        // The operator no longer waits for it, but the table must match the new file.
        postReloadOnce();
        return;
    }
    if (m_end != End::None) {
        return;
    }
    m_end = End::Succeeded;
    if (!m_asking) {
        showEnd();
    }
}

void CUpdateDlg::showEnd()
{
    m_ending = true;
    m_cancel->setEnabled(false);
    if (m_end == End::Succeeded) {
        postReloadOnce();
        Msg::show(this, kSucceeded, QString(), Msg::Ok, Msg::Icon::Information);
    } else {
        Msg::show(this, m_failure);
    }
    QTimer::singleShot(kCloseDelayMs, this, [this] { done(Accepted); });
}

void CUpdateDlg::postReloadOnce()
{
    if (!m_reloadPosted) {
        m_reloadPosted = true;
        ScreenSwitch::postToHost(ScreenSwitch::ReloadBankCodes);
    }
}
