#include "Faults.h"
#include "ScriptedDialogs.h"
#include "TestCertificates.h"
#include "TestEnv.h"
#include "TlsTestServer.h"
#include "lookup/core/BankCodeTable.h"
#include "update/CUpdateWorker.h"
#include "update/UpdateControl.h"
#include "update/UpdateNetwork.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStorageInfo>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>

using namespace BankCodeUpdate;

namespace {

const QString kInvalid = QStringLiteral("更新失败，服务器返回的联行号文件无效");
const QString kNoDataLength = QStringLiteral("Get data length failed");
const QString kWriteFailed = QStringLiteral("写入文件失败，请检查磁盘空间");
const QString kOpenFailed = QStringLiteral("打开文件失败，请检查系统权限");
const QString kReplaceFailed = QStringLiteral("更新失败，无法替换BankNo.txt，原联行号文件保持不变");
const QString kClientCertificate = QStringLiteral("需要客户端证书");
const QByteArray kOldList = "102100099996|old bank\r\n";

// One download on its own thread, with everything it reports recorded.
class WorkerRun : public QObject
{
public:
    explicit WorkerRun(const UpdateSource& source)
    {
        auto* worker = new CUpdateWorker(source, &control);
        connect(worker, &CUpdateWorker::progress, this, [this](qint64 total) { progress.append(total); });
        connect(worker, &CUpdateWorker::failed, this, [this](const QString& text) { failures.append(text); });
        connect(worker, &CUpdateWorker::succeeded, this, [this] { ++successes; });
        worker->startOn(&thread);
    }
    ~WorkerRun() override
    {
        control.cancel();
        thread.wait();
    }

    // True when the worker has ended within the time; its last reports are then delivered.
    bool ended(int timeoutMs = 10000)
    {
        const bool done = QTest::qWaitFor([this] { return thread.isFinished(); }, timeoutMs);
        QCoreApplication::sendPostedEvents(this);
        return done;
    }

    UpdateControl control;
    QThread thread;
    QList<qint64> progress;
    QStringList failures;
    int successes = 0;
};

// A list of n lines in the bank's format, in GBK.
QByteArray bankList(int lines)
{
    QByteArray out;
    for (int i = 0; i < lines; ++i) {
        out +=
            gbk(QStringLiteral("10210009%1|中国工商银行第%2支行\r\n").arg(i, 4, 10, QLatin1Char('0')).arg(i));
    }
    return out;
}

bool listening(quint16 port)
{
    QTcpSocket probe;
    probe.connectToHost(QHostAddress::LocalHost, port);
    const bool open = probe.waitForConnected(200);
    probe.abort();
    return open;
}

bool strictlyGrowing(const QList<qint64>& totals)
{
    for (int i = 1; i < totals.size(); ++i) {
        if (totals.at(i) <= totals.at(i - 1)) {
            return false;
        }
    }
    return !totals.isEmpty() && totals.first() > 0;
}

} // namespace

// The download worker against a real TLS server on 127.0.0.1.
class TestUpdateWorker : public QObject
{
    Q_OBJECT

private:
    UpdateSource sourceFor(const TlsTestServer& server, int timeoutMs = 10000) const
    {
        UpdateSource source;
        source.baseUrl = server.baseUrl();
        source.extraCaCertificates = {m_certs.authority};
        source.inactivityTimeoutMs = timeoutMs;
        return source;
    }

    // The download failed before anything was written: no temporary file, no date, old list.
    void verifyUntouched(const TestEnv& env)
    {
        QVERIFY(!env.exists(QStringLiteral("BankNo.txt_")));
        QVERIFY(!env.exists(QStringLiteral("dxbk-tool.ini")));
        QCOMPARE(env.read(QStringLiteral("BankNo.txt")), kOldList);
    }

    // The download failed after the answer began: the day is used, the old list stays.
    void verifyDayUsedListKept(const TestEnv& env)
    {
        QVERIFY(!env.exists(QStringLiteral("BankNo.txt_")));
        QCOMPARE(env.read(QStringLiteral("dxbk-tool.ini")), QByteArray("20201231"));
        QCOMPARE(env.read(QStringLiteral("BankNo.txt")), kOldList);
    }

