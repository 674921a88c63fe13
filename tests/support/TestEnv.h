#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTemporaryDir>

// A temporary program directory and a fixed date for one test case; both are restored on
// destruction.
class TestEnv
{
public:
    explicit TestEnv(const QDate& today = QDate(2020, 12, 31));
    ~TestEnv();

    QString dir() const { return m_dir.path() + QLatin1Char('/'); }
    QString path(const QString& name) const { return dir() + name; }
    void write(const QString& name, const QByteArray& bytes) const;
    QByteArray read(const QString& name) const;
    bool exists(const QString& name) const;

private:
    QTemporaryDir m_dir;
};

// Makes a file of the program directory unreadable while it lives, for real: its permission bits
// are cleared and, when the test runs as root, the thread gives up the capabilities that let root
// read it anyway; on Windows, which has no such bits, it is held open without sharing, as another
// program can hold it. ready() is false where that cannot be done (say why with QSKIP).
class UnreadableFile
{
public:
    explicit UnreadableFile(const QString& path);
    ~UnreadableFile();
    UnreadableFile(const UnreadableFile&) = delete;
    UnreadableFile& operator=(const UnreadableFile&) = delete;
    bool ready() const { return m_ready; }

private:
    QString m_path;
    bool m_ready = false;
    bool m_droppedCaps = false;
    void* m_handle = nullptr; // Windows: the handle that holds the file
};

// While it lives, root's permission checks on files hold as for anyone else: the thread gives up
// the capabilities that let root read and write any file. Elsewhere it does nothing.
class WithoutFileOverride
{
public:
    WithoutFileOverride();
    ~WithoutFileOverride();
    WithoutFileOverride(const WithoutFileOverride&) = delete;
    WithoutFileOverride& operator=(const WithoutFileOverride&) = delete;

private:
    bool m_dropped = false;
};

// A second name for the file target (a hard link); false where none can be made.
bool makeHardLink(const QString& target, const QString& link);

// Symbolic links, which the file system follows. On Windows QFile::link makes a shortcut (.lnk)
// instead, a file of its own, and a symbolic link needs Developer Mode or administrator rights:
// a test skips its link cases, saying noSymLinks(), where canMakeSymLinks() is false.
bool canMakeSymLinks();
bool makeSymLink(const QString& target, const QString& link);
const char* noSymLinks();

// Whether this Windows test program runs under Wine rather than on Windows: Wine keeps file names
// on a Linux file system and lacks some of Windows (say why with QSKIP).
bool runsUnderWine();

// GBK bytes of a UTF-8 literal, for building expected file contents.
QByteArray gbk(const QString& text);
// Path of a file under tests/data.
QString testData(const QString& name);
// A card number as banks issue them: body followed by its Luhn check digit.
QString cardNumber(const QString& body);
