#include "BatchFixture.h"
#include "ModalDriver.h"
#include "PayrollFixture.h"
#include "lookup/CGetBookSearch.h"
#include "lookup/CPayBookSearch.h"
#include "rosters/CDFBook.h"
#include "rosters/CGROUPDlg.h"
#include "rosters/CPLBook.h"
#include "rosters/CPLBook2.h"

#include <QDir>

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
    void groupImportTakesWhatTheGroupShows();
    void unreadableRosterIsNeverTakenForEmpty_data();
    void unreadableRosterIsNeverTakenForEmpty();
    void rememberCarriesOverALineItCannotRead();
    void folderThatTakesTheFilesPlaceFailsTheSave_data();
    void folderThatTakesTheFilesPlaceFailsTheSave();
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
    f.dialogs.expect(QStringLiteral(
        "导入文件格式错误，导入失败！\r\n第2行：该行不是“|收款人账户|收款人名称|金额|”的格式"));
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

void TestRosterFiles::groupImportTakesWhatTheGroupShows()
{
    BatchFixture f;
    f.env.write("group.txt", gbk(QStringLiteral("代发工资|一月|")));
    const QByteArray roster = gbk(QStringLiteral("|6222A20200000001|甲|100|||\r\n"
                                                 "|622202020|乙|100|||\r\n"
                                                 "|6222020200000003|丙|100|\x01备注||\r\n"
                                                 "|6222020200000004|丁|200.5|||\r\n")) +
                              "|6222020200000005|" + QByteArray(1100, 'x') + "|1|||\r\n";
    f.env.write("一月.txt", roster);
    // The group shows one payee, and says why it hides the others.
    {
        f.dialogs.expect(QStringLiteral("收款账号请输入数字 "));
        f.dialogs.expect(QStringLiteral("请保证收款账号长度至少为10位"));
        f.dialogs.expect(QStringLiteral("备注中含有无法保存的字符"));
        f.dialogs.expect(QStringLiteral("您所导入的文件中第5条，该行超过1023字节，未导入"));
        CDFBook book;
        QVERIFY(book.LoadGroup(QStringLiteral("一月")));
        QCOMPARE(column(book.findChild<RowList*>(QStringLiteral("名册列表")), 2),
                 QStringList{QStringLiteral("丁")});
        // Its rewrite keeps every hidden line as it is.
        QCOMPARE(f.env.read("一月.txt"), QByteArray(roster).replace("200.5", "200.50"));
    }
    // 导入名册 takes exactly that payee.
    onNextModal([](QWidget* modal) {
        auto* list = modal->findChild<RowList*>();
        list->selectRow(1);
        click(modal, QStringLiteral("打开"));
    });
    f.dialogs.expect(QStringLiteral("您所导入的文件中第1条，收款账号请输入数字 "));
    f.dialogs.expect(QStringLiteral("您所导入的文件中第2条，请保证收款账号长度至少为10位"));
    f.dialogs.expect(QStringLiteral("您所导入的文件中第3条，备注中含有无法保存的字符"));
    f.dialogs.expect(QStringLiteral("您所导入的文件中第5条，该行超过1023字节，未导入"));
    f.dialogs.expect(summary(5, 1));
    f.click(QStringLiteral("导入名册"));
    QCOMPARE(f.screen.lineCount(), 1);
    QCOMPARE(f.screen.line(0).mid(1), (QStringList{"6222020200000004", QStringLiteral("丁"), "200.50"}));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestRosterFiles::unreadableRosterIsNeverTakenForEmpty_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("folder"); // a folder where the file should be, else a file without permission
    for (const bool folder : {false, true}) {
        const char* how = folder ? "folder" : "no permission";
        for (const char* file : {"hangneiacc.txt", "kuahangacc.txt", "代发工资.txt", "group.txt"}) {
            QTest::addRow("%s, %s", file, how) << QString::fromUtf8(file) << folder;
        }
    }
}

