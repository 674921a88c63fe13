// Times the review of an order before its export. The data folder is the one gen_lookup_data.py
// writes (a 200,000-line BankNo.txt, a 20,000-record kuahangacc.txt).
//   1. a 200-line payroll order reviewed against both, the roster read afresh as every export
//      reads it (the code list is read once per run, as the screens keep it); budget 30 ms;
//   2. dxbk-cli check --split of a 10,000-line file, with the review and that BankNo.txt; budget 1 s
//      for the whole command, process start and list included.
// usage: bench_review DATA_DIR [REPEATS]

#include "common/core/CMyTool.h"
#include "common/core/Gbk.h"
#include "lookup/core/BankCodeTable.h"
#include "payroll/core/PayrollLine.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.at(v.size() / 2);
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_review DATA_DIR [REPEATS]\n");
        return 2;
    }
    const QString data = QString::fromLocal8Bit(argv[1]);
    const int repeats = argc > 2 ? std::max(1, atoi(argv[2])) : 5;
    CMyTool::SetModuleDirForTests(data);
    if (!BankCodeTable::loadWhole()) {
        std::fprintf(stderr, "BankNo.txt could not be read whole from %s\n", argv[1]);
        return 1;
    }
    // 200 payees of the roster, each at a code of the list.
    QFile roster(CMyTool::DataFilePath(QStringLiteral("kuahangacc.txt")));
    if (!roster.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "no kuahangacc.txt\n");
        return 1;
    }
    QVector<PayrollLine> lines;
    const QList<QByteArray> records = roster.readAll().split('\n');
    for (int i = 0; lines.size() < 200 && i < records.size(); i += 97) {
        const QStringList f =
            Gbk::decode(records.at(i).trimmed()).value_or(QString()).split(QLatin1Char('|'));
        if (f.size() < 7) {
            continue;
        }
        lines.append({QString::number(lines.size() + 1), f.at(0), f.at(1), f.at(3), f.at(6),
                      QStringLiteral("%1.00").arg(3000 + i % 977), QStringLiteral("工资")});
    }
    std::vector<double> ms;
    int found = 0;
    for (int run = 0; run < repeats; ++run) {
        QElapsedTimer t;
        t.start();
        const QVector<OrderReview::Line> order = PayrollReview::linesOf(lines);
        const QVector<OrderReview::Finding> findings =
            OrderReview::review(order, PayrollReview::knowledge(order, true));
        ms.push_back(t.nsecsElapsed() / 1e6);
        found = int(findings.size());
    }
    std::printf("review of a %d-line order against %lld codes and a 20,000-record roster: median %.1f ms "
                "(%d findings; budget 30 ms)\n",
                int(lines.size()), static_cast<long long>(BankCodeTable::size()), median(ms), found);

    // The companion on a file of 10,000 lines.
    QTemporaryDir dir;
    QString text = PayrollExport::header();
    for (int i = 0; i < 10000; ++i) {
        const PayrollLine& l = lines.at(i % lines.size());
        text += QStringLiteral("\r\n%1,,%2,%3%4,%5,%6,,工资,,,")
                    .arg(i + 1)
                    .arg(l.routingCode, l.account.left(8))
                    .arg(i, 8, 10, QLatin1Char('0'))
                    .arg(l.name, l.amount);
    }
    QFile big(dir.filePath(QStringLiteral("big.txt")));
    if (!big.open(QIODevice::WriteOnly) || big.write(Gbk::encode(text)) < 0) {
        return 1;
    }
    big.close();
    ms.clear();
    for (int run = 0; run < repeats; ++run) {
        QElapsedTimer t;
        t.start();
        QProcess cli;
        cli.start(QStringLiteral(DXBK_CLI),
                  {QStringLiteral("check"), big.fileName(), QStringLiteral("--split"),
                   QStringLiteral("--bankno"), CMyTool::DataFilePath("BankNo.txt")});
        if (!cli.waitForFinished(60000) || cli.exitCode() == 2) {
            std::fprintf(stderr, "dxbk-cli failed: %s\n", cli.readAllStandardError().constData());
            return 1;
        }
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("dxbk-cli check --split of 10,000 lines with the review and that BankNo.txt: median %.0f ms "
                "(budget 1000 ms)\n",
                median(ms));
    return 0;
}
