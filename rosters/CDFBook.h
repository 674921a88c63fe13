#pragma once

#include "rosters/core/RosterDocument.h"

#include <QWidget>

class CMyEditCtrl;
class QAbstractButton;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class RowList;

// The payroll roster (代发手册) of the group 代发工资: payees with a standing amount and a remark,
// kept in 代发工资.txt, searchable by account, name or amount.
class CDFBook : public QWidget
{
    Q_OBJECT
public:
    explicit CDFBook(QWidget* parent = nullptr);

    // Loads 代发工资.txt; false only when the file has a format error.
    bool LoadDefaultGroup();
    // Loads the roster of a group of group.txt; false only when its file has a format error.
    bool LoadGroup(const QString& group);
    // "打开组列表": the group list, whose "打开" loads the group chosen.
    void OpenGroupList();
    QString groupName() const { return m_groupName; }
    void PrepareRoster();
    void ImportSpreadsheet();

    bool searching() const { return m_searching; }
    // A page button of the account books: its caption on a tab picture, pressed while current.
    static QAbstractButton* pageButton(QWidget* parent, const QString& caption);
    const RosterDocument& document() const { return m_doc; }

private:
    bool loadRoster(bool saveAfterLoad);
    void ResetRoster(bool clear);
    void resetSearchControls();
    void clearEntry();
    RowList* shownList() const;
    // The entry and "修改"/"删除" follow the row selected in the list on screen.
    void showSelected();
    void onRosterSelection();
    void onResultSelection();
    void showRecord(const QStringList& row);
    void onAdd();
    void onModify();
    void onConfirm();
    void onCancel();
    void onDelete();
    void onExit();
    void onSearch();
    void onBack();
    void onKind(QRadioButton* kind);
    void onMode(QRadioButton* mode);
    void setEntryEnabled(bool on);
    void setBrowseButtons(bool on);
    RosterDocument::Record entryRecord() const;
    void removeListRow(RowList* list, int p);
    int findEqualRosterRow(const QStringList& resultRow) const;
    void saveAndCount();

    RosterDocument m_doc;
    QString m_groupName = QStringLiteral("代发工资");
    QLineEdit* m_group;
    CMyEditCtrl* m_account;
    CMyEditCtrl* m_name;
    CMyEditCtrl* m_amount;
    CMyEditCtrl* m_remark;
    QLabel* m_capital;
    QPushButton* m_add;
    QPushButton* m_confirm;
    QPushButton* m_modify;
    QPushButton* m_cancel;
    QPushButton* m_delete;
    QPushButton* m_exit;
    QPushButton* m_openGroups;
    QPushButton* m_import;
    QRadioButton* m_byAccount;
    QRadioButton* m_byName;
    QRadioButton* m_byAmount;
    QRadioButton* m_exact;
    QRadioButton* m_fuzzy;
    QLineEdit* m_searchText;
    CMyEditCtrl* m_amountFrom;
    QLineEdit* m_to;
    CMyEditCtrl* m_amountTo;
    QPushButton* m_search;
    QPushButton* m_back;
    RowList* m_roster;
    RowList* m_results;
    QLabel* m_count;
    QAbstractButton* m_batchBooks;
    QAbstractButton* m_payrollBook;
    bool m_modifying = false;
    bool m_searching = false;
};
