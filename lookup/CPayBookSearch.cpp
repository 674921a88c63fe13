#include "lookup/CPayBookSearch.h"

namespace {
RosterPicker::Config config()
{
    using M = RosterPicker::Match;
    return {QStringLiteral("行内账户选择"),
            QStringLiteral("hangneiacc.txt"),
            // Only account and name are taken: whatever follows the second "|" is ignored.
            RosterFormat::Layout{2, true},
            {{QStringLiteral("付款账号"), 240, 0, true}, {QStringLiteral("账户名称"), 180, 1}},
            {{QStringLiteral("收款人账号："), 0, M::Prefix, 30},
             {QStringLiteral("收款人名称："), 1, M::Substring, 40}},
            QStringLiteral("导入行内账户文件格式错误，hangneiacc.txt导入失败！")};
}
} // namespace

CPayBookSearch::CPayBookSearch(QWidget* parent) : RosterPicker(config(), parent) {}
