#include "ModalDriver.h"
#include "ReviewDriver.h"
#include "ScriptedDialogs.h"
#include "TestCertificates.h"
#include "TestEnv.h"
#include "TlsTestServer.h"
#include "app/CAboutDlg.h"
#include "app/CFormDlg.h"
#include "app/CKXPTApp.h"
#include "app/CKXPTView.h"
#include "app/CMainFrame.h"
#include "app/CSubView.h"
#include "batch/CPILIANGDlg.h"
#include "common/CMyEditCtrl.h"
#include "common/RowList.h"
#include "common/ScreenSwitch.h"
#include "common/core/SpreadsheetReader.h"
#include "lookup/core/BankCodeTable.h"
#include "payroll/CDAIFADlg.h"
#include "print/CPreParent.h"
#include "rosters/CDFBook.h"
#include "rosters/CGROUPDlg.h"
#include "rosters/CNewGroupDlg.h"
#include "rosters/CPLBook2.h"
#include "rosters/CPLBookDlg.h"
#include "update/CUpdateDlg.h"
#include "update/UpdateNetwork.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
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

// Every control the standard edition creates hidden, by screen and caption.
struct Extra
{
    const char* screen;
    const char* caption;
};
const Extra kExtras[] = {
    {"导航", "行内批量转账"},
    {"导航", "行内代发工资"},
    {"跨行代发工资", "导入Excel"},
    {"跨行代发工资", "打印"},
    {"跨行代发工资", "打开代发账户名册"},
    {"行内批量转账", "导入文本"},
    {"行内批量转账", "打印"},
    {"行内批量转账", "导入名册"},
    {"收款人名册", "批量转账账户名册"},
    {"收款人名册", "代发账户名册"},
    {"跨行账户名册", "导入友好账号"},
    {"跨行账户名册", "导出友好账号"},
    {"跨行账户名册", "更新"},
    {"代发账户名册", "打开组列表"},
    {"代发账户名册", "导入Excel"},
};

QString summary(int read, int imported)
{
    return QStringLiteral("总共导入%1条信息\r\n成功导入%2条信息").arg(read).arg(imported);
}
} // namespace

// The full edition: every function the program carries, offered on its screens and driven through
// the controls the operator sees.
class TestFullEdition : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void standardEditionCreatesTheExtrasHidden();
    void fullEditionShowsTheExtrasInPlace();
    void monthOfInBankPayrollFromAGroupRoster();
    void payrollOrderFromAWorkbook();
    void printPreviewToPdf();
    void routingCodeDownload();
    void screenshots();

private:
    void open(AppInfo::Edition edition);
    CSubView* host() const { return static_cast<CSubView*>(m_frame->screenHost()); }
    CFormDlg* bar() const { return static_cast<CKXPTView*>(m_frame->navigationView())->navigationBar(); }
    void clickNav(int index) { QTest::mouseClick(bar()->button(index), Qt::LeftButton); }
    QWidget* screen(const QString& name) const
    {
        if (name == QStringLiteral("导航")) {
            return bar();
        }
        if (name == QStringLiteral("跨行代发工资")) {
            return host()->payroll();
        }
        if (name == QStringLiteral("行内批量转账")) {
            return host()->batch();
        }
        if (name == QStringLiteral("收款人名册")) {
            return host()->books();
        }
        if (name == QStringLiteral("跨行账户名册")) {
            return host()->books()->interbankBook();
        }
        return host()->roster();
    }
    static void click(QWidget* w, const QString& caption)
    {
        auto* b = w->findChild<QAbstractButton*>(caption);
        QVERIFY2(b, qPrintable(caption));
        QVERIFY2(b->isVisible() && b->isEnabled(), qPrintable(caption));
        QTest::mouseClick(b, Qt::LeftButton);
    }
    static void fill(QWidget* w, const QString& field, const QString& text)
    {
        auto* f = w->findChild<CMyEditCtrl*>(field);
        QVERIFY2(f, qPrintable(field));
        f->setText(text);
    }
    void settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    TestEnv* m_env = nullptr;
    ScriptedDialogs* m_dialogs = nullptr;
    std::unique_ptr<CMainFrame> m_frame;
};

