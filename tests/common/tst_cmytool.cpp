#include "Faults.h"
#include "TestEnv.h"
#include "common/core/CMyTool.h"
#include "common/core/Gbk.h"
#include "common/core/SafeWrite.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTest>

#include <optional>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

class TestCMyTool : public QObject
{
    Q_OBJECT
private slots:
    void trimSpaces();
    void digitsAndNewlines();
    void readTextLine();
    void winHttpErrorText_data();
    void winHttpErrorText();
    void gbkStrictDecoding_data();
    void gbkStrictDecoding();
    void gbkRoundTripAndCanEncode();
    void utf8Bom();
    void fileEncodingDetection_data();
    void fileEncodingDetection();
    void everyHanziLineReadsBackInItsOwnEncoding();
    void safeWriteReplacesWholeFile();
    void safeWriteKeepsOldFileOnFailure_data();
    void safeWriteKeepsOldFileOnFailure();
    void safeWriteLeavesNoFileWhereThereWasNone_data();
    void safeWriteLeavesNoFileWhereThereWasNone();
    void safeWriteReportsUnsyncedFolder_data();
    void safeWriteReportsUnsyncedFolder();
    void safeWriteReportsUnwritablePath();
    void safeWriteKeepsTheFilesPermissions_data();
    void safeWriteKeepsTheFilesPermissions();
    void safeWriteWritesThroughALinkToTheFileItNames_data();
    void safeWriteWritesThroughALinkToTheFileItNames();
    void safeWriteTakesEveryNameTheFolderTakes_data();
    void safeWriteTakesEveryNameTheFolderTakes();
    void newFileNeverWritesThroughALink();
    void newFileRefusesAnExistingName_data();
    void newFileRefusesAnExistingName();
    void safeWriteKeepsAFileHeldOpenWithoutSharing();
    void safeWriteBeyondMaxPath();
    void moduleDir();
};

void TestCMyTool::trimSpaces()
{
    QCOMPARE(CMyTool::TrimSpaces("   "), QString());
    QCOMPARE(CMyTool::TrimSpaces("\tab "), QStringLiteral("\tab"));
    QCOMPARE(CMyTool::TrimSpaces(QStringLiteral("  王 五  ")), QStringLiteral("王 五"));
    // Only ASCII spaces: a full-width space stays.
    QCOMPARE(CMyTool::TrimSpaces(QStringLiteral("\u3000x ")), QStringLiteral("\u3000x"));
    // No length limit: a long text is tidied, never emptied.
    const QString longText = QString(400, QLatin1Char('x'));
    QCOMPARE(CMyTool::TrimSpaces(" " + longText + " "), longText);
}

void TestCMyTool::digitsAndNewlines()
{
    QVERIFY(CMyTool::IsAllDigits(QString()));
    QVERIFY(CMyTool::IsAllDigits("0123456789"));
    QVERIFY(!CMyTool::IsAllDigits("12 3"));
    QVERIFY(!CMyTool::IsAllDigits(QStringLiteral("１２３")));
    QCOMPARE(CMyTool::RemoveNewlines("a\nb\r\nc\r"), QStringLiteral("abc"));
}

void TestCMyTool::readTextLine()
{
    const QByteArray data("first|\r\nsecond");
    qsizetype pos = 0;
    QCOMPARE(CMyTool::ReadTextLine(data, pos), QByteArray("first|\r\n"));
    QCOMPARE(CMyTool::ReadTextLine(data, pos), QByteArray("second"));
    QCOMPARE(CMyTool::ReadTextLine(data, pos), QByteArray());
    qsizetype start = 0;
    QCOMPARE(CMyTool::ReadTextLine(QByteArray(), start), QByteArray());
    // A line of only CR LF is not the end; a line longer than any old buffer comes whole.
    const QByteArray longLine = QByteArray(5000, 'x') + "\n";
    const QByteArray two = "\r\n" + longLine;
    pos = 0;
    QCOMPARE(CMyTool::ReadTextLine(two, pos), QByteArray("\r\n"));
    QCOMPARE(CMyTool::ReadTextLine(two, pos), longLine);
}

