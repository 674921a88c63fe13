#include "TestEnv.h"
#include "common/core/CMyTool.h"
#include "update/UpdateNetwork.h"
#include "update/core/BankCodeList.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#ifdef Q_OS_WIN
#include <windows.h>
#include <bcrypt.h>
#endif

using namespace BankCodeUpdate;

// The request, its digest, the error texts, the check of a downloaded list and the once-a-day rule.
class TestUpdateRequest : public QObject
{
    Q_OBJECT

private:
    // MD5 by the system's own tool (on Windows its cryptography API), so that the digest is
    // checked against something independent.
    static QString md5sum(const QByteArray& input)
    {
#ifdef Q_OS_WIN
        BCRYPT_ALG_HANDLE algorithm = nullptr;
        if (BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_MD5_ALGORITHM, nullptr, 0) != 0) {
            return QString();
        }
        unsigned char digest[16];
        const bool ok = BCryptHash(algorithm, nullptr, 0,
                                   reinterpret_cast<PUCHAR>(const_cast<char*>(input.constData())),
                                   ULONG(input.size()), digest, sizeof digest) == 0;
        BCryptCloseAlgorithmProvider(algorithm, 0);
        return ok ? QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(digest), sizeof digest).toHex())
                  : QString();
#else
        QProcess process;
        process.start(QStringLiteral("md5sum"));
        if (!process.waitForStarted(10000)) {
            return QString();
        }
        process.write(input);
        process.closeWriteChannel();
        process.waitForFinished(10000);
        return QString::fromLatin1(process.readAllStandardOutput().left(32));
#endif
    }

