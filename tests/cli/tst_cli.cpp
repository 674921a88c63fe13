#include "Faults.h"
#include "PayrollFixture.h"
#include "Workbooks.h"
#include "cli/Cli.h"
#include "common/core/ImportLayout.h"
#include "common/core/SpreadsheetReader.h"
#include "common/core/SpreadsheetWriter.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTest>
#include <QTextStream>

// The command-line companion, run as a process on real files, against what the payroll screen
// does with the same files.
class TestCli : public QObject
{
    Q_OBJECT
private slots:
    void convertGivesTheScreensExportFile_data();
    void convertGivesTheScreensExportFile();
    void checkReportsEveryProblemAndTheTotals();
    void convertWritesNothingWhenALineIsRefused();
    void ordersOfMoreThan200Lines();
    void convertNeverWritesOverItsInput_data();
    void convertNeverWritesOverItsInput();
    void splitRunLeavesOneSeriesOfItsOwn_data();
    void splitRunLeavesOneSeriesOfItsOwn();
    void failedOverwriteGivesEveryNameBack_data();
    void failedOverwriteGivesEveryNameBack();
    void convertWritesNoEmptyOrder_data();
    void convertWritesNoEmptyOrder();
    void banksAreFoundAsTheSearchDialogFindsThem();
    void templatesReadBackAsAHeader_data();
    void templatesReadBackAsAHeader();
    void usage();
};

namespace {
struct Run
{
    int status;
    QString out;
    QString err;
};

// What the companion printed. On Windows the C runtime writes stdout and stderr in text mode, so
// every line ends in CR LF there, as a console or Notepad wants it.
QString printed(QByteArray bytes)
{
#ifdef Q_OS_WIN
    bytes.replace("\r\n", "\n");
#endif
    return QString::fromUtf8(bytes);
}

Run cli(const QStringList& args, const QString& workingDirectory = QString())
{
    QProcess p;
    p.setWorkingDirectory(workingDirectory);
    p.start(QStringLiteral(DXBK_CLI), args);
    if (!p.waitForFinished(60000)) {
        return {-1, QString(), QStringLiteral("timed out")};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            printed(p.readAllStandardOutput()), printed(p.readAllStandardError())};
}

QString summary(int read, int imported)
{
    return QStringLiteral("总共导入%1条信息\r\n成功导入%2条信息").arg(read).arg(imported);
}

const QString kHeader = QStringLiteral(
    "序号,业务序号,收款人行号,收款人账号,收款人姓名,金额,收款人地址,附言,日期,流水号,接收行行号");

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// An import file of n valid lines.
QByteArray payroll(int n)
{
    QString text = kHeader;
    for (int i = 1; i <= n; ++i) {
        text += QStringLiteral("\r\n%1,,104306114010,%2,员工%1,%3.50,,十二月工资,,,")
                    .arg(i)
                    .arg(cardNumber(QStringLiteral("6222020%1").arg(i, 8, 10, QLatin1Char('0'))))
                    .arg(i);
    }
    return gbk(text);
}

// Every entry of dir with its bytes (a folder as "<dir>"), to show that nothing else changed.
QMap<QString, QByteArray> contents(const QString& dir)
{
    QMap<QString, QByteArray> out;
    for (const QString& name : Faults::entries(dir)) {
        const QString path = QDir(dir).filePath(name);
        out.insert(name, QFileInfo(path).isDir() ? QByteArray("<dir>") : readFile(path));
    }
    return out;
}
} // namespace

void TestCli::convertGivesTheScreensExportFile_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("workbook");
    for (const char* layout : {"payroll_template", "payroll_header"}) {
        for (const char* form : {"openpyxl.xlsx", "libreoffice.xlsx", "libreoffice.xls"}) {
            QTest::newRow(qPrintable(QStringLiteral("%1.%2").arg(QLatin1String(layout), QLatin1String(form))))
                << testData(QStringLiteral("imports/%1.%2").arg(QLatin1String(layout), QLatin1String(form)))
                << true;
        }
    }
    QTest::newRow("december GBK") << testData(QStringLiteral("imports/payroll_december.gbk.txt")) << false;
}

