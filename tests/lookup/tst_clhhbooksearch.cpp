#include "LookupTestUtil.h"
#include "ScriptedDialogs.h"
#include "TestEnv.h"
#include "common/CMyEditCtrl.h"
#include "common/core/AppInfo.h"
#include "lookup/CLHHBookSearch.h"
#include "lookup/core/BankCodeTable.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>

using namespace LookupTest;

namespace {
// The search dialog over a small routing-code list, shown.
struct Fixture
{
    TestEnv env;
    ScriptedDialogs dialogs;
    std::unique_ptr<CLHHBookSearch> dlg;

    // Dialogs run modally are left hidden here: exec() shows them.
    explicit Fixture(bool shown = true)
    {
        env.write("BankNo.txt", gbk(QStringLiteral("104306114012|中国银行南通分行|\n"
                                                   "104306114010|中国银行股份有限公司海安支行|\n"
                                                   "104306114011|海安中国银行营业部|\n"
                                                   "102306400019|中国工商银行海安支行|\n"
                                                   "313306400011|王珅弢甫路支行|\n")));
        BankCodeTable::resetMessageFlagForTests();
        BankCodeTable::reload();
        dlg = std::make_unique<CLHHBookSearch>();
        if (shown) {
            dlg->show();
            QVERIFY(QTest::qWaitForWindowExposed(dlg.get()));
        }
    }

    QPushButton* button(const QString& caption) const { return dlg->findChild<QPushButton*>(caption); }
    CMyEditCtrl* field(const QString& name) const { return dlg->findChild<CMyEditCtrl*>(name); }
    RowList* list() const { return dlg->findChild<RowList*>(QStringLiteral("查询结果")); }
    void click(const QString& caption) const { QTest::mouseClick(button(caption), Qt::LeftButton); }
    void type(const QString& fieldName, const QString& text) const { typeText(field(fieldName), text); }
};
} // namespace

class TestCLHHBookSearch : public QObject
{
    Q_OBJECT
private slots:
    void controlsAndTexts();
    void searchListsMatches();
    void searchWithBothFieldsEmptyListsNothing();
    void backClearsListAndFields();
    void doubleClickReturnsRow();
    void doubleClickWithoutRowAsksToChoose();
    void exitClosesWithOkAndNoResult();
    void escapeCancels();
    void enterRule_data();
    void enterRule();
    void headerClickDoesNotSort();
};

