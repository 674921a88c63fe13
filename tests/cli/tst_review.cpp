#include "PayrollFixture.h"
#include "cli/Cli.h"
#include "common/core/AppInfo.h"

#include <QDir>
#include <QTest>
#include <QTextStream>

// The review of an order before its export, on real files: the payroll screen's dialog and the
// companion's reminders for the same order and the same last month.
class TestReview : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { AppInfo::setEdition(AppInfo::Edition::Full); }
    void cleanupTestCase() { AppInfo::setEdition(AppInfo::Edition::Standard); }
    void screenAndCompanionFindTheSame();
    void exitStatuses_data();
    void exitStatuses();
};

namespace {
const QString kHeader = QStringLiteral(
    "序号,业务序号,收款人行号,收款人账号,收款人姓名,金额,收款人地址,附言,日期,流水号,接收行行号");
const QString kZhang = cardNumber(QStringLiteral("621700154000123456"));
const QString kZhangBefore = cardNumber(QStringLiteral("621700154000999999"));
const QString kLi = cardNumber(QStringLiteral("622848001001234567"));
const QString kWangMistyped =
    QStringLiteral("6222020200012340"); // 6222020200012349 with its last digit wrong

QByteArray orderFile(const QStringList& lines)
{
    return gbk(kHeader + QStringLiteral("\r\n") + lines.join(QStringLiteral("\r\n")));
}

// This month: a routing code one digit short, a card number typed wrong, a company the roster
// knows under another name.
QByteArray thisMonth()
{
    return orderFile({"1,,104306114010," + kZhang + QStringLiteral(",张三,1500.00,,工资,,,"),
                      "2,,10430611401," + kLi + QStringLiteral(",李四,2000,,工资,,,"),
                      "3,,104306114010," + kWangMistyped + QStringLiteral(",王五,300,,工资,,,"),
                      QStringLiteral("4,,103100000026,32010001000123455,赵六,8500,,工资,,,")});
}

// Last month: 张三 at another card, 李四 paid half, no 王五, and 钱七 since gone.
QByteArray lastMonth()
{
    return orderFile({"1,,104306114010," + kZhangBefore + QStringLiteral(",张三,1500.00,,工资,,,"),
                      "2,,10430611401," + kLi + QStringLiteral(",李四,1000.00,,工资,,,"),
                      QStringLiteral("3,,103100000026,32010001000123455,赵六,8500.00,,工资,,,"),
                      "4,,104306114010," + cardNumber(QStringLiteral("622202020009999")) +
                          QStringLiteral(",钱七,800.00,,工资,,,")});
}

void writeKnowledge(TestEnv& env)
{
    env.write("BankNo.txt", gbk(QStringLiteral("103100000026|中国农业银行海安支行|\r\n"
                                               "104306114010|中国银行海安支行|\r\n")));
    env.write("kuahangacc.txt",
              gbk(QStringLiteral("32010001000123455|赵陆||中国农业银行海安支行|||103100000026|\r\n")));
}

struct CliRun
{
    int status;
    QString out;
};

CliRun companion(const QStringList& args)
{
    QString out;
    QString err;
    QTextStream o(&out);
    QTextStream e(&err);
    const int status = Cli::run(args, o, e);
    return {status, out + err};
}

ReviewDialog* openReview()
{
    return qobject_cast<ReviewDialog*>(QApplication::activeModalWidget());
}
} // namespace