void TestCli::convertGivesTheScreensExportFile()
{
    QFETCH(QString, path);
    QFETCH(bool, workbook);
    PayrollFixture f;
    // One input feeds both: the companion...
    const Run run = cli({"convert", path, "-o", f.env.path("cli.txt"), "--skip-invalid", "--json"});
    // The sample workbooks' card numbers are made up: the review reminds of their check digits.
    QVERIFY2(run.status == 0 || run.status == 1 || run.status == 3, qPrintable(run.err));
    const QJsonObject result = QJsonDocument::fromJson(run.out.toUtf8()).object();
    const QJsonArray problems = result.value("problems").toArray();
    const int imported = result.value("count").toInt();
    QVERIFY(imported > 0);
    // ...and the screen, which shows the same refusals in the same order.
    f.dialogs.expectFile(path);
    for (const QJsonValue& p : problems) {
        f.dialogs.expect(p.toObject().value("message").toString());
    }
    f.dialogs.expect(summary(imported + int(problems.size()), imported));
    f.click(workbook ? QStringLiteral("导入Excel") : QStringLiteral("导入文本"));
    QCOMPARE(f.list()->count(), imported);
    QCOMPARE(f.total(), result.value("total").toString());
    f.dialogs.expectFile(f.env.path("screen.txt"));
    f.dialogs.expect(QStringLiteral("保存成功"));
    QVERIFY(f.screen.ExportLines());
    QCOMPARE(f.env.read("cli.txt"), f.env.read("screen.txt"));
    VERIFY_DIALOGS_DONE(f.dialogs);
}

void TestCli::checkReportsEveryProblemAndTheTotals()
{
    TestEnv env;
    env.write("bad.txt", gbk(kHeader + "\r\n1,,104306114010,6222020200012349,张三,100,,工资,,,\r\n"
                                       "2,,104306114010,622202020,李四,1,,,,,\r\n"
                                       "3,,,6222020200012347,王五,1,,,,,\r\n"
                                       "4,,104306114010,6222020200012356,赵六,0.5,,,,,"));
    env.write("good.txt", gbk(kHeader + "\r\n1,,104306114010,6222020200012349,张三,1500,,工资,,,"));
    const Run bad = cli({"check", env.path("bad.txt"), env.path("good.txt")});
    QCOMPARE(bad.status, 1);
    QCOMPARE(bad.out, env.path("bad.txt") +
                          QStringLiteral(":3: 您所导入的文件中第2条，请保证收款账号长度至少为10位\n") +
                          env.path("bad.txt") + QStringLiteral(":4: 您所导入的文件中第3条，请输入行号\n") +
                          env.path("bad.txt") + QStringLiteral(": 总笔数：2  总金额：100.50\n") +
                          env.path("good.txt") +
                          QStringLiteral(": 总笔数：1  总金额：1500.00\n合计：总笔数：3  总金额：1600.50\n"));
    QCOMPARE(cli({"check", env.path("good.txt")}).status, 0);

    const Run json = cli({"check", "--json", env.path("bad.txt")});
    const QJsonObject o = QJsonDocument::fromJson(json.out.toUtf8()).object();
    QCOMPARE(o.value("valid").toBool(), false);
    QCOMPARE(o.value("total").toString(), QStringLiteral("100.50"));
    const QJsonArray problems = o.value("files").toArray().at(0).toObject().value("problems").toArray();
    QCOMPARE(problems.size(), 2);
    QCOMPARE(problems.at(1).toObject().value("line").toInt(), 4);
    QCOMPARE(problems.at(1).toObject().value("number").toInt(), 3);

    // A format error ends the file there, as it ends the screen's import.
    env.write("broken.txt", gbk(kHeader + "\r\n1,,104306114010,6222020200012349,张三,1,500.00,,工资,,\r\n"
                                          "2,,104306114010,6222020200012346,李四,1,,,,,"));
    const Run broken = cli({"check", env.path("broken.txt")});
    QCOMPARE(broken.status, 1);
    QVERIFY(
        broken.out.startsWith(env.path("broken.txt") +
                              QStringLiteral(":2: 导入文件格式错误，导入失败！ 金额中有逗号（千位分隔或小数逗号），请去掉逗号\n")));

    // Lines that are too long, or in UTF-8 within a GBK file, are refused there and the file goes on.
    env.write("odd.txt", gbk(kHeader + "\r\n1,,104306114010,6222020200012349,") + QByteArray(2000, 'x') +
                             gbk(",1,,,,,\r\n") +
                             QStringLiteral("2,,104306114010,6222020200012346,王珅,1,,,,,\r\n").toUtf8() +
                             gbk(QStringLiteral("3,,104306114010,6222020200099999,濮洪波,2,,,,,")));
    const Run odd = cli({"check", env.path("odd.txt")});
    QCOMPARE(odd.status, 1);
    QCOMPARE(odd.out,
             env.path("odd.txt") + QStringLiteral(":2: 您所导入的文件中第1条，该行超过1023字节，未导入\n") +
                 env.path("odd.txt") +
                 QStringLiteral(":3: 您所导入的文件中第2条，该行的编码与文件其他行不同（像是UTF-8），未导入；"
                                "请将文件整个另存为GBK或UTF-8后重新导入\n") +
                 env.path("odd.txt") + QStringLiteral(": 总笔数：1  总金额：2.00\n"));

    // A workbook of number cells: the cell that stops it is named.
    const QString numbers = testData(QStringLiteral("imports/payroll_numbers.libreoffice.xls"));
    const Run numbered = cli({"check", numbers});
    QCOMPARE(numbered.status, 1);
    QCOMPARE(numbered.out, numbers + QStringLiteral(":2: 您所导入的文件中第2条，金额格式错误\n") + numbers +
                               QStringLiteral(":3: excel格式错误，请将单元格设置成文本格式 "
                                              "第3行A列：数字6.22202E+18超过15位，表格已丢失它的末尾几位\n") +
                               numbers + QStringLiteral(": 总笔数：1  总金额：5200.50\n"));

    const Run missing = cli({"check", env.path("missing.txt")});
    QCOMPARE(missing.status, 2);
    QCOMPARE(missing.err, QStringLiteral("文件读取失败：missing.txt\n"));
}

