#include "BatchFixture.h"
#include "PayrollFixture.h"
#include "rosters/CGROUPDlg.h"
#include "rosters/CPLBook2.h"

#include <QDir>
#include <QTest>

// Odd characters and very long texts: what the operator sees in a list is what reaches the file,
// or the line is refused with a message.
class TestOddText : public QObject
{
    Q_OBJECT
private slots:
    void controlCharactersAreRefusedOnEveryScreen();
    void lineBreaksNeverReachTheFile();
    void importedControlCharactersAreRefusedWithTheirNumber();
    void longTextsComeThroughWholeOrNotAtAll();
    void rosterNameOfOnlyACrIsEmpty();
    void unreadableGroupListIsReported();
    void unreadableImportFileIsReported();
};

namespace {
QString summary(int read, int imported)
{
    return QStringLiteral("总共导入%1条信息\r\n成功导入%2条信息").arg(read).arg(imported);
}
} // namespace

void TestOddText::controlCharactersAreRefusedOnEveryScreen()
{
    PayrollFixture f;
    f.click("新增");
    f.fill("6222020200012345", QStringLiteral("张三"), QStringLiteral("中国银行"), QString(QChar(0x14)), "1",
           "");
    f.dialogs.expect(QStringLiteral("联行号中含有无法保存的字符"));
    f.click("确定");
    f.field("联行号")->setText("104306114010");
    f.field("付款用途")->setText(QStringLiteral("工资\t奖金"));
    f.dialogs.expect(QStringLiteral("付款用途中含有无法保存的字符"));
    f.click("确定");
    QCOMPARE(f.list()->count(), 0);
    VERIFY_DIALOGS_DONE(f.dialogs);

    BatchFixture b;
    b.click("新增");
    b.fill(QStringLiteral("1234567890") + QChar(0), QStringLiteral("甲公司"), "1");
    b.dialogs.expect(QStringLiteral("收款人账户中含有无法保存的字符"));
    b.click("确定");
    QCOMPARE(b.list()->count(), 0);
    VERIFY_DIALOGS_DONE(b.dialogs);
}

