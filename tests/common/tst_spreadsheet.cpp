#include "TestEnv.h"
#include "common/core/SpreadsheetReader.h"
#include "common/core/SpreadsheetWriter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtEndian>
#include <QtTest>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

using Type = SpreadsheetCell::Type;

Q_DECLARE_METATYPE(SpreadsheetReader::Format)
Q_DECLARE_METATYPE(SpreadsheetCell::Type)

namespace {

// Says why a workbook did not open, for the failure message.
QByteArray openError(const SpreadsheetReader& reader)
{
    return "reader error " + QByteArray::number(int(reader.error()));
}

QString sample(const QString& name)
{
    return testData(QStringLiteral("spreadsheets/") + name);
}

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// One expected cell: its position, type and (for text) its exact text.
struct Expect
{
    int row;
    int column;
    Type type;
    QString text;
};

void checkCells(const SpreadsheetReader& reader, const QList<Expect>& expected)
{
    for (const Expect& e : expected) {
        const SpreadsheetCell cell = reader.cell(e.row, e.column);
        const QByteArray where = QByteArray::number(e.row) + "," + QByteArray::number(e.column);
        QVERIFY2(cell.type() == e.type, where.constData());
        QCOMPARE(cell.text(), e.type == Type::Text ? e.text : QString());
    }
}

// Every cell of the used range that the list does not name must be empty.
void checkNothingElse(const SpreadsheetReader& reader, const QList<Expect>& expected)
{
    const SpreadsheetRange range = reader.usedRange();
    for (int r = range.firstRow; r <= range.lastRow(); ++r) {
        for (int c = range.firstColumn; c <= range.lastColumn(); ++c) {
            const bool named = std::any_of(expected.begin(), expected.end(),
                                           [&](const Expect& e) { return e.row == r && e.column == c; });
            if (!named) {
                QVERIFY2(reader.cell(r, c).isEmpty(),
                         (QByteArray::number(r) + "," + QByteArray::number(c)).constData());
            }
        }
    }
}

// A ZIP package that is not a workbook (as a word-processing document would be).
bool writeZip(const QString& path, const QString& entry, const QByteArray& content)
{
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdCreate)) {
        return false;
    }
    QuaZipFile file(&zip);
    if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(entry))) {
        return false;
    }
    file.write(content);
    file.close();
    zip.close();
    return zip.getZipError() == 0;
}

// A workbook of one sheet with the given <sheetData> rows and, if given, a shared string table.
bool writePackage(const QString& path, const QByteArray& rows, const QByteArray& sharedStrings = QByteArray())
{
    const QByteArray rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    QList<QPair<QString, QByteArray>> parts = {
        {QStringLiteral("_rels/.rels"),
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"" +
             rel + "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
        {QStringLiteral("xl/workbook.xml"),
         "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" xmlns:r=\"" + rel +
             "\"><sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {QStringLiteral("xl/_rels/workbook.xml.rels"),
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"" +
             rel + "/worksheet\" Target=\"s.xml\"/><Relationship Id=\"rId2\" Type=\"" + rel +
             "/sharedStrings\" Target=\"strings.xml\"/></Relationships>"},
        {QStringLiteral("xl/s.xml"), "<worksheet><sheetData>" + rows + "</sheetData></worksheet>"},
    };
    if (!sharedStrings.isEmpty()) {
        parts.append({QStringLiteral("xl/strings.xml"), sharedStrings});
    }
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdCreate)) {
        return false;
    }
    for (const auto& [name, content] : parts) {
        QuaZipFile file(&zip);
        if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(name)) || file.write(content) != content.size()) {
            return false;
        }
        file.close();
    }
    zip.close();
    return zip.getZipError() == 0;
}

const char* const OpenpyxlDump = R"(
import json, sys
import openpyxl
wb = openpyxl.load_workbook(open(sys.argv[1], "rb"))
ws = wb.active
cells = [[c.row, c.column, c.data_type, c.number_format, c.value]
         for row in ws.iter_rows() for c in row if c.value is not None]
col = ws.column_dimensions["A"]
print(json.dumps({"sheets": wb.sheetnames, "cells": cells,
                  "columnFormat": col.number_format, "columnMin": col.min, "columnMax": col.max}))
)";

} // namespace

namespace {

// openpyxl, an independent reader, run by Debian's python3.
#ifdef Q_OS_WIN
constexpr char kNoOpenpyxl[] = "openpyxl is run by the Linux /usr/bin/python3, which a Windows program cannot wait for";
#else
constexpr char kNoOpenpyxl[] = "/usr/bin/python3 with openpyxl is not available";
#endif

bool openpyxlAvailable()
{
#ifdef Q_OS_WIN
    return false;
#else
    QProcess probe;
    probe.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QStringLiteral("import openpyxl")});
    return probe.waitForFinished(30000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0;
#endif
}

} // namespace

class TestSpreadsheet : public QObject
{
    Q_OBJECT

private slots:
    void openpyxlWorkbook();
    void sameContentFromThreeWriters_data();
    void sameContentFromThreeWriters();
    void biffFormulaTruthAndErrorRecords();
    void biffContinuedStringsAndMultipleCells();
    void escapesNeedFourHexDigits();
    void formatFollowsContentNotName_data();
    void formatFollowsContentNotName();
    void failures_data();
    void failures();
    void missingFile();
    void reopenForgetsPreviousWorkbook();
    void writerRoundTrip();
    void writerOutputReadByOpenpyxl();
    void writerReplacesExistingFile();
    void writerFailureLeavesNothing();
    void writerTextsReadBackUnchanged_data();
    void writerTextsReadBackUnchanged();
    void writerRefusesTextOverTheCellLimit();
    void hostileFiles_data();
    void hostileFiles();
    void compoundChainLoopIsDamage();
    void shapesOtherProgramsSave_data();
    void shapesOtherProgramsSave();
    void documentTypeIsRefusedAtOnce();
    void hundredThousandRows();
};

