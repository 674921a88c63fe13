#include "TestEnv.h"
#include "common/core/SpreadsheetWriter.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QtTest>

// Peak memory of reading each hostile workbook, measured in a child process (workbook_peak)
// that does nothing else. The sanitizer build's allocator keeps freed blocks in a quarantine of
// 256 MB by default, which says nothing about the reader; the child runs with a 16 MB one, so the
// figure is the reader's memory plus the sanitizers' own overhead (shadow memory, red zones).
class TestWorkbookMemory : public QObject
{
    Q_OBJECT
private slots:
    void peakStaysBounded_data();
    void peakStaysBounded();
    void hundredThousandRows();

private:
    struct Run
    {
        bool opened = false;
        int rows = 0;
        qint64 ms = -1;
        qint64 peakKb = -1;
    };
    static Run measure(const QString& path);
};

namespace {
constexpr qint64 BudgetKb = 500 * 1024;
}

TestWorkbookMemory::Run TestWorkbookMemory::measure(const QString& path)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
    env.insert(QStringLiteral("ASAN_OPTIONS"), (asan.isEmpty() ? QString() : asan + QLatin1Char(':')) +
                                                   QStringLiteral("quarantine_size_mb=16"));
    child.setProcessEnvironment(env);
    child.start(QStringLiteral(WORKBOOK_PEAK), {path});
    Run run;
    if (!child.waitForFinished(120000) || child.exitStatus() != QProcess::NormalExit ||
        child.exitCode() != 0) {
        qWarning("%s", child.readAllStandardError().constData());
        return run;
    }
    const QByteArray out = child.readAllStandardOutput().trimmed();
    qInfo("%s: %s", qPrintable(QFileInfo(path).fileName()), out.constData());
    for (const QByteArray& field : out.split(' ')) {
        const QList<QByteArray> kv = field.split('=');
        if (kv.size() != 2) {
            continue;
        }
        if (kv[0] == "opened") {
            run.opened = kv[1] == "1";
        } else if (kv[0] == "rows") {
            run.rows = kv[1].toInt();
        } else if (kv[0] == "ms") {
            run.ms = kv[1].toLongLong();
        } else if (kv[0] == "peak_kb") {
            run.peakKb = kv[1].toLongLong();
        }
    }
    return run;
}

void TestWorkbookMemory::peakStaysBounded_data()
{
    QTest::addColumn<QString>("path");
    for (const char* name :
         {"fuzz_xlsx_reader/zip-bomb.xlsx", "fuzz_xlsx_reader/zip-bomb-small-size.xlsx",
          "fuzz_xlsx_reader/many-cells.xlsx", "fuzz_xls_reader/fat-amplified-16k.xls",
          "fuzz_xls_reader/fat-amplified-64k.xls", "fuzz_xls_reader/fat-amplified-256k.xls",
          "fuzz_xls_reader/huge-dimensions.xls"}) {
        QTest::newRow(name) << QStringLiteral(DXBK_SOURCE_DIR "/tests/fuzz/regressions/") +
                                   QLatin1String(name);
    }
}

void TestWorkbookMemory::peakStaysBounded()
{
    QFETCH(QString, path);
    const Run run = measure(path);
    QVERIFY(run.peakKb > 0);
    QVERIFY(!run.opened);
    QVERIFY2(run.peakKb < BudgetKb, QByteArray::number(run.peakKb));
    QVERIFY2(run.ms < 60000, QByteArray::number(run.ms));
}

// A genuine workbook of 100,000 rows of six columns, the payroll layout.
void TestWorkbookMemory::hundredThousandRows()
{
    TestEnv env;
    const QString path = env.path(QStringLiteral("rows.xlsx"));
    SpreadsheetWriter writer(QStringLiteral("Sheet1"));
    for (int r = 1; r <= 100000; ++r) {
        writer.setText(r, 1, QStringLiteral("62220202%1").arg(r, 8, 10, QLatin1Char('0')));
        writer.setText(r, 2, QStringLiteral("收款人%1").arg(r));
        writer.setText(r, 3, QStringLiteral("中国银行海安支行"));
        writer.setText(r, 4, QStringLiteral("104306114010"));
        writer.setText(r, 5, QStringLiteral("%1.00").arg(r % 1000 + 1));
        writer.setText(r, 6, QStringLiteral("工资"));
    }
    QVERIFY(writer.save(path));
    const Run run = measure(path);
    QVERIFY(run.opened);
    QCOMPARE(run.rows, 100000);
    QVERIFY2(run.peakKb < BudgetKb, QByteArray::number(run.peakKb));
}

QTEST_GUILESS_MAIN(TestWorkbookMemory)
#include "tst_workbookmemory.moc"