void TestRosterFiles::unreadableRosterIsNeverTakenForEmpty()
{
    QFETCH(QString, file);
    QFETCH(bool, folder);
    PayrollFixture f;
    const QByteArray old =
        file == "group.txt" ? gbk(QStringLiteral("代发工资|一月|"))
        : file == "kuahangacc.txt"
            ? gbk(kInterbankText)
            : gbk(QStringLiteral("|1234567890|甲公司|1|||\r\n|1234567891|乙公司|2|||\r\n"));
    std::optional<UnreadableFile> unreadable;
    if (folder) {
        QVERIFY(QDir(f.env.dir()).mkdir(file));
    } else {
        f.env.write(file, old);
        unreadable.emplace(f.env.path(file));
        if (!unreadable->ready()) {
            QSKIP("a file cannot be made unreadable here");
        }
    }
    const QString readFailed = QStringLiteral("文件读取失败：") + file;
    if (file == "hangneiacc.txt") {
        f.dialogs.expect(readFailed);
        CPLBook book;
        QVERIFY(!book.findChild<QPushButton*>(QStringLiteral("新增"))->isEnabled());
    } else if (file == "kuahangacc.txt") {
        // Behind the payroll screen: the line is taken, the payee not remembered, the clerk told.
        f.dialogs.expect(QStringLiteral("文件保存失败：kuahangacc.txt"));
        f.addLine("6222020200000009", QStringLiteral("周八"));
        QCOMPARE(f.count(), QStringLiteral("1"));
        VERIFY_DIALOGS_DONE(f.dialogs);
        f.dialogs.expect(readFailed);
        CPLBook2 book;
        QVERIFY(!book.findChild<QPushButton*>(QStringLiteral("新增"))->isEnabled());
    } else if (file == "代发工资.txt") {
        f.dialogs.expect(readFailed);
        CDFBook roster;
        QVERIFY(!roster.LoadDefaultGroup());
        QVERIFY(!roster.findChild<QPushButton*>(QStringLiteral("新增"))->isEnabled());
    } else {
        f.dialogs.expect(readFailed);
        f.dialogs.expect(QStringLiteral("文件保存失败：group.txt"));
        CGROUPDlg groups;
        click(&groups, QStringLiteral("新建组"));
    }
    VERIFY_DIALOGS_DONE(f.dialogs);
    unreadable.reset();
    if (folder) {
        QVERIFY(QFileInfo(f.env.path(file)).isDir());
    } else {
        QCOMPARE(f.env.read(file), old);
    }
    QCOMPARE(QDir(f.env.dir()).entryList(QDir::Files | QDir::Hidden).size(), folder ? 0 : 1);
}

void TestRosterFiles::rememberCarriesOverALineItCannotRead()
{
    // Saved as UTF-8 with the mark, and one GBK line added by another program.
    PayrollFixture f;
    const QByteArray gbkLine = gbk(QStringLiteral("6222020200000005|濮洪波||工商银行|||102100099996|\r\n"));
    f.env.write("kuahangacc.txt", "\xEF\xBB\xBF" + kInterbankText.toUtf8() + gbkLine);
    f.addLine("6222020200000002", QStringLiteral("欧阳娜娜"), "100", QStringLiteral("中国银行"),
              "104306114010");
    QCOMPARE(f.env.read("kuahangacc.txt"),
             gbk(QStringLiteral("6222020200000001|王珅||弢行|||104306114010|\r\n"
                                "6222020200000002|欧阳娜娜||中国银行|||104306114010|\r\n")) +
                 gbkLine);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestRosterFiles::folderThatTakesTheFilesPlaceFailsTheSave_data()
{
    QTest::addColumn<QString>("file");
    QTest::newRow("in-bank book") << QStringLiteral("hangneiacc.txt");
    QTest::newRow("payroll roster") << QStringLiteral("代发工资.txt");
}

void TestRosterFiles::folderThatTakesTheFilesPlaceFailsTheSave()
{
    // The file turns into a folder while the screen is open: deleting a record is never taken for
    // kept. The screen then shows what the path holds, which is nothing it can read.
    QFETCH(QString, file);
    TestEnv env;
    ScriptedDialogs d;
    env.write(file, gbk(QStringLiteral("|1234567890|甲公司|1|||\r\n|1234567891|乙公司|2|||\r\n")));
    std::unique_ptr<QWidget> screen;
    if (file == "hangneiacc.txt") {
        screen = std::make_unique<CPLBook>();
    } else {
        auto roster = std::make_unique<CDFBook>();
        QVERIFY(roster->LoadDefaultGroup());
        screen = std::move(roster);
    }
    RowList* list = listOf(screen.get());
    QCOMPARE(list->count(), 2);
    QVERIFY(QFile::remove(env.path(file)) && QDir(env.dir()).mkdir(file));
    list->selectRow(1);
    d.expect(QStringLiteral("确认删除此条信息？"), Msg::Yes);
    d.expect(QStringLiteral("文件保存失败：") + file);
    d.expect(QStringLiteral("文件读取失败：") + file);
    click(screen.get(), QStringLiteral("删除"));
    VERIFY_DIALOGS_DONE(d);
    QCOMPARE(list->count(), 0);
    QVERIFY(!screen->findChild<QPushButton*>(QStringLiteral("新增"))->isEnabled());
    QVERIFY(QFileInfo(env.path(file)).isDir());
    QVERIFY(QDir(env.path(file)).isEmpty());
}
