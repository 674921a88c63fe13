#include "TestEnv.h"
#include "Workbooks.h"
#include "common/core/SpreadsheetReader.h"
#include "common/core/SpreadsheetWriter.h"
#include "common/core/TextImportFile.h"
#include "payroll/core/PayrollLine.h"

#include <QTest>

// How a payroll order is read from its file, without a screen: what each import and the
// command-line companion get, item by item.
class TestPayrollSource : public QObject
{
    Q_OBJECT
private slots:
    void textItems_data();
    void textItems();
    void workbookTemplateFromRow13_data() { addWorkbookRows("payroll_template"); }
    void workbookTemplateFromRow13();
    void shortTemplateIsRefused_data() { addWorkbookRows("payroll_template_short"); }
    void shortTemplateIsRefused();
    void workbookStopsAtACellThatIsNotText();
};

namespace {
// Each item as "type@location:account".
QStringList items(PayrollSource& source)
{
    QStringList out;
    for (;;) {
        const PayrollSource::Item item = source.next();
        static const char* names[] = {"line", "refused", "format", "not-text", "end"};
        out << QStringLiteral("%1@%2:%3")
                   .arg(QLatin1String(names[item.type]))
                   .arg(item.location)
                   .arg(item.entry.account);
        if (item.type == PayrollSource::Item::End) {
            return out;
        }
    }
}
} // namespace

void TestPayrollSource::textItems_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");
    const QByteArray header = gbk(QStringLiteral(
        "序号,业务序号,收款人行号,收款人账号,收款人姓名,金额,收款人地址,附言,日期,流水号,接收行行号\r\n"));
    const QByteArray line = gbk(QStringLiteral("1,,104306114010,6222020200012345,张三,1,,工资,,,"));
    QTest::newRow("header and a line") << header + line << QStringList{"line@2:6222020200012345", "end@2:"};
    QTest::newRow("no header") << line + "\r\n" + line
                               << QStringList{"line@1:6222020200012345", "line@2:6222020200012345", "end@2:"};
    QTest::newRow("undecodable first line")
        << QByteArray("\x81\x20\r\n") + line << QStringList{"format@1:", "line@2:6222020200012345", "end@2:"};
    QTest::newRow("a line too long") << header + QByteArray(1024, 'x') + "\r\n" + line
                                     << QStringList{"refused@2:", "line@3:6222020200012345", "end@3:"};
    QTest::newRow("blank line") << header + "\r\n" + line
                                << QStringList{"format@2:", "line@3:6222020200012345", "end@3:"};
    QTest::newRow("lone CR line ends")
        << QByteArray(header).replace("\r\n", "\r") + line + "\r" + line
        << QStringList{"line@2:6222020200012345", "line@3:6222020200012345", "end@3:"};
}

void TestPayrollSource::textItems()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    TextImportFile file;
    file.setData(bytes);
    PayrollSource source(file);
    QVERIFY(!source.templateTooShort());
    QCOMPARE(items(source), expected);
}

void TestPayrollSource::workbookTemplateFromRow13()
{
    QFETCH(QString, path);
    SpreadsheetReader reader;
    QVERIFY(reader.open(path));
    PayrollSource source(reader);
    QVERIFY(!source.templateTooShort());
    const PayrollSource::Item first = source.next();
    QCOMPARE(first.type, PayrollSource::Item::Line);
    QVERIFY(first.location >= 13); // rows 1 to 12 carry the template's own texts and a number
    QVERIFY(!first.entry.account.isEmpty());
}

void TestPayrollSource::shortTemplateIsRefused()
{
    QFETCH(QString, path);
    SpreadsheetReader reader;
    QVERIFY(reader.open(path));
    PayrollSource source(reader);
    QVERIFY(source.templateTooShort());
    QCOMPARE(source.next().type, PayrollSource::Item::End);
}

void TestPayrollSource::workbookStopsAtACellThatIsNotText()
{
    TestEnv env;
    SpreadsheetWriter sheet(QStringLiteral("Sheet1"));
    sheet.setText(2, 1, QStringLiteral("6222020200012345"));
    sheet.setText(2, 2, QStringLiteral("张三"));
    sheet.setText(4, 1, QStringLiteral("6222020200012346")); // row 3 is empty and skipped
    QVERIFY(sheet.save(env.path("book.xlsx")));
    SpreadsheetReader reader;
    QVERIFY(reader.open(env.path("book.xlsx")));
    PayrollSource source(reader);
    QCOMPARE(items(source), (QStringList{"line@2:6222020200012345", "line@4:6222020200012346", "end@4:"}));

    SpreadsheetReader number;
    QVERIFY(number.open(testData("imports/batch_number.openpyxl.xlsx")));
    PayrollSource stops(number);
    QStringList seen = items(stops);
    QVERIFY2(seen.size() >= 2 && seen.at(seen.size() - 2).startsWith("not-text@"),
             qPrintable(seen.join(' ')));
}

QTEST_MAIN(TestPayrollSource)
#include "tst_payrollsource.moc"
