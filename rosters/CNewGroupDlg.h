#pragma once

#include <QDialog>
#include <QStringList>

class CMyEditCtrl;

// "请输入新的组名称": asks for a group name that can serve as the name of its roster file.
class CNewGroupDlg : public QDialog
{
    Q_OBJECT
public:
    // otherNames: the names of the other groups, which this one may not repeat.
    explicit CNewGroupDlg(const QStringList& otherNames, QWidget* parent = nullptr);
    QString name() const { return m_result; }

    // The message refusing a name, or an empty text when the name can be used.
    static QString problemWith(const QString& trimmedName, const QStringList& otherNames);

private:
    void onOk();

    CMyEditCtrl* m_field;
    QStringList m_others;
    QString m_result;
};