void TestOddText::lineBreaksNeverReachTheFile()
{
    PayrollFixture f;
    f.click("新增");
    f.fill("6222020200012345", QStringLiteral("张\r\n三"), QStringLiteral("中国\n银行"), "104306114010", "1",
           "\r");
    f.click("确定");
    // The line holds what its file gets.
    QCOMPARE(f.row(0).mid(1), (QStringList{"6222020200012345", QStringLiteral("张三"),
                                           QStringLiteral("中国银行"), "104306114010", "1.00", ""}));
    f.dialogs.expectFile(f.env.path("order.txt"));
    f.dialogs.expect(QStringLiteral("保存成功"));
    QVERIFY(f.screen.ExportLines());
    QCOMPARE(f.env.read("order.txt").split('\n').last(),
             gbk(QStringLiteral("1,,104306114010,6222020200012345,张三,1.00,,,,,")));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestOddText::importedControlCharactersAreRefusedWithTheirNumber()
{
    PayrollFixture f;
    f.env.write("in.txt", gbk(QStringLiteral("1,,104306114010,6222020200012345,张\t三,1,,工资,,,\r\n"
                                             "2,,\x14,6222020200012346,李四,1,,工资,,,\r\n"
                                             "3,,104306114010,6222020200012347,王五,1,,工资\x7F,,,")));
    f.dialogs.expectFile(f.env.path("in.txt"));
    f.dialogs.expect(QStringLiteral("您所导入的文件中第1条，收款人名称中含有无法保存的字符"));
    f.dialogs.expect(QStringLiteral("您所导入的文件中第2条，联行号中含有无法保存的字符"));
    f.dialogs.expect(QStringLiteral("您所导入的文件中第3条，付款用途中含有无法保存的字符"));
    f.dialogs.expect(summary(3, 0));
    f.click("导入文本");
    QCOMPARE(f.list()->count(), 0);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestOddText::longTextsComeThroughWholeOrNotAtAll()
{
    // Fields as long as the layout holds come in and go out whole; longer ones are refused, never cut.
    PayrollFixture f;
    const QString name(128, QChar(0x738B)); // 256 bytes in GBK
    const QString purpose(256, QLatin1Char('p'));
    f.env.write("in.txt", gbk(QStringLiteral("1,,104306114010,6222020200012345,%1,1,,%2,,,\r\n"
                                             "2,,104306114010,6222020200012346,%1王,1,,,,,\r\n"
                                             "3,,104306114010,6222020200012347,%3,1,,,,,")
                                  .arg(name, purpose, QString(50000, QChar(0x738B)))));
    f.dialogs.expectFile(f.env.path("in.txt"));
    f.dialogs.expect(QStringLiteral("您所导入的文件中第2条，收款人名称过长，不能超过256字节"));
    f.dialogs.expect(QStringLiteral("您所导入的文件中第3条，该行超过1023字节，未导入"));
    f.dialogs.expect(summary(3, 1));
    f.click("导入文本");
    QCOMPARE(f.list()->count(), 1);
    QCOMPARE(f.row(0).at(2), name);
    QCOMPARE(f.row(0).at(6), purpose);
    QCOMPARE(f.field("收款人名称")->text(), name); // the selected line is shown whole
    f.dialogs.expectFile(f.env.path("order.txt"));
    f.dialogs.expect(QStringLiteral("保存成功"));
    QVERIFY(f.screen.ExportLines());
    QVERIFY(f.env.read("order.txt").endsWith(gbk(QStringLiteral(",%1,1.00,,%2,,,").arg(name, purpose))));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestOddText::rosterNameOfOnlyACrIsEmpty()
{
    TestEnv env;
    ScriptedDialogs d;
    env.write("kuahangacc.txt", QByteArray());
    CPLBook2 book;
    QTest::mouseClick(book.findChild<QPushButton*>(QStringLiteral("新增")), Qt::LeftButton);
    book.findChild<CMyEditCtrl*>(QStringLiteral("收款账号"))->setText("6222020200012345");
    book.findChild<CMyEditCtrl*>(QStringLiteral("账户名称"))->setText("\r");
    book.findChild<CMyEditCtrl*>(QStringLiteral("开户行"))->setText(QStringLiteral("中国银行"));
    book.findChild<CMyEditCtrl*>(QStringLiteral("联行号"))->setText("104306114010");
    d.expect(QStringLiteral("请输入收款账户名称"));
    QTest::mouseClick(book.findChild<QPushButton*>(QStringLiteral("确定")), Qt::LeftButton);
    QCOMPARE(env.read("kuahangacc.txt"), QByteArray());
    VERIFY_DIALOGS_DONE(d);
}

void TestOddText::unreadableGroupListIsReported()
{
    TestEnv env;
    ScriptedDialogs d;
    QVERIFY(QDir(env.dir()).mkdir("group.txt")); // a folder in the way
    d.expect(QStringLiteral("文件读取失败：group.txt"));
    CGROUPDlg dlg;
    QCOMPARE(dlg.groups(), QStringList());
    d.expect(QStringLiteral("文件保存失败：group.txt"));
    dlg.NewGroup();
    d.expect(QStringLiteral("文件保存失败：group.txt"));
    dlg.DeleteGroup();
    QVERIFY(QFileInfo(env.path("group.txt")).isDir());
    VERIFY_DIALOGS_DONE(d);
}

void TestOddText::unreadableImportFileIsReported()
{
    PayrollFixture f;
    f.addLine("6222020200012345");
    QVERIFY(QDir(f.env.dir()).mkdir("folder.txt"));
    f.dialogs.expectFile(f.env.path("folder.txt"));
    f.dialogs.expect(QStringLiteral("文件读取失败：folder.txt"));
    f.click("导入文本");
    f.dialogs.expectFile(f.env.path("gone.txt"));
    f.dialogs.expect(QStringLiteral("文件读取失败：gone.txt"));
    f.click("导入文本");
    QCOMPARE(f.list()->count(), 1);

    ScriptedDialogs& d = f.dialogs;
    CPLBook2 book;
    d.expectFile(f.env.path("gone.txt"));
    d.expect(QStringLiteral("文件读取失败：gone.txt"));
    book.ImportFriendly();
    VERIFY_DIALOGS_DONE(f.dialogs);
}

QTEST_MAIN(TestOddText)
#include "tst_oddtext.moc"