void TestCMyTool::winHttpErrorText_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("12002") << 12002 << QStringLiteral("网络连接超时");
    QTest::newRow("12005") << 12005 << QStringLiteral("错误的URL地址");
    QTest::newRow("12007") << 12007 << QStringLiteral("无法解析域名,请检查DNS域名服务器");
    QTest::newRow("12012") << 12012 << QStringLiteral("服务已关闭");
    QTest::newRow("12015") << 12015 << QStringLiteral("登陆失败");
    QTest::newRow("12017") << 12017 << QStringLiteral("操作已退出");
    QTest::newRow("12029") << 12029 << QStringLiteral("网络无法连接");
    QTest::newRow("12030") << 12030 << QStringLiteral("网络连接错误");
    QTest::newRow("12044") << 12044 << QStringLiteral("需要客户端证书");
    QTest::newRow("12175") << 12175 << QStringLiteral("SSL连接失败");
    QTest::newRow("other") << 5 << QStringLiteral("网络错误，断开连接");
}

void TestCMyTool::winHttpErrorText()
{
    QFETCH(int, code);
    QFETCH(QString, text);
    QCOMPARE(CMyTool::WinHttpErrorText(code), text);
}

void TestCMyTool::gbkStrictDecoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid");
    QTest::newRow("ascii") << QByteArray("abc|123") << true;
    QTest::newRow("chinese") << gbk(QStringLiteral("王珅|弢")) << true;
    QTest::newRow("euro byte") << QByteArray("\x80") << true;
    QTest::newRow("truncated lead byte") << QByteArray("ab\x81") << false;
    QTest::newRow("bad trail byte") << QByteArray("\x81\x20") << false;
    QTest::newRow("0xFF") << QByteArray("a\xff") << false;
    QTest::newRow("utf-8 euro sign") << QStringLiteral("a€").toUtf8() << false;
}

void TestCMyTool::gbkStrictDecoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    QCOMPARE(Gbk::decode(bytes).has_value(), valid);
}

void TestCMyTool::gbkRoundTripAndCanEncode()
{
    // 珅 ends with the byte of "|": the text must come back whole.
    const QString name = QStringLiteral("王珅");
    const QByteArray bytes = Gbk::encode(name);
    QCOMPARE(bytes, QByteArray("\xcd\xf5\xab\x7c"));
    QCOMPARE(Gbk::decode(bytes).value(), name);
    QVERIFY(Gbk::canEncode(QStringLiteral("￥100")));
    QVERIFY(!Gbk::canEncode(QStringLiteral("¥100")));
    QVERIFY(!Gbk::canEncode(QStringLiteral("😀")));
    QVERIFY(!Gbk::canEncode(QString(QChar(0xD8D8)) + QStringLiteral("张"))); // an unpaired surrogate
}

void TestCMyTool::utf8Bom()
{
    const QByteArray withBom = "\xEF\xBB\xBF" + QStringLiteral("张三").toUtf8();
    QVERIFY(Gbk::hasUtf8Bom(withBom));
    QVERIFY(!Gbk::hasUtf8Bom(gbk(QStringLiteral("张三"))));
    QCOMPARE(Gbk::decodeUtf8(QStringLiteral("张三").toUtf8()).value(), QStringLiteral("张三"));
    QVERIFY(!Gbk::decodeUtf8(QByteArray("\xff\xfe")).has_value());
}

