#include "TestEnv.h"
#include "lookup/core/BankCodeTable.h"

#include <QTest>

namespace {
const QString kOpenFailed = QStringLiteral("打开联行号文件失败，请将联行号文件放在工具可执行程序目录中");
const QString kFormatError = QStringLiteral("导入BankNo.txt文件错误，请更新文件！");
const std::optional<QString> kNoMessage;

// Every test name holds 银行, so that this lists the whole table in its order.
QStringList codes()
{
    QStringList out;
    for (const BankCodeTable::Entry& e : BankCodeTable::search(QStringLiteral("银行"), QString())) {
        out << e.code;
    }
    return out;
}

QStringList names(const QVector<BankCodeTable::Entry>& entries)
{
    QStringList out;
    for (const BankCodeTable::Entry& e : entries) {
        out << e.name;
    }
    return out;
}

QStringList codes(const QVector<BankCodeTable::Entry>& entries)
{
    QStringList out;
    for (const BankCodeTable::Entry& e : entries) {
        out << e.code;
    }
    return out;
}

// BankNo.txt in GBK with the lines given in UTF-8, each ended by LF.
QByteArray bankFile(const QStringList& lines)
{
    QByteArray out;
    for (const QString& l : lines) {
        out += gbk(l) + '\n';
    }
    return out;
}
} // namespace

class TestBankCodeTable : public QObject
{
    Q_OBJECT
private slots:
    void init() { BankCodeTable::resetMessageFlagForTests(); }

    void lastLineWithoutLineEnd();
    void textAfterSecondBarIgnored();
    void lineEndingAfterFirstBarStoresNothing();
    void lineCutAtFirstCr();
    void lineWithoutBarStopsWithMessage();
    void blankLinesSkipped();
    void duplicateCodeLastWins();
    void ascendingCodeOrder();
    void emptyCodeAllowed();
    void strictGbkIsFormatError_data();
    void strictGbkIsFormatError();
    void barTrailByteCharactersIntact();
    void longLineReadWhole();
    void missingFile();
    void messagesAtMostOncePerRun();
    void loadIsNoOpWhenFilledReloadRereads();

    void searchNameWithPercent();
    void searchPercentRules();
    void searchCodeExact();
    void searchNameAndCodeBothHold();
    void searchNothingWhenAllEmpty();
};

void TestBankCodeTable::lastLineWithoutLineEnd()
{
    TestEnv env;
    env.write("BankNo.txt",
              gbk(QStringLiteral("104306114010|中国银行海安支行|\n102306400019|中国工商银行海安支行")));
    QCOMPARE(BankCodeTable::reload(), kNoMessage);
    QCOMPARE(BankCodeTable::size(), 2);
    QCOMPARE(BankCodeTable::nameOf("102306400019"),
             std::optional<QString>(QStringLiteral("中国工商银行海安支行")));
    QCOMPARE(BankCodeTable::nameOf("104306114010"),
             std::optional<QString>(QStringLiteral("中国银行海安支行")));
}

void TestBankCodeTable::textAfterSecondBarIgnored()
{
    TestEnv env;
    env.write("BankNo.txt", bankFile({QStringLiteral("104306114010|中国银行海安支行|已撤并|2020"),
                                      QStringLiteral("105306400012|中国建设银行海安支行||")}));
    QCOMPARE(BankCodeTable::reload(), kNoMessage);
    QCOMPARE(BankCodeTable::nameOf("104306114010"),
             std::optional<QString>(QStringLiteral("中国银行海安支行")));
    QCOMPARE(BankCodeTable::nameOf("105306400012"),
             std::optional<QString>(QStringLiteral("中国建设银行海安支行")));
}

void TestBankCodeTable::lineEndingAfterFirstBarStoresNothing()
{
    TestEnv env;
    env.write("BankNo.txt",
              bankFile({QStringLiteral("104306114010|"), QStringLiteral("102306400019|中国工商银行|")}));
    QCOMPARE(BankCodeTable::reload(), kNoMessage);
    QCOMPARE(BankCodeTable::size(), 1);
    QVERIFY(!BankCodeTable::nameOf("104306114010"));
    QCOMPARE(codes(), QStringList{"102306400019"});
}

