#include "Faults.h"
#include "PayrollFixture.h"

#include "ModalDriver.h"
#include "common/ScreenSwitch.h"
#include "lookup/core/BankCodeTable.h"

#include <QAction>
#include <QApplication>
#include <QToolButton>

namespace {
const QStringList kControls{"新增",         "导入文本",   "代发明细",   "确定",   "取消",
                            "跨行账户选择", "收款人名称", "收款人账号", "开户行", "联行号",
                            "金额",         "付款用途",   "修改",       "删除",   "导出文本"};
// Enabled pattern per state, in the order of kControls.
const QString kIdle = "111000000000000";
const QString kView = "111000000000111";
const QString kAdding = "000111111111000";
const QString kModifying = "000110111111000";

// A routing-code list in the program directory, read into the table while it lives.
struct CodeList
{
    const QString none;
    explicit CodeList(const TestEnv& env) : none(env.path("none.txt"))
    {
        env.write("BankNo.txt", gbk(QStringLiteral("104306114012|中国银行南通分行|\n"
                                                   "104306114010|中国银行股份有限公司海安支行|\n"
                                                   "104306114011|海安中国银行营业部|\n")));
        BankCodeTable::loadFrom(env.path("BankNo.txt"));
    }
    ~CodeList() { BankCodeTable::loadFrom(none); } // empties the table
};

class SwitchRecorder : public QObject
{
public:
    QList<int> codes;
    bool event(QEvent* e) override
    {
        if (e->type() == AppInfo::WM_SWITCHSCREEN) {
            codes << static_cast<SwitchScreenEvent*>(e)->code();
            return true;
        }
        return QObject::event(e);
    }
};
} // namespace

class TestPayrollScreen : public QObject
{
    Q_OBJECT
private slots:
    void startsIdleWithHiddenButtons();
    void addConfirmModifyCancelStates();
    void validationMessagesInOrder_data();
    void validationMessagesInOrder();
    void fieldsAreTrimmedAndAmountCompleted();
    void limitOf200Lines();
    void deleteRenumbersAndSelects();
    void deletingTheOnlyLineClearsUnsaved();
    void cancelWhileAddingShowsSelectedLineAgain();
    void amountFieldRejectionAndFocusLoss();
    void enterMovesFocusOrConfirms();
    void rememberPayeeReplacesInPlace();
    void rememberPayeeAppendsAfterLastLineWithoutLineEnd();
    void rememberPayeeLeavesRosterAloneWhenMissingOrIncomplete();
    void rememberPayeeReportsFailedWrite_data();
    void rememberPayeeReportsFailedWrite();
    void rememberPayeeKeepsBankNameAsTyped();
    void exitAsksAboutUnsavedLines();
    void payeePickerFillsFourFields();
    void routingCodeLookup_data();
    void routingCodeLookup();
    void routingCodeLookupMovesNothing();
    void hiddenPrintButtonOpensThePreview();
};