// openpyxl: inline strings, a formula it cannot calculate, a styled cell and a column format
// outside the values, the second of two sheets active.
void TestSpreadsheet::openpyxlWorkbook()
{
    SpreadsheetReader reader;
    QVERIFY2(reader.open(sample(QStringLiteral("openpyxl.xlsx"))), openError(reader));
    QCOMPARE(reader.format(), SpreadsheetReader::Format::Xlsx);
    QCOMPARE(reader.error(), SpreadsheetReader::Error::None);
    QCOMPARE(reader.sheetNames(), QStringList({QStringLiteral("说明"), QStringLiteral("名单")}));
    QCOMPARE(reader.activeSheetIndex(), 1);
    QCOMPARE(reader.activeSheetName(), QStringLiteral("名单"));

    // The file's <dimension> says C3:H12 because of the styled H12; values span C3:F8.
    const SpreadsheetRange range = reader.usedRange();
    QCOMPARE(range.firstRow, 3);
    QCOMPARE(range.firstColumn, 3);
    QCOMPARE(range.rowCount, 6);
    QCOMPARE(range.columnCount, 4);
    QCOMPARE(range.lastRow(), 8);
    QCOMPARE(range.lastColumn(), 6);

    const QList<Expect> expected = {
        {3, 3, Type::Text, QStringLiteral("收款人账户")},
        {3, 4, Type::Text, QStringLiteral("收款人名称")},
        {3, 5, Type::Text, QStringLiteral("金额")},
        {4, 3, Type::Text, QStringLiteral("6222020200012345678")},
        {4, 4, Type::Text, QStringLiteral("张三")},
        {4, 5, Type::Text, QStringLiteral("100.00")},
        {5, 3, Type::Number, {}}, // 12.5
        {5, 4, Type::Other, {}}, // TRUE
        {5, 5, Type::Other, {}}, // a date
        {6, 3, Type::Other, {}}, // a formula saved without its result
        {6, 4, Type::Text, QStringLiteral("  前后空格  ")},
        {6, 5, Type::Text, QStringLiteral("A&B <c> \"q\"")},
        {8, 6, Type::Text, QStringLiteral("末格")},
    };
    checkCells(reader, expected);
    checkNothingElse(reader, expected);
    QCOMPARE(reader.cell(5, 3).rawValue(), QStringLiteral("12.5"));
    QCOMPARE(reader.cell(5, 4).rawValue(), QStringLiteral("1"));
    // Outside the values: the styled cell, the formatted column, the other sheet's A1.
    QVERIFY(reader.cell(12, 8).isEmpty());
    QVERIFY(reader.cell(4, 10).isEmpty());
    QVERIFY(reader.cell(1, 1).isEmpty());
    QVERIFY(reader.cell(0, 1).isEmpty());
    QVERIFY(reader.cell(1, 20000).isEmpty());
}

// handmade.xlsx spells out in raw XML what Excel and others write; LibreOffice opened it and saved
// it as .xlsx and as .xls. All three must read the same.
void TestSpreadsheet::sameContentFromThreeWriters_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<SpreadsheetReader::Format>("format");
    QTest::addColumn<QString>("lines");
    QTest::addColumn<bool>("formulaTextSaved");
    // LibreOffice keeps only the LF of the escaped CR LF when it opens the file, and its .xls
    // export saves 0 instead of a formula's text result.
    QTest::newRow("handmade xlsx") << QStringLiteral("handmade.xlsx") << SpreadsheetReader::Format::Xlsx
                                   << QStringLiteral("line1\r\nline2") << true;
    QTest::newRow("LibreOffice xlsx") << QStringLiteral("libreoffice.xlsx") << SpreadsheetReader::Format::Xlsx
                                      << QStringLiteral("line1\nline2") << true;
    QTest::newRow("LibreOffice xls") << QStringLiteral("libreoffice.xls") << SpreadsheetReader::Format::Xls
                                     << QStringLiteral("line1\nline2") << false;
}

