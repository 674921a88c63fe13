#include "ScriptedDialogs.h"
#include "TestEnv.h"
#include "app/CFormDlg.h"
#include "app/CKXPTApp.h"
#include "app/CKXPTView.h"
#include "app/CMainFrame.h"
#include "app/CSubView.h"
#include "app/CWelcomDlg.h"
#include "batch/CPILIANGDlg.h"
#include "common/CMyEditCtrl.h"
#include "common/RowList.h"
#include "common/ScreenSwitch.h"
#include "lookup/core/BankCodeTable.h"
#include "payroll/CDAIFADlg.h"
#include "rosters/CDFBook.h"
#include "rosters/CPLBookDlg.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {
enum Nav
{
    Payroll,
    Books,
    Batch,
    BatchPayroll,
    Deduct
};
}

class TestScreenHost : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startsOnWelcome();
    void payrollFromWelcomeAsksNothing();
    void cancelKeepsScreenLinesAndButton();
    void noDropsTheLines();
    void yesWithCancelledSaveBehavesLikeCancel();
    void yesWithSavedFileSwitches();
    void exitReturnsToWelcome();
    void reloadCodeLeavesScreenAndBarAlone();
    void batchScreenIsAskedFirst();
    void batchCodeAsksOnlyThePayrollScreen();
    void rosterModes();
    void closingWithUnsavedLinesAsksFirst();
    void screenshots();

private:
    CSubView* host() const { return static_cast<CSubView*>(m_frame->screenHost()); }
    CFormDlg* bar() const { return static_cast<CKXPTView*>(m_frame->navigationView())->navigationBar(); }
    CDAIFADlg* payroll() const { return host()->payroll(); }
    RowList* lines() const { return payroll()->findChild<RowList*>(QStringLiteral("代发明细")); }
    QString barState() const
    {
        QString s;
        for (int i = 0; i < 5; ++i) {
            s += bar()->button(i)->isEnabled() ? '1' : '0';
        }
        return s;
    }
    void clickNav(int index) { QTest::mouseClick(bar()->button(index), Qt::LeftButton); }
    void settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }
    void addPayrollLine(const QString& name = QStringLiteral("张三"))
    {
        QTest::mouseClick(payroll()->findChild<QPushButton*>(QStringLiteral("新增")), Qt::LeftButton);
        payroll()->findChild<CMyEditCtrl*>(QStringLiteral("收款人账号"))->setText("6222020200012345");
        payroll()->findChild<CMyEditCtrl*>(QStringLiteral("收款人名称"))->setText(name);
        payroll()->findChild<CMyEditCtrl*>(QStringLiteral("联行号"))->setText("104306114010");
        payroll()->findChild<CMyEditCtrl*>(QStringLiteral("金额"))->setText("1500");
        QTest::mouseClick(payroll()->findChild<QPushButton*>(QStringLiteral("确定")), Qt::LeftButton);
    }
    void addBatchLine()
    {
        QWidget* batch = host()->batch();
        QTest::mouseClick(batch->findChild<QPushButton*>(QStringLiteral("新增")), Qt::LeftButton);
        batch->findChild<CMyEditCtrl*>(QStringLiteral("收款人账户"))->setText("1234567890");
        batch->findChild<CMyEditCtrl*>(QStringLiteral("收款人名称"))->setText(QStringLiteral("甲公司"));
        batch->findChild<CMyEditCtrl*>(QStringLiteral("金额"))->setText("10");
        QTest::mouseClick(batch->findChild<QPushButton*>(QStringLiteral("确定")), Qt::LeftButton);
        QVERIFY(host()->batch()->unsaved());
    }
    void openPayrollWithLine()
    {
        clickNav(Payroll);
        QTRY_VERIFY(payroll()->isVisible());
        addPayrollLine();
        QVERIFY(payroll()->unsaved());
    }

    TestEnv* m_env = nullptr;
    ScriptedDialogs* m_dialogs = nullptr;
    std::unique_ptr<CMainFrame> m_frame;
};

void TestScreenHost::init()
{
    m_env = new TestEnv;
    m_env->write("BankNo.txt", gbk(QStringLiteral("104306114010|中国银行海安支行|\r\n")));
    m_dialogs = new ScriptedDialogs;
    m_frame = CKXPTApp::createMainFrame();
    m_frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
}

void TestScreenHost::cleanup()
{
    QVERIFY2(m_dialogs->done(), qPrintable(m_dialogs->pending()));
    m_frame->setBeforeExit([] { return true; });
    m_frame.reset();
    ScreenSwitch::setTargets(nullptr, nullptr);
    delete m_dialogs;
    delete m_env;
}

