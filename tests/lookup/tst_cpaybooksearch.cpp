#include "LookupTestUtil.h"
#include "ScriptedDialogs.h"
#include "TestEnv.h"
#include "common/CMyEditCtrl.h"
#include "lookup/CPayBookSearch.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>

using namespace LookupTest;

namespace {
const QString kFormatError = QStringLiteral("导入行内账户文件格式错误，hangneiacc.txt导入失败！");

// The in-bank picker over hangneiacc.txt, shown.
struct Fixture
{
    TestEnv env;
    ScriptedDialogs dialogs;
    std::unique_ptr<CPayBookSearch> dlg;

    // Dialogs run modally are left hidden here: exec() shows them.
    explicit Fixture(const QString& file, const QString& expectedMessage = QString(), bool shown = true)
    {
        env.write("hangneiacc.txt", gbk(file));
        if (!expectedMessage.isEmpty()) {
            dialogs.expect(expectedMessage, Msg::Ok, QStringLiteral("DXBK-TOOL"));
        }
        dlg = std::make_unique<CPayBookSearch>();
        if (shown) {
            dlg->show();
            QVERIFY(QTest::qWaitForWindowExposed(dlg.get()));
        }
    }

    CMyEditCtrl* field(const QString& name) const { return dlg->findChild<CMyEditCtrl*>(name); }
    RowList* all() const { return dlg->findChild<RowList*>(QStringLiteral("账户列表")); }
    RowList* found() const { return dlg->findChild<RowList*>(QStringLiteral("查询结果")); }
    QStringList search(const QString& account, const QString& name) const
    {
        field("收款人账号")->setText(account);
        field("收款人名称")->setText(name);
        QTest::mouseClick(dlg->findChild<QPushButton*>(QStringLiteral("查找")), Qt::LeftButton);
        return column(found(), 0);
    }
};

const QString kRoster = QStringLiteral("|3200000000000001|海安市财政局||\r\n"
                                       "|3200000000000002|王珅||\r\n"
                                       "|6232000000003200|海安农业发展有限公司||\r\n"
                                       "|3200000000000004|南通弢甫路贸易公司||\r\n");
} // namespace

class TestCPayBookSearch : public QObject
{
    Q_OBJECT
private slots:
    void controlsAndTexts();
    void listsAccountsAndNames();
    void oneFieldGivesEmptyName();
    void blankLinesSkipped();
    void textAfterTheNameIsIgnored();
    void lineWithoutLeadingBarIsFormatError_data();
    void lineWithoutLeadingBarIsFormatError();
    void prefixAndSubstringCriteria();
    void accountShownWhole_data();
    void accountShownWhole();
    void doubleClickReturnsResultRow();
    void exitAndEscape();
};