void TestCMyTool::fileEncodingDetection_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Gbk::FileEncoding>("encoding");
    using E = Gbk::FileEncoding;
    QTest::newRow("ascii only") << QByteArray("|622202|abc|\r\n") << E::Gbk;
    QTest::newRow("gbk, invalid as utf-8") << gbk(QStringLiteral("|1|张三|\r\n")) << E::Gbk;
    // Valid UTF-8 as well: 筒 is CD B2 (U+0372 in UTF-8), 脙 is C3 A9 (é).
    QTest::newRow("gbk 筒") << gbk(QStringLiteral("|6222020200012345678|筒345678||\r\n")) << E::Gbk;
    QTest::newRow("gbk 脙") << gbk(QStringLiteral("|1|脙|\r\n")) << E::Gbk; // C3 83, GBK's own
    QTest::newRow("gbk 路") << gbk(QStringLiteral("|1|路|\r\n")) << E::Gbk; // C2 B7, UTF-8's ·
    // E5 A7 BA E9 B2 A8, which UTF-8 reads as 姺鲨.
    // GBK's added hanzi: EC A4 94 E5 AA 9B, which UTF-8 reads as 줔媛.
    QTest::newRow("gbk 欷斿獩") << gbk(QStringLiteral("|6222020200012345678|欷斿獩|8500.00|||\r\n"))
                                << E::Gbk;
    QTest::newRow("gbk 濮洪波") << gbk(QStringLiteral("|6222020200012345678|濮洪波|8500.00|||\r\n"))
                                << E::Gbk;
    QTest::newRow("utf-8") << QStringLiteral("|1|张三|\r\n|2|李四|\r\n").toUtf8() << E::Utf8;
    QTest::newRow("utf-8 with punctuation")
        << QStringLiteral("|1|阿卜杜·热合曼（十二月）|\r\n").toUtf8() << E::Utf8;
    QTest::newRow("utf-8 with an emoji") << QStringLiteral("|1|张三丰😀|\r\n").toUtf8() << E::Utf8;
    QTest::newRow("utf-8 with an accent among Chinese")
        << QStringLiteral("|1|José|\r\n|2|王小明|\r\n|3|中国工商银行|\r\n").toUtf8() << E::Utf8;
    // Nothing Chinese as UTF-8, hanzi as GBK: the program's own files are GBK.
    QTest::newRow("valid both ways, accented latin") << QStringLiteral("|1|José|").toUtf8() << E::Gbk;
    QTest::newRow("utf-8 symbols that are no GBK") << QStringLiteral("|1|Ann•|").toUtf8() << E::Utf8;
    QTest::newRow("utf-8 with a mark")
        << "\xEF\xBB\xBF" + QStringLiteral("|1|José|").toUtf8() << E::Utf8WithBom;
}

void TestCMyTool::fileEncodingDetection()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Gbk::FileEncoding, encoding);
    QCOMPARE(Gbk::detect(bytes), encoding);
}

void TestCMyTool::everyHanziLineReadsBackInItsOwnEncoding()
{
    // A roster line of one payee, for every character of GB2312's two levels alone and after each
    // of the common surnames, and for three-character names drawn at random: written as the
    // program writes it (GBK), it always reads back as GBK. Saved as UTF-8 by an editor it reads
    // as UTF-8, unless its bytes spell ordinary GBK hanzi just as well (a tie, which goes to GBK).
    QStringList hanzi;
    for (int lead = 0xB0; lead <= 0xF7; ++lead) {
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            const std::optional<QString> h = Gbk::decode(QByteArray(1, char(lead)) + char(trail));
            if (h && h->at(0).unicode() >= 0x4E00 && h->at(0).unicode() <= 0x9FFF) {
                hanzi << *h; // not the unassigned end of level 1
            }
        }
    }
    QCOMPARE(hanzi.size(), 6763);
    QStringList names;
    const QString surnames =
        QStringLiteral("王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘于蒋"
                       "蔡余杜叶程苏魏吕丁任沈姚卢姜崔钟谭陆汪范金石廖贾夏韦付方白邹孟熊秦邱江尹薛闫段"
                       "雷侯龙史陶黎贺顾毛郝龚邵万钱严覃武戴莫孔向汤濮");
    for (const QString& h : std::as_const(hanzi)) {
        names << h;
        for (const QChar s : surnames) {
            names << s + h;
        }
    }
    QRandomGenerator random(20201231);
    for (int i = 0; i < 50000; ++i) {
        QString name;
        for (int k = 0; k < 3; ++k) {
            name += hanzi.at(int(random.bounded(hanzi.size())));
        }
        names << name;
    }
    int utf8Ties = 0;
    for (const QString& name : std::as_const(names)) {
        const QString line =
            QStringLiteral("|6222020200012345678|") + name + QStringLiteral("|8500.00|||\r\n");
        if (Gbk::detect(Gbk::encode(line)) != Gbk::FileEncoding::Gbk) {
            QFAIL(qPrintable(QStringLiteral("GBK read as UTF-8: ") + name));
        }
        const QByteArray utf8 = line.toUtf8();
        if (Gbk::detect(utf8) != Gbk::FileEncoding::Utf8) {
            ++utf8Ties;
        }
    }
    // A one-payee UTF-8 file is the least evidence there is; more lines decide it.
    qInfo("%lld names; %d one-payee UTF-8 files read as GBK", qlonglong(names.size()), utf8Ties);
    QVERIFY(utf8Ties * 50 < names.size());
}

