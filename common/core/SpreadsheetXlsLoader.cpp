#include "common/core/SpreadsheetXlsLoader.h"

#include <QHash>
#include <QVector>
#include <QtEndian>
#include <cstring>
#include <vector>

namespace {

constexpr quint32 MaxRegularSector = 0xFFFFFFFA;
constexpr quint32 EndOfChain = 0xFFFFFFFE;
constexpr quint32 FreeSector = 0xFFFFFFFF;

quint16 u16(const char* p)
{
    return qFromLittleEndian<quint16>(reinterpret_cast<const uchar*>(p));
}

quint32 u32(const char* p)
{
    return qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(p));
}

double f64(const char* p)
{
    const quint64 bits = qFromLittleEndian<quint64>(reinterpret_cast<const uchar*>(p));
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Just enough of the compound file format to list the streams and read one of them. Every sector
// belongs to at most one place (the FAT, the DIFAT or one chain): a sector met twice, which is
// also what a loop in a chain looks like, is damage. So no chain is longer than the file has
// sectors, and nothing read is larger than the file.
class CompoundFile
{
public:
    bool parse(const QByteArray& data)
    {
        m_data = data;
        if (data.size() < 512) {
            return false;
        }
        const int shift = u16(data.constData() + 0x1E);
        const int miniShift = u16(data.constData() + 0x20);
        if ((shift != 9 && shift != 12) || miniShift != 6) {
            return false;
        }
        m_sectorSize = 1 << shift;
        m_miniCutoff = u32(data.constData() + 0x38);
        if (data.size() < m_sectorSize) {
            return false;
        }
        // Some exports end the file inside its last sector; the missing bytes are read as zeros, and
        // a stream still ends at its own size.
        if (m_data.size() % m_sectorSize != 0) {
            m_data.append(QByteArray(m_sectorSize - m_data.size() % m_sectorSize, '\0'));
        }
        const char* head = m_data.constData();
        m_sectorCount = quint32((m_data.size() - m_sectorSize) / m_sectorSize);
        m_used.assign(m_sectorCount, false);

        // The sector numbers of the FAT: 109 in the header, the rest in a chain of DIFAT sectors.
        QVector<quint32> fatSectors;
        for (int i = 0; i < 109; ++i) {
            const quint32 s = u32(head + 0x4C + 4 * i);
            if (s != FreeSector) {
                fatSectors.append(s);
            }
        }
        const int perSector = m_sectorSize / 4 - 1;
        for (quint32 difat = u32(head + 0x44); difat != EndOfChain && difat != FreeSector;) {
            if (!claim(difat)) {
                return false;
            }
            const char* base = head + sectorOffset(difat);
            for (int i = 0; i < perSector; ++i) {
                const quint32 s = u32(base + 4 * i);
                if (s != FreeSector) {
                    fatSectors.append(s);
                }
            }
            difat = u32(base + 4 * perSector);
        }
        for (quint32 s : std::as_const(fatSectors)) {
            if (!claim(s)) {
                return false;
            }
        }
        m_fat.reserve(fatSectors.size() * (m_sectorSize / 4));
        for (quint32 s : std::as_const(fatSectors)) {
            const char* base = head + sectorOffset(s);
            for (int i = 0; i < m_sectorSize / 4; ++i) {
                m_fat.push_back(u32(base + 4 * i));
            }
        }

        QByteArray directory;
        if (!readChain(u32(head + 0x30), -1, &directory)) {
            return false;
        }
        for (qsizetype pos = 0; pos + 128 <= directory.size(); pos += 128) {
            const char* e = directory.constData() + pos;
            Entry entry;
            const int nameBytes = u16(e + 0x40);
            entry.type = uchar(e[0x42]);
            if (entry.type == 0 || nameBytes < 2 || nameBytes > 64) {
                continue;
            }
            QString name(nameBytes / 2 - 1, Qt::Uninitialized);
            for (int i = 0; i < name.size(); ++i) {
                name[i] = QChar(u16(e + 2 * i));
            }
            entry.name = name;
            entry.start = u32(e + 0x74);
            entry.size = u32(e + 0x78);
            m_entries.append(entry);
        }
        // The root entry owns the mini stream that holds the small streams.
        for (const Entry& entry : std::as_const(m_entries)) {
            if (entry.type == 5) {
                QByteArray miniFat;
                if (!readChain(entry.start, entry.size, &m_miniStream) ||
                    !readChain(u32(head + 0x3C), -1, &miniFat)) {
                    return false;
                }
                for (qsizetype i = 0; i + 4 <= miniFat.size(); i += 4) {
                    m_miniFat.push_back(u32(miniFat.constData() + i));
                }
                m_miniUsed.assign(m_miniFat.size(), false);
                break;
            }
        }
        return true;
    }

    bool hasStream(const QString& name) const { return find(name) != nullptr; }

    // Each stream can be read once: its sectors are then taken.
    bool stream(const QString& name, QByteArray* out)
    {
        const Entry* entry = find(name);
        if (!entry) {
            return false;
        }
        if (entry->size < m_miniCutoff) {
            return readMiniChain(entry->start, entry->size, out);
        }
        return readChain(entry->start, entry->size, out);
    }

private:
    struct Entry
    {
        QString name;
        int type = 0; // 1 storage, 2 stream, 5 root
        quint32 start = 0;
        quint32 size = 0;
    };

    qsizetype sectorOffset(quint32 s) const { return (qsizetype(s) + 1) * m_sectorSize; }

    // Takes a sector for the FAT, the DIFAT or a chain; false when it is outside the file or
    // already taken.
    bool claim(quint32 s)
    {
        if (s > MaxRegularSector || s >= m_sectorCount || m_used[s]) {
            return false;
        }
        m_used[s] = true;
        return true;
    }

    const Entry* find(const QString& name) const
    {
        for (const Entry& entry : m_entries) {
            if (entry.type == 2 && entry.name.compare(name, Qt::CaseInsensitive) == 0) {
                return &entry;
            }
        }
        return nullptr;
    }

    // size < 0: the whole chain.
    bool readChain(quint32 start, qint64 size, QByteArray* out)
    {
        out->clear();
        if (size > qint64(m_sectorCount) * m_sectorSize) {
            return false;
        }
        if (size > 0) {
            out->reserve(qsizetype(size));
        }
        for (quint32 s = start; s != EndOfChain;) {
            if (size >= 0 && out->size() >= size) {
                break;
            }
            if (s >= m_fat.size() || !claim(s)) {
                return false;
            }
            out->append(m_data.constData() + sectorOffset(s), m_sectorSize);
            s = m_fat[s];
        }
        if (size >= 0) {
            if (out->size() < size) {
                return false;
            }
            out->truncate(qsizetype(size));
        }
        return true;
    }

    bool readMiniChain(quint32 start, qint64 size, QByteArray* out)
    {
        constexpr int miniSize = 64;
        out->clear();
        if (size > m_miniStream.size()) {
            return false;
        }
        out->reserve(qsizetype(size));
        for (quint32 s = start; out->size() < size;) {
            if (s >= m_miniFat.size() || m_miniUsed[s] ||
                (qsizetype(s) + 1) * miniSize > m_miniStream.size()) {
                return false;
            }
            m_miniUsed[s] = true;
            out->append(m_miniStream.constData() + qsizetype(s) * miniSize, miniSize);
            s = m_miniFat[s];
        }
        out->truncate(qsizetype(size));
        return true;
    }

    QByteArray m_data;
    int m_sectorSize = 512;
    quint32 m_sectorCount = 0;
    quint32 m_miniCutoff = 4096;
    std::vector<quint32> m_fat;
    std::vector<bool> m_used;
    std::vector<quint32> m_miniFat;
    std::vector<bool> m_miniUsed;
    QByteArray m_miniStream;
    QVector<Entry> m_entries;
};

enum Record : quint16
{
    RecFormula = 0x0006,
    RecFormulaOld = 0x0406, // the BIFF3/4 id, still found inside BIFF8 streams some programs save
    RecEof = 0x000A,
    RecFilePass = 0x002F,
    RecContinue = 0x003C,
    RecWindow1 = 0x003D,
    RecBoundSheet = 0x0085,
    RecMulRk = 0x00BD,
    RecMulBlank = 0x00BE,
    RecRString = 0x00D6,
    RecSst = 0x00FC,
    RecLabelSst = 0x00FD,
    RecBlank = 0x0201,
    RecNumber = 0x0203,
    RecLabel = 0x0204,
    RecBoolErr = 0x0205,
    RecString = 0x0207,
    RecRk = 0x027E,
    RecFormat = 0x041E,
    RecXf = 0x00E0,
    RecBof = 0x0809,
};

// Walks the records of a BIFF stream. A record whose length runs past the stream ends the walk.
class RecordReader
{
public:
    RecordReader(const QByteArray& stream, qsizetype start) : m_stream(stream), m_pos(start) {}

    bool next()
    {
        if (m_pos < 0 || m_pos + 4 > m_stream.size()) {
            return false;
        }
        const char* p = m_stream.constData() + m_pos;
        const quint16 length = u16(p + 2);
        if (m_pos + 4 + length > m_stream.size()) {
            return false;
        }
        id = u16(p);
        offset = m_pos + 4;
        size = length;
        m_pos += 4 + length;
        return true;
    }

    quint16 peekId() const { return m_pos + 4 <= m_stream.size() ? u16(m_stream.constData() + m_pos) : 0; }
    qsizetype position() const { return m_pos; }
    const char* body() const { return m_stream.constData() + offset; }

    quint16 id = 0;
    qsizetype offset = 0; // of the body
    int size = 0;

private:
    const QByteArray& m_stream;
    qsizetype m_pos;
};

// The body of one record and of the CONTINUE records that follow it, read as one sequence. Where
// a string's characters go on in the next record, that record starts with a new width flag.
class ContinuedData
{
public:
    ContinuedData(const QByteArray& stream, RecordReader& records) : m_stream(stream), m_records(records)
    {
        m_pos = records.offset;
        m_end = records.offset + records.size;
    }

    bool u8(quint8* value)
    {
        if (!ensure()) {
            return false;
        }
        *value = quint8(m_stream.at(m_pos++));
        return true;
    }

    bool u16(quint16* value)
    {
        quint8 lo = 0, hi = 0;
        if (!u8(&lo) || !u8(&hi)) {
            return false;
        }
        *value = quint16(lo | hi << 8);
        return true;
    }

    bool u32(quint32* value)
    {
        quint16 lo = 0, hi = 0;
        if (!u16(&lo) || !u16(&hi)) {
            return false;
        }
        *value = quint32(lo) | quint32(hi) << 16;
        return true;
    }

    bool skip(quint64 count)
    {
        while (count > 0) {
            if (!ensure()) {
                return false;
            }
            const quint64 step = std::min<quint64>(count, quint64(m_end - m_pos));
            m_pos += qsizetype(step);
            count -= step;
        }
        return true;
    }

    // count characters, 8-bit (the low bytes of UTF-16) or UTF-16LE as wide says, switching
    // width where the characters go on in a CONTINUE record.
    bool chars(int count, bool wide, QString* out)
    {
        out->clear();
        while (count > 0) {
            if (m_pos >= m_end) {
                if (!nextRecord() || m_pos >= m_end) {
                    return false;
                }
                wide = m_stream.at(m_pos++) & 1;
                continue;
            }
            const int width = wide ? 2 : 1;
            const qsizetype available = (m_end - m_pos) / width;
            if (available == 0) {
                return false; // half a character before the record ends
            }
            const int take = int(std::min<qsizetype>(available, count));
            const char* p = m_stream.constData() + m_pos;
            if (wide) {
                const qsizetype at = out->size();
                out->resize(at + take);
                QChar* dst = out->data() + at;
                for (int i = 0; i < take; ++i) {
                    dst[i] = QChar(::u16(p + 2 * i));
                }
            } else {
                out->append(QString::fromLatin1(p, take));
            }
            m_pos += qsizetype(take) * width;
            count -= take;
        }
        return true;
    }

    // An XLUnicodeRichExtendedString (shared strings) or, with rich false, an XLUnicodeString.
    bool string(QString* out, bool rich)
    {
        quint16 count = 0;
        quint8 flags = 0;
        if (!u16(&count) || !u8(&flags)) {
            return false;
        }
        quint16 runs = 0;
        quint32 extra = 0;
        if (rich && (flags & 0x08) && !u16(&runs)) {
            return false;
        }
        if (rich && (flags & 0x04) && !u32(&extra)) {
            return false;
        }
        return chars(count, flags & 1, out) && skip(quint64(runs) * 4 + extra);
    }

    bool atEnd() const { return m_pos >= m_end && m_records.peekId() != RecContinue; }

private:
    bool ensure() { return m_pos < m_end || (nextRecord() && m_pos < m_end); }

    bool nextRecord()
    {
        if (m_records.peekId() != RecContinue || !m_records.next()) {
            return false;
        }
        m_pos = m_records.offset;
        m_end = m_records.offset + m_records.size;
        return true;
    }

    const QByteArray& m_stream;
    RecordReader& m_records;
    qsizetype m_pos;
    qsizetype m_end;
};

// True when the stream starts with a BOF record and its records fill it exactly (trailing zero
// padding allowed); found tells whether a record starts at offset.
bool wellFormedRecords(const QByteArray& stream, qsizetype offset, bool* found)
{
    RecordReader records(stream, 0);
    *found = false;
    if (!records.next() || records.id != RecBof) {
        return false;
    }
    *found = offset == 0;
    qsizetype end = records.position();
    while (records.next()) {
        *found = *found || records.offset - 4 == offset;
        end = records.position();
    }
    for (qsizetype i = end; i < stream.size(); ++i) {
        if (stream.at(i) != 0) {
            return false;
        }
    }
    return true;
}

struct SheetEntry
{
    QString name;
    quint32 offset = 0;
    int type = 0; // 0 worksheet, 1 macro sheet, 2 chart, 6 module
};

struct Globals
{
    bool encrypted = false;
    int activeTab = -1;
    QVector<SheetEntry> sheets;
    QStringList strings;
    QVector<bool> dateFormats; // for each cell format (XF), whether it shows a date or time
    QVector<SpreadsheetCell::Shape> numberShapes; // and how it shows a number
};

SpreadsheetError readGlobals(const QByteArray& stream, Globals* globals)
{
    RecordReader records(stream, 0);
    if (!records.next() || records.id != RecBof || records.size < 4) {
        return SpreadsheetError::Damaged;
    }
    // BIFF5 and older store their texts in the file's code page; only BIFF8 is read.
    if (u16(records.body()) != 0x0600) {
        return SpreadsheetError::Damaged;
    }
    qint64 textUnits = 0;
    QHash<int, QString> codes;
    while (records.next() && records.id != RecEof) {
        const char* b = records.body();
        const int size = records.size;
        if (records.id == RecFilePass) {
            globals->encrypted = true;
            return SpreadsheetError::Encrypted;
        }
        if (records.id == RecFormat && size >= 2) {
            ContinuedData data(stream, records);
            QString code;
            if (data.skip(2) && data.string(&code, false)) {
                codes.insert(u16(b), code);
            }
        } else if (records.id == RecXf && size >= 4 &&
                   globals->dateFormats.size() < SpreadsheetSheet::MaxValues) {
            // FORMAT records come before the XFs that use them.
            globals->dateFormats.append(SpreadsheetCell::isDateFormat(u16(b + 2), codes.value(u16(b + 2))));
            globals->numberShapes.append(SpreadsheetCell::shapeOf(u16(b + 2), codes.value(u16(b + 2))));
        } else if (records.id == RecWindow1 && globals->activeTab < 0 && size >= 12) {
            globals->activeTab = u16(b + 10);
        } else if (records.id == RecBoundSheet && size >= 8) {
            const int count = uchar(b[6]);
            const bool wide = b[7] & 1;
            if (8 + count * (wide ? 2 : 1) > size) {
                return SpreadsheetError::Damaged;
            }
            SheetEntry sheet;
            sheet.offset = u32(b);
            sheet.type = uchar(b[5]);
            if (wide) {
                sheet.name.resize(count);
                for (int i = 0; i < count; ++i) {
                    sheet.name[i] = QChar(u16(b + 8 + 2 * i));
                }
            } else {
                sheet.name = QString::fromLatin1(b + 8, count);
            }
            globals->sheets.append(sheet);
        } else if (records.id == RecSst && globals->strings.isEmpty()) {
            ContinuedData data(stream, records);
            quint32 total = 0, unique = 0;
            if (!data.u32(&total) || !data.u32(&unique)) {
                return SpreadsheetError::Damaged;
            }
            // The count is not trusted: the table ends where its records end.
            for (quint32 i = 0; i < unique && !data.atEnd(); ++i) {
                QString text;
                if (!data.string(&text, true)) {
                    return SpreadsheetError::Damaged;
                }
                textUnits += text.size();
                if (textUnits > SpreadsheetSheet::MaxTextUnits) {
                    return SpreadsheetError::TooLarge;
                }
                globals->strings.append(text);
            }
        }
    }
    return SpreadsheetError::None;
}

double rkValue(quint32 rk)
{
    double value;
    if (rk & 2) {
        value = double(qint32(rk) >> 2);
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFC) << 32;
        std::memcpy(&value, &bits, sizeof value);
    }
    return (rk & 1) ? value / 100 : value;
}

