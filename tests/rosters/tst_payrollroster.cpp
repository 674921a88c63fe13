#include "Faults.h"
#include "ScriptedDialogs.h"
#include "TestEnv.h"
#include "Workbooks.h"
#include "common/CMyEditCtrl.h"
#include "common/RowList.h"
#include "common/core/ImportLayout.h"
#include "common/core/SpreadsheetWriter.h"
#include "rosters/CDFBook.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {
const QString kFile = QStringLiteral("代发工资.txt");
const QByteArray kRoster = gbk(QStringLiteral("|6222020200000001|张三|1500.00|一月||\r\n"
                                              "|6228480000000002|李三丰|150|||\r\n"
                                              "|6222020200000003|王五|200.00|奖金||\r\n"
                                              "|6222020200000001|张三|1500.00|一月||\r\n"));

// A roster larger than a page of the test file system.
QStringList manyAccounts(int n)
{
    QStringList out;
    for (int i = 0; i < n; ++i) {
        out << QStringLiteral("62220202000%1").arg(i, 5, 10, QLatin1Char('0'));
    }
    return out;
}
QByteArray manyEntries(int n, const QString& amount = QStringLiteral("100.00"))
{
    QByteArray out;
    for (const QString& account : manyAccounts(n)) {
        out += gbk(QStringLiteral("|%1|张三%2|%3|备注%2||\r\n").arg(account, account.right(3), amount));
    }
    return out;
}
} // namespace

class TestPayrollRoster : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void loadCompletesAmountsAndKeepsRefusedLines();
    void addedEntrySurvivesReentry();
    void searchKinds();
    void amountFieldsFollowTheRadioButtons();
    void deleteInSearchViewRemovesFirstEqualRow();
    void changeInSearchViewWithoutEqualRow();
    void addInSearchView();
    void deletingTheOnlyEntry();
    void formatErrorFailsTheLoad();
    void prepareDisablesEverything();
    void exitQuestion();
    void cancelKeepsOrEmptiesTheEntry();
    void spreadsheetImport_data() { addWorkbookRows("roster_rows"); }
    void spreadsheetImport();
    void headerNumberAndDateCells_data() { addWorkbookRows("roster_number"); }
    void headerNumberAndDateCells();
    void templateReadsBackAsAHeader();
    void entryFollowsTheListOnScreen();
    void nothingFoundLeavesNothingToChange();
    void formatErrorShowsTheRowsReadBefore();
    void hostileWorkbookKeepsTheRoster_data();
    void hostileWorkbookKeepsTheRoster();
    void hundredThousandRows();
    void addThatCannotBeSavedIsNotShown_data() { Faults::addAllRows(); }
    void addThatCannotBeSavedIsNotShown();
    void deleteInSearchViewThatCannotBeSaved_data() { Faults::addAllRows(); }
    void deleteInSearchViewThatCannotBeSaved();
    void saveAfterLoadThatFailsIsReported_data() { Faults::addAllRows(); }
    void saveAfterLoadThatFailsIsReported();

private:
    QPushButton* button(const QString& c) const { return m_book->findChild<QPushButton*>(c); }
    void click(const QString& c) const { QTest::mouseClick(button(c), Qt::LeftButton); }
    CMyEditCtrl* field(const QString& n) const { return m_book->findChild<CMyEditCtrl*>(n); }
    RowList* roster() const { return m_book->findChild<RowList*>(QStringLiteral("名册列表")); }
    RowList* results() const { return m_book->findChild<RowList*>(QStringLiteral("查询结果")); }
    QString count() const { return m_book->findChild<QLabel*>(QStringLiteral("总个数"))->text(); }
    QRadioButton* radio(const QString& n) const { return m_book->findChild<QRadioButton*>(n); }
    QStringList column(RowList* list, int c) const
    {
        QStringList out;
        for (int r = 0; r < list->count(); ++r) {
            out << list->text(r, c);
        }
        return out;
    }
    void search(const QString& kind, const QString& mode, const QString& text, const QString& to = QString())
    {
        QTest::mouseClick(radio(kind), Qt::LeftButton);
        QTest::mouseClick(radio(mode), Qt::LeftButton);
        if (kind == QStringLiteral("金额")) {
            field(QStringLiteral("起始金额"))->setText(text);
            field(QStringLiteral("截止金额"))->setText(to);
        } else {
            m_book->findChild<QLineEdit*>(QStringLiteral("查询内容"))->setText(text);
        }
        click(QStringLiteral("查找"));
    }

    TestEnv* m_env = nullptr;
    ScriptedDialogs* m_dialogs = nullptr;
    CDFBook* m_book = nullptr;
};

