#include "app/CKXPTApp.h"

#include "app/CKXPTView.h"
#include "app/CMainFrame.h"
#include "app/CSubView.h"
#include "app/SingleInstance.h"
#include "common/Dialogs.h"
#include "common/ScreenSwitch.h"
#include "common/core/AppInfo.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

void CKXPTApp::installTranslations()
{
    // Standard buttons read 是/否/确定/取消.
    auto* qtTranslator = new QTranslator(qApp);
    if (qtTranslator->load(QStringLiteral("qtbase_zh_CN"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(qtTranslator);
    }
}

bool CKXPTApp::claimInstance(SingleInstance& instance)
{
    if (instance.acquire()) {
        return true;
    }
    Msg::show(nullptr, QStringLiteral("客户端已经启动"));
    return false;
}

std::unique_ptr<CMainFrame> CKXPTApp::createMainFrame()
{
    auto* navigation = new CKXPTView;
    auto* host = new CSubView;
    auto frame = std::make_unique<CMainFrame>(navigation, host);
    ScreenSwitch::setTargets(host, navigation);
    frame->setBeforeExit([host] { return host->confirmExit(); });
    return frame;
}

int CKXPTApp::run(int argc, char** argv, AppInfo::Edition edition)
{
    AppInfo::setEdition(edition);
    QApplication app(argc, argv);
    QApplication::setApplicationName(AppInfo::appTitle());
    // One type size for the main window and every dialog it opens (dialogs are windows of their
    // own and would otherwise take the desktop's larger default).
    QFont font = QApplication::font();
    font.setPointSize(9);
    QApplication::setFont(font);
    installTranslations();

    SingleInstance instance;
    if (!claimInstance(instance)) {
        return 0;
    }

    std::unique_ptr<CMainFrame> frame = createMainFrame();
    frame->show();
    return app.exec();
}
