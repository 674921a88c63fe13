#include "PayrollFixture.h"
#include "common/core/Gbk.h"
#include "lookup/core/BankCodeTable.h"

#include <QFile>

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

// The format error names the line of the file and what is wrong with it.
QString formatError(int line, const QString& why)
{
    return QStringLiteral("导入文件格式错误，导入失败！\r\n第%1行：").arg(line) + why;
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
    void overlongAndOddLinesAreRefused_data();
    void overlongAndOddLinesAreRefused();
    void cancelledDialogChangesNothing();
    void encodingIsDecidedForTheWholeFile_data();
    void encodingIsDecidedForTheWholeFile();
    void realisticGbkOrderStaysGbk();
    void fieldsThatCannotBeToldApart_data();
    void fieldsThatCannotBeToldApart();
    void firstLineWithSpacedAccountIsData();
    void firstLineWithANumberIsNeverSkippedUnseen();
    void undecodableFirstLineIsAFormatError();
    void characterThatDoesNotComeBackIsRefused();
    void bankNameComesFromTheCodeList();

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
    QTest::newRow("lone CR, last without") << "\r" << false;
    QTest::newRow("lone CR, last with") << "\r" << true;
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
    f.dialogs.expect(formatError(3, QStringLiteral("该行是空行")));
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
    // The line that met the limit and the two after it were not read.
    f.dialogs.expect(summary(2, 2) +
                     QStringLiteral("\r\n已达上限，文件中还有3条未读入\r\n可用 dxbk-cli convert "
                                    "--split 把文件分成每份200条以内，再逐份导入"));
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
    f.dialogs.expect(
        formatError(3, QStringLiteral("该行有11个逗号，多于格式的10个（户名或用途中有逗号？）")));
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
    f.dialogs.expect(formatError(3, QStringLiteral("该行不是GBK或UTF-8文本")));
    f.dialogs.expect(summary(2, 1));
    import(f, "in.txt", bytes);
    QCOMPARE(f.list()->count(), 1);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollImport::overlongAndOddLinesAreRefused_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("message");
    const QString head = QStringLiteral("2,,104306114010,6222020200012345,");
    const QString prefix = QStringLiteral("您所导入的文件中第2条，");
    // 1023 bytes are read (and then its purpose is too long); 1024 are one byte more than the layout holds.
    const QByteArray base = gbk(head + QStringLiteral("李四,1,,"));
    QTest::newRow("1023 bytes") << base + QByteArray(1023 - base.size() - 3, 'x') + ",,,"
                                << prefix + QStringLiteral("付款用途过长，不能超过256字节");
    QTest::newRow("1024 bytes") << base + QByteArray(1024 - base.size() - 3, 'x') + ",,,"
                                << prefix + QStringLiteral("该行超过1023字节，未导入");
    QTest::newRow("50 MB") << base + QByteArray(50 << 20, 'x') + ",,,"
                           << prefix + QStringLiteral("该行超过1023字节，未导入");
    QTest::newRow("a name of 129 hanzi")
        << gbk(head + QString(129, QChar(0x5DE5)) + QStringLiteral(",1,,工资,,,"))
        << prefix + QStringLiteral("收款人名称过长，不能超过256字节");
    QTest::newRow("an account of 300 digits")
        << gbk(QStringLiteral("2,,104306114010,") + QString(300, QLatin1Char('6')) +
               QStringLiteral(",李四,1,,工资,,,"))
        << prefix + QStringLiteral("收款账号过长，不能超过256字节");
    // A UTF-8 line appended to a GBK file: its GBK reading would be a garbled name.
    QTest::newRow("a UTF-8 line in a GBK file")
        << (head + QStringLiteral("王珅,1,,工资,,,")).toUtf8()
        << prefix +
               QStringLiteral(
                   "该行的编码与文件其他行不同（像是UTF-8），未导入；请将文件整个另存为GBK或UTF-8后重新导入");
}

