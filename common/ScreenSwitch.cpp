#include "common/ScreenSwitch.h"

#include <QCoreApplication>
#include <QPointer>

namespace {
QPointer<QObject> g_host;
QPointer<QObject> g_navigation;
} // namespace

namespace ScreenSwitch {

void setTargets(QObject* host, QObject* navigation)
{
    g_host = host;
    g_navigation = navigation;
}

QObject* host()
{
    return g_host;
}
QObject* navigation()
{
    return g_navigation;
}

void postToHost(int code, int mode)
{
    if (g_host) {
        QCoreApplication::postEvent(g_host, new SwitchScreenEvent(code, mode));
    }
}

void postToNavigation(int code, int mode)
{
    if (g_navigation) {
        QCoreApplication::postEvent(g_navigation, new SwitchScreenEvent(code, mode));
    }
}

} // namespace ScreenSwitch
