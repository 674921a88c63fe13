#include "BatchFixture.h"

namespace {
QString summary(int read, int added)
{
    return QStringLiteral("总共导入%1条信息\r\n成功导入%2条信息").arg(read).arg(added);
}

QString formatError(int line, const QString& why)
{
    return QStringLiteral("导入文件格式错误，导入失败！\r\n第%1行：").arg(line) + why;
}
const QString kNotLayout = QStringLiteral("该行不是“|收款人账户|收款人名称|金额|”的格式");
} // namespace

class TestBatchImport : public QObject
{
    Q_OBJECT
private slots:
    void threeValidLines();
    void emptyNameInTheMiddle();
    void blankLineStopsWithFormatError();
    void twoFieldsNeedTheLastLine();
    void limitEndsTheImport();
    void namesWithBarBytesComeThrough();
    void strictDecodingAndUtf8();
    void importedPayeesAreNotRemembered();
};

void TestBatchImport::threeValidLines()
{
    BatchFixture f;
    f.addLine("1234567000");
    f.dialogs.expect(summary(3, 3));
    f.importText(gbk(
        QStringLiteral("|1234567890|甲公司|100|\r\n|1234567891|乙公司|12.5|\r\n|1234567892|丙公司|7|\r\n")));
    QCOMPARE(f.column(0), (QStringList{"1", "2", "3", "4"}));
    QCOMPARE(f.column(3), (QStringList{"100.00", "100.00", "12.50", "7.00"}));
    QCOMPARE(f.field("收款人名称")->text(), QString());
    QVERIFY(f.button("导出Excel")->isEnabled());
    QCOMPARE(f.list()->selectedRow(), -1); // the line selected before is not selected any more
    QVERIFY(f.screen.unsaved());
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestBatchImport::emptyNameInTheMiddle()
{
    BatchFixture f;
    f.dialogs.expect(QStringLiteral("您所导入的文件中第2条，请输入收款账户名称"));
    f.dialogs.expect(summary(3, 2));
    f.importText(
        gbk(QStringLiteral("|1234567890|甲公司|1|\r\n|1234567891||2|\r\n|1234567892|丙公司|3|\r\n")));
    QCOMPARE(f.column(0), (QStringList{"1", "2"}));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestBatchImport::blankLineStopsWithFormatError()
{
    BatchFixture f;
    f.dialogs.expect(formatError(2, QStringLiteral("该行是空行")));
    f.dialogs.expect(summary(2, 1));
    f.importText(gbk(QStringLiteral("|1234567890|甲公司|1|\r\n\r\n|1234567892|丙公司|3|\r\n")));
    QCOMPARE(f.list()->count(), 1);
    QVERIFY(f.screen.unsaved());
    QCOMPARE(f.label("总笔数"), QStringLiteral("1"));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestBatchImport::twoFieldsNeedTheLastLine()
{
    {
        BatchFixture f;
        f.dialogs.expect(formatError(1, kNotLayout));
        f.dialogs.expect(summary(1, 0));
        f.importText(gbk(QStringLiteral("|1234567890|甲公司|\r\n|1234567891|乙公司|2|\r\n")));
        QCOMPARE(f.list()->count(), 0);
        QVERIFY(!f.screen.unsaved());
        VERIFY_DIALOGS_DONE(f.dialogs);
    }
    {
        BatchFixture f;
        f.dialogs.expect(QStringLiteral("您所导入的文件中第2条，请输入转账金额"));
        f.dialogs.expect(summary(2, 1));
        f.importText(gbk(QStringLiteral("|1234567891|乙公司|2|\r\n|1234567890|甲公司|")));
        QCOMPARE(f.list()->count(), 1);
        VERIFY_DIALOGS_DONE(f.dialogs);
    }
}

void TestBatchImport::limitEndsTheImport()
{
    BatchFixture f;
    QByteArray fill;
    for (int i = 0; i < 998; ++i) {
        fill += QStringLiteral("|12345%1|公司|1|\r\n").arg(i, 6, 10, QLatin1Char('0')).toUtf8();
    }
    f.dialogs.expect(summary(998, 998));
    f.importText(fill, "fill.txt");
    QByteArray five;
    for (int i = 0; i < 5; ++i) {
        five += QStringLiteral("|99999%1|公司|1|\r\n").arg(i, 5, 10, QLatin1Char('0')).toUtf8();
    }
    f.dialogs.expect(QStringLiteral("已超过批量工具上限一千条!导入终止"));
    f.dialogs.expect(summary(2, 2) + QStringLiteral("\r\n已达上限，文件中还有3条未读入"));
    f.importText(five, "five.txt");
    QCOMPARE(f.list()->count(), 1000);
    QCOMPARE(f.column(0).last(), QStringLiteral("1000"));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestBatchImport::namesWithBarBytesComeThrough()
{
    BatchFixture f;
    const QByteArray line = gbk(QStringLiteral("|1234567890|王珅|8|\r\n"));
    QCOMPARE(line.count('|'), 5); // 珅 ends with the byte 0x7C
    f.dialogs.expect(summary(1, 1));
    f.importText(line);
    QCOMPARE(f.column(2), QStringList{QStringLiteral("王珅")});
    QCOMPARE(f.column(3), QStringList{"8.00"});
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestBatchImport::strictDecodingAndUtf8()
{
    BatchFixture f;
    f.dialogs.expect(formatError(2, QStringLiteral("该行不是GBK或UTF-8文本")));
    f.dialogs.expect(summary(2, 1));
    f.importText(gbk(QStringLiteral("|1234567890|甲|1|\r\n")) + QByteArray("|1234567891|\x81\x20|2|\r\n"));
    f.dialogs.expect(summary(1, 1));
    f.importText("\xEF\xBB\xBF" + QStringLiteral("|1234567892|弢公司|3|\r\n").toUtf8(), "utf8.txt");
    QCOMPARE(f.column(2), (QStringList{QStringLiteral("甲"), QStringLiteral("弢公司")}));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestBatchImport::importedPayeesAreNotRemembered()
{
    BatchFixture f;
    const QByteArray roster = gbk(QStringLiteral("|1234567891|乙公司||\r\n"));
    f.env.write("hangneiacc.txt", roster);
    f.dialogs.expect(summary(1, 1));
    f.importText(gbk(QStringLiteral("|1234567890|甲公司|1|\r\n")));
    QCOMPARE(f.env.read("hangneiacc.txt"), roster);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

QTEST_MAIN(TestBatchImport)
#include "tst_batchimport.moc"
