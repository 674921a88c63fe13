// Times the lookups on large data files: loading BankNo.txt into the routing-code table, a search
// that lists every entry in the search dialog, and opening the payee picker on a large roster.
//
// usage: bench_lookup DATADIR [REPEATS]
// DATADIR holds BankNo.txt and kuahangacc.txt (bench/gen_lookup_data.py writes both). The first
// run of each step is the one an operator meets; later runs reuse memory that earlier ones gave
// back, which on this machine saves most of the page-fault time.

#include "common/RowList.h"
#include "common/core/CMyTool.h"
#include "lookup/CGetBookSearch.h"
#include "lookup/CLHHBookSearch.h"
#include "lookup/core/BankCodeTable.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace {

// Wall time is what the operator waits for; on a busy shared machine the process's own CPU time
// and its page faults show what the code itself costs.
struct Sample
{
    double wallMs = 0;
    double cpuMs = 0;
    long faults = 0;
};

Sample now()
{
    Sample s;
#ifdef Q_OS_UNIX
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    s.cpuMs = double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
              double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
    s.faults = u.ru_minflt + u.ru_majflt;
#endif
    return s;
}

// Runs step repeats times; prepare runs untimed before each step.
void measure(const char* what, int repeats, const std::function<void()>& prepare,
             const std::function<void()>& step)
{
    std::vector<Sample> runs;
    for (int i = 0; i < repeats; ++i) {
        if (prepare) {
            prepare();
        }
        const Sample before = now();
        QElapsedTimer t;
        t.start();
        step();
        Sample after = now();
        after.wallMs = double(t.nsecsElapsed()) / 1e6;
        runs.push_back({after.wallMs, after.cpuMs - before.cpuMs, after.faults - before.faults});
    }
    std::vector<double> walls;
    for (const Sample& s : runs) {
        walls.push_back(s.wallMs);
    }
    std::sort(walls.begin(), walls.end());
    std::printf(
        "%-40s first %6.1f ms (cpu %6.1f ms, %6ld faults)  median %6.1f ms  min %6.1f ms  [%d runs]\n", what,
        runs.front().wallMs, runs.front().cpuMs, runs.front().faults, walls[walls.size() / 2], walls.front(),
        repeats);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_lookup DATADIR [REPEATS]\n");
        return 2;
    }
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    CMyTool::SetModuleDirForTests(QString::fromLocal8Bit(argv[1]));

    {
        // In the program the main window is up before any lookup opens: fonts and styles are loaded.
        QLabel window(QStringLiteral("欢迎使用岱溪银行跨行代发助手"));
        window.show();
        window.repaint();
    }

    int rows = 0;
    measure("open payee picker", repeats, nullptr, [&] {
        CGetBookSearch picker;
        picker.show();
        picker.repaint();
        rows = picker.findChild<RowList*>(QStringLiteral("账户列表"))->count();
    });
    std::printf("  roster rows: %d\n", rows);

    int calls = 0;
    measure("load BankNo.txt", repeats, nullptr, [&] {
        // The first call is the start-up load; later ones read the file again as after an update.
        if (calls++ == 0) {
            BankCodeTable::load();
        } else {
            BankCodeTable::reload();
        }
    });
    std::printf("  table entries: %lld\n", static_cast<long long>(BankCodeTable::size()));

    std::unique_ptr<CLHHBookSearch> dlg;
    measure(
        "search listing every entry", repeats,
        [&] {
            dlg = std::make_unique<CLHHBookSearch>();
            dlg->show();
            QApplication::processEvents();
            // Every name in the list holds 银行.
            dlg->findChild<QLineEdit*>(QStringLiteral("开户行"))->setText(QStringLiteral("银行"));
        },
        [&] {
            dlg->findChild<QPushButton*>(QStringLiteral("查找"))->click();
            dlg->repaint(); // drawn, not only filled
        });
    std::printf("  rows listed: %d\n", dlg->findChild<RowList*>(QStringLiteral("查询结果"))->count());
    dlg.reset();

    return 0;
}
