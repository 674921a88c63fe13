#include "LookupTestUtil.h"
#include "ScriptedDialogs.h"
#include "TestEnv.h"
#include "common/CMyEditCtrl.h"
#include "lookup/CGetBookSearch.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>

using namespace LookupTest;

namespace {
const QString kFormatError = QStringLiteral("导入跨行账户文件格式错误，kuahangacc.txt导入失败！");

QByteArray roster(const QStringList& lines)
{
    QByteArray out;
    for (const QString& l : lines) {
        out += gbk(l) + "\r\n";
    }
    return out;
}

const QStringList kRoster{QStringLiteral("6222020200012345|张三||中国银行海安支行|||104306114010|"),
                          QStringLiteral("6217000000006222|李四||中国建设银行南通分行|||105306400012|"),
                          QStringLiteral("6222999900000001|王珅||弢甫路农商银行|||314306400019|"),
                          QStringLiteral("6228480000000002|张三丰||中国农业银行海安支行|||103306400011|")};

// The payee picker over a roster file, shown.
struct Fixture
{
    TestEnv env;
    ScriptedDialogs dialogs;
    std::unique_ptr<CGetBookSearch> dlg;

    // Dialogs run modally are left hidden here: exec() shows them.
    explicit Fixture(const QByteArray& file = roster(kRoster), const QString& expectedMessage = QString(),
                     bool shown = true)
    {
        if (!file.isNull()) {
            env.write("kuahangacc.txt", file);
        }
        if (!expectedMessage.isEmpty()) {
            dialogs.expect(expectedMessage, Msg::Ok, QStringLiteral("DXBK-TOOL"));
        }
        dlg = std::make_unique<CGetBookSearch>();
        if (shown) {
            dlg->show();
            QVERIFY(QTest::qWaitForWindowExposed(dlg.get()));
        }
    }

    QPushButton* button(const QString& caption) const { return dlg->findChild<QPushButton*>(caption); }
    CMyEditCtrl* field(const QString& name) const { return dlg->findChild<CMyEditCtrl*>(name); }
    RowList* all() const { return dlg->findChild<RowList*>(QStringLiteral("账户列表")); }
    RowList* found() const { return dlg->findChild<RowList*>(QStringLiteral("查询结果")); }
    void click(const QString& caption) const { QTest::mouseClick(button(caption), Qt::LeftButton); }
    QStringList search(const QString& account, const QString& name, const QString& bank,
                       const QString& code) const
    {
        const QStringList names{"收款账号", "账户名称", "开户行", "联行号"};
        const QStringList texts{account, name, bank, code};
        for (int i = 0; i < names.size(); ++i) {
            field(names.at(i))->clear();
            typeText(field(names.at(i)), texts.at(i));
        }
        click(QStringLiteral("查找"));
        return column(found(), 0);
    }
};
} // namespace

class TestCGetBookSearch : public QObject
{
    Q_OBJECT
private slots:
    void controlsAndTexts();
    void listsRosterFields();
    void missingRosterIsEmptyWithoutMessage();
    void shortLinesGiveEmptyColumns();
    void blankLinesSkipped();
    void formatErrorKeepsEarlierRows_data();
    void formatErrorKeepsEarlierRows();
    void lineLongerThanTheLayoutIsNotOffered();
    void prefixAndSubstringCriteria();
    void criteriaTogether();
    void emptySearchThenBack();
    void accountShownWhole_data();
    void accountShownWhole();
    void doubleClickOnResultListReturnsResultRow();
    void doubleClickOnFullList();
    void doubleClickWithoutRowAsksToChoose();
    void exitClosesWithOkAndNoResult();
    void escapeCancels();
    void enterRule_data();
    void enterRule();
};

