#include "rosters/CPLBook.h"

#include "common/Ui.h"

CPLBook::CPLBook(QWidget* parent)
    : AccountBook(RosterDocument::Kind::InBank, QStringLiteral("hangneiacc.txt"),
                  QStringLiteral("行内收款信息维护"),
                  {{QStringLiteral("付款账号："), 30}, {QStringLiteral("账户名称："), 40}},
                  {{QStringLiteral("序号"), 100},
                   {QStringLiteral("付款账号"), 200},
                   {QStringLiteral("账户名称"), 200}},
                  QStringLiteral("批量手册付款"), parent)
{
    Ui::name(this, QStringLiteral("行内账户名册"));
    finishSetup();
}
