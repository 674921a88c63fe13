// BankNo.txt loading and search on any file: no crash, and every search answers what it says:
// matches in code order, each name holding the criteria, a code search at most one entry.
#include "FuzzCheck.h"
#include "common/core/Gbk.h"
#include "lookup/core/BankCodeTable.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>

namespace {

void checkSearch(const QString& name, const QString& code)
{
    const QVector<BankCodeTable::Entry> found = BankCodeTable::search(name, code);
    FUZZ_CHECK(found.size() <= BankCodeTable::size());
    if (name.isEmpty() && code.isEmpty()) {
        FUZZ_CHECK(found.isEmpty());
    }
    const qsizetype percent = name.indexOf(QLatin1Char('%'));
    const QString n1 = percent > 0 ? name.left(percent) : name;
    const QString n2 = percent > 0 ? name.mid(percent + 1) : QString();
    for (qsizetype i = 0; i < found.size(); ++i) {
        FUZZ_CHECK(found[i].name.contains(n1) && found[i].name.contains(n2));
        FUZZ_CHECK(BankCodeTable::nameOf(found[i].code) == found[i].name);
        if (i > 0) {
            FUZZ_CHECK(found[i - 1].code < found[i].code);
        }
    }
    if (!code.isEmpty()) {
        FUZZ_CHECK(found.size() <= 1);
        FUZZ_CHECK(found.isEmpty() || found[0].code == code);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("BankNo.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size)) {
        std::abort();
    }
    file.close();

    const BankCodeTable::LoadStatus status = BankCodeTable::loadFrom(path);
    FUZZ_CHECK(status != BankCodeTable::LoadStatus::CannotOpen);
    if (status == BankCodeTable::LoadStatus::Loaded) {
        FUZZ_CHECK(BankCodeTable::size() <= qsizetype(size) / 2); // a line is at least "c|"
    }

    // Criteria taken from the file itself, and a few fixed ones.
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<QByteArray> lines = bytes.left(256).split('\n');
    const QList<QByteArray> fields = lines.value(0).split('|');
    const QString code = Gbk::decode(fields.value(0).trimmed()).value_or(QString());
    const QString name = Gbk::decode(fields.value(1).left(6)).value_or(QString());
    checkSearch(QString(), QString());
    checkSearch(name, QString());
    checkSearch(QString(), code);
    checkSearch(name, code);
    checkSearch(QStringLiteral("银行"), QString());
    checkSearch(QStringLiteral("中国%支行"), QString());
    checkSearch(QStringLiteral("%银行"), QString());
    checkSearch(name + QLatin1Char('%') + name, QString());
    return 0;
}
