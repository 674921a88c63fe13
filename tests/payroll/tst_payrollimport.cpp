#include "PayrollFixture.h"

namespace {
const QString kHeader = QStringLiteral(
    "序号,业务序号,收款人行号,收款人账号,收款人姓名,金额,收款人地址,附言,日期,流水号,接收行行号");

QString dataLine(int seq, const QString& account, const QString& name, const QString& amount,
                 const QString& purpose = QStringLiteral("工资"),
                 const QString& code = QStringLiteral("104306114010"))
{
    return QStringLiteral("%1,,%2,%3,%4,%5,,%6,,,").arg(seq).arg(code, account, name, amount, purpose);
}

QString summary(int read, int imported)
{
    return QStringLiteral("总共导入%1条信息\r\n成功导入%2条信息").arg(read).arg(imported);
}
} // namespace

class TestPayrollImport : public QObject
{
    Q_OBJECT
private slots:
    void exportedOrderImportsBack();
    void lineEndsAndLastLineWithoutEnd_data();
    void lineEndsAndLastLineWithoutEnd();
    void headerOnlyLeavesUnsavedAlone();
    void invalidLineIsReportedAndSkipped();
    void numbersFollowTheLastLine();
    void blankLineEndsWithFormatError();
    void limitIsCheckedBeforeALineCounts();
    void fileWithoutHeaderKeepsFirstPayment();
    void elevenCommasAreAFormatError();
    void utf8FileWithByteOrderMark();
    void invalidGbkIsAFormatError();
    void longLinesAreReadWhole();
    void cancelledDialogChangesNothing();

private:
    static void import(PayrollFixture& f, const QString& name, const QByteArray& bytes)
    {
        f.env.write(name, bytes);
        f.dialogs.expectFile(f.env.path(name));
        f.click(QStringLiteral("导入文本"));
    }
};

