// Times what the operator waits for outside the lookups: the start-up to the main window with a
// full routing-code list, opening the interbank book on a large roster, and remembering a payee in
// that roster.
//
// usage: bench_app DATADIR [REPEATS]
// DATADIR holds BankNo.txt and kuahangacc.txt (bench/gen_lookup_data.py writes both).

#include "app/CKXPTApp.h"
#include "app/CMainFrame.h"
#include "common/ScreenSwitch.h"
#include "common/core/CMyTool.h"
#include "lookup/core/BankCodeTable.h"
#include "rosters/CPLBook2.h"
#include "rosters/core/RosterFormat.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

void measure(const char* what, int repeats, const std::function<void()>& step)
{
    std::vector<double> ms;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer t;
        t.start();
        step();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::printf("%-58s first %7.1f ms  best %7.1f ms\n", what, ms.front(),
                *std::min_element(ms.begin(), ms.end()));
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_app DATADIR [REPEATS]\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const int repeats = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    CMyTool::SetModuleDirForTests(dir);

    measure("start-up: table loaded, main window shown", repeats, [] {
        BankCodeTable::reload(); // each run reads BankNo.txt again, as a fresh start does
        auto frame = CKXPTApp::createMainFrame();
        frame->show();
        if (!QTest::qWaitForWindowExposed(frame.get())) {
            std::fprintf(stderr, "the main window was not shown\n");
        }
        frame->setBeforeExit([] { return true; });
        frame.reset();
        ScreenSwitch::setTargets(nullptr, nullptr);
    });

    measure("interbank book opened on the roster", repeats, [] {
        CPLBook2 book;
        book.show();
        QCoreApplication::processEvents();
    });

    const QString roster = CMyTool::DataFilePath(QStringLiteral("kuahangacc.txt"));
    QFile original(roster);
    if (!original.open(QIODevice::ReadOnly)) {
        return 1;
    }
    const QByteArray saved = original.readAll();
    original.close();
    measure("payee remembered in the roster (appended)", repeats, [] {
        const InterbankAccount payee{QStringLiteral("6222020200000000100"), QStringLiteral("王珅"),
                                     QStringLiteral("中国银行海安支行"), QStringLiteral("104306114010")};
        RosterFormat::rememberRecord(
            QStringLiteral("kuahangacc.txt"), payee.account, RosterFormat::lineOf(payee),
            [](const QString& line) { return std::optional<QString>(line.section(QLatin1Char('|'), 0, 0)); });
    });
    QFile restore(roster);
    return restore.open(QIODevice::WriteOnly) && restore.write(saved) == saved.size() ? 0 : 1;
}
