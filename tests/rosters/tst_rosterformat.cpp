#include "Faults.h"
#include "TestEnv.h"
#include "rosters/core/RosterDocument.h"
#include "rosters/core/RosterFormat.h"

#include <QTest>

class TestRosterFormat : public QObject
{
    Q_OBJECT
private slots:
    void lineReader();
    void split_data();
    void split();
    void splitDecodesBeforeSplitting();
    void linesOfRecords();
    void interbankCheck_data();
    void interbankCheck();
    void inBankCheck_data();
    void inBankCheck();
    void rosterEntryCheck_data();
    void rosterEntryCheck();
    void numberedAndSilentModes();
    void loadKeepsRefusedLinesInPlace();
    void loadSkipsBlankLinesAndReadsLoneLf();
    void formatErrorKeepsRowsAndRefusesSave();
    void undecodableLineIsAFormatError();
    void payrollRosterAmountsAreCompleted();
    void missingFileIsNotCreated();
    void failedSaveIsReported_data();
    void failedSaveIsReported();
    void failedRememberKeepsTheRoster_data();
    void failedRememberKeepsTheRoster();
};

void TestRosterFormat::lineReader()
{
    const QByteArray data("a|\r\nb\rc|\nlast");
    qsizetype pos = 0;
    QCOMPARE(RosterFormat::nextLine(data, pos).value(), QByteArray("a|"));
    // A lone CR ends a line, as an old Mac editor writes them; CR LF is one line end.
    QCOMPARE(RosterFormat::nextLine(data, pos).value(), QByteArray("b"));
    QCOMPARE(RosterFormat::nextLine(data, pos).value(), QByteArray("c|"));
    QCOMPARE(RosterFormat::nextLine(data, pos).value(), QByteArray("last"));
    QVERIFY(!RosterFormat::nextLine(data, pos).has_value());
    const QByteArray blank("\r\nx|");
    pos = 0;
    QCOMPARE(RosterFormat::nextLine(blank, pos).value(), QByteArray());
    QCOMPARE(RosterFormat::nextLine(blank, pos).value(), QByteArray("x|"));
}

void TestRosterFormat::split_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("fields");
    QTest::addColumn<bool>("lead");
    QTest::addColumn<QStringList>("expected"); // empty list: format error
    QTest::newRow("interbank") << "A|N||B|||C|" << 7 << false << QStringList{"A", "N", "", "B", "", "", "C"};
    QTest::newRow("interbank no final bar") << "A|N||B|||C" << 7 << false << QStringList();
    QTest::newRow("interbank two fields")
        << "A|N|" << 7 << false << QStringList{"A", "N", "", "", "", "", ""};
    QTest::newRow("interbank extra text")
        << "A|N||B|||C|xx" << 7 << false << QStringList{"A", "N", "", "B", "", "", "C"};
    QTest::newRow("inbank") << "|A|N||" << 3 << true << QStringList{"A", "N", ""};
    QTest::newRow("inbank no leading bar") << "A|N||" << 3 << true << QStringList();
    QTest::newRow("inbank one field") << "|A|" << 3 << true << QStringList{"A", "", ""};
    QTest::newRow("payroll") << "|A|N|12.00|R||" << 5 << true << QStringList{"A", "N", "12.00", "R", ""};
}

void TestRosterFormat::split()
{
    QFETCH(QString, line);
    QFETCH(int, fields);
    QFETCH(bool, lead);
    QFETCH(QStringList, expected);
    const auto result = RosterFormat::split(line, {fields, lead});
    QCOMPARE(result.has_value(), !expected.isEmpty());
    if (result) {
        QCOMPARE(*result, expected);
    }
}

void TestRosterFormat::splitDecodesBeforeSplitting()
{
    // 珅 and 弢 end with the byte 0x7C; a byte-wise split would cut them.
    const QByteArray line = gbk(QStringLiteral("6222020200012345|王珅||弢行|||104306114010|"));
    QVERIFY(line.count('|') > 7);
    const auto fields = RosterFormat::decodeAndSplit(line, RosterFormat::Interbank);
    QVERIFY(fields);
    QCOMPARE(fields->at(1), QStringLiteral("王珅"));
    QCOMPARE(fields->at(3), QStringLiteral("弢行"));
    QCOMPARE(fields->at(6), QStringLiteral("104306114010"));
}

void TestRosterFormat::linesOfRecords()
{
    QCOMPARE(RosterFormat::lineOf(InterbankAccount{"A1", QStringLiteral("名"), QStringLiteral("行"), "C"}),
             gbk(QStringLiteral("A1|名||行|||C|\r\n")));
    QCOMPARE(RosterFormat::lineOf(InBankAccount{"A1", QStringLiteral("名")}),
             gbk(QStringLiteral("|A1|名||\r\n")));
    QCOMPARE(
        RosterFormat::lineOf(PayrollRosterEntry{"A1", QStringLiteral("名"), "12.00", QStringLiteral("备")}),
        gbk(QStringLiteral("|A1|名|12.00|备||\r\n")));
}

