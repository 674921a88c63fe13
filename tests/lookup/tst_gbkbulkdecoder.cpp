#include "TestEnv.h"
#include "common/core/Gbk.h"
#include "lookup/core/GbkBulkDecoder.h"

#include <QRandomGenerator>
#include <QTest>

namespace {
// The bulk decoder's answer in Gbk::decode's form.
std::optional<QString> bulk(const QByteArray& bytes)
{
    std::vector<char16_t> out(size_t(bytes.size()) + 1);
    const qsizetype n =
        GbkBulkDecoder::instance().decode(bytes.constData(), bytes.constData() + bytes.size(), out.data());
    if (n < 0) {
        return std::nullopt;
    }
    return QString(reinterpret_cast<const QChar*>(out.data()), n);
}

QByteArray pair(int lead, int trail)
{
    QByteArray bytes;
    bytes.append(char(lead));
    bytes.append(char(trail));
    return bytes;
}
} // namespace

class TestGbkBulkDecoder : public QObject
{
    Q_OBJECT
private slots:
    void everySingleByteAsGbkDecode();
    void everyBytePairAsGbkDecode();
    void randomBytesAsGbkDecode();
    void charactersWithBarTrailByte();
    void truncatedAndInvalidSequences();
};

void TestGbkBulkDecoder::everySingleByteAsGbkDecode()
{
    for (int b = 0; b < 256; ++b) {
        const QByteArray bytes(1, char(b));
        QCOMPARE(bulk(bytes), Gbk::decode(bytes));
    }
}

void TestGbkBulkDecoder::everyBytePairAsGbkDecode()
{
    int valid = 0;
    for (int lead = 0; lead < 256; ++lead) {
        for (int trail = 0; trail < 256; ++trail) {
            const QByteArray bytes = pair(lead, trail);
            const std::optional<QString> expected = Gbk::decode(bytes);
            const std::optional<QString> got = bulk(bytes);
            if (got != expected) {
                QFAIL(qPrintable(QStringLiteral("bytes %1 %2").arg(lead, 2, 16).arg(trail, 2, 16)));
            }
            valid += expected && expected->size() == 1 ? 1 : 0;
        }
    }
    // 126 lead bytes times 190 trail bytes are GBK characters.
    QVERIFY(valid >= 126 * 190);
}

void TestGbkBulkDecoder::randomBytesAsGbkDecode()
{
    QRandomGenerator rng(20201231);
    const QByteArray samples = gbk(QStringLiteral("中国银行海安支行王珅弢|,\r\n 0123abc€"));
    for (int i = 0; i < 5000; ++i) {
        QByteArray bytes;
        const int length = int(rng.bounded(1, 24));
        for (int j = 0; j < length; ++j) {
            // Mostly real GBK text, sometimes any byte, so both outcomes are common.
            bytes.append(rng.bounded(4) == 0 ? char(rng.bounded(256))
                                             : samples.at(rng.bounded(samples.size())));
        }
        QCOMPARE(bulk(bytes), Gbk::decode(bytes));
    }
}

void TestGbkBulkDecoder::charactersWithBarTrailByte()
{
    QString text;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        if (const std::optional<QString> c = Gbk::decode(pair(lead, '|'))) {
            text += *c;
        }
    }
    QVERIFY(text.size() >= 116);
    QVERIFY(text.contains(QStringLiteral("珅")));
    QVERIFY(text.contains(QStringLiteral("弢")));
    QVERIFY(!text.contains(QLatin1Char('|')));
    QCOMPARE(bulk(Gbk::encode(text)), std::optional<QString>(text));
}

void TestGbkBulkDecoder::truncatedAndInvalidSequences()
{
    const QByteArray name = Gbk::encode(QStringLiteral("王珅"));
    QCOMPARE(bulk(name), std::optional<QString>(QStringLiteral("王珅")));
    QVERIFY(!bulk(name.left(3)));           // lead byte at the end
    QVERIFY(!bulk(QByteArray("a\x81\nb"))); // a line end is never a trail byte
    QVERIFY(!bulk(QByteArray("\xFF")));
    QVERIFY(!bulk(QByteArray("\x81\x7F")));
    QVERIFY(!bulk(QByteArray("\x81\x30\x81\x30"))); // four-byte GB18030 forms are not GBK
    QCOMPARE(bulk(QByteArray()), std::optional<QString>(QString()));
}

QTEST_GUILESS_MAIN(TestGbkBulkDecoder)
#include "tst_gbkbulkdecoder.moc"
