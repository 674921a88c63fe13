#pragma once

#include "common/core/FieldCheck.h"

#include <QString>

// Records of the roster files.
struct InterbankAccount // kuahangacc.txt
{
    QString account;
    QString name;
    QString bankName;
    QString bankCode;
};

struct InBankAccount // hangneiacc.txt
{
    QString account;
    QString name;
};

struct PayrollRosterEntry // 代发工资.txt and the roster files of further groups
{
    QString account;
    QString name;
    QString amount;
    QString remark;
};

struct RosterGroup // group.txt
{
    QString name;
};

// Record checks. Each trims the record's fields in place (and completes an accepted amount),
// reports the first failure through the reporter and returns whether the record is accepted.
bool CheckInterbankAccount(InterbankAccount& rec, const CheckReporter& report);
bool CheckInBankAccount(InBankAccount& rec, const CheckReporter& report);
bool CheckRosterEntry(PayrollRosterEntry& rec, const CheckReporter& report);