void TestScreenHost::startsOnWelcome()
{
    QVERIFY(host()->welcome()->isVisible());
    QVERIFY(!payroll()->isVisible());
    QVERIFY(!host()->books()->isVisible());
    QCOMPARE(barState(), QStringLiteral("11111"));
    QCOMPARE(host()->currentCode(), 0);
    QVERIFY(bar()->button(Payroll)->isVisible());
    QVERIFY(bar()->button(Books)->isVisible());
    for (int hidden : {Batch, BatchPayroll, Deduct}) {
        QVERIFY(!bar()->button(hidden)->isVisible());
    }
    QCOMPARE(bar()->button(Payroll)->size(), QSize(68, 74));
    QCOMPARE(bar()->button(Deduct)->size(), QSize(64, 64));
}

void TestScreenHost::payrollFromWelcomeAsksNothing()
{
    clickNav(Payroll);
    QTRY_VERIFY(payroll()->isVisible());
    QVERIFY(!host()->welcome()->isVisible());
    QCOMPARE(barState(), QStringLiteral("01111"));
    QCOMPARE(host()->currentCode(), 2);
    QCOMPARE(m_dialogs->messages.size(), 0);
}

void TestScreenHost::cancelKeepsScreenLinesAndButton()
{
    openPayrollWithLine();
    m_dialogs->expect(QStringLiteral("信息尚未保存，是否导出保存?"), Msg::Cancel,
                      QStringLiteral("代发/批量提现"));
    clickNav(Books);
    QTRY_VERIFY(m_dialogs->done());
    settle();
    QVERIFY(payroll()->isVisible());
    QVERIFY(!host()->books()->isVisible());
    QCOMPARE(lines()->count(), 1);
    QVERIFY(payroll()->unsaved());
    QTRY_COMPARE(barState(), QStringLiteral("01111"));
    QCOMPARE(m_dialogs->messages.last().buttons, int(Msg::Yes | Msg::No | Msg::Cancel));
}

void TestScreenHost::noDropsTheLines()
{
    openPayrollWithLine();
    m_dialogs->expect(QStringLiteral("信息尚未保存，是否导出保存?"), Msg::No,
                      QStringLiteral("代发/批量提现"));
    clickNav(Books);
    QTRY_VERIFY(host()->books()->isVisible());
    QVERIFY(!payroll()->isVisible());
    QCOMPARE(barState(), QStringLiteral("10111"));
    QCOMPARE(host()->currentCode(), 3);
    clickNav(Payroll);
    QTRY_VERIFY(payroll()->isVisible());
    QCOMPARE(lines()->count(), 0);
    QCOMPARE(payroll()->findChild<QLabel*>(QStringLiteral("总笔数"))->text(), QStringLiteral("0"));
    QCOMPARE(payroll()->findChild<QLabel*>(QStringLiteral("总金额"))->text(), QStringLiteral("0.00"));
}

void TestScreenHost::yesWithCancelledSaveBehavesLikeCancel()
{
    openPayrollWithLine();
    m_dialogs->expect(QStringLiteral("信息尚未保存，是否导出保存?"), Msg::Yes);
    m_dialogs->expectFile(QString());
    clickNav(Books);
    QTRY_VERIFY(m_dialogs->done());
    settle();
    QVERIFY(payroll()->isVisible());
    QCOMPARE(lines()->count(), 1);
    QVERIFY(payroll()->unsaved());
    QTRY_COMPARE(barState(), QStringLiteral("01111"));
}

void TestScreenHost::yesWithSavedFileSwitches()
{
    openPayrollWithLine();
    m_dialogs->expect(QStringLiteral("信息尚未保存，是否导出保存?"), Msg::Yes);
    m_dialogs->expectFile(m_env->path("saved.txt"));
    m_dialogs->expect(QStringLiteral("保存成功"));
    clickNav(Books);
    QTRY_VERIFY(host()->books()->isVisible());
    QVERIFY(m_env->read("saved.txt").contains(gbk(QStringLiteral("张三"))));
    QCOMPARE(lines()->count(), 0);
}

void TestScreenHost::exitReturnsToWelcome()
{
    openPayrollWithLine();
    m_dialogs->expect(QStringLiteral("信息尚未保存，是否导出保存?"), Msg::No);
    QTest::mouseClick(payroll()->findChild<QPushButton*>(QStringLiteral("退出")), Qt::LeftButton);
    QTRY_VERIFY(host()->welcome()->isVisible());
    QVERIFY(!payroll()->isVisible());
    QTRY_COMPARE(barState(), QStringLiteral("11111"));
    QCOMPARE(host()->currentCode(), 2); // the welcome screen does not change it
}