void TestFullEdition::init()
{
    m_env = new TestEnv;
    m_env->write("BankNo.txt", gbk(QStringLiteral("104306114010|中国银行海安支行|\r\n")));
    m_env->write("hangneiacc.txt", gbk(QStringLiteral("|32010001000123456|海安岱溪商贸有限公司||\r\n")));
    m_env->write("kuahangacc.txt",
                 gbk(QStringLiteral("6222020200012345678|王珅||中国银行海安支行|||104306114010|\r\n")));
    BankCodeTable::reload();
    m_dialogs = new ScriptedDialogs;
}

void TestFullEdition::open(AppInfo::Edition edition)
{
    AppInfo::setEdition(edition);
    m_frame = CKXPTApp::createMainFrame();
    m_frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
}

void TestFullEdition::cleanup()
{
    QVERIFY2(m_dialogs->done(), qPrintable(m_dialogs->pending()));
    if (m_frame) {
        m_frame->setBeforeExit([] { return true; });
        m_frame.reset();
    }
    ScreenSwitch::setTargets(nullptr, nullptr);
    AppInfo::setEdition(AppInfo::Edition::Standard);
    CPreParent::setPrinterFactory({});
    BankCodeUpdate::setDefaultSourceForTests(std::nullopt);
    delete m_dialogs;
    delete m_env;
}

void TestFullEdition::standardEditionCreatesTheExtrasHidden()
{
    open(AppInfo::Edition::Standard);
    for (const Extra& e : kExtras) {
        QWidget* s = screen(QString::fromUtf8(e.screen));
        QVERIFY2(s, e.screen);
        auto* b = s->findChild<QAbstractButton*>(QString::fromUtf8(e.caption));
        QVERIFY2(b, e.caption);
        QVERIFY2(b->isHidden(), e.caption);
    }
    QVERIFY(bar()->button(Deduct)->isHidden());
    CGROUPDlg groups;
    for (const char* caption : {"新建组", "更改组", "删除组"}) {
        QVERIFY2(groups.findChild<QPushButton*>(QString::fromUtf8(caption))->isHidden(), caption);
    }
    CAboutDlg about;
    QVERIFY(
        about.findChild<QLabel*>(QStringLiteral("版本信息"))->text().contains(QStringLiteral(" 1.0 版\n")));
}

void TestFullEdition::fullEditionShowsTheExtrasInPlace()
{
    open(AppInfo::Edition::Full);
    // Every screen once shown, so that its layout is laid out.
    clickNav(Payroll);
    QTRY_VERIFY(host()->payroll()->isVisible());
    for (const Extra& e : kExtras) {
        QWidget* s = screen(QString::fromUtf8(e.screen));
        auto* b = s->findChild<QAbstractButton*>(QString::fromUtf8(e.caption));
        QVERIFY2(b && !b->isHidden(), e.caption);
    }
    QVERIFY(bar()->button(Deduct)->isHidden()); // it has no action
    // Nothing overlaps or leaves its screen in the fixed window.
    const auto checkScreen = [](QWidget* w) {
        QList<QWidget*> buttons;
        for (QAbstractButton* b : w->findChildren<QAbstractButton*>()) {
            if (b->isVisibleTo(w)) {
                buttons << b;
                const QRect r(b->mapTo(w, QPoint(0, 0)), b->size());
                QVERIFY2(w->rect().contains(r), qPrintable(w->objectName() + "/" + b->objectName()));
            }
        }
        for (int i = 0; i < buttons.size(); ++i) {
            for (int j = i + 1; j < buttons.size(); ++j) {
                const QRect a(buttons[i]->mapTo(w, QPoint(0, 0)), buttons[i]->size());
                const QRect b(buttons[j]->mapTo(w, QPoint(0, 0)), buttons[j]->size());
                QVERIFY2(!a.intersects(b), qPrintable(w->objectName() + ": " + buttons[i]->objectName() +
                                                      " / " + buttons[j]->objectName()));
            }
        }
    };
    checkScreen(host()->payroll());
    ScreenSwitch::postToHost(ScreenSwitch::BatchScreen);
    QTRY_VERIFY(host()->batch()->isVisible());
    checkScreen(host()->batch());
    clickNav(Books);
    QTRY_VERIFY(host()->books()->isVisible());
    checkScreen(host()->books());
    host()->books()->SelectSecondBook();
    checkScreen(host()->books()->interbankBook());
    checkScreen(bar());
    // The About box names the edition.
    CAboutDlg about;
    QVERIFY(about.findChild<QLabel*>(QStringLiteral("版本信息"))
                ->text()
                .contains(QStringLiteral("1.0 版（完整版）")));
}

