#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Every data file is written through here. The bytes go to a new file beside the target,
// unbuffered, with every write checked; that file is synced to disk and closed (both checked)
// and only then renamed over the target in one step, and the folder is synced as well. Success
// is reported only when all of it worked, so a full disk, an I/O error or a crash never leaves
// half a file and is never taken for a save.
namespace SafeWrite {

// True when path now holds exactly data, durably. On failure the temporary file is gone, error
// (if given) says why, and path keeps its old bytes, or stays absent. One failure comes after
// the replacement: when the folder cannot be synced the file already holds the new bytes, but
// whether they survive a power cut is unknown, so that too is reported as a failure.
// A save changes the bytes and nothing else: the file keeps its permissions (and owner and group
// where the process may set them), a link stays a link and the file it names gets the bytes, and
// a read-only file is not replaced at all.
bool writeFile(const QString& path, const QByteArray& data, QString* error = nullptr);

// Whether a finished file may take target's place: target is absent, or a file that is not
// read-only and that this program may write to. Callers that put several files in place check them all first.
bool canReplace(const QString& target);

// Puts the finished file from in place of to in one step (to is never deleted first, so on
// failure it keeps its bytes), with to's permissions, and syncs the folder; a link to is
// followed. When to lies on another file system (a link to a shared drive), from is copied beside
// it first and the copy takes its place; from goes once it has. from must have been synced already, as
// NewFile::finish() does. On failure from stays where it is.
bool replaceFile(const QString& from, const QString& to, QString* error = nullptr);

// Gives the file from the new name to, in the same folder, in one step: never over a file that
// is there already, and never by copying (a copy would turn a link into a plain file and lose the
// file's permissions and owner). A link is moved itself. On failure from keeps its name; on
// success the folder is synced as far as it can be.
bool moveFile(const QString& from, const QString& to, QString* error = nullptr);

// Moves path out of the way (moveFile) to a short temporary name beside it, where it waits to be
// removed or given its name back; that name, or empty when path could not be moved.
QString moveAside(const QString& path);

// Whether a and b are one file, however spelled: relative or absolute, through a link, or as
// another hard link of it. False when either is not there.
bool sameFile(const QString& a, const QString& b);

// A file made new for writing. It is created exclusively, so an existing file or link of that
// name is never written through, and unbuffered, so every write reaches the system and its
// result is seen at once. Unless replaced into place, it is removed again when it goes away.
class NewFile
{
public:
    explicit NewFile(const QString& path = QString());
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    void setPath(const QString& path);
    QString path() const { return m_file.fileName(); }
    bool isCreated() const { return m_created; }
    // Why the last step failed.
    QString errorString() const { return m_error; }

    // Fails when something of that name exists, unless removeExisting: an old file or link of
    // that name is then deleted first (a link is removed itself, its target never touched).
    bool create(bool removeExisting = false);
    // Creates the file beside target (beside the file it names, when target is a link) under a
    // short name of its own, to take target's place with replace(target) once finished.
    bool createFor(const QString& target);
    // False unless every byte was written.
    bool write(const QByteArray& bytes);
    // Syncs the file to disk and closes it; false when either failed.
    bool finish();
    // Puts the finished file in place of target (replaceFile); on failure it is removed.
    bool replace(const QString& target);
    // Closes and removes the file.
    void discard();

private:
    bool fail(const QString& why);
    // Creates the file; when takeAfter names a file, with that file's permissions from the start.
    bool createFile(bool removeExisting, const QString& takeAfter);

    QFile m_file;
    QString m_error;
    bool m_created = false;
    bool m_finished = false;
};

// Reads the whole file; false when it cannot be opened or read.
bool readFile(const QString& path, QByteArray* data);

// A data file that is not there is empty; one that is there but cannot be read (no permission,
// an I/O error, a folder in its place) must never be taken for an empty one, or its next save
// would wipe it.
enum class ReadResult
{
    Read,
    Missing,
    Unreadable
};
ReadResult read(const QString& path, QByteArray* data);

} // namespace SafeWrite
