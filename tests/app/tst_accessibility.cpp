#include "ReviewDriver.h"
#include "ScriptedDialogs.h"
#include "TestEnv.h"
#include "app/CAboutDlg.h"
#include "app/CKXPTApp.h"
#include "app/CMainFrame.h"
#include "app/CSubView.h"
#include "common/RowList.h"
#include "common/ScreenSwitch.h"
#include "lookup/CGetBookSearch.h"
#include "lookup/CLHHBookSearch.h"
#include "lookup/CPayBookSearch.h"
#include "lookup/core/BankCodeTable.h"
#include "payroll/CDAIFADlg.h"
#include "print/CPreGoto.h"
#include "print/CPreParent.h"
#include "print/ReportRenderer.h"
#include "print/RowListReportSource.h"
#include "print/core/Pagination.h"
#include "rosters/CGROUPDlg.h"
#include "rosters/CNewGroupDlg.h"
#include "rosters/CPLBook.h"
#include "rosters/CPLBook2.h"
#include "rosters/CPLBookDlg.h"
#include "update/CUpdateDlg.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolTip>

// What a screen reader hears: every control of every screen and dialog has a name, every label
// reads what it shows, and every value label is tied to its caption.
class TestAccessibility : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void everyScreenAndDialog();
    void valuesAreReadWithTheirCaptions();
    void pageButtonsFollowEveryWayOfChecking();
    void cellsThatDoNotFitShowATooltip();
    void messageIcons();
    void dialogScreenshots();

private:
    static QStringList problems(QWidget* root);
};

namespace {
const QStringList kValueLabels{QStringLiteral("总笔数"),       QStringLiteral("总金额"),
                               QStringLiteral("总个数"),       QStringLiteral("大写金额"),
                               QStringLiteral("已下载字节数"), QStringLiteral("本次总笔数"),
                               QStringLiteral("本次总金额")};

QString spoken(QWidget* w)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name) : QString();
}

QString shown(const QLabel* label)
{
    QString text = label->text();
    // A mnemonic's ampersand is not read out.
    return label->buddy() && text.contains(QLatin1Char('&')) ? text.remove(QLatin1Char('&')) : text;
}

bool isControl(QWidget* w)
{
    return qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
           qobject_cast<QAbstractItemView*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
           qobject_cast<QComboBox*>(w);
}
} // namespace

void TestAccessibility::initTestCase()
{
    QAccessible::setActive(true);
}

QStringList TestAccessibility::problems(QWidget* root)
{
    QStringList out;
    QList<QWidget*> all = root->findChildren<QWidget*>();
    all.prepend(root);
    for (QWidget* w : std::as_const(all)) {
        // The line edit inside a spin box is named through its spin box.
        if (qobject_cast<QLineEdit*>(w) && qobject_cast<QAbstractSpinBox*>(w->parentWidget())) {
            continue;
        }
        // Views carry their own headers, scroll bars and corner button, read through the view;
        // Qt's own helpers (the menu bar's overflow button) are left to Qt.
        QWidget* parent = w->parentWidget();
        if ((parent &&
             (qobject_cast<QAbstractItemView*>(parent) ||
              (parent->parentWidget() && qobject_cast<QAbstractItemView*>(parent->parentWidget())))) ||
            w->objectName().startsWith(QLatin1String("qt_"))) {
            continue;
        }
        const QString where = root->objectName() + QLatin1Char('/') + w->metaObject()->className() +
                              QLatin1Char(' ') + w->objectName();
        if (isControl(w) && spoken(w).isEmpty()) {
            out << where + QStringLiteral(": no accessible name");
        }
        if (auto* label = qobject_cast<QLabel*>(w); label && label->pixmap().isNull()) {
            // An empty value (no capital amount yet) reads its caption.
            if (!label->text().isEmpty() && spoken(w) != shown(label)) {
                out << where + QStringLiteral(": reads \"%1\" but shows \"%2\"").arg(spoken(w), shown(label));
            }
            if (kValueLabels.contains(label->objectName())) {
                QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(label);
                if (iface->relations(QAccessible::Label).isEmpty()) {
                    out << where + QStringLiteral(": value without its caption");
                }
            }
        }
    }
    return out;
}