void TestScreenHost::reloadCodeLeavesScreenAndBarAlone()
{
    QCOMPARE(BankCodeTable::size(), 1);
    clickNav(Payroll);
    QTRY_VERIFY(payroll()->isVisible());
    m_env->write(
        "BankNo.txt",
        gbk(QStringLiteral("104306114010|中国银行海安支行|\r\n105306114019|中国建设银行海安支行|\r\n")));
    ScreenSwitch::postToHost(ScreenSwitch::ReloadBankCodes);
    QTRY_COMPARE(BankCodeTable::size(), 2);
    QVERIFY(payroll()->isVisible());
    QCOMPARE(barState(), QStringLiteral("01111"));
    QCOMPARE(host()->currentCode(), 2);
    m_env->write("BankNo.txt", gbk(QStringLiteral("104306114010|中国银行海安支行|\r\n")));
    ScreenSwitch::postToHost(ScreenSwitch::ReloadBankCodes);
    QTRY_COMPARE(BankCodeTable::size(), 1);
}

void TestScreenHost::batchScreenIsAskedFirst()
{
    openPayrollWithLine();
    addBatchLine();
    m_dialogs->expect(QStringLiteral("信息尚未保存，是否导出保存?"), Msg::No, QStringLiteral("批量转账"));
    clickNav(Books);
    QTRY_VERIFY(host()->books()->isVisible());
    QCOMPARE(m_dialogs->messages.size(), 1); // at most one question
    QVERIFY(!payroll()->unsaved());
    QVERIFY(!host()->batch()->unsaved());
}

void TestScreenHost::batchCodeAsksOnlyThePayrollScreen()
{
    openPayrollWithLine();
    m_dialogs->expect(QStringLiteral("信息尚未保存，是否导出保存?"), Msg::No,
                      QStringLiteral("代发/批量提现"));
    ScreenSwitch::postToHost(ScreenSwitch::BatchScreen);
    QTRY_VERIFY(host()->batch()->isVisible());
    QVERIFY(!payroll()->isVisible());
    QCOMPARE(host()->currentCode(), 0);
    QCOMPARE(lines()->count(), 0);

    // Leaving for the welcome screen asks nothing, even with unsaved lines.
    addBatchLine();
    ScreenSwitch::postToHost(ScreenSwitch::Welcome);
    QTRY_VERIFY(host()->welcome()->isVisible());
    // Code 0 asks only the payroll screen, never the batch screen, and starts it empty.
    ScreenSwitch::postToHost(ScreenSwitch::BatchScreen);
    QTRY_VERIFY(host()->batch()->isVisible());
    QVERIFY(!host()->batch()->unsaved());
    QCOMPARE(host()->batch()->lineCount(), 0);
}

void TestScreenHost::rosterModes()
{
    clickNav(Payroll);
    QTRY_VERIFY(payroll()->isVisible());
    m_env->write(QStringLiteral("代发工资.txt"),
                 gbk(QStringLiteral("6222020200012345|没有前导竖线|1|||\r\n")));
    m_dialogs->expect(QStringLiteral("导入代发账户文件格式错误"));
    ScreenSwitch::postToHost(ScreenSwitch::AccountBooks, ScreenSwitch::PayrollRoster);
    QTRY_VERIFY(m_dialogs->done());
    settle();
    QVERIFY(payroll()->isVisible()); // a failed load changes nothing
    QCOMPARE(host()->currentCode(), 2);

    m_dialogs->expect(QStringLiteral("导入代发账户文件格式错误"));
    ScreenSwitch::postToHost(ScreenSwitch::AccountBooks, ScreenSwitch::PreparedPayrollRoster);
    QTRY_VERIFY(host()->books()->isVisible()); // falls back to the account books
    QVERIFY(!host()->roster()->isVisible());
    QCOMPARE(host()->currentCode(), 2);

    m_env->write(QStringLiteral("代发工资.txt"), gbk(QStringLiteral("|6222020200012345|张三|1|||\r\n")));
    ScreenSwitch::postToHost(ScreenSwitch::AccountBooks, ScreenSwitch::PayrollRoster);
    QTRY_VERIFY(host()->roster()->isVisible());
    QTRY_COMPARE(barState(), QStringLiteral("10111"));
    QCOMPARE(host()->currentCode(), 3);
    QCOMPARE(host()->roster()->document().rowCount(), 1);

    // Its picture button leads to the account books.
    QTest::mouseClick(host()->roster()->findChild<QAbstractButton*>(QStringLiteral("批量转账账户名册")),
                      Qt::LeftButton);
    QTRY_VERIFY(host()->books()->isVisible());
}

