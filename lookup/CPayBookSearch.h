#pragma once

#include "lookup/RosterPicker.h"

// "行内账户选择": picks an account from hangneiacc.txt for the batch screen.
class CPayBookSearch : public RosterPicker
{
    Q_OBJECT
public:
    explicit CPayBookSearch(QWidget* parent = nullptr);

    QString account() const { return resultAt(0); }
    QString name() const { return resultAt(1); }
};