void TestSpreadsheet::sameContentFromThreeWriters()
{
    QFETCH(QString, file);
    QFETCH(SpreadsheetReader::Format, format);
    QFETCH(QString, lines);
    QFETCH(bool, formulaTextSaved);
    const bool libreOffice = file.startsWith(QLatin1String("libreoffice"));

    // Also under a Chinese file name, which must reach every library intact.
    TestEnv env;
    const QString path = env.path(QStringLiteral("收款人名单-") + file);
    QVERIFY(QFile::copy(sample(file), path));

    SpreadsheetReader reader;
    QVERIFY2(reader.open(path), openError(reader));
    QCOMPARE(reader.format(), format);
    QCOMPARE(reader.sheetNames(),
             QStringList({QStringLiteral("封面"), QStringLiteral("数据"), QStringLiteral("空表")}));
    QCOMPARE(reader.activeSheetIndex(), 1);

    // Values in B2:F7; a whole-sheet column format, a styled D2, a styled row 9 and a styled H20
    // (and, in handmade.xlsx, a <dimension> of A1:XFD1048576) do not count.
    const SpreadsheetRange range = reader.usedRange();
    QCOMPARE(range.firstRow, 2);
    QCOMPARE(range.firstColumn, 2);
    QCOMPARE(range.rowCount, 6);
    QCOMPARE(range.columnCount, 5);

    const QList<Expect> expected = {
        {2, 2, Type::Text, QStringLiteral("收款人账户")}, // rich text; its phonetic run is left out
        {2, 3, Type::Text, lines},
        {3, 2, Type::Text, QStringLiteral("6222020200012345678")},
        formulaTextSaved ? Expect{3, 3, Type::Text, QStringLiteral("abcdef")} : Expect{3, 3, Type::Number, {}},
        {3, 4, Type::Other, {}}, // FALSE
        {5, 2, Type::Other, {}}, // #DIV/0!
        // a date; LibreOffice keeps its serial number under the column's text format
        {5, 3, libreOffice ? Type::Number : Type::Other, {}},
        {5, 4, Type::Other, {}}, // a number formatted as a date
        {5, 5, Type::Number, {}}, // 1500
        {6, 2, Type::Text, QStringLiteral("A&B <c> \"q\" 收")},
        {6, 3, Type::Text, QStringLiteral(" 两端空格 ")},
        {6, 4, libreOffice ? Type::Number : Type::Other, {}}, // NOW(): never calculated in handmade.xlsx
        {7, 6, Type::Text, QStringLiteral("_x0041_")},
    };
    checkCells(reader, expected);
    checkNothingElse(reader, expected);
    QVERIFY(reader.cell(2, 4).isEmpty());
    QVERIFY(reader.cell(9, 1).isEmpty());
    QVERIFY(reader.cell(20, 8).isEmpty());
    QCOMPARE(reader.cell(5, 5).rawValue().toDouble(), 1500.0);
}

// handmade.xls: formula results, truth and error values, a text
// result continued over two records, and the second sheet active.
void TestSpreadsheet::biffFormulaTruthAndErrorRecords()
{
    SpreadsheetReader reader;
    QVERIFY2(reader.open(sample(QStringLiteral("handmade.xls"))), openError(reader));
    QCOMPARE(reader.format(), SpreadsheetReader::Format::Xls);
    QCOMPARE(reader.sheetNames(), QStringList({QStringLiteral("第一页"), QStringLiteral("第二页")}));
    QCOMPARE(reader.activeSheetIndex(), 1);
    const SpreadsheetRange range = reader.usedRange();
    QCOMPARE(range.firstRow, 2);
    QCOMPARE(range.firstColumn, 2);
    QCOMPARE(range.rowCount, 4);
    QCOMPARE(range.columnCount, 5); // F3 holds an empty text; the BLANK F5 does not count
    const QList<Expect> expected = {
        {2, 2, Type::Text, QStringLiteral("收款人账户")},
        {2, 3, Type::Text, QStringLiteral("标签")},
        {3, 2, Type::Text, QStringLiteral("公式结果")},
        {3, 3, Type::Text, QStringLiteral("abcdefghij")},
        {3, 4, Type::Other, {}}, // =TRUE
        {3, 5, Type::Other, {}}, // #DIV/0!
        {3, 6, Type::Text, QString()},
        {4, 2, Type::Other, {}}, // TRUE
        {4, 3, Type::Other, {}}, // #N/A
        {4, 4, Type::Number, {}}, // 12.5
        {4, 5, Type::Number, {}}, // 100
        {5, 2, Type::Number, {}}, // =42
    };
    checkCells(reader, expected);
    checkNothingElse(reader, expected);
    QCOMPARE(reader.cell(4, 4).rawValue(), QStringLiteral("12.5"));
    QCOMPARE(reader.cell(5, 2).rawValue(), QStringLiteral("42"));
    QVERIFY(reader.cell(1, 1).isEmpty()); // the first sheet's A1 is not read
}

// records.xls: a shared string table over CONTINUE records (a width switch inside a string, rich
// runs and a phonetic block split by a record boundary), RSTRING, MULRK, MULBLANK, a long LABEL
// continued, an embedded chart's records, and WINDOW1 naming a chart sheet.
void TestSpreadsheet::biffContinuedStringsAndMultipleCells()
{
    SpreadsheetReader reader;
    QVERIFY2(reader.open(sample(QStringLiteral("records.xls"))), openError(reader));
    QCOMPARE(reader.sheetNames(), QStringList({QStringLiteral("数据")})); // the chart sheet is no worksheet
    QCOMPARE(reader.activeSheetIndex(), 0);
    const SpreadsheetRange range = reader.usedRange();
    QCOMPARE(range.firstRow, 1);
    QCOMPARE(range.firstColumn, 1);
    QCOMPARE(range.lastRow(), 20); // DIMENSIONS says A1:B2
    QCOMPARE(range.lastColumn(), 8);
    const QList<Expect> expected = {
        {1, 1, Type::Text,
         QString(200, QLatin1Char('a')) + QString(99, QLatin1Char('b')) + QStringLiteral("收")},
        {1, 2, Type::Text, QStringLiteral("张三丰")},
        {1, 3, Type::Text, QString()},
        {1, 4, Type::Text, QStringLiteral("hello")},
        {2, 1, Type::Text, QStringLiteral("富文本格")},
        {3, 2, Type::Number, {}},
        {3, 3, Type::Number, {}},
        {3, 4, Type::Number, {}},
        {20, 8, Type::Text, QString(3000, QChar(0x957F))},
    };
    checkCells(reader, expected);
    checkNothingElse(reader, expected);
    QCOMPARE(reader.cell(3, 4).rawValue(), QStringLiteral("9"));
    QVERIFY(reader.cell(6, 6).isEmpty()); // the chart's LABEL
}

