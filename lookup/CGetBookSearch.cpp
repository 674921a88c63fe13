#include "lookup/CGetBookSearch.h"

namespace {
RosterPicker::Config config()
{
    using M = RosterPicker::Match;
    return {QStringLiteral("收款账户选择"),
            QStringLiteral("kuahangacc.txt"),
            RosterFormat::Interbank,
            {{QStringLiteral("收款账号"), 150, 0, true},
             {QStringLiteral("账户名称"), 120, 1},
             {QStringLiteral("开户行"), 120, 3},
             {QStringLiteral("联行号"), 120, 6}},
            {{QStringLiteral("收款账号："), 0, M::Prefix, 30},
             {QStringLiteral("账户名称："), 1, M::Substring, 40},
             {QStringLiteral("开户行："), 2, M::Substring, 40},
             {QStringLiteral("联行号："), 3, M::Prefix, 12}},
            QStringLiteral("导入跨行账户文件格式错误，kuahangacc.txt导入失败！")};
}
} // namespace

CGetBookSearch::CGetBookSearch(QWidget* parent) : RosterPicker(config(), parent) {}