namespace {
// Larger than a page, so that a tmpfs with one page left runs full in the middle of it.
QByteArray newContents()
{
    QByteArray out;
    for (int i = 0; out.size() < 10000; ++i) {
        out += "new line " + QByteArray::number(i) + "\r\n";
    }
    return out;
}
} // namespace

void TestCMyTool::safeWriteReplacesWholeFile()
{
    TestEnv env;
    env.write("roster.txt", "old contents\r\n");
    QString error;
    QVERIFY2(SafeWrite::writeFile(env.path("roster.txt"), newContents(), &error), qPrintable(error));
    QCOMPARE(env.read("roster.txt"), newContents());
    QVERIFY(SafeWrite::writeFile(env.path("roster.txt"), QByteArray()));
    QVERIFY(env.exists("roster.txt"));
    QCOMPARE(env.read("roster.txt"), QByteArray());
    QCOMPARE(Faults::entries(env.dir()), QStringList{"roster.txt"});
}

void TestCMyTool::safeWriteKeepsOldFileOnFailure_data()
{
    Faults::addAllRows();
}

void TestCMyTool::safeWriteKeepsOldFileOnFailure()
{
    QFETCH(Faults::Fault, fault);
    RUN_IN_FAULT_CHILD(fault);
    TestEnv env;
    Faults::Injector injector(fault, env.dir());
    QVERIFY2(injector.ready(), qPrintable(injector.error()));
    env.write("roster.txt", "old contents\r\n");
    QVERIFY2(injector.inject(newContents().size()), qPrintable(injector.error()));
    QString error;
    const bool written = SafeWrite::writeFile(env.path("roster.txt"), newContents(), &error);
    QVERIFY2(injector.release(), qPrintable(injector.error()));
    QVERIFY(!written);
    QVERIFY(!error.isEmpty());
    QCOMPARE(env.read("roster.txt"), QByteArray("old contents\r\n"));
    QCOMPARE(Faults::entries(env.dir()), QStringList{"roster.txt"});
    // Once the fault is gone the same write goes through.
    QVERIFY2(SafeWrite::writeFile(env.path("roster.txt"), newContents(), &error), qPrintable(error));
    QCOMPARE(env.read("roster.txt"), newContents());
}

void TestCMyTool::safeWriteLeavesNoFileWhereThereWasNone_data()
{
    Faults::addAllRows();
}

void TestCMyTool::safeWriteLeavesNoFileWhereThereWasNone()
{
    QFETCH(Faults::Fault, fault);
    RUN_IN_FAULT_CHILD(fault);
    TestEnv env;
    Faults::Injector injector(fault, env.dir());
    QVERIFY2(injector.ready(), qPrintable(injector.error()));
    QVERIFY2(injector.inject(newContents().size()), qPrintable(injector.error()));
    QString error;
    const bool written = SafeWrite::writeFile(env.path("export.txt"), newContents(), &error);
    QVERIFY2(injector.release(), qPrintable(injector.error()));
    QVERIFY(!written);
    QVERIFY(!error.isEmpty());
    QCOMPARE(Faults::entries(env.dir()), QStringList());
}

void TestCMyTool::safeWriteReportsUnsyncedFolder_data()
{
    Faults::addColumn();
    // The file's own sync is the first, the folder's the second.
    QTest::newRow("folder-fsync-fails")
        << Faults::Fault{Faults::Fault::SyncFails, Faults::Fault::FirstByte, 2};
}