// Shared, inline and formula strings: only _x and exactly four hex digits and _ is an escape.
void TestSpreadsheet::escapesNeedFourHexDigits()
{
    const QStringList stored = {
        QStringLiteral("_x0041_"),       QStringLiteral("_x 41 _"), QStringLiteral("_x+041_"),
        QStringLiteral("_x41_"),         QStringLiteral("_x004G_"), QStringLiteral("_X0041_"),
        QStringLiteral("a_x0041_b"),     QStringLiteral("_x-041_"), QStringLiteral("_x0x41_"),
        QStringLiteral("_x005f_x0041_"),
    };
    const QStringList read = {
        QStringLiteral("A"),       QStringLiteral("_x 41 _"), QStringLiteral("_x+041_"),
        QStringLiteral("_x41_"),   QStringLiteral("_x004G_"), QStringLiteral("_X0041_"),
        QStringLiteral("aAb"),     QStringLiteral("_x-041_"), QStringLiteral("_x0x41_"),
        QStringLiteral("_x0041_"),
    };
    QByteArray shared, rows;
    for (int i = 0; i < stored.size(); ++i) {
        const QByteArray t = stored.at(i).toUtf8();
        shared += "<si><t>" + t + "</t></si>";
        const QByteArray r = QByteArray::number(i + 1);
        rows += "<row r=\"" + r + "\"><c r=\"A" + r + "\" t=\"s\"><v>" + QByteArray::number(i) +
                "</v></c><c r=\"B" + r + "\" t=\"inlineStr\"><is><t>" + t + "</t></is></c><c r=\"C" + r +
                "\" t=\"str\"><f>X()</f><v>" + t + "</v></c></row>";
    }
    TestEnv env;
    const QString path = env.path(QStringLiteral("escapes.xlsx"));
    QVERIFY(writePackage(path, rows, "<sst>" + shared + "</sst>"));
    SpreadsheetReader reader;
    QVERIFY2(reader.open(path), openError(reader));
    for (int i = 0; i < stored.size(); ++i) {
        for (int c = 1; c <= 3; ++c) {
            QCOMPARE(reader.cell(i + 1, c).text(), read.at(i));
        }
    }
}

void TestSpreadsheet::formatFollowsContentNotName_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("name");
    QTest::addColumn<SpreadsheetReader::Format>("format");
    QTest::addColumn<QString>("firstText");
    QTest::newRow(".xlsx named .xls") << QStringLiteral("openpyxl.xlsx") << QStringLiteral("名单.xls")
                                      << SpreadsheetReader::Format::Xlsx << QStringLiteral("收款人账户");
    QTest::newRow(".xls named .xlsx") << QStringLiteral("libreoffice.xls") << QStringLiteral("book.xlsx")
                                      << SpreadsheetReader::Format::Xls << QStringLiteral("收款人账户");
    QTest::newRow(".xlsx named .txt") << QStringLiteral("libreoffice.xlsx") << QStringLiteral("book.txt")
                                      << SpreadsheetReader::Format::Xlsx << QStringLiteral("收款人账户");
}

void TestSpreadsheet::formatFollowsContentNotName()
{
    QFETCH(QString, file);
    QFETCH(QString, name);
    QFETCH(SpreadsheetReader::Format, format);
    QFETCH(QString, firstText);
    TestEnv env;
    QVERIFY(QFile::copy(sample(file), env.path(name)));
    SpreadsheetReader reader;
    QVERIFY2(reader.open(env.path(name)), openError(reader));
    QCOMPARE(reader.format(), format);
    const SpreadsheetRange range = reader.usedRange();
    QCOMPARE(reader.cell(range.firstRow, range.firstColumn).text(), firstText);
}

void TestSpreadsheet::failures_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<SpreadsheetReader::Error>("error");

    const QByteArray xlsx = fileBytes(sample(QStringLiteral("openpyxl.xlsx")));
    const QByteArray xls = fileBytes(sample(QStringLiteral("libreoffice.xls")));
    QVERIFY(xlsx.size() > 4000 && xls.size() > 4000);

    // Garbles the compressed data of the active sheet's part (its local header names it first).
    QByteArray flipped = xlsx;
    const qsizetype sheetPart = xlsx.indexOf("xl/worksheets/sheet2.xml");
    QVERIFY(sheetPart > 0);
    for (qsizetype i = sheetPart + 40; i < sheetPart + 240; ++i) {
        flipped[i] = char(flipped[i] ^ 0x5A);
    }
    QByteArray xlsGarbled = xls;
    for (int i = 512; i < xlsGarbled.size(); ++i) {
        xlsGarbled[i] = char(0xFF); // everything after the header
    }

    QTest::newRow("truncated xlsx") << xlsx.left(xlsx.size() / 2) << SpreadsheetReader::Error::Damaged;
    QTest::newRow("garbled xlsx") << flipped << SpreadsheetReader::Error::Damaged;
    QTest::newRow("bare PK") << QByteArray("PK\x03\x04 not really a zip")
                             << SpreadsheetReader::Error::Damaged;
    QTest::newRow("truncated xls") << xls.left(3000) << SpreadsheetReader::Error::Damaged;
    QTest::newRow("garbled xls") << xlsGarbled << SpreadsheetReader::Error::Damaged;
    QTest::newRow("OLE2 header only") << xls.left(512) << SpreadsheetReader::Error::Damaged;
    QTest::newRow("text file") << QByteArray("\xca\xd5\xbf\xee\xc8\xcb\xd5\xcb\xbb\xa7,100.00\r\n")
                               << SpreadsheetReader::Error::NotSpreadsheet;
    QTest::newRow("empty file") << QByteArray() << SpreadsheetReader::Error::NotSpreadsheet;
    QTest::newRow("encrypted xlsx") << fileBytes(sample(QStringLiteral("encrypted.xlsx")))
                                    << SpreadsheetReader::Error::Encrypted;
    QTest::newRow("encrypted xls") << fileBytes(sample(QStringLiteral("encrypted.xls")))
                                   << SpreadsheetReader::Error::Encrypted;
}