void TestPayrollRoster::init()
{
    m_env = new TestEnv;
    m_dialogs = new ScriptedDialogs;
    m_env->write(kFile, kRoster);
    m_book = new CDFBook;
    m_book->resize(790, 560);
    m_book->show();
}

void TestPayrollRoster::cleanup()
{
    delete m_book;
    QVERIFY2(m_dialogs->done(), qPrintable(m_dialogs->pending()));
    delete m_dialogs;
    delete m_env;
}

void TestPayrollRoster::loadCompletesAmountsAndKeepsRefusedLines()
{
    const QByteArray refused = gbk(QStringLiteral("|123|短账号|5|||"));
    m_env->write(kFile, refused + "\r\n" + gbk(QStringLiteral("|6222020200000001|张三|12|||\r\n")));
    // The clerk is told of the line the list does not show, as the books tell.
    m_dialogs->expect(QStringLiteral("请保证收款账号长度至少为10位"));
    QVERIFY(m_book->LoadDefaultGroup());
    QCOMPARE(m_book->findChild<QLineEdit*>(QStringLiteral("组名称"))->text(), QStringLiteral("代发工资"));
    QCOMPARE(roster()->count(), 1);
    QCOMPARE(roster()->text(0, 3), QStringLiteral("12.00"));
    QCOMPARE(m_env->read(kFile),
             refused + "\r\n" + gbk(QStringLiteral("|6222020200000001|张三|12.00|||\r\n")));
}

void TestPayrollRoster::addedEntrySurvivesReentry()
{
    QVERIFY(m_book->LoadDefaultGroup());
    click("新增");
    field("账号")->setText("6222020200000009");
    field("户名")->setText(QStringLiteral("赵六"));
    field("金额")->setText("100");
    QCOMPARE(m_book->findChild<QLabel*>(QStringLiteral("大写金额"))->text(), QStringLiteral("壹佰元"));
    click("确定");
    QCOMPARE(roster()->count(), 5);
    QCOMPARE(roster()->rows()->row(4),
             (QStringList{"5", "6222020200000009", QStringLiteral("赵六"), "100.00", ""}));
    QVERIFY(m_env->read(kFile).endsWith(gbk(QStringLiteral("|6222020200000009|赵六|100.00|||\r\n"))));
    QCOMPARE(m_book->findChild<QLabel*>(QStringLiteral("总个数"))->text(), QStringLiteral("5"));
    QVERIFY(m_book->LoadDefaultGroup());
    QCOMPARE(roster()->text(4, 3), QStringLiteral("100.00"));

    click("新增");
    field("账号")->setText("6222020200000010");
    field("户名")->setText(QStringLiteral("钱七"));
    field("金额")->setText("1.234");
    m_dialogs->expect(QStringLiteral("金额格式错误"));
    click("确定");
    QVERIFY(field("账号")->isEnabled());
}

