#pragma once

#include "common/core/FieldCheck.h"
#include "common/core/OrderReview.h"

#include <QString>
#include <QStringList>
#include <optional>

// One line of the in-bank batch order: sequence number, payee account, payee name, amount.
namespace BatchLine {

constexpr int MaxLines = 1000;

struct Entry
{
    QString account;
    QString name;
    QString amount;
};
// The checks of a batch line, typed or imported, in the order the batch screen runs them; each
// field is trimmed in place as its check runs and an accepted amount is completed.
bool check(Entry& entry, const CheckReporter& report);

// One decoded line of a batch text file, its line end still in it: "|" account "|" name "|"
// amount "|". nullopt on a format error (no leading "|", or a field not closed by "|").
std::optional<Entry> parseTextLine(const QString& line);
// One decoded line of a payroll roster file (a group's roster): its account, name and standing
// amount. nullopt on a format error (the roster layout's).
std::optional<Entry> parseRosterLine(const QString& line);
// Whether the payroll roster screen shows such a line (its record check, reporting its failure):
// a line a group hides from the clerk is never imported.
bool passesRosterCheck(const QString& line, const CheckReporter& report);

// The export is an .xlsx workbook, and spreadsheet programs go by the name: a name chosen as
// ".xls" becomes ".xlsx", a name without ".xlsx" gets it.
QString workbookPath(const QString& chosen);

} // namespace BatchLine

// The review of an in-bank order before it is exported.
namespace BatchReview {

// Rows of the list: 序号, account, name, amount.
QVector<OrderReview::Line> linesOf(const QVector<QStringList>& rows);
// Payees against hangneiacc.txt; an in-bank order has no routing codes.
OrderReview::Knowledge knowledge(const QVector<OrderReview::Line>& order);
// The lines of an order exported before (the workbook 导出Excel writes: a header row, then
// account, name and amount from row 2); the message when it cannot be read.
std::optional<QString> readPrevious(const QString& path, OrderReview::Previous* previous);

} // namespace BatchReview