void TestFullEdition::monthOfInBankPayrollFromAGroupRoster()
{
    open(AppInfo::Edition::Full);
    // The payroll roster, through the account books' picture button.
    clickNav(Books);
    QTRY_VERIFY(host()->books()->isVisible());
    click(host()->books(), QStringLiteral("代发账户名册"));
    QTRY_VERIFY(host()->roster()->isVisible());
    CDFBook* roster = host()->roster();

    // 打开组列表 → 新建组 "一月工资" → 打开.
    onNextModal([this](QWidget* modal) {
        auto* groups = qobject_cast<CGROUPDlg*>(modal);
        QVERIFY(groups);
        QTimer::singleShot(0, [] {
            auto* name = qobject_cast<CNewGroupDlg*>(QApplication::activeModalWidget());
            QVERIFY(name);
            name->findChild<CMyEditCtrl*>(QStringLiteral("新的组名称"))->setText(QStringLiteral("一月工资"));
            QTest::mouseClick(name->findChild<QPushButton*>(QStringLiteral("确定")), Qt::LeftButton);
        });
        click(groups, QStringLiteral("新建组"));
        auto* list = groups->findChild<RowList*>();
        QCOMPARE(list->text(list->count() - 1, 1), QStringLiteral("一月工资"));
        list->selectRow(list->count() - 1);
        click(groups, QStringLiteral("打开"));
    });
    click(roster, QStringLiteral("打开组列表"));
    QCOMPARE(roster->groupName(), QStringLiteral("一月工资"));
    QCOMPARE(roster->findChild<QLineEdit*>(QStringLiteral("组名称"))->text(), QStringLiteral("一月工资"));
    QVERIFY(m_env->exists(QStringLiteral("一月工资.txt")));

    // The payees of the month with their standing amounts, saved to the group's own file.
    const QStringList payees[] = {{"32010001000123456", QStringLiteral("海安岱溪商贸有限公司"), "8500"},
                                  {"32010001000654321", QStringLiteral("南通弢远建材有限公司"), "7200.5"},
                                  {"32010001000777777", QStringLiteral("海安弢丰物流有限公司"), "12000"}};
    for (const QStringList& p : payees) {
        click(roster, QStringLiteral("新增"));
        fill(roster, QStringLiteral("账号"), p.at(0));
        fill(roster, QStringLiteral("户名"), p.at(1));
        fill(roster, QStringLiteral("金额"), p.at(2));
        click(roster, QStringLiteral("确定"));
    }
    QCOMPARE(m_env->read(QStringLiteral("一月工资.txt")),
             gbk(QStringLiteral("|32010001000123456|海安岱溪商贸有限公司|8500.00|||\r\n"
                                "|32010001000654321|南通弢远建材有限公司|7200.50|||\r\n"
                                "|32010001000777777|海安弢丰物流有限公司|12000.00|||\r\n")));
    QVERIFY(!m_env->exists(QStringLiteral("代发工资.txt"))); // the default group is left alone

    // The batch screen takes the group as its lines.
    clickNav(Batch);
    QTRY_VERIFY(host()->batch()->isVisible());
    CPILIANGDlg* batch = host()->batch();
    onNextModal([](QWidget* modal) {
        auto* groups = qobject_cast<CGROUPDlg*>(modal);
        QVERIFY(groups);
        QVERIFY(groups->findChild<QLabel*>(QStringLiteral("用法"))
                    ->text()
                    .startsWith(QStringLiteral("用户选择需要导入名册")));
        auto* list = groups->findChild<RowList*>();
        list->selectRow(list->count() - 1);
        click(groups, QStringLiteral("打开"));
    });
    m_dialogs->expect(summary(3, 3));
    click(batch, QStringLiteral("导入名册"));
    QCOMPARE(batch->lineCount(), 3);
    QCOMPARE(batch->findChild<QLabel*>(QStringLiteral("总金额"))->text(), QStringLiteral("27700.50"));

    // Exported, and read back with the program's own reader.
    m_dialogs->expectFile(m_env->path("一月.xlsx"));
    m_dialogs->expect(QStringLiteral("导出成功"));
    click(batch, QStringLiteral("导出Excel"));
    SpreadsheetReader reader;
    QVERIFY(reader.open(m_env->path("一月.xlsx")));
    QCOMPARE(reader.usedRange().rowCount, 4);
    QCOMPARE(reader.cell(2, 1).text(), QStringLiteral("32010001000123456"));
    QCOMPARE(reader.cell(3, 2).text(), QStringLiteral("南通弢远建材有限公司"));
    QCOMPARE(reader.cell(4, 3).text(), QStringLiteral("12000.00"));
    QVERIFY(!batch->unsaved());
}