void TestPayrollRoster::searchKinds()
{
    QVERIFY(m_book->LoadDefaultGroup());
    search(QStringLiteral("收款账号"), QStringLiteral("模糊查询"), "6222");
    QVERIFY(m_book->searching());
    QVERIFY(results()->isVisible());
    QVERIFY(!roster()->isVisible());
    QCOMPARE(column(results(), 1), (QStringList{"6222020200000001", "6222020200000003", "6222020200000001"}));
    QCOMPARE(column(results(), 0), (QStringList{"1", "2", "3"}));
    search(QStringLiteral("收款账号"), QStringLiteral("模糊查询"), "0200000003"); // inside, not at the start
    QCOMPARE(results()->count(), 0);
    search(QStringLiteral("姓名"), QStringLiteral("模糊查询"), QStringLiteral("三"));
    QCOMPARE(column(results(), 2),
             (QStringList{QStringLiteral("张三"), QStringLiteral("李三丰"), QStringLiteral("张三")}));
    search(QStringLiteral("姓名"), QStringLiteral("精准查询"), QStringLiteral("张"));
    QCOMPARE(results()->count(), 0);
    search(QStringLiteral("金额"), QStringLiteral("精准查询"), "1500");
    QCOMPARE(column(results(), 3), (QStringList{"1500.00", "1500.00"}));
    search(QStringLiteral("金额"), QStringLiteral("模糊查询"), "150", "200");
    QCOMPARE(column(results(), 3), (QStringList{"150.00", "200.00"}));
    QCOMPARE(results()->selectedRow(), 0);
    QCOMPARE(field("户名")->text(), QStringLiteral("李三丰"));
    click("返回");
    QVERIFY(roster()->isVisible());
    QVERIFY(!results()->isVisible());
    QVERIFY(!m_book->searching());
    QVERIFY(radio(QStringLiteral("收款账号"))->isChecked());
}

void TestPayrollRoster::amountFieldsFollowTheRadioButtons()
{
    QLineEdit* text = m_book->findChild<QLineEdit*>(QStringLiteral("查询内容"));
    QLineEdit* to = m_book->findChild<QLineEdit*>(QStringLiteral("至"));
    QVERIFY(text->isVisible());
    QVERIFY(!field("起始金额")->isVisible());
    QTest::mouseClick(radio(QStringLiteral("金额")), Qt::LeftButton);
    QVERIFY(!text->isVisible());
    QVERIFY(field("起始金额")->isVisible());
    QVERIFY(!to->isVisible());
    QTest::mouseClick(radio(QStringLiteral("模糊查询")), Qt::LeftButton);
    QVERIFY(to->isVisible());
    QVERIFY(field("截止金额")->isVisible());
    QTest::mouseClick(radio(QStringLiteral("精准查询")), Qt::LeftButton);
    QVERIFY(!field("截止金额")->isVisible());
    QTest::mouseClick(radio(QStringLiteral("姓名")), Qt::LeftButton);
    QVERIFY(text->isVisible());
    QVERIFY(!field("起始金额")->isVisible());
    QVERIFY(!radio(QStringLiteral("收款账号"))->isChecked());
}

void TestPayrollRoster::deleteInSearchViewRemovesFirstEqualRow()
{
    QVERIFY(m_book->LoadDefaultGroup());
    search(QStringLiteral("姓名"), QStringLiteral("精准查询"), QStringLiteral("张三"));
    QCOMPARE(results()->count(), 2);
    results()->selectRow(1);
    m_dialogs->expect(QStringLiteral("确认删除此条信息？"), Msg::Yes, QStringLiteral("删除"));
    click("删除");
    QCOMPARE(results()->count(), 1);
    // Of the two equal roster rows only the first goes.
    QCOMPARE(column(roster(), 2),
             (QStringList{QStringLiteral("李三丰"), QStringLiteral("王五"), QStringLiteral("张三")}));
    QCOMPARE(column(roster(), 0), (QStringList{"1", "2", "3"}));
    QCOMPARE(m_env->read(kFile), gbk(QStringLiteral("|6228480000000002|李三丰|150.00|||\r\n"
                                                    "|6222020200000003|王五|200.00|奖金||\r\n"
                                                    "|6222020200000001|张三|1500.00|一月||\r\n")));
}