void TestBankCodeTable::lineCutAtFirstCr()
{
    TestEnv env;
    // CR LF endings, and a CR inside a line: everything from it on is dropped, even bytes that
    // would not decode.
    env.write("BankNo.txt", gbk(QStringLiteral("104306114010|中国银行海安支行|\r\n")) +
                                gbk(QStringLiteral("1|甲银行")) + "\r\xFF|x|\n" +
                                gbk(QStringLiteral("2|乙银行\r\n")));
    QCOMPARE(BankCodeTable::reload(), kNoMessage);
    QCOMPARE(codes(), (QStringList{"1", "104306114010", "2"}));
    QCOMPARE(BankCodeTable::nameOf("1"), std::optional<QString>(QStringLiteral("甲银行")));
    QCOMPARE(BankCodeTable::nameOf("2"), std::optional<QString>(QStringLiteral("乙银行")));
}

void TestBankCodeTable::lineWithoutBarStopsWithMessage()
{
    TestEnv env;
    env.write("BankNo.txt",
              bankFile({QStringLiteral("104306114010|中国银行海安支行|"),
                        QStringLiteral("102306400019|中国工商银行海安支行|"),
                        QStringLiteral("没有分隔符的行"), QStringLiteral("105306400012|中国建设银行|")}));
    QCOMPARE(BankCodeTable::reload(), std::optional<QString>(kFormatError));
    QCOMPARE(codes(), (QStringList{"102306400019", "104306114010"}));
    QVERIFY(!BankCodeTable::nameOf("105306400012"));
}

void TestBankCodeTable::blankLinesSkipped()
{
    TestEnv env;
    // A blank line does not end the list: the entries after it are loaded too.
    env.write("BankNo.txt", gbk(QStringLiteral("3|丙银行|\n\n1|甲银行|\r\n\r\n2|乙银行|\n\n")));
    QCOMPARE(BankCodeTable::reload(), kNoMessage);
    QCOMPARE(codes(), (QStringList{"1", "2", "3"}));
}

void TestBankCodeTable::duplicateCodeLastWins()
{
    TestEnv env;
    env.write(
        "BankNo.txt",
        bankFile({QStringLiteral("104306114010|旧名银行|"), QStringLiteral("102306400019|中国工商银行|"),
                  QStringLiteral("104306114010|中国银行海安支行|"), QStringLiteral("9|有名银行|"),
                  QStringLiteral("9||空名"), QStringLiteral("8||"), QStringLiteral("8|后来银行|"),
                  QStringLiteral("联行甲|一银行|"), QStringLiteral("联行甲|二银行|")}));
    QCOMPARE(BankCodeTable::reload(), kNoMessage);
    QCOMPARE(BankCodeTable::size(), 5);
    QCOMPARE(BankCodeTable::nameOf("104306114010"),
             std::optional<QString>(QStringLiteral("中国银行海安支行")));
    QCOMPARE(BankCodeTable::nameOf("9"), std::optional<QString>(QString())); // an empty name is a name
    QCOMPARE(BankCodeTable::nameOf("8"), std::optional<QString>(QStringLiteral("后来银行")));
    QCOMPARE(BankCodeTable::nameOf(QStringLiteral("联行甲")),
             std::optional<QString>(QStringLiteral("二银行")));
}