void TestAccessibility::everyScreenAndDialog()
{
    TestEnv env;
    env.write("BankNo.txt", gbk(QStringLiteral("104306114010|中国银行海安支行|\r\n")));
    env.write("kuahangacc.txt", gbk(QStringLiteral("6222020200000001|王珅||中国银行|||104306114010|\r\n")));
    env.write("hangneiacc.txt", gbk(QStringLiteral("|1234567890|甲公司||\r\n")));
    ScriptedDialogs dialogs;
    // The main window holds every screen, the hidden ones too.
    std::unique_ptr<CMainFrame> frame = CKXPTApp::createMainFrame();
    frame->setObjectName(QStringLiteral("main"));
    frame->show();
    QStringList found = problems(frame.get());

    CAboutDlg about;
    CGetBookSearch payees;
    CPayBookSearch accounts;
    CLHHBookSearch codes;
    CGROUPDlg groups;
    CGROUPDlg importGroups(true);
    CNewGroupDlg name({});
    CUpdateDlg update; // not shown: no download starts
    RowListModel rows;
    for (int i = 1; i <= 40; ++i) {
        rows.appendRow({QString::number(i), "6222020200012345", QStringLiteral("张三"), QString(), QString(),
                        "1.00", ""});
    }
    RowListReportSource source(&rows);
    ReportRequest request;
    request.rowCount = rows.rowCount();
    request.pageCount = Pagination::pageCount(request.rowCount);
    request.currentPage = 1;
    request.source = &source;
    const ReportRenderer renderer(ReportLayout::payroll());
    CPreParent preview(request, renderer);
    CPreGoto go(1, 2);
    ReviewDialog::Source twice;
    twice.run = [](const OrderReview::Expected& e, const OrderReview::Previous*) {
        const QVector<OrderReview::Line> order{
            {1, "6222020200012349", QStringLiteral("张三"), "", "12ab5", "1.00"},
            {2, "6222020200012349", QStringLiteral("张三"), "", "12ab5", "1.00"}};
        return OrderReview::review(order, OrderReview::Knowledge{true, {}, QString(), {}}, e);
    };
    twice.count = QStringLiteral("2");
    twice.total = QStringLiteral("2.00");
    ReviewDialog review(twice, nullptr);
    review.show();
    for (QWidget* dlg :
         std::initializer_list<QWidget*>{&about, &payees, &accounts, &codes, &groups, &importGroups, &name,
                                         &update, &preview, &go, &review}) {
        found += problems(dlg);
    }
    QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
    frame->setBeforeExit([] { return true; });
    frame.reset();
    ScreenSwitch::setTargets(nullptr, nullptr);
    VERIFY_DIALOGS_DONE(dialogs);
}

void TestAccessibility::valuesAreReadWithTheirCaptions()
{
    TestEnv env;
    ScriptedDialogs dialogs;
    std::unique_ptr<CMainFrame> frame = CKXPTApp::createMainFrame();
    auto* host = static_cast<CSubView*>(frame->screenHost());
    QWidget* payroll = host->payroll();
    auto* count = payroll->findChild<QLabel*>(QStringLiteral("总笔数"));
    auto* total = payroll->findChild<QLabel*>(QStringLiteral("总金额"));
    count->setText(QStringLiteral("3"));
    total->setText(QStringLiteral("27700.50"));
    QCOMPARE(spoken(count), QStringLiteral("3"));
    QCOMPARE(spoken(total), QStringLiteral("27700.50"));
    const auto captionOf = [](QLabel* value) {
        const auto relations = QAccessible::queryAccessibleInterface(value)->relations(QAccessible::Label);
        return relations.isEmpty() ? QString() : relations.first().first->text(QAccessible::Name);
    };
    QCOMPARE(captionOf(count), QStringLiteral("总笔数："));
    QCOMPARE(captionOf(total), QStringLiteral("总金额："));
    // Static labels read their caption, with no "标签" added.
    auto* caption = payroll->findChild<QLabel*>(QStringLiteral("收款人名称标签"));
    QCOMPARE(spoken(caption), QStringLiteral("收款人名称："));
    CAboutDlg about;
    auto* text = about.findChild<QLabel*>(QStringLiteral("版本信息"));
    QCOMPARE(spoken(text), text->text());
    frame->setBeforeExit([] { return true; });
    frame.reset();
    ScreenSwitch::setTargets(nullptr, nullptr);
    VERIFY_DIALOGS_DONE(dialogs);
}

