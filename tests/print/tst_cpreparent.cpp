#include "ReportTestUtil.h"
#include "ScriptedDialogs.h"
#include "TestEnv.h"
#include "print/CPreGoto.h"
#include "print/CPreParent.h"
#include "print/CPreView.h"
#include "print/ReportPreview.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

namespace {

// "FPNL" for First, Previous, Next, Last: upper case on, lower case off.
QString pagingState(const CPreParent& preview)
{
    QString s;
    const char* names[] = {"first", "previous", "next", "last"};
    const char letters[] = "FPNL";
    for (int i = 0; i < 4; ++i) {
        const QAction* a = preview.findChild<QAction*>(QLatin1String(names[i]));
        const QChar c = QLatin1Char(letters[i]);
        s += a->isEnabled() ? c : c.toLower();
    }
    return s;
}

void trigger(CPreParent& preview, const char* name)
{
    preview.findChild<QAction*>(QLatin1String(name))->trigger();
}

// Answers the go-to dialog once it is up: types the text, then clicks OK (or Cancel when text is null).
void answerGoto(const QString& text)
{
    QTimer::singleShot(0, [text] {
        auto* dialog = qobject_cast<CPreGoto*>(QApplication::activeModalWidget());
        if (!dialog) {
            QFAIL("the go-to dialog is not up");
        }
        if (text.isNull()) {
            dialog->findChild<QPushButton*>(QStringLiteral("取消(&C)"))->click();
            return;
        }
        auto* edit = dialog->findChild<QAbstractSpinBox*>(QStringLiteral("页码"))->findChild<QLineEdit*>();
        edit->setText(text);
        dialog->findChild<QPushButton*>(QStringLiteral("确定(&O)"))->click();
    });
}

std::unique_ptr<QPrinter> pdfPrinter(const QString& path)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setPageSize(QPageSize(QPageSize::A4));
    printer->setOutputFileName(path);
    return printer;
}

} // namespace

class TestCPreParent : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void window();
    void toolbar();
    void openingState_data();
    void openingState();
    void pagingCommands();
    void previousToFirstPage();
    void viewShowsCurrentPage();
    void goToPage();
    void noRowsClosesAtOnce();
    void closeCommand();
    void printsEveryPageWhateverPageIsShown();
    void printDeclined();
    void noPrinter();
    void noDefaultPrinterOnThisMachine();
    void printJobCannotStart();
    void showReportPreviewFromAList_data();
    void showReportPreviewFromAList();
    void showReportPreviewEmptyList();

private:
    struct Fixture
    {
        explicit Fixture(int rows, const ReportLayout& layout = ReportLayout::payroll())
            : source(&model), renderer(layout)
        {
            fillPayroll(model, rows);
            ReportRequest request;
            request.rowCount = rows;
            request.source = &source;
            request.kind = 1;
            preview = std::make_unique<CPreParent>(request, renderer);
        }
        TestEnv env;
        RowListModel model;
        RowListReportSource source;
        ReportRenderer renderer;
        std::unique_ptr<CPreParent> preview;
    };
};

void TestCPreParent::cleanup()
{
    CPreParent::setPrinterFactory({});
}

void TestCPreParent::window()
{
    Fixture f(3);
    QCOMPARE(f.preview->windowTitle(), QStringLiteral("打印预览"));
    QCOMPARE(f.preview->palette().color(QPalette::Window), QColor(60, 70, 120));
    QVERIFY(f.preview->autoFillBackground());
    f.preview->show();
    QVERIFY(f.preview->windowState() & Qt::WindowMaximized);
}

void TestCPreParent::toolbar()
{
    Fixture f(3);
    auto* bar = f.preview->findChild<QToolBar*>();
    QStringList names;
    for (QAction* a : bar->actions()) {
        if (a->isSeparator()) {
            names << QStringLiteral("|");
            continue;
        }
        names << a->objectName();
        QVERIFY(a->text().isEmpty());
        QVERIFY(a->toolTip().isEmpty());
        QVERIFY(a->icon().availableSizes().contains(QSize(16, 15)));
    }
    QCOMPARE(names.join(QLatin1Char(' ')),
             QStringLiteral("first previous | goto | next last | close | print"));
}