void TestFullEdition::payrollOrderFromAWorkbook()
{
    open(AppInfo::Edition::Full);
    clickNav(Payroll);
    QTRY_VERIFY(host()->payroll()->isVisible());
    CDAIFADlg* payroll = host()->payroll();
    m_dialogs->expectFile(testData("imports/payroll_template.openpyxl.xlsx"));
    m_dialogs->expect(summary(2, 2));
    click(payroll, QStringLiteral("导入Excel"));
    QCOMPARE(payroll->lineCount(), 2);
    QVERIFY(payroll->unsaved());
    m_dialogs->expectFile(m_env->path("order.txt"));
    m_dialogs->expect(QStringLiteral("保存成功"));
    answerReview(QStringLiteral("仍然导出")); // the sample's card numbers are made up
    click(payroll, QStringLiteral("导出文本"));
    QVERIFY(m_env->read("order.txt").startsWith(gbk(QStringLiteral("序号,业务序号,收款人行号"))));
    QCOMPARE(m_env->read("order.txt").count('\n'), 2);
}

void TestFullEdition::printPreviewToPdf()
{
    open(AppInfo::Edition::Full);
    clickNav(Payroll);
    QTRY_VERIFY(host()->payroll()->isVisible());
    CDAIFADlg* payroll = host()->payroll();
    auto* print = payroll->findChild<QPushButton*>(QStringLiteral("打印"));
    QVERIFY(!print->isEnabled()); // no line yet
    const QString header = QStringLiteral(
        "序号,业务序号,收款人行号,收款人账号,收款人姓名,金额,收款人地址,附言,日期,流水号,接收行行号");
    QString text = header;
    for (int i = 1; i <= 35; ++i) {
        text += QStringLiteral("\r\n%1,,104306114010,62220202%2,员工%1,%1.00,,工资,,,")
                    .arg(i)
                    .arg(i, 8, 10, QLatin1Char('0'));
    }
    m_env->write("in.txt", gbk(text));
    m_dialogs->expectFile(m_env->path("in.txt"));
    m_dialogs->expect(summary(35, 35));
    click(payroll, QStringLiteral("导入文本"));
    QVERIFY(print->isEnabled());
    const QString pdf = m_env->path("report.pdf");
    CPreParent::setPrinterFactory([pdf] {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setPageSize(QPageSize(QPageSize::A4));
        printer->setOutputFileName(pdf);
        return printer;
    });
    onNextModal([this](QWidget* modal) {
        auto* preview = qobject_cast<CPreParent*>(modal);
        QVERIFY(preview);
        m_dialogs->expect(QStringLiteral("决定打印当前报表吗?"), Msg::Yes, QStringLiteral("打印提示"));
        preview->findChild<QAction*>(QStringLiteral("print"))->trigger();
        preview->findChild<QAction*>(QStringLiteral("close"))->trigger();
    });
    click(payroll, QStringLiteral("打印"));
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("%PDF"));
    QCOMPARE(int(QString::fromLatin1(bytes).count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?!s)")))),
             2);
}

