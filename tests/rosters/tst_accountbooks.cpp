#include "Faults.h"
#include "ModalDriver.h"
#include "ScriptedDialogs.h"
#include "TestEnv.h"
#include "common/CMyEditCtrl.h"
#include "common/RowList.h"
#include "lookup/core/BankCodeTable.h"
#include "rosters/CPLBook.h"
#include "rosters/CPLBook2.h"
#include "rosters/CPLBookDlg.h"
#include "update/UpdateNetwork.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {
const QByteArray kInBank =
    gbk(QStringLiteral("|1234567890|甲公司||\r\n|1234567891|乙公司||\r\n|1234567892|丙公司||\r\n"));
const QByteArray kInterbank = gbk(QStringLiteral("6222020200000001|王珅||弢行|||104306114010|\r\n"
                                                 "6222020200000002|李四||农业银行|||103100000026|\r\n"));

QPushButton* button(QWidget* w, const QString& caption)
{
    return w->findChild<QPushButton*>(caption);
}
void click(QWidget* w, const QString& caption)
{
    QTest::mouseClick(button(w, caption), Qt::LeftButton);
}
CMyEditCtrl* field(QWidget* w, const QString& name)
{
    return w->findChild<CMyEditCtrl*>(name);
}
RowList* list(QWidget* w)
{
    return w->findChild<RowList*>();
}
QString count(QWidget* w)
{
    return w->findChild<QLabel*>(QStringLiteral("总个数"))->text();
}
QStringList column(QWidget* w, int c)
{
    QStringList out;
    for (int r = 0; r < list(w)->count(); ++r) {
        out << list(w)->text(r, c);
    }
    return out;
}

// Rosters larger than a page of the test file system, for the faults in the middle of a write.
QStringList inBankAccounts(int n)
{
    QStringList out;
    for (int i = 0; i < n; ++i) {
        out << QStringLiteral("12345%1").arg(i, 5, 10, QLatin1Char('0'));
    }
    return out;
}
QByteArray inBankRoster(int n)
{
    QByteArray out;
    for (const QString& account : inBankAccounts(n)) {
        out += gbk(QStringLiteral("|%1|甲乙丙丁公司第%2部||\r\n").arg(account, account.right(3)));
    }
    return out;
}
QStringList interbankAccounts(int n)
{
    QStringList out;
    for (int i = 0; i < n; ++i) {
        out << QStringLiteral("6222020200%1").arg(i, 6, 10, QLatin1Char('0'));
    }
    return out;
}
QByteArray interbankRoster(int n)
{
    QByteArray out;
    for (const QString& account : interbankAccounts(n)) {
        out += gbk(
            QStringLiteral("%1|王珅%2||中国银行海安支行|||104306114010|\r\n").arg(account, account.right(3)));
    }
    return out;
}
} // namespace

class TestAccountBooks : public QObject
{
    Q_OBJECT
private slots:
    void inBankLoadsAndAdds();
    void inBankDuplicateIsRefused();
    void inBankDeleteRenumbersAndEmptiesFile();
    void inBankCancelRestoresFromFile();
    void inBankChecksAndExit();
    void interbankKeepsNamesWithBarBytes();
    void interbankDuplicateAndChangedCode();
    void formatErrorRefusesChanges();
    void refusedRecordSurvivesSave();
    void unwritableRosterIsReported_data();
    void unwritableRosterIsReported();
    void interbankAddThatCannotBeSavedIsNotShown_data();
    void interbankAddThatCannotBeSavedIsNotShown();
    void interbankChangeThatCannotBeSavedIsNotShown_data();
    void interbankChangeThatCannotBeSavedIsNotShown();
    void friendlyExportBytes();
    void friendlyExportThatCannotBeWrittenIsReported_data();
    void friendlyExportThatCannotBeWrittenIsReported();
    void friendlyImport();
    void friendlyImportThatCannotBeSavedIsNotShown_data();
    void friendlyImportThatCannotBeSavedIsNotShown();
    void updateOnceADay();
    void hostSwitchesAndReloadsPages();
    void bankCodeSearchFillsBankFields();
    void updateRunsWhenNotDoneToday();
};