void TestPayrollRoster::changeInSearchViewWithoutEqualRow()
{
    QVERIFY(m_book->LoadDefaultGroup());
    search(QStringLiteral("姓名"), QStringLiteral("精准查询"), QStringLiteral("王五"));
    QCOMPARE(results()->count(), 1);
    // Change it once: the roster row follows.
    click("修改");
    field("备注")->setText(QStringLiteral("年终奖"));
    click("确定");
    QCOMPARE(roster()->text(2, 4), QStringLiteral("年终奖"));
    QCOMPARE(results()->text(0, 4), QStringLiteral("年终奖"));
    const QByteArray saved = m_env->read(kFile);
    QVERIFY(saved.contains(gbk(QStringLiteral("|王五|200.00|年终奖||"))));
    // A result row that no longer equals any roster row changes alone.
    results()->rows()->setText(0, 4, QStringLiteral("旁注"));
    results()->selectRow(0);
    click("修改");
    field("金额")->setText("300");
    click("确定");
    QCOMPARE(results()->text(0, 3), QStringLiteral("300.00"));
    QCOMPARE(roster()->text(2, 3), QStringLiteral("200.00"));
    QCOMPARE(m_env->read(kFile), saved);
}

void TestPayrollRoster::addInSearchView()
{
    QVERIFY(m_book->LoadDefaultGroup());
    search(QStringLiteral("姓名"), QStringLiteral("模糊查询"), QStringLiteral("三"));
    click("新增");
    field("账号")->setText("6222020200000011");
    field("户名")->setText(QStringLiteral("孙八"));
    field("金额")->setText("8");
    click("确定");
    QCOMPARE(results()->count(), 4);
    QCOMPARE(results()->text(3, 0), QStringLiteral("4"));
    QCOMPARE(results()->selectedRow(), 3);
    QCOMPARE(roster()->count(), 5);
    QCOMPARE(roster()->text(4, 2), QStringLiteral("孙八"));
}

void TestPayrollRoster::deletingTheOnlyEntry()
{
    m_env->write(kFile, gbk(QStringLiteral("|6222020200000001|张三|1.00|||\r\n")));
    QVERIFY(m_book->LoadDefaultGroup());
    m_dialogs->expect(QStringLiteral("确认删除此条信息？"), Msg::Yes);
    click("删除");
    QCOMPARE(roster()->count(), 0);
    QCOMPARE(m_book->findChild<QLabel*>(QStringLiteral("总个数"))->text(), QStringLiteral("0"));
    QVERIFY(m_env->exists(kFile));
    QCOMPARE(m_env->read(kFile).size(), 0);
    QVERIFY(!button("删除")->isEnabled());
}

void TestPayrollRoster::formatErrorFailsTheLoad()
{
    const QByteArray bad = gbk(QStringLiteral("|6222020200000001|张三|1.00|||\r\n6222|没有前导||\r\n"));
    m_env->write(kFile, bad);
    m_dialogs->expect(QStringLiteral("导入代发账户文件格式错误"));
    QVERIFY(!m_book->LoadDefaultGroup());
    QCOMPARE(m_env->read(kFile), bad);     // nothing is saved
    QVERIFY(!button("新增")->isEnabled()); // and nothing can be changed until a sound load
    m_env->write(kFile, gbk(QStringLiteral("|6222020200000001|张三|1.00|||\r\n")));
    QVERIFY(m_book->LoadDefaultGroup());
    QVERIFY(button("新增")->isEnabled());
}

void TestPayrollRoster::prepareDisablesEverything()
{
    QVERIFY(m_book->LoadDefaultGroup());
    m_book->PrepareRoster();
    for (const char* name : {"新增", "修改", "删除", "查找", "返回", "退出"}) {
        QVERIFY2(!button(name)->isEnabled(), name);
    }
    QVERIFY(!roster()->isEnabled());
    QCOMPARE(roster()->count(), 0);
    QCOMPARE(m_book->findChild<QLineEdit*>(QStringLiteral("组名称"))->text(), QString());
    QVERIFY(m_book->LoadDefaultGroup());
    QVERIFY(button("新增")->isEnabled());
}