SpreadsheetError readSheet(const QByteArray& stream, qsizetype offset, const Globals& globals,
                           SpreadsheetSheet* sheet)
{
    const QStringList& strings = globals.strings;
    // A number in a date or time format is a date, not a number.
    auto numberCell = [&globals](double value, quint16 format) {
        const QString raw = QString::number(value, 'g', 15);
        return globals.dateFormats.value(format)
                   ? SpreadsheetCell::other(raw)
                   : SpreadsheetCell::number(value, raw, globals.numberShapes.value(format));
    };
    RecordReader records(stream, offset);
    if (!records.next() || records.id != RecBof) {
        return SpreadsheetError::Damaged;
    }
    bool full = false;
    auto put = [&](int row, int column, const SpreadsheetCell& cell) {
        full = full || !sheet->setCell(row + 1, column + 1, cell);
    };
    int depth = 1;
    int pendingRow = -1, pendingColumn = -1; // a text result waits for its STRING record
    while (!full && records.next()) {
        const char* b = records.body();
        const int size = records.size;
        if (records.id == RecBof) {
            ++depth; // embedded charts carry their own substreams
            continue;
        }
        if (records.id == RecEof) {
            if (--depth == 0) {
                break;
            }
            continue;
        }
        if (depth != 1) {
            continue;
        }
        const int row = size >= 4 ? u16(b) : 0;
        const int column = size >= 4 ? u16(b + 2) : 0;
        switch (records.id) {
        case RecNumber:
            if (size >= 14) {
                put(row, column, numberCell(f64(b + 6), u16(b + 4)));
            }
            break;
        case RecRk:
            if (size >= 10) {
                put(row, column, numberCell(rkValue(u32(b + 6)), u16(b + 4)));
            }
            break;
        case RecMulRk:
            // Six bytes a cell after the first column, and the last column at the end.
            for (int i = 0; 4 + 6 * (i + 1) + 2 <= size && !full; ++i) {
                put(row, column + i, numberCell(rkValue(u32(b + 4 + 6 * i + 2)), u16(b + 4 + 6 * i)));
            }
            break;
        case RecLabelSst:
            if (size >= 10) {
                const quint32 index = u32(b + 6);
                if (index >= quint32(strings.size())) {
                    return SpreadsheetError::Damaged;
                }
                put(row, column, SpreadsheetCell::text(strings.at(int(index))));
            }
            break;
        case RecLabel:
        case RecRString:
            if (size >= 6) {
                // The string starts after the cell's format index; RSTRING's runs follow it.
                ContinuedData data(stream, records);
                QString text;
                if (!data.skip(6) || !data.string(&text, false)) {
                    return SpreadsheetError::Damaged;
                }
                put(row, column, SpreadsheetCell::text(text));
            }
            break;
        case RecFormula:
        case RecFormulaOld:
            if (size >= 14) {
                pendingRow = -1;
                if (u16(b + 12) != 0xFFFF) {
                    put(row, column, numberCell(f64(b + 6), u16(b + 4)));
                } else if (b[6] == 0) {
                    pendingRow = row;
                    pendingColumn = column;
                } else if (b[6] == 1) {
                    put(row, column,
                        SpreadsheetCell::other(b[8] ? QStringLiteral("TRUE") : QStringLiteral("FALSE")));
                } else if (b[6] == 2) {
                    put(row, column, SpreadsheetCell::other(QStringLiteral("#ERROR")));
                } else if (b[6] == 3) {
                    put(row, column, SpreadsheetCell::text(QString()));
                }
            }
            break;
        case RecString:
            if (pendingRow >= 0) {
                ContinuedData data(stream, records);
                QString text;
                if (!data.string(&text, false)) {
                    return SpreadsheetError::Damaged;
                }
                put(pendingRow, pendingColumn, SpreadsheetCell::text(text));
                pendingRow = -1;
            }
            break;
        case RecBoolErr:
            if (size >= 8) {
                const bool isError = b[7] != 0;
                put(row, column,
                    SpreadsheetCell::other(isError ? QStringLiteral("#ERROR")
                                           : b[6]  ? QStringLiteral("TRUE")
                                                   : QStringLiteral("FALSE")));
            }
            break;
        case RecBlank:
        case RecMulBlank:
        default:
            break; // a format without a value, or nothing an import reads
        }
    }
    return full ? SpreadsheetError::TooLarge : SpreadsheetError::None;
}

} // namespace

