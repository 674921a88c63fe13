#include "BatchFixture.h"
#include "PayrollFixture.h"
#include "lookup/CGetBookSearch.h"
#include "lookup/CPayBookSearch.h"
#include "rosters/CDFBook.h"
#include "rosters/CGROUPDlg.h"
#include "rosters/CPLBook.h"
#include "rosters/CPLBook2.h"

#include <QTest>

// Roster files that come back from outside the program: saved as UTF-8 by an editor (with or
// without the byte-order mark), or with lone CRs as line ends. They are read whole and rightly,
// and what the program writes back is GBK with CR LF.
class TestRosterFiles : public QObject
{
    Q_OBJECT
private slots:
    void handEditedUtf8RostersAreReadAndWrittenBackInGbk_data();
    void handEditedUtf8RostersAreReadAndWrittenBackInGbk();
    void pickersReadUtf8AndLoneCrRosters();
    void loneCrEndsEveryRecord();
    void rememberedPayeeInAUtf8Roster();
    void rememberedPayeeInALoneCrRoster();
    void payrollRosterAndGroupsInUtf8();
    void batchTextImportEncodingsAndLoneCr();
    void friendlyImportEncodingsAndLoneCr();
};

namespace {
const QString kInterbankText = QStringLiteral("6222020200000001|王珅||弢行|||104306114010|\r\n"
                                              "6222020200000002|欧阳娜娜||中国农业银行|||103100000026|\r\n");
const QString kInBankText = QStringLiteral("|1234567890|甲公司||\r\n|1234567891|乙公司||\r\n");

RowList* listOf(QWidget* w)
{
    return w->findChild<RowList*>();
}
QStringList column(RowList* list, int c)
{
    QStringList out;
    for (int r = 0; r < list->count(); ++r) {
        out << list->text(r, c);
    }
    return out;
}
void click(QWidget* w, const QString& caption)
{
    QTest::mouseClick(w->findChild<QPushButton*>(caption), Qt::LeftButton);
}
QString summary(int read, int imported)
{
    return QStringLiteral("总共导入%1条信息\r\n成功导入%2条信息").arg(read).arg(imported);
}
} // namespace

void TestRosterFiles::handEditedUtf8RostersAreReadAndWrittenBackInGbk_data()
{
    QTest::addColumn<QByteArray>("mark");
    QTest::newRow("without mark") << QByteArray();
    QTest::newRow("with mark") << QByteArray("\xEF\xBB\xBF");
}

void TestRosterFiles::handEditedUtf8RostersAreReadAndWrittenBackInGbk()
{
    QFETCH(QByteArray, mark);
    TestEnv env;
    ScriptedDialogs d;
    env.write("kuahangacc.txt", mark + kInterbankText.toUtf8());
    env.write("hangneiacc.txt", mark + kInBankText.toUtf8());
    CPLBook2 interbank;
    CPLBook inBank;
    QCOMPARE(column(listOf(&interbank), 2),
             (QStringList{QStringLiteral("王珅"), QStringLiteral("欧阳娜娜")}));
    QCOMPARE(column(listOf(&interbank), 3),
             (QStringList{QStringLiteral("弢行"), QStringLiteral("中国农业银行")}));
    QCOMPARE(column(listOf(&inBank), 2), (QStringList{QStringLiteral("甲公司"), QStringLiteral("乙公司")}));

    // The next save writes the whole roster in GBK.
    listOf(&inBank)->selectRow(1);
    d.expect(QStringLiteral("确认删除此条信息？"), Msg::Yes);
    click(&inBank, QStringLiteral("删除"));
    QCOMPARE(env.read("hangneiacc.txt"), gbk(QStringLiteral("|1234567890|甲公司||\r\n")));
    listOf(&interbank)->selectRow(0);
    click(&interbank, QStringLiteral("修改"));
    interbank.findChild<CMyEditCtrl*>(QStringLiteral("开户行"))->setText(QStringLiteral("中国银行"));
    click(&interbank, QStringLiteral("确定"));
    QCOMPARE(env.read("kuahangacc.txt"),
             gbk(QStringLiteral("6222020200000001|王珅||中国银行|||104306114010|\r\n"
                                "6222020200000002|欧阳娜娜||中国农业银行|||103100000026|\r\n")));
    VERIFY_DIALOGS_DONE(d);
}

void TestRosterFiles::pickersReadUtf8AndLoneCrRosters()
{
    TestEnv env;
    ScriptedDialogs d;
    env.write("kuahangacc.txt", kInterbankText.toUtf8());
    QString loneCr = kInBankText;
    loneCr.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    env.write("hangneiacc.txt", gbk(loneCr));
    CGetBookSearch payees;
    CPayBookSearch accounts;
    QCOMPARE(column(payees.findChild<RowList*>(), 1),
             (QStringList{QStringLiteral("王珅"), QStringLiteral("欧阳娜娜")}));
    QCOMPARE(column(accounts.findChild<RowList*>(), 0), (QStringList{"1234567890", "1234567891"}));
    VERIFY_DIALOGS_DONE(d);
}

void TestRosterFiles::loneCrEndsEveryRecord()
{
    TestEnv env;
    ScriptedDialogs d;
    QString text = kInterbankText + QStringLiteral("6222020200000003|赵六||建设银行|||105306114019|\r\n");
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    env.write("kuahangacc.txt", gbk(text));
    CPLBook2 book;
    QCOMPARE(listOf(&book)->count(), 3);
    QCOMPARE(column(listOf(&book), 1),
             (QStringList{"6222020200000001", "6222020200000002", "6222020200000003"}));
    // A deletion keeps every other record, now with CR LF.
    listOf(&book)->selectRow(1);
    d.expect(QStringLiteral("确认删除此条信息？"), Msg::Yes);
    click(&book, QStringLiteral("删除"));
    QCOMPARE(env.read("kuahangacc.txt"),
             gbk(QStringLiteral("6222020200000001|王珅||弢行|||104306114010|\r\n"
                                "6222020200000003|赵六||建设银行|||105306114019|\r\n")));
    VERIFY_DIALOGS_DONE(d);
}