void TestBankCodeTable::ascendingCodeOrder()
{
    TestEnv env;
    // Codes compared as text, unit by unit: short and long, digits, letters, Chinese.
    const QStringList fileOrder{"2",
                                "1111111111111112",
                                "a",
                                "100",
                                "10000000000000000000",
                                "1",
                                QStringLiteral("联1"),
                                "11111111111111111",
                                "A",
                                "10",
                                "1111111111111111",
                                "104306114010",
                                "~",
                                "0"};
    QStringList lines;
    for (const QString& code : fileOrder) {
        lines << code + QStringLiteral("|银行") + code + "|";
    }
    env.write("BankNo.txt", bankFile(lines));
    QCOMPARE(BankCodeTable::reload(), kNoMessage);
    const QStringList expected{"0",
                               "1",
                               "10",
                               "100",
                               "10000000000000000000",
                               "104306114010",
                               "1111111111111111",
                               "11111111111111111",
                               "1111111111111112",
                               "2",
                               "A",
                               "a",
                               "~",
                               QStringLiteral("联1")};
    QCOMPARE(codes(), expected);
    for (const QString& code : fileOrder) {
        QCOMPARE(BankCodeTable::nameOf(code), std::optional<QString>(QStringLiteral("银行") + code));
    }
    QVERIFY(!BankCodeTable::nameOf("11"));
    QVERIFY(!BankCodeTable::nameOf("111111111111111111"));
}

void TestBankCodeTable::emptyCodeAllowed()
{
    TestEnv env;
    env.write("BankNo.txt", bankFile({QStringLiteral("5|五银行|"), QStringLiteral("|无号银行|")}));
    QCOMPARE(BankCodeTable::reload(), kNoMessage);
    QCOMPARE(codes(), (QStringList{"", "5"}));
    QCOMPARE(BankCodeTable::nameOf(QString()), std::optional<QString>(QStringLiteral("无号银行")));
}

void TestBankCodeTable::strictGbkIsFormatError_data()
{
    QTest::addColumn<QByteArray>("badLine");
    QTest::newRow("invalid lead byte") << QByteArray("104306114011|\xFF\xFE\xFF|");
    QTest::newRow("bad trail byte") << QByteArray("104306114011|\xD6\x30|");
    QTest::newRow("lead byte before line end") << QByteArray("104306114011|abc\xD6");
    QTest::newRow("bad byte after second bar") << QByteArray("104306114011|name|\x81\x7F");
}

void TestBankCodeTable::strictGbkIsFormatError()
{
    QFETCH(QByteArray, badLine);
    TestEnv env;
    env.write("BankNo.txt", gbk(QStringLiteral("104306114010|中国银行|\n")) + badLine + "\n" +
                                gbk(QStringLiteral("104306114012|中国银行南通分行|\n")));
    QCOMPARE(BankCodeTable::reload(), std::optional<QString>(kFormatError));
    QCOMPARE(codes(), QStringList{"104306114010"});
}

void TestBankCodeTable::barTrailByteCharactersIntact()
{
    TestEnv env;
    // 珅 and 弢 end with the byte of "|" in GBK.
    QVERIFY(gbk(QStringLiteral("珅")).endsWith('|'));
    QVERIFY(gbk(QStringLiteral("弢")).endsWith('|'));
    env.write("BankNo.txt", bankFile({QStringLiteral("313306400011|王珅弢银行弢甫路支行|备注"),
                                      QStringLiteral("珅1|弢银行|")}));
    QCOMPARE(BankCodeTable::reload(), kNoMessage);
    QCOMPARE(BankCodeTable::nameOf("313306400011"),
             std::optional<QString>(QStringLiteral("王珅弢银行弢甫路支行")));
    QCOMPARE(BankCodeTable::nameOf(QStringLiteral("珅1")), std::optional<QString>(QStringLiteral("弢银行")));
    const auto found = BankCodeTable::search(QStringLiteral("王珅%弢甫"), QString());
    QCOMPARE(codes(found), QStringList{"313306400011"});
}

void TestBankCodeTable::longLineReadWhole()
{
    TestEnv env;
    const QString name = QStringLiteral("银行") + QString(3000, QChar(0x6D77)); // 海 x 3000, 6000 bytes
    env.write("BankNo.txt",
              bankFile({QStringLiteral("1|甲银行|"), "2|" + name + "|", QStringLiteral("3|丙银行|")}));
    QCOMPARE(BankCodeTable::reload(), kNoMessage);
    QCOMPARE(BankCodeTable::nameOf("2"), std::optional<QString>(name));
    QCOMPARE(codes(), (QStringList{"1", "2", "3"}));
}

