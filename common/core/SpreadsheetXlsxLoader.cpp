#include "common/core/SpreadsheetXlsxLoader.h"

#include <QHash>
#include <QXmlStreamReader>
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

namespace {

struct Relationship
{
    QString type;
    QString target; // part name without the leading '/', resolved against the source part
};

struct SheetEntry
{
    QString name;
    QString relationshipId;
};

// What the package may ask of us. A part's declared size is checked before it is read, and the
// inflated bytes are counted while it is read, so a package that lies about its sizes (or a
// ZIP bomb) costs no more than these limits.
constexpr int MaxParts = 65536;
constexpr qint64 MaxSheetBytes = 128 * 1024 * 1024;
constexpr qint64 MaxSharedStringsBytes = 64 * 1024 * 1024;
constexpr qint64 MaxOtherPartBytes = 8 * 1024 * 1024;

// The inflated bytes of one part, handed on as a stream and cut off after limit bytes.
class BoundedPart : public QIODevice
{
public:
    BoundedPart(QuaZipFile* file, qint64 limit) : m_file(file), m_limit(limit) {}

    bool isSequential() const override { return true; }
    bool overLimit() const { return m_overLimit; }
    bool failed() const { return m_failed; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (maxSize <= 0) {
            return 0;
        }
        // One byte more than the limit tells a part of exactly the limit from a longer one.
        const qint64 want = std::min(maxSize, m_limit + 1 - m_count);
        if (want <= 0) {
            m_overLimit = true;
            return -1;
        }
        const qint64 got = m_file->read(data, want);
        if (got < 0) {
            m_failed = true;
            return -1;
        }
        m_count += got;
        if (m_count > m_limit) {
            m_overLimit = true;
            return -1;
        }
        return got;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QuaZipFile* m_file;
    qint64 m_limit;
    qint64 m_count = 0;
    bool m_overLimit = false;
    bool m_failed = false;
};

// The ZIP package; every step returns its error and the caller stops at the first one.
class Package
{
public:
    explicit Package(QIODevice* device) : m_zip(device) {}

    SpreadsheetError open()
    {
        if (!m_zip.open(QuaZip::mdUnzip)) {
            return SpreadsheetError::Damaged;
        }
        // Every lookup walks the central directory.
        return m_zip.getEntriesCount() > MaxParts ? SpreadsheetError::TooLarge : SpreadsheetError::None;
    }

    // Part names are case-insensitive in a package.
    bool has(const QString& part) { return m_zip.setCurrentFile(part, QuaZip::csInsensitive); }

    // Hands the part to parse as a stream of at most limit bytes. parse returns its own error; a
    // part beyond the limit is TooLarge, a read or CRC error Damaged.
    template <typename Parse> SpreadsheetError stream(const QString& part, qint64 limit, Parse parse)
    {
        if (!has(part)) {
            return SpreadsheetError::Damaged;
        }
        QuaZipFileInfo64 info;
        if (!m_zip.getCurrentFileInfo(&info)) {
            return SpreadsheetError::Damaged;
        }
        if (info.uncompressedSize > quint64(limit)) {
            return SpreadsheetError::TooLarge;
        }
        QuaZipFile file(&m_zip);
        if (!file.open(QIODevice::ReadOnly)) {
            return SpreadsheetError::Damaged;
        }
        BoundedPart device(&file, limit);
        device.open(QIODevice::ReadOnly);
        SpreadsheetError error = parse(&device);
        if (device.overLimit()) {
            return SpreadsheetError::TooLarge;
        }
        if (device.failed() || file.getZipError() != UNZ_OK) {
            return SpreadsheetError::Damaged;
        }
        if (error != SpreadsheetError::None) {
            return error;
        }
        // The rest of the part (after the sheet's last element), so that the CRC is checked.
        char rest[4096];
        while (device.read(rest, sizeof rest) > 0) {
        }
        if (device.overLimit()) {
            return SpreadsheetError::TooLarge;
        }
        file.close(); // reports a CRC mismatch
        return device.failed() || file.getZipError() != UNZ_OK ? SpreadsheetError::Damaged
                                                               : SpreadsheetError::None;
    }

