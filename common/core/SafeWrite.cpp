#include "common/core/SafeWrite.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>

#include <optional>
#include <tuple>

#ifdef Q_OS_WIN
#include <QThread>
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// A short name beside the target that nothing else uses. Never the target's name plus more: a
// name the folder takes must stay savable, however long it is.
QString temporaryNameFor(const QString& target)
{
    static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString name = QStringLiteral(".dxbk");
    for (int i = 0; i < 8; ++i) {
        name += QLatin1Char(kChars[QRandomGenerator::global()->bounded(int(sizeof(kChars) - 1))]);
    }
    return QFileInfo(target).path() + QLatin1Char('/') + name + QStringLiteral(".tmp");
}

bool exists(const QString& path)
{
    // A dangling link counts too: it is a name that is taken.
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// The file a save replaces. A link is followed to the file it names, so that it stays a link and
// whatever reads through it sees the new bytes; empty when it leads nowhere.
QString resolved(const QString& target)
{
    const QFileInfo info(target);
    if (!info.isSymbolicLink()) {
        return target;
    }
    // Links that lead round in a loop come back as a link (Qt gives the name itself back when the
    // system finds the loop): they lead nowhere too.
    const QString real = info.canonicalFilePath();
    return real.isEmpty() || QFileInfo(real).isSymbolicLink() ? QString() : real;
}

// The new file takes the old one's permissions, and on POSIX its owner and group where we may
// set them, so that a save changes the bytes and nothing else. Given the open descriptor fd, it
// is set through that, else through the file's name.
bool keepAttributes(const QString& target, const QString& file, int fd, QString* error)
{
#ifdef Q_OS_WIN
    // The read-only attribute is all there is, and a read-only file is never replaced.
    Q_UNUSED(target);
    Q_UNUSED(file);
    Q_UNUSED(fd);
    Q_UNUSED(error);
#else
    struct stat old;
    if (::stat(QFile::encodeName(target).constData(), &old) != 0) {
        return true; // nothing there to take after
    }
    const QByteArray name = QFile::encodeName(file);
    const auto owner = [&](uid_t uid, gid_t gid) {
        return fd >= 0 ? ::fchown(fd, uid, gid) : ::chown(name.constData(), uid, gid);
    };
    if (owner(old.st_uid, old.st_gid) != 0 && owner(uid_t(-1), old.st_gid) != 0) {
        // Only root may give a file away, and the group may be none of ours: it stays ours.
    }
    const mode_t mode = old.st_mode & 07777;
    if ((fd >= 0 ? ::fchmod(fd, mode) : ::chmod(name.constData(), mode)) != 0) {
        *error = qt_error_string(errno);
        return false;
    }
#endif
    return true;
}

bool syncToDisk(QFile& file, QString* error)
{
#ifdef Q_OS_WIN
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()));
    if (handle == INVALID_HANDLE_VALUE || !FlushFileBuffers(handle)) {
        *error = qt_error_string(int(GetLastError()));
        return false;
    }
#else
    if (::fsync(file.handle()) != 0) {
        *error = qt_error_string(errno);
        return false;
    }
#endif
    return true;
}

// The rename itself lives in the folder: sync it so that the new entry survives a power cut.
bool syncFolderOf(const QString& path, QString* error)
{
#ifdef Q_OS_WIN
    // MOVEFILE_WRITE_THROUGH has already done this.
    Q_UNUSED(path);
    Q_UNUSED(error);
    return true;
#else
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        *error = qt_error_string(errno);
        return false;
    }
    const int result = ::fsync(fd);
    const int why = errno;
    // Nothing was written through this descriptor, so closing it cannot lose data.
    ::close(fd);
    // Some file systems cannot sync a folder at all; the rename is then as durable as it gets.
    if (result != 0 && why != EINVAL && why != ENOTSUP) {
        *error = qt_error_string(why);
        return false;
    }
    return true;
#endif
}