void TestCli::convertWritesNothingWhenALineIsRefused()
{
    TestEnv env;
    env.write("in.txt", (kHeader + "\r\n1,,104306114010,6222020200012345,张三,100,,工资,,,\r\n"
                                   "2,,104306114010,622202020,李四,1,,,,,\r\n"
                                   "3,,104306114010,6222020200012347,王五,7,,,,,")
                            .toUtf8()); // saved as UTF-8 by an editor
    const Run refused = cli({"convert", env.path("in.txt"), "-o", env.path("out.txt")});
    QCOMPARE(refused.status, 1);
    QVERIFY(!env.exists("out.txt"));
    QVERIFY(refused.out.contains(QStringLiteral(":3: 您所导入的文件中第2条，请保证收款账号长度至少为10位")));
    const Run skipped = cli({"convert", env.path("in.txt"), "-o", env.path("out.txt"), "--skip-invalid"});
    QCOMPARE(skipped.status, 1);
    QVERIFY(skipped.out.contains(QStringLiteral("已跳过1条信息")));
    QCOMPARE(env.read("out.txt"),
             gbk(kHeader + "\r\n1,,104306114010,6222020200012345,张三,100.00,,工资,,,\r\n"
                           "2,,104306114010,6222020200012347,王五,7.00,,,,,"));
    // A workbook cell that is not text ends the reading: nothing is written, skipping or not.
    QFile::remove(env.path("out.txt"));
    const Run number = cli({"convert", testData("imports/batch_number.openpyxl.xlsx"), "-o",
                            env.path("out.txt"), "--skip-invalid"});
    QCOMPARE(number.status, 1);
    QVERIFY(!env.exists("out.txt"));
}