void TestReview::screenAndCompanionFindTheSame()
{
    PayrollFixture f;
    writeKnowledge(f.env);
    f.env.write("order.txt", thisMonth());
    f.env.write("last.txt", lastMonth());

    // The same file imported twice: every payee twice, at equal amounts.
    for (int i = 0; i < 2; ++i) {
        f.dialogs.expectFile(f.env.path("order.txt"));
        f.dialogs.expect(QStringLiteral("总共导入4条信息\r\n成功导入4条信息"));
        f.click("导入文本");
    }
    QCOMPARE(f.list()->count(), 8);

    // 导出文本 reviews first; the clerk picks the routing code and goes to its line.
    QStringList listed;
    onNextModal([&](QWidget*) {
        ReviewDialog* review = openReview();
        QVERIFY(review);
        listed = reviewRows(review);
        auto* list = review->findChild<RowList*>(QStringLiteral("提醒列表"));
        list->selectRow(int(listed.indexOf(QStringLiteral("2 联行号“10430611401”不是12位数字"))));
        QTest::mouseClick(review->findChild<QPushButton*>(QStringLiteral("转到该行")), Qt::LeftButton);
    });
    f.click("导出文本");
    QCOMPARE(listed.size(), 10); // four pairs, and each pair's routing code, card and roster name
    QCOMPARE(listed.first(), "1、5 收款账号" + kZhang +
                                 QStringLiteral("出现2次（第1、5行），金额也相同，请确认不是重复导入"));
    QVERIFY(listed.contains(
        QStringLiteral("3 收款账号6222020200012340是银联卡号，但末位校验码不符，可能输错了一位")));
    QVERIFY(listed.contains(
        QStringLiteral("8 收款账号32010001000123455在kuahangacc.txt中的户名是“赵陆”，与本行的“赵六”不同")));
    QCOMPARE(f.list()->selectedRow(), 1);
    QCOMPARE(f.field(QStringLiteral("联行号"))->text(), QStringLiteral("10430611401"));
    QVERIFY(!f.env.exists("跨行代发-20201231.txt"));

    // The payroll system's count and total, checked first; 返回修改 writes nothing.
    onNextModal([&](QWidget*) {
        ReviewDialog* review = openReview();
        QVERIFY(review);
        QTest::keyClicks(review->findChild<CMyEditCtrl*>(QStringLiteral("应有总笔数")), "4");
        QTest::keyClicks(review->findChild<CMyEditCtrl*>(QStringLiteral("应有总金额")), "12300");
        QTest::mouseClick(review->findChild<QPushButton*>(QStringLiteral("核对")), Qt::LeftButton);
        listed = reviewRows(review);
        const QString dir = QStringLiteral(DXBK_BUILD_DIR "/screenshots");
        QDir().mkpath(dir);
        QVERIFY(review->grab().save(dir + "/review.png"));
        QTest::keyClick(review, Qt::Key_Return); // Enter means the default, 返回修改
    });
    f.click("导出文本");
    QCOMPARE(listed.mid(0, 2), (QStringList{QStringLiteral("— 总笔数为8笔，与应有的4笔不符"),
                                            QStringLiteral("— 总金额为24600.00，与应有的12300.00不符")}));
    QVERIFY(!f.env.exists("跨行代发-20201231.txt"));
    QVERIFY(f.screen.unsaved());

    // The second import taken back, the order is compared with last month's and exported.
    f.list()->selectRow(4);
    for (int i = 0; i < 4; ++i) {
        f.dialogs.expect(QStringLiteral("确认删除此条信息？"), Msg::Yes);
        f.click("删除");
    }
    QCOMPARE(f.list()->count(), 4);
    f.dialogs.expectFile(f.env.path("last.txt"));
    f.dialogs.expectFile(f.env.path("out.txt"));
    f.dialogs.expect(QStringLiteral("保存成功"));
    answerReview(QStringLiteral("仍然导出"), &listed);
    f.click("与上次比较");
    const QStringList expected{
        "1 收款人张三的账号由" + kZhangBefore + "改为" + kZhang,
        QStringLiteral("2 联行号“10430611401”不是12位数字"),
        QStringLiteral("2 收款人李四的金额由1000.00变为2000.00，变动超过30%"),
        QStringLiteral("3 收款账号6222020200012340是银联卡号，但末位校验码不符，可能输错了一位"),
        QStringLiteral("3 新的收款人王五（账号6222020200012340），上次没有"),
        QStringLiteral("4 收款账号32010001000123455在kuahangacc.txt中的户名是“赵陆”，与本行的“赵六”不同"),
        "— 上次的收款人钱七（账号" + cardNumber(QStringLiteral("622202020009999")) +
            "，金额800.00）本次没有"};
    QCOMPARE(listed, expected);
    VERIFY_DIALOGS_DONE(f.dialogs);

    // The companion, given the file the screen wrote and the same last month, finds the same,
    // each at its line of the file (the header is line 1).
    const CliRun run = companion({"check", f.env.path("out.txt"), "--compare", f.env.path("last.txt")});
    QCOMPARE(run.status, int(Cli::Findings));
    QStringList told;
    for (const QString& line : run.out.split(QLatin1Char('\n'))) {
        const qsizetype at = line.indexOf(QStringLiteral(": 提醒："));
        if (at < 0) {
            continue;
        }
        const QString where = line.left(at);
        const QString text = line.mid(at + 5);
        told << (where.startsWith(f.env.path("out.txt") + ":")
                     ? QString::number(where.section(QLatin1Char(':'), -1).toInt() - 1) + " " + text
                     : QStringLiteral("— ") + text);
        if (text.startsWith(QStringLiteral("上次的收款人"))) {
            QCOMPARE(where, f.env.path("last.txt") + ":5");
        }
    }
    QCOMPARE(told, expected);
}

