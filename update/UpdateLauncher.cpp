#include "update/UpdateLauncher.h"

#include "common/CMyTool.h"
#include "common/Clock.h"

#include <QFile>

namespace UpdateLauncher {

bool updatedToday()
{
    QFile ini(CMyTool::DataFilePath(QStringLiteral("dxbk-tool.ini")));
    if (!ini.open(QIODevice::ReadOnly)) {
        return false;
    }
    return ini.read(8) == Clock::today().toString(QStringLiteral("yyyyMMdd")).toLatin1();
}

void run(QWidget*) {}

} // namespace UpdateLauncher