SpreadsheetError SpreadsheetXlsLoader::load(const QByteArray& data, SpreadsheetBook* book)
{
    CompoundFile compound;
    if (!compound.parse(data)) {
        return SpreadsheetError::Damaged;
    }
    // An encrypted .xlsx is a compound file too; it carries the package as EncryptedPackage.
    if (compound.hasStream(QStringLiteral("EncryptedPackage"))) {
        return SpreadsheetError::Encrypted;
    }
    if (!compound.hasStream(QStringLiteral("Workbook")) && !compound.hasStream(QStringLiteral("Book"))) {
        return SpreadsheetError::NotSpreadsheet;
    }
    QByteArray workbook;
    if (!compound.stream(QStringLiteral("Workbook"), &workbook) &&
        !compound.stream(QStringLiteral("Book"), &workbook)) {
        return SpreadsheetError::Damaged;
    }

    Globals globals;
    const SpreadsheetError error = readGlobals(workbook, &globals);
    if (error != SpreadsheetError::None) {
        return error;
    }

    // Worksheets only: chart sheets, macro sheets and modules hold no cells an import could use.
    QVector<int> worksheets;
    for (int i = 0; i < globals.sheets.size(); ++i) {
        if (globals.sheets.at(i).type == 0) {
            worksheets.append(i);
        }
    }
    if (worksheets.isEmpty()) {
        return SpreadsheetError::Damaged;
    }
    book->sheetNames.clear();
    for (int i : std::as_const(worksheets)) {
        book->sheetNames.append(globals.sheets.at(i).name);
    }
    // The tab active at the last save; without that record, or when it is a chart sheet, the
    // first worksheet is read.
    book->activeSheet = std::max(0, int(worksheets.indexOf(globals.activeTab)));
    const qsizetype offset = globals.sheets.at(worksheets.at(book->activeSheet)).offset;

    bool found = false;
    if (!wellFormedRecords(workbook, offset, &found) || !found) {
        return SpreadsheetError::Damaged;
    }
    book->sheet.clear();
    return readSheet(workbook, offset, globals, &book->sheet);
}
