#include "rosters/CNewGroupDlg.h"

#include "common/CMyEditCtrl.h"
#include "common/Dialogs.h"
#include "common/EnterKeyHandler.h"
#include "common/Ui.h"
#include "common/core/CMyTool.h"
#include "rosters/core/GroupNames.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

CNewGroupDlg::CNewGroupDlg(const QStringList& otherNames, QWidget* parent,
                           std::function<bool(const QString&)> fileTaken)
    : QDialog(parent), m_others(otherNames), m_fileTaken(std::move(fileTaken))
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

void CNewGroupDlg::onOk()
{
    const QString name = CMyTool::TrimSpaces(m_field->text());
    QString problem = GroupNames::problemWith(name, m_others);
    if (problem.isEmpty() && m_fileTaken && m_fileTaken(name)) {
        problem = QStringLiteral("该组名称已存在"); // another roster already has that file
    }
    if (!problem.isEmpty()) {
        Msg::show(this, problem);
        m_field->setFocus();
        return;
    }
    m_result = name;
    accept();
}
