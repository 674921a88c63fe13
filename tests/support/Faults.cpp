#include "Faults.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>

#include <algorithm>
#include <cstring>

// The faults need Linux: a preloaded library and mount namespaces. Elsewhere every fault case is
// skipped by name with that reason.
#ifdef Q_OS_LINUX
#include <dlfcn.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>
#define DXBK_FAULTS 1
#endif

namespace {

const QString kFiller = QStringLiteral("dxbk-fill");
constexpr qint64 kPage = 4096;
const char kChildVariable[] = "DXBK_FAULT_CHILD";
const QString kNotHere =
    QStringLiteral("faults of the file system are injected on Linux only: this case did not run");

// The preloaded library's controls (see faultshim/FaultShim.c).
enum ShimOp
{
    ShimWrite = 1,
    ShimSync = 2,
    ShimClose = 3,
    ShimRename = 4
};
#ifdef DXBK_FAULTS
using ArmFunction = void (*)(int, const char*, long long, int);
using DisarmFunction = void (*)();
using HitsFunction = int (*)();

template <typename F> F shimFunction(const char* name)
{
    void* symbol = dlsym(RTLD_DEFAULT, name);
    F function = nullptr;
    static_assert(sizeof(function) == sizeof(symbol), "function and object pointers differ");
    memcpy(&function, &symbol, sizeof(function));
    return function;
}
#endif

QByteArray childName(Faults::Kind kind)
{
    return kind == Faults::Kind::Preload ? QByteArray("preload") : QByteArray("mount");
}

struct RowResult
{
    QString status; // PASS, FAIL!, SKIP, ...
    QString message;
};

struct ChildRun
{
    QString skipReason;
    QString failure; // the child could not be run, or ended badly
    QHash<QString, RowResult> rows;
    QString output;
};

#ifdef DXBK_FAULTS
QString tail(const QString& text, int lines = 40)
{
    QStringList all = text.split(QLatin1Char('\n'));
    if (all.size() > lines) {
        all = all.mid(all.size() - lines);
    }
    return all.join(QLatin1Char('\n'));
}

void parse(ChildRun& run, const QString& function, const QString& output)
{
    static const QStringList kStatuses{QStringLiteral("PASS   : "), QStringLiteral("FAIL!  : "),
                                       QStringLiteral("SKIP   : "), QStringLiteral("XFAIL  : "),
                                       QStringLiteral("XPASS  : "), QStringLiteral("BFAIL  : ")};
    const QString marker = QStringLiteral("::") + function + QLatin1Char('(');
    RowResult* current = nullptr;
    for (const QString& line : output.split(QLatin1Char('\n'))) {
        const auto status = std::find_if(kStatuses.cbegin(), kStatuses.cend(),
                                         [&line](const QString& s) { return line.startsWith(s); });
        if (status == kStatuses.cend()) {
            if (current && line.startsWith(QLatin1String("   "))) {
                current->message += QLatin1Char('\n') + line;
            } else {
                current = nullptr;
            }
            continue;
        }
        current = nullptr;
        const qsizetype start = line.indexOf(marker);
        if (start < 0) {
            continue;
        }
        const qsizetype open = start + marker.size();
        const qsizetype close = line.indexOf(QLatin1Char(')'), open);
        if (close < 0) {
            continue;
        }
        const QString tag = line.mid(open, close - open);
        RowResult& row = run.rows[tag];
        row.status = status->trimmed().chopped(1).trimmed();
        row.message = line.mid(close + 1).trimmed();
        current = &row;
    }
}

ChildRun launch(Faults::Kind kind, const QString& function)
{
    ChildRun run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(kChildVariable), QString::fromLatin1(childName(kind)));
    const QString self = QCoreApplication::applicationFilePath();
    QString program;
    QStringList arguments;
    if (kind == Faults::Kind::Preload) {
        const QString shim = QStringLiteral(DXBK_FAULT_SHIM);
        if (!QFile::exists(shim)) {
            run.failure = QStringLiteral("the fault library %1 was not built").arg(shim);
            return run;
        }
        environment.insert(QStringLiteral("LD_PRELOAD"), shim);
        // The sanitizer runtime wants to come first; the fault library must come before it.
        QString asan = environment.value(QStringLiteral("ASAN_OPTIONS"));
        asan += QStringLiteral("%1verify_asan_link_order=0").arg(asan.isEmpty() ? "" : ":");
        environment.insert(QStringLiteral("ASAN_OPTIONS"), asan);
        program = self;
        arguments = QStringList{function};
    } else {
        if (::geteuid() != 0) {
            run.skipReason = QStringLiteral("mounting a test file system needs root (CI runs as root): "
                                            "the full-disk and read-only cases did not run");
            return run;
        }
        // A namespace may be allowed where a mount is not: try both, as the child will.
        QProcess probe;
        probe.start(QStringLiteral("unshare"),
                    {QStringLiteral("-m"), QStringLiteral("--propagation"), QStringLiteral("private"),
                     QStringLiteral("mount"), QStringLiteral("-t"), QStringLiteral("tmpfs"),
                     QStringLiteral("-o"), QStringLiteral("size=4096"), QStringLiteral("dxbk-probe"),
                     QDir::tempPath()});
        if (!probe.waitForFinished(30000) || probe.exitStatus() != QProcess::NormalExit ||
            probe.exitCode() != 0) {
            run.skipReason =
                QStringLiteral("cannot mount a tmpfs in a private mount namespace here "
                               "(unshare -m: %1%2): the full-disk and read-only cases did not run")
                    .arg(QString::fromLocal8Bit(probe.readAllStandardError()).trimmed(),
                         probe.error() == QProcess::FailedToStart ? probe.errorString() : QString());
            return run;
        }
        program = QStringLiteral("unshare");
        arguments = QStringList{QStringLiteral("-m"), QStringLiteral("--propagation"),
                                QStringLiteral("private"), self, function};
    }
    QProcess child;
    child.setProcessEnvironment(environment);
    child.start(program, arguments);
    if (!child.waitForStarted(30000)) {
        run.failure = QStringLiteral("cannot start %1: %2").arg(program, child.errorString());
        return run;
    }
    if (!child.waitForFinished(240000)) {
        child.kill();
        child.waitForFinished(5000);
        run.failure = QStringLiteral("the child test process did not end within 4 minutes");
    }
    run.output = QString::fromLocal8Bit(child.readAllStandardOutput());
    const QString errors = QString::fromLocal8Bit(child.readAllStandardError());
    parse(run, function, run.output);
    if (run.failure.isEmpty() && (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)) {
        // Failed rows explain a non-zero code by themselves; anything else (a crash, a leak
        // report) is a failure of every row.
        const bool explained = std::any_of(run.rows.cbegin(), run.rows.cend(), [](const RowResult& r) {
            return r.status == QLatin1String("FAIL!");
        });
        if (!explained) {
            run.failure = QStringLiteral("the child test process ended with code %1:\n%2\n%3")
                              .arg(child.exitCode())
                              .arg(tail(run.output), tail(errors));
        }
    }
    return run;
}