void TestCMyTool::safeWriteReportsUnsyncedFolder()
{
    QFETCH(Faults::Fault, fault);
    RUN_IN_FAULT_CHILD(fault);
    TestEnv env;
    Faults::Injector injector(fault, env.dir());
    QVERIFY2(injector.ready(), qPrintable(injector.error()));
    env.write("roster.txt", "old contents\r\n");
    QVERIFY2(injector.inject(newContents().size()), qPrintable(injector.error()));
    QString error;
    const bool written = SafeWrite::writeFile(env.path("roster.txt"), newContents(), &error);
    QVERIFY2(injector.release(), qPrintable(injector.error()));
    // The rename is done and cannot be taken back; that it lasts is unknown, so no success.
    QVERIFY(!written);
    QVERIFY(!error.isEmpty());
    QCOMPARE(env.read("roster.txt"), newContents());
    QCOMPARE(Faults::entries(env.dir()), QStringList{"roster.txt"});
}

void TestCMyTool::safeWriteReportsUnwritablePath()
{
    TestEnv env;
    env.write("plainfile", "x");
    QString error;
    // A path below a plain file can never be created, not even by root.
    QVERIFY(!SafeWrite::writeFile(env.path("plainfile/sub.txt"), "data", &error));
    QVERIFY(!error.isEmpty());
    QByteArray data;
    QVERIFY(!SafeWrite::readFile(env.path("missing.txt"), &data));
}

void TestCMyTool::safeWriteKeepsTheFilesPermissions_data()
{
    QTest::addColumn<int>("permissions");
    QTest::addColumn<bool>("otherOwner");
    QTest::addColumn<bool>("asAnyone"); // root's checks hold as for anyone else
    QTest::addColumn<bool>("written");
    using P = QFileDevice;
    const int ownerOnly = P::ReadOwner | P::WriteOwner | P::ReadUser | P::WriteUser;
    const int everyoneReads = int(P::ReadGroup | P::ReadOther);
    QTest::newRow("0600") << ownerOnly << false << false << true;
    QTest::newRow("0664, another owner and group")
        << int(ownerOnly | P::ReadGroup | P::WriteGroup | P::ReadOther) << true << false << true;
    QTest::newRow("0444, read-only") << int(P::ReadOwner | P::ReadUser | everyoneReads) << false << false
                                     << false;
    // The folder would let the file be replaced, but the file is not ours to write.
    QTest::newRow("0644 of another owner") << (ownerOnly | everyoneReads) << true << true << false;
}

void TestCMyTool::safeWriteKeepsTheFilesPermissions()
{
    QFETCH(int, permissions);
    QFETCH(bool, otherOwner);
    QFETCH(bool, asAnyone);
    QFETCH(bool, written);
    TestEnv env;
    env.write("roster.txt", "old contents\r\n");
    QVERIFY(QFile::setPermissions(env.path("roster.txt"), QFile::Permissions(permissions)));
    if (otherOwner) {
#ifdef Q_OS_WIN
        QSKIP("no owner to keep on Windows");
#else
        if (::chown(QFile::encodeName(env.path("roster.txt")).constData(), 65534, 65534) != 0) {
            QSKIP("only root may give a file away");
        }
#endif
    }
    const QFileInfo before(env.path("roster.txt"));
    const QFile::Permissions mode = before.permissions();
    QString error;
    {
        std::optional<WithoutFileOverride> anyone;
        if (asAnyone) {
            anyone.emplace();
#ifndef Q_OS_WIN
            // Before faccessat2 (Linux 5.8) root's access checks count its permitted capabilities.
            if (::faccessat(AT_FDCWD, QFile::encodeName(env.path("roster.txt")).constData(), W_OK, AT_EACCESS) == 0) {
                QSKIP("this system checks root's access with the capabilities it gave up");
            }
#endif
        }
        QCOMPARE(SafeWrite::writeFile(env.path("roster.txt"), newContents(), &error), written);
    }
    QCOMPARE(env.read("roster.txt"), written ? newContents() : QByteArray("old contents\r\n"));
    const QFileInfo after(env.path("roster.txt"));
    QCOMPARE(after.permissions(), mode);
    QCOMPARE(after.ownerId(), before.ownerId());
    QCOMPARE(after.groupId(), before.groupId());
    QCOMPARE(Faults::entries(env.dir()), QStringList{"roster.txt"});
}

