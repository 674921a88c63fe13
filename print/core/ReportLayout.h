#pragma once

#include <QString>
#include <QVector>

// One printed column: caption, position on the sheet in millimetres, and which list column fills it.
struct ReportColumn
{
    QString caption;
    double fromMm;
    double toMm;
    int listColumn; // -1: the column stays empty
    bool alignRight;
    // Accounts and amounts must be read whole on paper: a text too wide for the cell is drawn in
    // a smaller font rather than cut. Names may be cut at the cell's edge.
    bool whole = false;
};

// Everything in which the payroll report and the batch report differ; the drawing routine is shared.
struct ReportLayout
{
    // Report kinds of the payroll layout: 0 prints the withdrawal list, PayrollKind the payroll list.
    static constexpr int PayrollKind = 1;

    QString titleKindZero; // title for report kind 0
    QString titleOther;    // title for any other report kind
    int bodyFontPoints;    // body font height is points * (vertical dpi - 1) / 72 device units
    double tableLeftMm;
    double tableRightMm;
    QVector<ReportColumn> columns;
    int amountListColumn = -1; // list column summed in the summary on the last page

    QString title(int kind) const { return kind == 0 ? titleKindZero : titleOther; }

    // Payroll list columns: 0 序号, 1 收款人账号, 2 收款人名称, 3 开户行, 4 联行号, 5 金额, 6 付款用途.
    static ReportLayout payroll();
    // Batch list columns: 0 序号, 1 收款人账号, 2 收款人名称, 3 金额.
    static ReportLayout batch();
};