void TestPayrollRoster::exitQuestion()
{
    m_dialogs->expect(QStringLiteral("确定退出到欢迎界面？"), Msg::Cancel, QStringLiteral("代发手册"));
    click("退出");
    QVERIFY(m_book->isVisible());
    m_dialogs->expect(QStringLiteral("确定退出到欢迎界面？"), Msg::Ok, QStringLiteral("代发手册"));
    click("退出");
    QVERIFY(!m_book->isVisible());
}

void TestPayrollRoster::cancelKeepsOrEmptiesTheEntry()
{
    QVERIFY(m_book->LoadDefaultGroup());
    click("修改");
    field("备注")->setText(QStringLiteral("改了"));
    click("取消");
    QCOMPARE(field("备注")->text(), QStringLiteral("改了")); // the texts stay, unsaved
    QVERIFY(button("修改")->isEnabled());
    QCOMPARE(roster()->text(0, 4), QStringLiteral("一月"));
    click("新增");
    field("户名")->setText(QStringLiteral("半途"));
    click("取消");
    QCOMPARE(field("户名")->text(), QString());
    QVERIFY(!button("修改")->isEnabled());
    QVERIFY(button("新增")->isEnabled());
}

void TestPayrollRoster::spreadsheetImport()
{
    QFETCH(QString, path);
    QVERIFY(m_book->LoadDefaultGroup());
    m_dialogs->expectFile(path);
    m_dialogs->expect(QStringLiteral("您所导入的文件中第2条，请保证收款账号长度至少为10位"));
    m_dialogs->expect(QStringLiteral("总共导入3条信息\r\n成功导入2条信息"));
    m_book->ImportSpreadsheet();
    QCOMPARE(roster()->count(), 6);
    QCOMPARE(roster()->rows()->row(4), (QStringList{"5", "6222020200012345", QStringLiteral("王珅"), "100.00",
                                                    QStringLiteral("一月")}));
    QCOMPARE(roster()->text(5, 2), QStringLiteral("钱七"));
    QVERIFY(m_env->read(kFile).endsWith(gbk(QStringLiteral("|6222020200012347|钱七|300.00|||\r\n"))));
}

// The header row is skipped unseen, an amount stored as a number comes in, a date stops the import.
void TestPayrollRoster::headerNumberAndDateCells()
{
    QFETCH(QString, path);
    QVERIFY(m_book->LoadDefaultGroup());
    const QByteArray before = m_env->read(kFile);
    m_dialogs->expectFile(path);
    m_dialogs->expect(QStringLiteral("excel格式错误，请将单元格设置成文本格式\r\n"
                                     "第3行B列：单元格是日期、逻辑值、错误值或没有结果的公式，不是文本"));
    m_book->ImportSpreadsheet();
    QCOMPARE(roster()->count(), 5); // the first payee came in
    QCOMPARE(roster()->rows()->row(4).mid(1),
             (QStringList{"6222020200012345", QStringLiteral("王珅"), "100.00", QStringLiteral("一月")}));
    QCOMPARE(m_env->read(kFile), before); // not saved
    QCOMPARE(field("账号")->text(), QString());
    QCOMPARE(count(), QStringLiteral("5")); // the count is the rows listed
}

void TestPayrollRoster::templateReadsBackAsAHeader()
{
    QVERIFY(m_book->LoadDefaultGroup());
    const QString path = m_env->path(QStringLiteral("模板.xlsx"));
    QVERIFY(ImportLayout::roster().writeTemplate(path));
    m_dialogs->expectFile(path);
    m_dialogs->expect(QStringLiteral("总共导入0条信息\r\n成功导入0条信息"));
    m_book->ImportSpreadsheet();
    QCOMPARE(roster()->count(), 4);
    VERIFY_DIALOGS_DONE(*m_dialogs);
}