    SpreadsheetError read(const QString& part, QByteArray* data)
    {
        return stream(part, MaxOtherPartBytes, [data](QIODevice* device) {
            *data = device->readAll();
            return SpreadsheetError::None;
        });
    }

private:
    QuaZip m_zip;
};

QString directoryOf(const QString& part)
{
    const int slash = part.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : part.left(slash + 1);
}

// Resolves a relationship target ("sheet1.xml", "../x.xml", "/xl/x.xml") against the folder of
// the part that holds the relationship.
QString resolveTarget(const QString& baseDirectory, const QString& target)
{
    const QString joined = target.startsWith(QLatin1Char('/')) ? target : baseDirectory + target;
    QStringList parts;
    for (const QString& segment : joined.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (segment == QLatin1String(".")) {
            continue;
        }
        if (segment == QLatin1String("..")) {
            if (!parts.isEmpty()) {
                parts.removeLast();
            }
            continue;
        }
        parts.append(segment);
    }
    return parts.join(QLatin1Char('/'));
}

QString relationshipsPartOf(const QString& part)
{
    const QString dir = directoryOf(part);
    return dir + QLatin1String("_rels/") + part.mid(dir.size()) + QLatin1String(".rels");
}

bool typeIs(const QString& type, QLatin1String suffix)
{
    // Transitional and Strict files use different namespaces for the same relationship kinds.
    return type.endsWith(QLatin1Char('/') + suffix);
}

// Moves to the root element. Excel never writes a DTD, and a DTD's entities can nest so that
// a few bytes expand into work without end (empty ones too, which no character count bounds):
// a part that carries one is not read.
bool toRoot(QXmlStreamReader& xml)
{
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.tokenType() == QXmlStreamReader::DTD) {
            return false;
        }
        if (xml.isStartElement()) {
            return true;
        }
    }
    return false;
}

SpreadsheetError parseRelationships(const QByteArray& xmlData, const QString& sourcePart,
                                    QHash<QString, Relationship>* result)
{
    const QString base = directoryOf(sourcePart);
    QXmlStreamReader xml(xmlData);
    if (!toRoot(xml)) {
        return SpreadsheetError::Damaged;
    }
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement() || xml.name() != QLatin1String("Relationship")) {
            continue;
        }
        const QXmlStreamAttributes a = xml.attributes();
        if (a.value(QLatin1String("TargetMode")) == QLatin1String("External")) {
            continue;
        }
        result->insert(a.value(QLatin1String("Id")).toString(),
                       {a.value(QLatin1String("Type")).toString(),
                        resolveTarget(base, a.value(QLatin1String("Target")).toString())});
    }
    return xml.hasError() ? SpreadsheetError::Damaged : SpreadsheetError::None;
}

bool isHex(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('F')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
}

// Text is stored with characters XML cannot carry written as _xHHHH_, exactly four hex digits
// (a literal "_x" is itself escaped as _x005F_x), as Excel reads it.
QString unescapeText(const QString& text)
{
    if (!text.contains(QLatin1String("_x"))) {
        return text;
    }
    QString out;
    out.reserve(text.size());
    const int n = int(text.size());
    for (int i = 0; i < n; ++i) {
        if (text[i] == QLatin1Char('_') && i + 6 < n && text[i + 1] == QLatin1Char('x') &&
            isHex(text[i + 2]) && isHex(text[i + 3]) && isHex(text[i + 4]) && isHex(text[i + 5]) &&
            text[i + 6] == QLatin1Char('_')) {
            out.append(QChar(ushort(text.mid(i + 2, 4).toUShort(nullptr, 16))));
            i += 6;
            continue;
        }
        out.append(text[i]);
    }
    return out;
}

// Reads the text of an <si> or <is> element the reader stands on: its own <t>, or the <t> of each
// rich-text run <r>. Phonetic runs (<rPh>) are reading aids, not part of the value.
QString readStringItem(QXmlStreamReader& xml)
{
    QString text;
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("t")) {
                text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
            } else if (xml.name() == QLatin1String("rPh") || xml.name() == QLatin1String("rPr")) {
                xml.skipCurrentElement();
            } else {
                ++depth;
            }
        } else if (xml.isEndElement()) {
            --depth;
        }
    }
    return unescapeText(text);
}