void TestRosterFormat::interbankCheck_data()
{
    QTest::addColumn<QStringList>("record");
    QTest::addColumn<QString>("message"); // empty: accepted
    const QString acc = "6222020200012345";
    QTest::newRow("account empty") << QStringList{" ", "N", "B", "1"} << QStringLiteral("请输入收款账号");
    QTest::newRow("account letter") << QStringList{"62220a", "N", "B", "1"}
                                    << QStringLiteral("收款账号请输入数字");
    QTest::newRow("account short") << QStringList{"123456789", "N", "B", "1"}
                                   << QStringLiteral("请保证收款账号长度至少为10位");
    QTest::newRow("name empty") << QStringList{acc, "", "B", "1"} << QStringLiteral("请输入收款账户名称");
    QTest::newRow("name bar") << QStringList{acc, "N|M", "B", "1"}
                              << QStringLiteral("账户名称中不能含有字符“|”");
    QTest::newRow("name not gbk") << QStringList{acc, QStringLiteral("¥"), "B", "1"}
                                  << QStringLiteral("账户名称中含有无法保存的字符");
    QTest::newRow("bank empty") << QStringList{acc, "N", "", "1"} << QStringLiteral("请输入开户行");
    QTest::newRow("bank bar") << QStringList{acc, "N", "B|", "1"}
                              << QStringLiteral("开户行中不能含有字符“|”");
    QTest::newRow("code empty") << QStringList{acc, "N", "B", ""} << QStringLiteral("请输入联行号");
    QTest::newRow("code letter") << QStringList{acc, "N", "B", "10x"} << QStringLiteral("联行号请输入数字");
    QTest::newRow("fine") << QStringList{" " + acc, "N ", " B", "1 "} << QString();
}

void TestRosterFormat::interbankCheck()
{
    QFETCH(QStringList, record);
    QFETCH(QString, message);
    const CheckReporter report(RecordCheckMode::Plain);
    QCOMPARE(RosterDocument::check(RosterDocument::Kind::Interbank, record, report), message.isEmpty());
    QCOMPARE(report.message(), message);
    if (message.isEmpty()) {
        QCOMPARE(record, (QStringList{"6222020200012345", "N", "B", "1"})); // trimmed
    }
}

void TestRosterFormat::inBankCheck_data()
{
    QTest::addColumn<QStringList>("record");
    QTest::addColumn<QString>("message");
    QTest::newRow("account empty") << QStringList{"", "N"} << QStringLiteral("请保证付款账号长度至少为10位");
    QTest::newRow("account letter") << QStringList{"12345678x0", "N"}
                                    << QStringLiteral("付款账号请输入数字 ");
    QTest::newRow("account short") << QStringList{"123456789", "N"}
                                   << QStringLiteral("请保证付款账号长度至少为10位");
    QTest::newRow("name empty") << QStringList{"1234567890", "  "} << QStringLiteral("请输入付款账户名称");
    QTest::newRow("name bar") << QStringList{"1234567890", "a|b"}
                              << QStringLiteral("账户名称中不能含有字符“|”");
    QTest::newRow("fine") << QStringList{"1234567890", QStringLiteral("王珅")} << QString();
}

void TestRosterFormat::inBankCheck()
{
    QFETCH(QStringList, record);
    QFETCH(QString, message);
    const CheckReporter report(RecordCheckMode::Plain);
    QCOMPARE(RosterDocument::check(RosterDocument::Kind::InBank, record, report), message.isEmpty());
    QCOMPARE(report.message(), message);
}

void TestRosterFormat::rosterEntryCheck_data()
{
    QTest::addColumn<QStringList>("record");
    QTest::addColumn<QString>("message");
    const QString acc = "6222020200012345";
    QTest::newRow("account empty") << QStringList{"", "N", "1", ""}
                                   << QStringLiteral("请保证收款账号长度至少为10位");
    QTest::newRow("account letter") << QStringList{"a", "N", "1", ""}
                                    << QStringLiteral("收款账号请输入数字 ");
    QTest::newRow("name empty") << QStringList{acc, "", "1", ""} << QStringLiteral("请输入户名");
    QTest::newRow("amount empty") << QStringList{acc, "N", "", ""} << QStringLiteral("请输入金额");
    QTest::newRow("amount letters") << QStringList{acc, "N", "1a", ""} << QStringLiteral("金额格式错误");
    QTest::newRow("amount 3 decimals")
        << QStringList{acc, "N", "1.234", ""} << QStringLiteral("金额格式错误");
    QTest::newRow("amount zero") << QStringList{acc, "N", "0.00", ""} << QStringLiteral("转账金额不能为0");
    QTest::newRow("remark bar") << QStringList{acc, "N", "1", "a|b"}
                                << QStringLiteral("备注中不能含有字符“|”");
    QTest::newRow("fine") << QStringList{acc, "N", "12", " r "} << QString();
}