void TestFullEdition::routingCodeDownload()
{
    if (const char* why = TlsTestServer::cannotRun()) {
        QSKIP(why);
    }
    TestCertificates certs;
    QString error;
    QVERIFY2(certs.generate(&error), qPrintable(error));
    TlsTestServer server(certs.server, certs.serverKey);
    QVERIFY(server.start());
    const QByteArray list =
        gbk(QStringLiteral("104306114010|中国银行海安支行|\r\n105306114019|中国建设银行海安支行|\r\n"));
    server.respond(200, list);
    BankCodeUpdate::UpdateSource source;
    source.baseUrl = server.baseUrl();
    source.extraCaCertificates = {certs.authority};
    BankCodeUpdate::setDefaultSourceForTests(source);

    open(AppInfo::Edition::Full);
    clickNav(Books);
    QTRY_VERIFY(host()->books()->isVisible());
    QTest::mouseClick(host()->books()->findChild<QAbstractButton*>(QStringLiteral("跨行账户名册")),
                      Qt::LeftButton);
    CPLBook2* book = host()->books()->interbankBook();
    QTRY_VERIFY(book->isVisible());
    click(book, QStringLiteral("新增")); // "更新" is offered while an entry is open
    m_dialogs->expect(QStringLiteral("更新成功"));
    QPointer<QWidget> dialog;
    onNextModal([&dialog](QWidget* modal) { dialog = modal; });
    click(book, QStringLiteral("更新"));
    QTRY_COMPARE_WITH_TIMEOUT(m_env->read("BankNo.txt"), list, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isNull() || !dialog->isVisible(), 20000);
    settle();
    QTRY_COMPARE(BankCodeTable::nameOf("105306114019"),
                 std::optional<QString>(QStringLiteral("中国建设银行海安支行")));
    QCOMPARE(server.requests.size(), 1);
}

void TestFullEdition::screenshots()
{
    m_env->write(QStringLiteral("代发工资.txt"),
                 gbk(QStringLiteral("|6222020200012345678|王珅|8500.00|十二月工资||\r\n")));
    open(AppInfo::Edition::Full);
    const QString dir = QStringLiteral(DXBK_BUILD_DIR "/screenshots");
    QDir().mkpath(dir);
    auto save = [&](const QString& name) {
        settle();
        QVERIFY(m_frame->grab().save(dir + QStringLiteral("/full-") + name + QStringLiteral(".png")));
    };
    save(QStringLiteral("welcome"));
    clickNav(Payroll);
    QTRY_VERIFY(host()->payroll()->isVisible());
    m_env->write("in.txt", gbk(QStringLiteral(
                               "序号\r\n1,,104306114010,6222020200012345678,王珅,8500,,十二月工资,,,"
                               "\r\n2,,105306114019,6228480010012345678,李晓梅,7200.50,,十二月工资,,,")));
    m_dialogs->expectFile(m_env->path("in.txt"));
    m_dialogs->expect(summary(2, 2));
    click(host()->payroll(), QStringLiteral("导入文本"));
    save(QStringLiteral("payroll"));
    m_dialogs->expect(QStringLiteral("信息尚未保存，是否导出保存?"), Msg::No);
    clickNav(Batch);
    QTRY_VERIFY(host()->batch()->isVisible());
    click(host()->batch(), QStringLiteral("新增"));
    fill(host()->batch(), QStringLiteral("收款人账户"), "32010001000123456");
    fill(host()->batch(), QStringLiteral("收款人名称"), QStringLiteral("海安岱溪商贸有限公司"));
    fill(host()->batch(), QStringLiteral("金额"), "8500");
    click(host()->batch(), QStringLiteral("确定"));
    save(QStringLiteral("batch"));
    m_dialogs->expect(QStringLiteral("信息尚未保存，是否导出保存?"), Msg::No);
    clickNav(Books);
    QTRY_VERIFY(host()->books()->isVisible());
    save(QStringLiteral("books-inbank"));
    host()->books()->SelectSecondBook();
    save(QStringLiteral("books-interbank"));
    click(host()->books(), QStringLiteral("代发账户名册"));
    QTRY_VERIFY(host()->roster()->isVisible());
    save(QStringLiteral("payroll-roster"));
    CGROUPDlg groups;
    groups.show();
    QVERIFY(QTest::qWaitForWindowExposed(&groups));
    QVERIFY(groups.grab().save(dir + QStringLiteral("/full-groups.png")));
}

QTEST_MAIN(TestFullEdition)
#include "tst_fulledition.moc"
