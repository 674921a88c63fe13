#include "print/core/ReportLayout.h"

ReportLayout ReportLayout::payroll()
{
    ReportLayout l;
    l.titleKindZero = QStringLiteral("批量提现清单");
    l.titleOther = QStringLiteral("代发清单");
    l.bodyFontPoints = 7;
    l.tableLeftMm = 15;
    l.tableRightMm = 195;
    // The list has no remark of its own; the payment purpose is what belongs there.
    l.columns = {{QStringLiteral("序号"), 15, 25, 0, false},
                 {QStringLiteral("账号"), 25, 65, 1, false, true},
                 {QStringLiteral("户名"), 65, 90, 2, false},
                 {QStringLiteral("金额"), 90, 118, 5, true, true},
                 {QStringLiteral("备注"), 118, 195, 6, false}};
    l.amountListColumn = 5;
    return l;
}

ReportLayout ReportLayout::batch()
{
    ReportLayout l;
    l.titleKindZero = QStringLiteral("批量转账记录");
    l.titleOther = l.titleKindZero;
    l.bodyFontPoints = 6;
    l.tableLeftMm = 5;
    l.tableRightMm = 195;
    // The batch list carries no payer data, so the payer columns are left for a pen.
    l.columns = {{QStringLiteral("客户号"), 5, 20, -1, false},
                 {QStringLiteral("付款账号"), 20, 50, -1, false, true},
                 {QStringLiteral("付款账户名称"), 50, 95, -1, false},
                 {QStringLiteral("金额"), 95, 120, 3, true, true},
                 {QStringLiteral("收款账号"), 120, 150, 1, false, true},
                 {QStringLiteral("收款账户名称"), 150, 195, 2, false}};
    l.amountListColumn = 3;
    return l;
}
