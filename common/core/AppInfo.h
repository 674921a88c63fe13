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
// Posted window messages keep the numbers the screens have always used.
constexpr QEvent::Type WM_SWITCHSCREEN = static_cast<QEvent::Type>(1143);
constexpr QEvent::Type WM_AMOUNTKEYREJECTED = static_cast<QEvent::Type>(25000);

} // namespace AppInfo
