#include "ScriptedDialogs.h"
#include "TestCertificates.h"
#include "TestEnv.h"
#include "TlsTestServer.h"
#include "common/ScreenSwitch.h"
#include "update/CUpdateDlg.h"
#include "update/UpdateNetwork.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <functional>
#include <memory>

using namespace BankCodeUpdate;

namespace {

const QString kQuestion = QStringLiteral("取消更新将导致更新失败，您只能明天再更新。是否确定取消？");
const QString kQuestionCaption = QStringLiteral("取消更新");
const QString kSucceeded = QStringLiteral("更新成功");
const QByteArray kOldList = "102100099996|old bank\r\n";

// Stands in for the screen host: records the screen-switch messages it receives.
class HostProbe : public QObject
{
public:
    QList<int> codes;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == AppInfo::WM_SWITCHSCREEN) {
            codes.append(static_cast<SwitchScreenEvent*>(e)->code());
            return true;
        }
        return QObject::event(e);
    }
};

// Scripted answers, plus a hook that runs while a message is "on screen" and the time it came.
class RecordingDialogs : public ScriptedDialogs
{
public:
    RecordingDialogs() { clock.start(); }

    int message(QWidget* parent, const QString& text, const QString& caption, int buttons, Msg::Icon icon,
                int defaultButton) override
    {
        shownAt.append(clock.elapsed());
        if (whileShown) {
            whileShown(text);
        }
        return ScriptedDialogs::message(parent, text, caption, buttons, icon, defaultButton);
    }

    QElapsedTimer clock;
    QList<qint64> shownAt;
    std::function<void(const QString&)> whileShown;
};

QByteArray bankList(int lines)
{
    QByteArray out;
    for (int i = 0; i < lines; ++i) {
        out +=
            gbk(QStringLiteral("10210009%1|中国工商银行第%2支行\r\n").arg(i, 4, 10, QLatin1Char('0')).arg(i));
    }
    return out;
}

qint64 shownCount(const CUpdateDlg& dlg)
{
    const auto* count = dlg.findChild<QLabel*>(QStringLiteral("已下载字节数"));
    return count ? count->text().toLongLong() : -1;
}

} // namespace

// The update dialog: count, cancel question, closing, and what reaches the operator and the host.
class TestUpdateDialog : public QObject
{
    Q_OBJECT

private:
    UpdateSource source(quint16 port = 0) const
    {
        UpdateSource s;
        s.baseUrl = m_server->baseUrl();
        if (port != 0) {
            s.baseUrl.setPort(port);
        }
        s.extraCaCertificates = {m_certs.authority};
        s.inactivityTimeoutMs = 10000;
        return s;
    }

    static QPushButton* cancelButton(CUpdateDlg& dlg)
    {
        return dlg.findChild<QPushButton*>(QStringLiteral("取消更新"));
    }