void TestSpreadsheet::failures()
{
    QFETCH(QByteArray, content);
    QFETCH(SpreadsheetReader::Error, error);
    TestEnv env;
    env.write(QStringLiteral("bad.xls"), content);
    SpreadsheetReader reader;
    QVERIFY(!reader.open(env.path(QStringLiteral("bad.xls"))));
    QCOMPARE(reader.error(), error);
    QVERIFY(!reader.isOpen());
    QCOMPARE(reader.format(), SpreadsheetReader::Format::None);
    QVERIFY(reader.usedRange().isEmpty());
    QVERIFY(reader.sheetNames().isEmpty());
}

void TestSpreadsheet::missingFile()
{
    TestEnv env;
    SpreadsheetReader reader;
    QVERIFY(!reader.open(env.path(QStringLiteral("none.xlsx"))));
    QCOMPARE(reader.error(), SpreadsheetReader::Error::CannotOpen);

    // A ZIP package without a workbook is no spreadsheet.
    QVERIFY(
        writeZip(env.path(QStringLiteral("doc.xlsx")), QStringLiteral("word/document.xml"), "<document/>"));
    QVERIFY(!reader.open(env.path(QStringLiteral("doc.xlsx"))));
    QCOMPARE(reader.error(), SpreadsheetReader::Error::NotSpreadsheet);
}

void TestSpreadsheet::reopenForgetsPreviousWorkbook()
{
    TestEnv env;
    SpreadsheetReader reader;
    QVERIFY2(reader.open(sample(QStringLiteral("openpyxl.xlsx"))), openError(reader));
    QVERIFY(reader.cell(4, 3).isText());
    env.write(QStringLiteral("x.xlsx"), "plain text");
    QVERIFY(!reader.open(env.path(QStringLiteral("x.xlsx"))));
    QVERIFY(reader.cell(4, 3).isEmpty());
    QVERIFY2(reader.open(sample(QStringLiteral("libreoffice.xls"))), openError(reader));
    QVERIFY(reader.cell(4, 3).isEmpty());
    QCOMPARE(reader.cell(3, 2).text(), QStringLiteral("6222020200012345678"));
    reader.close();
    QVERIFY(!reader.isOpen());
    QVERIFY(reader.cell(3, 2).isEmpty());
}

namespace {

// The batch export's layout: a header and lines whose texts must come back unchanged.
QList<QStringList> exportRows()
{
    return {
        {QStringLiteral("收款人账户"), QStringLiteral("收款人名称"), QStringLiteral("金额")},
        {QStringLiteral("6222020200012345678"), QStringLiteral("张三"), QStringLiteral("100.00")},
        {QStringLiteral("0012345"), QStringLiteral("欧阳 娜娜"), QStringLiteral("0.50")},
        {QStringLiteral("1E5"), QStringLiteral("A&B <c> \"q\" _x0041_"), QStringLiteral("  7  ")},
    };
}

bool writeExport(const QString& path, QString* error = nullptr)
{
    SpreadsheetWriter writer(QStringLiteral("kxp-tool"));
    const QList<QStringList> rows = exportRows();
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < rows[r].size(); ++c) {
            writer.setText(r + 1, c + 1, rows[r][c]);
        }
    }
    return writer.save(path, error);
}

} // namespace

void TestSpreadsheet::writerRoundTrip()
{
    TestEnv env;
    const QString path = env.path(QStringLiteral("行内批量-20201231.xls"));
    QString error;
    QVERIFY2(writeExport(path, &error), qPrintable(error));
    // Only the file itself is left behind, no temporary.
    QCOMPARE(QDir(env.dir()).entryList(QDir::Files | QDir::Hidden),
             QStringList({QStringLiteral("行内批量-20201231.xls")}));

    SpreadsheetReader reader;
    QVERIFY2(reader.open(path), openError(reader));
    QCOMPARE(reader.format(), SpreadsheetReader::Format::Xlsx);
    QCOMPARE(reader.sheetNames(), QStringList({QStringLiteral("kxp-tool")}));
    QCOMPARE(reader.activeSheetIndex(), 0);
    const QList<QStringList> rows = exportRows();
    const SpreadsheetRange range = reader.usedRange();
    QCOMPARE(range.firstRow, 1);
    QCOMPARE(range.firstColumn, 1);
    QCOMPARE(range.rowCount, int(rows.size()));
    QCOMPARE(range.columnCount, 3);
    for (int r = 0; r < rows.size(); ++r) {
        for (int c = 0; c < 3; ++c) {
            const SpreadsheetCell cell = reader.cell(r + 1, c + 1);
            QVERIFY(cell.isText());
            QCOMPARE(cell.text(), rows[r][c]);
        }
    }
    QVERIFY(reader.cell(1, 4).isEmpty());
}

