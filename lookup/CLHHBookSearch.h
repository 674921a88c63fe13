#pragma once

#include <QDialog>

class CMyEditCtrl;
class QPushButton;
class RowList;

// "联行号查询": looks up routing codes in BankCodeTable. A double-clicked row is the result;
// "退出" closes with OK and no result, Esc and the close box cancel.
class CLHHBookSearch : public QDialog
{
    Q_OBJECT
public:
    explicit CLHHBookSearch(QWidget* parent = nullptr);

    // The picked row; both empty unless a row was double-clicked.
    QString bankName() const { return m_bankName; }
    QString code() const { return m_code; }

private:
    void onSearch();
    void onBack();
    void onExit();
    void onRowDoubleClicked(int row);

    CMyEditCtrl* m_nameField;
    CMyEditCtrl* m_codeField;
    QPushButton* m_search;
    QPushButton* m_back;
    QPushButton* m_exit;
    RowList* m_list;
    QString m_bankName;
    QString m_code;
};