void TestCPreParent::openingState_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("pages");
    QTest::addColumn<QString>("state");
    QTest::addColumn<bool>("gotoOn");
    QTest::newRow("1") << 1 << 1 << "fpnl" << false;
    QTest::newRow("26") << 26 << 1 << "fpnl" << false;
    QTest::newRow("30") << 30 << 2 << "fpNL" << true;
    QTest::newRow("60") << 60 << 3 << "fpNL" << true;
    QTest::newRow("90") << 90 << 4 << "fpNL" << true;
}

void TestCPreParent::openingState()
{
    QFETCH(int, rows);
    QFETCH(int, pages);
    QFETCH(QString, state);
    QFETCH(bool, gotoOn);
    Fixture f(rows);
    QCOMPARE(f.preview->pageCount(), pages);
    QCOMPARE(f.preview->currentPage(), 1);
    QCOMPARE(pagingState(*f.preview), state);
    QCOMPARE(f.preview->findChild<QAction*>(QStringLiteral("goto"))->isEnabled(), gotoOn);
}

void TestCPreParent::pagingCommands()
{
    Fixture f(90);
    CPreParent& p = *f.preview;
    trigger(p, "next");
    QCOMPARE(p.currentPage(), 2);
    QCOMPARE(pagingState(p), QStringLiteral("FPNL"));
    trigger(p, "next");
    trigger(p, "next");
    QCOMPARE(p.currentPage(), 4); // the page with the one remaining row
    QCOMPARE(pagingState(p), QStringLiteral("FPnl"));
    trigger(p, "next"); // switched off: nothing happens
    QCOMPARE(p.currentPage(), 4);
    trigger(p, "previous");
    QCOMPARE(p.currentPage(), 3);
    QCOMPARE(pagingState(p), QStringLiteral("FPNL"));
    trigger(p, "first");
    QCOMPARE(p.currentPage(), 1);
    QCOMPARE(pagingState(p), QStringLiteral("fpNL"));
    trigger(p, "previous");
    QCOMPARE(p.currentPage(), 1);
    trigger(p, "last");
    QCOMPARE(p.currentPage(), 4);
    QCOMPARE(pagingState(p), QStringLiteral("FPnl"));
    QVERIFY(p.findChild<QAction*>(QStringLiteral("goto"))->isEnabled());
}

void TestCPreParent::previousToFirstPage()
{
    Fixture f(30);
    trigger(*f.preview, "next");
    QCOMPARE(f.preview->currentPage(), 2);
    QCOMPARE(pagingState(*f.preview), QStringLiteral("FPnl"));
    trigger(*f.preview, "previous");
    QCOMPARE(f.preview->currentPage(), 1);
    QCOMPARE(pagingState(*f.preview), QStringLiteral("fpNL"));
}

void TestCPreParent::viewShowsCurrentPage()
{
    Fixture f(90);
    CPreView* view = f.preview->view();
    const int dpi = view->logicalDpiY();
    QCOMPARE(view->renderPage(), renderSheet(f.renderer, requestFor(f.source, 1), dpi));
    trigger(*f.preview, "last");
    QCOMPARE(view->renderPage(), renderSheet(f.renderer, requestFor(f.source, 4), dpi));
    QVERIFY(view->renderPage() != renderSheet(f.renderer, requestFor(f.source, 3), dpi));
}