void TestPayrollImport::exportedOrderImportsBack()
{
    PayrollFixture f;
    f.addLine("6222020200012345", QStringLiteral("王珅"), "100", QStringLiteral("中国银行"), "104306114010");
    f.addLine("6222020200099999", QStringLiteral("李四"), "2.5", QStringLiteral("农业银行"), "103100000026",
              "");
    f.addLine("6222020200077777", QStringLiteral("赵六"), "0.01");
    f.dialogs.expectFile(f.env.path("order.txt"));
    f.dialogs.expect(QStringLiteral("保存成功"));
    QVERIFY(f.screen.ExportLines());
    const QVector<PayrollLine> before = f.screen.lines();
    f.screen.ClearLines();

    f.dialogs.expectFile(f.env.path("order.txt"));
    f.dialogs.expect(summary(3, 3), Msg::Ok, "DXBK-TOOL");
    f.click("导入文本");
    QCOMPARE(f.dialogs.fileRequests.last().filter, QStringLiteral("Text Files (*.txt)|*.txt||"));
    const QVector<PayrollLine> after = f.screen.lines();
    QCOMPARE(after.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(after.at(i).seq, before.at(i).seq);
        QCOMPARE(after.at(i).account, before.at(i).account);
        QCOMPARE(after.at(i).name, before.at(i).name);
        QCOMPARE(after.at(i).routingCode, before.at(i).routingCode);
        QCOMPARE(after.at(i).amount, before.at(i).amount);
        QCOMPARE(after.at(i).purpose, before.at(i).purpose);
        QCOMPARE(after.at(i).bankName, QString()); // not in the file
    }
    QVERIFY(f.screen.unsaved());
    QCOMPARE(f.list()->selectedRow(), 0);
    QCOMPARE(f.field("收款人名称")->text(), QStringLiteral("王珅"));
    QCOMPARE(f.total(), QStringLiteral("102.51"));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollImport::lineEndsAndLastLineWithoutEnd_data()
{
    QTest::addColumn<QString>("eol");
    QTest::addColumn<bool>("finalEol");
    QTest::newRow("CR LF, last without") << "\r\n" << false;
    QTest::newRow("CR LF, last with") << "\r\n" << true;
    QTest::newRow("LF, last without") << "\n" << false;
    QTest::newRow("LF, last with") << "\n" << true;
}

void TestPayrollImport::lineEndsAndLastLineWithoutEnd()
{
    QFETCH(QString, eol);
    QFETCH(bool, finalEol);
    PayrollFixture f;
    QString text = kHeader + eol + dataLine(1, "6222020200012345", QStringLiteral("张三"), "12") + eol +
                   dataLine(2, "6222020200099999", QStringLiteral("李四"), "12.5", QStringLiteral("奖金"));
    if (finalEol) {
        text += eol;
    }
    f.dialogs.expect(summary(2, 2));
    import(f, "in.txt", gbk(text));
    QCOMPARE(f.column(5), (QStringList{"12.00", "12.50"}));
    QCOMPARE(f.column(6), (QStringList{QStringLiteral("工资"), QStringLiteral("奖金")}));
    QCOMPARE(f.column(0), (QStringList{"1", "2"}));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollImport::headerOnlyLeavesUnsavedAlone()
{
    PayrollFixture f;
    f.dialogs.expect(summary(0, 0));
    import(f, "header.txt", gbk(kHeader + "\r\n"));
    QVERIFY(!f.screen.unsaved());
    QCOMPARE(f.list()->count(), 0);
    QCOMPARE(f.count(), QStringLiteral("0"));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollImport::invalidLineIsReportedAndSkipped()
{
    PayrollFixture f;
    const QString text = kHeader + "\r\n" + dataLine(1, "6222020200012345", QStringLiteral("张三"), "1") +
                         "\r\n" + dataLine(2, "622202020", QStringLiteral("李四"), "2") + "\r\n" +
                         dataLine(3, "6222020200099999", QStringLiteral("王五"), "3", "", "") + "\r\n" +
                         dataLine(4, "6222020200099998", QStringLiteral("赵六"), "1.2.3") + "\r\n" +
                         dataLine(5, "6222020200099997", QStringLiteral("钱七"), "4") + "\r\n";
    f.dialogs.expect(QStringLiteral("您所导入的文件中第2条，请保证收款账号长度至少为10位"));
    f.dialogs.expect(QStringLiteral("您所导入的文件中第3条，请输入行号"));
    f.dialogs.expect(QStringLiteral("您所导入的文件中第4条，金额格式错误"));
    f.dialogs.expect(summary(5, 2));
    import(f, "in.txt", gbk(text));
    QCOMPARE(f.column(2), (QStringList{QStringLiteral("张三"), QStringLiteral("钱七")}));
    QCOMPARE(f.column(0), (QStringList{"1", "2"}));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollImport::numbersFollowTheLastLine()
{
    PayrollFixture f;
    for (int i = 0; i < 3; ++i) {
        f.addLine(QStringLiteral("622202020001234%1").arg(i));
    }
    const QString text = kHeader + "\r\n" + dataLine(9, "6222020200099999", QStringLiteral("李四"), "1") +
                         "\r\n" + dataLine(7, "6222020200099998", QStringLiteral("王五"), "1");
    f.dialogs.expect(summary(2, 2));
    import(f, "in.txt", gbk(text));
    QCOMPARE(f.column(0), (QStringList{"1", "2", "3", "4", "5"}));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollImport::blankLineEndsWithFormatError()
{
    PayrollFixture f;
    const QString text = kHeader + "\r\n" + dataLine(1, "6222020200012345", QStringLiteral("张三"), "1") +
                         "\r\n\r\n" + dataLine(2, "6222020200099999", QStringLiteral("李四"), "2") + "\r\n";
    f.dialogs.expect(QStringLiteral("导入文件格式错误，导入失败！"));
    f.dialogs.expect(summary(2, 1));
    import(f, "in.txt", gbk(text));
    QCOMPARE(f.list()->count(), 1);
    QCOMPARE(f.count(), QStringLiteral("1"));
    QVERIFY(f.screen.unsaved());
    QCOMPARE(f.field("收款人名称")->text(), QString()); // entry reset
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollImport::limitIsCheckedBeforeALineCounts()
{
    PayrollFixture f;
    for (int i = 0; i < 198; ++i) {
        f.addLine(QStringLiteral("62220202%1").arg(i, 8, 10, QLatin1Char('0')), QStringLiteral("张三"), "1");
    }
    QString text = kHeader;
    for (int i = 0; i < 5; ++i) {
        text += "\r\n" + dataLine(i + 1, QStringLiteral("62220203%1").arg(i, 8, 10, QLatin1Char('0')),
                                  QStringLiteral("李四"), "1");
    }
    f.dialogs.expect(QStringLiteral("已超过代发工具上限200条!导入终止"));
    f.dialogs.expect(summary(2, 2));
    import(f, "in.txt", gbk(text));
    QCOMPARE(f.list()->count(), 200);
    QCOMPARE(f.column(0).last(), QStringLiteral("200"));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollImport::fileWithoutHeaderKeepsFirstPayment()
{
    PayrollFixture f;
    const QString text = dataLine(1, "6222020200012345", QStringLiteral("张三"), "1") + "\r\n" +
                         dataLine(2, "6222020200099999", QStringLiteral("李四"), "2");
    f.dialogs.expect(summary(2, 2));
    import(f, "in.txt", gbk(text));
    QCOMPARE(f.column(2), (QStringList{QStringLiteral("张三"), QStringLiteral("李四")}));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollImport::elevenCommasAreAFormatError()
{
    PayrollFixture f;
    const QString text = kHeader + "\r\n" + dataLine(1, "6222020200012345", QStringLiteral("张三"), "1") +
                         "\r\n" + QStringLiteral("2,,104306114010,6222020200099999,李四,1,500.00,,工资,,,");
    f.dialogs.expect(QStringLiteral("导入文件格式错误，导入失败！"));
    f.dialogs.expect(summary(2, 1));
    import(f, "in.txt", gbk(text));
    QCOMPARE(f.column(5), QStringList{"1.00"});
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollImport::utf8FileWithByteOrderMark()
{
    PayrollFixture f;
    const QString text = kHeader + "\r\n" + dataLine(1, "6222020200012345", QStringLiteral("王珅"), "1");
    f.dialogs.expect(summary(1, 1));
    import(f, "utf8.txt", "\xEF\xBB\xBF" + text.toUtf8());
    QCOMPARE(f.column(2), QStringList{QStringLiteral("王珅")});
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollImport::invalidGbkIsAFormatError()
{
    PayrollFixture f;
    const QByteArray bad = gbk(dataLine(2, "6222020200099999", QStringLiteral("李"), "2"))
                               .replace(gbk(QStringLiteral("李")), QByteArray("\x81\x20"));
    const QByteArray bytes =
        gbk(kHeader + "\r\n" + dataLine(1, "6222020200012345", QStringLiteral("张三"), "1") + "\r\n") + bad;
    f.dialogs.expect(QStringLiteral("导入文件格式错误，导入失败！"));
    f.dialogs.expect(summary(2, 1));
    import(f, "in.txt", bytes);
    QCOMPARE(f.list()->count(), 1);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollImport::longLinesAreReadWhole()
{
    PayrollFixture f;
    const QString purpose = QString(700, QChar(0x5DE5)); // 1400 bytes in GBK
    f.dialogs.expect(summary(1, 1));
    import(f, "in.txt",
           gbk(kHeader + "\r\n" + dataLine(1, "6222020200012345", QStringLiteral("张三"), "1", purpose)));
    QCOMPARE(f.column(6), QStringList{purpose});
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollImport::cancelledDialogChangesNothing()
{
    PayrollFixture f;
    f.addLine("6222020200012345");
    f.dialogs.expectFile(QString());
    f.click("导入文本");
    QCOMPARE(f.list()->count(), 1);
    QCOMPARE(f.dialogs.messages.size(), 0);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

QTEST_MAIN(TestPayrollImport)
#include "tst_payrollimport.moc"
