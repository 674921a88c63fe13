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
    // "A 收款人账号  B 收款人名称 ...", as a workbook holds the columns.
    QString workbookColumns() const;
    // "序号,业务序号,..." for ','; "|收款人账户|收款人名称|金额|" for '|', each field closed.
    QString textColumns(QChar separator) const;

    // The workbook layouts by the names `dxbk-cli template` takes: payroll, batch, roster.
    static QStringList workbookNames();
    static const ImportLayout* workbook(const QString& name);
    // Every layout an import reads, one line each: the name, where it is read, the columns. The
    // command-line help and the README list these lines.
    static QStringList listing();
    // An empty workbook for the layout: the header row, every column formatted as text, which the
    // imports read back as a header and nothing else. error says why it could not be written.
    bool writeTemplate(const QString& path, QString* error = nullptr) const;
    // A first row whose account and amount hold no digit (and whose amount is no amount) is a
    // header, skipped without a word; any other first row is data, checked like the rest.
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