void TestAccountBooks::inBankLoadsAndAdds()
{
    TestEnv env;
    ScriptedDialogs d;
    env.write("hangneiacc.txt", kInBank);
    CPLBook book;
    book.show();
    QCOMPARE(column(&book, 0), (QStringList{"1", "2", "3"}));
    QCOMPARE(column(&book, 2),
             (QStringList{QStringLiteral("甲公司"), QStringLiteral("乙公司"), QStringLiteral("丙公司")}));
    QCOMPARE(count(&book), QStringLiteral("3"));
    QCOMPARE(list(&book)->selectedRow(), 0);
    QCOMPARE(field(&book, "付款账号")->text(), QStringLiteral("1234567890"));
    QVERIFY(!field(&book, "付款账号")->isEnabled());
    QVERIFY(button(&book, "修改")->isEnabled());

    click(&book, "新增");
    QVERIFY(field(&book, "付款账号")->isEnabled());
    QCOMPARE(field(&book, "付款账号")->text(), QString());
    QVERIFY(!list(&book)->isEnabled());
    field(&book, "付款账号")->setText(" 1234567899 ");
    field(&book, "账户名称")->setText(QStringLiteral("丁公司"));
    click(&book, "确定");
    QCOMPARE(list(&book)->count(), 4);
    QCOMPARE(list(&book)->selectedRow(), 3);
    QCOMPARE(count(&book), QStringLiteral("4"));
    QCOMPARE(env.read("hangneiacc.txt"), kInBank + gbk(QStringLiteral("|1234567899|丁公司||\r\n")));
    VERIFY_DIALOGS_DONE(d);
}

void TestAccountBooks::inBankDuplicateIsRefused()
{
    TestEnv env;
    ScriptedDialogs d;
    env.write("hangneiacc.txt", kInBank);
    CPLBook book;
    click(&book, "新增");
    field(&book, "付款账号")->setText("1234567891");
    field(&book, "账户名称")->setText(QStringLiteral("乙公司"));
    d.expect(QStringLiteral("已存在的用户"));
    click(&book, "确定");
    QCOMPARE(list(&book)->count(), 3);
    QCOMPARE(env.read("hangneiacc.txt"), kInBank);

    // The same account under another name is a new entry.
    click(&book, "新增");
    field(&book, "付款账号")->setText("1234567891");
    field(&book, "账户名称")->setText(QStringLiteral("乙公司二部"));
    click(&book, "确定");
    QCOMPARE(list(&book)->count(), 4);

    // Changing the first row into a copy of another row is refused too.
    list(&book)->selectRow(0);
    click(&book, "修改");
    field(&book, "付款账号")->setText("1234567892");
    field(&book, "账户名称")->setText(QStringLiteral("丙公司"));
    d.expect(QStringLiteral("已存在的用户"));
    click(&book, "确定");
    QCOMPARE(list(&book)->text(0, 1), QStringLiteral("1234567890"));
    VERIFY_DIALOGS_DONE(d);
}

void TestAccountBooks::inBankDeleteRenumbersAndEmptiesFile()
{
    TestEnv env;
    ScriptedDialogs d;
    env.write("hangneiacc.txt", kInBank);
    CPLBook book;
    list(&book)->selectRow(1);
    d.expect(QStringLiteral("确认删除此条信息？"), Msg::Yes, QStringLiteral("删除"));
    click(&book, "删除");
    QCOMPARE(column(&book, 0), (QStringList{"1", "2"}));
    QCOMPARE(column(&book, 2), (QStringList{QStringLiteral("甲公司"), QStringLiteral("丙公司")}));
    QCOMPARE(list(&book)->selectedRow(), 1);

    d.expect(QStringLiteral("确认删除此条信息？"), Msg::Yes);
    click(&book, "删除"); // the last row: the one before it is selected
    QCOMPARE(list(&book)->selectedRow(), 0);
    d.expect(QStringLiteral("确认删除此条信息？"), Msg::Yes);
    click(&book, "删除");
    QCOMPARE(list(&book)->count(), 0);
    QCOMPARE(count(&book), QStringLiteral("0"));
    QVERIFY(!button(&book, "修改")->isEnabled());
    QVERIFY(!button(&book, "删除")->isEnabled());
    QVERIFY(env.exists("hangneiacc.txt"));
    QCOMPARE(env.read("hangneiacc.txt").size(), 0);
    VERIFY_DIALOGS_DONE(d);
}

