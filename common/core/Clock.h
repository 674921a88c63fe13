#pragma once

#include <QDate>

// Today's local date, which tests can fix.
namespace Clock {
QDate today();
void setTodayForTests(const QDate& date); // an invalid date restores the system clock
} // namespace Clock
