#pragma once

#include "lookup/RosterPicker.h"

// "收款账户选择": picks a payee from kuahangacc.txt for the payroll screen.
class CGetBookSearch : public RosterPicker
{
    Q_OBJECT
public:
    explicit CGetBookSearch(QWidget* parent = nullptr);

    QString account() const { return resultAt(0); }
    QString name() const { return resultAt(1); }
    QString bankName() const { return resultAt(2); }
    QString code() const { return resultAt(3); }
};