bool freeBytes(const QString& dir, qint64* bytes)
{
    struct statvfs info;
    if (statvfs(QFile::encodeName(dir).constData(), &info) != 0) {
        return false;
    }
    *bytes = qint64(info.f_bavail) * qint64(info.f_frsize);
    return true;
}

#endif

} // namespace

namespace Faults {

Kind Fault::kind() const
{
    switch (type) {
    case DiskFull:
    case DiskFullAfterPage:
    case ReadOnly:
        return Kind::MountNamespace;
    default:
        return Kind::Preload;
    }
}

qint64 Fault::limitFor(qint64 payload) const
{
    switch (at) {
    case FirstByte:
        return 0;
    case MiddleByte:
        return payload / 2;
    case LastByte:
        break;
    }
    return payload - 1;
}

void addColumn()
{
    QTest::addColumn<Fault>("fault");
}

void addWriteRows()
{
    QTest::newRow("write-fails-at-first-byte") << Fault{Fault::WriteFails, Fault::FirstByte, 1};
    QTest::newRow("write-fails-at-middle-byte") << Fault{Fault::WriteFails, Fault::MiddleByte, 1};
    QTest::newRow("write-fails-at-last-byte") << Fault{Fault::WriteFails, Fault::LastByte, 1};
}

void addSyncCloseRenameRows()
{
    QTest::newRow("fsync-fails") << Fault{Fault::SyncFails, Fault::FirstByte, 1};
    QTest::newRow("close-fails") << Fault{Fault::CloseFails, Fault::FirstByte, 1};
    QTest::newRow("rename-fails") << Fault{Fault::RenameFails, Fault::FirstByte, 1};
}

void addMountRows(bool pageRow)
{
    QTest::newRow("disk-full") << Fault{Fault::DiskFull, Fault::FirstByte, 1};
    if (pageRow) {
        QTest::newRow("disk-full-after-a-page") << Fault{Fault::DiskFullAfterPage, Fault::MiddleByte, 1};
    }
    QTest::newRow("read-only") << Fault{Fault::ReadOnly, Fault::FirstByte, 1};
}

void addAllRows(bool pageRow)
{
    addColumn();
    addWriteRows();
    addSyncCloseRenameRows();
    addMountRows(pageRow);
}

Injector::Injector(const Fault& fault, const QString& dir, qint64 tmpfsBytes)
    : m_fault(fault), m_dir(QDir::cleanPath(dir)), m_filter(m_dir)
{
#ifndef DXBK_FAULTS
    Q_UNUSED(tmpfsBytes);
    fail(kNotHere);
#else
    if (fault.kind() == Kind::Preload) {
        m_ready = shimFunction<ArmFunction>("dxbk_fault_arm") != nullptr;
        if (!m_ready) {
            fail(QStringLiteral("the fault library is not loaded into this process"));
        }
        return;
    }
    const QByteArray options = "size=" + QByteArray::number(tmpfsBytes) + ",mode=0700";
    if (::mount("dxbk-test", QFile::encodeName(m_dir).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                options.constData()) != 0) {
        fail(QStringLiteral("cannot mount a tmpfs on %1: %2").arg(m_dir, qt_error_string(errno)));
        return;
    }
    m_mounted = true;
    m_ready = true;
#endif
}

Injector::~Injector()
{
#ifdef DXBK_FAULTS
    if (m_injected && m_fault.kind() == Kind::Preload) {
        shimFunction<DisarmFunction>("dxbk_fault_disarm")();
    }
    if (m_mounted) {
        ::umount2(QFile::encodeName(m_dir).constData(), MNT_DETACH);
    }
#endif
}

bool Injector::fail(const QString& why)
{
    m_error = why;
    return false;
}

#ifdef DXBK_FAULTS
bool Injector::fill(qint64 leaveFree)
{
    QFile filler(m_dir + QLatin1Char('/') + kFiller);
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return fail(QStringLiteral("cannot create the filler: %1").arg(filler.errorString()));
    }
    const QByteArray block(int(kPage), 'x');
    while (filler.write(block) == block.size()) {
    }
    while (filler.write("x", 1) == 1) {
    }
    const qint64 size = filler.size();
    filler.close();
    qint64 free = -1;
    if (!freeBytes(m_dir, &free) || free != 0) {
        return fail(QStringLiteral("the tmpfs is not full: %1 bytes free").arg(free));
    }
    if (leaveFree > 0) {
        const qint64 pages = (size + kPage - 1) / kPage;
        if (!QFile::resize(filler.fileName(), (pages - leaveFree / kPage) * kPage) ||
            !freeBytes(m_dir, &free) || free != leaveFree) {
            return fail(QStringLiteral("cannot leave %1 bytes free: %2 free").arg(leaveFree).arg(free));
        }
    }
    return true;
}

