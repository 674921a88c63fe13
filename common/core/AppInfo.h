#pragma once

#include <QEvent>
#include <QString>

// Texts and message numbers shared by every screen.
namespace AppInfo {

inline QString appTitle()
{
    return QStringLiteral("DXBK-TOOL");
}
inline QString mainWindowTitle()
{
    return QStringLiteral("欢迎使用岱溪银行跨行代发助手");
}
inline QString productName()
{
    return QStringLiteral("岱溪银行跨行代发助手");
}
// The standard edition offers the payroll screen and the account books; the full edition also
// offers every function the program carries (the in-bank batch transfer, the payroll roster with
// its groups, the spreadsheet imports, the printed reports, the routing-code download). Each
// executable fixes its edition in its main(), before any screen exists.
enum class Edition
{
    Standard,
    Full
};
Edition edition();
void setEdition(Edition e);
inline bool fullEdition()
{
    return edition() == Edition::Full;
}
// "1.0 版" or "1.0 版（完整版）".
inline QString versionText()
{
    return fullEdition() ? QStringLiteral("1.0 版（完整版）") : QStringLiteral("1.0 版");
}

// Posted window messages keep the numbers the screens have always used.
constexpr QEvent::Type WM_SWITCHSCREEN = static_cast<QEvent::Type>(1143);
constexpr QEvent::Type WM_AMOUNTKEYREJECTED = static_cast<QEvent::Type>(25000);

} // namespace AppInfo