void TestCMyTool::safeWriteWritesThroughALinkToTheFileItNames_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("target"); // what the link names; empty: nothing
    QTest::newRow("a link to a file in another folder") << QStringLiteral("shared/roster.txt")
                                                        << QStringLiteral("shared/roster.txt");
    QTest::newRow("a link to a link") << QStringLiteral("shared/link.txt") << QStringLiteral("shared/roster.txt");
    QTest::newRow("a link that leads nowhere") << QStringLiteral("shared/gone.txt") << QString();
    QTest::newRow("a link to itself") << QStringLiteral("roster.txt") << QString();
}

void TestCMyTool::safeWriteWritesThroughALinkToTheFileItNames()
{
    QFETCH(QString, link);
    QFETCH(QString, target);
    if (!canMakeSymLinks()) {
        QSKIP(noSymLinks());
    }
    TestEnv env;
    QVERIFY(QDir(env.dir()).mkdir("shared"));
    env.write("shared/roster.txt", "old contents\r\n");
    QVERIFY(makeSymLink(env.path("shared/roster.txt"), env.path("shared/link.txt")));
    QVERIFY(makeSymLink(env.path(link), env.path("roster.txt")));
    QString error;
    QCOMPARE(SafeWrite::writeFile(env.path("roster.txt"), newContents(), &error), !target.isEmpty());
    QVERIFY(QFileInfo(env.path("roster.txt")).isSymLink());
    QCOMPARE(QFileInfo(env.path("roster.txt")).symLinkTarget(), env.path(link));
    QCOMPARE(env.read("shared/roster.txt"), target.isEmpty() ? QByteArray("old contents\r\n") : newContents());
    QCOMPARE(Faults::entries(env.dir()), (QStringList{"roster.txt", "shared"}));
    QCOMPARE(Faults::entries(env.path("shared")), (QStringList{"link.txt", "roster.txt"}));
}

void TestCMyTool::safeWriteTakesEveryNameTheFolderTakes_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("243 bytes") << QString(239, QLatin1Char('a')) + QStringLiteral(".txt");
    QTest::newRow("255 bytes") << QString(251, QLatin1Char('a')) + QStringLiteral(".txt");
    QTest::newRow("83 hanzi") << QString(83, QChar(0x7EC4)) + QStringLiteral(".txt");
}

void TestCMyTool::safeWriteTakesEveryNameTheFolderTakes()
{
    QFETCH(QString, name);
    TestEnv env;
    QString error;
    QVERIFY2(SafeWrite::writeFile(env.path(name), "first\r\n", &error), qPrintable(error));
    QVERIFY2(SafeWrite::writeFile(env.path(name), newContents(), &error), qPrintable(error));
    QCOMPARE(env.read(name), newContents());
    QCOMPARE(Faults::entries(env.dir()), QStringList{name});
}

void TestCMyTool::newFileNeverWritesThroughALink()
{
    if (!canMakeSymLinks()) {
        QSKIP(noSymLinks());
    }
    TestEnv env;
    env.write("kuahangacc.txt", "roster\r\n");
    QVERIFY(makeSymLink(env.path("kuahangacc.txt"), env.path("BankNo.txt_")));
    SafeWrite::NewFile file(env.path("BankNo.txt_"));
    QVERIFY2(file.create(true), qPrintable(file.errorString()));
    QVERIFY(file.write("list"));
    QVERIFY2(file.finish(), qPrintable(file.errorString()));
    QVERIFY(!QFileInfo(env.path("BankNo.txt_")).isSymLink());
    QCOMPARE(env.read("BankNo.txt_"), QByteArray("list"));
    QCOMPARE(env.read("kuahangacc.txt"), QByteArray("roster\r\n"));
    QVERIFY2(file.replace(env.path("BankNo.txt")), qPrintable(file.errorString()));
    QCOMPARE(env.read("BankNo.txt"), QByteArray("list"));
    QCOMPARE(Faults::entries(env.dir()), (QStringList{"BankNo.txt", "kuahangacc.txt"}));
}

