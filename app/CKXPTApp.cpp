#include "app/CKXPTApp.h"

#include "app/CMainFrame.h"
#include "app/SingleInstance.h"
#include "common/AppInfo.h"
#include "common/Dialogs.h"
#include "common/Ui.h"
#include "payroll/CDAIFADlg.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

void CKXPTApp::installTranslations()
{
    // Standard buttons read 是/否/确定/取消.
    auto* qtTranslator = new QTranslator(qApp);
    if (qtTranslator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
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

int CKXPTApp::run(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(AppInfo::appTitle());
    installTranslations();

    SingleInstance instance;
    if (!claimInstance(instance)) {
        return 0;
    }

    auto* navigation = new QWidget;
    Ui::setDialogBackground(navigation);
    auto* payroll = new CDAIFADlg;
    CMainFrame frame(navigation, payroll);
    frame.show();
    return app.exec();
}