void TestAccountBooks::inBankCancelRestoresFromFile()
{
    TestEnv env;
    ScriptedDialogs d;
    env.write("hangneiacc.txt", kInBank);
    CPLBook book;
    list(&book)->selectRow(2);
    click(&book, "修改");
    field(&book, "账户名称")->setText(QStringLiteral("改了一半"));
    env.write("hangneiacc.txt", gbk(QStringLiteral("|1234567890|外部修改||\r\n")));
    click(&book, "取消");
    QCOMPARE(list(&book)->count(), 1);
    QCOMPARE(field(&book, "账户名称")->text(), QStringLiteral("外部修改"));
    QVERIFY(!field(&book, "账户名称")->isEnabled());
    VERIFY_DIALOGS_DONE(d);
}

void TestAccountBooks::inBankChecksAndExit()
{
    TestEnv env;
    ScriptedDialogs d;
    CPLBook book;
    click(&book, "新增");
    field(&book, "付款账号")->setText("123456789");
    field(&book, "账户名称")->setText(QStringLiteral("甲"));
    d.expect(QStringLiteral("请保证付款账号长度至少为10位"));
    click(&book, "确定");
    field(&book, "付款账号")->setText("12345678a0");
    d.expect(QStringLiteral("付款账号请输入数字 "));
    click(&book, "确定");
    QVERIFY(field(&book, "付款账号")->isEnabled()); // the entry stays open
    QVERIFY(!env.exists("hangneiacc.txt"));

    d.expect(QStringLiteral("确定退出到欢迎界面？"), Msg::Cancel, QStringLiteral("批量手册付款"));
    click(&book, "退出");
    QCOMPARE(d.messages.last().buttons, int(Msg::Ok | Msg::Cancel));
    VERIFY_DIALOGS_DONE(d);
}

void TestAccountBooks::interbankKeepsNamesWithBarBytes()
{
    TestEnv env;
    ScriptedDialogs d;
    CPLBook2 book;
    click(&book, "新增");
    field(&book, "收款账号")->setText("6222020200000009");
    field(&book, "账户名称")->setText(QStringLiteral("王珅"));
    field(&book, "开户行")->setText(QStringLiteral("弢县农村信用社"));
    field(&book, "联行号")->setText("402306100018");
    click(&book, "确定");
    QCOMPARE(env.read("kuahangacc.txt"),
             gbk(QStringLiteral("6222020200000009|王珅||弢县农村信用社|||402306100018|\r\n")));
    CPLBook2 again;
    QCOMPARE(again.document().rowCount(), 1);
    QCOMPARE(list(&again)->text(0, 2), QStringLiteral("王珅"));
    QCOMPARE(list(&again)->text(0, 3), QStringLiteral("弢县农村信用社"));
    VERIFY_DIALOGS_DONE(d);
}

void TestAccountBooks::interbankDuplicateAndChangedCode()
{
    TestEnv env;
    ScriptedDialogs d;
    env.write("kuahangacc.txt", kInterbank);
    CPLBook2 book;
    click(&book, "新增");
    field(&book, "收款账号")->setText("6222020200000002");
    field(&book, "账户名称")->setText(QStringLiteral("李四"));
    field(&book, "开户行")->setText(QStringLiteral("农业银行"));
    field(&book, "联行号")->setText("103100000026");
    d.expect(QStringLiteral("已存在的用户"));
    click(&book, "确定");
    QCOMPARE(env.read("kuahangacc.txt"), kInterbank);
    QCOMPARE(list(&book)->count(), 2);

    click(&book, "新增");
    field(&book, "收款账号")->setText("6222020200000002");
    field(&book, "账户名称")->setText(QStringLiteral("李四"));
    field(&book, "开户行")->setText(QStringLiteral("农业银行"));
    field(&book, "联行号")->setText("103100000099");
    click(&book, "确定");
    QCOMPARE(list(&book)->count(), 3);
    QCOMPARE(button(&book, "...")->isEnabled(), false);
    VERIFY_DIALOGS_DONE(d);
}