void TestCPayBookSearch::controlsAndTexts()
{
    Fixture f{kRoster};
    QCOMPARE(f.dlg->windowTitle(), QStringLiteral("行内账户选择"));
    QCOMPARE(f.dlg->palette().color(QPalette::Window), QColor(248, 242, 248));
    QStringList labels;
    for (const QLabel* l : f.dlg->findChildren<QLabel*>()) {
        labels << l->text();
    }
    for (const QString& text : {QStringLiteral("收款人账号："), QStringLiteral("收款人名称："),
                                QStringLiteral("选中记录双击带入数据")}) {
        QVERIFY2(labels.contains(text), qPrintable(text));
    }
    QCOMPARE(f.dlg->findChildren<CMyEditCtrl*>().size(), 2);
    for (RowList* list : {f.all(), f.found()}) {
        QCOMPARE(list->rows()->columnCount(), 2);
        QCOMPARE(list->rows()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("付款账号"));
        QCOMPARE(list->rows()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("账户名称"));
        QCOMPARE(list->columnWidth(0), 240);
        QVERIFY(list->horizontalHeader()->stretchLastSection());
    }
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCPayBookSearch::listsAccountsAndNames()
{
    // Text after the second field is ignored; a line without a line end is read to its end.
    Fixture f{kRoster + QStringLiteral("|3200000000000005|尾行|备注|更多")};
    QCOMPARE(f.all()->count(), 5);
    QCOMPARE(f.all()->rows()->row(1), (QStringList{"3200000000000002", QStringLiteral("王珅")}));
    QCOMPARE(f.all()->rows()->row(3),
             (QStringList{"3200000000000004", QStringLiteral("南通弢甫路贸易公司")}));
    QCOMPARE(f.all()->rows()->row(4), (QStringList{"3200000000000005", QStringLiteral("尾行")}));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCPayBookSearch::oneFieldGivesEmptyName()
{
    Fixture f{QStringLiteral("|3200000000000001|\r\n|3200000000000002|王珅||\r\n")};
    QCOMPARE(f.all()->count(), 2);
    QCOMPARE(f.all()->rows()->row(0), (QStringList{"3200000000000001", ""}));
    QVERIFY(!f.dlg->hasResult());
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCPayBookSearch::blankLinesSkipped()
{
    Fixture f{
        QStringLiteral("|3200000000000001|甲||\r\n\r\n|3200000000000002|乙||\n\n|3200000000000003|丙||")};
    QCOMPARE(column(f.all(), 1),
             (QStringList{QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")}));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCPayBookSearch::textAfterTheNameIsIgnored()
{
    // Only two fields are taken: the third need not be closed.
    Fixture f{QStringLiteral("|3200000000000001|甲|备注没有结尾\r\n|3200000000000002|乙||\r\n")};
    QCOMPARE(f.all()->rows()->row(0), (QStringList{"3200000000000001", QStringLiteral("甲")}));
    QCOMPARE(f.all()->count(), 2);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCPayBookSearch::lineWithoutLeadingBarIsFormatError_data()
{
    QTest::addColumn<QString>("badLine");
    QTest::newRow("account first") << QStringLiteral("3200000000000009|坏行||");
    QTest::newRow("name not closed") << QStringLiteral("|3200000000000009|坏行");
    QTest::newRow("leading space") << QStringLiteral(" |3200000000000009|坏行||");
}

void TestCPayBookSearch::lineWithoutLeadingBarIsFormatError()
{
    QFETCH(QString, badLine);
    Fixture f{QStringLiteral("|3200000000000001|甲||\r\n") + badLine +
                  QStringLiteral("\r\n|3200000000000002|乙||\r\n"),
              kFormatError};
    QCOMPARE(column(f.all(), 0), QStringList{"3200000000000001"});
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCPayBookSearch::prefixAndSubstringCriteria()
{
    Fixture f{kRoster};
    // The account from its start: 6232000000003200 holds 3200 further on.
    QCOMPARE(f.search("3200", ""), (QStringList{"3200000000000001", "3200000000000002", "3200000000000004"}));
    QCOMPARE(f.search("", QStringLiteral("海安")), (QStringList{"3200000000000001", "6232000000003200"}));
    QCOMPARE(f.search("3200", QStringLiteral("海安")), QStringList{"3200000000000001"});
    QCOMPARE(f.search("", QStringLiteral("弢甫")), QStringList{"3200000000000004"});
    QCOMPARE(f.search("", ""), QStringList());
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCPayBookSearch::accountShownWhole_data()
{
    QTest::addColumn<QString>("account");
    QTest::newRow("19 digits") << "3200000000000000019";
    QTest::newRow("30 digits") << "320000000000000000000000000030";
}

void TestCPayBookSearch::accountShownWhole()
{
    QFETCH(QString, account);
    Fixture f{kRoster + "|" + account + QStringLiteral("|长账户公司||\r\n")};
    QVERIFY(shownWhole(f.all(), 0, account));
    QCOMPARE(f.search(account, ""), QStringList{account});
    QVERIFY(shownWhole(f.found(), 0, account));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCPayBookSearch::doubleClickReturnsResultRow()
{
    Fixture f{kRoster, QString(), false};
    const int rc = runModal(*f.dlg, [&f](QDialog*) {
        f.search("", QStringLiteral("海安"));
        doubleClickRow(f.found(), 1);
    });
    QCOMPARE(rc, int(QDialog::Accepted));
    QCOMPARE(f.dlg->account(), QStringLiteral("6232000000003200"));
    QCOMPARE(f.dlg->name(), QStringLiteral("海安农业发展有限公司"));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCPayBookSearch::exitAndEscape()
{
    Fixture f{kRoster, QString(), false};
    int rc = runModal(*f.dlg, [&f](QDialog*) {
        f.all()->selectRow(0);
        QTest::mouseClick(f.dlg->findChild<QPushButton*>(QStringLiteral("退出")), Qt::LeftButton);
    });
    QCOMPARE(rc, int(QDialog::Accepted));
    QVERIFY(f.dlg->account().isEmpty() && f.dlg->name().isEmpty());
    rc = runModal(*f.dlg, [](QDialog* d) { QTest::keyClick(d, Qt::Key_Escape); });
    QCOMPARE(rc, int(QDialog::Rejected));
    QVERIFY(!f.dlg->hasResult());
    VERIFY_DIALOGS_DONE(f.dialogs);
}

QTEST_MAIN(TestCPayBookSearch)
#include "tst_cpaybooksearch.moc"