void TestRosterFormat::rosterEntryCheck()
{
    QFETCH(QStringList, record);
    QFETCH(QString, message);
    const CheckReporter report(RecordCheckMode::Plain);
    QCOMPARE(RosterDocument::check(RosterDocument::Kind::Payroll, record, report), message.isEmpty());
    QCOMPARE(report.message(), message);
    if (message.isEmpty()) {
        QCOMPARE(record.at(2), QStringLiteral("12.00"));
        QCOMPARE(record.at(3), QStringLiteral("r"));
    }
}

void TestRosterFormat::numberedAndSilentModes()
{
    QStringList record{"6222020200012345", "N", "", "1"};
    const CheckReporter numbered(RecordCheckMode::Numbered, 7);
    QVERIFY(!RosterDocument::check(RosterDocument::Kind::Interbank, record, numbered));
    QCOMPARE(numbered.message(), QStringLiteral("您所导入的文件中第7条，请输入开户行"));
    const CheckReporter silent(RecordCheckMode::Silent, 7);
    QVERIFY(!RosterDocument::check(RosterDocument::Kind::Interbank, record, silent));
    QVERIFY(silent.failed());
    QCOMPARE(silent.message(), QString());
}

void TestRosterFormat::loadKeepsRefusedLinesInPlace()
{
    TestEnv env;
    const QByteArray a = gbk(QStringLiteral("6222020200000001|王珅||弢行|||104306114010|\r\n"));
    const QByteArray refused = gbk(QStringLiteral("6222020200000002|两个字段|"));
    const QByteArray c = gbk(QStringLiteral("6222020200000003|赵六||农业银行|||103100000026|"));
    env.write("kuahangacc.txt", a + refused + "\r\n" + c);
    RosterDocument doc(RosterDocument::Kind::Interbank, "kuahangacc.txt");
    QStringList messages;
    QCOMPARE(doc.load(RecordCheckMode::Plain, &messages), RosterDocument::LoadResult::Loaded);
    QCOMPARE(messages, QStringList{QStringLiteral("请输入开户行")});
    QCOMPARE(doc.rowCount(), 2);
    QCOMPARE(doc.row(0), (QStringList{"6222020200000001", QStringLiteral("王珅"), QStringLiteral("弢行"),
                                      "104306114010"}));
    doc.removeRow(0);
    doc.appendRow({"6222020200000004", QStringLiteral("钱七"), QStringLiteral("中国银行"), "104306114010"});
    QVERIFY(doc.save());
    // The refused line survives at its place; the last line gets its line end.
    QCOMPARE(env.read("kuahangacc.txt"),
             refused + "\r\n" + c + "\r\n" +
                 gbk(QStringLiteral("6222020200000004|钱七||中国银行|||104306114010|\r\n")));
}

void TestRosterFormat::loadSkipsBlankLinesAndReadsLoneLf()
{
    TestEnv env;
    env.write("hangneiacc.txt",
              gbk(QStringLiteral("|1234567890|甲||\n\r\n|1234567891|乙||\n|1234567892|丙||")));
    RosterDocument doc(RosterDocument::Kind::InBank, "hangneiacc.txt");
    QCOMPARE(doc.load(RecordCheckMode::Plain), RosterDocument::LoadResult::Loaded);
    QCOMPARE(doc.rowCount(), 3);
    QCOMPARE(doc.row(2), (QStringList{"1234567892", QStringLiteral("丙")}));
    QVERIFY(doc.save());
    // The blank line stays where it was.
    QCOMPARE(env.read("hangneiacc.txt"),
             gbk(QStringLiteral("|1234567890|甲||\r\n\r\n|1234567891|乙||\r\n|1234567892|丙||\r\n")));
}

void TestRosterFormat::formatErrorKeepsRowsAndRefusesSave()
{
    TestEnv env;
    const QByteArray bytes =
        gbk(QStringLiteral("|1234567890|甲||\r\n1234567891|乙||\r\n|1234567892|丙||\r\n"));
    env.write("hangneiacc.txt", bytes);
    RosterDocument doc(RosterDocument::Kind::InBank, "hangneiacc.txt");
    QStringList messages;
    QCOMPARE(doc.load(RecordCheckMode::Plain, &messages), RosterDocument::LoadResult::FormatError);
    QCOMPARE(messages, QStringList{QStringLiteral("导入行内账户文件格式错误，hangneiacc.txt导入失败！")});
    QCOMPARE(doc.rowCount(), 1);
    QVERIFY(doc.formatError());
    QVERIFY(!doc.save());
    QCOMPARE(env.read("hangneiacc.txt"), bytes);
}