void TestPayrollScreen::startsIdleWithHiddenButtons()
{
    PayrollFixture f;
    QCOMPARE(f.enabled(kControls), kIdle);
    QCOMPARE(f.count(), QStringLiteral("0"));
    QCOMPARE(f.total(), QStringLiteral("0.00"));
    QVERIFY(f.button("退出")->isEnabled());
    for (const char* hidden : {"导入Excel", "打印", "打开代发账户名册"}) {
        QVERIFY2(f.button(hidden) && !f.button(hidden)->isVisible(), hidden);
    }
    QVERIFY(!f.screen.unsaved());
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollScreen::addConfirmModifyCancelStates()
{
    PayrollFixture f;
    f.click("新增");
    QCOMPARE(f.enabled(kControls), kAdding);
    f.fill("6222020200012345", QStringLiteral("张三"), QStringLiteral("中国银行"), "104306114010", "1234.5",
           QStringLiteral("工资"));
    QCOMPARE(f.label("大写金额"), QStringLiteral("壹仟贰佰叁拾肆元伍角"));
    f.click("确定");
    QCOMPARE(f.enabled(kControls), kView);
    QCOMPARE(f.row(0),
             (QStringList{"1", "6222020200012345", QStringLiteral("张三"), QStringLiteral("中国银行"),
                          "104306114010", "1234.50", QStringLiteral("工资")}));
    QCOMPARE(f.list()->selectedRow(), 0);
    QVERIFY(f.screen.unsaved());
    QCOMPARE(f.count(), QStringLiteral("1"));
    QCOMPARE(f.total(), QStringLiteral("1234.50"));

    f.click("修改");
    QCOMPARE(f.enabled(kControls), kModifying);
    f.field("金额")->setText("99");
    f.click("取消");
    QCOMPARE(f.enabled(kControls), kView);
    QCOMPARE(f.field("金额")->text(), QStringLiteral("1234.50")); // the line shows again

    f.click("修改");
    f.field("金额")->setText("99");
    f.field("收款人名称")->setText(QStringLiteral("李四"));
    f.click("确定");
    QCOMPARE(f.row(0).at(2), QStringLiteral("李四"));
    QCOMPARE(f.row(0).at(5), QStringLiteral("99.00"));
    QCOMPARE(f.row(0).at(0), QStringLiteral("1"));
    QCOMPARE(f.total(), QStringLiteral("99.00"));
    QCOMPARE(f.list()->count(), 1);

    f.list()->clearRowSelection();
    QCOMPARE(f.field("收款人名称")->text(), QString());
    QCOMPARE(f.enabled(kControls), "111000000000001"); // idle, export still offered
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollScreen::validationMessagesInOrder_data()
{
    QTest::addColumn<QStringList>("fields"); // account, name, bank, code, amount, purpose
    QTest::addColumn<QString>("message");
    const QString acc = "6222020200012345";
    const QString name = QStringLiteral("张三");
    const QString bank = QStringLiteral("中国银行");
    const QString code = "104306114010";
    auto row = [&](const char* tag, QStringList fields, const QString& message) {
        QTest::newRow(tag) << fields << message;
    };
    row("account empty", {"", "", "", "", "", ""}, QStringLiteral("请保证收款账号长度至少为10位"));
    row("account spaces", {"   ", name, bank, code, "1", ""}, QStringLiteral("请保证收款账号长度至少为10位"));
    row("account letter", {"62220202a0", name, bank, code, "1", ""}, QStringLiteral("收款账号请输入数字"));
    row("account 9 digits", {"123456789", name, bank, code, "1", ""},
        QStringLiteral("请保证收款账号长度至少为10位"));
    row("name empty", {acc, " ", bank, code, "1", ""}, QStringLiteral("请输入户名"));
    row("name comma", {acc, QStringLiteral("张,三"), bank, code, "1", ""},
        QStringLiteral("收款人名称中不能含有字符“,”"));
    row("name bar", {acc, QStringLiteral("张|三"), bank, code, "1", ""},
        QStringLiteral("收款人名称中不能含有字符“|”"));
    row("name not gbk", {acc, QStringLiteral("张¥"), bank, code, "1", ""},
        QStringLiteral("收款人名称中含有无法保存的字符"));
    row("bank bar", {acc, name, QStringLiteral("中国|银行"), code, "1", ""},
        QStringLiteral("开户行中不能含有字符“|”"));
    row("bank comma", {acc, name, QStringLiteral("中国,银行"), "", "", ""},
        QStringLiteral("开户行中不能含有字符“,”"));
    row("amount empty", {acc, name, bank, "", "", ""}, QStringLiteral("请输入转账金额"));
    row("amount letters", {acc, name, bank, "", "12a", ""}, QStringLiteral("金额格式错误"));
    row("amount two points", {acc, name, bank, code, "1.2.3", ""}, QStringLiteral("金额格式错误"));
    row("amount three decimals", {acc, name, bank, code, "12.345", ""}, QStringLiteral("金额格式错误"));
    row("amount 14 digits", {acc, name, bank, code, "12345678901234", ""}, QStringLiteral("金额格式错误"));
    row("amount zero", {acc, name, bank, "", "0.0", ""}, QStringLiteral("转账金额不能为0"));
    row("amount .00", {acc, name, bank, "", ".00", ""}, QStringLiteral("转账金额不能为0"));
    row("code empty", {acc, name, "", "  ", "1", ""}, QStringLiteral("请输入行号"));
    row("code bar", {acc, name, bank, "1043|06", "1", ""}, QStringLiteral("联行号中不能含有字符“|”"));
    row("purpose comma", {acc, name, bank, code, "1", QStringLiteral("工资,奖金")},
        QStringLiteral("付款用途中不能含有字符“,”"));
    row("purpose not gbk", {acc, name, bank, code, "1", QStringLiteral("工资😀")},
        QStringLiteral("付款用途中含有无法保存的字符"));
}

void TestPayrollScreen::validationMessagesInOrder()
{
    QFETCH(QStringList, fields);
    QFETCH(QString, message);
    PayrollFixture f;
    f.click("新增");
    f.fill(fields.at(0), fields.at(1), fields.at(2), fields.at(3), fields.at(4), fields.at(5));
    f.dialogs.expect(message, Msg::Ok, "DXBK-TOOL");
    f.click("确定");
    QCOMPARE(f.enabled(kControls), kAdding); // the entry stays open
    QCOMPARE(f.list()->count(), 0);
    QVERIFY(!f.screen.unsaved());
    QCOMPARE(f.dialogs.messages.last().buttons, int(Msg::Ok));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollScreen::fieldsAreTrimmedAndAmountCompleted()
{
    PayrollFixture f;
    f.click("新增");
    // The bank name is taken as typed; the others are trimmed.
    f.fill(" 6222020200012345 ", QStringLiteral(" 张三 "), QStringLiteral(" 中国银行 "), " 104306114010 ",
           " 007.5 ", QStringLiteral(" 工资 "));
    f.click("确定");
    QCOMPARE(f.row(0),
             (QStringList{"1", "6222020200012345", QStringLiteral("张三"), QStringLiteral(" 中国银行 "),
                          "104306114010", "7.50", QStringLiteral("工资")}));
    for (const auto& [typed, stored] :
         {std::pair{"12", "12.00"}, {"12.5", "12.50"}, {"12.", "12.00"}, {".5", "0.50"}}) {
        f.addLine("6222020200012345", QStringLiteral("张三"), typed);
        QCOMPARE(f.column(5).last(), QString(stored));
    }
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollScreen::limitOf200Lines()
{
    PayrollFixture f;
    const QByteArray roster = gbk(QStringLiteral("6222000000000001|王五||中国银行|||104306114010|\r\n"));
    f.env.write("kuahangacc.txt", roster);
    for (int i = 0; i < 200; ++i) {
        f.addLine(QStringLiteral("62220202%1").arg(i, 8, 10, QLatin1Char('0')), QStringLiteral("张三"),
                  "0.01", "", "104306114010");
    }
    QCOMPARE(f.list()->count(), 200);
    QCOMPARE(f.column(0).last(), QStringLiteral("200"));
    QCOMPARE(f.total(), QStringLiteral("2.00"));
    const QByteArray before = f.env.read("kuahangacc.txt");

    f.click("新增");
    f.fill("6222000000000009", QStringLiteral("赵六"), QStringLiteral("中国银行"), "104306114010", "5", "");
    f.dialogs.expect(QStringLiteral("已超过代发工具上限200条!新增失败"));
    f.click("确定");
    QCOMPARE(f.list()->count(), 200);
    QCOMPARE(f.enabled(kControls), kIdle);
    QCOMPARE(f.field("收款人名称")->text(), QString());
    QCOMPARE(f.env.read("kuahangacc.txt"), before);
    QVERIFY(f.screen.unsaved());
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollScreen::deleteRenumbersAndSelects()
{
    PayrollFixture f;
    for (int i = 1; i <= 5; ++i) {
        f.addLine(QStringLiteral("622202020000000%1").arg(i), QStringLiteral("员工%1").arg(i),
                  QString::number(i));
    }
    // Saved first: a deleted line must make the order unsaved again.
    f.dialogs.expectFile(f.env.path("order.txt"));
    f.dialogs.expect(QStringLiteral("保存成功"));
    QVERIFY(f.screen.ExportLines());
    QVERIFY(!f.screen.unsaved());

    f.list()->selectRow(1);
    f.dialogs.expect(QStringLiteral("确认删除此条信息？"), Msg::No, QStringLiteral("删除"));
    f.click("删除");
    QCOMPARE(f.list()->count(), 5);

    f.dialogs.expect(QStringLiteral("确认删除此条信息？"), Msg::Yes, QStringLiteral("删除"));
    f.click("删除");
    QCOMPARE(f.column(0), (QStringList{"1", "2", "3", "4"}));
    QCOMPARE(f.column(2), (QStringList{QStringLiteral("员工1"), QStringLiteral("员工3"),
                                       QStringLiteral("员工4"), QStringLiteral("员工5")}));
    QCOMPARE(f.list()->selectedRow(), 1);
    QCOMPARE(f.field("收款人名称")->text(), QStringLiteral("员工3"));
    QCOMPARE(f.total(), QStringLiteral("13.00"));
    QVERIFY(f.screen.unsaved());
    QCOMPARE(f.enabled(kControls), kView);

    f.list()->selectRow(3);
    f.dialogs.expect(QStringLiteral("确认删除此条信息？"), Msg::Yes, QStringLiteral("删除"));
    f.click("删除");
    QCOMPARE(f.column(0), (QStringList{"1", "2", "3"}));
    QCOMPARE(f.list()->selectedRow(), 2);
    QCOMPARE(f.count(), QStringLiteral("3"));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollScreen::deletingTheOnlyLineClearsUnsaved()
{
    PayrollFixture f;
    f.addLine("6222020200012345");
    QVERIFY(f.screen.unsaved());
    f.dialogs.expect(QStringLiteral("确认删除此条信息？"), Msg::Yes, QStringLiteral("删除"));
    f.click("删除");
    QCOMPARE(f.list()->count(), 0);
    QCOMPARE(f.enabled(kControls), kIdle);
    QCOMPARE(f.count(), QStringLiteral("0"));
    QCOMPARE(f.total(), QStringLiteral("0.00"));
    QVERIFY(!f.screen.unsaved());
    QCOMPARE(f.dialogs.messages.last().buttons, int(Msg::Yes | Msg::No));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollScreen::cancelWhileAddingShowsSelectedLineAgain()
{
    PayrollFixture f;
    f.addLine("6222020200012345", QStringLiteral("张三"), "8");
    f.click("新增");
    QCOMPARE(f.field("收款人名称")->text(), QString());
    f.field("收款人名称")->setText(QStringLiteral("半途"));
    f.click("取消");
    QCOMPARE(f.field("收款人名称")->text(), QStringLiteral("张三"));
    QCOMPARE(f.label("大写金额"), QStringLiteral("捌元"));
    QCOMPARE(f.enabled(kControls), kView);
    QCOMPARE(f.list()->count(), 1);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollScreen::amountFieldRejectionAndFocusLoss()
{
    PayrollFixture f;
    f.click("新增");
    CMyEditCtrl* amount = f.field("金额");
    amount->setFocus();
    QTest::keyClicks(amount, "12");
    f.dialogs.expect(QStringLiteral("金额格式错误"), Msg::Ok, QStringLiteral("错误提示"));
    QTest::keyClick(amount, Qt::Key_Q);
    QTRY_VERIFY(f.dialogs.done());
    QCOMPARE(amount->text(), QStringLiteral("12"));

    amount->setText("000");
    f.field("付款用途")->setFocus(); // focus leaves the amount field
    QCOMPARE(amount->text(), QStringLiteral("0.00"));
    f.fill("6222020200012345", QStringLiteral("张三"), "", "104306114010", amount->text(), "");
    f.dialogs.expect(QStringLiteral("转账金额不能为0"));
    f.click("确定");
    amount->setText("007.5");
    f.field("付款用途")->setFocus();
    amount->setFocus();
    f.field("付款用途")->setFocus();
    QCOMPARE(amount->text(), QStringLiteral("7.5"));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollScreen::enterMovesFocusOrConfirms()
{
    PayrollFixture f;
    f.screen.activateWindow();
    f.click("新增");
    f.fill("6222020200012345", QStringLiteral("张三"), "", "104306114010", "5", "");
    f.field("收款人名称")->setFocus();
    QTest::keyClick(f.field("收款人名称"), Qt::Key_Return);
    QCOMPARE(f.screen.focusWidget(), f.field("收款人账号"));
    QTest::keyClick(f.field("收款人账号"), Qt::Key_Return);
    QCOMPARE(f.screen.focusWidget(), f.field("开户行"));
    QCOMPARE(f.list()->count(), 0);
    f.button("确定")->setFocus();
    QTest::keyClick(f.button("确定"), Qt::Key_Return);
    QCOMPARE(f.list()->count(), 1);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollScreen::rememberPayeeReplacesInPlace()
{
    PayrollFixture f;
    const QByteArray first = gbk(QStringLiteral("6222000000000001|王五||中国银行|||104306114010|\r\n"));
    const QByteArray target = gbk(QStringLiteral("6222020200012345|旧名||旧行|||100000000000|\r\n"));
    const QByteArray odd = gbk(QStringLiteral("|没有账号的行||\r\n"));
    const QByteArray last = gbk(QStringLiteral("6222020200012345|另一条||旧行|||100000000000|"));
    f.env.write("kuahangacc.txt", first + target + odd + last);
    f.addLine("6222020200012345", QStringLiteral("王珅"), "1", QStringLiteral("弢行"), "104306114010");
    const QByteArray record = gbk(QStringLiteral("6222020200012345|王珅||弢行|||104306114010|\r\n"));
    // Every matching line is replaced, also the last one; the others keep their bytes.
    QCOMPARE(f.env.read("kuahangacc.txt"), first + record + odd + record);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollScreen::rememberPayeeAppendsAfterLastLineWithoutLineEnd()
{
    PayrollFixture f;
    const QByteArray existing = gbk(QStringLiteral("6222000000000001|王五||中国银行|||104306114010|"));
    f.env.write("kuahangacc.txt", existing);
    f.addLine("6222020200099999", QStringLiteral("赵六"), "1", QStringLiteral("农业银行"), "103100000026");
    QCOMPARE(f.env.read("kuahangacc.txt"),
             existing + "\r\n" + gbk(QStringLiteral("6222020200099999|赵六||农业银行|||103100000026|\r\n")));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollScreen::rememberPayeeLeavesRosterAloneWhenMissingOrIncomplete()
{
    PayrollFixture f;
    f.addLine("6222020200012345");
    QVERIFY(!f.env.exists("kuahangacc.txt")); // the screen never creates the roster

    const QByteArray roster = gbk(QStringLiteral("6222020200012345|张三||中国银行|||104306114010|\r\n"));
    f.env.write("kuahangacc.txt", roster);
    // An empty bank name would make a record the interbank book refuses: the complete one stays.
    f.addLine("6222020200012345", QStringLiteral("张三"), "1", "", "104306114010");
    QCOMPARE(f.env.read("kuahangacc.txt"), roster);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollScreen::rememberPayeeReportsFailedWrite_data()
{
    Faults::addAllRows();
}

void TestPayrollScreen::rememberPayeeReportsFailedWrite()
{
    QFETCH(Faults::Fault, fault);
    RUN_IN_FAULT_CHILD(fault);
    PayrollFixture f;
    Faults::Injector injector(fault, f.env.dir());
    QVERIFY2(injector.ready(), qPrintable(injector.error()));
    QByteArray roster;
    for (int i = 0; i < 100; ++i) {
        roster += gbk(QStringLiteral("62220000000%1|王五%1||中国银行|||104306114010|\r\n")
                          .arg(i, 5, 10, QLatin1Char('0')));
    }
    f.env.write("kuahangacc.txt", roster);
    const QByteArray added =
        roster + gbk(QStringLiteral("6222020200012345|张三||中国银行海安支行|||104306114010|\r\n"));
    QVERIFY2(injector.inject(added.size()), qPrintable(injector.error()));
    f.dialogs.expect(QStringLiteral("文件保存失败：kuahangacc.txt"));
    f.addLine("6222020200012345");
    QVERIFY2(injector.release(), qPrintable(injector.error()));
    QCOMPARE(f.env.read("kuahangacc.txt"), roster);
    QCOMPARE(Faults::entries(f.env.dir()), QStringList{"kuahangacc.txt"});
    QCOMPARE(f.list()->count(), 1); // the line itself is confirmed
    // Mended, the next line records its payee.
    f.addLine("6222020200012345");
    QCOMPARE(f.env.read("kuahangacc.txt"), added);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollScreen::rememberPayeeKeepsBankNameAsTyped()
{
    PayrollFixture f;
    const QByteArray other = gbk(QStringLiteral("6222000000000001|王五||中国银行|||104306114010|\r\n"));
    f.env.write("kuahangacc.txt", other);
    f.addLine(" 6222020200012345 ", QStringLiteral(" 王珅 "), "1", QStringLiteral(" 中国银行 海安支行 "),
              " 104306114010 ");
    // The line keeps the bank name untrimmed; the roster gets what the line holds.
    QCOMPARE(f.row(0).at(3), QStringLiteral(" 中国银行 海安支行 "));
    QCOMPARE(f.env.read("kuahangacc.txt"),
             other + gbk(QStringLiteral("6222020200012345|王珅|| 中国银行 海安支行 |||104306114010|\r\n")));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollScreen::exitAsksAboutUnsavedLines()
{
    PayrollFixture f;
    SwitchRecorder host;
    SwitchRecorder nav;
    ScreenSwitch::setTargets(&host, &nav);
    f.addLine("6222020200012345");

    f.dialogs.expect(QStringLiteral("信息尚未保存，是否导出保存?"), Msg::Cancel,
                     QStringLiteral("代发/批量提现"));
    f.click("退出");
    QCOMPARE(f.list()->count(), 1);
    QVERIFY(f.screen.isVisible());

    f.dialogs.expect(QStringLiteral("信息尚未保存，是否导出保存?"), Msg::Yes);
    f.dialogs.expectFile(QString()); // save dialog cancelled: stay
    answerReview(QStringLiteral("仍然导出"));
    f.click("退出");
    QCOMPARE(f.list()->count(), 1);
    QVERIFY(f.screen.unsaved());

    f.dialogs.expect(QStringLiteral("信息尚未保存，是否导出保存?"), Msg::No);
    f.click("退出");
    QVERIFY(!f.screen.isVisible());
    QCOMPARE(f.list()->count(), 0);
    QCOMPARE(f.count(), QStringLiteral("0"));
    QCOMPARE(f.total(), QStringLiteral("0.00"));
    QVERIFY(!f.screen.unsaved());
    QTRY_COMPARE(host.codes, QList<int>{5});
    QCOMPARE(nav.codes, QList<int>{5});
    ScreenSwitch::setTargets(nullptr, nullptr);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollScreen::payeePickerFillsFourFields()
{
    PayrollFixture f;
    f.env.write("kuahangacc.txt",
                gbk(QStringLiteral("6222000000000001|王五||中国银行|||104306114010|\r\n"
                                   "6222000000000002|王珅||弢县信用社|||402306100018|\r\n")));
    f.screen.activateWindow();
    QTRY_VERIFY(f.screen.isActiveWindow());
    f.click("新增");
    f.field("金额")->setText("12");
    onNextModal([](QWidget* picker) {
        QCOMPARE(picker->windowTitle(), QStringLiteral("收款账户选择"));
        RowList* list = picker->findChildren<RowList*>().first();
        list->setFocus();
        list->selectRow(0);
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
    });
    f.click("跨行账户选择");
    QCOMPARE(f.field("收款人账号")->text(), QStringLiteral("6222000000000002"));
    QCOMPARE(f.field("收款人名称")->text(), QStringLiteral("王珅"));
    QCOMPARE(f.field("开户行")->text(), QStringLiteral("弢县信用社"));
    QCOMPARE(f.field("联行号")->text(), QStringLiteral("402306100018"));
    QCOMPARE(f.field("金额")->text(), QStringLiteral("12")); // left alone
    f.screen.activateWindow();                               // as when the picker's window has gone
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.field("金额")));

    // Leaving the picker without a pick changes nothing.
    onNextModal(
        [](QWidget* picker) { QTest::mouseClick(picker->findChild<QPushButton*>("退出"), Qt::LeftButton); });
    f.click("跨行账户选择");
    QCOMPARE(f.field("收款人名称")->text(), QStringLiteral("王珅"));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollScreen::routingCodeLookup_data()
{
    // What 联行号 holds when F2 is pressed in it, the lookup's criterion that takes it, and the row
    // taken with Enter after Down pressed downs times. No code: the lookup is left with Esc.
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("criterion");
    QTest::addColumn<int>("downs");
    QTest::addColumn<QString>("code");
    QTest::addColumn<QString>("bank");
    QTest::newRow("bank name") << QStringLiteral("中国银行%海安") << "开户行" << 1 << "104306114011"
                               << QStringLiteral("海安中国银行营业部");
    QTest::newRow("whole code") << "104306114012"
                                << "联行号" << 0 << "104306114012" << QStringLiteral("中国银行南通分行");
    QTest::newRow("part of a code, nothing found") << "1043061"
                                                   << "联行号" << 0 << ""
                                                   << "";
    QTest::newRow("nothing typed") << ""
                                   << "开户行" << 0 << ""
                                   << "";
}

void TestPayrollScreen::routingCodeLookup()
{
    QFETCH(QString, typed);
    QFETCH(QString, criterion);
    QFETCH(int, downs);
    QFETCH(QString, code);
    QFETCH(QString, bank);
    PayrollFixture f;
    const CodeList codes(f.env);
    f.screen.activateWindow();
    QTRY_VERIFY(f.screen.isActiveWindow());
    f.click("新增");
    CMyEditCtrl* field = f.field("联行号");
    field->setFocus();
    field->setText(typed);
    if (code.isEmpty() && !typed.isEmpty()) {
        f.dialogs.expect(QStringLiteral("没有找到符合条件的联行号"), Msg::Ok, QStringLiteral("DXBK-TOOL"));
    }
    onNextModal([&](QWidget* lookup) {
        QCOMPARE(lookup->windowTitle(), QStringLiteral("联行号查询"));
        auto* given = lookup->findChild<CMyEditCtrl*>(criterion);
        QCOMPARE(given->text(), typed);
        RowList* list = lookup->findChild<RowList*>();
        if (code.isEmpty()) {
            QCOMPARE(list->count(), 0);
            QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(given));
            QTest::keyClick(given, Qt::Key_Escape);
            return;
        }
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(list));
        for (int i = 0; i < downs; ++i) {
            QTest::keyClick(list, Qt::Key_Down);
        }
        QTest::keyClick(list, Qt::Key_Return);
    });
    QTest::keyClick(field, Qt::Key_F2);
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(field->text(), code.isEmpty() ? typed : code);
    QCOMPARE(f.field("开户行")->text(), bank);
    f.screen.activateWindow(); // as when the lookup's window has gone
    QTRY_COMPARE(QApplication::focusWidget(),
                 static_cast<QWidget*>(code.isEmpty() ? field : f.field("金额")));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollScreen::routingCodeLookupMovesNothing()
{
    PayrollFixture f;
    f.click("新增");
    CMyEditCtrl* field = f.field("联行号");
    auto* glass = field->findChild<QToolButton*>();
    QVERIFY(glass && glass->isVisible() && glass->isEnabled());
    QVERIFY(field->rect().contains(glass->geometry()));
    QCOMPARE(glass->toolTip(), QStringLiteral("联行号查询（F2）"));
    // Every control of the screen stands where it stands without the glass.
    auto places = [&f, field] {
        QList<QRect> out;
        for (const QWidget* w : f.screen.findChildren<QWidget*>()) {
            if (!field->isAncestorOf(w)) {
                out << w->geometry();
            }
        }
        return out;
    };
    const QList<QRect> with = places();
    field->removeAction(field->findChild<QAction*>(QStringLiteral("联行号查询")));
    QApplication::processEvents();
    QCOMPARE(places(), with);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollScreen::hiddenPrintButtonOpensThePreview()
{
    PayrollFixture f;
    f.addLine("6222020200012345");
    QPushButton* print = f.button("打印");
    QVERIFY(!print->isVisible());
    QVERIFY(!print->isEnabled());
    print->setEnabled(true); // nothing in the product enables it
    bool shown = false;
    onNextModal([&](QWidget* preview) {
        QCOMPARE(preview->windowTitle(), QStringLiteral("打印预览"));
        shown = true;
        preview->close();
    });
    print->click();
    QVERIFY(shown);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

QTEST_MAIN(TestPayrollScreen)
#include "tst_payrollscreen.moc"