bool Injector::inject(qint64 payload)
{
    if (!m_ready) {
        return false;
    }
    m_injected = true;
    switch (m_fault.type) {
    case Fault::WriteFails:
        if (payload <= 0) {
            return fail(QStringLiteral("nothing to write: a write cannot fail"));
        }
        shimFunction<ArmFunction>("dxbk_fault_arm")(ShimWrite, QFile::encodeName(m_filter).constData(),
                                                    m_fault.limitFor(payload), EIO);
        return true;
    case Fault::SyncFails:
    case Fault::CloseFails:
    case Fault::RenameFails: {
        const int op = m_fault.type == Fault::SyncFails    ? ShimSync
                       : m_fault.type == Fault::CloseFails ? ShimClose
                                                           : ShimRename;
        shimFunction<ArmFunction>("dxbk_fault_arm")(op, QFile::encodeName(m_filter).constData(), m_fault.nth,
                                                    EIO);
        return true;
    }
    case Fault::DiskFull:
        return fill(0);
    case Fault::DiskFullAfterPage:
        if (payload <= kPage) {
            return fail(QStringLiteral("a payload of %1 bytes fits in the page left").arg(payload));
        }
        return fill(kPage);
    case Fault::ReadOnly:
        if (::mount(nullptr, QFile::encodeName(m_dir).constData(), nullptr,
                    MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr) != 0) {
            return fail(QStringLiteral("cannot remount read-only: %1").arg(qt_error_string(errno)));
        }
        return true;
    }
    return false;
}