void TestPayrollRoster::entryFollowsTheListOnScreen()
{
    QVERIFY(m_book->LoadDefaultGroup());
    roster()->selectRow(1); // 李三丰
    search(QStringLiteral("姓名"), QStringLiteral("精准查询"), QStringLiteral("王五"));
    QCOMPARE(field("户名")->text(), QStringLiteral("王五"));
    click("返回");
    // The entry shows the roster's selected row again, and "修改" changes that row.
    QCOMPARE(field("户名")->text(), QStringLiteral("李三丰"));
    click("修改");
    field("备注")->setText(QStringLiteral("转正"));
    click("确定");
    QCOMPARE(column(roster(), 2), (QStringList{QStringLiteral("张三"), QStringLiteral("李三丰"),
                                               QStringLiteral("王五"), QStringLiteral("张三")}));
    QCOMPARE(m_env->read(kFile), gbk(QStringLiteral("|6222020200000001|张三|1500.00|一月||\r\n"
                                                    "|6228480000000002|李三丰|150.00|转正||\r\n"
                                                    "|6222020200000003|王五|200.00|奖金||\r\n"
                                                    "|6222020200000001|张三|1500.00|一月||\r\n")));
    // "删除" after the search view takes the row the entry shows.
    search(QStringLiteral("姓名"), QStringLiteral("精准查询"), QStringLiteral("王五"));
    click("返回");
    m_dialogs->expect(QStringLiteral("确认删除此条信息？"), Msg::Yes);
    click("删除");
    QCOMPARE(column(roster(), 2),
             (QStringList{QStringLiteral("张三"), QStringLiteral("王五"), QStringLiteral("张三")}));

    // A row added in the search view is the one shown after "返回".
    search(QStringLiteral("姓名"), QStringLiteral("模糊查询"), QStringLiteral("三"));
    click("新增");
    field("账号")->setText("6222020200000011");
    field("户名")->setText(QStringLiteral("孙八"));
    field("金额")->setText("8");
    click("确定");
    click("返回");
    QCOMPARE(field("户名")->text(), QStringLiteral("孙八"));
    QCOMPARE(roster()->selectedRow(), 3);
}

void TestPayrollRoster::nothingFoundLeavesNothingToChange()
{
    QVERIFY(m_book->LoadDefaultGroup());
    const QByteArray before = m_env->read(kFile);
    search(QStringLiteral("姓名"), QStringLiteral("精准查询"), QStringLiteral("无此人"));
    QCOMPARE(results()->count(), 0);
    QVERIFY(!button("修改")->isEnabled());
    QVERIFY(!button("删除")->isEnabled());
    QCOMPARE(field("户名")->text(), QString());
    click("删除"); // disabled: no question
    QCOMPARE(m_env->read(kFile), before);
    // Back on the roster, its selected row can be changed again.
    click("返回");
    QVERIFY(button("修改")->isEnabled());
    QCOMPARE(field("户名")->text(), QStringLiteral("张三"));
}

void TestPayrollRoster::formatErrorShowsTheRowsReadBefore()
{
    const QByteArray bad =
        gbk(QStringLiteral("|6222020200000001|张三|1.00|||\r\n|6222020200000002|李四|2|||\r\n"
                           "6222|没有前导||\r\n|6222020200000003|王五|3|||\r\n"));
    m_env->write(kFile, bad);
    m_dialogs->expect(QStringLiteral("导入代发账户文件格式错误"));
    QVERIFY(!m_book->LoadDefaultGroup());
    QCOMPARE(column(roster(), 2), (QStringList{QStringLiteral("张三"), QStringLiteral("李四")}));
    QCOMPARE(count(), QStringLiteral("2"));
    for (const char* name : {"新增", "修改", "删除", "导入Excel"}) {
        QVERIFY2(!button(name)->isEnabled(), name);
    }
    roster()->selectRow(1);
    QVERIFY(!button("修改")->isEnabled());
    roster()->clearRowSelection(); // back to the idle state: still nothing to add
    QVERIFY(!button("新增")->isEnabled());
    QVERIFY(!button("导入Excel")->isEnabled());
    QCOMPARE(m_env->read(kFile), bad);
    // A sound load gives every command back, the spreadsheet import with "新增".
    m_env->write(kFile, kRoster);
    QVERIFY(m_book->LoadDefaultGroup());
    QVERIFY(button("新增")->isEnabled());
    QVERIFY(button("导入Excel")->isEnabled());
    QCOMPARE(count(), QStringLiteral("4"));
}

