#pragma once

#include <QDialog>
#include <optional>

class QLabel;
class QPushButton;
class RowList;

// "代发收款账户管理组列表": the payroll roster groups of group.txt, each with its roster file.
class CGROUPDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CGROUPDlg(bool importUse = false, QWidget* parent = nullptr);

    QString chosenGroup() const { return m_chosen; }
    QStringList groups() const;

    void NewGroup();
    void RenameGroup();
    void DeleteGroup();

private:
    void load();
    bool saveGroups();
    bool groupsWritable();
    void onOpen();
    std::optional<QString> askName(const QStringList& otherNames, bool freeFileOnly);
    QString rosterPath(const QString& group) const;

    RowList* m_list;
    QString m_chosen;
    bool m_unreadable = false; // group.txt exists but could not be read or decoded
};
