// Times the batch spreadsheet export and import paths without any dialog: writing a 1,000-line,
// three-column text workbook and reading it back cell by cell. Budget: 300 ms each.

#include "common/core/SpreadsheetReader.h"
#include "common/core/SpreadsheetWriter.h"

#include <QElapsedTimer>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Lines = 1000;
constexpr int Runs = 7;

double writeOnce(const QString& path)
{
    QElapsedTimer timer;
    timer.start();
    SpreadsheetWriter writer(QStringLiteral("kxp-tool"));
    writer.setText(1, 1, QStringLiteral("收款人账户"));
    writer.setText(1, 2, QStringLiteral("收款人名称"));
    writer.setText(1, 3, QStringLiteral("金额"));
    for (int i = 0; i < Lines; ++i) {
        writer.setText(i + 2, 1, QStringLiteral("62220202%1").arg(i, 11, 10, QLatin1Char('0')));
        writer.setText(i + 2, 2, QStringLiteral("收款人%1").arg(i));
        writer.setText(i + 2, 3,
                       QStringLiteral("%1.%2").arg(i * 7 + 1).arg(i % 100, 2, 10, QLatin1Char('0')));
    }
    if (!writer.save(path)) {
        std::fprintf(stderr, "writing %s failed\n", qPrintable(path));
        std::exit(1);
    }
    return timer.nsecsElapsed() / 1e6;
}

double readOnce(const QString& path)
{
    QElapsedTimer timer;
    timer.start();
    SpreadsheetReader reader;
    if (!reader.open(path)) {
        std::fprintf(stderr, "reading %s failed\n", qPrintable(path));
        std::exit(1);
    }
    // What the import does: every cell of the used range, text taken.
    const SpreadsheetRange range = reader.usedRange();
    qsizetype characters = 0;
    for (int r = 2; r <= range.lastRow(); ++r) {
        for (int c = 1; c <= range.lastColumn() + 1; ++c) {
            characters += reader.cell(r, c).text().size();
        }
    }
    const double ms = timer.nsecsElapsed() / 1e6;
    if (range.rowCount != Lines + 1 || characters == 0) {
        std::fprintf(stderr, "unexpected content in %s\n", qPrintable(path));
        std::exit(1);
    }
    return ms;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("行内批量-20201231.xls"));
    std::vector<double> writes, reads;
    writeOnce(path); // warm-up
    readOnce(path);
    for (int i = 0; i < Runs; ++i) {
        writes.push_back(writeOnce(path));
        reads.push_back(readOnce(path));
    }
    std::printf("spreadsheet export, %d lines x 3 columns: median %.1f ms, worst %.1f ms (budget 300 ms)\n",
                Lines, median(writes), *std::max_element(writes.begin(), writes.end()));
    std::printf("spreadsheet import, %d lines x 3 columns: median %.1f ms, worst %.1f ms (budget 300 ms)\n",
                Lines, median(reads), *std::max_element(reads.begin(), reads.end()));
    return 0;
}
