#pragma once

#include "update/UpdateNetwork.h"

#include <QDialog>
#include <QThread>

class QLabel;
class QPushButton;
class UpdateControl;

// "更新联行号": runs one download of BankNo.txt, shows the growing byte count, cancels after a
// warning and closes itself one second after the download has ended. Open it modally:
//     CUpdateDlg dlg(parent);
//     dlg.exec();
// Its result is always Accepted. The once-a-day check (BankCodeUpdate::UpdatedToday) is the
// opener's business.
class CUpdateDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CUpdateDlg(QWidget* parent = nullptr);
    CUpdateDlg(const BankCodeUpdate::UpdateSource& source, QWidget* parent = nullptr);
    // Waits for the worker, which a cancel makes end promptly.
    ~CUpdateDlg() override;

    // Esc and the close box: the same question as the cancel button.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void startWorker();
    void askCancel();
    void onProgress(qint64 total);
    void onFailed(const QString& text);
    void onSucceeded();
    void showEnd();
    void postReloadOnce();

    enum class End
    {
        None,
        Failed,
        Succeeded
    };

    BankCodeUpdate::UpdateSource m_source;
    UpdateControl* m_control;
    QThread m_thread;
    bool m_started = false;
    QLabel* m_count;
    QPushButton* m_cancel;
    qint64 m_total = 0;
    bool m_asking = false;
    bool m_cancelled = false;
    bool m_ending = false;
    bool m_reloadPosted = false;
    // An end reported while the cancel question is open waits for the answer.
    End m_end = End::None;
    QString m_failure;
};