    TestCertificates m_certs;
    std::unique_ptr<TlsTestServer> m_server;
    HostProbe m_host;

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
        m_host.codes.clear();
        ScreenSwitch::setTargets(&m_host, nullptr);
    }

    void cleanup()
    {
        ScreenSwitch::setTargets(nullptr, nullptr);
        setDefaultSourceForTests(std::nullopt);
        m_server.reset();
    }

    void layout()
    {
        TestEnv env;
        CUpdateDlg dlg(source());
        QCOMPARE(dlg.windowTitle(), QStringLiteral("更新联行号"));
        QCOMPARE(dlg.palette().color(QPalette::Window), QColor(248, 242, 248));
        QVERIFY(dlg.findChild<QLabel*>(QStringLiteral("正在更新中，请耐心等待.......标签")));
        QVERIFY(dlg.findChild<QLabel*>(QStringLiteral("已下载标签")));
        QVERIFY(dlg.findChild<QLabel*>(QStringLiteral("字节标签")));
        QCOMPARE(dlg.findChild<QLabel*>(QStringLiteral("已下载字节数"))->text(), QStringLiteral("0"));
        QVERIFY(cancelButton(dlg));
        QVERIFY(!cancelButton(dlg)->autoDefault());
        // Not shown, so nothing was started.
        QVERIFY(m_server->requests.isEmpty());
    }

    void successReloadsThenTellsThenCloses()
    {
        RecordingDialogs d;
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        const QByteArray list = bankList(2000);
        m_server->respond(200, list);
        d.expect(kSucceeded, Msg::Ok, QStringLiteral("DXBK-TOOL"));
        QList<int> codesWhenTold;
        d.whileShown = [&](const QString&) {
            QCoreApplication::sendPostedEvents(&m_host);
            codesWhenTold = m_host.codes;
        };

        CUpdateDlg dlg(source());
        QSignalSpy closed(&dlg, &QDialog::finished);
        dlg.show();
        QVERIFY(closed.wait(10000));
        const qint64 closedAt = d.clock.elapsed();
        QCOMPARE(closed.first().first().toInt(), int(QDialog::Accepted));
        QCOMPARE(d.shownAt.size(), 1);
        QCOMPARE(codesWhenTold, QList<int>{ScreenSwitch::ReloadBankCodes});
        QVERIFY2(closedAt - d.shownAt.first() >= 900 && closedAt - d.shownAt.first() < 3000,
                 qPrintable(QString::number(closedAt - d.shownAt.first())));
        QCOMPARE(shownCount(dlg), qint64(list.size()));
        QCOMPARE(env.read(QStringLiteral("BankNo.txt")), list);
        QCOMPARE(env.read(QStringLiteral("dxbk-tool.ini")), QByteArray("20201231"));
        QCOMPARE(m_host.codes, QList<int>{ScreenSwitch::ReloadBankCodes});
        VERIFY_DIALOGS_DONE(d);
    }

    void openedTheWayTheAccountBookOpensIt()
    {
        ScriptedDialogs d;
        TestEnv env;
        const QByteArray list = bankList(20);
        m_server->respond(200, list);
        setDefaultSourceForTests(source());
        d.expect(kSucceeded);
        CUpdateDlg dlg;
        QCOMPARE(dlg.exec(), int(QDialog::Accepted));
        QCOMPARE(env.read(QStringLiteral("BankNo.txt")), list);
        QCoreApplication::sendPostedEvents(&m_host);
        QCOMPARE(m_host.codes, QList<int>{ScreenSwitch::ReloadBankCodes});
        VERIFY_DIALOGS_DONE(d);
    }

    void failureIsToldThenClosesASecondLater_data()
    {
        QTest::addColumn<bool>("closedPort");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text");
        QTest::newRow("closed port") << true << 200 << QStringLiteral("网络无法连接");
        QTest::newRow("error page") << false << 404 << QStringLiteral("更新失败，服务器返回的联行号文件无效");
    }

    void failureIsToldThenClosesASecondLater()
    {
        QFETCH(bool, closedPort);
        QFETCH(int, status);
        QFETCH(QString, text);
        RecordingDialogs d;
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        m_server->respond(status, "<html><body>Not Found</body></html>");
        quint16 port = 0;
        if (closedPort) {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            port = probe.serverPort();
        }
        d.expect(text);
        CUpdateDlg dlg(source(port));
        QSignalSpy closed(&dlg, &QDialog::finished);
        dlg.show();
        QVERIFY(closed.wait(10000));
        const qint64 closedAt = d.clock.elapsed();
        QCOMPARE(d.shownAt.size(), 1);
        QVERIFY2(closedAt - d.shownAt.first() >= 900,
                 qPrintable(QString::number(closedAt - d.shownAt.first())));
        QCOMPARE(env.read(QStringLiteral("BankNo.txt")), kOldList);
        QVERIFY(!env.exists(QStringLiteral("BankNo.txt_")));
        QCoreApplication::sendPostedEvents(&m_host);
        QVERIFY(m_host.codes.isEmpty());
        VERIFY_DIALOGS_DONE(d);
    }

    void answeringNoLetsTheDownloadGoOn()
    {
        RecordingDialogs d;
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        const QByteArray list = bankList(1800); // about 60 KB at 1 KB per 20 ms
        m_server->respond(200, list, 1000, 20);
        qint64 countAsked = -1;
        qint64 countAnswered = -1;
        qint64 fileAsked = -1;
        qint64 fileAnswered = -1;
        CUpdateDlg dlg(source());
        d.whileShown = [&](const QString& text) {
            if (text != kQuestion) {
                return;
            }
            // The operator takes a while to decide: the count and the file must stand still
            // (after a moment for a chunk that was already being written).
            QTest::qWait(100);
            countAsked = shownCount(dlg);
            fileAsked = QFileInfo(env.path(QStringLiteral("BankNo.txt_"))).size();
            QTest::qWait(800);
            countAnswered = shownCount(dlg);
            fileAnswered = QFileInfo(env.path(QStringLiteral("BankNo.txt_"))).size();
        };
        d.expect(kQuestion, Msg::No, kQuestionCaption);
        d.expect(kSucceeded);
        QSignalSpy closed(&dlg, &QDialog::finished);
        dlg.show();
        QTRY_VERIFY_WITH_TIMEOUT(shownCount(dlg) >= 3000, 10000);
        QTest::mouseClick(cancelButton(dlg), Qt::LeftButton);
        QVERIFY(countAsked >= 3000);
        QCOMPARE(countAnswered, countAsked);
        QCOMPARE(fileAnswered, fileAsked);
        QVERIFY(dlg.isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(shownCount(dlg) > countAsked + 2000, 10000);
        QVERIFY(closed.wait(10000));
        QCOMPARE(shownCount(dlg), qint64(list.size()));
        QCOMPARE(env.read(QStringLiteral("BankNo.txt")), list);
        QCOMPARE(d.messages.first().buttons, int(Msg::Yes | Msg::No));
        VERIFY_DIALOGS_DONE(d);
    }

    void answeringYesClosesAtOnceAndKeepsTheOldList()
    {
        RecordingDialogs d;
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        m_server->respond(200, bankList(6000), 1000, 20); // far longer than the test
        d.expect(kQuestion, Msg::Yes, kQuestionCaption);
        QElapsedTimer destroying;
        {
            CUpdateDlg dlg(source());
            QSignalSpy closed(&dlg, &QDialog::finished);
            dlg.show();
            QTRY_VERIFY_WITH_TIMEOUT(shownCount(dlg) >= 3000, 10000);
            QTest::mouseClick(cancelButton(dlg), Qt::LeftButton);
            QCOMPARE(closed.size(), 1);
            QCOMPARE(closed.first().first().toInt(), int(QDialog::Accepted));
            QVERIFY(!dlg.isVisible());
            // Whatever the worker still does, the closed dialog hears nothing of it.
            QTest::qWait(500);
            destroying.start();
        }
        QVERIFY2(destroying.elapsed() < 5000, qPrintable(QString::number(destroying.elapsed())));
        QVERIFY(!env.exists(QStringLiteral("BankNo.txt_")));
        QCOMPARE(env.read(QStringLiteral("BankNo.txt")), kOldList);
        QCOMPARE(env.read(QStringLiteral("dxbk-tool.ini")), QByteArray("20201231"));
        QCoreApplication::sendPostedEvents(&m_host);
        QVERIFY(m_host.codes.isEmpty());
        QCOMPARE(d.messages.size(), 1);
        VERIFY_DIALOGS_DONE(d);
    }

    void escAndTheCloseBoxAskTheSameQuestion()
    {
        ScriptedDialogs d;
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        m_server->respond(200, bankList(6000), 1000, 20);
        d.expect(kQuestion, Msg::No, kQuestionCaption);
        d.expect(kQuestion, Msg::No, kQuestionCaption);
        d.expect(kQuestion, Msg::Yes, kQuestionCaption);
        CUpdateDlg dlg(source());
        QSignalSpy closed(&dlg, &QDialog::finished);
        dlg.show();
        QTRY_VERIFY_WITH_TIMEOUT(shownCount(dlg) > 0, 10000);

        QTest::keyClick(&dlg, Qt::Key_Escape);
        QCOMPARE(d.messages.size(), 1);
        QVERIFY(dlg.isVisible());
        QVERIFY(closed.isEmpty());

        QVERIFY(!dlg.close());
        QCOMPARE(d.messages.size(), 2);
        QVERIFY(dlg.isVisible());
        QVERIFY(closed.isEmpty());

        QVERIFY(dlg.close());
        QCOMPARE(d.messages.size(), 3);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(closed.size(), 1);
        for (const auto& m : d.messages) {
            QCOMPARE(m.caption, kQuestionCaption);
            QCOMPARE(m.buttons, int(Msg::Yes | Msg::No));
        }
        VERIFY_DIALOGS_DONE(d);
    }

    void cancelWhileConnectingClosesAtOnce()
    {
        ScriptedDialogs d;
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        m_server->setMode(TlsTestServer::Mode::Silent);
        d.expect(kQuestion, Msg::Yes, kQuestionCaption);
        QElapsedTimer destroying;
        {
            CUpdateDlg dlg(source());
            dlg.show();
            QTest::qWait(200);
            QTest::mouseClick(cancelButton(dlg), Qt::LeftButton);
            QVERIFY(!dlg.isVisible());
            destroying.start();
        }
        QVERIFY2(destroying.elapsed() < 5000, qPrintable(QString::number(destroying.elapsed())));
        QTest::qWait(200);
        QVERIFY(!env.exists(QStringLiteral("BankNo.txt_")));
        // The question said so: a cancel uses up the day, also before the server answered.
        QCOMPARE(env.read(QStringLiteral("dxbk-tool.ini")), QByteArray("20201231"));
        QCOMPARE(env.read(QStringLiteral("BankNo.txt")), kOldList);
        VERIFY_DIALOGS_DONE(d);
    }

    void failureWhileTheQuestionIsOpen_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("yes drops it") << int(Msg::Yes);
        QTest::newRow("no shows it afterwards") << int(Msg::No);
    }

    void failureWhileTheQuestionIsOpen()
    {
        QFETCH(int, answer);
        RecordingDialogs d;
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 port = probe.serverPort();
        probe.close();
        d.whileShown = [&](const QString& text) {
            if (text == kQuestion) {
                QTest::qWait(1500); // the refused connection is reported meanwhile
            }
        };
        d.expect(kQuestion, answer, kQuestionCaption);
        if (answer == Msg::No) {
            d.expect(QStringLiteral("网络无法连接"));
        }
        CUpdateDlg dlg(source(port));
        QSignalSpy closed(&dlg, &QDialog::finished);
        dlg.show();
        QTest::mouseClick(cancelButton(dlg), Qt::LeftButton);
        if (answer == Msg::Yes) {
            QCOMPARE(closed.size(), 1);
            QTest::qWait(300);
            QCOMPARE(d.messages.size(), 1);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(d.messages.size(), 2, 5000);
            QVERIFY(closed.isEmpty());
            QVERIFY(closed.wait(5000));
            QVERIFY(d.clock.elapsed() - d.shownAt.last() >= 900);
        }
        QCOMPARE(env.read(QStringLiteral("BankNo.txt")), kOldList);
        VERIFY_DIALOGS_DONE(d);
    }

    void closingWhileDownloadingEndsTheWorker()
    {
        // The owner may destroy the dialog without any answer (the program is closing).
        ScriptedDialogs d;
        TestEnv env;
        env.write(QStringLiteral("BankNo.txt"), kOldList);
        m_server->respond(200, bankList(6000), 1000, 20);
        QElapsedTimer destroying;
        {
            CUpdateDlg dlg(source());
            dlg.show();
            QTRY_VERIFY_WITH_TIMEOUT(shownCount(dlg) > 0, 10000);
            destroying.start();
        }
        QVERIFY(destroying.elapsed() < 5000);
        QVERIFY(!env.exists(QStringLiteral("BankNo.txt_")));
        QCOMPARE(env.read(QStringLiteral("BankNo.txt")), kOldList);
        VERIFY_DIALOGS_DONE(d);
    }
};

QTEST_MAIN(TestUpdateDialog)
#include "tst_update_dialog.moc"
