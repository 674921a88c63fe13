#pragma once

#include "payroll/PayrollLine.h"

#include <QWidget>

class CMyEditCtrl;
class QLabel;
class QPushButton;
class RowList;

// The interbank payroll screen (跨行代发): up to 200 lines keyed in, picked or imported, saved
// as the dated export file.
class CDAIFADlg : public QWidget
{
    Q_OBJECT
public:
    explicit CDAIFADlg(QWidget* parent = nullptr);

    bool unsaved() const { return m_unsaved; }
    bool ExportLines();
    void ClearLines();
    void ResetEntry(bool clear);
    void RefreshTotals();
    bool ValidateEntry(int lineNumber, bool importing);
    void ImportText();

    QVector<PayrollLine> lines() const;

private:
    void onSelectionChanged();
    void onAdd();
    void onModify();
    void onConfirm();
    void onCancel();
    void onDelete();
    void onExit();
    void RememberPayee();
    void setEntryEnabled(bool on);
    int nextSequenceNumber() const;
    void appendFromEntry(int seq);

    CMyEditCtrl* m_name;
    CMyEditCtrl* m_account;
    CMyEditCtrl* m_bankName;
    CMyEditCtrl* m_routingCode;
    CMyEditCtrl* m_amount;
    CMyEditCtrl* m_purpose;
    QLabel* m_capital;
    QPushButton* m_pick;
    QPushButton* m_add;
    QPushButton* m_confirm;
    QPushButton* m_modify;
    QPushButton* m_cancel;
    QPushButton* m_importText;
    QPushButton* m_export;
    QPushButton* m_delete;
    QPushButton* m_exit;
    QPushButton* m_importExcel;
    QPushButton* m_print;
    QPushButton* m_openRoster;
    RowList* m_list;
    QLabel* m_count;
    QLabel* m_total;

    bool m_unsaved = false;
    bool m_modifying = false;
};
