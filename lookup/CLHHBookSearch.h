#pragma once

#include <QDialog>

class CMyEditCtrl;
class QPushButton;
class RowList;

// "联行号查询": looks up routing codes in BankCodeTable. A row double-clicked or taken with Enter
// is the result; Enter in a criterion searches. "退出" closes with OK and no result, Esc and the
// close box cancel.
class CLHHBookSearch : public QDialog
{
    Q_OBJECT
public:
    explicit CLHHBookSearch(QWidget* parent = nullptr);

    // Runs the dialog with typed as its criterion and the search already made: digits as the
    // routing code, any other text as the bank name. Returns what exec() returns.
    int execFor(const QString& typed);

    // The picked row; both empty unless a row was picked.
    QString bankName() const { return m_bankName; }
    QString code() const { return m_code; }

private:
    void onSearch();
    void onBack();
    void onExit();
    void pick(int row);

    CMyEditCtrl* m_nameField;
    CMyEditCtrl* m_codeField;
    QPushButton* m_search;
    QPushButton* m_back;
    QPushButton* m_exit;
    RowList* m_list;
    QString m_bankName;
    QString m_code;
};
