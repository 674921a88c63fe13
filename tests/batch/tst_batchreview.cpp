#include "BatchFixture.h"
#include "common/core/AppInfo.h"
#include "common/core/SpreadsheetWriter.h"

#include <QTest>

// The in-bank order's review: the same workbook imported twice, a payee hangneiacc.txt knows
// under another name, and last month's export compared.
class TestBatchReview : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { AppInfo::setEdition(AppInfo::Edition::Full); }
    void cleanupTestCase() { AppInfo::setEdition(AppInfo::Edition::Standard); }
    void reviewOfAnInBankOrder();
};

void TestBatchReview::reviewOfAnInBankOrder()
{
    BatchFixture f;
    f.env.write("hangneiacc.txt", gbk(QStringLiteral("|32010001000123456|海安岱溪商贸公司||\r\n")));
    const QString card = cardNumber(QStringLiteral("621700154000123456"));
    SpreadsheetWriter book(QStringLiteral("Sheet1"));
    const QStringList rows[] = {
        {QStringLiteral("收款人账户"), QStringLiteral("收款人名称"), QStringLiteral("金额")},
        {"32010001000123456", QStringLiteral("海安岱溪商贸有限公司"), "8500"},
        {card, QStringLiteral("张三"), "1500"}};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            book.setText(r + 1, c + 1, rows[r].at(c));
        }
    }
    QVERIFY(book.save(f.env.path("january.xlsx")));
    for (int i = 0; i < 2; ++i) {
        f.dialogs.expectFile(f.env.path("january.xlsx"));
        f.dialogs.expect(QStringLiteral("总共导入2条信息\r\n成功导入2条信息"));
        f.click("导入Excel");
    }
    QStringList listed;
    f.dialogs.expectFile(f.env.path("last.xlsx"));
    f.dialogs.expect(QStringLiteral("导出成功"));
    answerReview(QStringLiteral("仍然导出"), &listed);
    f.list()->selectRow(0);
    f.click("导出Excel");
    QCOMPARE(
        listed,
        (QStringList{
            QStringLiteral(
                "1、3 收款账号32010001000123456出现2次（第1、3行），金额也相同，请确认不是重复导入"),
            QStringLiteral("1 收款账号32010001000123456在hangneiacc.txt中的户名是“海安岱溪商贸公司”，"
                           "与本行的“海安岱溪商贸有限公司”不同"),
            "2、4 收款账号" + card + QStringLiteral("出现2次（第2、4行），金额也相同，请确认不是重复导入"),
            QStringLiteral("3 收款账号32010001000123456在hangneiacc.txt中的户名是“海安岱溪商贸公司”，"
                           "与本行的“海安岱溪商贸有限公司”不同")}));

    // This month: the second import taken back, the roster put right, 张三 paid more; compared with
    // the workbook exported last time.
    f.env.write("hangneiacc.txt", gbk(QStringLiteral("|32010001000123456|海安岱溪商贸有限公司||\r\n")));
    f.list()->selectRow(2);
    for (int i = 0; i < 2; ++i) {
        f.dialogs.expect(QStringLiteral("确认删除此条信息？"), Msg::Yes);
        f.click("删除");
    }
    f.list()->selectRow(1);
    f.click("修改");
    f.field(QStringLiteral("金额"))->setText("2500");
    f.click("确定");
    f.dialogs.expectFile(f.env.path("last.xlsx"));
    answerReview(QStringLiteral("返回修改"), &listed);
    f.click("与上次比较");
    // Last time's export held the double import: its second pair is missing now.
    QCOMPARE(listed,
             (QStringList{QStringLiteral("2 收款人张三的金额由1500.00变为2500.00，变动超过30%"),
                          QStringLiteral("— 上次的收款人海安岱溪商贸有限公司（账号32010001000123456，"
                                         "金额8500.00）本次没有"),
                          "— 上次的收款人张三（账号" + card + QStringLiteral("，金额1500.00）本次没有")}));
    QCOMPARE(f.dialogs.fileRequests.last().filter, QStringLiteral("Excel 文件(*.xlsx)|*.xlsx||"));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

QTEST_MAIN(TestBatchReview)
#include "tst_batchreview.moc"