void TestCli::ordersOfMoreThan200Lines()
{
    TestEnv env;
    QString text = kHeader;
    for (int i = 1; i <= 450; ++i) {
        text += QStringLiteral("\r\n%1,,104306114010,%2,员工%1,%3.50,,十二月工资,,,")
                    .arg(i)
                    .arg(cardNumber(QStringLiteral("6222020%1").arg(i, 8, 10, QLatin1Char('0'))))
                    .arg(i);
    }
    env.write("big.txt", gbk(text));
    const Run refused = cli({"convert", env.path("big.txt"), "-o", env.path("out.txt")});
    QCOMPARE(refused.status, 1);
    QVERIFY(refused.out.contains(
        QStringLiteral(":202: 已超过代发工具上限200条!导入终止 文件中还有250条未读入，可用 convert --split 分成每份200条以内")));
    QVERIFY(!env.exists("out.txt"));

    // check --split reads a long file whole, as convert --split does.
    const Run checked = cli({"check", env.path("big.txt"), "--split"});
    QCOMPARE(checked.status, 0);
    QVERIFY(checked.out.contains(QStringLiteral("总笔数：450")));
    QCOMPARE(cli({"check", env.path("big.txt")}).status, 1);

    // A folder named with a final separator is made when it is not there.
    const Run split = cli({"convert", env.path("big.txt"), "-o", env.path("orders") + "/", "--split"});
    QCOMPARE(split.status, 0);
    const QString day = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    const QStringList files = QDir(env.path("orders")).entryList(QDir::Files, QDir::Name);
    QCOMPARE(files, (QStringList{QStringLiteral("跨行代发-%1-1.txt").arg(day),
                                 QStringLiteral("跨行代发-%1-2.txt").arg(day),
                                 QStringLiteral("跨行代发-%1-3.txt").arg(day)}));
    QVERIFY(split.out.contains(
        QStringLiteral("跨行代发-%1-3.txt: 总笔数：50  总金额：%2").arg(day).arg("21300.00")));
    // Each file is an order of its own that the screen takes back whole, numbered from 1.
    int total = 0;
    for (const QString& name : files) {
        PayrollFixture f;
        const QString path = env.path("orders/" + name);
        const int lines = int(readFile(path).count('\n'));
        f.dialogs.expectFile(path);
        f.dialogs.expect(summary(lines, lines));
        f.click(QStringLiteral("导入文本"));
        QCOMPARE(f.list()->text(0, 0), QStringLiteral("1"));
        QCOMPARE(f.list()->text(lines - 1, 0), QString::number(lines));
        total += lines;
        VERIFY_DIALOGS_DONE(f.dialogs);
    }
    QCOMPARE(total, 450);
}

void TestCli::convertNeverWritesOverItsInput_data()
{
    QTest::addColumn<QString>("output");
    QTest::addColumn<QStringList>("options");
    QTest::newRow("the same spelling") << QStringLiteral("./in.xlsx") << QStringList();
    QTest::newRow("its absolute path") << QStringLiteral("%1/in.xlsx") << QStringList();
    QTest::newRow("a link to it") << QStringLiteral("link.xlsx") << QStringList();
    QTest::newRow("another hard link of it") << QStringLiteral("hard.xlsx") << QStringList();
    QTest::newRow("with --split") << QStringLiteral("in.xlsx") << QStringList{"--split"};
}

void TestCli::convertNeverWritesOverItsInput()
{
    QFETCH(QString, output);
    QFETCH(QStringList, options);
    TestEnv env;
    QVERIFY(QFile::copy(testData("imports/payroll_template.openpyxl.xlsx"), env.path("in.xlsx")));
    const bool links = canMakeSymLinks();
    if (output == QLatin1String("link.xlsx") && !links) {
        QSKIP(noSymLinks());
    }
    QVERIFY(!links || makeSymLink(env.path("in.xlsx"), env.path("link.xlsx")));
    if (output == QLatin1String("hard.xlsx") && !makeHardLink(env.path("in.xlsx"), env.path("hard.xlsx"))) {
        QSKIP("no hard link can be made here");
    }
    const QMap<QString, QByteArray> before = contents(env.dir());
    const QFile::Permissions mode = QFile::permissions(env.path("in.xlsx"));
    output.replace(QStringLiteral("%1"), QDir(env.dir()).absolutePath());
    const Run run =
        cli(QStringList{"convert", "./in.xlsx", "-o", output, "--skip-invalid"} + options, env.dir());
    QCOMPARE(run.status, 2);
    QCOMPARE(run.err, QStringLiteral("输出文件不能是输入文件：%1\n").arg(output));
    QCOMPARE(contents(env.dir()), before);
    QCOMPARE(QFile::permissions(env.path("in.xlsx")), mode);
    QVERIFY(!links || QFileInfo(env.path("link.xlsx")).isSymLink());
}