void TestAccountBooks::formatErrorRefusesChanges()
{
    TestEnv env;
    ScriptedDialogs d;
    const QByteArray bytes = kInterbank + gbk(QStringLiteral("6222020200000003|没有结尾\r\n")) + kInterbank;
    env.write("kuahangacc.txt", bytes);
    d.expect(QStringLiteral("导入跨行账户文件格式错误，kuahangacc.txt导入失败！"));
    CPLBook2 book;
    QCOMPARE(list(&book)->count(), 2);
    QVERIFY(!button(&book, "新增")->isEnabled());
    QVERIFY(!button(&book, "修改")->isEnabled());
    QVERIFY(!button(&book, "删除")->isEnabled());
    QVERIFY(!button(&book, "导入友好账号")->isEnabled());
    QCOMPARE(env.read("kuahangacc.txt"), bytes);

    env.write("kuahangacc.txt", kInterbank); // mended outside
    book.Reload();
    QVERIFY(button(&book, "新增")->isEnabled());
    QVERIFY(button(&book, "删除")->isEnabled());
    VERIFY_DIALOGS_DONE(d);
}

void TestAccountBooks::refusedRecordSurvivesSave()
{
    TestEnv env;
    ScriptedDialogs d;
    const QByteArray refused = gbk(QStringLiteral("6222020200000005|只有名字|"));
    env.write("kuahangacc.txt", refused + "\r\n" + kInterbank);
    d.expect(QStringLiteral("请输入开户行"));
    CPLBook2 book;
    QCOMPARE(list(&book)->count(), 2);
    list(&book)->selectRow(1);
    d.expect(QStringLiteral("确认删除此条信息？"), Msg::Yes);
    click(&book, "删除");
    QCOMPARE(env.read("kuahangacc.txt"),
             refused + "\r\n" + gbk(QStringLiteral("6222020200000001|王珅||弢行|||104306114010|\r\n")));
    VERIFY_DIALOGS_DONE(d);
}

void TestAccountBooks::unwritableRosterIsReported_data()
{
    Faults::addAllRows();
}

void TestAccountBooks::unwritableRosterIsReported()
{
    QFETCH(Faults::Fault, fault);
    RUN_IN_FAULT_CHILD(fault);
    TestEnv env;
    Faults::Injector injector(fault, env.dir());
    QVERIFY2(injector.ready(), qPrintable(injector.error()));
    ScriptedDialogs d;
    const QByteArray roster = inBankRoster(200);
    env.write("hangneiacc.txt", roster);
    CPLBook book;
    QCOMPARE(list(&book)->count(), 200);
    list(&book)->selectRow(0);
    QVERIFY2(injector.inject(roster.size() - inBankRoster(1).size()), qPrintable(injector.error()));
    d.expect(QStringLiteral("确认删除此条信息？"), Msg::Yes);
    d.expect(QStringLiteral("文件保存失败：hangneiacc.txt"));
    click(&book, "删除");
    QVERIFY2(injector.release(), qPrintable(injector.error()));
    QCOMPARE(env.read("hangneiacc.txt"), roster);
    QCOMPARE(Faults::entries(env.dir()), QStringList{"hangneiacc.txt"});
    // The list shows the file again: the row that could not be deleted is still there.
    QCOMPARE(column(&book, 1), inBankAccounts(200));
    QCOMPARE(count(&book), QStringLiteral("200"));
    QVERIFY(button(&book, "新增")->isEnabled());
    VERIFY_DIALOGS_DONE(d);
}

void TestAccountBooks::interbankAddThatCannotBeSavedIsNotShown_data()
{
    Faults::addAllRows();
}