void TestCLHHBookSearch::controlsAndTexts()
{
    Fixture f;
    QCOMPARE(f.dlg->windowTitle(), QStringLiteral("联行号查询"));
    QCOMPARE(f.dlg->palette().color(QPalette::Window), QColor(248, 242, 248));
    for (const char* caption : {"查找", "返回", "退出"}) {
        QVERIFY2(f.button(caption) && f.button(caption)->isVisible(), caption);
        QVERIFY(!f.button(caption)->autoDefault());
    }
    QVERIFY(f.field("开户行") && f.field("联行号"));
    QCOMPARE(f.dlg->findChild<QGroupBox*>("查询条件")->title(), QStringLiteral("查询条件"));
    QStringList labels;
    for (const QLabel* l : f.dlg->findChildren<QLabel*>()) {
        labels << l->text();
    }
    QVERIFY(labels.contains(QStringLiteral("开户行：")));
    QVERIFY(labels.contains(QStringLiteral("联行号：")));
    QVERIFY(
        labels.contains(QStringLiteral("输入部分开户行名称或完整联行号，如“中国银行%海安”或104306114010")));
    QVERIFY(labels.contains(QStringLiteral("选中记录双击带入数据")));
    RowList* list = f.list();
    QCOMPARE(list->rows()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("开户行"));
    QCOMPARE(list->rows()->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("联行号"));
    QCOMPARE(list->columnWidth(0), 320);
    QVERIFY(list->columnWidth(1) >= 120);
    QVERIFY(list->horizontalHeader()->stretchLastSection());
    QCOMPARE(list->count(), 0);
    QVERIFY(f.dlg->bankName().isEmpty() && f.dlg->code().isEmpty());
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCLHHBookSearch::searchListsMatches()
{
    Fixture f;
    f.type("开户行", QStringLiteral("中国银行%海安"));
    f.click("查找");
    QCOMPARE(column(f.list(), 1), (QStringList{"104306114010", "104306114011"}));
    QCOMPARE(column(f.list(), 0), (QStringList{QStringLiteral("中国银行股份有限公司海安支行"),
                                               QStringLiteral("海安中国银行营业部")}));

    // A new search replaces the rows; code and name must both hold.
    f.type("联行号", "104306114011");
    f.click("查找");
    QCOMPARE(column(f.list(), 1), QStringList{"104306114011"});
    f.field("开户行")->clear();
    f.field("联行号")->setText("10430611401");
    f.dialogs.expect(QStringLiteral("没有找到符合条件的联行号"), Msg::Ok, QStringLiteral("DXBK-TOOL"));
    f.click("查找");
    QCOMPARE(f.list()->count(), 0);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCLHHBookSearch::searchWithBothFieldsEmptyListsNothing()
{
    Fixture f;
    f.type("开户行", QStringLiteral("银行"));
    f.click("查找");
    QCOMPARE(f.list()->count(), 4);
    f.field("开户行")->clear();
    f.click("查找");
    QCOMPARE(f.list()->count(), 0);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCLHHBookSearch::backClearsListAndFields()
{
    Fixture f;
    f.type("开户行", QStringLiteral("海安"));
    f.type("联行号", "102306400019");
    f.click("查找");
    QCOMPARE(f.list()->count(), 1);
    f.click("返回");
    QCOMPARE(f.list()->count(), 0);
    QVERIFY(f.field("开户行")->text().isEmpty());
    QVERIFY(f.field("联行号")->text().isEmpty());
    QVERIFY(f.dlg->isVisible());
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCLHHBookSearch::doubleClickReturnsRow()
{
    Fixture f{false};
    const int rc = runModal(*f.dlg, [&f](QDialog*) {
        f.type("开户行", QStringLiteral("弢甫"));
        f.click("查找");
        QCOMPARE(f.list()->count(), 1);
        doubleClickRow(f.list(), 0);
    });
    QCOMPARE(rc, int(QDialog::Accepted));
    QCOMPARE(f.dlg->bankName(), QStringLiteral("王珅弢甫路支行"));
    QCOMPARE(f.dlg->code(), QStringLiteral("313306400011"));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCLHHBookSearch::doubleClickWithoutRowAsksToChoose()
{
    Fixture f;
    f.type("开户行", QStringLiteral("海安"));
    f.click("查找");
    QCOMPARE(f.list()->count(), 3);
    f.dialogs.expect(QStringLiteral("请选择"), Msg::Ok, QStringLiteral("DXBK-TOOL"));
    doubleClickEmptySpace(f.list());
    QVERIFY(f.dlg->isVisible());
    QCOMPARE(f.dlg->result(), 0);
    QVERIFY(f.dlg->bankName().isEmpty() && f.dlg->code().isEmpty());

    // The second row of the list, not the first.
    doubleClickRow(f.list(), 1);
    QCOMPARE(f.dlg->result(), int(QDialog::Accepted));
    QCOMPARE(f.dlg->code(), QStringLiteral("104306114010"));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCLHHBookSearch::exitClosesWithOkAndNoResult()
{
    Fixture f{false};
    const int rc = runModal(*f.dlg, [&f](QDialog*) {
        f.type("开户行", QStringLiteral("海安"));
        f.click("查找");
        f.list()->selectRow(0);
        f.click("退出");
    });
    QCOMPARE(rc, int(QDialog::Accepted));
    QVERIFY(f.dlg->bankName().isEmpty());
    QVERIFY(f.dlg->code().isEmpty());
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCLHHBookSearch::escapeCancels()
{
    Fixture f{false};
    const int rc = runModal(*f.dlg, [&f](QDialog* d) {
        f.field("开户行")->setFocus();
        QTest::keyClick(d, Qt::Key_Escape);
    });
    QCOMPARE(rc, int(QDialog::Rejected));
    QVERIFY(f.dlg->bankName().isEmpty() && f.dlg->code().isEmpty());
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCLHHBookSearch::enterRule_data()
{
    // Enter where the text was typed (or on "查找") searches; Enter on the focused list then
    // takes the selected row, after Down pressed downs times.
    QTest::addColumn<QString>("criterion");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("onButton");
    QTest::addColumn<int>("downs");
    QTest::addColumn<QString>("picked"); // empty: nothing found, said once, the dialog stays open
    QTest::newRow("name, first row") << "开户行" << QStringLiteral("中国银行%海安") << false << 0
                                     << "104306114010";
    QTest::newRow("name, second row")
        << "开户行" << QStringLiteral("中国银行%海安") << false << 1 << "104306114011";
    QTest::newRow("code") << "联行号"
                          << "102306400019" << false << 0 << "102306400019";
    QTest::newRow("on 查找") << "开户行" << QStringLiteral("弢甫") << true << 0 << "313306400011";
    QTest::newRow("nothing found") << "联行号"
                                   << "10430611401" << false << 0 << "";
}

void TestCLHHBookSearch::enterRule()
{
    QFETCH(QString, criterion);
    QFETCH(QString, text);
    QFETCH(bool, onButton);
    QFETCH(int, downs);
    QFETCH(QString, picked);
    Fixture f{false};
    bool stillOpen = false;
    const int rc = runModal(*f.dlg, [&](QDialog* d) {
        d->activateWindow();
        QTRY_VERIFY(d->isActiveWindow());
        f.field(criterion)->setFocus();
        typeText(f.field(criterion), text);
        if (picked.isEmpty()) {
            f.dialogs.expect(QStringLiteral("没有找到符合条件的联行号"), Msg::Ok,
                             QStringLiteral("DXBK-TOOL"));
        }
        if (onButton) {
            f.button("查找")->setFocus();
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        for (int i = 0; i < downs; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        }
        if (picked.isEmpty()) {
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.field(criterion)));
            QTest::keyClick(d, Qt::Key_Return); // sent to the dialog itself
            stillOpen = d->isVisible();
            d->reject();
            return;
        }
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.list()));
        QTest::keyClick(f.list(), Qt::Key_Return);
    });
    QCOMPARE(stillOpen, picked.isEmpty());
    QCOMPARE(rc, int(picked.isEmpty() ? QDialog::Rejected : QDialog::Accepted));
    QCOMPARE(f.dlg->code(), picked);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCLHHBookSearch::headerClickDoesNotSort()
{
    Fixture f;
    f.type("开户行", QStringLiteral("银行"));
    f.click("查找");
    const QStringList before = column(f.list(), 0);
    QHeaderView* header = f.list()->horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(header->sectionViewportPosition(0) + 20, header->height() / 2));
    QCOMPARE(column(f.list(), 0), before);
    QCOMPARE(column(f.list(), 1),
             (QStringList{"102306400019", "104306114010", "104306114011", "104306114012"}));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

QTEST_MAIN(TestCLHHBookSearch)
#include "tst_clhhbooksearch.moc"
