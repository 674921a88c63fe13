#include "common/core/SpreadsheetWriter.h"

#include "common/core/SafeWrite.h"

#include <QBuffer>
#include <QHash>
#include <array>
#include <initializer_list>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <zlib.h>

// The package is built with QuaZip rather than libxlsxwriter: both bring their own copy of
// minizip's zip* functions, and with QuaZip loaded libxlsxwriter's calls end up in QuaZip's
// modified copy and crash.

namespace {

const char* const MainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char* const RelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const char* const XmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";

bool isHex(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('F')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
}

bool startsEscape(const QString& text, int i)
{
    return i + 5 < text.size() && text[i] == QLatin1Char('_') && text[i + 1] == QLatin1Char('x') &&
           isHex(text[i + 2]) && isHex(text[i + 3]) && isHex(text[i + 4]) && isHex(text[i + 5]);
}

// Text for an element or attribute. Characters XML cannot carry are written as _xHHHH_, as Excel
// does. A literal "_x" with four hex digits gets its underscore escaped (_x005F_) whatever follows
// it: the next character may itself become an escape, and "_x0041" before "_x0001_" would
// otherwise read back as "A" and "x0001_". CR is a character reference, since XML readers turn a
// literal CR into LF; in attributes tab and LF are too, as readers turn them into spaces.
QByteArray escape(const QString& text, bool attribute = false)
{
    QString out;
    out.reserve(text.size());
    const int n = int(text.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = text[i];
        const ushort u = c.unicode();
        if (c == QLatin1Char('&')) {
            out += QLatin1String("&amp;");
        } else if (c == QLatin1Char('<')) {
            out += QLatin1String("&lt;");
        } else if (c == QLatin1Char('>')) {
            out += QLatin1String("&gt;");
        } else if (c == QLatin1Char('"')) {
            out += QLatin1String("&quot;");
        } else if (u == 0x0D || (attribute && (u == 0x09 || u == 0x0A))) {
            out += QLatin1String("&#") + QString::number(u) + QLatin1Char(';');
        } else if ((u < 0x20 && u != 0x09 && u != 0x0A) || u == 0xFFFE || u == 0xFFFF) {
            out += QLatin1String("_x") +
                   QString::number(u, 16).toUpper().rightJustified(4, QLatin1Char('0')) + QLatin1Char('_');
        } else if (startsEscape(text, i)) {
            out += QLatin1String("_x005F_");
        } else {
            out += c;
        }
    }
    return out.toUtf8();
}

QByteArray columnName(int column)
{
    QByteArray name;
    for (; column > 0; column = (column - 1) / 26) {
        name.prepend(char('A' + (column - 1) % 26));
    }
    return name;
}

QByteArray cellName(int row, int column)
{
    return columnName(column) + QByteArray::number(row);
}

bool validSheetName(const QString& name, QString* why)
{
    static const QString forbidden = QStringLiteral("[]:*?/\\");
    bool ok = !name.isEmpty() && name.size() <= 31 && !name.startsWith(QLatin1Char('\'')) &&
              !name.endsWith(QLatin1Char('\''));
    for (const QChar c : name) {
        ok = ok && !forbidden.contains(c);
    }
    if (!ok) {
        *why = QStringLiteral("invalid sheet name: ") + name;
    }
    return ok;
}

QByteArray contentTypes()
{
    return QByteArray(XmlHead) +
           "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
           "<Default Extension=\"rels\" "
           "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
           "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
           "<Override PartName=\"/xl/workbook.xml\" "
           "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
           "<Override PartName=\"/xl/worksheets/sheet1.xml\" "
           "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/>"
           "<Override PartName=\"/xl/sharedStrings.xml\" "
           "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>"
           "<Override PartName=\"/xl/styles.xml\" "
           "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
           "</Types>";
}

QByteArray relationships(std::initializer_list<std::array<const char*, 3>> list)
{
    QByteArray xml = QByteArray(XmlHead) +
                     "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    for (const auto& [id, type, target] : list) {
        xml += QByteArray("<Relationship Id=\"") + id + "\" Type=\"" + RelNs + '/' + type + "\" Target=\"" +
               target + "\"/>";
    }
    return xml + "</Relationships>";
}

QByteArray workbook(const QString& sheetName)
{
    return QByteArray(XmlHead) + "<workbook xmlns=\"" + MainNs + "\" xmlns:r=\"" + RelNs + "\">" +
           "<bookViews><workbookView activeTab=\"0\"/></bookViews>"
           "<sheets><sheet name=\"" +
           escape(sheetName, true) +
           "\" sheetId=\"1\" r:id=\"rId1\"/></sheets>"
           "</workbook>";
}

// Style 1 is the built-in number format 49, "@".
QByteArray styles()
{
    return QByteArray(XmlHead) + "<styleSheet xmlns=\"" + MainNs + "\">" +
           "<fonts count=\"1\"><font><sz val=\"11\"/><name val=\"Calibri\"/><family "
           "val=\"2\"/></font></fonts>"
           "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
           "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
           "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
           "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
           "borderId=\"0\"/></cellStyleXfs>"
           "<cellXfs count=\"2\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>"
           "<xf numFmtId=\"49\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\" applyNumberFormat=\"1\"/>"
           "</cellXfs>"
           "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/></cellStyles>"
           "</styleSheet>";
}