void TestSpreadsheet::writerOutputReadByOpenpyxl()
{
    if (!openpyxlAvailable()) {
        QSKIP(kNoOpenpyxl);
    }

    TestEnv env;
    const QString path = env.path(QStringLiteral("行内批量-20201231.xls"));
    QVERIFY(writeExport(path));

    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), QString::fromUtf8(OpenpyxlDump), path});
    QVERIFY(python.waitForFinished(60000));
    QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
    QJsonParseError parseError;
    const QJsonObject dump = QJsonDocument::fromJson(python.readAllStandardOutput(), &parseError).object();
    QCOMPARE(parseError.error, QJsonParseError::NoError);

    QCOMPARE(dump.value(QStringLiteral("sheets")).toArray(), QJsonArray({QStringLiteral("kxp-tool")}));
    // The whole sheet carries the text format, not only the cells written.
    QCOMPARE(dump.value(QStringLiteral("columnFormat")).toString(), QStringLiteral("@"));
    QCOMPARE(dump.value(QStringLiteral("columnMin")).toInt(), 1);
    QCOMPARE(dump.value(QStringLiteral("columnMax")).toInt(), 16384);

    const QList<QStringList> rows = exportRows();
    const QJsonArray cells = dump.value(QStringLiteral("cells")).toArray();
    QCOMPARE(cells.size(), rows.size() * 3);
    for (const QJsonValue& value : cells) {
        const QJsonArray cell = value.toArray();
        const int row = cell.at(0).toInt();
        const int column = cell.at(1).toInt();
        QVERIFY(row >= 1 && row <= rows.size() && column >= 1 && column <= 3);
        QCOMPARE(cell.at(2).toString(), QStringLiteral("s"));
        QCOMPARE(cell.at(3).toString(), QStringLiteral("@"));
        QVERIFY(cell.at(4).isString());
        QCOMPARE(cell.at(4).toString(), rows[row - 1][column - 1]);
    }
}

void TestSpreadsheet::writerReplacesExistingFile()
{
    TestEnv env;
    const QString path = env.path(QStringLiteral("out.xlsx"));
    env.write(QStringLiteral("out.xlsx"), "old content");
    SpreadsheetWriter writer(QStringLiteral("kxp-tool"));
    writer.setText(2, 2, QStringLiteral("第一次"));
    writer.setText(2, 2, QStringLiteral("第二次"));
    writer.setText(3, 1, QString());
    QVERIFY(writer.save(path));
    SpreadsheetReader reader;
    QVERIFY2(reader.open(path), openError(reader));
    QCOMPARE(reader.cell(2, 2).text(), QStringLiteral("第二次"));
    // Empty text leaves a formatted cell without a value.
    QVERIFY(reader.cell(3, 1).isEmpty());
    QCOMPARE(reader.usedRange().rowCount, 1);
    QCOMPARE(QDir(env.dir()).entryList(QDir::Files | QDir::Hidden),
             QStringList({QStringLiteral("out.xlsx")}));
}

void TestSpreadsheet::writerFailureLeavesNothing()
{
    TestEnv env;
    QString error;
    // A folder that does not exist.
    QVERIFY(!writeExport(env.path(QStringLiteral("missing/out.xls")), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!QFile::exists(env.path(QStringLiteral("missing/out.xls"))));

    // A name taken by a folder.
    QVERIFY(QDir(env.dir()).mkdir(QStringLiteral("taken.xls")));
    QVERIFY(!writeExport(env.path(QStringLiteral("taken.xls"))));

    // A sheet name the format refuses, and a cell outside the sheet: the old file stays as it was.
    env.write(QStringLiteral("keep.xls"), "old content");
    SpreadsheetWriter badName(QStringLiteral("a/b"));
    badName.setText(1, 1, QStringLiteral("x"));
    QVERIFY(!badName.save(env.path(QStringLiteral("keep.xls"))));
    SpreadsheetWriter badCell(QStringLiteral("kxp-tool"));
    badCell.setText(1, 1, QStringLiteral("x"));
    badCell.setText(0, 1, QStringLiteral("y"));
    QVERIFY(!badCell.save(env.path(QStringLiteral("keep.xls")), &error));
    QCOMPARE(env.read(QStringLiteral("keep.xls")), QByteArray("old content"));
    QCOMPARE(QDir(env.dir()).entryList(QDir::Files | QDir::Hidden),
             QStringList({QStringLiteral("keep.xls")}));
}

namespace {

// openpyxl 3.0.9 (Debian 12) decodes no _xHHHH_ escape in cells and deletes every "x005F_" from
// shared strings: a text with a control character other than tab, LF and CR, or with "x005F_",
// cannot come back through it whatever a writer does. Everything else must.
bool openpyxlCanHold(const QString& text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x20 && c != QLatin1Char('\t') && c != QLatin1Char('\n') &&
            c != QLatin1Char('\r')) {
            return false;
        }
    }
    return !text.contains(QLatin1String("x005F_"));
}

} // namespace