void TestAccountBooks::interbankAddThatCannotBeSavedIsNotShown()
{
    QFETCH(Faults::Fault, fault);
    RUN_IN_FAULT_CHILD(fault);
    TestEnv env;
    Faults::Injector injector(fault, env.dir());
    QVERIFY2(injector.ready(), qPrintable(injector.error()));
    ScriptedDialogs d;
    const QByteArray roster = interbankRoster(100);
    env.write("kuahangacc.txt", roster);
    CPLBook2 book;
    click(&book, "新增");
    field(&book, "收款账号")->setText("6222020200999999");
    field(&book, "账户名称")->setText(QStringLiteral("新户"));
    field(&book, "开户行")->setText(QStringLiteral("中国银行"));
    field(&book, "联行号")->setText("104306114010");
    const QByteArray added =
        roster + gbk(QStringLiteral("6222020200999999|新户||中国银行|||104306114010|\r\n"));
    QVERIFY2(injector.inject(added.size()), qPrintable(injector.error()));
    d.expect(QStringLiteral("文件保存失败：kuahangacc.txt"));
    click(&book, "确定");
    QVERIFY2(injector.release(), qPrintable(injector.error()));
    QCOMPARE(env.read("kuahangacc.txt"), roster);
    QCOMPARE(Faults::entries(env.dir()), QStringList{"kuahangacc.txt"});
    QCOMPARE(column(&book, 1), interbankAccounts(100));
    QCOMPARE(count(&book), QStringLiteral("100"));
    QVERIFY(!field(&book, "收款账号")->isEnabled()); // the entry is closed
    QCOMPARE(field(&book, "收款账号")->text(), interbankAccounts(1).first());

    // Once the disk is mended the same entry is saved.
    click(&book, "新增");
    field(&book, "收款账号")->setText("6222020200999999");
    field(&book, "账户名称")->setText(QStringLiteral("新户"));
    field(&book, "开户行")->setText(QStringLiteral("中国银行"));
    field(&book, "联行号")->setText("104306114010");
    click(&book, "确定");
    QCOMPARE(env.read("kuahangacc.txt"), added);
    QCOMPARE(count(&book), QStringLiteral("101"));
    VERIFY_DIALOGS_DONE(d);
}

void TestAccountBooks::interbankChangeThatCannotBeSavedIsNotShown_data()
{
    Faults::addAllRows();
}

void TestAccountBooks::interbankChangeThatCannotBeSavedIsNotShown()
{
    QFETCH(Faults::Fault, fault);
    RUN_IN_FAULT_CHILD(fault);
    TestEnv env;
    Faults::Injector injector(fault, env.dir());
    QVERIFY2(injector.ready(), qPrintable(injector.error()));
    ScriptedDialogs d;
    const QByteArray roster = interbankRoster(100);
    env.write("kuahangacc.txt", roster);
    CPLBook2 book;
    list(&book)->selectRow(5);
    click(&book, "修改");
    field(&book, "账户名称")->setText(QStringLiteral("改过的名字"));
    QByteArray changed = roster;
    changed.replace(gbk(QStringLiteral("王珅005")), gbk(QStringLiteral("改过的名字")));
    QVERIFY2(injector.inject(changed.size()), qPrintable(injector.error()));
    d.expect(QStringLiteral("文件保存失败：kuahangacc.txt"));
    click(&book, "确定");
    QVERIFY2(injector.release(), qPrintable(injector.error()));
    QCOMPARE(env.read("kuahangacc.txt"), roster);
    QCOMPARE(Faults::entries(env.dir()), QStringList{"kuahangacc.txt"});
    QCOMPARE(list(&book)->text(5, 2), QStringLiteral("王珅005"));
    QVERIFY(!column(&book, 2).contains(QStringLiteral("改过的名字")));
    QCOMPARE(count(&book), QStringLiteral("100"));
    VERIFY_DIALOGS_DONE(d);
}

void TestAccountBooks::friendlyExportBytes()
{
    TestEnv env;
    ScriptedDialogs d;
    env.write("kuahangacc.txt", kInterbank);
    CPLBook2 book;
    d.expectFile(env.path("friends.txt"));
    d.expect(QStringLiteral("导出成功"));
    book.ExportFriendly();
    QCOMPARE(d.fileRequests.last().defaultName, QStringLiteral("friendac-20201231.txt"));
    QCOMPARE(d.fileRequests.last().filter, QStringLiteral("Text Files (*.txt)|*.txt||"));
    QCOMPARE(env.read("friends.txt"),
             gbk(QStringLiteral("|6222020200000001|王珅|弢行|104306114010||\r\n"
                                "|6222020200000002|李四|农业银行|103100000026||\r\n")));
    d.expectFile(env.path("no/such/dir/f.txt"));
    d.expect(QStringLiteral("创建文件失败！"));
    book.ExportFriendly();
    VERIFY_DIALOGS_DONE(d);
}

void TestAccountBooks::friendlyExportThatCannotBeWrittenIsReported_data()
{
    Faults::addAllRows();
}