void TestRosterFiles::rememberedPayeeInAUtf8Roster()
{
    PayrollFixture f;
    f.env.write("kuahangacc.txt", kInterbankText.toUtf8());
    f.addLine("6222020200000002", QStringLiteral("欧阳娜娜"), "100", QStringLiteral("中国银行"),
              "104306114010");
    f.addLine("6222020200000009", QStringLiteral("周八"), "100", QStringLiteral("建设银行"), "105306114019");
    QCOMPARE(f.env.read("kuahangacc.txt"),
             gbk(QStringLiteral("6222020200000001|王珅||弢行|||104306114010|\r\n"
                                "6222020200000002|欧阳娜娜||中国银行|||104306114010|\r\n"
                                "6222020200000009|周八||建设银行|||105306114019|\r\n")));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestRosterFiles::rememberedPayeeInALoneCrRoster()
{
    BatchFixture f;
    QString loneCr = kInBankText;
    loneCr.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    f.env.write("hangneiacc.txt", gbk(loneCr));
    // The second record is found and replaced; the first keeps its bytes and its line end.
    f.addLine("1234567891", QStringLiteral("乙公司分部"));
    QCOMPARE(f.env.read("hangneiacc.txt"),
             gbk(QStringLiteral("|1234567890|甲公司||\r|1234567891|乙公司分部||\r\n")));
    // A new account goes after the last record, with no blank line between.
    f.env.write("hangneiacc.txt", gbk(loneCr));
    f.addLine("1234567899", QStringLiteral("新公司"));
    QCOMPARE(f.env.read("hangneiacc.txt"), gbk(loneCr + QStringLiteral("|1234567899|新公司||\r\n")));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestRosterFiles::payrollRosterAndGroupsInUtf8()
{
    TestEnv env;
    ScriptedDialogs d;
    env.write(QStringLiteral("代发工资.txt"),
              QStringLiteral("|6222020200000001|张三|12|年终奖||\r|6222020200000002|李小龙|5.5|||").toUtf8());
    env.write("group.txt", QStringLiteral("代发工资|其他代发|").toUtf8());
    CDFBook roster;
    QVERIFY(roster.LoadDefaultGroup());
    auto* list = roster.findChild<RowList*>(QStringLiteral("名册列表"));
    QCOMPARE(column(list, 2), (QStringList{QStringLiteral("张三"), QStringLiteral("李小龙")}));
    // The save that follows the load writes GBK, amounts completed.
    QCOMPARE(
        env.read(QStringLiteral("代发工资.txt")),
        gbk(QStringLiteral("|6222020200000001|张三|12.00|年终奖||\r\n|6222020200000002|李小龙|5.50|||\r\n")));
    CGROUPDlg groups;
    QCOMPARE(groups.groups(), (QStringList{QStringLiteral("代发工资"), QStringLiteral("其他代发")}));
    VERIFY_DIALOGS_DONE(d);
}

void TestRosterFiles::batchTextImportEncodingsAndLoneCr()
{
    const QString text =
        QStringLiteral("|1234567890|张三|100|\r|1234567891|李小龙|12.5|\r|1234567892|欧阳娜娜|7|\r");
    for (const QByteArray& bytes : {text.toUtf8(), QByteArray("\xEF\xBB\xBF") + text.toUtf8(), gbk(text)}) {
        BatchFixture f;
        f.dialogs.expect(summary(3, 3));
        f.importText(bytes);
        QCOMPARE(f.column(2),
                 (QStringList{QStringLiteral("张三"), QStringLiteral("李小龙"), QStringLiteral("欧阳娜娜")}));
        QCOMPARE(f.column(3), (QStringList{"100.00", "12.50", "7.00"}));
        QCOMPARE(f.label(QStringLiteral("总金额")), QStringLiteral("119.50"));
        VERIFY_DIALOGS_DONE(f.dialogs);
    }
    // A lone CR is a line end like CR LF: a line ending in it must close its three fields.
    BatchFixture f;
    f.dialogs.expect(QStringLiteral("导入文件格式错误，导入失败！"));
    f.dialogs.expect(summary(2, 1));
    f.importText(gbk(QStringLiteral("|1234567890|张三|100|\r|1234567891|李四|\r|1234567892|王五|7|\r")));
    QCOMPARE(f.list()->count(), 1);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestRosterFiles::friendlyImportEncodingsAndLoneCr()
{
    QString loneCr = kInterbankText;
    loneCr.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    for (const QByteArray& bytes : {kInterbankText.toUtf8(), gbk(loneCr), loneCr.toUtf8()}) {
        TestEnv env;
        ScriptedDialogs d;
        env.write("friends.txt", bytes);
        CPLBook2 book;
        d.expectFile(env.path("friends.txt"));
        d.expect(summary(2, 2));
        book.ImportFriendly();
        QCOMPARE(column(listOf(&book), 2), (QStringList{QStringLiteral("王珅"), QStringLiteral("欧阳娜娜")}));
        QCOMPARE(env.read("kuahangacc.txt"), gbk(kInterbankText));
        VERIFY_DIALOGS_DONE(d);
    }
}

QTEST_MAIN(TestRosterFiles)
#include "tst_rosterfiles.moc"
