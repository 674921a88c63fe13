#include "ScriptedDialogs.h"
#include "TestEnv.h"
#include "app/CKXPTApp.h"
#include "app/CMainFrame.h"
#include "app/SingleInstance.h"
#include "common/ScreenSwitch.h"
#include "common/Ui.h"
#include "lookup/core/BankCodeTable.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLockFile>
#include <QMenuBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// The host name as QLockFile writes it into a marker (on Windows the COMPUTERNAME, which need not
// be the host name that QSysInfo gives).
QByteArray markerHost()
{
    QTemporaryDir dir;
    QLockFile probe(dir.filePath(QStringLiteral("probe.lock")));
    qint64 pid = 0;
    QString host;
    QString app;
    const bool read = probe.tryLock(0) && probe.getLockInfo(&pid, &host, &app);
    Q_ASSERT(read);
    return read ? host.toUtf8() : QByteArray();
}

} // namespace

class TestMainFrame : public QObject
{
    Q_OBJECT
private slots:
    void titleSizeAndPlace();
    void menuAndAboutBox();
    void exitConfirmation();
    void splitterBarIsPaintedAndFixed();
    void standardButtonsAreChinese();
    void secondInstanceIsRefused();
    void markerOfCrashedRunIsFree();
    void markerThatNamesNoRunningCopyIsFree_data();
    void markerThatNamesNoRunningCopyIsFree();
    void markerThatCannotBeMadeDoesNotBlock();
    void markerIsKeptPerUser();
    void codeListMessageComesBeforeTheBooks();

private:
    static QAction* action(CMainFrame& frame, const QString& text)
    {
        const auto actions = frame.menuBar()->findChildren<QAction*>();
        for (QAction* a : actions) {
            if (a->text() == text) {
                return a;
            }
        }
        return nullptr;
    }
};

void TestMainFrame::titleSizeAndPlace()
{
    CMainFrame frame(new QWidget, new QWidget);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QCOMPARE(frame.windowTitle(), QStringLiteral("欢迎使用岱溪银行跨行代发助手"));
    QTRY_COMPARE(frame.frameGeometry(), QRect(50, 50, 905, 660));
    frame.resize(300, 200);
    frame.move(400, 300);
    QTRY_COMPARE(frame.frameGeometry().size(), QSize(905, 660));
    QVERIFY(!(frame.windowFlags() & Qt::WindowMaximizeButtonHint));
}

void TestMainFrame::menuAndAboutBox()
{
    CMainFrame frame(new QWidget, new QWidget);
    const auto menus = frame.menuBar()->actions();
    QCOMPARE(menus.size(), 2);
    QCOMPARE(menus.at(0)->text(), QStringLiteral("文件(&F)"));
    QCOMPARE(menus.at(1)->text(), QStringLiteral("帮助(&H)"));
    QVERIFY(action(frame, QStringLiteral("退出(&X)")));
    QAction* about = action(frame, QStringLiteral("关于岱溪银行跨行代发助手(&A)..."));
    QVERIFY(about);

    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        QVERIFY(dlg);
        QCOMPARE(dlg->windowTitle(), QStringLiteral("关于岱溪银行跨行代发助手"));
        seen = true;
        QTest::mouseClick(dlg->findChild<QPushButton*>(QStringLiteral("确定")), Qt::LeftButton);
    });
    about->trigger();
    QVERIFY(seen);
}

void TestMainFrame::exitConfirmation()
{
    ScriptedDialogs dialogs;
    CMainFrame frame(new QWidget, new QWidget);
    frame.show();
    dialogs.expect(QStringLiteral("确定退出批量和代发工具？"), Msg::Cancel, QStringLiteral("退出程序"));
    QVERIFY(!frame.close());
    QVERIFY(frame.isVisible());
    QCOMPARE(dialogs.messages.last().buttons, int(Msg::Ok | Msg::Cancel));

    dialogs.expect(QStringLiteral("确定退出批量和代发工具？"), Msg::Ok, QStringLiteral("退出程序"));
    action(frame, QStringLiteral("退出(&X)"))->trigger();
    QVERIFY(!frame.isVisible());

    // A check before the confirmation can keep the program open.
    CMainFrame second(new QWidget, new QWidget);
    second.show();
    second.setBeforeExit([] { return false; });
    QVERIFY(!second.close());
    VERIFY_DIALOGS_DONE(dialogs);
}

void TestMainFrame::splitterBarIsPaintedAndFixed()
{
    auto* left = new QWidget;
    auto* right = new QWidget;
    Ui::setDialogBackground(left);
    Ui::setDialogBackground(right);
    CMainFrame frame(left, right);
    frame.show();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QCOMPARE(left->width(), 100);
    QCOMPARE(right->x(), 106);
    QWidget* splitter = frame.centralWidget();
    const QImage img = splitter->grab().toImage();
    const int y = img.height() / 2;
    QCOMPARE(QColor(img.pixel(101, y)), QColor(238, 238, 238));
    QCOMPARE(QColor(img.pixel(104, y)), QColor(196, 0, 1));
    // Dragging the bar moves nothing.
    QTest::mousePress(splitter, Qt::LeftButton, {}, QPoint(103, y));
    QTest::mouseMove(splitter, QPoint(300, y));
    QTest::mouseRelease(splitter, Qt::LeftButton, {}, QPoint(300, y));
    QCOMPARE(left->width(), 100);
    QCOMPARE(splitter->cursor().shape(), Qt::ArrowCursor);
}

