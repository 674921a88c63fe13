#include "common/core/Amount.h"
#include "common/core/CMyTool.h"

#include <QTest>

class TestAmount : public QObject
{
    Q_OBJECT
private slots:
    void capital_data();
    void capital();
    void normalizeLeadingZeros_data();
    void normalizeLeadingZeros();
    void padDecimals_data();
    void padDecimals();
    void check_data();
    void check();
    void totals_data();
    void totals();
    void amountChars();
};

void TestAmount::capital_data()
{
    QTest::addColumn<QString>("amount");
    QTest::addColumn<bool>("hasResult");
    QTest::addColumn<QString>("capital");
    QTest::newRow("100.00") << "100.00" << true << QStringLiteral("壹佰元");
    QTest::newRow("1005") << "1005" << true << QStringLiteral("壹仟零伍元");
    QTest::newRow("1050") << "1050" << true << QStringLiteral("壹仟零伍拾元");
    QTest::newRow("15") << "15" << true << QStringLiteral("拾伍元");
    QTest::newRow("100000") << "100000" << true << QStringLiteral("拾万元");
    QTest::newRow("100010000") << "100010000" << true << QStringLiteral("壹亿零壹万元");
    QTest::newRow("10010000") << "10010000" << true << QStringLiteral("壹仟零壹万元");
    QTest::newRow("1.05") << "1.05" << true << QStringLiteral("壹元伍分");
    QTest::newRow("0.5") << "0.5" << true << QStringLiteral("伍角");
    QTest::newRow("0") << "0" << true << QString();
    QTest::newRow("0.00") << "0.00" << true << QString();
    QTest::newRow("1000000") << "1000000" << true << QStringLiteral("壹佰万元");
    QTest::newRow("100000000") << "100000000" << true << QStringLiteral("壹亿元");
    QTest::newRow("1010") << "1010" << true << QStringLiteral("壹仟零壹拾元");
    QTest::newRow("1234.56") << "1234.56" << true << QStringLiteral("壹仟贰佰叁拾肆元伍角陆分");
    QTest::newRow("12.") << "12." << true << QStringLiteral("拾贰元");
    QTest::newRow("empty") << "" << true << QString();
    QTest::newRow("12.345") << "12.345" << false << QString();
    QTest::newRow("1.2.3") << "1.2.3" << false << QString();
    QTest::newRow("13 digits") << "9999999999999.99" << true
                               << QStringLiteral(
                                      "玖万玖仟玖佰玖拾玖亿玖仟玖佰玖拾玖万玖仟玖佰玖拾玖元玖角玖分");
    // Beyond the unit table: no result, and no crash on absurd input.
    QTest::newRow("18 digits") << "123456789012345678" << false << QString();
    QTest::newRow("40 digits") << QString(40, QLatin1Char('9')) << false << QString();
}

void TestAmount::capital()
{
    QFETCH(QString, amount);
    QFETCH(bool, hasResult);
    QFETCH(QString, capital);
    const auto result = CMyTool::CapitalAmount(amount);
    QCOMPARE(result.has_value(), hasResult);
    if (hasResult) {
        QCOMPARE(*result, capital);
    }
}

void TestAmount::normalizeLeadingZeros_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::newRow("007.5") << "007.5"
                           << "7.5";
    QTest::newRow("0.5") << "0.5"
                         << "0.5";
    QTest::newRow("000") << "000"
                         << "0.00";
    QTest::newRow(".25") << ".25"
                         << "0.25";
    QTest::newRow("0") << "0"
                       << "0.00";
    QTest::newRow("120") << "120"
                         << "120";
    QTest::newRow("empty") << ""
                           << "";
}

void TestAmount::normalizeLeadingZeros()
{
    QFETCH(QString, in);
    QFETCH(QString, out);
    QCOMPARE(CMyTool::NormalizeLeadingZeros(in), out);
}