bool addPart(QuaZip* zip, const QString& name, const QByteArray& data)
{
    QuaZipFile file(zip);
    if (!file.open(QIODevice::WriteOnly, QuaZipNewInfo(name), nullptr, 0, Z_DEFLATED,
                   Z_DEFAULT_COMPRESSION)) {
        return false;
    }
    const bool written = file.write(data) == data.size();
    file.close();
    return written && file.getZipError() == ZIP_OK;
}

} // namespace

SpreadsheetWriter::SpreadsheetWriter(const QString& sheetName) : m_sheetName(sheetName) {}

void SpreadsheetWriter::setText(int row, int column, const QString& text)
{
    m_cells[{row, column}] = text;
}

bool SpreadsheetWriter::save(const QString& path, QString* error) const
{
    QString message;
    QString* why = error ? error : &message;
    if (!validSheetName(m_sheetName, why)) {
        return false;
    }

    // Texts go to the shared string table, as Excel writes them.
    QHash<QString, int> stringIndex;
    QByteArray strings;
    int stringCount = 0;
    QByteArray rows;
    int lastRow = 0, firstColumn = MaxColumns, lastColumn = 1;
    for (const auto& [position, text] : m_cells) {
        const auto [row, column] = position;
        if (row < 1 || row > MaxRows || column < 1 || column > MaxColumns) {
            *why = QStringLiteral("cell outside the sheet");
            return false;
        }
        if (text.size() > MaxTextLength) {
            *why = QStringLiteral("text longer than %1 characters").arg(MaxTextLength);
            return false;
        }
        if (row != lastRow) {
            if (lastRow > 0) {
                rows += "</row>";
            }
            rows += "<row r=\"" + QByteArray::number(row) + "\">";
            lastRow = row;
        }
        firstColumn = std::min(firstColumn, column);
        lastColumn = std::max(lastColumn, column);
        rows += "<c r=\"" + cellName(row, column) + "\" s=\"1\"";
        if (text.isEmpty()) {
            rows += "/>";
        } else {
            auto index = stringIndex.constFind(text);
            if (index == stringIndex.cend()) {
                index = stringIndex.insert(text, int(stringIndex.size()));
                strings += "<si><t xml:space=\"preserve\">" + escape(text) + "</t></si>";
            }
            ++stringCount;
            rows += " t=\"s\"><v>" + QByteArray::number(*index) + "</v></c>";
        }
    }
    if (lastRow > 0) {
        rows += "</row>";
    }
    const QByteArray dimension = m_cells.empty() ? QByteArray("A1")
                                                 : cellName(m_cells.begin()->first.first, firstColumn) + ":" +
                                                       cellName(lastRow, lastColumn);
    const QByteArray sheet = QByteArray(XmlHead) + "<worksheet xmlns=\"" + MainNs + "\">" +
                             "<dimension ref=\"" + dimension + "\"/>" +
                             "<sheetViews><sheetView tabSelected=\"1\" workbookViewId=\"0\"/></sheetViews>"
                             "<sheetFormatPr defaultRowHeight=\"15\"/>"
                             "<cols><col min=\"1\" max=\"16384\" width=\"9.140625\" style=\"1\"/></cols>"
                             "<sheetData>" +
                             rows + "</sheetData></worksheet>";

    const QByteArray sharedStrings = QByteArray(XmlHead) + "<sst xmlns=\"" + MainNs + "\" count=\"" +
                                     QByteArray::number(stringCount) + "\" uniqueCount=\"" +
                                     QByteArray::number(stringIndex.size()) + "\">" + strings + "</sst>";

    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    {
        QuaZip zip(&buffer);
        bool ok = zip.open(QuaZip::mdCreate);
        ok = ok && addPart(&zip, QStringLiteral("[Content_Types].xml"), contentTypes());
        ok = ok && addPart(&zip, QStringLiteral("_rels/.rels"),
                           relationships({{"rId1", "officeDocument", "xl/workbook.xml"}}));
        ok = ok && addPart(&zip, QStringLiteral("xl/workbook.xml"), workbook(m_sheetName));
        ok = ok && addPart(&zip, QStringLiteral("xl/_rels/workbook.xml.rels"),
                           relationships({{"rId1", "worksheet", "worksheets/sheet1.xml"},
                                          {"rId2", "styles", "styles.xml"},
                                          {"rId3", "sharedStrings", "sharedStrings.xml"}}));
        ok = ok && addPart(&zip, QStringLiteral("xl/styles.xml"), styles());
        ok = ok && addPart(&zip, QStringLiteral("xl/sharedStrings.xml"), sharedStrings);
        ok = ok && addPart(&zip, QStringLiteral("xl/worksheets/sheet1.xml"), sheet);
        zip.close();
        if (!ok || zip.getZipError() != ZIP_OK) {
            *why = QStringLiteral("cannot build the workbook package");
            return false;
        }
    }
    // Written through a temporary file beside the target that replaces it only when complete.
    return SafeWrite::writeFile(path, buffer.data(), why);
}