void TestSpreadsheet::writerTextsReadBackUnchanged_data()
{
    QTest::addColumn<QString>("text");
    const QString limit(SpreadsheetWriter::MaxTextLength, QChar(0x6536));
    QTest::newRow("escape-like") << QStringLiteral("_x0041_");
    QTest::newRow("escape-like, control after") << QStringLiteral("_x0041") + QChar(0x01);
    QTest::newRow("escape-like, unit separator after") << QStringLiteral("_x0041") + QChar(0x1F);
    QTest::newRow("escaped underscore") << QStringLiteral("_x005F_");
    QTest::newRow("escaped underscore twice") << QStringLiteral("_x005F_x005F_");
    QTest::newRow("escape-like without end") << QStringLiteral("_x0041");
    QTest::newRow("escape-like after underscore") << QStringLiteral("__x0041_");
    QTest::newRow("escape-like in text") << QStringLiteral("A_x0041_B_x00e9_C");
    QTest::newRow("not quite escapes") << QStringLiteral("_x 41 _ _x+041_ _x41_");
    QTest::newRow("line ends and tab") << QStringLiteral("a\r\nb\rc\nd\te");
    QTest::newRow("CR alone") << QStringLiteral("\r");
    QTest::newRow("controls") << QStringLiteral("\x01\x02\x1B\x7F end");
    QTest::newRow("markup") << QStringLiteral("A&B <c> \"q\" 'd' ]]>");
    QTest::newRow("cell limit") << limit;
    QTest::newRow("cell limit of escape-likes") << QStringLiteral("_x0041_").repeated(4681);
    QTest::newRow("cell limit of controls") << QString(SpreadsheetWriter::MaxTextLength, QChar(0x01));
    QTest::newRow("cell limit, escape-like at the end")
        << QString(SpreadsheetWriter::MaxTextLength - 6, QLatin1Char('z')) + QStringLiteral("_x0041");
}

// Every text the export writes comes back unchanged through our reader and through openpyxl.
void TestSpreadsheet::writerTextsReadBackUnchanged()
{
    QFETCH(QString, text);
    TestEnv env;
    const QString path = env.path(QStringLiteral("texts.xlsx"));
    SpreadsheetWriter writer(QStringLiteral("kxp-tool"));
    writer.setText(1, 1, text);
    writer.setText(2, 1, QStringLiteral("x") + text); // after another character
    writer.setText(3, 1, text + QChar(0x01));         // before an escape
    QString error;
    QVERIFY2(writer.save(path, &error) || text.size() == SpreadsheetWriter::MaxTextLength, qPrintable(error));
    if (!QFile::exists(path)) {
        // The two longer variants are over the limit; write the text alone.
        SpreadsheetWriter alone(QStringLiteral("kxp-tool"));
        alone.setText(1, 1, text);
        QVERIFY2(alone.save(path, &error), qPrintable(error));
    }
    const QStringList texts = {text, QStringLiteral("x") + text, text + QChar(0x01)};
    SpreadsheetReader reader;
    QVERIFY2(reader.open(path), openError(reader));
    const int rows = reader.usedRange().rowCount;
    for (int r = 1; r <= rows; ++r) {
        QVERIFY(reader.cell(r, 1).isText());
        QCOMPARE(reader.cell(r, 1).text(), texts.at(r - 1));
    }

    if (!openpyxlAvailable()) {
        QSKIP(kNoOpenpyxl);
    }
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral("-c"), QString::fromUtf8(OpenpyxlDump), path});
    QVERIFY(python.waitForFinished(60000));
    QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
    const QJsonArray cells = QJsonDocument::fromJson(python.readAllStandardOutput())
                                 .object()
                                 .value(QStringLiteral("cells"))
                                 .toArray();
    QCOMPARE(cells.size(), rows);
    for (const QJsonValue& value : cells) {
        const QJsonArray cell = value.toArray();
        const QString expected = texts.at(cell.at(0).toInt() - 1);
        if (openpyxlCanHold(expected)) {
            QCOMPARE(cell.at(4).toString(), expected);
        }
    }
}

void TestSpreadsheet::writerRefusesTextOverTheCellLimit()
{
    TestEnv env;
    SpreadsheetWriter writer(QStringLiteral("kxp-tool"));
    writer.setText(1, 1, QString(SpreadsheetWriter::MaxTextLength + 1, QLatin1Char('a')));
    QString error;
    QVERIFY(!writer.save(env.path(QStringLiteral("long.xlsx")), &error));
    QVERIFY(error.contains(QStringLiteral("32767")));
    QVERIFY(!env.exists(QStringLiteral("long.xlsx")));
}

// The files under tests/fuzz/regressions that once froze the program or took gigabytes: each is
// refused at once. (Memory is measured in a child process by tst_workbookmemory.)
void TestSpreadsheet::hostileFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<SpreadsheetReader::Error>("error");
    using E = SpreadsheetReader::Error;
    QTest::newRow("zip bomb") << QStringLiteral("fuzz_xlsx_reader/zip-bomb.xlsx") << E::TooLarge;
    QTest::newRow("zip bomb, size understated")
        << QStringLiteral("fuzz_xlsx_reader/zip-bomb-small-size.xlsx") << E::Damaged;
    QTest::newRow("more cells than a sheet holds")
        << QStringLiteral("fuzz_xlsx_reader/many-cells.xlsx") << E::TooLarge;
    QTest::newRow("FAT amplified 16 KB")
        << QStringLiteral("fuzz_xls_reader/fat-amplified-16k.xls") << E::Damaged;
    QTest::newRow("FAT amplified 64 KB")
        << QStringLiteral("fuzz_xls_reader/fat-amplified-64k.xls") << E::Damaged;
    QTest::newRow("FAT amplified 256 KB")
        << QStringLiteral("fuzz_xls_reader/fat-amplified-256k.xls") << E::Damaged;
    QTest::newRow("huge DIMENSIONS, FAT sector twice")
        << QStringLiteral("fuzz_xls_reader/huge-dimensions.xls") << E::Damaged;
}

