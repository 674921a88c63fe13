#pragma once

#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QTest>

#include <cerrno>

// Faults of the file system underneath the product, for tests that must see a write fail for
// real. Each case runs in a child process of the test executable: either with a small preloaded
// library that makes write(), fsync(), close() or rename() fail, or in a private mount namespace
// where the program directory is a tiny tmpfs that can be filled up or made read-only. The
// product itself knows nothing of this.
//
// A test function takes a Faults::Fault from its data and starts with RUN_IN_FAULT_CHILD(fault):
// in the test process that runs the function in a child (once for all its rows of one kind) and
// reports the child's result for the row; in the child it does nothing and the case goes on.
//
//     TestEnv env;
//     Faults::Injector injector(fault, env.dir()); // before any file is put there
//     env.write(...);                              // the old state
//     QVERIFY2(injector.inject(expected.size()), qPrintable(injector.error()));
//     ...the action...
//     QVERIFY2(injector.release(), qPrintable(injector.error())); // the fault was really hit
//     ...assertions: message, old bytes, Faults::entries(env.dir())...
namespace Faults {

enum class Kind
{
    Preload,       // the preloaded library
    MountNamespace // a tmpfs in a private mount namespace (needs root)
};

struct Fault
{
    enum Type
    {
        WriteFails,        // write() fails (EIO) once `at` of the payload has been written
        SyncFails,         // the nth fsync()/fdatasync() fails (EIO)
        CloseFails,        // the nth close() reports EIO
        RenameFails,       // the nth rename() fails (EIO) and renames nothing
        DiskFull,          // the tmpfs has no free block left
        DiskFullAfterPage, // the tmpfs has one page (4 KiB) left: the write stops in the middle
        ReadOnly           // the tmpfs is remounted read-only
    };
    enum At
    {
        FirstByte,
        MiddleByte,
        LastByte
    };

    Type type = WriteFails;
    At at = FirstByte;
    int nth = 1;

    Kind kind() const;
    // The byte count after which a write fails, for a payload of that size.
    qint64 limitFor(qint64 payload) const;
};

// Rows of a data function: a column "fault" and one row per case. Preload rows: write() failing
// at the first, a middle and the last byte, fsync(), close() and rename(). Mount rows: disk full,
// disk full after a page (only when the payload is larger than a page) and read-only.
void addColumn();
void addWriteRows();
void addSyncCloseRenameRows();
void addMountRows(bool pageRow = true);
void addAllRows(bool pageRow = true);

// In the child: prepares what the fault needs in dir (the program directory) and injects it.
class Injector
{
public:
    // For a mount fault a tmpfs of tmpfsBytes is mounted on dir at once: create it before the
    // old files are written there.
    Injector(const Fault& fault, const QString& dir, qint64 tmpfsBytes = 64 * 1024);
    ~Injector();
    Injector(const Injector&) = delete;
    Injector& operator=(const Injector&) = delete;

    bool ready() const { return m_ready; }
    QString error() const { return m_error; }
    // The preloaded faults touch only files whose path holds this text; the program directory
    // unless set.
    void setFilter(const QString& text) { m_filter = text; }

    // Breaks the file system now, for an action that is to write payload bytes.
    bool inject(qint64 payload);
    // Mends it again; false (with error()) when the fault was never hit.
    bool release();

private:
    bool fail(const QString& why);
    bool fill(qint64 leaveFree);

    Fault m_fault;
    QString m_dir;
    QString m_filter;
    bool m_ready = false;
    bool m_mounted = false;
    bool m_injected = false;
    QString m_error;
};

// The names in dir (hidden ones too), without the filler of a full disk: what a test compares to
// prove that no temporary file was left.
QStringList entries(const QString& dir);

// What the child reported for the current row.
struct ChildResult
{
    bool here = false; // this is the child: run the case
    bool skipped = false;
    bool passed = false;
    QString message;
};
ChildResult runInChild(Kind kind);

} // namespace Faults

Q_DECLARE_METATYPE(Faults::Fault)

#define RUN_IN_FAULT_CHILD(fault)                                                                            \
    do {                                                                                                     \
        const Faults::ChildResult childResult_ = Faults::runInChild((fault).kind());                         \
        if (childResult_.here) {                                                                             \
            break;                                                                                           \
        }                                                                                                    \
        if (childResult_.skipped) {                                                                          \
            QSKIP(qPrintable(childResult_.message));                                                         \
        }                                                                                                    \
        if (!childResult_.passed) {                                                                          \
            QFAIL(qPrintable(childResult_.message));                                                         \
        }                                                                                                    \
        return;                                                                                              \
    } while (false)