void TestCMyTool::newFileRefusesAnExistingName_data()
{
    QTest::addColumn<bool>("link"); // the name taken by a link to another file, else by a file
    QTest::newRow("a file") << false;
    QTest::newRow("a link") << true;
}

void TestCMyTool::newFileRefusesAnExistingName()
{
    QFETCH(bool, link);
    if (link && !canMakeSymLinks()) {
        QSKIP(noSymLinks());
    }
    TestEnv env;
    env.write("kuahangacc.txt", "roster\r\n");
    if (link) {
        QVERIFY(makeSymLink(env.path("kuahangacc.txt"), env.path("taken")));
    } else {
        env.write("taken", "kept");
    }
    SafeWrite::NewFile file(env.path("taken"));
    QVERIFY(!file.create());
    QVERIFY(!file.errorString().isEmpty());
    QCOMPARE(env.read("kuahangacc.txt"), QByteArray("roster\r\n"));
    QCOMPARE(env.read("taken"), link ? QByteArray("roster\r\n") : QByteArray("kept"));
    {
        // A file that is dropped before it is replaced into place leaves nothing behind.
        SafeWrite::NewFile fresh(env.path("fresh"));
        QVERIFY(fresh.create());
        QVERIFY(fresh.write("x"));
    }
    QVERIFY(!env.exists("fresh"));
}

#ifdef Q_OS_WIN
namespace {
std::wstring native(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}
} // namespace
#endif

void TestCMyTool::safeWriteKeepsAFileHeldOpenWithoutSharing()
{
#ifdef Q_OS_WIN
    TestEnv env;
    env.write("roster.txt", "old contents\r\n");
    // As a spreadsheet program or an editor holds a file: read and write shared, delete not.
    HANDLE held = CreateFileW(native(env.path("roster.txt")).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    QVERIFY(held != INVALID_HANDLE_VALUE);
    QString error;
    const bool written = SafeWrite::writeFile(env.path("roster.txt"), newContents(), &error);
    CloseHandle(held);
    QVERIFY(!written);
    QVERIFY(!error.isEmpty());
    QCOMPARE(env.read("roster.txt"), QByteArray("old contents\r\n"));
    QCOMPARE(Faults::entries(env.dir()), QStringList{"roster.txt"});
    // Let go, the same save goes through.
    QVERIFY2(SafeWrite::writeFile(env.path("roster.txt"), newContents(), &error), qPrintable(error));
    QCOMPARE(env.read("roster.txt"), newContents());
#else
    QSKIP("only Windows refuses to replace a file that another program holds open");
#endif
}

void TestCMyTool::safeWriteBeyondMaxPath()
{
    // A program folder so deep that a data file's path passes Windows' old 260-character limit.
    TestEnv env;
    QString folder = env.dir();
    for (int i = 0; folder.size() < 300; ++i) {
        folder += QStringLiteral("代发工资文件夹%1/").arg(i, 2, 10, QLatin1Char('0'));
    }
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("跨行代发-20201231.txt");
    QVERIFY(path.size() > 260);
    QString error;
    QVERIFY2(SafeWrite::writeFile(path, "first\r\n", &error), qPrintable(error));
    QVERIFY2(SafeWrite::writeFile(path, newContents(), &error), qPrintable(error));
    QByteArray data;
    QVERIFY(SafeWrite::readFile(path, &data));
    QCOMPARE(data, newContents());
    QCOMPARE(Faults::entries(folder), QStringList{QStringLiteral("跨行代发-20201231.txt")});
}

void TestCMyTool::moduleDir()
{
    QVERIFY(CMyTool::GetModuleDir().endsWith('/'));
    QCOMPARE(CMyTool::GetModuleDir(), QCoreApplication::applicationDirPath() + '/');
    {
        TestEnv env;
        QCOMPARE(CMyTool::GetModuleDir(), env.dir());
        QCOMPARE(CMyTool::DataFilePath("BankNo.txt"), env.dir() + "BankNo.txt");
    }
    QCOMPARE(CMyTool::GetModuleDir(), QCoreApplication::applicationDirPath() + '/');
}

QTEST_GUILESS_MAIN(TestCMyTool)
#include "tst_cmytool.moc"