void TestCli::splitRunLeavesOneSeriesOfItsOwn_data()
{
    QTest::addColumn<bool>("overwrite");
    QTest::addColumn<QString>("output"); // relative to the program folder; empty: "<orders>/"
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QString>("message"); // %1: the order at the number the obstacle ends in, <1>: the first
    QTest::newRow("an earlier series is refused") << false << QString() << QString() << QString();
    QTest::newRow("--overwrite replaces it whole") << true << QString() << QString() << QString();
    QTest::newRow("--overwrite, the name spelled otherwise")
        << true << QStringLiteral("orders//跨行代发-%1.txt") << QString() << QString();
    QTest::newRow("a folder in the new run's way")
        << true << QString() << QStringLiteral("folder at 2") << QStringLiteral("创建文件失败！ %1\n");
    QTest::newRow("a read-only earlier order")
        << true << QString() << QStringLiteral("read-only 3") << QStringLiteral("删除文件失败：%1\n");
    QTest::newRow("the input among the earlier orders")
        << true << QString() << QStringLiteral("input at 3")
        << QStringLiteral("输出文件不能是输入文件：%1\n");
    // A link goes as a link, whatever it names.
    QTest::newRow("an earlier order that is a link to nowhere")
        << true << QString() << QStringLiteral("dangling link at 3") << QString();
    QTest::newRow("an earlier order that is a link to another")
        << true << QString() << QStringLiteral("link at 2")
        << QStringLiteral("输出文件中有两个是同一个文件：\n<1>\n%1\n");
}

void TestCli::splitRunLeavesOneSeriesOfItsOwn()
{
    QFETCH(bool, overwrite);
    QFETCH(QString, output);
    QFETCH(QString, obstacle);
    QFETCH(QString, message);
    TestEnv env;
    env.write("in.txt", payroll(300));
    QVERIFY(QDir(env.dir()).mkdir("orders"));
    const QString day = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
    const auto part = [&](int k) { return QStringLiteral("orders/跨行代发-%1-%2.txt").arg(day).arg(k); };
    // The earlier run of the day made three orders; another day's order is no part of it.
    env.write(part(1), "earlier 1\r\n");
    if (obstacle.contains(QLatin1String("link")) && !canMakeSymLinks()) {
        QSKIP(noSymLinks());
    }
    if (obstacle == QLatin1String("folder at 2")) {
        QVERIFY(QDir(env.dir()).mkdir(part(2)));
    } else if (obstacle == QLatin1String("link at 2")) {
        QVERIFY(makeSymLink(env.path(part(1)), env.path(part(2))));
    } else {
        env.write(part(2), "earlier 2\r\n");
    }
    if (obstacle == QLatin1String("dangling link at 3")) {
        QVERIFY(makeSymLink(env.path(QStringLiteral("orders/gone.txt")), env.path(part(3))));
    } else {
        env.write(part(3), obstacle == QLatin1String("input at 3") ? payroll(300) : QByteArray("earlier 3\r\n"));
    }
    if (obstacle == QLatin1String("read-only 3")) {
        QVERIFY(QFile::setPermissions(env.path(part(3)), QFileDevice::ReadOwner | QFileDevice::ReadUser));
    }
    env.write("orders/跨行代发-20201230-1.txt", "another day\r\n");
    const QMap<QString, QByteArray> before = contents(env.path("orders"));
    const QFile::Permissions third = QFile::permissions(env.path(part(3)));
    const QString input = env.path(obstacle == QLatin1String("input at 3") ? part(3) : QStringLiteral("in.txt"));
    QStringList args{"convert", input, "-o", output.isEmpty() ? env.path("orders") + "/" : output.arg(day),
                     "--split"};
    // A refused run still gives its result to a script that asked for JSON.
    args << (overwrite ? "--overwrite" : "--json");
    const Run run = cli(args, env.dir());
    if (overwrite && message.isEmpty()) {
        QCOMPARE(run.status, 0);
        QMap<QString, QByteArray> after = before;
        after.remove(QFileInfo(part(3)).fileName());
        after[QFileInfo(part(1)).fileName()] = readFile(env.path(part(1)));
        after[QFileInfo(part(2)).fileName()] = readFile(env.path(part(2)));
        QCOMPARE(contents(env.path("orders")), after);
        QCOMPARE(int(env.read(part(1)).count('\n')) + int(env.read(part(2)).count('\n')), 300);
        QVERIFY(env.read(part(2)).startsWith(gbk(kHeader)));
        return;
    }
    QCOMPARE(run.status, 2);
    QCOMPARE(contents(env.path("orders")), before);
    QCOMPARE(QFile::permissions(env.path(part(3))), third);
    if (overwrite) {
        QCOMPARE(run.err, message.arg(env.path(part(obstacle.right(1).toInt())))
                              .replace(QStringLiteral("<1>"), env.path(part(1))));
    } else {
        QCOMPARE(run.err,
                 QStringLiteral("已有同名的代发文件，未写出文件（加 --overwrite 整组替换）：\n%1\n%2\n%3\n")
                     .arg(env.path(part(1)), env.path(part(2)), env.path(part(3))));
        const QJsonObject result = QJsonDocument::fromJson(run.out.toUtf8()).object();
        QCOMPARE(result.value(QStringLiteral("valid")), QJsonValue(false));
        QCOMPARE(result.value(QStringLiteral("count")), QJsonValue(300));
        QCOMPARE(result.value(QStringLiteral("outputs")), QJsonValue(QJsonArray()));
    }
}