bool Injector::release()
{
    if (!m_injected) {
        return fail(QStringLiteral("the fault was never injected"));
    }
    m_injected = false;
    switch (m_fault.kind()) {
    case Kind::Preload: {
        const int hits = shimFunction<HitsFunction>("dxbk_fault_hits")();
        shimFunction<DisarmFunction>("dxbk_fault_disarm")();
        if (hits == 0) {
            return fail(QStringLiteral("no call was made to fail: the action never reached the fault"));
        }
        return true;
    }
    case Kind::MountNamespace:
        break;
    }
    if (m_fault.type == Fault::ReadOnly) {
        if (::mount(nullptr, QFile::encodeName(m_dir).constData(), nullptr, MS_REMOUNT | MS_NOSUID | MS_NODEV,
                    nullptr) != 0) {
            return fail(QStringLiteral("cannot remount read-write: %1").arg(qt_error_string(errno)));
        }
        return true;
    }
    QFile::remove(m_dir + QLatin1Char('/') + kFiller);
    return true;
}

#else
bool Injector::fill(qint64)
{
    return fail(kNotHere);
}

bool Injector::inject(qint64)
{
    return fail(kNotHere);
}

bool Injector::release()
{
    return fail(kNotHere);
}
#endif

QStringList entries(const QString& dir)
{
    QStringList names = QDir(dir).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    names.removeAll(kFiller);
    return names;
}

ChildResult runInChild(Kind kind)
{
    ChildResult result;
    const QByteArray mode = qgetenv(kChildVariable);
    if (!mode.isEmpty()) {
        result.here = mode == childName(kind);
        result.skipped = !result.here;
        result.message = QStringLiteral("runs in the other child process");
        return result;
    }
#ifndef DXBK_FAULTS
    result.skipped = true;
    result.message = kNotHere;
    return result;
#else
    static QHash<QString, ChildRun> runs;
    const QString function = QString::fromLatin1(QTest::currentTestFunction());
    const QString key = function + QLatin1Char('/') + QString::fromLatin1(childName(kind));
    auto run = runs.find(key);
    if (run == runs.end()) {
        run = runs.insert(key, launch(kind, function));
    }
    if (!run->skipReason.isEmpty()) {
        result.skipped = true;
        result.message = run->skipReason;
        return result;
    }
    if (!run->failure.isEmpty()) {
        result.message = run->failure;
        return result;
    }
    const QString tag = QString::fromLatin1(QTest::currentDataTag());
    const auto row = run->rows.constFind(tag);
    if (row == run->rows.cend()) {
        result.message = QStringLiteral("the child test process reported nothing for this row:\n%1")
                             .arg(tail(run->output));
        return result;
    }
    if (row->status == QLatin1String("PASS")) {
        result.passed = true;
    } else if (row->status == QLatin1String("SKIP")) {
        result.skipped = true;
        result.message = QStringLiteral("skipped in the child: ") + row->message;
    } else {
        result.message = QStringLiteral("in the child process (%1): %2").arg(row->status, row->message);
    }
    return result;
#endif
}

} // namespace Faults
