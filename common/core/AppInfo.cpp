#include "common/core/AppInfo.h"

namespace {
AppInfo::Edition g_edition = AppInfo::Edition::Standard;
}

namespace AppInfo {

Edition edition()
{
    return g_edition;
}

void setEdition(Edition e)
{
    g_edition = e;
}

} // namespace AppInfo