SpreadsheetError parseSharedStrings(QIODevice* device, QStringList* strings)
{
    QXmlStreamReader xml(device);
    qint64 units = 0;
    if (!toRoot(xml)) {
        return SpreadsheetError::Damaged;
    }
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QLatin1String("si")) {
            // A sheet holds no more values than that, nor more text.
            if (strings->size() >= SpreadsheetSheet::MaxValues) {
                return SpreadsheetError::TooLarge;
            }
            strings->append(readStringItem(xml));
            units += strings->constLast().size();
            if (units > SpreadsheetSheet::MaxTextUnits) {
                return SpreadsheetError::TooLarge;
            }
        }
    }
    return xml.hasError() ? SpreadsheetError::Damaged : SpreadsheetError::None;
}

struct WorkbookInfo
{
    int activeTab = 0;
    QList<SheetEntry> sheets;
};

// NotSpreadsheet when the main part is not a workbook (a word-processing document, say).
SpreadsheetError parseWorkbook(const QByteArray& xmlData, WorkbookInfo* info)
{
    QXmlStreamReader xml(xmlData);
    bool seenView = false;
    if (!toRoot(xml)) {
        return SpreadsheetError::Damaged;
    }
    if (xml.name() != QLatin1String("workbook")) {
        return SpreadsheetError::NotSpreadsheet;
    }
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) {
            continue;
        }
        const QXmlStreamAttributes a = xml.attributes();
        if (xml.name() == QLatin1String("workbookView") && !seenView) {
            // The first view is the one Excel opens with.
            seenView = true;
            bool ok = false;
            const int tab = a.value(QLatin1String("activeTab")).toInt(&ok);
            info->activeTab = ok ? tab : 0;
        } else if (xml.name() == QLatin1String("sheet")) {
            SheetEntry entry;
            entry.name = a.value(QLatin1String("name")).toString();
            for (const QXmlStreamAttribute& attribute : a) {
                // r:id, whatever the prefix; "sheetId" has no namespace.
                if (attribute.name() == QLatin1String("id") && !attribute.namespaceUri().isEmpty()) {
                    entry.relationshipId = attribute.value().toString();
                }
            }
            info->sheets.append(entry);
        }
    }
    if (xml.hasError() || info->sheets.isEmpty()) {
        return SpreadsheetError::Damaged;
    }
    return SpreadsheetError::None;
}

// A cell format (c@s) as far as the imports need it.
struct CellFormat
{
    bool date = false;
    SpreadsheetCell::Shape shape;
};

// For each cell format (c@s) of the styles part: whether it shows its number as a date or time,
// and how it shows a number.
SpreadsheetError parseStyles(QIODevice* device, QVector<CellFormat>* formats)
{
    QXmlStreamReader xml(device);
    if (!toRoot(xml)) {
        return SpreadsheetError::Damaged;
    }
    QHash<int, QString> codes;
    bool inCellFormats = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == QLatin1String("cellXfs")) {
            inCellFormats = false;
        }
        if (!xml.isStartElement()) {
            continue;
        }
        const QXmlStreamAttributes a = xml.attributes();
        if (xml.name() == QLatin1String("numFmt")) {
            codes.insert(a.value(QLatin1String("numFmtId")).toInt(),
                         a.value(QLatin1String("formatCode")).toString());
        } else if (xml.name() == QLatin1String("cellXfs")) {
            inCellFormats = true;
        } else if (inCellFormats && xml.name() == QLatin1String("xf")) {
            if (formats->size() >= SpreadsheetSheet::MaxValues) {
                return SpreadsheetError::TooLarge;
            }
            const int id = a.value(QLatin1String("numFmtId")).toInt();
            formats->append({SpreadsheetCell::isDateFormat(id, codes.value(id)),
                             SpreadsheetCell::shapeOf(id, codes.value(id))});
        }
    }
    return xml.hasError() ? SpreadsheetError::Damaged : SpreadsheetError::None;
}