void TestCPreParent::goToPage()
{
    ScriptedDialogs msgs;
    Fixture f(140); // 5 pages
    CPreParent& p = *f.preview;
    answerGoto(QStringLiteral("3"));
    trigger(p, "goto");
    QCOMPARE(p.currentPage(), 3);
    QCOMPARE(pagingState(p), QStringLiteral("FPNL"));

    answerGoto(QStringLiteral("9")); // beyond the count: the last page
    trigger(p, "goto");
    QCOMPARE(p.currentPage(), 5);
    QCOMPARE(pagingState(p), QStringLiteral("FPnl"));

    answerGoto(QStringLiteral("1"));
    trigger(p, "goto");
    QCOMPARE(p.currentPage(), 1);
    QCOMPARE(pagingState(p), QStringLiteral("fpNL"));

    answerGoto(QStringLiteral("4"));
    trigger(p, "goto");
    answerGoto(QString()); // cancelled: nothing changes
    trigger(p, "goto");
    QCOMPARE(p.currentPage(), 4);
    QCOMPARE(pagingState(p), QStringLiteral("FPNL"));

    // 0 becomes 1 when the field loses the focus to the OK button.
    p.show();
    QVERIFY(QTest::qWaitForWindowActive(&p));
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<CPreGoto*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->activateWindow();
        QTRY_VERIFY(dialog->isActiveWindow());
        auto* edit = dialog->findChild<QAbstractSpinBox*>(QStringLiteral("页码"))->findChild<QLineEdit*>();
        edit->setText(QStringLiteral("0"));
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("确定(&O)")), Qt::LeftButton);
        if (dialog->isVisible()) {
            dialog->reject();
        }
    });
    trigger(p, "goto");
    QCOMPARE(p.currentPage(), 1);
    QCOMPARE(pagingState(p), QStringLiteral("fpNL"));
    VERIFY_DIALOGS_DONE(msgs);
}

void TestCPreParent::noRowsClosesAtOnce()
{
    Fixture f(0);
    QTimer guard;
    guard.setSingleShot(true);
    bool stillOpen = false;
    connect(&guard, &QTimer::timeout, f.preview.get(), [&] {
        stillOpen = true;
        f.preview->reject();
    });
    guard.start(3000);
    QCOMPARE(f.preview->exec(), int(QDialog::Rejected));
    QVERIFY(!stillOpen);
}

void TestCPreParent::closeCommand()
{
    Fixture f(40);
    QTimer::singleShot(0, f.preview.get(), [&] { trigger(*f.preview, "close"); });
    QCOMPARE(f.preview->exec(), int(QDialog::Rejected));
    QVERIFY(!f.preview->isVisible());
}

void TestCPreParent::printsEveryPageWhateverPageIsShown()
{
    ScriptedDialogs msgs;
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("report.pdf"));
    CPreParent::setPrinterFactory([pdf] { return pdfPrinter(pdf); });
    Fixture f(90);
    trigger(*f.preview, "next");
    trigger(*f.preview, "next");
    msgs.expect(QStringLiteral("决定打印当前报表吗?"), Msg::Yes, QStringLiteral("打印提示"));
    trigger(*f.preview, "print");
    VERIFY_DIALOGS_DONE(msgs);
    QCOMPARE(msgs.messages.at(0).buttons, Msg::Yes | Msg::No);
    QCOMPARE(msgs.messages.at(0).icon, Msg::Icon::Question);
    QCOMPARE(msgs.messages.at(0).defaultButton, int(Msg::No));
    QCOMPARE(pdfPageCount(pdf), 4);
    QCOMPARE(f.preview->currentPage(), 3); // the preview stays where it was
    QCOMPARE(pagingState(*f.preview), QStringLiteral("FPNL"));
}

void TestCPreParent::printDeclined()
{
    ScriptedDialogs msgs;
    int opened = 0;
    CPreParent::setPrinterFactory([&opened] {
        ++opened;
        return std::unique_ptr<QPrinter>();
    });
    Fixture f(10);
    msgs.expect(QStringLiteral("决定打印当前报表吗?"), Msg::No, QStringLiteral("打印提示"));
    trigger(*f.preview, "print");
    QCOMPARE(opened, 0);
    VERIFY_DIALOGS_DONE(msgs);
}

