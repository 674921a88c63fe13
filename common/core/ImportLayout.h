#pragma once

#include "common/core/SpreadsheetCell.h"

#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

// The columns of each import, declared once: the readers take their cells by it, and the
// first-row rule asks it which columns are the account and the amount.
struct ImportColumn
{
    enum class Kind
    {
        Text,
        Digits, // an account or a routing code
        Amount
    };
    QString caption;
    Kind kind = Kind::Text;
};

struct ImportLayout
{
    QVector<ImportColumn> columns;
    int accountColumn = 0; // 0-based; with the amount column they decide the first-row rule
    int amountColumn = 0;

    // The payroll workbook: columns A to F.
    static const ImportLayout& payrollWorkbook();
    // The payroll text file, the export's own layout.
    static const ImportLayout& payrollText();
    // The batch workbook (A to C) and text file ("|" fields).
    static const ImportLayout& batch();
    // The payroll roster screen's workbook: A to D.
    static const ImportLayout& roster();

    QStringList captions() const;
    // A first row whose account is not digits and whose amount is not an amount is a header, skipped
    // without a word; any other first row is data, checked like the rest.
    bool isHeader(const QStringList& fields) const;

    // The text a cell gives to its column; nullopt with the reason (shown after the cell's row and
    // column) when the import cannot take it. A number is taken in an amount column as the shortest
    // decimal that reads back as it (the amount check then holds it to two decimals), and in a digits
    // column when it is a whole number of at most 15 digits, which a double holds exactly.
    static std::optional<QString> cellText(const SpreadsheetCell& cell, ImportColumn::Kind kind,
                                           QString* reason);
    // "第5行E列"
    static QString cellName(int row, int column);
};
