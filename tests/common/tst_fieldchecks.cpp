#include "batch/core/BatchLine.h"
#include "common/core/Gbk.h"
#include "common/core/ImportLayout.h"
#include "payroll/core/PayrollLine.h"
#include "rosters/core/RosterDocument.h"

#include <QTest>

// The checks of every line and record kind, as the screens and imports run them, without a
// widget: the first failure's message, plain and numbered, and the tidied values.
Q_DECLARE_METATYPE(SpreadsheetCell)
Q_DECLARE_METATYPE(ImportColumn::Kind)

class TestFieldChecks : public QObject
{
    Q_OBJECT
private slots:
    void payrollLine_data();
    void payrollLine();
    void payrollLineNumbered();
    void batchLine_data();
    void batchLine();
    void rosterRecords_data();
    void rosterRecords();
    void workbookCells_data();
    void workbookCells();
    void firstRowRule_data();
    void firstRowRule();
};

namespace {
const QString kAccount = QStringLiteral("6222020200012345");
const QChar kTab(0x09);
} // namespace

void TestFieldChecks::payrollLine_data()
{
    // account, name, bank name, routing code, amount, purpose
    QTest::addColumn<QStringList>("entry");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("tidied"); // the entry afterwards
    const QStringList ok{kAccount, QStringLiteral("张三"), QStringLiteral("中国银行"), "104306114010", "12",
                         "工资"};
    auto with = [&](int i, const QString& v) {
        QStringList e = ok;
        e[i] = v;
        return e;
    };
    const QStringList done{
        kAccount, QStringLiteral("张三"), QStringLiteral("中国银行"), "104306114010", "12.00", "工资"};
    QTest::newRow("fine") << ok << QString() << done;
    QTest::newRow("account empty") << with(0, "  ") << QStringLiteral("请保证收款账号长度至少为10位")
                                   << with(0, "");
    QTest::newRow("account letter") << with(0, "62220202x0") << QStringLiteral("收款账号请输入数字")
                                    << with(0, "62220202x0");
    QTest::newRow("account short") << with(0, "622202020") << QStringLiteral("请保证收款账号长度至少为10位")
                                   << with(0, "622202020");
    QTest::newRow("account with a tab")
        << with(0, kAccount + kTab) << QStringLiteral("收款账号请输入数字") << with(0, kAccount + kTab);
    QTest::newRow("name empty") << with(1, "") << QStringLiteral("请输入户名") << with(1, "");
    QTest::newRow("name only a CR") << with(1, "\r") << QStringLiteral("请输入户名") << with(1, "");
    QTest::newRow("name with a line break")
        << with(1, QStringLiteral("张\r\n三")) << QString()
        << QStringList{done.at(0), QStringLiteral("张三"), done.at(2), done.at(3), done.at(4), done.at(5)};
    QTest::newRow("name with a tab") << with(1, QStringLiteral("张") + kTab + QStringLiteral("三"))
                                     << QStringLiteral("收款人名称中含有无法保存的字符")
                                     << with(1, QStringLiteral("张") + kTab + QStringLiteral("三"));
    QTest::newRow("name with NUL") << with(1, QStringLiteral("张") + QChar(0))
                                   << QStringLiteral("收款人名称中含有无法保存的字符")
                                   << with(1, QStringLiteral("张") + QChar(0));
    QTest::newRow("name with a comma")
        << with(1, QStringLiteral("张,三")) << QStringLiteral("收款人名称中不能含有字符“,”")
        << with(1, QStringLiteral("张,三"));
    QTest::newRow("bank name with DEL")
        << with(2, QStringLiteral("中国银行") + QChar(0x7F)) << QStringLiteral("开户行中含有无法保存的字符")
        << with(2, QStringLiteral("中国银行") + QChar(0x7F));
    QTest::newRow("bank name keeps its spaces")
        << with(2, QStringLiteral(" 中国银行 ")) << QString()
        << QStringList{done.at(0), done.at(1), QStringLiteral(" 中国银行 "),
                       done.at(3), done.at(4), done.at(5)};
    QTest::newRow("amount zero") << with(4, "0.00") << QStringLiteral("转账金额不能为0") << with(4, "0.00");
    QTest::newRow("amount with a tab")
        << with(4, "12" + QString(kTab)) << QStringLiteral("金额格式错误") << with(4, "12" + QString(kTab));
    QTest::newRow("routing code a control byte")
        << with(3, QString(QChar(0x14))) << QStringLiteral("联行号中含有无法保存的字符")
        << QStringList{done.at(0), done.at(1), done.at(2), QString(QChar(0x14)), done.at(4), done.at(5)};
    QTest::newRow("routing code only a CR")
        << with(3, "\r") << QStringLiteral("请输入行号")
        << QStringList{done.at(0), done.at(1), done.at(2), "", done.at(4), done.at(5)};
    QTest::newRow("purpose only a CR")
        << with(5, "\r") << QString()
        << QStringList{done.at(0), done.at(1), done.at(2), done.at(3), done.at(4), ""};
    QTest::newRow("purpose with a tab")
        << with(5, kTab + QStringLiteral("工资")) << QStringLiteral("付款用途中含有无法保存的字符")
        << QStringList{done.at(0), done.at(1), done.at(2),
                       done.at(3), done.at(4), kTab + QStringLiteral("工资")};
    QTest::newRow("purpose a character that does not come back")
        << with(5, QString(QChar(0xF8F5))) << QStringLiteral("付款用途中含有无法保存的字符")
        << QStringList{done.at(0), done.at(1), done.at(2), done.at(3), done.at(4), QString(QChar(0xF8F5))};
}