    TestCertificates m_certs;
    std::unique_ptr<TlsTestServer> m_server;

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(m_certs.generate(&error), qPrintable(error));
        // The tests talk to 127.0.0.1 only, whatever proxy the machine running them has.
        qputenv("no_proxy", "127.0.0.1,localhost");
    }

    void init()
    {
        m_server = std::make_unique<TlsTestServer>(m_certs.server, m_certs.serverKey);
        QVERIFY(m_server->start());
    }

    void cleanup() { m_server.reset(); }

    void successReplacesTheListByteForByte()
    {
        ScriptedDialogs d;
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        const QByteArray list = bankList(3000);
        QVERIFY(list.size() > 3 * CUpdateWorker::kChunkSize);
        m_server->respond(200, list);

        WorkerRun run(sourceFor(*m_server));
        QVERIFY(run.ended());
        QCOMPARE(run.failures, QStringList());
        QCOMPARE(run.successes, 1);
        QVERIFY(run.control.wasReplaced());
        QCOMPARE(env.read(QStringLiteral("BankNo.txt")), list);
        QVERIFY(!env.exists(QStringLiteral("BankNo.txt_")));
        QCOMPARE(env.read(QStringLiteral("dxbk-tool.ini")), QByteArray("20201231"));
        QVERIFY(strictlyGrowing(run.progress));
        QCOMPARE(run.progress.last(), qint64(list.size()));
        // Never more than one chunk read at a time.
        for (int i = 0; i < run.progress.size(); ++i) {
            QVERIFY(run.progress.at(i) - (i ? run.progress.at(i - 1) : 0) <= CUpdateWorker::kChunkSize);
        }
        VERIFY_DIALOGS_DONE(d);
    }

    void requestCarriesTheValidationValues()
    {
        TestEnv env;
        m_server->respond(200, bankList(2));
        WorkerRun run(sourceFor(*m_server));
        QVERIFY(run.ended());
        QCOMPARE(m_server->requests.size(), 1);
        const QByteArray head = m_server->requests.first();
        const QRegularExpression line(
            QStringLiteral("^GET /kxpweb/FE990501\\.do\\?RequestType=1&ValidateCode=(\\d+)"
                           "&ValidatePwd=([0-9a-f]{32}) HTTP/1\\.1\r\n"));
        const QRegularExpressionMatch m = line.match(QString::fromLatin1(head));
        QVERIFY2(m.hasMatch(), head.constData());
        const int code = m.captured(1).toInt();
        QVERIFY(code >= 0 && code <= 32767);
        QCOMPARE(m.captured(1), QString::number(code)); // no sign, no leading zeros
        QCOMPARE(m.captured(2), ValidatePwd(code));
        QVERIFY2(head.contains("\r\nUser-Agent: dxbk-tool\r\n"), head.constData());
        QVERIFY2(head.contains("\r\nHost: 127.0.0.1:"), head.constData());
    }

    void slowDownloadReportsGrowingTotals()
    {
        TestEnv env;
        const QByteArray list = bankList(600);
        m_server->respond(200, list, 1000, 5);
        WorkerRun run(sourceFor(*m_server));
        QVERIFY(run.ended());
        QCOMPARE(run.successes, 1);
        QVERIFY2(run.progress.size() >= 10, qPrintable(QString::number(run.progress.size())));
        QVERIFY(strictlyGrowing(run.progress));
        QCOMPARE(run.progress.last(), qint64(list.size()));
        QCOMPARE(env.read(QStringLiteral("BankNo.txt")), list);
    }

    void cancelInTheMiddleKeepsTheOldList()
    {
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        const QByteArray list = bankList(12000); // about 400 KB at 1 KB per 20 ms: far longer than the test
        m_server->respond(200, list, 1000, 20);
        WorkerRun run(sourceFor(*m_server));
        QTRY_VERIFY_WITH_TIMEOUT(!run.progress.isEmpty() && run.progress.last() >= 5000, 10000);
        QVERIFY(env.exists(QStringLiteral("BankNo.txt_")));
        run.control.cancel();
        QVERIFY(run.ended(5000));
        QVERIFY(run.progress.last() < list.size());
        QCOMPARE(run.successes, 0);
        QCOMPARE(run.failures, QStringList());
        QVERIFY(!run.control.wasReplaced());
        verifyDayUsedListKept(env);
    }

    void cancelBeforeTheAnswerEndsAtOnceAndUsesUpTheDay_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("while connecting") << int(TlsTestServer::Mode::Silent);
        QTest::newRow("while the request waits") << int(TlsTestServer::Mode::NoAnswer);
    }

    void cancelBeforeTheAnswerEndsAtOnceAndUsesUpTheDay()
    {
        QFETCH(int, mode);
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        m_server->setMode(TlsTestServer::Mode(mode));
        WorkerRun run(sourceFor(*m_server));
        QTest::qWait(300);
        QVERIFY(!run.thread.isFinished());
        run.control.cancel();
        QVERIFY(run.ended(5000));
        QCOMPARE(run.failures, QStringList());
        QCOMPARE(run.successes, 0);
        QVERIFY(run.progress.isEmpty());
        // The operator confirmed "取消更新将导致更新失败，您只能明天再更新".
        verifyDayUsedListKept(env);
    }

    void cancelBeforeTheStartDoesNothing()
    {
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        m_server->respond(200, bankList(10));
        UpdateControl control;
        QThread thread;
        auto* worker = new CUpdateWorker(sourceFor(*m_server), &control);
        control.cancel();
        worker->startOn(&thread);
        QVERIFY(thread.wait(5000));
        QVERIFY(m_server->requests.isEmpty());
        verifyUntouched(env);
    }

    void pauseHoldsTheDownloadAtAChunkBoundary()
    {
        TestEnv env;
        // About 100 KB at 1 KB per 10 ms: still coming in when the pause arrives, also on a
        // loaded machine where the reports reach this thread late.
        const QByteArray list = bankList(3000);
        m_server->respond(200, list, 1000, 10);
        // Shorter than the pause: a paused download must not count as idle.
        WorkerRun run(sourceFor(*m_server, 400));
        QTRY_VERIFY_WITH_TIMEOUT(!run.progress.isEmpty() && run.progress.last() >= 3000, 10000);
        run.control.pause();
        QTest::qWait(100); // a chunk already read may still report
        const qsizetype reports = run.progress.size();
        QTest::qWait(800);
        QCOMPARE(run.progress.size(), reports);
        QVERIFY(!run.thread.isFinished());
        run.control.resume();
        QVERIFY(run.ended());
        QCOMPARE(run.failures, QStringList());
        QCOMPARE(run.successes, 1);
        QVERIFY(run.progress.size() > reports);
        QVERIFY(strictlyGrowing(run.progress));
        QCOMPARE(env.read(QStringLiteral("BankNo.txt")), list);
    }

    void cancelWhilePausedEnds()
    {
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        m_server->respond(200, bankList(3000), 1000, 10);
        WorkerRun run(sourceFor(*m_server));
        QTRY_VERIFY_WITH_TIMEOUT(!run.progress.isEmpty(), 10000);
        run.control.pause();
        QTest::qWait(100);
        run.control.cancel();
        QVERIFY(run.ended(5000));
        QCOMPARE(run.failures, QStringList());
        QCOMPARE(run.successes, 0);
        verifyDayUsedListKept(env);
    }

    void errorPageKeepsTheOldList_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("404 with html")
            << 404 << QByteArray("<html><body><h1>404 Not Found</h1></body></html>\r\n");
        QTest::newRow("500 with a list") << 500 << bankList(3);
        QTest::newRow("200 empty") << 200 << QByteArray();
        QTest::newRow("200 with html") << 200 << QByteArray("<html>\r\n<body>busy</body>\r\n</html>\r\n");
        QTest::newRow("200 one good line then html")
            << 200 << bankList(1) + "<html>\r\n<body>Service busy</body>\r\n</html>\r\n";
        QTest::newRow("200 maintenance page with a bar in its first line")
            << 200
            << gbk(QStringLiteral(
                   "<title>Maintenance | 系统维护</title>\r\n<p>系统维护中，请稍后再试</p>\r\n"));
        QTest::newRow("200 with a line of letters for a code")
            << 200 << bankList(3) + "ABC|not a bank\r\n" + bankList(2);
    }

    void errorPageKeepsTheOldList()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        m_server->respond(status, body);
        WorkerRun run(sourceFor(*m_server));
        QVERIFY(run.ended());
        QCOMPARE(run.failures, QStringList{kInvalid});
        QCOMPARE(run.successes, 0);
        verifyDayUsedListKept(env);
    }

    void blankLinesInAListAreNoDamage()
    {
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        const QByteArray list = QByteArray("\r\n") + bankList(3) + "\r\n" + bankList(2);
        m_server->respond(200, list);
        WorkerRun run(sourceFor(*m_server));
        QVERIFY(run.ended());
        QCOMPARE(run.failures, QStringList());
        QCOMPARE(run.successes, 1);
        QCOMPARE(env.read(QStringLiteral("BankNo.txt")), list);
    }

    void incompleteBodyKeepsTheOldList_data()
    {
        QTest::addColumn<qint64>("announced");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("text");
        const QByteArray cut = bankList(200) + gbk(QStringLiteral("102100099999|中国工商"));
        // The end of the connection looks like the end of the body: only the cut line shows it.
        QTest::newRow("no length, cut inside a line") << TlsTestServer::kNoLength << cut << kInvalid;
        QTest::newRow("no length, empty") << TlsTestServer::kNoLength << QByteArray() << kInvalid;
        QTest::newRow("length 0") << TlsTestServer::kBodyLength << QByteArray() << kInvalid;
        // Qt sees the connection end before the announced length: a failed read.
        QTest::newRow("longer length than sent")
            << qint64(bankList(200).size() + 500) << bankList(200) << QStringLiteral("Read data failed");
    }

    void incompleteBodyKeepsTheOldList()
    {
        QFETCH(qint64, announced);
        QFETCH(QByteArray, body);
        QFETCH(QString, text);
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        m_server->respond(200, body);
        m_server->announceLength(announced);
        WorkerRun run(sourceFor(*m_server));
        QVERIFY(run.ended());
        QCOMPARE(run.failures, QStringList{text});
        QCOMPARE(run.successes, 0);
        verifyDayUsedListKept(env);
    }

    void bodyEndedByTheConnectionIsWholeOnlyAfterCloseNotify_data()
    {
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("text");
        QTest::newRow("close_notify") << int(TlsTestServer::End::CloseNotify) << QString();
        QTest::newRow("bare FIN") << int(TlsTestServer::End::Fin) << kNoDataLength;
        QTest::newRow("reset") << int(TlsTestServer::End::Reset) << kNoDataLength;
    }

    void bodyEndedByTheConnectionIsWholeOnlyAfterCloseNotify()
    {
        QFETCH(int, end);
        QFETCH(QString, text);
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        // Cut at a line end: the lines alone cannot tell it from the whole list.
        const QByteArray list = bankList(400);
        const QByteArray half = bankList(200);
        m_server->respond(200, list, 1000, 5);
        m_server->announceLength(TlsTestServer::kNoLength);
        m_server->dropAfter(half.size(), TlsTestServer::End(end));
        WorkerRun run(sourceFor(*m_server));
        QVERIFY(run.ended());
        if (text.isEmpty()) {
            QCOMPARE(run.failures, QStringList());
            QCOMPARE(run.successes, 1);
            QCOMPARE(env.read(QStringLiteral("BankNo.txt")), half);
            QVERIFY(!env.exists(QStringLiteral("BankNo.txt_")));
        } else {
            QCOMPARE(run.failures, QStringList{text});
            QCOMPARE(run.successes, 0);
            verifyDayUsedListKept(env);
        }
    }

    void bodyThatCannotBeAListIsNotReadToItsEnd_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<qint64>("announced");
        QTest::addColumn<int>("status");
        const QByteArray page = "<html><body>" + QByteArray(16 * 1024 * 1024, 'x') + "</body></html>\r\n";
        QTest::newRow("not a list from its first line") << page << TlsTestServer::kNoLength << 200;
        QTest::newRow("a line too long for a list")
            << bankList(2) + QByteArray(16 * 1024 * 1024, '1') << TlsTestServer::kChunked << 200;
        QTest::newRow("announced beyond the size of any list")
            << bankList(120000) << qint64(BankCodeListCheck::kSizeLimit + 1) << 200;
        // Whatever its body holds, an answer other than 200 never replaces the list.
        QTest::newRow("a list under an error status")
            << bankList(120000) << TlsTestServer::kBodyLength << 500;
    }

    void bodyThatCannotBeAListIsNotReadToItsEnd()
    {
        QFETCH(QByteArray, body);
        QFETCH(qint64, announced);
        QFETCH(int, status);
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        m_server->respond(status, body, 64 * 1024, 2);
        m_server->announceLength(announced);
        WorkerRun run(sourceFor(*m_server));
        QVERIFY(run.ended());
        QCOMPARE(run.failures, QStringList{kInvalid});
        QVERIFY2(m_server->bodyBytesSent < body.size(), qPrintable(QString::number(m_server->bodyBytesSent)));
        // Nothing written past the chunk that showed it.
        QVERIFY(run.progress.isEmpty() ||
                run.progress.last() <= BankCodeListCheck::kLineLimit + CUpdateWorker::kChunkSize);
        verifyDayUsedListKept(env);
    }

    void foldedHeaderLineContinuesItsField_data()
    {
        QTest::addColumn<QByteArray>("headers");
        QTest::addColumn<qint64>("announced");
        const QByteArray length = QByteArray::number(bankList(20).size());
        QTest::newRow("a field that does not matter") << QByteArray("Server: test\r\n server\r\n")
                                                      << TlsTestServer::kBodyLength;
        QTest::newRow("the length, after a tab")
            << QByteArray("Content-Length:\r\n\t" + length + "\r\n") << TlsTestServer::kNoLength;
    }

    void foldedHeaderLineContinuesItsField()
    {
        QFETCH(QByteArray, headers);
        QFETCH(qint64, announced);
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        const QByteArray list = bankList(20);
        m_server->respond(200, list);
        m_server->announceLength(announced);
        m_server->addHeaders(headers);
        WorkerRun run(sourceFor(*m_server));
        QVERIFY(run.ended());
        QCOMPARE(run.failures, QStringList());
        QCOMPARE(run.successes, 1);
        QCOMPARE(env.read(QStringLiteral("BankNo.txt")), list);
    }

    void headPastItsBoundIsNotHttp_data()
    {
        QTest::addColumn<QByteArray>("headers");
        // About 1 MB each, four times the most a head may take.
        QTest::newRow("one field folded on and on")
            << "X-Pad: a\r\n" + QByteArray(' ' + QByteArray(1000, 'a') + "\r\n").repeated(1000);
        QTest::newRow("many fields") << QByteArray("X-Pad: " + QByteArray(1000, 'a') + "\r\n").repeated(1000);
    }

    void headPastItsBoundIsNotHttp()
    {
        QFETCH(QByteArray, headers);
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        m_server->respond(200, bankList(20));
        m_server->addHeaders(headers);
        WorkerRun run(sourceFor(*m_server));
        QVERIFY(run.ended());
        QCOMPARE(run.failures, QStringList{kNoDataLength});
        QCOMPARE(run.successes, 0);
        verifyDayUsedListKept(env);
    }

    void listInChunksIsTakenWhole()
    {
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        const QByteArray list = bankList(3000);
        m_server->respond(200, list, 3000, 2);
        m_server->announceLength(TlsTestServer::kChunked);
        WorkerRun run(sourceFor(*m_server));
        QVERIFY(run.ended());
        QCOMPARE(run.failures, QStringList());
        QCOMPARE(run.successes, 1);
        QCOMPARE(env.read(QStringLiteral("BankNo.txt")), list);
        QCOMPARE(run.progress.last(), qint64(list.size()));
    }

    void listInChunksCutShortKeepsTheOldList()
    {
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        // Whole lines up to the cut: only the missing last chunk tells the body is not complete.
        m_server->respond(200, bankList(300));
        m_server->announceLength(TlsTestServer::kChunked);
        m_server->dropAfter(5 * (1000 + 20));
        WorkerRun run(sourceFor(*m_server));
        QVERIFY(run.ended());
        QCOMPARE(run.failures, QStringList{QStringLiteral("Read data failed")});
        verifyDayUsedListKept(env);
    }

    void temporaryNameThatIsALinkIsNeverWrittenThrough_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("installed");
        QTest::newRow("a page that is no list")
            << QByteArray("<html><body><h1>系统维护中</h1></body></html>\r\n") << false;
        QTest::newRow("a good list") << bankList(20) << true;
    }

    void temporaryNameThatIsALinkIsNeverWrittenThrough()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, installed);
        if (!canMakeSymLinks()) {
            QSKIP(noSymLinks());
        }
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        const QByteArray roster = gbk(QStringLiteral("6222020200000001|王珅||中国银行|||104306114010|\r\n"));
        env.write(QStringLiteral("kuahangacc.txt"), roster);
        QVERIFY(makeSymLink(env.path(QStringLiteral("kuahangacc.txt")), env.path(QStringLiteral("BankNo.txt_"))));
        m_server->respond(200, body);
        WorkerRun run(sourceFor(*m_server));
        QVERIFY(run.ended());
        QCOMPARE(env.read(QStringLiteral("kuahangacc.txt")), roster);
        QVERIFY(!QFileInfo(env.path(QStringLiteral("kuahangacc.txt"))).isSymLink());
        QVERIFY(!QFileInfo(env.path(QStringLiteral("BankNo.txt_"))).isSymLink());
        QVERIFY(!env.exists(QStringLiteral("BankNo.txt_")));
        QCOMPARE(env.read(QStringLiteral("dxbk-tool.ini")), QByteArray("20201231"));
        if (installed) {
            QCOMPARE(run.successes, 1);
            QCOMPARE(env.read(QStringLiteral("BankNo.txt")), body);
        } else {
            QCOMPARE(run.failures, QStringList{kInvalid});
            QCOMPARE(env.read(QStringLiteral("BankNo.txt")), kOldList);
        }
    }

    void listThatIsALinkGetsTheNewBytes_data()
    {
        QTest::addColumn<bool>("otherFileSystem");
        QTest::newRow("to a file in another folder") << false;
        QTest::newRow("to a file on another file system") << true;
    }

    void listThatIsALinkGetsTheNewBytes()
    {
        QFETCH(bool, otherFileSystem);
        if (!canMakeSymLinks()) {
            QSKIP(noSymLinks());
        }
        TestEnv env;
        std::unique_ptr<QTemporaryDir> elsewhere;
        if (otherFileSystem) {
            // Memory-backed on Linux: surely not where the program folder is.
            const QString shm = QStringLiteral("/dev/shm");
            if (!QFileInfo(shm).isDir() || QStorageInfo(shm).rootPath() == QStorageInfo(env.dir()).rootPath()) {
                QSKIP("no second file system here");
            }
            elsewhere = std::make_unique<QTemporaryDir>(shm + QStringLiteral("/dxbk-XXXXXX"));
        } else {
            elsewhere = std::make_unique<QTemporaryDir>();
        }
        QVERIFY(elsewhere->isValid());
        const QString real = elsewhere->filePath(QStringLiteral("BankNo.txt"));
        {
            QFile file(real);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(kOldList) == kOldList.size());
        }
        const QFileDevice::Permissions mode =
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
        QVERIFY(QFile::setPermissions(real, mode));
        QVERIFY(makeSymLink(real, env.path(QStringLiteral("BankNo.txt"))));
        const QByteArray list = bankList(20);
        m_server->respond(200, list);
        WorkerRun run(sourceFor(*m_server));
        QVERIFY(run.ended());
        QCOMPARE(run.failures, QStringList());
        QCOMPARE(run.successes, 1);
        QVERIFY(QFileInfo(env.path(QStringLiteral("BankNo.txt"))).isSymLink());
        QCOMPARE(env.read(QStringLiteral("BankNo.txt")), list);
        QCOMPARE(QFileInfo(real).permissions() & ~QFileDevice::Permissions(0x0f00), mode);
        QVERIFY(!env.exists(QStringLiteral("BankNo.txt_")));
    }

    void requestSentButNeverAnsweredIsSentOnce_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("server closes") << int(TlsTestServer::Mode::CloseAfterRequest);
        QTest::newRow("server stays silent") << int(TlsTestServer::Mode::NoAnswer);
        QTest::newRow("answer that is not http") << int(TlsTestServer::Mode::NotHttp);
    }

    void requestSentButNeverAnsweredIsSentOnce()
    {
        QFETCH(int, mode);
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        m_server->setMode(TlsTestServer::Mode(mode));
        WorkerRun run(sourceFor(*m_server, 800));
        QVERIFY(run.ended(10000));
        QCOMPARE(run.failures, QStringList{kNoDataLength});
        QCOMPARE(run.successes, 0);
        // No second GET on a new connection, not even a moment later.
        QTest::qWait(300);
        QCOMPARE(m_server->requests.size(), 1);
        verifyDayUsedListKept(env);
    }

    void refusedHandshakeNamesAClientCertificateOnlyWhenOneWasAsked_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("text");
        const QString verify = QStringLiteral("-Verify");
        QTest::newRow("TLS 1.3, certificate asked")
            << QStringList{verify, QStringLiteral("1"), QStringLiteral("-tls1_3")} << kClientCertificate;
        QTest::newRow("TLS 1.2, certificate asked")
            << QStringList{verify, QStringLiteral("1"), QStringLiteral("-tls1_2")} << kClientCertificate;
        // The same handshake_failure alert, sent at once to a hello it cannot serve.
        QTest::newRow("TLS 1.2, no shared cipher")
            << QStringList{QStringLiteral("-tls1_2"), QStringLiteral("-cipher"),
                           QStringLiteral("ECDHE-ECDSA-NULL-SHA:@SECLEVEL=0")}
            << QStringLiteral("SSL连接失败");
    }

    void refusedHandshakeNamesAClientCertificateOnlyWhenOneWasAsked()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, text);
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 port = probe.serverPort();
        probe.close();
        // openssl's own server: it refuses a handshake the way a real server does.
        QProcess server;
        server.setProcessChannelMode(QProcess::MergedChannels);
        server.start(QStringLiteral("openssl"),
                     QStringList{QStringLiteral("s_server"), QStringLiteral("-accept"),
                      QStringLiteral("127.0.0.1:%1").arg(port), QStringLiteral("-cert"),
                      m_certs.serverCertificateFile(), QStringLiteral("-key"), m_certs.serverKeyFile(),
                      QStringLiteral("-www")} +
                         options);
        QVERIFY2(server.waitForStarted(10000), qPrintable(server.errorString()));
        // Ready once it takes connections (a probe that goes away is nothing to it).
        QTRY_VERIFY_WITH_TIMEOUT(listening(port) || server.state() != QProcess::Running, 10000);
        QCOMPARE(server.state(), QProcess::Running);
        UpdateSource source = sourceFor(*m_server);
        source.baseUrl.setPort(port);
        WorkerRun run(source);
        const bool ended = run.ended();
        server.kill();
        server.waitForFinished(5000);
        QVERIFY(ended);
        QCOMPARE(run.failures, QStringList{text});
        verifyUntouched(env);
    }

    void serverNotTrustedGivesTlsFailure()
    {
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        TlsTestServer impostor(m_certs.untrusted, m_certs.untrustedKey);
        QVERIFY(impostor.start());
        impostor.respond(200, bankList(3));
        WorkerRun run(sourceFor(impostor));
        QVERIFY(run.ended());
        QCOMPARE(run.failures, QStringList{QStringLiteral("SSL连接失败")});
        QVERIFY(impostor.requests.isEmpty());
        verifyUntouched(env);
    }

    void testAuthorityIsTrustedOnlyThroughTheSource()
    {
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        m_server->respond(200, bankList(3));
        UpdateSource source = sourceFor(*m_server);
        source.extraCaCertificates.clear();
        WorkerRun run(source);
        QVERIFY(run.ended());
        QCOMPARE(run.failures, QStringList{QStringLiteral("SSL连接失败")});
        verifyUntouched(env);
    }

    void closedPortCannotConnect()
    {
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 port = probe.serverPort();
        probe.close();
        UpdateSource source = sourceFor(*m_server);
        source.baseUrl.setPort(port);
        WorkerRun run(source);
        QVERIFY(run.ended());
        QCOMPARE(run.failures, QStringList{QStringLiteral("网络无法连接")});
        verifyUntouched(env);
    }

    void systemProxyIsUsedAndAnUnknownErrorGivesTheGenericText()
    {
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        m_server->respond(200, bankList(3));
        TlsTestServer proxy(m_certs.server, m_certs.serverKey);
        proxy.setMode(TlsTestServer::Mode::NotProxy);
        QVERIFY(proxy.start());
        // The system proxy setting on this platform is the environment.
        const QByteArray noProxy = qgetenv("no_proxy");
        qunsetenv("no_proxy");
        qputenv("https_proxy", QByteArray("http://127.0.0.1:") + QByteArray::number(proxy.serverPort()));
        WorkerRun run(sourceFor(*m_server));
        const bool ended = run.ended();
        qunsetenv("https_proxy");
        qputenv("no_proxy", noProxy);
        QVERIFY(ended);
        // The proxy's odd answer is no error the table knows.
        QCOMPARE(run.failures, QStringList{QStringLiteral("网络错误，断开连接")});
        QCOMPARE(proxy.requests.size(), 1);
        QVERIFY2(proxy.requests.first().startsWith(
                     "CONNECT 127.0.0.1:" + QByteArray::number(m_server->serverPort()) + " HTTP/1.1"),
                 proxy.requests.first().constData());
        QVERIFY(m_server->requests.isEmpty());
        verifyUntouched(env);
    }

    void silentServerTimesOut()
    {
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        m_server->setMode(TlsTestServer::Mode::Silent);
        WorkerRun run(sourceFor(*m_server, 500));
        QVERIFY(run.ended(5000));
        QCOMPARE(run.failures, QStringList{QStringLiteral("网络连接超时")});
        verifyUntouched(env);
    }

    void connectionLostInTheBodyFailsTheRead()
    {
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        m_server->respond(200, bankList(3000));
        m_server->dropAfter(20000);
        WorkerRun run(sourceFor(*m_server));
        QVERIFY(run.ended());
        QCOMPARE(run.failures, QStringList{QStringLiteral("Read data failed")});
        QCOMPARE(run.successes, 0);
        verifyDayUsedListKept(env);
    }

    void badUrlIsReported_data()
    {
        QTest::addColumn<QUrl>("url");
        QTest::newRow("no host") << QUrl(QStringLiteral("https://"));
        QTest::newRow("unknown scheme") << QUrl(QStringLiteral("gopher://127.0.0.1:1"));
    }

    void badUrlIsReported()
    {
        QFETCH(QUrl, url);
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        UpdateSource source;
        source.baseUrl = url;
        WorkerRun run(source);
        QVERIFY(run.ended());
        QCOMPARE(run.failures, QStringList{QStringLiteral("错误的URL地址")});
        verifyUntouched(env);
    }

    void temporaryFileThatCannotBeCreated()
    {
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        QVERIFY(QDir(env.dir()).mkdir(QStringLiteral("BankNo.txt_")));
        m_server->respond(200, bankList(3));
        WorkerRun run(sourceFor(*m_server));
        QVERIFY(run.ended());
        QCOMPARE(run.failures, QStringList{QStringLiteral("打开文件失败，请检查系统权限")});
        QVERIFY(QFileInfo(env.path(QStringLiteral("BankNo.txt_"))).isDir());
        QVERIFY(!env.exists(QStringLiteral("dxbk-tool.ini")));
        QCOMPARE(env.read(QStringLiteral("BankNo.txt")), kOldList);
    }

    void dateFileThatCannotBeWrittenDoesNotStopTheDownload()
    {
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        QVERIFY(QDir(env.dir()).mkdir(QStringLiteral("dxbk-tool.ini")));
        const QByteArray list = bankList(50);
        m_server->respond(200, list);
        WorkerRun run(sourceFor(*m_server));
        QVERIFY(run.ended());
        QCOMPARE(run.failures, QStringList());
        QCOMPARE(run.successes, 1);
        QCOMPARE(env.read(QStringLiteral("BankNo.txt")), list);
    }

    void oldListThatCannotBeReplacedStays()
    {
        TestEnv env;
        // A folder in the way of the list: it can be neither deleted nor overwritten.
        QVERIFY(QDir(env.dir()).mkpath(QStringLiteral("BankNo.txt/inside")));
        const QByteArray list = bankList(50);
        m_server->respond(200, list);
        WorkerRun run(sourceFor(*m_server));
        QVERIFY(run.ended());
        QCOMPARE(run.successes, 0);
        QCOMPARE(run.failures, QStringList{kReplaceFailed});
        QVERIFY(!run.control.wasReplaced());
        QVERIFY(!env.exists(QStringLiteral("BankNo.txt_")));
        QVERIFY(QFileInfo(env.path(QStringLiteral("BankNo.txt/inside"))).isDir());
        QCOMPARE(env.read(QStringLiteral("dxbk-tool.ini")), QByteArray("20201231"));
    }

    void faultWritingTheListKeepsTheOldOne_data()
    {
        Faults::addColumn();
        Faults::addWriteRows();
        Faults::addSyncCloseRenameRows();
        // With one page left the date file takes it first: that row says nothing more here.
        Faults::addMountRows(false);
    }

    void faultWritingTheListKeepsTheOldOne()
    {
        QFETCH(Faults::Fault, fault);
        RUN_IN_FAULT_CHILD(fault);
        TestEnv env;
        Faults::Injector injector(fault, env.dir());
        QVERIFY2(injector.ready(), qPrintable(injector.error()));
        injector.setFilter(QStringLiteral("BankNo.txt"));
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        env.write(QStringLiteral("dxbk-tool.ini"), "20201230");
        const QByteArray list = bankList(1500); // several chunks
        m_server->respond(200, list);
        QVERIFY2(injector.inject(list.size()), qPrintable(injector.error()));
        WorkerRun run(sourceFor(*m_server));
        QVERIFY(run.ended());
        QVERIFY2(injector.release(), qPrintable(injector.error()));
        QCOMPARE(run.successes, 0);
        QVERIFY(!run.control.wasReplaced());
        QString text = kWriteFailed;
        QByteArray day = "20201231";
        if (fault.type == Faults::Fault::RenameFails) {
            text = kReplaceFailed;
        } else if (fault.type == Faults::Fault::ReadOnly) {
            text = kOpenFailed;
            day = "20201230";
        } else if (fault.type == Faults::Fault::DiskFull) {
            day = "20201230"; // no room for the date either
        }
        QCOMPARE(run.failures, QStringList{text});
        QCOMPARE(env.read(QStringLiteral("BankNo.txt")), kOldList);
        QCOMPARE(env.read(QStringLiteral("dxbk-tool.ini")), day);
        QCOMPARE(Faults::entries(env.dir()), (QStringList{"BankNo.txt", "dxbk-tool.ini"}));
        // The next start loads the old list.
        QVERIFY(!BankCodeTable::reload());
        QCOMPARE(BankCodeTable::nameOf(QStringLiteral("102100099996")).value_or(QString()),
                 QStringLiteral("old bank"));
        QCOMPARE(BankCodeTable::size(), qsizetype(1));
    }

    void faultWritingTheDateFileDoesNotStopTheDownload_data()
    {
        Faults::addColumn();
        Faults::addWriteRows();
        Faults::addSyncCloseRenameRows();
    }

    void faultWritingTheDateFileDoesNotStopTheDownload()
    {
        QFETCH(Faults::Fault, fault);
        RUN_IN_FAULT_CHILD(fault);
        TestEnv env;
        Faults::Injector injector(fault, env.dir());
        QVERIFY2(injector.ready(), qPrintable(injector.error()));
        // The date is the one save through a temporary file; its rename names the file.
        injector.setFilter(fault.type == Faults::Fault::RenameFails ? QStringLiteral("dxbk-tool.ini")
                                                                     : QStringLiteral("/.dxbk"));
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        env.write(QStringLiteral("dxbk-tool.ini"), "20201230");
        const QByteArray list = bankList(50);
        m_server->respond(200, list);
        QVERIFY2(injector.inject(8), qPrintable(injector.error()));
        WorkerRun run(sourceFor(*m_server));
        QVERIFY(run.ended());
        QVERIFY2(injector.release(), qPrintable(injector.error()));
        QCOMPARE(run.failures, QStringList());
        QCOMPARE(run.successes, 1);
        QCOMPARE(env.read(QStringLiteral("BankNo.txt")), list);
        // The date file keeps its old bytes, whole: the operator may try again today.
        QCOMPARE(env.read(QStringLiteral("dxbk-tool.ini")), QByteArray("20201230"));
        QCOMPARE(Faults::entries(env.dir()), (QStringList{"BankNo.txt", "dxbk-tool.ini"}));
    }

    void missingOldListIsNoError()
    {
        TestEnv env;
        const QByteArray list = bankList(5);
        m_server->respond(200, list);
        WorkerRun run(sourceFor(*m_server));
        QVERIFY(run.ended());
        QCOMPARE(run.successes, 1);
        QCOMPARE(env.read(QStringLiteral("BankNo.txt")), list);
    }
};

QTEST_GUILESS_MAIN(TestUpdateWorker)
#include "tst_update_worker.moc"
