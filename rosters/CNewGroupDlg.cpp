#include "rosters/CNewGroupDlg.h"

#include "common/CMyEditCtrl.h"
#include "common/Dialogs.h"
#include "common/EnterKeyHandler.h"
#include "common/Ui.h"
#include "common/core/CMyTool.h"
#include "common/core/Gbk.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

CNewGroupDlg::CNewGroupDlg(const QStringList& otherNames, QWidget* parent)
    : QDialog(parent), m_others(otherNames)
{
    setObjectName(QStringLiteral("CNewGroupDlg"));
    setWindowTitle(QStringLiteral("请输入新的组名称"));
    Ui::setDialogBackground(this);
    m_field = Ui::field(this, QStringLiteral("新的组名称："), 127);
    QPushButton* ok = Ui::button(this, QStringLiteral("确定"));
    QPushButton* cancel = Ui::button(this, QStringLiteral("取消"));
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Ui::label(this, QStringLiteral("新的组名称：")));
    layout->addWidget(m_field, 1);
    layout->addWidget(ok);
    layout->addWidget(cancel);
    connect(ok, &QPushButton::clicked, this, &CNewGroupDlg::onOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    // Enter anywhere in the dialog means "确定".
    auto* enter = new EnterKeyHandler(this, EnterKeyHandler::Mode::Swallow);
    for (QWidget* w : findChildren<QWidget*>()) {
        enter->setAction(w, [this] { onOk(); });
    }
    enter->setAction(this, [this] { onOk(); });
}

QString CNewGroupDlg::problemWith(const QString& name, const QStringList& otherNames)
{
    if (name.isEmpty()) {
        return QStringLiteral("请输入新组名");
    }
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    for (QChar c : forbidden) {
        if (name.contains(c)) {
            return QStringLiteral("组名称不能包含下列字符：\\ / : * ? \" < > |");
        }
    }
    if (!Gbk::canEncode(name)) {
        return QStringLiteral("组名称中含有无法保存的字符");
    }
    // The group's roster file may not be one of the data files or a device name.
    static const QStringList reserved = [] {
        QStringList r{QStringLiteral("kuahangacc"), QStringLiteral("hangneiacc"), QStringLiteral("group"),
                      QStringLiteral("BankNo"),     QStringLiteral("CON"),        QStringLiteral("PRN"),
                      QStringLiteral("AUX"),        QStringLiteral("NUL")};
        for (int i = 1; i <= 9; ++i) {
            r << QStringLiteral("COM%1").arg(i) << QStringLiteral("LPT%1").arg(i);
        }
        return r;
    }();
    if (reserved.contains(name, Qt::CaseInsensitive) || otherNames.contains(name, Qt::CaseInsensitive)) {
        return QStringLiteral("该组名称已存在");
    }
    return QString();
}

void CNewGroupDlg::onOk()
{
    const QString name = CMyTool::TrimSpaces(m_field->text());
    const QString problem = problemWith(name, m_others);
    if (!problem.isEmpty()) {
        Msg::show(this, problem);
        m_field->setFocus();
        return;
    }
    m_result = name;
    accept();
}