void TestFieldChecks::payrollLine()
{
    QFETCH(QStringList, entry);
    QFETCH(QString, message);
    QFETCH(QStringList, tidied);
    PayrollCheck::Entry e{entry.at(0), entry.at(1), entry.at(2), entry.at(3), entry.at(4), entry.at(5)};
    const CheckReporter report(RecordCheckMode::Plain);
    QCOMPARE(PayrollCheck::check(e, report), message.isEmpty());
    QCOMPARE(report.message(), message);
    QCOMPARE((QStringList{e.account, e.name, e.bankName, e.routingCode, e.amount, e.purpose}), tidied);
}

void TestFieldChecks::payrollLineNumbered()
{
    PayrollCheck::Entry e{kAccount,  QStringLiteral("张三"), QString(),
                          QString(), QStringLiteral("1"),    QString()};
    const CheckReporter report(RecordCheckMode::Numbered, 7);
    QVERIFY(!PayrollCheck::check(e, report));
    QCOMPARE(report.failure(), QStringLiteral("请输入行号"));
    QCOMPARE(report.message(), QStringLiteral("您所导入的文件中第7条，请输入行号"));
}

void TestFieldChecks::batchLine_data()
{
    // account, name, amount
    QTest::addColumn<QStringList>("entry");
    QTest::addColumn<QString>("message");
    QTest::newRow("fine") << QStringList{"1234", QStringLiteral("甲公司"), "12.5"} << QString();
    QTest::newRow("name first") << QStringList{"", " ", ""} << QStringLiteral("请输入收款账户名称");
    QTest::newRow("name only a CR") << QStringList{"1234", "\r", "1"} << QStringLiteral("请输入收款账户名称");
    QTest::newRow("name with a tab") << QStringList{"1234", QStringLiteral("甲") + kTab, "1"}
                                     << QStringLiteral("收款人名称中含有无法保存的字符");
    QTest::newRow("account empty") << QStringList{"", QStringLiteral("甲公司"), "1"}
                                   << QStringLiteral("请输入收款账号");
    QTest::newRow("account with a control byte")
        << QStringList{"12" + QString(QChar(0x01)), QStringLiteral("甲公司"), "1"}
        << QStringLiteral("收款人账户中含有无法保存的字符");
    QTest::newRow("account with a bar") << QStringList{"12|34", QStringLiteral("甲公司"), "1"}
                                        << QStringLiteral("收款人账户中不能含有字符“|”");
    QTest::newRow("amount empty") << QStringList{"1234", QStringLiteral("甲公司"), ""}
                                  << QStringLiteral("请输入转账金额");
    QTest::newRow("amount zero") << QStringList{"1234", QStringLiteral("甲公司"), ".00"}
                                 << QStringLiteral("转账金额不能为0");
}