void TestAccountBooks::friendlyExportThatCannotBeWrittenIsReported()
{
    QFETCH(Faults::Fault, fault);
    RUN_IN_FAULT_CHILD(fault);
    TestEnv env;
    Faults::Injector injector(fault, env.dir());
    QVERIFY2(injector.ready(), qPrintable(injector.error()));
    ScriptedDialogs d;
    env.write("kuahangacc.txt", interbankRoster(100));
    env.write("friends.txt", "an earlier export\r\n");
    CPLBook2 book;
    QByteArray exported;
    for (const QString& account : interbankAccounts(100)) {
        exported += gbk(
            QStringLiteral("|%1|王珅%2|中国银行海安支行|104306114010||\r\n").arg(account, account.right(3)));
    }
    QVERIFY2(injector.inject(exported.size()), qPrintable(injector.error()));
    d.expectFile(env.path("friends.txt"));
    d.expect(QStringLiteral("创建文件失败！"));
    book.ExportFriendly();
    QVERIFY2(injector.release(), qPrintable(injector.error()));
    QCOMPARE(env.read("friends.txt"), QByteArray("an earlier export\r\n"));
    QCOMPARE(env.read("kuahangacc.txt"), interbankRoster(100));
    QCOMPARE(Faults::entries(env.dir()), (QStringList{"friends.txt", "kuahangacc.txt"}));
    for (const auto& m : d.messages) {
        QVERIFY(m.text != QStringLiteral("导出成功"));
    }
    // Mended, the same export writes every row.
    d.expectFile(env.path("friends.txt"));
    d.expect(QStringLiteral("导出成功"));
    book.ExportFriendly();
    QCOMPARE(env.read("friends.txt"), exported);
    VERIFY_DIALOGS_DONE(d);
}

void TestAccountBooks::friendlyImport()
{
    TestEnv env;
    ScriptedDialogs d;
    env.write("copy.txt", kInterbank);
    CPLBook2 book;
    d.expectFile(env.path("copy.txt"));
    d.expect(QStringLiteral("总共导入2条信息\r\n成功导入2条信息"));
    book.ImportFriendly();
    QCOMPARE(env.read("kuahangacc.txt"), kInterbank);

    // A second time every line is a duplicate.
    d.expectFile(env.path("copy.txt"));
    d.expect(QStringLiteral("已存在的用户"));
    d.expect(QStringLiteral("已存在的用户"));
    d.expect(QStringLiteral("总共导入2条信息\r\n成功导入0条信息"));
    book.ImportFriendly();
    QCOMPARE(list(&book)->count(), 2);

    // A file the export wrote is read too.
    env.write("friends.txt", gbk(QStringLiteral("|6222020200000007|周八|建设银行|105306114019||\r\n")));
    d.expectFile(env.path("friends.txt"));
    d.expect(QStringLiteral("总共导入1条信息\r\n成功导入1条信息"));
    book.ImportFriendly();
    QCOMPARE(list(&book)->text(2, 3), QStringLiteral("建设银行"));

    // Refused lines carry their number; a line that cannot be split ends the import.
    env.write("bad.txt", gbk(QStringLiteral("6222020200000008|吴九||||||\r\n6222020200000009|郑十\r\n")));
    d.expectFile(env.path("bad.txt"));
    d.expect(QStringLiteral("您所导入的文件中第1条，请输入开户行"));
    d.expect(QStringLiteral("导入文件格式错误，导入失败！"));
    book.ImportFriendly();
    QCOMPARE(list(&book)->count(), 3);
    VERIFY_DIALOGS_DONE(d);
}

void TestAccountBooks::friendlyImportThatCannotBeSavedIsNotShown_data()
{
    Faults::addAllRows();
}

void TestAccountBooks::friendlyImportThatCannotBeSavedIsNotShown()
{
    QFETCH(Faults::Fault, fault);
    RUN_IN_FAULT_CHILD(fault);
    TestEnv env;
    Faults::Injector injector(fault, env.dir());
    QVERIFY2(injector.ready(), qPrintable(injector.error()));
    ScriptedDialogs d;
    const QByteArray roster = interbankRoster(100);
    env.write("kuahangacc.txt", roster);
    env.write("import.txt", kInterbank);
    CPLBook2 book;
    QVERIFY2(injector.inject(roster.size() + kInterbank.size()), qPrintable(injector.error()));
    d.expectFile(env.path("import.txt"));
    d.expect(QStringLiteral("文件保存失败：kuahangacc.txt"));
    book.ImportFriendly(); // no summary: nothing was imported after all
    QVERIFY2(injector.release(), qPrintable(injector.error()));
    QCOMPARE(env.read("kuahangacc.txt"), roster);
    QCOMPARE(Faults::entries(env.dir()), (QStringList{"import.txt", "kuahangacc.txt"}));
    QCOMPARE(column(&book, 1), interbankAccounts(100));
    QCOMPARE(count(&book), QStringLiteral("100"));
    VERIFY_DIALOGS_DONE(d);
}

