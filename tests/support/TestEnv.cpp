#include "TestEnv.h"

#include "common/core/CMyTool.h"
#include "common/core/Clock.h"
#include "common/core/Gbk.h"

#include <QFile>

TestEnv::TestEnv(const QDate& today)
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

QByteArray gbk(const QString& text)
{
    return Gbk::encode(text);
}

QString testData(const QString& name)
{
#ifdef DXBK_TEST_DATA
    return QStringLiteral(DXBK_TEST_DATA "/") + name;
#else
    return name;
#endif
}