private slots:
    void validatePwdMatchesMd5sum_data()
    {
        QTest::addColumn<int>("code");
        QTest::newRow("0") << 0;
        QTest::newRow("7") << 7;
        QTest::newRow("123") << 123;
        QTest::newRow("4096") << 4096;
        QTest::newRow("32767") << 32767;
        QTest::newRow("drawn") << ValidateCode();
    }

    void validatePwdMatchesMd5sum()
    {
        QFETCH(int, code);
        const QString expected = md5sum("tovrimQasbelurNek" + QByteArray::number(code));
        QCOMPARE(expected.size(), 32);
        QCOMPARE(ValidatePwd(code), expected);
    }

    void validatePwdIsAlways32LowerHexDigits()
    {
        const QRegularExpression form(QStringLiteral("^[0-9a-f]{32}$"));
        QSet<QString> seen;
        for (int code = 0; code <= 32767; ++code) {
            const QString pwd = ValidatePwd(code);
            QVERIFY2(form.match(pwd).hasMatch(), qPrintable(pwd));
            seen.insert(pwd);
        }
        QCOMPARE(seen.size(), 32768);
    }

    void validateCodeStaysInRange()
    {
        QSet<int> seen;
        for (int i = 0; i < 2000; ++i) {
            const int code = ValidateCode();
            QVERIFY(code >= 0 && code <= 32767);
            seen.insert(code);
        }
        QVERIFY(seen.size() > 100);
    }

    void requestUrlGoesToTheBankOnPort443()
    {
        const QUrl url = RequestUrl(bankSource().baseUrl, 123);
        QCOMPARE(url.scheme(), QStringLiteral("https"));
        QCOMPARE(url.host(), QString::fromLatin1(kBankHost));
        QCOMPARE(url.port(443), 443);
        QCOMPARE(url.port(), 443);
        QCOMPARE(url.path(), QStringLiteral("/kxpweb/FE990501.do"));
        QCOMPARE(url.query(QUrl::FullyEncoded),
                 QStringLiteral("RequestType=1&ValidateCode=123&ValidatePwd=") +
                     md5sum("tovrimQasbelurNek123"));
        QVERIFY(bankSource().extraCaCertificates.isEmpty());
    }

    void requestUrlKeepsATestServersPort()
    {
        const QUrl url = RequestUrl(QUrl(QStringLiteral("https://127.0.0.1:4711")), 0);
        QCOMPARE(url.toString(QUrl::FullyEncoded),
                 QStringLiteral(
                     "https://127.0.0.1:4711/kxpweb/FE990501.do?RequestType=1&ValidateCode=0&ValidatePwd=") +
                     ValidatePwd(0));
    }

    void defaultSourceIsTheBankUnlessATestSetsOne()
    {
        QCOMPARE(defaultSource().baseUrl, bankSource().baseUrl);
        UpdateSource local;
        local.baseUrl = QUrl(QStringLiteral("https://127.0.0.1:1"));
        setDefaultSourceForTests(local);
        QCOMPARE(defaultSource().baseUrl, local.baseUrl);
        setDefaultSourceForTests(std::nullopt);
        QCOMPARE(defaultSource().baseUrl, bankSource().baseUrl);
    }

    void networkErrorsMapToTheErrorTexts_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("certificateDemanded");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        const QString generic = QStringLiteral("网络错误，断开连接");
        QTest::newRow("timeout") << int(QAbstractSocket::SocketTimeoutError) << false << 12002
                                 << QStringLiteral("网络连接超时");
        QTest::newRow("proxy timeout") << int(QAbstractSocket::ProxyConnectionTimeoutError) << false
                                       << 12002 << QStringLiteral("网络连接超时");
        QTest::newRow("unknown host") << int(QAbstractSocket::HostNotFoundError) << false << 12007
                                      << QStringLiteral("无法解析域名,请检查DNS域名服务器");
        QTest::newRow("unknown proxy") << int(QAbstractSocket::ProxyNotFoundError) << false << 12007
                                       << QStringLiteral("无法解析域名,请检查DNS域名服务器");
        QTest::newRow("proxy login") << int(QAbstractSocket::ProxyAuthenticationRequiredError) << false
                                     << 12015 << QStringLiteral("登陆失败");
        QTest::newRow("refused") << int(QAbstractSocket::ConnectionRefusedError) << false << 12029
                                 << QStringLiteral("网络无法连接");
        QTest::newRow("proxy refused") << int(QAbstractSocket::ProxyConnectionRefusedError) << false
                                       << 12029 << QStringLiteral("网络无法连接");
        QTest::newRow("closed") << int(QAbstractSocket::RemoteHostClosedError) << false << 12030
                                << QStringLiteral("网络连接错误");
        QTest::newRow("network down")
            << int(QAbstractSocket::NetworkError) << false << 12030 << QStringLiteral("网络连接错误");
        QTest::newRow("client certificate asked")
            << int(QAbstractSocket::SslHandshakeFailedError) << true << 12044 << QStringLiteral("需要客户端证书");
        QTest::newRow("client certificate asked, reported as closed")
            << int(QAbstractSocket::RemoteHostClosedError) << true << 12044 << QStringLiteral("需要客户端证书");
        QTest::newRow("tls") << int(QAbstractSocket::SslHandshakeFailedError) << false
                             << 12175 << QStringLiteral("SSL连接失败");
        QTest::newRow("tls internal")
            << int(QAbstractSocket::SslInternalError) << false << 12175 << QStringLiteral("SSL连接失败");
        QTest::newRow("proxy protocol")
            << int(QAbstractSocket::ProxyProtocolError) << false << 12004 << generic;
        QTest::newRow("unknown") << int(QAbstractSocket::UnknownSocketError) << false << 12004 << generic;
    }

    void networkErrorsMapToTheErrorTexts()
    {
        QFETCH(int, error);
        QFETCH(bool, certificateDemanded);
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(WinHttpErrorCode(QAbstractSocket::SocketError(error), certificateDemanded), code);
        QCOMPARE(CMyTool::WinHttpErrorText(code), text);
    }

    void bankCodeListBody_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<qint64>("contentLength");
        QTest::addColumn<bool>("valid");
        const QByteArray list = gbk(QStringLiteral("102100099996|中国工商银行总行清算中心\r\n"
                                                   "103100000026|中国农业银行股份有限公司\r\n"));
        QTest::newRow("code and name") << list << qint64(-1) << true;
        QTest::newRow("code and name, length given") << list << qint64(list.size()) << true;
        QTest::newRow("closing bar and extra field")
            << QByteArray("313|Bank|ignored\n") << qint64(-1) << true;
        QTest::newRow("lone LF line ends") << QByteArray("313|Bank\n314|Bank 2\n") << qint64(-1) << true;
        QTest::newRow("blank lines between")
            << QByteArray("\r\n313|Bank\r\n\r\n314|B\r\n") << qint64(-1) << true;
        QTest::newRow("a code without a name beside an entry")
            << QByteArray("313|\r\n314|Bank\r\n") << qint64(-1) << true;
        QTest::newRow("only a code without a name") << QByteArray("313|\r\n") << qint64(-1) << false;
        QTest::newRow("empty code") << QByteArray("|Bank\r\n") << qint64(-1) << false;
        QTest::newRow("letter in the code") << QByteArray("31A|Bank\r\n") << qint64(-1) << false;
        QTest::newRow("full-width digits") << gbk(QStringLiteral("３１３|Bank\r\n")) << qint64(-1) << false;
        QTest::newRow("space before the bar") << QByteArray("313 |Bank\r\n") << qint64(-1) << false;
        QTest::newRow("empty") << QByteArray() << qint64(-1) << false;
        QTest::newRow("empty, length 0") << QByteArray() << qint64(0) << false;
        QTest::newRow("only blank lines") << QByteArray("\r\n\r\n") << qint64(-1) << false;
        QTest::newRow("html") << QByteArray("<html><body>Not Found</body></html>\r\n") << qint64(-1) << false;
        QTest::newRow("one good line, then html")
            << list + "<html>\r\n<body>Service busy</body>\r\n</html>\r\n"
            << qint64(-1) << false;
        QTest::newRow("maintenance title with a bar")
            << gbk(QStringLiteral("<title>Maintenance | 系统维护</title>\r\n<p>稍后再试</p>\r\n"))
            << qint64(-1) << false;
        QTest::newRow("cut inside a line, no length") << list + "104100000004|中国" << qint64(-1) << false;
        QTest::newRow("last line without end, length given")
            << list + "104100000004|Bank" << qint64(list.size() + 17) << true;
        QTest::newRow("shorter than the length") << list << qint64(list.size() + 10) << false;
        QTest::newRow("longer than the length") << list << qint64(list.size() - 1) << false;
        QTest::newRow("bar after the CR") << QByteArray("313 Bank\r|x\r\n") << qint64(-1) << false;
        QTest::newRow("bar on the next line") << QByteArray("313 Bank\n313|x\n") << qint64(-1) << false;
        // 0x7C as the second byte of a GBK character is no separator.
        QTest::newRow("gbk trail byte") << gbk(QStringLiteral("313亅Bank\r\n")) << qint64(-1) << false;
        QTest::newRow("invalid gbk") << QByteArray("313|\x81\r\n") << qint64(-1) << false;
        QTest::newRow("invalid gbk in a later line")
            << list + QByteArray("313|\xff\xff\r\n") << qint64(-1) << false;
        QTest::newRow("line longer than any list has")
            << list + "313|" + QByteArray(BankCodeListCheck::kLineLimit, 'x') + "\r\n"
            << qint64(-1) << false;
    }

    void bankCodeListBody()
    {
        QFETCH(QByteArray, body);
        QFETCH(qint64, contentLength);
        QFETCH(bool, valid);
        QCOMPARE(IsBankCodeList(body, contentLength), valid);
        // Fed as it arrives from the network, in pieces of any size, the answer is the same.
        for (const qsizetype piece : {qsizetype(1), qsizetype(7), qsizetype(4096)}) {
            BankCodeListCheck check;
            for (qsizetype at = 0; at < body.size(); at += piece) {
                check.add(body.mid(at, piece));
            }
            QCOMPARE(check.size(), qint64(body.size()));
            QCOMPARE(check.isList(contentLength), valid);
        }
    }

    void updatedTodayReadsTheDateFile_data()
    {
        QTest::addColumn<bool>("present");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("today");
        QTest::newRow("no file") << false << QByteArray() << false;
        QTest::newRow("today") << true << QByteArray("20201231") << true;
        QTest::newRow("today with a line end") << true << QByteArray("20201231\r\n") << true;
        QTest::newRow("yesterday") << true << QByteArray("20201230") << false;
        QTest::newRow("a year ago") << true << QByteArray("20191231") << false;
        QTest::newRow("cut short") << true << QByteArray("2020123") << false;
        QTest::newRow("empty") << true << QByteArray() << false;
    }

    void updatedTodayReadsTheDateFile()
    {
        QFETCH(bool, present);
        QFETCH(QByteArray, content);
        QFETCH(bool, today);
        TestEnv env(QDate(2020, 12, 31));
        if (present) {
            env.write(QStringLiteral("dxbk-tool.ini"), content);
        }
        QCOMPARE(UpdatedToday(), today);
    }

    void updatedTodayFollowsTheClock()
    {
        TestEnv env(QDate(2021, 1, 1));
        env.write(QStringLiteral("dxbk-tool.ini"), "20201231");
        QVERIFY(!UpdatedToday());
        env.write(QStringLiteral("dxbk-tool.ini"), "20210101");
        QVERIFY(UpdatedToday());
    }
};

QTEST_GUILESS_MAIN(TestUpdateRequest)
#include "tst_update_request.moc"