void TestCPreParent::noPrinter()
{
    ScriptedDialogs msgs;
    CPreParent::setPrinterFactory([] { return std::unique_ptr<QPrinter>(); });
    Fixture f(10);
    msgs.expect(QStringLiteral("决定打印当前报表吗?"), Msg::Yes, QStringLiteral("打印提示"));
    msgs.expect(QStringLiteral("打印机初始化失败!"), Msg::Ok, QStringLiteral("错误"));
    trigger(*f.preview, "print");
    VERIFY_DIALOGS_DONE(msgs);
    QCOMPARE(msgs.messages.at(1).icon, Msg::Icon::Critical);
}

void TestCPreParent::noDefaultPrinterOnThisMachine()
{
    if (!QPrinterInfo::defaultPrinter().isNull()) {
        QSKIP("this machine has a default printer");
    }
    ScriptedDialogs msgs;
    Fixture f(10);
    msgs.expect(QStringLiteral("决定打印当前报表吗?"), Msg::Yes, QStringLiteral("打印提示"));
    msgs.expect(QStringLiteral("打印机初始化失败!"), Msg::Ok, QStringLiteral("错误"));
    trigger(*f.preview, "print");
    VERIFY_DIALOGS_DONE(msgs);
}

void TestCPreParent::printJobCannotStart()
{
    ScriptedDialogs msgs;
    CPreParent::setPrinterFactory(
        [] { return pdfPrinter(QStringLiteral("/nonexistent-folder/x/report.pdf")); });
    Fixture f(10);
    msgs.expect(QStringLiteral("决定打印当前报表吗?"), Msg::Yes, QStringLiteral("打印提示"));
    msgs.expect(QStringLiteral("连接到打印机失败!"), Msg::Ok, QStringLiteral("错误"));
    trigger(*f.preview, "print");
    VERIFY_DIALOGS_DONE(msgs);
    QCOMPARE(msgs.messages.at(1).icon, Msg::Icon::Critical);
}

void TestCPreParent::showReportPreviewFromAList_data()
{
    QTest::addColumn<bool>("isBatch");
    QTest::addColumn<int>("kind");
    QTest::newRow("batch") << true << 0;
    QTest::newRow("payroll list") << false << ReportLayout::PayrollKind;
}

void TestCPreParent::showReportPreviewFromAList()
{
    QFETCH(bool, isBatch);
    QFETCH(int, kind);
    TestEnv env;
    QWidget owner;
    RowListModel list;
    if (isBatch) {
        fillBatch(list, 31);
    } else {
        fillPayroll(list, 31);
    }
    const ReportLayout layout = isBatch ? ReportLayout::batch() : ReportLayout::payroll();
    int pages = 0;
    QString title;
    bool maximised = false;
    QTimer::singleShot(0, [&] {
        auto* preview = qobject_cast<CPreParent*>(QApplication::activeModalWidget());
        QVERIFY(preview);
        pages = preview->pageCount();
        title = preview->windowTitle();
        maximised = preview->windowState() & Qt::WindowMaximized;
        QCOMPARE(preview->parentWidget(), &owner);
        // The view draws the list as the given report, with the title of the given kind.
        const RowListReportSource source(&list);
        QCOMPARE(
            preview->view()->renderPage(),
            renderSheet(ReportRenderer(layout), requestFor(source, 1, kind), preview->view()->logicalDpiY()));
        trigger(*preview, "close");
    });
    showReportPreview(&owner, layout, &list, kind);
    QCOMPARE(pages, 2);
    QCOMPARE(title, QStringLiteral("打印预览"));
    QVERIFY(maximised);
}

void TestCPreParent::showReportPreviewEmptyList()
{
    RowListModel empty;
    bool opened = false;
    QTimer::singleShot(0, [&] {
        if (auto* w = QApplication::activeModalWidget()) {
            opened = true;
            w->close();
        }
    });
    showReportPreview(nullptr, ReportLayout::payroll(), &empty);
    showReportPreview(nullptr, ReportLayout::payroll(), nullptr);
    QTest::qWait(10);
    QVERIFY(!opened);
}

QTEST_MAIN(TestCPreParent)
#include "tst_cpreparent.moc"