void TestPayrollRoster::addThatCannotBeSavedIsNotShown()
{
    QFETCH(Faults::Fault, fault);
    RUN_IN_FAULT_CHILD(fault);
    Faults::Injector injector(fault, m_env->dir());
    QVERIFY2(injector.ready(), qPrintable(injector.error()));
    const QByteArray file = manyEntries(100);
    m_env->write(kFile, file);
    QVERIFY(m_book->LoadDefaultGroup());
    click("新增");
    field("账号")->setText("6222020200999999");
    field("户名")->setText(QStringLiteral("赵六"));
    field("金额")->setText("100");
    const QByteArray added = file + gbk(QStringLiteral("|6222020200999999|赵六|100.00|||\r\n"));
    QVERIFY2(injector.inject(added.size()), qPrintable(injector.error()));
    m_dialogs->expect(QStringLiteral("文件保存失败：代发工资.txt"));
    click("确定");
    QVERIFY2(injector.release(), qPrintable(injector.error()));
    QCOMPARE(m_env->read(kFile), file);
    QCOMPARE(Faults::entries(m_env->dir()), QStringList{kFile});
    // The list shows the file: the entry that was not saved is not there.
    QCOMPARE(column(roster(), 1), manyAccounts(100));
    QCOMPARE(m_book->findChild<QLabel*>(QStringLiteral("总个数"))->text(), QStringLiteral("100"));
    QVERIFY(!field("账号")->isEnabled());
}

void TestPayrollRoster::deleteInSearchViewThatCannotBeSaved()
{
    QFETCH(Faults::Fault, fault);
    RUN_IN_FAULT_CHILD(fault);
    Faults::Injector injector(fault, m_env->dir());
    QVERIFY2(injector.ready(), qPrintable(injector.error()));
    const QByteArray file = manyEntries(100);
    m_env->write(kFile, file);
    QVERIFY(m_book->LoadDefaultGroup());
    search(QStringLiteral("收款账号"), QStringLiteral("精准查询"), manyAccounts(100).at(7));
    QCOMPARE(results()->count(), 1);
    QByteArray removed = file;
    removed.remove(file.indexOf(gbk(QStringLiteral("|%1|").arg(manyAccounts(100).at(7)))),
                   manyEntries(1).size());
    QCOMPARE(removed.size(), file.size() - manyEntries(1).size());
    QVERIFY2(injector.inject(removed.size()), qPrintable(injector.error()));
    m_dialogs->expect(QStringLiteral("确认删除此条信息？"), Msg::Yes, QStringLiteral("删除"));
    m_dialogs->expect(QStringLiteral("文件保存失败：代发工资.txt"));
    click("删除");
    QVERIFY2(injector.release(), qPrintable(injector.error()));
    QCOMPARE(m_env->read(kFile), file);
    QCOMPARE(Faults::entries(m_env->dir()), QStringList{kFile});
    // Back to the roster as the file holds it, the entry still there.
    QVERIFY(!m_book->searching());
    QVERIFY(roster()->isVisible());
    QCOMPARE(column(roster(), 1), manyAccounts(100));
    QCOMPARE(m_book->findChild<QLabel*>(QStringLiteral("总个数"))->text(), QStringLiteral("100"));
}

