#include "batch/core/BatchLine.h"

#include "common/core/CMyTool.h"
#include "common/core/SpreadsheetReader.h"
#include "common/core/SpreadsheetRows.h"
#include "rosters/core/RosterDocument.h"
#include "rosters/core/RosterFormat.h"

#include <QFileInfo>

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

namespace BatchReview {

QVector<OrderReview::Line> linesOf(const QVector<QStringList>& rows)
{
    QVector<OrderReview::Line> out;
    for (const QStringList& r : rows) {
        out.append({r.value(0).toInt(), r.value(1), r.value(2), QString(), QString(), r.value(3)});
    }
    return out;
}

OrderReview::Knowledge knowledge(const QVector<OrderReview::Line>& order)
{
    OrderReview::Knowledge k;
    k.rosterFile = QStringLiteral("hangneiacc.txt");
    k.rosterNames = RosterDocument::namesByAccount(RosterDocument::Kind::InBank, k.rosterFile,
                                                   OrderReview::accountsOf(order));
    return k;
}

std::optional<QString> readPrevious(const QString& path, OrderReview::Previous* previous)
{
    SpreadsheetReader reader;
    if (!reader.open(path)) {
        return reader.error() == SpreadsheetError::CannotOpen
                   ? QStringLiteral("文件读取失败：%1").arg(QFileInfo(path).fileName())
                   : QStringLiteral("文件格式错误，导入失败");
    }
    SpreadsheetRows::Reader rows(reader, ImportLayout::batch(), reader.usedRange().firstRow);
    while (const auto next = rows.next()) {
        const auto& [r, row] = *next;
        BatchLine::Entry e = row.refusal.isEmpty()
                                 ? BatchLine::Entry{row.texts.at(0), row.texts.at(1), row.texts.at(2)}
                                 : BatchLine::Entry();
        if (!row.refusal.isEmpty() || !BatchLine::check(e, CheckReporter(RecordCheckMode::Silent))) {
            ++previous->unread;
            continue;
        }
        previous->lines.append({r, e.account, e.name, QString(), QString(), e.amount});
    }
    return std::nullopt;
}

} // namespace BatchReview
