#include "app/CMainFrame.h"

#include "app/CAboutDlg.h"
#include "app/CMySplitter.h"
#include "common/Dialogs.h"
#include "common/Pictures.h"
#include "common/core/AppInfo.h"

#include <QCloseEvent>
#include <QMenuBar>
#include <QTimer>

CMainFrame::CMainFrame(QWidget* navigationView, QWidget* screenHost)
    : QMainWindow(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                               Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                               Qt::CustomizeWindowHint),
      m_navigation(navigationView), m_host(screenHost), m_splitter(new CMySplitter(this))
{
    setObjectName(QStringLiteral("CMainFrame"));
    setWindowTitle(AppInfo::mainWindowTitle());
    // The screens are laid out for the small dialog font of the operators' desktops.
    QFont font;
    font.setFamilies(
        {QStringLiteral("Microsoft YaHei"), QStringLiteral("Noto Sans CJK SC"), QStringLiteral("SimSun")});
    font.setPointSize(9);
    setFont(font);
    setWindowIcon(QIcon(Pictures::appIcon()));

    QMenu* file = menuBar()->addMenu(QStringLiteral("文件(&F)"));
    QAction* exit = file->addAction(QStringLiteral("退出(&X)"));
    exit->setObjectName(QStringLiteral("退出(&X)"));
    connect(exit, &QAction::triggered, this, &QWidget::close);
    QMenu* help = menuBar()->addMenu(QStringLiteral("帮助(&H)"));
    QAction* about = help->addAction(QStringLiteral("关于岱溪银行跨行代发助手(&A)..."));
    about->setObjectName(QStringLiteral("关于岱溪银行跨行代发助手(&A)..."));
    connect(about, &QAction::triggered, this, &CMainFrame::showAbout);

    m_splitter->setPanes(navigationView, screenHost);
    setCentralWidget(m_splitter);
    keepPlace();
}

void CMainFrame::showAbout()
{
    CAboutDlg dlg(this);
    dlg.exec();
}

void CMainFrame::keepPlace()
{
    // The frame always returns to (50, 50) with an outer size of 905 x 660.
    if (m_placing) {
        return;
    }
    m_placing = true;
    const QRect frame = frameGeometry();
    const QRect inner = geometry();
    const int extraW = frame.width() - inner.width();
    const int extraH = frame.height() - inner.height();
    setFixedSize(OuterWidth - extraW, OuterHeight - extraH);
    move(Left, Top);
    m_placing = false;
}

void CMainFrame::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    // The window manager adds its frame only once the window is shown.
    QTimer::singleShot(0, this, &CMainFrame::keepPlace);
}

void CMainFrame::resizeEvent(QResizeEvent* e)
{
    QMainWindow::resizeEvent(e);
    keepPlace();
}

void CMainFrame::closeEvent(QCloseEvent* e)
{
    if (m_beforeExit && !m_beforeExit()) {
        e->ignore();
        return;
    }
    if (Msg::show(this, QStringLiteral("确定退出批量和代发工具？"), QStringLiteral("退出程序"),
                  Msg::Ok | Msg::Cancel, Msg::Icon::Question) != Msg::Ok) {
        e->ignore();
        return;
    }
    e->accept();
}