void TestAccessibility::pageButtonsFollowEveryWayOfChecking()
{
    TestEnv env;
    env.write("hangneiacc.txt", gbk(QStringLiteral("|1234567890|甲公司||\r\n")));
    env.write("kuahangacc.txt", gbk(QStringLiteral("6222020200000001|王珅||中国银行|||104306114010|\r\n")));
    ScriptedDialogs dialogs;
    CPLBookDlg host;
    host.resize(790, 560);
    host.show();
    auto* second = host.findChild<QRadioButton*>(QStringLiteral("跨行账户名册"));
    auto* first = host.findChild<QRadioButton*>(QStringLiteral("行内账户名册"));
    // The screen reader's action on the button.
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(second);
    QVERIFY(iface->actionInterface());
    const QStringList actions = iface->actionInterface()->actionNames();
    QVERIFY2(actions.contains(QAccessibleActionInterface::toggleAction()) ||
                 actions.contains(QAccessibleActionInterface::pressAction()),
             qPrintable(actions.join(',')));
    iface->actionInterface()->doAction(actions.contains(QAccessibleActionInterface::toggleAction())
                                           ? QAccessibleActionInterface::toggleAction()
                                           : QAccessibleActionInterface::pressAction());
    QTRY_VERIFY(second->isChecked());
    QVERIFY(host.interbankBook()->isVisible());
    QVERIFY(!static_cast<QWidget*>(host.inBankBook())->isVisible());
    // The keyboard: an arrow key moves the check between the two.
    host.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&host));
    second->setFocus();
    QTest::keyClick(second, Qt::Key_Left);
    QTRY_VERIFY(first->isChecked());
    QVERIFY(static_cast<QWidget*>(host.inBankBook())->isVisible());
    // A click on the page shown reloads it: a change made outside shows.
    env.write("hangneiacc.txt", gbk(QStringLiteral("|1234567890|甲公司||\r\n|1234567891|乙公司||\r\n")));
    QTest::mouseClick(first, Qt::LeftButton);
    QCOMPARE(static_cast<QWidget*>(host.inBankBook())->findChild<RowList*>()->count(), 2);
    VERIFY_DIALOGS_DONE(dialogs);
}

