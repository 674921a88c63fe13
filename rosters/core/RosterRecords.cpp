#include "rosters/core/RosterRecords.h"

#include "common/core/CMyTool.h"

namespace {
const QString kBar = QStringLiteral("|");
}

bool CheckInterbankAccount(InterbankAccount& rec, const CheckReporter& report)
{
    rec.account = CMyTool::TidyField(rec.account);
    rec.name = CMyTool::TidyField(rec.name);
    rec.bankName = CMyTool::TidyField(rec.bankName);
    rec.bankCode = CMyTool::TidyField(rec.bankCode);
    if (rec.account.isEmpty()) {
        return report.fail(QStringLiteral("请输入收款账号"));
    }
    if (!CMyTool::IsAllDigits(rec.account)) {
        return report.fail(QStringLiteral("收款账号请输入数字"));
    }
    if (rec.account.size() < 10) {
        return report.fail(QStringLiteral("请保证收款账号长度至少为10位"));
    }
    if (!report.fits(rec.account, QStringLiteral("收款账号"))) {
        return false;
    }
    if (rec.name.isEmpty()) {
        return report.fail(QStringLiteral("请输入收款账户名称"));
    }
    if (!report.fieldSafe(rec.name, QStringLiteral("账户名称"), kBar)) {
        return false;
    }
    if (rec.bankName.isEmpty()) {
        return report.fail(QStringLiteral("请输入开户行"));
    }
    if (!report.fieldSafe(rec.bankName, QStringLiteral("开户行"), kBar)) {
        return false;
    }
    if (rec.bankCode.isEmpty()) {
        return report.fail(QStringLiteral("请输入联行号"));
    }
    if (!CMyTool::IsAllDigits(rec.bankCode)) {
        return report.fail(QStringLiteral("联行号请输入数字"));
    }
    return report.fits(rec.bankCode, QStringLiteral("联行号"));
}

bool CheckInBankAccount(InBankAccount& rec, const CheckReporter& report)
{
    rec.account = CMyTool::TidyField(rec.account);
    rec.name = CMyTool::TidyField(rec.name);
    if (rec.account.isEmpty()) {
        return report.fail(QStringLiteral("请保证付款账号长度至少为10位"));
    }
    if (!CMyTool::IsAllDigits(rec.account)) {
        return report.fail(QStringLiteral("付款账号请输入数字 "));
    }
    if (rec.account.size() < 10) {
        return report.fail(QStringLiteral("请保证付款账号长度至少为10位"));
    }
    if (!report.fits(rec.account, QStringLiteral("付款账号"))) {
        return false;
    }
    if (rec.name.isEmpty()) {
        return report.fail(QStringLiteral("请输入付款账户名称"));
    }
    return report.fieldSafe(rec.name, QStringLiteral("账户名称"), kBar);
}

bool CheckRosterEntry(PayrollRosterEntry& rec, const CheckReporter& report)
{
    rec.account = CMyTool::TidyField(rec.account);
    rec.name = CMyTool::TidyField(rec.name);
    rec.amount = CMyTool::TidyField(rec.amount);
    rec.remark = CMyTool::TidyField(rec.remark);
    if (rec.account.isEmpty()) {
        return report.fail(QStringLiteral("请保证收款账号长度至少为10位"));
    }
    if (!CMyTool::IsAllDigits(rec.account)) {
        return report.fail(QStringLiteral("收款账号请输入数字 "));
    }
    if (rec.account.size() < 10) {
        return report.fail(QStringLiteral("请保证收款账号长度至少为10位"));
    }
    if (!report.fits(rec.account, QStringLiteral("收款账号"))) {
        return false;
    }
    if (rec.name.isEmpty()) {
        return report.fail(QStringLiteral("请输入户名"));
    }
    if (!report.fieldSafe(rec.name, QStringLiteral("户名"), kBar)) {
        return false;
    }
    if (!report.amount(&rec.amount, QStringLiteral("请输入金额"))) {
        return false;
    }
    return report.fieldSafe(rec.remark, QStringLiteral("备注"), kBar);
}