void TestRosterFormat::undecodableLineIsAFormatError()
{
    TestEnv env;
    env.write("kuahangacc.txt", QByteArray("6222020200000001|\x81\x20||B|||1|\r\n"));
    RosterDocument doc(RosterDocument::Kind::Interbank, "kuahangacc.txt");
    QStringList messages;
    QCOMPARE(doc.load(RecordCheckMode::Plain, &messages), RosterDocument::LoadResult::FormatError);
    QCOMPARE(messages, QStringList{QStringLiteral("导入跨行账户文件格式错误，kuahangacc.txt导入失败！")});
    QCOMPARE(doc.rowCount(), 0);
}

void TestRosterFormat::payrollRosterAmountsAreCompleted()
{
    TestEnv env;
    env.write(
        QStringLiteral("代发工资.txt"),
        gbk(QStringLiteral(
            "|6222020200000001|张三|12|备注||\r\n|123|短账号|5|||\r\n|6222020200000002|李四|0.5|||\r\n")));
    RosterDocument doc(RosterDocument::Kind::Payroll, QStringLiteral("代发工资.txt"));
    QCOMPARE(doc.load(RecordCheckMode::Silent), RosterDocument::LoadResult::Loaded);
    QCOMPARE(doc.rowCount(), 2);
    QCOMPARE(doc.serialize(), gbk(QStringLiteral("|6222020200000001|张三|12.00|备注||\r\n|123|短账号|5|||"
                                                 "\r\n|6222020200000002|李四|0.50|||\r\n")));
}

void TestRosterFormat::missingFileIsNotCreated()
{
    TestEnv env;
    RosterDocument doc(RosterDocument::Kind::InBank, "hangneiacc.txt");
    QCOMPARE(doc.load(RecordCheckMode::Plain), RosterDocument::LoadResult::Missing);
    QCOMPARE(doc.rowCount(), 0);
    QVERIFY(!env.exists("hangneiacc.txt"));
}

void TestRosterFormat::failedSaveIsReported_data()
{
    // The roster is smaller than a page.
    Faults::addAllRows(false);
}

void TestRosterFormat::failedSaveIsReported()
{
    QFETCH(Faults::Fault, fault);
    RUN_IN_FAULT_CHILD(fault);
    TestEnv env;
    Faults::Injector injector(fault, env.dir());
    QVERIFY2(injector.ready(), qPrintable(injector.error()));
    env.write("hangneiacc.txt", gbk(QStringLiteral("|1234567890|甲||\r\n")));
    RosterDocument doc(RosterDocument::Kind::InBank, "hangneiacc.txt");
    doc.load(RecordCheckMode::Plain);
    doc.appendRow({"1234567891", QStringLiteral("乙")});
    QVERIFY2(injector.inject(doc.serialize().size()), qPrintable(injector.error()));
    QVERIFY(!doc.save());
    QVERIFY2(injector.release(), qPrintable(injector.error()));
    QCOMPARE(env.read("hangneiacc.txt"), gbk(QStringLiteral("|1234567890|甲||\r\n")));
    QCOMPARE(Faults::entries(env.dir()), QStringList{"hangneiacc.txt"});
}

void TestRosterFormat::failedRememberKeepsTheRoster_data()
{
    Faults::addAllRows(false);
}

void TestRosterFormat::failedRememberKeepsTheRoster()
{
    QFETCH(Faults::Fault, fault);
    RUN_IN_FAULT_CHILD(fault);
    TestEnv env;
    Faults::Injector injector(fault, env.dir());
    QVERIFY2(injector.ready(), qPrintable(injector.error()));
    const QByteArray roster = gbk(QStringLiteral("6222000000000001|王五||中国银行|||104306114010|\r\n"));
    env.write("kuahangacc.txt", roster);
    const QByteArray line = gbk(QStringLiteral("6222000000000002|赵六||农业银行|||103100000026|\r\n"));
    QVERIFY2(injector.inject(roster.size() + line.size()), qPrintable(injector.error()));
    const RosterFormat::RememberResult result = RosterFormat::rememberRecord(
        "kuahangacc.txt", "6222000000000002", line,
        [](const QString& text) -> std::optional<QString> { return text.section(QLatin1Char('|'), 0, 0); });
    QVERIFY2(injector.release(), qPrintable(injector.error()));
    QCOMPARE(result, RosterFormat::RememberResult::Failed);
    QCOMPARE(env.read("kuahangacc.txt"), roster);
    QCOMPARE(Faults::entries(env.dir()), QStringList{"kuahangacc.txt"});
}

QTEST_MAIN(TestRosterFormat)
#include "tst_rosterformat.moc"