void TestAccountBooks::updateOnceADay()
{
    TestEnv env;
    ScriptedDialogs d;
    CPLBook2 book;
    env.write("dxbk-tool.ini", "20201231");
    d.expect(QStringLiteral("今日已更新过文件，请明日再试"));
    book.Update();
    VERIFY_DIALOGS_DONE(d);
}

void TestAccountBooks::hostSwitchesAndReloadsPages()
{
    TestEnv env;
    ScriptedDialogs d;
    env.write("hangneiacc.txt", kInBank);
    env.write("kuahangacc.txt", kInterbank);
    CPLBookDlg host;
    host.resize(780, 580);
    host.show();
    QVERIFY(host.inBankBook()->isVisible());
    QVERIFY(!host.interbankBook()->isVisible());
    QCOMPARE(host.inBankBook()->y(), 70);

    QTest::mouseClick(host.findChild<QRadioButton*>(QStringLiteral("跨行账户名册")), Qt::LeftButton);
    QVERIFY(host.interbankBook()->isVisible());
    QVERIFY(!host.inBankBook()->isVisible());
    click(host.interbankBook(), "新增");
    QVERIFY(field(host.interbankBook(), "收款账号")->isEnabled());

    env.write("hangneiacc.txt", gbk(QStringLiteral("|1234567890|改过的||\r\n")));
    host.SelectFirstBook();
    QVERIFY(host.inBankBook()->isVisible());
    QCOMPARE(list(host.inBankBook())->count(), 1);
    QCOMPARE(list(host.inBankBook())->text(0, 2), QStringLiteral("改过的"));

    QTest::mouseClick(host.findChild<QRadioButton*>(QStringLiteral("跨行账户名册")), Qt::LeftButton);
    QVERIFY(!field(host.interbankBook(), "收款账号")->isEnabled()); // the open entry was dropped
    QVERIFY(button(host.interbankBook(), "新增")->isEnabled());
    VERIFY_DIALOGS_DONE(d);
}

void TestAccountBooks::bankCodeSearchFillsBankFields()
{
    TestEnv env;
    ScriptedDialogs d;
    env.write("BankNo.txt", gbk(QStringLiteral(
                                "104306114010|中国银行海安支行|\r\n105306114019|中国建设银行海安支行|\r\n")));
    BankCodeTable::reload();
    CPLBook2 book;
    click(&book, "新增");
    QVERIFY(button(&book, "...")->isEnabled());
    onNextModal([](QWidget* search) {
        QCOMPARE(search->windowTitle(), QStringLiteral("联行号查询"));
        search->findChild<CMyEditCtrl*>(QStringLiteral("开户行"))->setText(QStringLiteral("建设%海安"));
        QTest::mouseClick(search->findChild<QPushButton*>(QStringLiteral("查找")), Qt::LeftButton);
        doubleClickRow(search->findChild<RowList*>(), 0);
    });
    click(&book, "...");
    QCOMPARE(field(&book, "开户行")->text(), QStringLiteral("中国建设银行海安支行"));
    QCOMPARE(field(&book, "联行号")->text(), QStringLiteral("105306114019"));
    VERIFY_DIALOGS_DONE(d);
}

void TestAccountBooks::updateRunsWhenNotDoneToday()
{
    TestEnv env;
    ScriptedDialogs d;
    env.write("dxbk-tool.ini", "20201230");
    // A port on this machine where nothing listens: the update dialog opens, fails and closes.
    BankCodeUpdate::UpdateSource nowhere;
    nowhere.baseUrl = QUrl(QStringLiteral("https://127.0.0.1:1"));
    BankCodeUpdate::setDefaultSourceForTests(nowhere);
    CPLBook2 book;
    d.expect(QStringLiteral("网络无法连接"));
    book.Update();
    BankCodeUpdate::setDefaultSourceForTests(std::nullopt);
    QCOMPARE(d.messages.size(), 1);
    VERIFY_DIALOGS_DONE(d);
}

QTEST_MAIN(TestAccountBooks)
#include "tst_accountbooks.moc"
