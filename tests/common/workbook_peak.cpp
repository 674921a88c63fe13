// Opens one workbook with SpreadsheetReader and prints what it cost: the result, the used range,
// the time and the peak resident memory of this process (VmHWM; on Windows the peak working set).
// Run as a child by
// tst_workbookmemory, so that the peak is the reader's alone.
#include "common/core/SpreadsheetReader.h"

#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>
#include <psapi.h>
#endif

namespace {

qint64 peakKb()
{
#ifdef Q_OS_WIN
    PROCESS_MEMORY_COUNTERS counters{};
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) {
        return -1;
    }
    return qint64(counters.PeakWorkingSetSize / 1024);
#else
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return -1;
#endif
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: workbook_peak FILE\n");
        return 2;
    }
    QElapsedTimer timer;
    timer.start();
    SpreadsheetReader reader;
    const bool opened = reader.open(QString::fromLocal8Bit(argv[1]));
    const qint64 ms = timer.elapsed();
    std::printf("opened=%d error=%d rows=%d ms=%lld peak_kb=%lld\n", opened ? 1 : 0, int(reader.error()),
                reader.usedRange().rowCount, ms, peakKb());
    return 0;
}