// "BC12" -> row 12, column 55; false when it is no cell reference inside the sheet.
bool parseCellReference(QStringView ref, int* row, int* column)
{
    int i = 0, col = 0, r = 0;
    const int n = int(ref.size());
    while (i < n && ref[i] >= QLatin1Char('A') && ref[i] <= QLatin1Char('Z') &&
           col <= SpreadsheetSheet::MaxColumns) {
        col = col * 26 + (ref[i].unicode() - 'A' + 1);
        ++i;
    }
    if (i == 0 || i == n) {
        return false;
    }
    for (; i < n; ++i) {
        if (!ref[i].isDigit() || r > SpreadsheetSheet::MaxRows) {
            return false;
        }
        r = r * 10 + ref[i].digitValue();
    }
    if (col > SpreadsheetSheet::MaxColumns || r < 1 || r > SpreadsheetSheet::MaxRows) {
        return false;
    }
    *row = r;
    *column = col;
    return true;
}

// Turns one <c> element into a cell value. Positions come from c@r when it is there, otherwise
// from the element's order (the next column of the row), as the format allows.
SpreadsheetError readCell(QXmlStreamReader& xml, const QStringList& shared,
                          const QVector<CellFormat>& formats, int* row, int* column, SpreadsheetCell* cell)
{
    const QXmlStreamAttributes a = xml.attributes();
    const QStringView ref = a.value(QLatin1String("r"));
    if (!ref.isEmpty()) {
        if (!parseCellReference(ref, row, column)) {
            return SpreadsheetError::Damaged;
        }
    } else {
        ++*column;
    }
    const QString type = a.value(QLatin1String("t")).toString();
    const CellFormat format = formats.value(a.value(QLatin1String("s")).toInt());

    bool hasValue = false, hasFormula = false, hasInline = false;
    QString value, inlineText;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("v")) {
            hasValue = true;
            value = xml.readElementText();
        } else if (xml.name() == QLatin1String("is")) {
            hasInline = true;
            inlineText = readStringItem(xml);
        } else {
            hasFormula = hasFormula || xml.name() == QLatin1String("f");
            xml.skipCurrentElement();
        }
    }
    if (xml.hasError()) {
        return SpreadsheetError::Damaged;
    }

    if (type == QLatin1String("s")) {
        // <v/>: other readers show an empty cell, and so do we.
        if (!hasValue || value.trimmed().isEmpty()) {
            *cell = SpreadsheetCell();
            return SpreadsheetError::None;
        }
        bool ok = false;
        const int index = value.toInt(&ok);
        if (!ok || index < 0 || index >= shared.size()) {
            return SpreadsheetError::Damaged;
        }
        *cell = SpreadsheetCell::text(shared.at(index));
    } else if (type == QLatin1String("inlineStr")) {
        if (hasInline) {
            *cell = SpreadsheetCell::text(inlineText);
        } else if (hasValue) {
            *cell = SpreadsheetCell::text(unescapeText(value));
        } else {
            *cell = SpreadsheetCell();
        }
    } else if (type == QLatin1String("str")) {
        // A formula's text result; a formula never calculated has no result we could take as text.
        if (hasValue) {
            *cell = SpreadsheetCell::text(unescapeText(value));
        } else {
            *cell = hasFormula ? SpreadsheetCell::other() : SpreadsheetCell();
        }
    } else {
        // Numbers (t="n" or none), dates stored as numbers or as t="d", t="b", t="e".
        bool number = false;
        const double v = value.toDouble(&number);
        if (number && !format.date && (type.isEmpty() || type == QLatin1String("n"))) {
            *cell = SpreadsheetCell::number(v, value, format.shape);
        } else if ((hasValue && !value.isEmpty()) || hasFormula) {
            *cell = SpreadsheetCell::other(value);
        } else {
            *cell = SpreadsheetCell();
        }
    }
    return SpreadsheetError::None;
}