void TestPayrollRoster::saveAfterLoadThatFailsIsReported()
{
    QFETCH(Faults::Fault, fault);
    RUN_IN_FAULT_CHILD(fault);
    Faults::Injector injector(fault, m_env->dir());
    QVERIFY2(injector.ready(), qPrintable(injector.error()));
    // Amounts stored without decimals: the load saves them completed at once.
    const QByteArray file = manyEntries(100, QStringLiteral("100"));
    m_env->write(kFile, file);
    QVERIFY2(injector.inject(manyEntries(100).size()), qPrintable(injector.error()));
    m_dialogs->expect(QStringLiteral("文件保存失败：代发工资.txt"));
    QVERIFY(m_book->LoadDefaultGroup());
    QVERIFY2(injector.release(), qPrintable(injector.error()));
    QCOMPARE(m_env->read(kFile), file);
    QCOMPARE(Faults::entries(m_env->dir()), QStringList{kFile});
    // The rows are what the file holds, amounts shown completed as the check left them.
    QCOMPARE(column(roster(), 1), manyAccounts(100));
    QCOMPARE(roster()->text(0, 3), QStringLiteral("100.00"));
    QCOMPARE(m_book->findChild<QLabel*>(QStringLiteral("总个数"))->text(), QStringLiteral("100"));
}

void TestPayrollRoster::hostileWorkbookKeepsTheRoster_data()
{
    QTest::addColumn<QString>("path");
    for (const char* name : {"fuzz_xlsx_reader/zip-bomb.xlsx", "fuzz_xls_reader/fat-amplified-256k.xls"}) {
        QTest::newRow(name) << QStringLiteral(DXBK_SOURCE_DIR "/tests/fuzz/regressions/") +
                                   QLatin1String(name);
    }
}

// The import that has no line limit: a hostile workbook ends with the format message and the
// roster and its file stay as they were.
void TestPayrollRoster::hostileWorkbookKeepsTheRoster()
{
    QFETCH(QString, path);
    QVERIFY(m_book->LoadDefaultGroup());
    const QByteArray before = m_env->read(kFile);
    const int rows = roster()->count();
    m_dialogs->expectFile(path);
    m_dialogs->expect(QStringLiteral("文件格式错误，导入失败"));
    button(QStringLiteral("导入Excel"))->click(); // the button is created hidden
    QCOMPARE(roster()->count(), rows);
    QCOMPARE(m_env->read(kFile), before);
}

// The import without a line limit takes a genuine workbook of 100,000 rows whole.
void TestPayrollRoster::hundredThousandRows()
{
    QVERIFY(m_book->LoadDefaultGroup());
    const int before = roster()->count();
    SpreadsheetWriter sheet(QStringLiteral("Sheet1"));
    for (int r = 1; r <= 100000; ++r) {
        sheet.setText(r, 1, QStringLiteral("62220202%1").arg(r, 8, 10, QLatin1Char('0')));
        sheet.setText(r, 2, QStringLiteral("%1.00").arg(r % 1000 + 1));
        sheet.setText(r, 3, QStringLiteral("收款人%1").arg(r));
        sheet.setText(r, 4, QStringLiteral("一月"));
    }
    QVERIFY(sheet.save(m_env->path(QStringLiteral("rows.xlsx"))));
    m_dialogs->expectFile(m_env->path(QStringLiteral("rows.xlsx")));
    m_dialogs->expect(QStringLiteral("总共导入100000条信息\r\n成功导入100000条信息"));
    QElapsedTimer timer;
    timer.start();
    button(QStringLiteral("导入Excel"))->click();
    qInfo("100,000 rows imported in %lld ms", timer.elapsed());
    QCOMPARE(roster()->count(), before + 100000);
    QCOMPARE(roster()->text(before + 99999, 2), QStringLiteral("收款人100000"));
}

QTEST_MAIN(TestPayrollRoster)
#include "tst_payrollroster.moc"