#ifdef Q_OS_WIN
// The path as Windows' own file functions want it: absolute, backslashes, and with the \\?\ prefix
// so that a program folder deep enough to pass MAX_PATH (260) is no limit, as it is none for Qt's
// own file functions. The prefix turns off Windows' path tidying, so the path is tidied here.
std::wstring nativePath(const QString& path)
{
    QString native = QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    if (native.startsWith(QLatin1String("\\\\"))) {
        native = QStringLiteral("\\\\?\\UNC\\") + native.mid(2); // \\server\share\...
    } else if (native.size() >= 2 && native.at(1) == QLatin1Char(':')) {
        native.prepend(QStringLiteral("\\\\?\\"));
    }
    return native.toStdWString();
}
#endif

// Gives from the name to in one step, over a file of that name when replace, else never.
// otherVolume (if given) tells a rename that failed because from and to are on different file
// systems, which no rename can cross.
bool renameOver(const QString& from, const QString& to, QString* error, bool* otherVolume = nullptr,
                bool replace = true)
{
#ifdef Q_OS_WIN
    const std::wstring source = nativePath(from);
    const std::wstring target = nativePath(to);
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    // Another program that holds the file open without sharing it for deletion (a spreadsheet
    // program, an editor, a virus scanner looking at the file just written) makes the rename fail
    // while it holds it. A scanner lets go within moments, so try again for about a second; a
    // program the clerk has the file open in does not, and the rename then fails with both files
    // kept.
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(source.c_str(), target.c_str(), flags)) {
            return true;
        }
        const DWORD why = GetLastError();
        if (otherVolume) {
            *otherVolume = why == ERROR_NOT_SAME_DEVICE;
        }
        const bool heldOpen = why == ERROR_SHARING_VIOLATION || why == ERROR_LOCK_VIOLATION
                              || why == ERROR_ACCESS_DENIED;
        if (!heldOpen || attempt >= 10) {
            *error = qt_error_string(int(why));
            return false;
        }
        QThread::msleep(100);
    }
#else
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    int result = 0;
    if (replace) {
        // rename() replaces the target in one step: there is never a moment without it.
        result = ::rename(source.constData(), target.constData());
    } else {
        result = ::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE);
        if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // A file system that cannot refuse to replace in a rename: a second name refuses an
            // existing one, and then the first goes.
            result = ::link(source.constData(), target.constData());
            if (result == 0) {
                ::unlink(source.constData());
            } else if (errno != EEXIST) {
                // Nor any second name (FAT): look first, the best there is.
                result = exists(to) ? (errno = EEXIST, -1) : ::rename(source.constData(), target.constData());
            }
        }
    }
    if (result != 0) {
        if (otherVolume) {
            *otherVolume = errno == EXDEV;
        }
        *error = qt_error_string(errno);
        return false;
    }
    return true;
#endif
}

// A finished file on another file system than target (a data file kept as a link to a shared
// drive) gets there by a copy beside target, which then takes its place as any save does. The
// finished file goes only once target holds its bytes.
bool copyOver(const QString& from, const QString& target, QString* error)
{
    // The copy is made beside target, so its own rename crosses nothing; should it still (a file
    // mounted over a name of its folder), the save fails rather than copying on and on.
    static thread_local bool copying = false;
    if (copying) {
        *error = QStringLiteral("the file lies on another file system than its folder");
        return false;
    }
    copying = true;
    const auto done = qScopeGuard([] { copying = false; });
    QFile source(from);
    SafeWrite::NewFile copy;
    if (!source.open(QIODevice::ReadOnly)) {
        *error = source.errorString();
        return false;
    }
    if (!copy.createFor(target)) {
        *error = copy.errorString();
        return false;
    }
    while (!source.atEnd()) {
        const QByteArray chunk = source.read(1 << 20);
        if (chunk.isEmpty() || !copy.write(chunk)) {
            *error = chunk.isEmpty() ? source.errorString() : copy.errorString();
            return false;
        }
    }
    if (!copy.finish() || !copy.replace(target)) {
        *error = copy.errorString();
        return false;
    }
    source.close();
    // Target holds the bytes: the save has worked. A finished file that will not go is a leftover
    // under its temporary name, which the next save of that name removes first or never meets.
    QFile::remove(from);
    return true;
}

} // namespace