void TestPayrollImport::overlongAndOddLinesAreRefused()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, message);
    PayrollFixture f;
    f.dialogs.expect(message);
    f.dialogs.expect(summary(3, 2));
    import(f, "in.txt",
           gbk(kHeader + "\r\n" + dataLine(1, "6222020200012345", QStringLiteral("张三"), "1") + "\r\n") +
               line + gbk("\r\n" + dataLine(3, "6222020200012346", QStringLiteral("濮洪波"), "3")));
    QCOMPARE(f.column(2), (QStringList{QStringLiteral("张三"), QStringLiteral("濮洪波")}));
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

void TestPayrollImport::encodingIsDecidedForTheWholeFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("names");
    const QStringList two{QStringLiteral("张三"), QStringLiteral("李四")};
    const QStringList three{QStringLiteral("李小龙"), QStringLiteral("欧阳娜")};
    for (const QStringList& names : {two, three}) {
        const QString text = kHeader + "\r\n" + dataLine(1, "6222020200012345", names.at(0), "100") + "\r\n" +
                             dataLine(2, "6222020200099999", names.at(1), "200");
        const QString size = QString::number(names.at(0).size());
        // Saved by a current editor: UTF-8 without the mark. Such bytes often read as valid GBK too
        // (张三 would come in as 寮犱笁): the whole file decides, not each line.
        QTest::newRow(qPrintable(size + " characters, UTF-8 without mark")) << text.toUtf8() << names;
        QTest::newRow(qPrintable(size + " characters, UTF-8 with mark"))
            << "\xEF\xBB\xBF" + text.toUtf8() << names;
        QTest::newRow(qPrintable(size + " characters, GBK")) << gbk(text) << names;
    }
    // Plain ASCII reads the same either way; one multi-byte line makes the file UTF-8.
    const QString mixed = kHeader + "\r\n" + dataLine(1, "6222020200012345", "Li Si", "1", "salary") +
                          "\r\n" + dataLine(2, "6222020200099999", QStringLiteral("张三"), "2");
    QTest::newRow("ASCII lines before a UTF-8 one")
        << mixed.toUtf8() << QStringList{"Li Si", QStringLiteral("张三")};
}