void TestFieldChecks::batchLine()
{
    QFETCH(QStringList, entry);
    QFETCH(QString, message);
    BatchLine::Entry e{entry.at(0), entry.at(1), entry.at(2)};
    const CheckReporter report(RecordCheckMode::Numbered, 3);
    QCOMPARE(BatchLine::check(e, report), message.isEmpty());
    QCOMPARE(report.failure(), message);
    if (message.isEmpty()) {
        QCOMPARE(e.amount, QStringLiteral("12.50"));
    } else {
        QCOMPARE(report.message(), QStringLiteral("您所导入的文件中第3条，") + message);
    }
}

void TestFieldChecks::rosterRecords_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("record");
    QTest::addColumn<QString>("message");
    const int interbank = int(RosterDocument::Kind::Interbank);
    const int inBank = int(RosterDocument::Kind::InBank);
    const int payroll = int(RosterDocument::Kind::Payroll);
    QTest::newRow("interbank name only a CR")
        << interbank << QStringList{kAccount, "\r", "B", "1"} << QStringLiteral("请输入收款账户名称");
    QTest::newRow("interbank name with a tab")
        << interbank << QStringList{kAccount, "N" + QString(kTab), "B", "1"}
        << QStringLiteral("账户名称中含有无法保存的字符");
    QTest::newRow("interbank bank name only LF")
        << interbank << QStringList{kAccount, "N", "\n", "1"} << QStringLiteral("请输入开户行");
    QTest::newRow("interbank bank name with DEL")
        << interbank << QStringList{kAccount, "N", "B" + QString(QChar(0x7F)), "1"}
        << QStringLiteral("开户行中含有无法保存的字符");
    QTest::newRow("interbank code with a control byte")
        << interbank << QStringList{kAccount, "N", "B", QString(QChar(0x14))}
        << QStringLiteral("联行号请输入数字");
    QTest::newRow("in-bank name only CR LF")
        << inBank << QStringList{"1234567890", "\r\n"} << QStringLiteral("请输入付款账户名称");
    QTest::newRow("in-bank name with NUL") << inBank << QStringList{"1234567890", QString(QChar(0))}
                                           << QStringLiteral("账户名称中含有无法保存的字符");
    QTest::newRow("payroll remark with a unit separator")
        << payroll << QStringList{kAccount, "N", "1", "r" + QString(QChar(0x1F))}
        << QStringLiteral("备注中含有无法保存的字符");
    QTest::newRow("payroll remark only a CR")
        << payroll << QStringList{kAccount, "N", "1", "\r"} << QString();
    QTest::newRow("payroll name with a line break")
        << payroll << QStringList{kAccount, QStringLiteral("张\n三"), "1", ""} << QString();
}

void TestFieldChecks::rosterRecords()
{
    QFETCH(int, kind);
    QFETCH(QStringList, record);
    QFETCH(QString, message);
    const CheckReporter report(RecordCheckMode::Plain);
    QCOMPARE(RosterDocument::check(RosterDocument::Kind(kind), record, report), message.isEmpty());
    QCOMPARE(report.message(), message);
    if (message.isEmpty()) {
        // What the record holds is what its line will hold.
        for (const QString& field : record) {
            QVERIFY(!field.contains(QLatin1Char('\r')) && !field.contains(QLatin1Char('\n')));
        }
        // Written and read again, the record comes back as it is.
        const auto k = RosterDocument::Kind(kind);
        QString line = Gbk::decode(RosterDocument::lineOf(k, record)).value();
        QVERIFY(line.endsWith(QStringLiteral("\r\n")));
        line.chop(2);
        QCOMPARE(RosterDocument::recordFromFields(
                     k, RosterFormat::split(line, RosterDocument::layoutOf(k)).value()),
                 record);
    }
}

