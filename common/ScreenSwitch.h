#pragma once

#include "common/core/AppInfo.h"

#include <QEvent>
#include <QObject>

// WM_SWITCHSCREEN: the one posted message that switches screens. Screens never call each other;
// they post this to the screen host and the navigation view that the main window registers.
class SwitchScreenEvent : public QEvent
{
public:
    SwitchScreenEvent(int code, int mode) : QEvent(AppInfo::WM_SWITCHSCREEN), m_code(code), m_mode(mode) {}
    int code() const { return m_code; }
    int mode() const { return m_mode; }

private:
    int m_code;
    int m_mode;
};

namespace ScreenSwitch {

enum Code
{
    BatchScreen = 0,
    PayrollScreen = 2,
    AccountBooks = 3,
    ReloadBankCodes = 4,
    Welcome = 5
};
enum RosterMode
{
    BooksHost = 0,
    PayrollRoster = 1,
    PreparedPayrollRoster = 2
};

void setTargets(QObject* host, QObject* navigation);
QObject* host();
QObject* navigation();

// Posts the message; a missing target loses it, as a message posted to no window would be.
void postToHost(int code, int mode = 0);
void postToNavigation(int code, int mode = 0);

} // namespace ScreenSwitch
