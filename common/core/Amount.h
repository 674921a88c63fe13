#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Amount checks shared by every screen that takes an amount.
namespace Amount {

// Longest integer part (leading zeros aside) that the amount field lets an operator type.
constexpr int MaxIntegerDigits = 13;

enum class Problem
{
    None,
    Empty,
    Format,
    Zero
};

// Checks an amount text that has already been trimmed. On success canonical holds the amount as it
// is stored: leading zeros removed and completed to two decimals (007.5 -> 7.50).
Problem check(const QString& text, QString* canonical);

// The amount in fen; nullopt for a text that is not a checked amount.
std::optional<qint64> toFen(const QString& text);
QString fenToText(qint64 fen);

// Footer of a list: number of lines and the exact sum of their amounts.
struct Totals
{
    QString count;
    QString sum;
};
Totals listTotals(const QStringList& amounts);

} // namespace Amount
