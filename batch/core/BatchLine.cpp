#include "batch/core/BatchLine.h"

#include "common/core/CMyTool.h"
#include "rosters/core/RosterFormat.h"

namespace BatchLine {

bool check(Entry& e, const CheckReporter& report)
{
    const QString bar = QStringLiteral("|");
    e.name = CMyTool::TidyField(e.name);
    if (e.name.isEmpty()) {
        return report.fail(QStringLiteral("请输入收款账户名称"));
    }
    if (!report.fieldSafe(e.name, QStringLiteral("收款人名称"), bar)) {
        return false;
    }

    e.account = CMyTool::TidyField(e.account);
    if (e.account.isEmpty()) {
        return report.fail(QStringLiteral("请输入收款账号"));
    }
    if (!report.fieldSafe(e.account, QStringLiteral("收款人账户"), bar)) {
        return false;
    }

    e.amount = CMyTool::TidyField(e.amount);
    return report.amount(&e.amount, QStringLiteral("请输入转账金额"));
}

std::optional<Entry> parseTextLine(const QString& line)
{
    // The line end stays in the line: a line ending in CR LF must close all three fields.
    if (!line.startsWith(QLatin1Char('|'))) {
        return std::nullopt;
    }
    QStringList fields;
    qsizetype pos = 1;
    while (pos < line.size() && fields.size() < 3) {
        const qsizetype bar = line.indexOf(QLatin1Char('|'), pos);
        if (bar < 0) {
            return std::nullopt;
        }
        fields << line.mid(pos, bar - pos);
        pos = bar + 1;
    }
    return Entry{fields.value(0), fields.value(1), fields.value(2)};
}

std::optional<Entry> parseRosterLine(const QString& line)
{
    QString text = line;
    text.chop(CMyTool::LineEndLength(text));
    const std::optional<QStringList> f = RosterFormat::split(text, RosterFormat::Payroll);
    if (!f) {
        return std::nullopt;
    }
    return Entry{f->value(0), f->value(1), f->value(2)};
}

bool passesRosterCheck(const QString& line, const CheckReporter& report)
{
    QString text = line;
    text.chop(CMyTool::LineEndLength(text));
    const std::optional<QStringList> f = RosterFormat::split(text, RosterFormat::Payroll);
    if (!f) {
        return report.fail(QString());
    }
    PayrollRosterEntry entry = RosterFormat::payrollFrom(*f);
    return CheckRosterEntry(entry, report);
}

QString workbookPath(const QString& chosen)
{
    if (chosen.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive)) {
        return chosen;
    }
    if (chosen.endsWith(QLatin1String(".xls"), Qt::CaseInsensitive)) {
        return chosen.left(chosen.size() - 4) + QLatin1String(".xlsx");
    }
    return chosen + QLatin1String(".xlsx");
}

} // namespace BatchLine