void TestBankCodeTable::missingFile()
{
    TestEnv env;
    env.write("BankNo.txt", bankFile({QStringLiteral("1|甲银行|")}));
    QCOMPARE(BankCodeTable::reload(), kNoMessage);
    QCOMPARE(BankCodeTable::size(), 1);
    QFile::remove(env.path("BankNo.txt"));
    QCOMPARE(BankCodeTable::reload(), std::optional<QString>(kOpenFailed));
    QCOMPARE(BankCodeTable::size(), 0);
    QVERIFY(BankCodeTable::search(QStringLiteral("银行"), QString()).isEmpty());
}

void TestBankCodeTable::messagesAtMostOncePerRun()
{
    TestEnv env;
    QCOMPARE(BankCodeTable::reload(), std::optional<QString>(kOpenFailed)); // no file
    QCOMPARE(BankCodeTable::reload(), kNoMessage);                          // still none: no second message
    env.write("BankNo.txt", bankFile({QStringLiteral("1|甲银行|"), QStringLiteral("坏行")}));
    QCOMPARE(BankCodeTable::reload(), kNoMessage); // a bad line after a message: silent, the good lines load
    QCOMPARE(BankCodeTable::size(), 1);

    BankCodeTable::resetMessageFlagForTests();
    QCOMPARE(BankCodeTable::reload(), std::optional<QString>(kFormatError));
    QCOMPARE(BankCodeTable::reload(), kNoMessage);
    QFile::remove(env.path("BankNo.txt"));
    QCOMPARE(BankCodeTable::reload(), kNoMessage);
}

void TestBankCodeTable::loadIsNoOpWhenFilledReloadRereads()
{
    TestEnv env;
    env.write("BankNo.txt", bankFile({QStringLiteral("1|旧银行|")}));
    QCOMPARE(BankCodeTable::reload(), kNoMessage);
    env.write("BankNo.txt", bankFile({QStringLiteral("2|新银行|"), QStringLiteral("3|新银行三|")}));
    QCOMPARE(BankCodeTable::load(), kNoMessage);
    QCOMPARE(codes(), QStringList{"1"});
    QCOMPARE(BankCodeTable::reload(), kNoMessage);
    QCOMPARE(codes(), (QStringList{"2", "3"}));

    // An empty table is loaded by load() again.
    env.write("BankNo.txt", QByteArray());
    QCOMPARE(BankCodeTable::reload(), kNoMessage);
    QCOMPARE(BankCodeTable::size(), 0);
    env.write("BankNo.txt", bankFile({QStringLiteral("4|四银行|")}));
    QCOMPARE(BankCodeTable::load(), kNoMessage);
    QCOMPARE(codes(), QStringList{"4"});
}

namespace {
void writeSearchTable(const TestEnv& env)
{
    env.write("BankNo.txt", bankFile({QStringLiteral("104306114012|中国银行南通分行|"),
                                      QStringLiteral("104306114010|中国银行股份有限公司海安支行|"),
                                      QStringLiteral("104306114011|海安中国银行营业部|"),
                                      QStringLiteral("102306400019|中国工商银行海安支行|"),
                                      QStringLiteral("999000000001|50%折扣银行|"),
                                      QStringLiteral("999000000002|%开头银行|"),
                                      QStringLiteral("999000000003|百分号%在后%银行|")}));
    QCOMPARE(BankCodeTable::reload(), kNoMessage);
}
} // namespace