void TestAccessibility::cellsThatDoNotFitShowATooltip()
{
    RowList list;
    list.setColumns(
        {{QStringLiteral("序号"), 50}, {QStringLiteral("开户行"), 60}, {QStringLiteral("联行号"), 200}});
    list.rows()->appendRow({"1", QStringLiteral("中国工商银行股份有限公司海安支行"), "102306400019"});
    list.resize(400, 200);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    auto hover = [&](int column) {
        const QRect cell = list.visualRect(list.rows()->index(0, column));
        QHelpEvent e(QEvent::ToolTip, cell.center(), list.viewport()->mapToGlobal(cell.center()));
        QCoreApplication::sendEvent(list.viewport(), &e);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    QCOMPARE(hover(2), QString()); // it fits: no tooltip
    QCOMPARE(hover(1), QStringLiteral("中国工商银行股份有限公司海安支行"));
    hover(2);
    QTRY_VERIFY(!QToolTip::isVisible());
}

void TestAccessibility::messageIcons()
{
    TestEnv env;
    ScriptedDialogs dialogs;
    std::unique_ptr<CMainFrame> frame = CKXPTApp::createMainFrame();
    auto* host = static_cast<CSubView*>(frame->screenHost());
    QWidget* payroll = host->payroll();
    QTest::mouseClick(payroll->findChild<QPushButton*>(QStringLiteral("新增")), Qt::LeftButton);
    dialogs.expect(QStringLiteral("请保证收款账号长度至少为10位"));
    QTest::mouseClick(payroll->findChild<QPushButton*>(QStringLiteral("确定")), Qt::LeftButton);
    QCOMPARE(dialogs.messages.last().icon, Msg::Icon::Warning); // a refusal
    env.write("in.txt", gbk(QStringLiteral("序号\r\n1,,104306114010,6222020200012345,张三,1,,,,,")));
    QTest::mouseClick(payroll->findChild<QPushButton*>(QStringLiteral("取消")), Qt::LeftButton);
    dialogs.expectFile(env.path("in.txt"));
    dialogs.expect(QStringLiteral("总共导入1条信息\r\n成功导入1条信息"));
    QTest::mouseClick(payroll->findChild<QPushButton*>(QStringLiteral("导入文本")), Qt::LeftButton);
    QCOMPARE(dialogs.messages.last().icon, Msg::Icon::Information); // good news
    dialogs.expectFile(env.path("order.txt"));
    dialogs.expect(QStringLiteral("保存成功"));
    answerReview(QStringLiteral("仍然导出"));
    QTest::mouseClick(payroll->findChild<QPushButton*>(QStringLiteral("导出文本")), Qt::LeftButton);
    QCOMPARE(dialogs.messages.last().icon, Msg::Icon::Information);
    dialogs.expect(QStringLiteral("确定退出批量和代发工具？"), Msg::Cancel, QStringLiteral("退出程序"));
    frame->close();
    QCOMPARE(dialogs.messages.last().icon, Msg::Icon::Question);
    frame->setBeforeExit([] { return true; });
    frame.reset();
    ScreenSwitch::setTargets(nullptr, nullptr);
    VERIFY_DIALOGS_DONE(dialogs);
}

void TestAccessibility::dialogScreenshots()
{
    TestEnv env;
    env.write("BankNo.txt", gbk(QStringLiteral("102306400019|中国工商银行股份有限公司海安支行营业部|\r\n"
                                               "104306114010|中国银行股份有限公司海安支行|\r\n")));
    env.write("kuahangacc.txt",
              gbk(QStringLiteral(
                  "6222020200012345678|王珅||中国农业银行股份有限公司海安支行营业部|||103306114012|\r\n"
                  "6228480010012345678|李晓梅||中国银行海安支行|||104306114010|\r\n")));
    env.write("hangneiacc.txt", gbk(QStringLiteral("|32010001000123456|海安岱溪商贸有限公司||\r\n")));
    BankCodeTable::reload();
    ScriptedDialogs dialogs;
    const QString dir = QStringLiteral(DXBK_BUILD_DIR "/screenshots");
    QDir().mkpath(dir);
    auto save = [&](QWidget& w, const QString& name) {
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(w.grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png")));
    };
    CGetBookSearch payees;
    // The criterion field takes a whole 19-digit account in sight.
    auto* account = payees.findChild<QLineEdit*>(QStringLiteral("收款账号"));
    account->setText(QStringLiteral("6222020200012345678"));
    QVERIFY(account->fontMetrics().horizontalAdvance(QString(30, QLatin1Char('0'))) <= account->width());
    save(payees, QStringLiteral("picker-payees"));
    CPayBookSearch accounts;
    save(accounts, QStringLiteral("picker-inbank"));
    CLHHBookSearch codes;
    codes.findChild<QLineEdit*>(QStringLiteral("开户行"))->setText(QStringLiteral("海安"));
    QTest::mouseClick(codes.findChild<QPushButton*>(QStringLiteral("查找")), Qt::LeftButton);
    save(codes, QStringLiteral("bank-code-search"));
    // A bank name too long for its column shows whole as a tooltip.
    auto* list = payees.findChild<RowList*>(QStringLiteral("账户列表"));
    const QRect cell = list->visualRect(list->rows()->index(0, 2));
    QHelpEvent tip(QEvent::ToolTip, cell.center(), list->viewport()->mapToGlobal(cell.center()));
    QCoreApplication::sendEvent(list->viewport(), &tip);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), QStringLiteral("中国农业银行股份有限公司海安支行营业部"));
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->inherits("QTipLabel") && top->isVisible()) {
            QVERIFY(top->grab().save(dir + QStringLiteral("/tooltip.png")));
        }
    }
    CGROUPDlg groups;
    save(groups, QStringLiteral("groups"));
    CNewGroupDlg name({});
    save(name, QStringLiteral("group-name"));
    CAboutDlg about;
    save(about, QStringLiteral("about"));
    VERIFY_DIALOGS_DONE(dialogs);
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
