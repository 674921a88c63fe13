#pragma once

#include "common/core/FieldCheck.h"
#include "common/core/ImportLayout.h"
#include "common/core/OrderReview.h"
#include "common/core/SpreadsheetReader.h"
#include "common/core/SpreadsheetRows.h"
#include "common/core/TextImportFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

// One line of the interbank payroll order; the list holds it as a row of seven texts.
struct PayrollLine
{
    QString seq;
    QString account;
    QString name;
    QString bankName;
    QString routingCode;
    QString amount;
    QString purpose;

    QStringList toRow() const { return {seq, account, name, bankName, routingCode, amount, purpose}; }
    static PayrollLine fromRow(const QStringList& r)
    {
        return {r.value(0), r.value(1), r.value(2), r.value(3), r.value(4), r.value(5), r.value(6)};
    }
};

// The checks a payroll line passes before it joins the order, typed or imported, in the order
// the payroll screen runs them. Each field is trimmed in place as its check runs (the bank name
// is taken as typed) and an accepted amount is completed; fields after the first failure are left
// as they were.
namespace PayrollCheck {

struct Entry
{
    QString account;
    QString name;
    QString bankName;
    QString routingCode;
    QString amount;
    QString purpose;
};
bool check(Entry& entry, const CheckReporter& report);

} // namespace PayrollCheck

namespace PayrollExport {

constexpr int MaxLines = 200;

QString header();
// The export file: header line, CR LF, data lines separated by CR LF, no line end after the last.
QByteArray build(const QVector<PayrollLine>& lines);
// "跨行代发-%Y%m%d.txt" for today.
QString defaultFileName();

} // namespace PayrollExport

namespace PayrollImport {

struct Fields
{
    QString routingCode;
    QString account;
    QString name;
    QString amount;
    QString purpose;
};

// One decoded line of an import file (line end included or not). Two layouts are read: the
// export's, with ten commas, and the older one of nine terminated fields whose rest is ignored.
// Fields 3, 4, 5, 6 and 8 are taken. nullopt, a format error, when the fields cannot be told
// apart for certain: fewer than nine or more than ten commas; 日期 holding anything but empty
// or a date (20201231, 2020-12-31, 2020/12/31, 2020.12.31), where a comma in the purpose
// moved its tail; a 收款人地址 that holds the rest of a split amount ("1,500.00" read as 1 and
// 500.00, "1500,50" as 1500 and 50). No line may come in with another amount or purpose than the
// file holds. why, when given, tells the clerk what was wrong.
std::optional<Fields> parse(QString line, QString* why = nullptr);
// A first line is a payment unless the layout's header rule takes it for a header.
bool looksLikeData(const QString& line);

} // namespace PayrollImport

// The lines of a payroll order as an import reads them, from a text file in the export layout or
// from a workbook in the bank's layout: the one reading that the payroll screen and the
// command-line companion share.
//
// Text: the first line is the header and is skipped, unless it holds a payment; a line that cannot
// be decoded or told apart is a format error, which ends the import (the line counts as read).
// Workbook (active sheet): columns A to F are account, name, bank name, routing code, amount and
// purpose (ImportLayout::payrollWorkbook); a sheet marked as the bank's template ("JIAMBZ" in A1) has
// its lines from row 13, any other from the first row used; empty rows are skipped; a cell the
// layout cannot take ends the import.
//
// Either way the first line or row read is skipped when the layout's header rule takes it for one.
class PayrollSource
{
public:
    explicit PayrollSource(TextImportFile& file);
    explicit PayrollSource(const SpreadsheetReader& workbook);

    // A sheet marked as the bank's template that has fewer than 13 rows: nothing is read from it
    // ("文件格式错误，导入失败").
    bool templateTooShort() const { return m_tooShort; }

    struct Item
    {
        enum Type
        {
            Line,        // a line to check and take
            Refused,     // a text line passed over unread (problem), the import goes on
            FormatError, // a text line not in the layout
            NotText,     // a workbook cell that holds something other than text
            End
        };
        Type type;
        int location; // the line of the file, or the row of the sheet
        PayrollCheck::Entry entry;
        TextImportFile::Problem problem = TextImportFile::Problem::None;
        // FormatError: what is wrong with the line; NotText: the cell and why, "第5行E列：..."
        QString detail = QString();
    };
    Item next();
    // Lines or rows with a value after the last item handed out: what a limit leaves unread.
    int remaining() const;

private:
    TextImportFile* m_file = nullptr;
    std::optional<SpreadsheetRows::Reader> m_rows;
    int m_location = 0;
    bool m_tooShort = false;
    bool m_stopped = false; // at a cell that is not taken: nothing after it is read
};

// A payroll file read whole as the payroll screen's import reads it (a workbook known by its
// content, anything else a text file in the import layout): the command-line companion's input
// and the previous order a review compares with.
namespace PayrollFile {

struct Problem
{
    int line;   // the line of the file, or the row of the sheet
    int number; // the line's number among the lines read, as the screen counts it (0: none)
    QString message;
};

struct Reading
{
    std::optional<QString> unreadable; // what keeps the file from being read at all
    QVector<PayrollLine> lines;        // the accepted lines, numbered from 1
    QVector<int> locations;            // the line of the file (row of the sheet) of each
    QList<Problem> problems;
    bool stopped = false; // the reading ended early: a format error, a cell not text, the limit

    QStringList amounts() const;
};

// limit: stop at the screen's 200 lines.
Reading read(const QString& path, bool limit);

} // namespace PayrollFile

// The review of a payroll order before it goes to the bank.
namespace PayrollReview {

// The order's lines, numbered by numbers (by their 序号 when none are given).
QVector<OrderReview::Line> linesOf(const QVector<PayrollLine>& lines, const QVector<int>& numbers = {});
// Routing codes are checked, against BankNo.txt's names when codeList (the whole list is in the
// table); payees against kuahangacc.txt.
OrderReview::Knowledge knowledge(const QVector<OrderReview::Line>& order, bool codeList);
// The lines of the previous order the clerk names (an exported file); the message when it cannot
// be read.
std::optional<QString> readPrevious(const QString& path, OrderReview::Previous* previous);

} // namespace PayrollReview