void TestCli::failedOverwriteGivesEveryNameBack_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("nth");
    QTest::addColumn<QString>("message");
    // After the first order has replaced the earlier run's first order:
    QTest::newRow("the second order cannot take its name")
        << QStringLiteral("orders") << 2 << QStringLiteral("创建文件失败！ %1-2.txt\n");
    QTest::newRow("the earlier third order cannot go")
        << QStringLiteral("orders") << 3 << QStringLiteral("删除文件失败：%1-3.txt\n");
    // ... after the third has been moved out of the way: it comes back.
    QTest::newRow("the earlier fourth order cannot go")
        << QStringLiteral("orders") << 4 << QStringLiteral("删除文件失败：%1-4.txt\n");
    // The folders made for the run go with it.
    QTest::newRow("into new folders") << QStringLiteral("new/deeper") << 1
                                      << QStringLiteral("创建文件失败！ %1-1.txt\n");
}

void TestCli::failedOverwriteGivesEveryNameBack()
{
    QFETCH(QString, folder);
    QFETCH(int, nth);
    QFETCH(QString, message);
    const Faults::Fault fault{Faults::Fault::RenameFails, Faults::Fault::FirstByte, nth};
    RUN_IN_FAULT_CHILD(fault);
    TestEnv env;
    Faults::Injector injector(fault, env.dir());
    QVERIFY2(injector.ready(), qPrintable(injector.error()));
    injector.setFilter(QLatin1Char('/') + folder + QLatin1Char('/'));
    env.write("in.txt", payroll(300));
    QVERIFY(QDir(env.dir()).mkdir("orders"));
    const QString day = QDate(2020, 12, 31).toString(QStringLiteral("yyyyMMdd"));
    env.write(QStringLiteral("orders/跨行代发-%1-1.txt").arg(day), "earlier 1\r\n");
    env.write(QStringLiteral("orders/跨行代发-%1-3.txt").arg(day), "earlier 3\r\n");
    env.write(QStringLiteral("orders/跨行代发-%1-4.txt").arg(day), "earlier 4\r\n");
    const QMap<QString, QByteArray> before = contents(env.path("orders"));
    const QMap<QString, QByteArray> folders = contents(env.dir());
    QVERIFY2(injector.inject(0), qPrintable(injector.error()));
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    const int status =
        Cli::run({"convert", env.path("in.txt"), "-o", env.path(folder) + "/", "--split", "--overwrite"},
                 outStream, errStream);
    QVERIFY2(injector.release(), qPrintable(injector.error()));
    errStream.flush();
    QCOMPARE(status, 2);
    QCOMPARE(err, message.arg(env.path(QStringLiteral("%1/跨行代发-%2").arg(folder, day))));
    QCOMPARE(contents(env.path("orders")), before);
    QCOMPARE(contents(env.dir()), folders);
}

void TestCli::convertWritesNoEmptyOrder_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::newRow("header only") << gbk(kHeader);
    QTest::newRow("every line skipped")
        << gbk(kHeader + "\r\n1,,104306114010,622202020,李四,1,,,,,\r\n2,,,6222020200012347,王五,1,,,,,");
}

void TestCli::convertWritesNoEmptyOrder()
{
    QFETCH(QByteArray, input);
    TestEnv env;
    env.write("in.txt", input);
    const Run run = cli({"convert", env.path("in.txt"), "-o", env.path("out.txt"), "--skip-invalid"});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.out.endsWith(QStringLiteral("没有可导出的代发信息，未写出文件\n")), qPrintable(run.out));
    QCOMPARE(Faults::entries(env.dir()), QStringList{"in.txt"});
}