void TestAmount::padDecimals_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::newRow("12") << "12"
                        << "12.00";
    QTest::newRow("12.5") << "12.5"
                          << "12.50";
    QTest::newRow("12.") << "12."
                         << "12.00";
    QTest::newRow("12.34") << "12.34"
                           << "12.34";
}

void TestAmount::padDecimals()
{
    QFETCH(QString, in);
    QFETCH(QString, out);
    QCOMPARE(CMyTool::PadDecimals(in), out);
}

void TestAmount::check_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<int>("problem");
    QTest::addColumn<QString>("canonical");
    const int ok = int(Amount::Problem::None);
    const int fmt = int(Amount::Problem::Format);
    const int zero = int(Amount::Problem::Zero);
    QTest::newRow("empty") << "" << int(Amount::Problem::Empty) << "";
    QTest::newRow("letter") << "12a" << fmt << "";
    QTest::newRow("comma") << "1,500.00" << fmt << "";
    QTest::newRow("two points") << "1.2.3" << fmt << "";
    QTest::newRow("three decimals") << "12.345" << fmt << "";
    QTest::newRow("14 digits") << "12345678901234" << fmt << "";
    QTest::newRow("13 digits") << "1234567890123" << ok << "1234567890123.00";
    QTest::newRow("13 digits, leading zeros") << "0001234567890123.5" << ok << "1234567890123.50";
    QTest::newRow("0") << "0" << zero << "";
    QTest::newRow("0.0") << "0.0" << zero << "";
    QTest::newRow("0.00") << "0.00" << zero << "";
    QTest::newRow(".00") << ".00" << zero << "";
    QTest::newRow("000") << "000" << zero << "";
    QTest::newRow("point") << "." << zero << "";
    QTest::newRow("12") << "12" << ok << "12.00";
    QTest::newRow("12.5") << "12.5" << ok << "12.50";
    QTest::newRow("12.") << "12." << ok << "12.00";
    QTest::newRow("007.5") << "007.5" << ok << "7.50";
    QTest::newRow(".5") << ".5" << ok << "0.50";
}

void TestAmount::check()
{
    QFETCH(QString, in);
    QFETCH(int, problem);
    QFETCH(QString, canonical);
    QString out;
    QCOMPARE(int(Amount::check(in, &out)), problem);
    if (problem == int(Amount::Problem::None)) {
        QCOMPARE(out, canonical);
    }
}

void TestAmount::totals_data()
{
    QTest::addColumn<QStringList>("amounts");
    QTest::addColumn<QString>("count");
    QTest::addColumn<QString>("sum");
    QTest::newRow("empty") << QStringList() << "0"
                           << "0.00";
    QTest::newRow("0.10 + 0.20") << QStringList{"0.10", "0.20"} << "2"
                                 << "0.30";
    QTest::newRow("three") << QStringList{"1.00", "2.50", "100.05"} << "3"
                           << "103.55";
    // Floating point would be a fen off here; the sum is exact.
    QStringList big;
    for (int i = 0; i < 1000; ++i) {
        big << "9999999999999.99";
    }
    QTest::newRow("1000 largest") << big << "1000"
                                  << "9999999999999990.00";
    QStringList cents;
    for (int i = 0; i < 200; ++i) {
        cents << "0.01";
    }
    QTest::newRow("200 fen") << cents << "200"
                             << "2.00";
}

void TestAmount::totals()
{
    QFETCH(QStringList, amounts);
    QFETCH(QString, count);
    QFETCH(QString, sum);
    const Amount::Totals t = Amount::listTotals(amounts);
    QCOMPARE(t.count, count);
    QCOMPARE(t.sum, sum);
}

void TestAmount::amountChars()
{
    QVERIFY(CMyTool::IsAmountChars(QString()));
    QVERIFY(CMyTool::IsAmountChars("1.2.3"));
    QVERIFY(!CMyTool::IsAmountChars("1 2"));
    QVERIFY(!CMyTool::IsAmountChars(QStringLiteral("１２")));
}

QTEST_GUILESS_MAIN(TestAmount)
#include "tst_amount.moc"