void TestFieldChecks::workbookCells_data()
{
    using Kind = ImportColumn::Kind;
    QTest::addColumn<SpreadsheetCell>("cell");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("text");   // what the column takes; empty with a reason
    QTest::addColumn<QString>("reason"); // after "第5行E列："
    auto number = [](double v) { return SpreadsheetCell::number(v, QString::number(v, 'g', 17)); };
    QTest::newRow("amount 5200.5") << number(5200.5) << Kind::Amount << "5200.5" << QString();
    // The amount check then refuses what is not exact to two decimals.
    QTest::newRow("amount 1234.567") << number(1234.567) << Kind::Amount << "1234.567" << QString();
    QTest::newRow("amount 0.1+0.2") << number(0.1 + 0.2) << Kind::Amount << "0.30000000000000004"
                                    << QString();
    QTest::newRow("account of 15 digits")
        << number(622202020001234) << Kind::Digits << "622202020001234" << QString();
    QTest::newRow("account of 16 digits")
        << number(6222020200012345.0) << Kind::Digits << QString()
        << QStringLiteral("数字6.22202E+15超过15位，表格已丢失它的末尾几位");
    QTest::newRow("account of 19 digits")
        << number(6222020200012345678.0) << Kind::Digits << QString()
        << QStringLiteral("数字6.22202E+18超过15位，表格已丢失它的末尾几位");
    QTest::newRow("account 12.5") << number(12.5) << Kind::Digits << QString()
                                  << QStringLiteral("数字12.5不是账号或行号");
    QTest::newRow("name as a number")
        << number(7) << Kind::Text << QString() << QStringLiteral("该列须为文本，单元格是数字7");
    QTest::newRow("a date") << SpreadsheetCell::other("44196") << Kind::Amount << QString()
                            << QStringLiteral("单元格是日期、逻辑值、错误值或没有结果的公式，不是文本");
    QTest::newRow("text as it is") << SpreadsheetCell::text(" 1,500 ") << Kind::Amount << " 1,500 "
                                   << QString();

    // The number's format: what the sheet shows must be what is paid.
    auto shown = [](double v, int id, const QString& code) {
        return SpreadsheetCell::number(v, QString::number(v), SpreadsheetCell::shapeOf(id, code));
    };
    auto altered = [](const QString& text) {
        return QStringLiteral(
                   "单元格的数字格式显示的不是存储的数字%1（四舍五入、百分比、千位缩放、补零或隐藏），"
                   "请设置成文本或常规格式")
            .arg(text);
    };
    QTest::newRow("currency code") << shown(1500, 164, QStringLiteral("\"¥\"#,##0.00")) << Kind::Amount
                                   << "1500" << QString();
    QTest::newRow("locale currency, red negatives")
        << shown(5200.5, 164, QStringLiteral("[$¥-804]#,##0.00;[Red]-[$¥-804]#,##0.00")) << Kind::Amount
        << "5200.5" << QString();
    QTest::newRow("accounting") << shown(5200.5, 164,
                                         QStringLiteral("_-* #,##0.00_-;-* #,##0.00_-;_-* \"-\"??_-"))
                                << Kind::Amount << "5200.5" << QString();
    QTest::newRow("built-in 0.00") << shown(5200.5, 2, QString()) << Kind::Amount << "5200.5" << QString();
    QTest::newRow("built-in 0, rounded")
        << shown(5200.5, 1, QString()) << Kind::Amount << QString() << altered("5200.5");
    QTest::newRow("0.0, rounded") << shown(1234.56, 164, QStringLiteral("0.0")) << Kind::Amount << QString()
                                  << altered("1234.56");
    QTest::newRow("percent") << shown(0.5, 9, QString()) << Kind::Amount << QString() << altered("0.5");
    QTest::newRow("hidden") << shown(8500, 164, QStringLiteral(";;;")) << Kind::Amount << QString()
                            << altered("8500");
    QTest::newRow("in thousands") << shown(5200.5, 164, QStringLiteral("#,##0.00,\"千\"")) << Kind::Amount
                                  << QString() << altered("5200.5");
    QTest::newRow("account padded with zeros")
        << shown(12345678901234, 164, QStringLiteral("000000000000000")) << Kind::Digits << QString()
        << altered("12345678901234");
    QTest::newRow("account as General")
        << shown(12345678901234, 0, QString()) << Kind::Digits << "12345678901234" << QString();
    QTest::newRow("account under a text format")
        << shown(12345678901234, 164, QStringLiteral("@")) << Kind::Digits << "12345678901234" << QString();
}