void TestReview::exitStatuses_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("twice"); // the order's lines twice in the file
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("written");
    QTest::addColumn<QString>("told"); // a text the output must hold
    QTest::newRow("no finding") << QStringList() << false << 0 << true << QString();
    QTest::newRow("findings: still written")
        << QStringList() << true << 3 << true << QStringLiteral("出现2次");
    QTest::newRow("findings, --strict: nothing written")
        << QStringList{"--strict"} << true << 3 << false << QStringLiteral("有2条提醒，未写出文件");
    QTest::newRow("control totals that agree")
        << QStringList{"--expect-count", "2", "--expect-total", "3500"} << false << 0 << true << QString();
    QTest::newRow("a total that does not") << QStringList{"--expect-total", "3500.01"} << false << 3 << true
                                           << QStringLiteral(": 提醒：总金额为3500.00，与应有的3500.01不符");
    QTest::newRow("a change of more than the share asked")
        << QStringList{"--compare", "last.txt", "--max-change", "20"} << false << 3 << true
        << QStringLiteral("收款人张三的金额由1200.00变为1500.00，变动超过20%");
    QTest::newRow("within it") << QStringList{"--compare", "last.txt", "--max-change", "25"} << false << 0
                               << true << QString();
    QTest::newRow("JSON carries them")
        << QStringList{"--json"} << true << 3 << true << QStringLiteral("\"kind\": \"duplicate-account\"");
    QTest::newRow("a last month that cannot be read") << QStringList{"--compare", "missing.txt"} << false << 2
                                                      << false << QStringLiteral("文件读取失败：missing.txt");
    QTest::newRow("a share that is no number")
        << QStringList{"--max-change", "x"} << false << 2 << false << QStringLiteral("用法错误");
}

void TestReview::exitStatuses()
{
    QFETCH(QStringList, options);
    QFETCH(bool, twice);
    QFETCH(int, status);
    QFETCH(bool, written);
    QFETCH(QString, told);
    TestEnv env;
    writeKnowledge(env);
    QStringList lines{"1,,104306114010," + kZhang + QStringLiteral(",张三,1500,,工资,,,"),
                      "2,,104306114010," + kLi + QStringLiteral(",李四,2000,,工资,,,")};
    if (twice) {
        lines += QStringList{"3,,104306114010," + kZhang + QStringLiteral(",张三,1500,,工资,,,"),
                             "4,,104306114010," + kLi + QStringLiteral(",李四,2000,,工资,,,")};
    }
    env.write("in.txt", orderFile(lines));
    env.write("last.txt", orderFile({"1,,104306114010," + kZhang + QStringLiteral(",张三,1200,,工资,,,"),
                                     "2,,104306114010," + kLi + QStringLiteral(",李四,2000,,工资,,,")}));
    for (QString& o : options) {
        if (o.endsWith(QLatin1String(".txt"))) {
            o = env.path(o);
        }
    }
    const CliRun run =
        companion(QStringList{"convert", env.path("in.txt"), "-o", env.path("out.txt")} + options);
    QCOMPARE(run.status, status);
    QCOMPARE(env.exists("out.txt"), written);
    QVERIFY2(told.isEmpty() ? !run.out.contains(QStringLiteral("提醒")) : run.out.contains(told),
             qPrintable(run.out));
    // check tells the same, and writes nothing.
    if (!options.contains(QStringLiteral("--strict"))) {
        QCOMPARE(companion(QStringList{"check", env.path("in.txt")} + options).status, status);
    }
}

QTEST_MAIN(TestReview)
#include "tst_review.moc"
