#include "TestEnv.h"
#include "common/core/Amount.h"
#include "common/core/OrderReview.h"

#include <QTest>

using OrderReview::Finding;
Q_DECLARE_METATYPE(OrderReview::Expected)

class TestOrderReview : public QObject
{
    Q_OBJECT
private slots:
    void findings_data();
    void findings();
};

namespace {
// "account|name|bank name|routing code|amount", numbered from 1.
QVector<OrderReview::Line> order(const QStringList& lines)
{
    QVector<OrderReview::Line> out;
    for (const QString& l : lines) {
        const QStringList f = l.split(QLatin1Char('|'));
        out.append({int(out.size()) + 1, f.value(0), f.value(1), f.value(2), f.value(3), f.value(4)});
    }
    return out;
}

const char* kindName(Finding::Kind k)
{
    static const char* names[] = {"Count",
                                  "Total",
                                  "PreviousUnread",
                                  "Duplicate",
                                  "RoutingCodeForm",
                                  "RoutingCodeUnknown",
                                  "BankNameDiffers",
                                  "CardCheckDigit",
                                  "RosterName",
                                  "NewPayee",
                                  "AccountChanged",
                                  "NameChanged",
                                  "RoutingCodeChanged",
                                  "AmountChanged",
                                  "MissingPayee"};
    return names[int(k)];
}

// The bank's card (Luhn-valid) and a company account.
const QString kCard = cardNumber(QStringLiteral("621700154000123456"));
const QString kCard2 = cardNumber(QStringLiteral("622848001001234567"));
const QString kCompany = QStringLiteral("32010001000123455");
const QString kCode = QStringLiteral("104306114010");
} // namespace

void TestOrderReview::findings_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("previous"); // empty: no comparison
    QTest::addColumn<OrderReview::Expected>("expected");
    QTest::addColumn<QStringList>("found"); // "Kind lines previousLine"

    const QString a = kCard + "|张三|中国银行海安支行|" + kCode + "|1500.00";
    const QString b = kCard2 + "|李四||" + kCode + "|2000.00";
    const QString c = kCompany + "|海安岱溪商贸有限公司||" + kCode + "|8500.00";
    const OrderReview::Expected none;
    QTest::newRow("a clean order") << QStringList{a, b, c} << QStringList() << none << QStringList();
    QTest::newRow("imported twice: every account twice, equal amounts")
        << QStringList{a, b, a, b} << QStringList() << none
        << QStringList{"Duplicate 1、3 0", "Duplicate 2、4 0"};
    QTest::newRow("one account, two amounts") << QStringList{a, kCard + "|张三||" + kCode + "|100.00"}
                                              << QStringList() << none << QStringList{"Duplicate 1、2 0"};
    QTest::newRow("routing codes: short, letters, unknown, another bank's name")
        << QStringList{kCard + "|张三||10430611401|1", kCard2 + "|李四||12ab5|1",
                       "32010001000999999|王五||999999999999|1", kCard + "1|赵六|农业银行|" + kCode + "|1"}
        << QStringList() << none
        << QStringList{"RoutingCodeForm 1 0", "RoutingCodeForm 2 0", "RoutingCodeUnknown 3 0",
                       "BankNameDiffers 4 0"};
    QTest::newRow("card numbers: one digit wrong, 15 and 20 digits and a company account unchecked")
        << QStringList{kCard.left(17) + QString::number((kCard.right(1).toInt() + 1) % 10) + "|张三||" +
                           kCode + "|1",
                       "622202020001234|李四||" + kCode + "|1", "62220202000123456781|王五||" + kCode + "|1",
                       "3201000100012345|赵六||" + kCode + "|1"}
        << QStringList() << none << QStringList{"CardCheckDigit 1 0"};
    QTest::newRow("the roster knows the account under another name")
        << QStringList{kCompany + "|海安岱溪商贸公司||" + kCode + "|1", a} << QStringList() << none
        << QStringList{"RosterName 1 0"};
    QTest::newRow("control totals come first")
        << QStringList{a, b, c} << QStringList() << OrderReview::Expected{2, 1200001}
        << QStringList{"Count  0", "Total  0"};
    QTest::newRow("control totals that agree")
        << QStringList{a, b, c} << QStringList() << OrderReview::Expected{3, 1200000} << QStringList();
    // Last month: 张三 1000.00 (+50%), 李四 at another card, 钱七 gone; this month 王五 new.
    QTest::newRow("against last month")
        << QStringList{a, b, c, kCard + "1|孙八||" + kCode + "|5"}
        << QStringList{kCard + "|张三||" + kCode + "|1000.00", "6222020200012349|李四||" + kCode + "|2000.00",
                       kCompany + "|海安岱溪商贸有限公司||104100000004|8000.00",
                       "6222020200099999|钱七||" + kCode + "|5"}
        << none
        << QStringList{"AmountChanged 1 1", "AccountChanged 2 2", "RoutingCodeChanged 3 3", "NewPayee 4 0",
                       "MissingPayee  4"};
    QTest::newRow("a renamed account; 30% exactly is no change to tell")
        << QStringList{kCard + "|张叁||" + kCode + "|1300.00"}
        << QStringList{kCard + "|张三||" + kCode + "|1000.00"} << none << QStringList{"NameChanged 1 1"};
}

void TestOrderReview::findings()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, previous);
    QFETCH(OrderReview::Expected, expected);
    QFETCH(QStringList, found);
    OrderReview::Knowledge known;
    known.routingCodes = true;
    known.bankNameOf = [](const QString& code) -> std::optional<QString> {
        if (code == kCode || code == QLatin1String("104100000004")) {
            return QStringLiteral("中国银行海安支行");
        }
        return std::nullopt;
    };
    known.rosterFile = QStringLiteral("kuahangacc.txt");
    known.rosterNames.insert(kCompany, {QStringLiteral("海安岱溪商贸有限公司")});
    OrderReview::Previous before;
    before.lines = order(previous);
    for (int i = 0; i < before.lines.size(); ++i) {
        before.lines[i].number = i + 2; // its lines in the file, below the header
    }
    const QVector<Finding> findings =
        OrderReview::review(order(lines), known, expected, previous.isEmpty() ? nullptr : &before);
    QStringList got;
    for (const Finding& f : findings) {
        QVERIFY(!f.text.isEmpty());
        got << QStringLiteral("%1 %2 %3")
                   .arg(QLatin1String(kindName(f.kind)), OrderReview::lineList(f.lines))
                   .arg(f.previousLine == 0 ? 0 : f.previousLine - 1);
    }
    QCOMPARE(got, found);
}

QTEST_GUILESS_MAIN(TestOrderReview)
#include "tst_orderreview.moc"
