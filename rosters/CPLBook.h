#pragma once

#include "rosters/AccountBook.h"

// The in-bank account book: the accounts held at the bank, kept in hangneiacc.txt.
class CPLBook : public AccountBook
{
    Q_OBJECT
public:
    explicit CPLBook(QWidget* parent = nullptr);
};