void TestFieldChecks::workbookCells()
{
    QFETCH(SpreadsheetCell, cell);
    QFETCH(ImportColumn::Kind, kind);
    QFETCH(QString, text);
    QFETCH(QString, reason);
    QString why;
    const std::optional<QString> taken = ImportLayout::cellText(cell, kind, &why);
    QCOMPARE(taken.value_or(QString()), text);
    QCOMPARE(taken.has_value(), reason.isEmpty());
    QCOMPARE(why, reason);
    QCOMPARE(ImportLayout::cellName(5, 5), QStringLiteral("第5行E列"));
    QCOMPARE(ImportLayout::cellName(3, 28), QStringLiteral("第3行AB列"));
}

void TestFieldChecks::firstRowRule_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<bool>("header");
    const QString exported = PayrollExport::header();
    QTest::newRow("payroll text header") << "text" << exported.split(',') << true;
    QTest::newRow("payroll text payee")
        << "text" << QStringLiteral("1,,104306114010,6222020200012345,张三,1,,,,,").split(',') << false;
    // A first row with a wrong account but an amount is a payee, refused with its number.
    QTest::newRow("payroll text, letters in the account")
        << "text" << QStringLiteral("1,,104306114010,62220A,张三,1,,,,,").split(',') << false;
    // A digit in the account or the amount: a mistyped payee, never a header.
    QTest::newRow("payroll text, account with dashes")
        << "text" << QStringLiteral("1,,104306114010,6222-0202-0001-0000-012,甲,￥8500,,p,,,").split(',')
        << false;
    QTest::newRow("batch, full-width digits")
        << "batch"
        << QStringList{QStringLiteral("６２２２０２０２"), QStringLiteral("甲"), QStringLiteral("８５００")}
        << false;
    QTest::newRow("payroll workbook header")
        << "payroll" << ImportLayout::payrollWorkbook().captions() << true;
    QTest::newRow("payroll workbook payee, amount not one")
        << "payroll" << QStringList{" 6222020200012345 ", "张三", "", "104306114010", "abc", ""} << false;
    QTest::newRow("batch header") << "batch" << QStringList{"账号", "户名", "金额"} << true;
    QTest::newRow("batch payee") << "batch" << QStringList{"1234567890", "甲公司", "1"} << false;
    QTest::newRow("roster header") << "roster" << ImportLayout::roster().captions() << true;
    QTest::newRow("roster payee, short account")
        << "roster" << QStringList{"123", "5", "短账号", ""} << false;
}

void TestFieldChecks::firstRowRule()
{
    QFETCH(QString, layout);
    QFETCH(QStringList, fields);
    QFETCH(bool, header);
    const ImportLayout& l = layout == "text"      ? ImportLayout::payrollText()
                            : layout == "payroll" ? ImportLayout::payrollWorkbook()
                            : layout == "batch"   ? ImportLayout::batch()
                                                  : ImportLayout::roster();
    QCOMPARE(l.isHeader(fields), header);
}

QTEST_MAIN(TestFieldChecks)
#include "tst_fieldchecks.moc"