void TestCli::banksAreFoundAsTheSearchDialogFindsThem()
{
    TestEnv env;
    env.write("BankNo.txt", gbk(QStringLiteral("104306114012|中国银行南通分行|\n"
                                               "104306114010|中国银行股份有限公司海安支行|\n"
                                               "104306114011|海安中国银行营业部|\n"
                                               "102306400019|中国工商银行海安支行|\n")));
    const Run both = cli({"banks", "--bankno", env.path("BankNo.txt"), QStringLiteral("中国银行%海安")});
    QCOMPARE(both.status, 0);
    QCOMPARE(both.out, QStringLiteral(
                           "104306114010  中国银行股份有限公司海安支行\n104306114011  海安中国银行营业部\n"));
    const Run code = cli({"banks", "--bankno", env.path("BankNo.txt"), "--json", "102306400019"});
    const QJsonObject o = QJsonDocument::fromJson(code.out.toUtf8()).object();
    QCOMPARE(o.value("count").toInt(), 1);
    QCOMPARE(o.value("results").toArray().at(0).toObject().value("name").toString(),
             QStringLiteral("中国工商银行海安支行"));
    QCOMPARE(cli({"banks", "--bankno", env.path("BankNo.txt"), "1043061140"}).status,
             1); // a partial code finds nothing
    const Run missing = cli({"banks", "--bankno", env.path("none.txt"), QStringLiteral("中国")});
    QCOMPARE(missing.status, 2);
    QCOMPARE(missing.err, QStringLiteral("打开联行号文件失败，请将联行号文件放在工具可执行程序目录中\n"));
}

void TestCli::templatesReadBackAsAHeader_data()
{
    QTest::addColumn<QString>("kind");
    for (const QString& kind : ImportLayout::workbookNames()) {
        QTest::newRow(qPrintable(kind)) << kind;
    }
}

// A template holds the header row, its columns formatted as text; it is never overwritten unasked.
void TestCli::templatesReadBackAsAHeader()
{
    QFETCH(QString, kind);
    TestEnv env;
    const QString path = env.path(QStringLiteral("模板.xlsx"));
    const Run made = cli({"template", kind, path});
    QCOMPARE(made.status, 0);
    SpreadsheetReader reader;
    QVERIFY(reader.open(path));
    const ImportLayout& layout = *ImportLayout::workbook(kind);
    QCOMPARE(reader.usedRange().rowCount, 1);
    for (int c = 0; c < layout.columns.size(); ++c) {
        QCOMPARE(reader.cell(1, c + 1).text(), layout.columns.at(c).caption);
    }
    // The text format of its columns is the writer's, which tst_spreadsheet reads back with openpyxl.

    const QByteArray before = readFile(path);
    const Run again = cli({"template", kind, path});
    QCOMPARE(again.status, 2);
    QVERIFY(again.err.contains(QStringLiteral("已有同名文件")));
    QCOMPARE(readFile(path), before);
    QCOMPARE(cli({"template", kind, path, "--overwrite"}).status, 0);

    // The payroll template comes back through the screen's 导入Excel and the companion as a header.
    if (kind == QLatin1String("payroll")) {
        PayrollFixture f;
        f.dialogs.expectFile(path);
        f.dialogs.expect(summary(0, 0));
        f.click(QStringLiteral("导入Excel"));
        VERIFY_DIALOGS_DONE(f.dialogs);
        const Run checked = cli({"check", path});
        QCOMPARE(checked.status, 0);
        QCOMPARE(checked.out, path + QStringLiteral(": 总笔数：0  总金额：0.00\n"));
    }
}

void TestCli::usage()
{
    const Run help = cli({"--help"});
    QCOMPARE(help.status, 0);
    QVERIFY(help.out.contains(QStringLiteral("dxbk-cli convert")));
    // The help and the README list every import layout as the imports declare it.
    QFile readme(QStringLiteral(DXBK_SOURCE_DIR "/README.md"));
    QVERIFY(readme.open(QIODevice::ReadOnly));
    const QString readmeText = QString::fromUtf8(readme.readAll());
    for (const QString& line : ImportLayout::listing()) {
        QVERIFY2(help.out.contains(line), qPrintable(line));
        QVERIFY2(readmeText.contains(line.trimmed()), qPrintable(line));
    }
    QCOMPARE(cli({"template", "salary", "x.xlsx"}).status, 2);
    QCOMPARE(cli({}).status, 2);
    QCOMPARE(cli({"convert", "in.txt"}).status, 2); // no -o
    QCOMPARE(cli({"check", "--frobnicate", "x.txt"}).status, 2);
    QCOMPARE(cli({"export", "x.txt"}).status, 2);
}

QTEST_MAIN(TestCli)
#include "tst_cli.moc"
