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

// GBK bytes of a UTF-8 literal, for building expected file contents.
QByteArray gbk(const QString& text);
// Path of a file under tests/data.
QString testData(const QString& name);
