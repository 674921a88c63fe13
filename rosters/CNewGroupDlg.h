#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>

class CMyEditCtrl;

// "请输入新的组名称": asks for a group name that can serve as the name of its roster file.
class CNewGroupDlg : public QDialog
{
    Q_OBJECT
public:
    // otherNames: the names of the other groups, which this one may not repeat; fileTaken (if
    // given) tells a name whose roster file another group's roster already is.
    explicit CNewGroupDlg(const QStringList& otherNames, QWidget* parent = nullptr,
                          std::function<bool(const QString&)> fileTaken = {});
    QString name() const { return m_result; }

private:
    void onOk();

    CMyEditCtrl* m_field;
    QStringList m_others;
    std::function<bool(const QString&)> m_fileTaken;
    QString m_result;
};
