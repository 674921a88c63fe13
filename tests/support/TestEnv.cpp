#include "TestEnv.h"

#include "common/core/CMyTool.h"
#include "common/core/Clock.h"
#include "common/core/Gbk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#ifdef Q_OS_LINUX
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {
// Root reads any file through CAP_DAC_OVERRIDE and CAP_DAC_READ_SEARCH; without them in the
// effective set the permission bits hold for root too. They stay permitted, so they come back.
bool setReadOverride(bool on)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0) {
        return false;
    }
    const quint32 bits = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
    data[0].effective = on ? (data[0].effective | (data[0].permitted & bits)) : (data[0].effective & ~bits);
    return syscall(SYS_capset, &header, data) == 0;
}
} // namespace
#endif

namespace {
QString temporaryTemplate()
{
#ifdef Q_OS_WIN
    // The clerks unzip the program wherever they like, often below a Chinese folder name with a
    // space in it: every test on Windows runs in such a program directory.
    return QDir::tempPath() + QStringLiteral("/岱溪 代发-XXXXXX");
#else
    return QString();
#endif
}
} // namespace

TestEnv::TestEnv(const QDate& today) : m_dir(temporaryTemplate())
{
    CMyTool::SetModuleDirForTests(m_dir.path());
    Clock::setTodayForTests(today);
}

TestEnv::~TestEnv()
{
    CMyTool::SetModuleDirForTests(QString());
    Clock::setTodayForTests(QDate());
}

void TestEnv::write(const QString& name, const QByteArray& bytes) const
{
    QFile f(path(name));
    if (f.open(QIODevice::WriteOnly)) {
        f.write(bytes);
    }
}

QByteArray TestEnv::read(const QString& name) const
{
    QFile f(path(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool TestEnv::exists(const QString& name) const
{
    return QFile::exists(path(name));
}

UnreadableFile::UnreadableFile(const QString& path) : m_path(path)
{
#ifdef Q_OS_LINUX
    if (!QFile::setPermissions(path, QFileDevice::Permissions())) {
        return;
    }
    if (geteuid() == 0) {
        m_droppedCaps = setReadOverride(false);
        if (!m_droppedCaps) {
            return;
        }
    }
    QFile probe(path);
    m_ready = !probe.open(QIODevice::ReadOnly);
#elif defined(Q_OS_WIN)
    // Windows has no permission bits to clear; what makes a file unreadable there is another
    // program holding it open without sharing it (a spreadsheet program with the file open).
    const std::wstring name = QDir::toNativeSeparators(path).toStdWString();
    m_handle = CreateFileW(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_handle == INVALID_HANDLE_VALUE) {
        m_handle = nullptr;
        return;
    }
    QFile probe(path);
    m_ready = !probe.open(QIODevice::ReadOnly);
#endif
}

UnreadableFile::~UnreadableFile()
{
#ifdef Q_OS_LINUX
    if (m_droppedCaps) {
        setReadOverride(true);
    }
#endif
#ifdef Q_OS_WIN
    if (m_handle) {
        CloseHandle(m_handle);
    }
#endif
    QFile::setPermissions(m_path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

bool makeSymLink(const QString& target, const QString& link)
{
#ifdef Q_OS_WIN
    const std::wstring from = QDir::toNativeSeparators(link).toStdWString();
    const std::wstring to = QDir::toNativeSeparators(target).toStdWString();
    return CreateSymbolicLinkW(from.c_str(), to.c_str(), SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE)
           && QFileInfo(link).isSymbolicLink();
#else
    return QFile::link(target, link);
#endif
}

WithoutFileOverride::WithoutFileOverride()
{
#ifdef Q_OS_LINUX
    m_dropped = geteuid() == 0 && setReadOverride(false);
#endif
}

WithoutFileOverride::~WithoutFileOverride()
{
#ifdef Q_OS_LINUX
    if (m_dropped) {
        setReadOverride(true);
    }
#endif
}

bool makeHardLink(const QString& target, const QString& link)
{
#ifdef Q_OS_WIN
    const std::wstring name = QDir::toNativeSeparators(link).toStdWString();
    const std::wstring existing = QDir::toNativeSeparators(target).toStdWString();
    return CreateHardLinkW(name.c_str(), existing.c_str(), nullptr);
#else
    return ::link(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) == 0;
#endif
}

bool canMakeSymLinks()
{
#ifdef Q_OS_WIN
    static const bool can = [] {
        QTemporaryDir dir;
        return dir.isValid() && makeSymLink(dir.filePath(QStringLiteral("target")), dir.filePath(QStringLiteral("link")));
    }();
    return can;
#else
    return true;
#endif
}

bool runsUnderWine()
{
#ifdef Q_OS_WIN
    // Wine's ntdll exports its version; Windows' does not.
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
#else
    return false;
#endif
}

const char* noSymLinks()
{
    return runsUnderWine() ? "Wine makes no symbolic links (CreateSymbolicLinkW does nothing there)"
                           : "no symbolic link can be made here (Windows: no Developer Mode or administrator rights)";
}

QByteArray gbk(const QString& text)
{
    return Gbk::encode(text);
}

QString cardNumber(const QString& body)
{
    // Every second digit from the right of the full number doubles, the check digit's left
    // neighbour first.
    int sum = 0;
    for (qsizetype i = 0; i < body.size(); ++i) {
        int d = body.at(body.size() - 1 - i).digitValue();
        if (i % 2 == 0) {
            d = d * 2 % 10 + d * 2 / 10;
        }
        sum += d;
    }
    return body + QString::number((10 - sum % 10) % 10);
}

QString testData(const QString& name)
{
#ifdef DXBK_TEST_DATA
    return QStringLiteral(DXBK_TEST_DATA "/") + name;
#else
    return name;
#endif
}