void TestScreenHost::closingWithUnsavedLinesAsksFirst()
{
    openPayrollWithLine();
    m_dialogs->expect(QStringLiteral("信息尚未保存，是否导出保存?"), Msg::Cancel,
                      QStringLiteral("代发/批量提现"));
    QVERIFY(!m_frame->close());
    QVERIFY(m_frame->isVisible());

    m_dialogs->expect(QStringLiteral("信息尚未保存，是否导出保存?"), Msg::Yes);
    m_dialogs->expectFile(QString()); // the export is cancelled: stay
    QVERIFY(!m_frame->close());

    // Unsaved batch lines are asked about first, with the batch screen's caption.
    addBatchLine();
    m_dialogs->expect(QStringLiteral("信息尚未保存，是否导出保存?"), Msg::Cancel, QStringLiteral("批量转账"));
    QVERIFY(!m_frame->close());

    m_dialogs->expect(QStringLiteral("信息尚未保存，是否导出保存?"), Msg::No, QStringLiteral("批量转账"));
    m_dialogs->expect(QStringLiteral("信息尚未保存，是否导出保存?"), Msg::No,
                      QStringLiteral("代发/批量提现"));
    m_dialogs->expect(QStringLiteral("确定退出批量和代发工具？"), Msg::Ok, QStringLiteral("退出程序"));
    QVERIFY(m_frame->close());
}

void TestScreenHost::screenshots()
{
    const QString dir = QStringLiteral(DXBK_BUILD_DIR "/screenshots");
    QDir().mkpath(dir);
    QVERIFY(m_frame->grab().save(dir + "/welcome.png"));

    clickNav(Payroll);
    QTRY_VERIFY(payroll()->isVisible());
    const QString header = QStringLiteral(
        "序号,业务序号,收款人行号,收款人账号,收款人姓名,金额,收款人地址,附言,日期,流水号,接收行行号");
    const QString text =
        header + QStringLiteral("\r\n1,,104306114010,6222020200012345,王珅,8500.00,,十二月工资,,,"
                                "\r\n2,,103100000026,6228480010012345678,李晓梅,7200.50,,十二月工资,,,"
                                "\r\n3,,105306114019,6217001820001234567,赵弢,12000,,年终奖,,,");
    m_env->write("order.txt", gbk(text));
    m_dialogs->expectFile(m_env->path("order.txt"));
    m_dialogs->expect(QStringLiteral("总共导入3条信息\r\n成功导入3条信息"));
    QTest::mouseClick(payroll()->findChild<QPushButton*>(QStringLiteral("导入文本")), Qt::LeftButton);
    QCOMPARE(lines()->count(), 3);
    settle();
    QVERIFY(m_frame->grab().save(dir + "/payroll.png"));

    m_dialogs->expect(QStringLiteral("信息尚未保存，是否导出保存?"), Msg::No);
    m_env->write("hangneiacc.txt", gbk(QStringLiteral("|32010001000123456|海安岱溪商贸有限公司||\r\n"
                                                      "|32010001000654321|南通弢远建材有限公司||\r\n")));
    m_env->write("kuahangacc.txt",
                 gbk(QStringLiteral("6222020200012345|王珅||中国银行海安支行|||104306114010|\r\n"
                                    "6228480010012345678|李晓梅||中国农业银行海安支行|||103306114012|\r\n")));
    clickNav(Books);
    QTRY_VERIFY(host()->books()->isVisible());
    settle();
    QVERIFY(m_frame->grab().save(dir + "/books-inbank.png"));
    host()->books()->SelectSecondBook();
    settle();
    QVERIFY(m_frame->grab().save(dir + "/books-interbank.png"));

    ScreenSwitch::postToHost(ScreenSwitch::BatchScreen);
    QTRY_VERIFY(host()->batch()->isVisible());
    addBatchLine();
    settle();
    QVERIFY(m_frame->grab().save(dir + "/batch.png"));

    m_dialogs->expect(QStringLiteral("信息尚未保存，是否导出保存?"), Msg::No);
    m_env->write(QStringLiteral("代发工资.txt"),
                 gbk(QStringLiteral("|6222020200012345|王珅|8500.00|十二月||\r\n")));
    ScreenSwitch::postToHost(ScreenSwitch::AccountBooks, ScreenSwitch::PayrollRoster);
    QTRY_VERIFY(host()->roster()->isVisible());
    settle();
    QVERIFY(m_frame->grab().save(dir + "/payroll-roster.png"));
}

QTEST_MAIN(TestScreenHost)
#include "tst_screenhost.moc"