void TestPayrollImport::encodingIsDecidedForTheWholeFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, names);
    PayrollFixture f;
    f.dialogs.expect(summary(2, 2));
    import(f, "in.txt", bytes);
    QCOMPARE(f.column(2), names);
    QCOMPARE(f.column(5), (QStringList{names.at(0) == "Li Si" ? "1.00" : "100.00",
                                       names.at(0) == "Li Si" ? "2.00" : "200.00"}));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollImport::realisticGbkOrderStaysGbk()
{
    QFile file(testData("imports/payroll_december.gbk.txt"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QCOMPARE(Gbk::detect(bytes), Gbk::FileEncoding::Gbk);
    PayrollFixture f;
    f.dialogs.expect(summary(12, 12));
    import(f, "december.txt", bytes);
    QCOMPARE(f.column(2).mid(0, 4), (QStringList{QStringLiteral("王珅"), QStringLiteral("李小龙"),
                                                 QStringLiteral("欧阳娜娜"), QStringLiteral("赵六")}));
    QCOMPARE(f.column(2).last(), QStringLiteral("褚遂良"));
    QCOMPARE(f.total(), QStringLiteral("84706.49"));
    // Exported again, the order gives back the file's bytes.
    f.dialogs.expectFile(f.env.path("again.txt"));
    f.dialogs.expect(QStringLiteral("保存成功"));
    QVERIFY(f.screen.ExportLines());
    QCOMPARE(f.env.read("again.txt"), bytes);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollImport::fieldsThatCannotBeToldApart_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("amount");  // empty: the line ends the import with the format error
    QTest::addColumn<QString>("purpose"); // with no amount: what the format error says of the line
    const QString head = QStringLiteral("1,,104306114010,6222020200012345,张三,");
    // The nine-field layout: the tenth field and the line end are ignored.
    QTest::newRow("nine fields") << head + QStringLiteral("1500.00,,十二月工资,,") << "1500.00"
                                 << QStringLiteral("十二月工资");
    QTest::newRow("nine fields, rest ignored")
        << head + QStringLiteral("1500.00,人民路1号,十二月工资,20201231,备注") << "1500.00"
        << QStringLiteral("十二月工资");
    QTest::newRow("export layout") << head + QStringLiteral("1500.00,,十二月工资,,,") << "1500.00"
                                   << QStringLiteral("十二月工资");
    QTest::newRow("export layout, serial numbers filled")
        << head + QStringLiteral("1500.00,,十二月工资,,0001,104306114010") << "1500.00"
        << QStringLiteral("十二月工资");
    QTest::newRow("small amount and an address")
        << head + QStringLiteral("150,人民路1号,十二月工资,,") << "150.00" << QStringLiteral("十二月工资");
    // A thousands separator in the amount.
    QTest::newRow("nine fields, 1,500.00")
        << head + QStringLiteral("1,500.00,,十二月工资,,") << QString()
        << QStringLiteral("金额中有逗号（千位分隔或小数逗号），请去掉逗号");
    QTest::newRow("nine fields, 1,500.00, no rest")
        << head + QStringLiteral("1,500.00,,十二月工资,") << QString()
        << QStringLiteral("金额中有逗号（千位分隔或小数逗号），请去掉逗号");
    QTest::newRow("nine fields, 12,000") << head + QStringLiteral("12,000,,十二月工资,") << QString()
                                         << QStringLiteral("金额中有逗号（千位分隔或小数逗号），请去掉逗号");
    // A comma in the purpose.
    QTest::newRow("nine fields, purpose 工资,奖金")
        << head + QStringLiteral("100.00,,工资,奖金,,") << QString()
        << QStringLiteral("日期一栏不是日期（户名或用途中有逗号？）");
    QTest::newRow("export layout, purpose 工资,奖金")
        << head + QStringLiteral("100.00,,工资,奖金,,,") << QString()
        << QStringLiteral("该行有11个逗号，多于格式的10个（户名或用途中有逗号？）");
    // Eight fields and a comma in the purpose make nine commas too: 日期 then holds no date.
    QTest::newRow("eight fields, purpose 工资,奖金")
        << head + QStringLiteral("100.00,,工资,奖金,") << QString()
        << QStringLiteral("日期一栏不是日期（户名或用途中有逗号？）");
    QTest::newRow("nine fields, a date")
        << head + QStringLiteral("100.00,,工资,2020-12-31,") << "100.00" << QStringLiteral("工资");
    // Another system fills in 日期 of the export layout.
    QTest::newRow("export layout, a date")
        << head + QStringLiteral("6.5,,津贴,20201231,SN001,104100000004") << "6.50" << QStringLiteral("津贴");
    QTest::newRow("export layout, a purpose comma moved into 日期")
        << head + QStringLiteral("100.00,,工资,奖金,,") << QString()
        << QStringLiteral("日期一栏不是日期（户名或用途中有逗号？）");
    // A decimal comma.
    QTest::newRow("nine fields, 1500,50") << head + QStringLiteral("1500,50,,工资,") << QString()
                                          << QStringLiteral("金额中有逗号（千位分隔或小数逗号），请去掉逗号");
}

void TestPayrollImport::fieldsThatCannotBeToldApart()
{
    QFETCH(QString, line);
    QFETCH(QString, amount);
    QFETCH(QString, purpose);
    PayrollFixture f;
    const QString text = kHeader + "\r\n" + dataLine(1, "6222020200099999", QStringLiteral("李四"), "8") +
                         "\r\n" + line + "\r\n" +
                         dataLine(3, "6222020200099998", QStringLiteral("王五"), "9");
    if (amount.isEmpty()) {
        f.dialogs.expect(formatError(3, purpose));
        f.dialogs.expect(summary(2, 1));
    } else {
        f.dialogs.expect(summary(3, 3));
    }
    import(f, "in.txt", gbk(text));
    if (amount.isEmpty()) {
        QCOMPARE(f.column(2), QStringList{QStringLiteral("李四")});
        QCOMPARE(f.total(), QStringLiteral("8.00"));
    } else {
        QCOMPARE(f.column(2),
                 (QStringList{QStringLiteral("李四"), QStringLiteral("张三"), QStringLiteral("王五")}));
        QCOMPARE(f.row(1).at(5), amount);
        QCOMPARE(f.row(1).at(6), purpose);
    }
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollImport::firstLineWithSpacedAccountIsData()
{
    PayrollFixture f;
    const QString text = QStringLiteral("1,,104306114010, 6222020200012345 ,张三,1,,工资,,,\r\n") +
                         dataLine(2, "6222020200099999", QStringLiteral("李四"), "2");
    f.dialogs.expect(summary(2, 2));
    import(f, "in.txt", gbk(text));
    QCOMPARE(f.column(1), (QStringList{"6222020200012345", "6222020200099999"}));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollImport::firstLineWithANumberIsNeverSkippedUnseen()
{
    PayrollFixture f;
    // No header, and the first payment's account mistyped: refused with its number, not skipped.
    const QString text = QStringLiteral("1,,104306114010,62220202OO012345,张三,1,,工资,,,\r\n") +
                         dataLine(2, "6222020200099999", QStringLiteral("李四"), "2");
    f.dialogs.expect(QStringLiteral("您所导入的文件中第1条，收款账号请输入数字"));
    f.dialogs.expect(summary(2, 1));
    import(f, "in.txt", gbk(text));
    QCOMPARE(f.column(2), QStringList{QStringLiteral("李四")});
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollImport::undecodableFirstLineIsAFormatError()
{
    PayrollFixture f;
    // Not a header that could be skipped without a word: nobody knows what it held.
    const QByteArray bytes = QByteArray("\x81\x20,,104306114010,6222020200012345,x,1,,,,,\r\n") +
                             gbk(dataLine(2, "6222020200099999", QStringLiteral("李四"), "2"));
    f.dialogs.expect(formatError(1, QStringLiteral("该行不是GBK或UTF-8文本")));
    f.dialogs.expect(summary(1, 0));
    import(f, "in.txt", bytes);
    QCOMPARE(f.list()->count(), 0);
    QVERIFY(!f.screen.unsaved());
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestPayrollImport::characterThatDoesNotComeBackIsRefused()
{
    // U+F8F5 has a GBK form on paper, the byte 0xFF, which no GBK reader takes back.
    const QString odd(QChar(0xF8F5));
    QVERIFY(!Gbk::canEncode(odd));
    PayrollFixture f;
    f.click("新增");
    f.fill("6222020200012345", QStringLiteral("张三"), QStringLiteral("中国银行"), "104306114010", "1",
           QStringLiteral("工资") + odd);
    f.dialogs.expect(QStringLiteral("付款用途中含有无法保存的字符"));
    f.click("确定");
    QCOMPARE(f.list()->count(), 0);

    f.click("取消");
    f.dialogs.expect(QStringLiteral("您所导入的文件中第1条，收款人名称中含有无法保存的字符"));
    f.dialogs.expect(summary(1, 0));
    import(f, "in.txt",
           (kHeader + "\r\n" + dataLine(1, "6222020200012345", QStringLiteral("张") + odd, "1")).toUtf8());
    QCOMPARE(f.list()->count(), 0);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

// An imported line shows the bank name BankNo.txt gives its code, or none; the export stays as it was.
void TestPayrollImport::bankNameComesFromTheCodeList()
{
    PayrollFixture f;
    f.env.write("BankNo.txt", gbk(QStringLiteral("104306114010|中国银行海安支行|\r\n")));
    BankCodeTable::loadFrom(f.env.path("BankNo.txt"));
    const QString lines = dataLine(1, "6222020200012345", QStringLiteral("张三"), "1.00") + "\r\n" +
                          dataLine(2, "6222020200099999", QStringLiteral("李四"), "2.00",
                                   QStringLiteral("工资"), QStringLiteral("103306114012"));
    f.dialogs.expect(summary(2, 2));
    import(f, "in.txt", gbk(kHeader + "\r\n" + lines));
    QCOMPARE(f.column(3), (QStringList{QStringLiteral("中国银行海安支行"), QString()}));
    f.dialogs.expectFile(f.env.path("out.txt"));
    f.dialogs.expect(QStringLiteral("保存成功"));
    QVERIFY(f.screen.ExportLines());
    QCOMPARE(f.env.read("out.txt"), gbk(kHeader + "\r\n" + lines));
    BankCodeTable::loadFrom(f.env.path("none.txt")); // the next case starts without a list
    VERIFY_DIALOGS_DONE(f.dialogs);
}

QTEST_MAIN(TestPayrollImport)
#include "tst_payrollimport.moc"