namespace SafeWrite {

NewFile::NewFile(const QString& path) : m_file(path) {}

NewFile::~NewFile()
{
    discard();
}

void NewFile::setPath(const QString& path)
{
    discard();
    m_file.setFileName(path);
}

bool NewFile::fail(const QString& why)
{
    m_error = why;
    return false;
}

bool NewFile::create(bool removeExisting)
{
    return createFile(removeExisting, QString());
}

bool NewFile::createFile(bool removeExisting, const QString& takeAfter)
{
    discard();
    m_error.clear();
    m_finished = false;
    if (removeExisting && exists(path()) && !QFile::remove(path())) {
        return fail(QStringLiteral("cannot remove the old %1").arg(QFileInfo(path()).fileName()));
    }
    // NewOnly is O_EXCL / CREATE_NEW: fails on any existing name, a link included, and never
    // follows one.
    const QIODevice::OpenMode mode = QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered;
#ifdef Q_OS_WIN
    const bool opened = m_file.open(mode);
#else
    // A file that takes another's place is made for its owner alone and given the other's
    // permissions before a byte is written: the salaries of a roster only its owner may read are
    // never readable by others, not even for a moment.
    const bool opened = takeAfter.isEmpty() || !QFileInfo::exists(takeAfter)
                            ? m_file.open(mode)
                            : m_file.open(mode, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
#endif
    if (!opened) {
        return fail(m_file.errorString());
    }
    m_created = true;
    QString why;
    if (!takeAfter.isEmpty() && !keepAttributes(takeAfter, path(), m_file.handle(), &why)) {
        discard();
        return fail(why);
    }
    return true;
}

bool NewFile::createFor(const QString& target)
{
    const QString real = resolved(target);
    if (real.isEmpty()) {
        discard();
        return fail(QStringLiteral("the link leads nowhere"));
    }
    // A random name can only clash with a leftover of an earlier crash; try a few others.
    for (int attempt = 0; attempt < 8; ++attempt) {
        setPath(temporaryNameFor(real));
        if (createFile(false, real) || !exists(path())) {
            break;
        }
    }
    return m_created;
}

bool NewFile::write(const QByteArray& bytes)
{
    if (!m_file.isOpen()) {
        return fail(QStringLiteral("the file is not open"));
    }
    if (bytes.isEmpty()) {
        return true;
    }
    const qint64 written = m_file.write(bytes);
    if (written != bytes.size()) {
        // A short write reports no error of its own: the system simply took fewer bytes.
        return fail(m_file.error() != QFileDevice::NoError
                        ? m_file.errorString()
                        : QStringLiteral("only %1 of %2 bytes were written").arg(written).arg(bytes.size()));
    }
    return true;
}

bool NewFile::finish()
{
    if (!m_file.isOpen()) {
        return fail(QStringLiteral("the file is not open"));
    }
    if (m_file.error() != QFileDevice::NoError) {
        return fail(m_file.errorString());
    }
    QString why;
    if (!syncToDisk(m_file, &why)) {
        m_file.close();
        return fail(why);
    }
    // A file system may report a deferred write error only here.
    m_file.close();
    if (m_file.error() != QFileDevice::NoError) {
        return fail(m_file.errorString());
    }
    m_finished = true;
    return true;
}

bool NewFile::replace(const QString& target)
{
    if (!m_finished) {
        return fail(QStringLiteral("the file is not finished"));
    }
    QString why;
    if (!replaceFile(path(), target, &why)) {
        // replaceFile fails either before the rename (the new file is still here: remove it) or
        // after it (the target already holds these bytes and nothing is left to remove).
        discard();
        return fail(why);
    }
    m_created = false;
    return true;
}

void NewFile::discard()
{
    if (m_file.isOpen()) {
        m_file.close();
    }
    if (m_created) {
        QFile::remove(path());
        m_created = false;
    }
    m_finished = false;
}

bool canReplace(const QString& target)
{
    const QString real = resolved(target);
    if (real.isEmpty()) {
        return false;
    }
    // Windows shows the read-only attribute as the owner's missing write permission; on both
    // systems alike such a file is kept, whoever runs the program.
    // A file the program may not write to is no more replaced than a read-only one, even where
    // the folder would let it take its name.
    const QFileInfo info(real);
    if (!info.exists()) {
        return true;
    }
#ifdef Q_OS_WIN
    // Qt reads only the read-only attribute; the file's own access list may still refuse us.
    // Being refused for sharing (another program has it open) is no refusal of the right.
    const HANDLE h = CreateFileW(nativePath(real).c_str(), GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const bool mayWrite = h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_ACCESS_DENIED;
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
    }
#else
    // As the program acts: with its effective user and groups (and, where the system checks them
    // so, its effective capabilities).
    const bool mayWrite = ::faccessat(AT_FDCWD, QFile::encodeName(real).constData(), W_OK, AT_EACCESS) == 0;
#endif
    return info.isFile() && info.permissions().testFlag(QFileDevice::WriteOwner) && mayWrite;
}

bool replaceFile(const QString& from, const QString& to, QString* error)
{
    QString why;
    const QString target = resolved(to);
    bool ok = false;
    if (target.isEmpty()) {
        why = QStringLiteral("the link leads nowhere");
    } else if (!canReplace(target)) {
        why = QStringLiteral("the file is read-only or not a file");
    } else {
        bool otherVolume = false;
        ok = keepAttributes(target, from, -1, &why) &&
             (renameOver(from, target, &why, &otherVolume) ? syncFolderOf(target, &why)
                                                           : otherVolume && copyOver(from, target, &why));
    }
    if (!ok && error) {
        *error = why;
    }
    return ok;
}

QString moveAside(const QString& path)
{
    // A random name can only clash with a leftover of an earlier crash; try a few others.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const QString aside = temporaryNameFor(path);
        if (moveFile(path, aside)) {
            return aside;
        }
        if (!exists(aside)) {
            break;
        }
    }
    return QString();
}

bool sameFile(const QString& a, const QString& b)
{
    // exists() follows links: a link that leads nowhere, or round in a loop, is no file.
    if (!QFileInfo::exists(a) || !QFileInfo::exists(b)) {
        return false;
    }
    if (QFileInfo(a).canonicalFilePath() == QFileInfo(b).canonicalFilePath()) {
        return true;
    }
#ifdef Q_OS_WIN
    // A hard link has a name of its own: what is the same is the volume and the file's index.
    const auto identity = [](const QString& path) -> std::optional<std::tuple<DWORD, DWORD, DWORD>> {
        const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
        const HANDLE h = CreateFileW(nativePath(path).c_str(), 0, share, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            return std::nullopt;
        }
        BY_HANDLE_FILE_INFORMATION info;
        const bool ok = GetFileInformationByHandle(h, &info);
        CloseHandle(h);
        if (!ok) {
            return std::nullopt;
        }
        return std::make_tuple(info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow);
    };
    const auto first = identity(a);
    return first && first == identity(b);
#else
    struct stat first;
    struct stat second;
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
#endif
}

bool moveFile(const QString& from, const QString& to, QString* error)
{
    QString why;
    if (!renameOver(from, to, &why, nullptr, false)) {
        if (error) {
            *error = why;
        }
        return false;
    }
    // The name has changed whatever the sync says, and the caller must know it has: a folder
    // that cannot be synced leaves the move as durable as the file system makes it.
    syncFolderOf(to, &why);
    return true;
}

bool writeFile(const QString& path, const QByteArray& data, QString* error)
{
    NewFile temp;
    const bool ok = temp.createFor(path) && temp.write(data) && temp.finish() && temp.replace(path);
    if (!ok && error) {
        *error = temp.errorString();
    }
    return ok;
}

bool readFile(const QString& path, QByteArray* data)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    *data = file.readAll();
    return file.error() == QFileDevice::NoError;
}

ReadResult read(const QString& path, QByteArray* data)
{
    data->clear();
    if (readFile(path, data)) {
        return ReadResult::Read;
    }
    data->clear();
    // A link that leads nowhere names no file either.
    return QFileInfo::exists(path) ? ReadResult::Unreadable : ReadResult::Missing;
}

} // namespace SafeWrite