void TestSpreadsheet::hostileFiles()
{
    QFETCH(QString, file);
    QFETCH(SpreadsheetReader::Error, error);
    QElapsedTimer timer;
    timer.start();
    SpreadsheetReader reader;
    QVERIFY(!reader.open(QStringLiteral(DXBK_SOURCE_DIR "/tests/fuzz/regressions/") + file));
    QCOMPARE(reader.error(), error);
    QVERIFY(reader.usedRange().isEmpty());
    // Seconds even with the sanitizers: the million cells of many-cells.xlsx are the slowest.
    QVERIFY2(timer.elapsed() < 60000, QByteArray::number(timer.elapsed()));
}

void TestSpreadsheet::shapesOtherProgramsSave_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<Type>("type");
    QTest::addColumn<QString>("value"); // the text, or the number as stored
    QTest::newRow("xls ending inside its last sector")
        << QStringLiteral("fuzz_xls_reader/short-last-sector.xls") << 300 << 1 << Type::Number << "300";
    QTest::newRow("FORMULA 0x0406 in BIFF8, a number")
        << QStringLiteral("fuzz_xls_reader/old-formula-id.xls") << 1 << 1 << Type::Number << "42";
    QTest::newRow("FORMULA 0x0406 in BIFF8, a text")
        << QStringLiteral("fuzz_xls_reader/old-formula-id.xls") << 1 << 2 << Type::Text << QStringLiteral("旧公式");
    QTest::newRow("shared string <v/>")
        << QStringLiteral("fuzz_xlsx_reader/empty-shared-string.xlsx") << 1 << 1 << Type::Empty << QString();
    QTest::newRow("shared string beside it")
        << QStringLiteral("fuzz_xlsx_reader/empty-shared-string.xlsx") << 1 << 2 << Type::Text << "x";
}

void TestSpreadsheet::shapesOtherProgramsSave()
{
    QFETCH(QString, file);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(Type, type);
    QFETCH(QString, value);
    SpreadsheetReader reader;
    QVERIFY2(reader.open(QStringLiteral(DXBK_SOURCE_DIR "/tests/fuzz/regressions/") + file), openError(reader));
    const SpreadsheetCell cell = reader.cell(row, column);
    QCOMPARE(cell.type(), type);
    QCOMPARE(type == Type::Text ? cell.text() : cell.rawValue(), value);
}

// Entities nested five deep in a sheet's DTD: refused (Excel writes none) before any expansion.
void TestSpreadsheet::documentTypeIsRefusedAtOnce()
{
    QElapsedTimer timer;
    timer.start();
    SpreadsheetReader reader;
    QVERIFY(!reader.open(QStringLiteral(DXBK_SOURCE_DIR "/tests/fuzz/regressions/fuzz_xlsx_reader/nested-entities.xlsx")));
    QCOMPARE(reader.error(), SpreadsheetReader::Error::Damaged);
    QVERIFY2(timer.elapsed() < 2000, QByteArray::number(timer.elapsed()));
}

// A directory chain whose FAT entry points back at its own sector.
void TestSpreadsheet::compoundChainLoopIsDamage()
{
    QByteArray xls = fileBytes(sample(QStringLiteral("libreoffice.xls")));
    const auto u32 = [&](int pos) { return qFromLittleEndian<quint32>(xls.constData() + pos); };
    const quint32 directory = u32(0x30);
    const quint32 fat = u32(0x4C);
    QVERIFY(directory < 128);
    qToLittleEndian<quint32>(directory, xls.data() + (fat + 1) * 512 + 4 * directory);
    TestEnv env;
    env.write(QStringLiteral("loop.xls"), xls);
    SpreadsheetReader reader;
    QVERIFY(!reader.open(env.path(QStringLiteral("loop.xls"))));
    QCOMPARE(reader.error(), SpreadsheetReader::Error::Damaged);
}

// A genuine workbook of 100,000 rows is read whole.
void TestSpreadsheet::hundredThousandRows()
{
    TestEnv env;
    const QString path = env.path(QStringLiteral("rows.xlsx"));
    SpreadsheetWriter writer(QStringLiteral("kxp-tool"));
    for (int r = 1; r <= 100000; ++r) {
        writer.setText(r, 1, QStringLiteral("62220202%1").arg(r, 8, 10, QLatin1Char('0')));
        writer.setText(r, 2, QStringLiteral("收款人%1").arg(r));
        writer.setText(r, 3, QStringLiteral("%1.00").arg(r % 1000 + 1));
    }
    QVERIFY(writer.save(path));
    QElapsedTimer timer;
    timer.start();
    SpreadsheetReader reader;
    QVERIFY2(reader.open(path), openError(reader));
    qInfo("100,000 rows read in %lld ms", timer.elapsed());
    QCOMPARE(reader.usedRange().rowCount, 100000);
    QCOMPARE(reader.usedRange().columnCount, 3);
    QCOMPARE(reader.cell(100000, 2).text(), QStringLiteral("收款人100000"));
    QCOMPARE(reader.cell(54321, 1).text(), QStringLiteral("6222020200054321"));
}

QTEST_GUILESS_MAIN(TestSpreadsheet)
#include "tst_spreadsheet.moc"