SpreadsheetError parseSheet(QIODevice* device, const QStringList& shared, const QVector<CellFormat>& formats,
                            SpreadsheetSheet* sheet)
{
    QXmlStreamReader xml(device);
    int row = 0, column = 0;
    bool inData = false;
    if (!toRoot(xml)) {
        return SpreadsheetError::Damaged;
    }
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isEndElement() && xml.name() == QLatin1String("sheetData")) {
            inData = false;
            continue;
        }
        if (!xml.isStartElement()) {
            continue;
        }
        if (xml.name() == QLatin1String("sheetData")) {
            inData = true;
        } else if (inData && xml.name() == QLatin1String("row")) {
            const QStringView r = xml.attributes().value(QLatin1String("r"));
            if (r.isEmpty()) {
                ++row;
            } else {
                bool ok = false;
                row = r.toInt(&ok);
                if (!ok || row < 1 || row > SpreadsheetSheet::MaxRows) {
                    return SpreadsheetError::Damaged;
                }
            }
            column = 0;
        } else if (inData && xml.name() == QLatin1String("c")) {
            SpreadsheetCell cell;
            if (row < 1) {
                row = 1; // a cell outside any <row>: take it as the first row
            }
            const SpreadsheetError error = readCell(xml, shared, formats, &row, &column, &cell);
            if (error != SpreadsheetError::None) {
                return error;
            }
            if (column < 1 || column > SpreadsheetSheet::MaxColumns) {
                return SpreadsheetError::Damaged;
            }
            if (!sheet->setCell(row, column, cell)) {
                return SpreadsheetError::TooLarge;
            }
        } else if (inData) {
            xml.skipCurrentElement();
        }
    }
    return xml.hasError() ? SpreadsheetError::Damaged : SpreadsheetError::None;
}

} // namespace

SpreadsheetError SpreadsheetXlsxLoader::load(QIODevice* device, SpreadsheetBook* book)
{
    Package package(device);
    SpreadsheetError error = package.open();
    if (error != SpreadsheetError::None) {
        return error;
    }

    // The package relationships name the main part; packages from some writers lack them, and
    // then the usual name is tried.
    QString workbookPart;
    QByteArray data;
    if (package.has(QStringLiteral("_rels/.rels"))) {
        error = package.read(QStringLiteral("_rels/.rels"), &data);
        if (error != SpreadsheetError::None) {
            return error;
        }
        QHash<QString, Relationship> rels;
        if (parseRelationships(data, QString(), &rels) != SpreadsheetError::None) {
            return SpreadsheetError::Damaged;
        }
        for (const Relationship& rel : std::as_const(rels)) {
            if (typeIs(rel.type, QLatin1String("officeDocument"))) {
                workbookPart = rel.target;
            }
        }
    }
    if (workbookPart.isEmpty()) {
        workbookPart = QStringLiteral("xl/workbook.xml");
    }
    if (!package.has(workbookPart)) {
        return SpreadsheetError::NotSpreadsheet;
    }

    WorkbookInfo info;
    error = package.read(workbookPart, &data);
    if (error == SpreadsheetError::None) {
        error = parseWorkbook(data, &info);
    }
    if (error != SpreadsheetError::None) {
        return error;
    }

    QHash<QString, Relationship> rels;
    error = package.read(relationshipsPartOf(workbookPart), &data);
    if (error == SpreadsheetError::None) {
        error = parseRelationships(data, workbookPart, &rels);
    }
    if (error != SpreadsheetError::None) {
        return error;
    }

    QStringList shared;
    for (const Relationship& rel : std::as_const(rels)) {
        if (typeIs(rel.type, QLatin1String("sharedStrings"))) {
            error = package.stream(rel.target, MaxSharedStringsBytes,
                                   [&shared](QIODevice* part) { return parseSharedStrings(part, &shared); });
            if (error != SpreadsheetError::None) {
                return error;
            }
            break;
        }
    }

    QVector<CellFormat> formats;
    for (const Relationship& rel : std::as_const(rels)) {
        if (typeIs(rel.type, QLatin1String("styles"))) {
            error = package.stream(rel.target, MaxSharedStringsBytes,
                                   [&formats](QIODevice* part) { return parseStyles(part, &formats); });
            if (error != SpreadsheetError::None) {
                return error;
            }
            break;
        }
    }

    book->sheetNames.clear();
    for (const SheetEntry& entry : std::as_const(info.sheets)) {
        book->sheetNames.append(entry.name);
    }
    // An activeTab beyond the sheets (hand-edited files) falls back to the first sheet, as
    // Excel does.
    book->activeSheet = info.activeTab >= 0 && info.activeTab < info.sheets.size() ? info.activeTab : 0;
    book->sheet.clear();

    const auto rel = rels.constFind(info.sheets.at(book->activeSheet).relationshipId);
    if (rel == rels.cend()) {
        return SpreadsheetError::Damaged;
    }
    // A chart sheet has no <sheetData>: it reads as a sheet without values.
    return package.stream(rel->target, MaxSheetBytes,
                          [&](QIODevice* part) { return parseSheet(part, shared, formats, &book->sheet); });
}
