#pragma once

#include "common/core/SpreadsheetSheet.h"

#include <QStringList>

// Why a workbook could not be read.
enum class SpreadsheetError
{
    None,
    CannotOpen,     // the file is missing or cannot be read
    NotSpreadsheet, // readable, but not a workbook (a text file, another office document)
    Damaged,        // a workbook format whose content is broken or truncated
    Encrypted,      // protected by a password to open
    TooLarge,       // more cells, text or data than the program takes from one workbook
};

// What the readers take from a workbook: the names of its sheets in tab order, which one is
// active, and the cells of that one.
struct SpreadsheetBook
{
    QStringList sheetNames;
    int activeSheet = 0;
    SpreadsheetSheet sheet;
};