void TestBankCodeTable::searchNameWithPercent()
{
    TestEnv env;
    writeSearchTable(env);
    const auto both = BankCodeTable::search(QStringLiteral("中国银行%海安"), QString());
    QCOMPARE(codes(both), (QStringList{"104306114010", "104306114011"}));
    QCOMPARE(names(both), (QStringList{QStringLiteral("中国银行股份有限公司海安支行"),
                                       QStringLiteral("海安中国银行营业部")}));
    // Order of the two parts does not matter.
    QCOMPARE(codes(BankCodeTable::search(QStringLiteral("海安%中国银行"), QString())), codes(both));
    // Parts may overlap.
    QCOMPARE(codes(BankCodeTable::search(QStringLiteral("中国银行%银行南"), QString())),
             QStringList{"104306114012"});
    QCOMPARE(codes(BankCodeTable::search(QStringLiteral("海安"), QString())),
             (QStringList{"102306400019", "104306114010", "104306114011"}));
}

void TestBankCodeTable::searchPercentRules()
{
    TestEnv env;
    writeSearchTable(env);
    // A trailing "%" is like the text before it.
    QCOMPARE(codes(BankCodeTable::search(QStringLiteral("中国银行%"), QString())),
             codes(BankCodeTable::search(QStringLiteral("中国银行"), QString())));
    QCOMPARE(codes(BankCodeTable::search(QStringLiteral("中国银行%"), QString())),
             (QStringList{"104306114010", "104306114011", "104306114012"}));
    // A leading "%" is an ordinary character, and so is every later one.
    QVERIFY(BankCodeTable::search(QStringLiteral("%海安"), QString()).isEmpty());
    QCOMPARE(codes(BankCodeTable::search(QStringLiteral("%开头"), QString())), QStringList{"999000000002"});
    QCOMPARE(codes(BankCodeTable::search(QStringLiteral("%"), QString())),
             (QStringList{"999000000001", "999000000002", "999000000003"}));
    // Split at the first "%" only: the second part keeps its "%".
    QCOMPARE(codes(BankCodeTable::search(QStringLiteral("百分号%在后%"), QString())),
             QStringList{"999000000003"});
    QVERIFY(BankCodeTable::search(QStringLiteral("百分号%银行%在后"), QString()).isEmpty());
    QCOMPARE(codes(BankCodeTable::search(QStringLiteral("50%折扣"), QString())), QStringList{"999000000001"});
}

void TestBankCodeTable::searchCodeExact()
{
    TestEnv env;
    writeSearchTable(env);
    const auto found = BankCodeTable::search(QString(), QStringLiteral("104306114010"));
    QCOMPARE(codes(found), QStringList{"104306114010"});
    QCOMPARE(names(found), QStringList{QStringLiteral("中国银行股份有限公司海安支行")});
    QVERIFY(BankCodeTable::search(QString(), QStringLiteral("10430611401")).isEmpty());
    QVERIFY(BankCodeTable::search(QString(), QStringLiteral("1043061140100")).isEmpty());
    QVERIFY(BankCodeTable::search(QString(), QStringLiteral(" 104306114010")).isEmpty());
}

void TestBankCodeTable::searchNameAndCodeBothHold()
{
    TestEnv env;
    writeSearchTable(env);
    QCOMPARE(codes(BankCodeTable::search(QStringLiteral("南通"), QStringLiteral("104306114012"))),
             QStringList{"104306114012"});
    QVERIFY(BankCodeTable::search(QStringLiteral("海安"), QStringLiteral("104306114012")).isEmpty());
    QVERIFY(BankCodeTable::search(QStringLiteral("中国银行%南通"), QStringLiteral("104306114010")).isEmpty());
}

void TestBankCodeTable::searchNothingWhenAllEmpty()
{
    TestEnv env;
    writeSearchTable(env);
    QVERIFY(BankCodeTable::size() > 0);
    QVERIFY(BankCodeTable::search(QString(), QString()).isEmpty());
    int visited = 0;
    BankCodeTable::forEachMatch(QString(), QString(), [&](QString, QString) { ++visited; });
    QCOMPARE(visited, 0);
}

QTEST_MAIN(TestBankCodeTable)
#include "tst_bankcodetable.moc"
