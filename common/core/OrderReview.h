#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <optional>

// The review of a whole order before it is exported: what no check of a single line can see
// (the same payee twice, a file imported twice), what the program already knows (the routing-code
// list, the payee roster) and what last month's order held. Findings warn; they never refuse a
// line. The payroll and batch screens and the command-line companion all review through here.
namespace OrderReview {

// One line of the order as it is exported, with the number the clerk knows it by (the list's
// 序号, or the line of the file).
struct Line
{
    int number = 0;
    QString account;
    QString name;
    QString bankName;    // as typed on the line; empty when the order has none
    QString routingCode; // empty for an in-bank order
    QString amount;      // a checked amount ("1500.00")
};

struct Finding
{
    enum class Kind
    {
        Count,
        Total,
        PreviousUnread,
        Duplicate,
        RoutingCodeForm,
        RoutingCodeUnknown,
        BankNameDiffers,
        CardCheckDigit,
        RosterName,
        NewPayee,
        AccountChanged,
        NameChanged,
        RoutingCodeChanged,
        AmountChanged,
        MissingPayee
    };
    Kind kind;
    QVector<int> lines;   // numbers of the order's lines it concerns, in order; none for a total
    int previousLine = 0; // the line of the previous order it concerns, if any
    QString text;
};

// What the program knows beside the order.
struct Knowledge
{
    bool routingCodes = false; // the order routes by code (interbank): its codes are checked
    // BankNo.txt's name of a code; unset when the whole list is not at hand.
    std::function<std::optional<QString>(const QString& code)> bankNameOf;
    QString rosterFile; // "kuahangacc.txt" or "hangneiacc.txt"
    // The roster's names of each account (only the accounts of the order are needed).
    QHash<QString, QStringList> rosterNames;
};

// The count and total the payroll system handed over, when the clerk gives them.
struct Expected
{
    std::optional<int> count;
    std::optional<qint64> totalFen;
};

struct Previous
{
    QVector<Line> lines; // numbered by their line in that file
    int unread = 0;      // lines of that file that could not be taken
    int changePercent = 30;
};

constexpr int DefaultChangePercent = 30;

// The control totals alone: a finding for a count, and one for a total, that differ.
QVector<Finding> controlTotals(const QVector<Line>& order, const Expected& expected);
QVector<Finding> review(const QVector<Line>& order, const Knowledge& known, const Expected& expected = {},
                        const Previous* previous = nullptr);

// A UnionPay card number: 16 to 19 digits beginning with 62. Company accounts have no check digit.
bool isUnionPayCard(const QString& account);
bool luhnValid(const QString& digits);

// "3、15、27": the line numbers as the dialog and the texts name them.
QString lineList(const QVector<int>& lines);

// The accounts of the order, for reading only what matters of a large roster.
QStringList accountsOf(const QVector<Line>& order);

} // namespace OrderReview