void TestCGetBookSearch::controlsAndTexts()
{
    Fixture f;
    QCOMPARE(f.dlg->windowTitle(), QStringLiteral("收款账户选择"));
    QCOMPARE(f.dlg->palette().color(QPalette::Window), QColor(248, 242, 248));
    for (const char* caption : {"查找", "返回", "退出"}) {
        QVERIFY2(f.button(caption) && f.button(caption)->isVisible(), caption);
    }
    QStringList labels;
    for (const QLabel* l : f.dlg->findChildren<QLabel*>()) {
        labels << l->text();
    }
    for (const QString& text :
         {QStringLiteral("收款账号："), QStringLiteral("账户名称："), QStringLiteral("开户行："),
          QStringLiteral("联行号："), QStringLiteral("选中记录双击带入数据")}) {
        QVERIFY2(labels.contains(text), qPrintable(text));
    }
    QVERIFY(f.dlg->findChild<QGroupBox*>("查询条件")->isAncestorOf(f.field("联行号")));
    const QStringList captions{QStringLiteral("收款账号"), QStringLiteral("账户名称"),
                               QStringLiteral("开户行"), QStringLiteral("联行号")};
    for (RowList* list : {f.all(), f.found()}) {
        for (int c = 0; c < 4; ++c) {
            QCOMPARE(list->rows()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), captions.at(c));
        }
        QCOMPARE(list->columnWidth(0), 150); // at least; wider for a longer account
        QCOMPARE(list->columnWidth(2), 120);
        QVERIFY(list->horizontalHeader()->stretchLastSection());
        QVERIFY(!list->isSortingEnabled());
        QVERIFY(!list->horizontalHeader()->sectionsClickable());
    }
    QVERIFY(f.all()->isVisible());
    QVERIFY(!f.found()->isVisible());
    QVERIFY(!f.dlg->hasResult());
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCGetBookSearch::listsRosterFields()
{
    Fixture f;
    QCOMPARE(f.all()->count(), 4);
    QCOMPARE(f.all()->rows()->row(0), (QStringList{"6222020200012345", QStringLiteral("张三"),
                                                   QStringLiteral("中国银行海安支行"), "104306114010"}));
    // 珅 and 弢 end with the byte of "|" in GBK; they stay whole.
    QCOMPARE(f.all()->rows()->row(2), (QStringList{"6222999900000001", QStringLiteral("王珅"),
                                                   QStringLiteral("弢甫路农商银行"), "314306400019"}));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCGetBookSearch::missingRosterIsEmptyWithoutMessage()
{
    Fixture f{QByteArray()};
    QCOMPARE(f.all()->count(), 0);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCGetBookSearch::shortLinesGiveEmptyColumns()
{
    // Fields 3, 5 and 6 are never shown; text after the seventh "|" is ignored; a lone LF ends a
    // line as CR LF does.
    Fixture f{gbk(QStringLiteral("6222020200012345|张三||\r\n"
                                 "6222020200012346|李四|\n"
                                 "6222020200012347|王五|x|中国银行|y|z|104306114010|多余|文字\r\n"
                                 "6222020200012348|赵六||中国银行|||"))};
    QCOMPARE(f.all()->count(), 4);
    QCOMPARE(f.all()->rows()->row(0), (QStringList{"6222020200012345", QStringLiteral("张三"), "", ""}));
    QCOMPARE(f.all()->rows()->row(1), (QStringList{"6222020200012346", QStringLiteral("李四"), "", ""}));
    QCOMPARE(f.all()->rows()->row(2), (QStringList{"6222020200012347", QStringLiteral("王五"),
                                                   QStringLiteral("中国银行"), "104306114010"}));
    QCOMPARE(f.all()->rows()->row(3),
             (QStringList{"6222020200012348", QStringLiteral("赵六"), QStringLiteral("中国银行"), ""}));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCGetBookSearch::blankLinesSkipped()
{
    // A blank line does not hide the records after it.
    Fixture f{roster({kRoster.at(0), QString(), kRoster.at(1)}) + "\r\n\n" + roster({kRoster.at(2)})};
    QCOMPARE(column(f.all(), 0), (QStringList{"6222020200012345", "6217000000006222", "6222999900000001"}));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCGetBookSearch::formatErrorKeepsEarlierRows_data()
{
    QTest::addColumn<QByteArray>("badLine");
    QTest::newRow("last field not closed")
        << gbk(QStringLiteral("6222020200012399|坏行||中国银行|||104306114010"));
    QTest::newRow("no bar at all") << gbk(QStringLiteral("6222020200012399"));
    QTest::newRow("invalid GBK") << QByteArray("6222020200012399|\xFF\xFF||x|||1|");
    QTest::newRow("lead byte at line end") << QByteArray("6222020200012399|\xD6");
}

void TestCGetBookSearch::formatErrorKeepsEarlierRows()
{
    QFETCH(QByteArray, badLine);
    Fixture f{roster({kRoster.at(0), kRoster.at(1)}) + badLine + "\r\n" + roster({kRoster.at(2)}),
              kFormatError};
    QCOMPARE(column(f.all(), 0), (QStringList{"6222020200012345", "6217000000006222"}));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCGetBookSearch::lineLongerThanTheLayoutIsNotOffered()
{
    // The book refuses it (and keeps it in the file); the picker never offers it.
    const QString bank = QString(1500, QChar(0x884C)); // 行 x 1500, 3000 bytes
    Fixture f{roster(
        {"6222020200012345|" + QStringLiteral("张三") + "||" + bank + "|||104306114010|", kRoster.at(1)})};
    QCOMPARE(f.all()->count(), 1);
    QCOMPARE(f.all()->text(0, 0), kRoster.at(1).section(QLatin1Char('|'), 0, 0));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCGetBookSearch::prefixAndSubstringCriteria()
{
    Fixture f;
    // Account and code: from the start only. 6217000000006222 holds 6222 further on.
    QCOMPARE(f.search("6222", "", "", ""), (QStringList{"6222020200012345", "6222999900000001"}));
    QCOMPARE(f.search("0200012345", "", "", ""), QStringList());
    QCOMPARE(f.search("", "", "", "1043"), QStringList{"6222020200012345"});
    QCOMPARE(f.search("", "", "", "306400"), QStringList());
    // Name and bank name: anywhere.
    QCOMPARE(f.search("", QStringLiteral("三"), "", ""),
             (QStringList{"6222020200012345", "6228480000000002"}));
    QCOMPARE(f.search("", QStringLiteral("珅"), "", ""), QStringList{"6222999900000001"});
    QCOMPARE(f.search("", "", QStringLiteral("海安"), ""),
             (QStringList{"6222020200012345", "6228480000000002"}));
    QCOMPARE(f.search("", "", QStringLiteral("弢"), ""), QStringList{"6222999900000001"});
    // Exact case and characters: "%" is no wildcard here.
    QCOMPARE(f.search("", "", QStringLiteral("中国%海安"), ""), QStringList());
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCGetBookSearch::criteriaTogether()
{
    Fixture f;
    QCOMPARE(f.search("6222", QStringLiteral("张三"), "", ""), QStringList{"6222020200012345"});
    QCOMPARE(f.search("", QStringLiteral("张三"), QStringLiteral("农业"), ""),
             QStringList{"6228480000000002"});
    QCOMPARE(f.search("6222", QStringLiteral("张三"), QStringLiteral("农业"), ""), QStringList());
    QCOMPARE(f.search("", QStringLiteral("张"), QStringLiteral("海安"), "103"),
             QStringList{"6228480000000002"});
    QCOMPARE(f.found()->rows()->row(0), f.all()->rows()->row(3)); // all columns copied
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCGetBookSearch::emptySearchThenBack()
{
    Fixture f;
    f.field("账户名称")->setText(QStringLiteral("张"));
    f.click(QStringLiteral("查找"));
    QCOMPARE(f.found()->count(), 2);
    f.field("账户名称")->clear();
    f.click(QStringLiteral("查找"));
    QVERIFY(f.found()->isVisible());
    QVERIFY(!f.all()->isVisible());
    QCOMPARE(f.found()->count(), 0);

    f.field("收款账号")->setText("6222");
    f.click(QStringLiteral("查找"));
    QCOMPARE(f.found()->count(), 2);
    f.click(QStringLiteral("返回"));
    QVERIFY(f.all()->isVisible());
    QVERIFY(!f.found()->isVisible());
    QCOMPARE(f.all()->count(), 4);
    for (const char* name : {"收款账号", "账户名称", "开户行", "联行号"}) {
        QVERIFY2(f.field(name)->text().isEmpty(), name);
    }
    QCOMPARE(f.found()->count(), 2); // kept until the next search
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCGetBookSearch::accountShownWhole_data()
{
    QTest::addColumn<QString>("account");
    QTest::newRow("19-digit card") << "6222020200012345678";
    QTest::newRow("30 digits") << "622202020001234567890123456789";
}

void TestCGetBookSearch::accountShownWhole()
{
    QFETCH(QString, account);
    Fixture f{roster(
        {kRoster.at(0), account + QStringLiteral("|长卡||中国银行海安支行|||104306114010|"), kRoster.at(1)})};
    QVERIFY(shownWhole(f.all(), 0, account));
    f.search(account, "", "", "");
    QCOMPARE(f.found()->count(), 1);
    QVERIFY(shownWhole(f.found(), 0, account));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCGetBookSearch::doubleClickOnResultListReturnsResultRow()
{
    Fixture f{roster(kRoster), QString(), false};
    const int rc = runModal(*f.dlg, [&f](QDialog*) {
        f.search("", "", QStringLiteral("海安"), "");
        QCOMPARE(f.found()->count(), 2);
        doubleClickRow(f.found(), 1);
    });
    QCOMPARE(rc, int(QDialog::Accepted));
    // Row 1 of the results is row 3 of the roster (row 1 of the roster is 李四).
    QCOMPARE(f.dlg->account(), QStringLiteral("6228480000000002"));
    QCOMPARE(f.dlg->name(), QStringLiteral("张三丰"));
    QCOMPARE(f.dlg->bankName(), QStringLiteral("中国农业银行海安支行"));
    QCOMPARE(f.dlg->code(), QStringLiteral("103306400011"));
    QVERIFY(f.dlg->hasResult());
    QCOMPARE(f.dlg->results().size(), 4);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCGetBookSearch::doubleClickOnFullList()
{
    Fixture f;
    doubleClickRow(f.all(), 2);
    QCOMPARE(f.dlg->result(), int(QDialog::Accepted));
    QCOMPARE(f.dlg->results(), (QStringList{"6222999900000001", QStringLiteral("王珅"),
                                            QStringLiteral("弢甫路农商银行"), "314306400019"}));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCGetBookSearch::doubleClickWithoutRowAsksToChoose()
{
    Fixture f;
    f.dialogs.expect(QStringLiteral("请选择"), Msg::Ok, QStringLiteral("DXBK-TOOL"));
    doubleClickEmptySpace(f.all());
    QVERIFY(f.dlg->isVisible());
    QCOMPARE(f.dlg->result(), 0);

    f.field("收款账号")->setText("6222");
    f.click(QStringLiteral("查找"));
    f.dialogs.expect(QStringLiteral("请选择"), Msg::Ok, QStringLiteral("DXBK-TOOL"));
    doubleClickEmptySpace(f.found());
    QVERIFY(f.dlg->isVisible());
    QVERIFY(!f.dlg->hasResult());
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCGetBookSearch::exitClosesWithOkAndNoResult()
{
    Fixture f{roster(kRoster), QString(), false};
    const int rc = runModal(*f.dlg, [&f](QDialog*) {
        f.all()->selectRow(1);
        f.click(QStringLiteral("退出"));
    });
    QCOMPARE(rc, int(QDialog::Accepted));
    QVERIFY(!f.dlg->hasResult());
    QVERIFY(f.dlg->account().isEmpty() && f.dlg->name().isEmpty() && f.dlg->bankName().isEmpty() &&
            f.dlg->code().isEmpty());
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCGetBookSearch::escapeCancels()
{
    Fixture f{roster(kRoster), QString(), false};
    const int rc = runModal(*f.dlg, [](QDialog* d) { QTest::keyClick(d, Qt::Key_Escape); });
    QCOMPARE(rc, int(QDialog::Rejected));
    QVERIFY(!f.dlg->hasResult());
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCGetBookSearch::enterRule_data()
{
    // Enter in 账户名称 searches when it holds text; Enter on the focused list then takes the
    // selected row, after Down pressed downs times. Without a criterion the full list is used.
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("downs");
    QTest::addColumn<QString>("picked"); // empty: the picker stays open
    QTest::newRow("first found row") << QStringLiteral("张") << 0 << "6222020200012345";
    QTest::newRow("second found row") << QStringLiteral("张") << 1 << "6228480000000002";
    QTest::newRow("nothing found") << QStringLiteral("无此人") << 0 << "";
    QTest::newRow("full list") << "" << 2 << "6222999900000001";
}

void TestCGetBookSearch::enterRule()
{
    QFETCH(QString, name);
    QFETCH(int, downs);
    QFETCH(QString, picked);
    Fixture f{roster(kRoster), QString(), false};
    bool stillOpen = false;
    const int rc = runModal(*f.dlg, [&](QDialog* d) {
        d->activateWindow();
        QTRY_VERIFY(d->isActiveWindow());
        if (name.isEmpty()) {
            f.all()->setFocus();
            f.all()->selectRow(0);
        } else {
            f.field("账户名称")->setFocus();
            typeText(f.field("账户名称"), name);
            QTest::keyClick(f.field("账户名称"), Qt::Key_Return);
            QVERIFY(f.found()->isVisible());
        }
        for (int i = 0; i < downs; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        stillOpen = d->isVisible();
        if (stillOpen) {
            QCOMPARE(f.found()->count(), 0);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.field("账户名称")));
            d->reject();
        }
    });
    QCOMPARE(stillOpen, picked.isEmpty());
    QCOMPARE(rc, int(picked.isEmpty() ? QDialog::Rejected : QDialog::Accepted));
    QCOMPARE(f.dlg->account(), picked);
    VERIFY_DIALOGS_DONE(f.dialogs);
}

QTEST_MAIN(TestCGetBookSearch)
#include "tst_cgetbooksearch.moc"
