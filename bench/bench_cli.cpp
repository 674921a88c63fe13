// Times the command-line companion on a month of a large employer: a 10,000-line payroll
// workbook in the bank's template converted with --split into 50 orders of 200 lines.
// Budget: under 1 s for the whole command, process start included.

#include "common/core/SpreadsheetWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    constexpr int Lines = 10000;
    constexpr int Runs = 5;
    QTemporaryDir dir;
    SpreadsheetWriter sheet(QStringLiteral("Sheet1"));
    sheet.setText(1, 1, QStringLiteral("JIAMBZ 跨行代发模板"));
    for (int i = 0; i < Lines; ++i) {
        const int row = 13 + i;
        sheet.setText(row, 1, QStringLiteral("62220202%1").arg(i, 11, 10, QLatin1Char('0')));
        sheet.setText(row, 2, QStringLiteral("员工%1").arg(i));
        sheet.setText(row, 3, QStringLiteral("中国银行海安支行"));
        sheet.setText(row, 4, QStringLiteral("104306114010"));
        sheet.setText(row, 5,
                      QStringLiteral("%1.%2").arg(3000 + i % 5000).arg(i % 100, 2, 10, QLatin1Char('0')));
        sheet.setText(row, 6, QStringLiteral("十二月工资"));
    }
    const QString book = dir.filePath(QStringLiteral("payroll.xlsx"));
    if (!sheet.save(book)) {
        std::fprintf(stderr, "writing the workbook failed\n");
        return 1;
    }
    std::vector<double> ms;
    for (int run = 0; run < Runs; ++run) {
        const QString out = dir.filePath(QStringLiteral("orders%1").arg(run));
        QDir().mkpath(out);
        QElapsedTimer timer;
        timer.start();
        QProcess cli;
        cli.start(QStringLiteral(DXBK_CLI),
                  {QStringLiteral("convert"), book, QStringLiteral("-o"), out, QStringLiteral("--split")});
        // 3: written, with reminders of the review (the made-up card numbers fail their check digit).
        if (!cli.waitForFinished(60000) || (cli.exitCode() != 0 && cli.exitCode() != 3)) {
            std::fprintf(stderr, "dxbk-cli failed: %s\n", cli.readAllStandardError().constData());
            return 1;
        }
        ms.push_back(timer.nsecsElapsed() / 1e6);
        const int files = int(QDir(out).entryList(QDir::Files).size());
        if (files != Lines / 200) {
            std::fprintf(stderr, "expected %d files, got %d\n", Lines / 200, files);
            return 1;
        }
    }
    std::sort(ms.begin(), ms.end());
    std::printf("dxbk-cli convert --split, %d-line workbook into %d files: median %.0f ms, best %.0f ms "
                "(budget 1000 ms)\n",
                Lines, Lines / 200, ms[ms.size() / 2], ms.front());
    return 0;
}