void TestMainFrame::standardButtonsAreChinese()
{
    CKXPTApp::installTranslations();
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("是(&Y)"));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
}

void TestMainFrame::secondInstanceIsRefused()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("instance.lock");
    SingleInstance first(path);
    QVERIFY(CKXPTApp::claimInstance(first));
    ScriptedDialogs dialogs;
    dialogs.expect(QStringLiteral("客户端已经启动"), Msg::Ok, QStringLiteral("DXBK-TOOL"));
    SingleInstance second(path);
    QVERIFY(!CKXPTApp::claimInstance(second));
    VERIFY_DIALOGS_DONE(dialogs);
}

void TestMainFrame::markerOfCrashedRunIsFree()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("instance.lock");
    // A marker left by a process that no longer runs (pids are far below this on Linux).
    QFile marker(path);
    QVERIFY(marker.open(QIODevice::WriteOnly));
    marker.write("4194303\n" + QCoreApplication::applicationName().toUtf8() + "\n" + markerHost() + "\n");
    marker.close();
    SingleInstance next(path);
    QVERIFY(next.acquire());
}

void TestMainFrame::markerThatNamesNoRunningCopyIsFree_data()
{
    QTest::addColumn<QByteArray>("contents");
    // Left by a power cut between creating the marker and writing it, or damaged since.
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("garbage") << QByteArray("\xff\xfe not a marker");
    QTest::newRow("half a number") << QByteArray("42");
    // A process number that some other program has taken over since.
    QTest::newRow("another program") << "1\n" + QByteArray("init") + "\n" + markerHost() + "\n";
}

void TestMainFrame::markerThatNamesNoRunningCopyIsFree()
{
    QFETCH(QByteArray, contents);
    QTemporaryDir dir;
    const QString path = dir.filePath("instance.lock");
    QFile marker(path);
    QVERIFY(marker.open(QIODevice::WriteOnly));
    marker.write(contents);
    marker.close();
    SingleInstance next(path);
    QVERIFY(next.acquire());
    // And the copy that now runs blocks the next one as it should.
    SingleInstance second(path);
    QVERIFY(!second.acquire());
}

void TestMainFrame::markerThatCannotBeMadeDoesNotBlock()
{
    // A folder that cannot take the marker (here a file stands where the folder would be): no
    // other copy is running, so the program starts.
    QTemporaryDir dir;
    QFile file(dir.filePath("file"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    SingleInstance next(dir.filePath("file/instance.lock"));
    QVERIFY(next.acquire());
}

void TestMainFrame::markerIsKeptPerUser()
{
    const QString path = SingleInstance::defaultLockPath();
#ifdef Q_OS_WIN
    // Every user has a temporary folder of their own, in the profile; the one that all users
    // share is the system's.
    const QString userDir = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    QVERIFY(QFileInfo(userDir).absoluteFilePath().startsWith(QDir::homePath() + QLatin1Char('/')));
    const QString sharedDir = QDir::fromNativeSeparators(qEnvironmentVariable("SystemRoot")) + QStringLiteral("/Temp");
    QVERIFY(QDir().mkpath(sharedDir));
#else
    const QString userDir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    const QString sharedDir = QDir::tempPath();
#endif
    QVERIFY(!userDir.isEmpty());
    QCOMPARE(QFileInfo(path).absolutePath(), QFileInfo(userDir).absoluteFilePath());
    QVERIFY(QFileInfo(path).absolutePath() != QFileInfo(sharedDir).absoluteFilePath());
    // A copy another user runs, whose marker sits in the shared temporary folder as it once did,
    // does not block this user's copy.
    QLockFile shared(QDir(sharedDir).filePath(QFileInfo(path).fileName()));
    shared.setStaleLockTime(0);
    QVERIFY(shared.tryLock(0));
    SingleInstance mine;
    QVERIFY(mine.acquire());
}

void TestMainFrame::codeListMessageComesBeforeTheBooks()
{
    TestEnv env; // no BankNo.txt
    env.write("hangneiacc.txt", gbk(QStringLiteral("|123|短账号||\r\n|1234567890|甲公司||\r\n")));
    env.write("kuahangacc.txt", gbk(QStringLiteral("6222020200000001|王珅|||||104306114010|\r\n")));
    // A fresh run: an empty table that has shown no message yet.
    BankCodeTable::loadFrom(env.path("BankNo.txt"));
    BankCodeTable::resetMessageFlagForTests();
    ScriptedDialogs dialogs;
    dialogs.expect(QStringLiteral("打开联行号文件失败，请将联行号文件放在工具可执行程序目录中"));
    dialogs.expect(QStringLiteral("请保证付款账号长度至少为10位"));
    dialogs.expect(QStringLiteral("请输入开户行"));
    std::unique_ptr<CMainFrame> frame = CKXPTApp::createMainFrame();
    VERIFY_DIALOGS_DONE(dialogs);
    ScreenSwitch::setTargets(nullptr, nullptr);
}

QTEST_MAIN(TestMainFrame)
#include "tst_mainframe.moc"
