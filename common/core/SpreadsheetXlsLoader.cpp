#include "common/core/SpreadsheetXlsLoader.h"

#include <QFile>
#include <QHash>
#include <QTemporaryFile>
#include <QVector>
#include <QtEndian>
#include <freexl.h>

namespace {

constexpr quint32 EndOfChain = 0xFFFFFFFE;
constexpr quint32 FreeSector = 0xFFFFFFFF;

quint16 u16(const QByteArray& data, qsizetype pos)
{
    return qFromLittleEndian<quint16>(reinterpret_cast<const uchar*>(data.constData()) + pos);
}

quint32 u32(const QByteArray& data, qsizetype pos)
{
    return qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(data.constData()) + pos);
}

// Just enough of the compound file format to list the streams and read one of them. Every
// sector number and chain is checked against the file, so a damaged file gives an error, never a
// read outside the data or an endless loop.
class CompoundFile
{
public:
    bool parse(const QByteArray& data)
    {
        m_data = data;
        if (data.size() < 512) {
            return false;
        }
        const int shift = u16(data, 0x1E);
        const int miniShift = u16(data, 0x20);
        if ((shift != 9 && shift != 12) || miniShift != 6) {
            return false;
        }
        m_sectorSize = 1 << shift;
        m_miniCutoff = u32(data, 0x38);

        // The sector numbers of the FAT: 109 in the header, the rest in a chain of DIFAT sectors.
        QVector<quint32> fatSectors;
        for (int i = 0; i < 109; ++i) {
            const quint32 s = u32(data, 0x4C + 4 * i);
            if (s != FreeSector) {
                fatSectors.append(s);
            }
        }
        quint32 difat = u32(data, 0x44);
        for (quint32 guard = 0; difat != EndOfChain && difat != FreeSector; ++guard) {
            if (guard > sectorCount() || !sectorInFile(difat)) {
                return false;
            }
            const qsizetype base = sectorOffset(difat);
            const int perSector = m_sectorSize / 4 - 1;
            for (int i = 0; i < perSector; ++i) {
                const quint32 s = u32(data, base + 4 * i);
                if (s != FreeSector) {
                    fatSectors.append(s);
                }
            }
            difat = u32(data, base + 4 * perSector);
        }
        for (quint32 s : std::as_const(fatSectors)) {
            if (!sectorInFile(s)) {
                return false;
            }
            const qsizetype base = sectorOffset(s);
            for (int i = 0; i < m_sectorSize / 4; ++i) {
                m_fat.append(u32(data, base + 4 * i));
            }
        }

        QByteArray directory;
        if (!readChain(u32(data, 0x30), -1, &directory)) {
            return false;
        }
        for (qsizetype pos = 0; pos + 128 <= directory.size(); pos += 128) {
            Entry entry;
            const int nameBytes = u16(directory, pos + 0x40);
            entry.type = uchar(directory.at(pos + 0x42));
            if (entry.type == 0 || nameBytes < 2 || nameBytes > 64) {
                continue;
            }
            entry.name = QString::fromUtf16(reinterpret_cast<const char16_t*>(directory.constData() + pos),
                                            nameBytes / 2 - 1);
            entry.start = u32(directory, pos + 0x74);
            entry.size = u32(directory, pos + 0x78);
            m_entries.append(entry);
        }
        // The root entry owns the mini stream that holds the small streams.
        for (const Entry& entry : std::as_const(m_entries)) {
            if (entry.type == 5) {
                QByteArray miniFat;
                if (!readChain(entry.start, entry.size, &m_miniStream) ||
                    !readChain(u32(data, 0x3C), -1, &miniFat)) {
                    return false;
                }
                for (qsizetype i = 0; i + 4 <= miniFat.size(); i += 4) {
                    m_miniFat.append(u32(miniFat, i));
                }
                break;
            }
        }
        return true;
    }

    bool hasStream(const QString& name) const { return find(name) != nullptr; }

    bool stream(const QString& name, QByteArray* out) const
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

    quint32 sectorCount() const { return quint32(m_data.size() / m_sectorSize); }
    qsizetype sectorOffset(quint32 s) const { return (qsizetype(s) + 1) * m_sectorSize; }
    bool sectorInFile(quint32 s) const
    {
        return s < EndOfChain - 2 && sectorOffset(s) + m_sectorSize <= m_data.size();
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
    bool readChain(quint32 start, qint64 size, QByteArray* out) const
    {
        out->clear();
        quint32 s = start;
        for (qsizetype guard = 0; s != EndOfChain; ++guard) {
            if (size >= 0 && out->size() >= size) {
                break;
            }
            if (guard > m_fat.size() || s >= quint32(m_fat.size()) || !sectorInFile(s)) {
                return false;
            }
            out->append(m_data.constData() + sectorOffset(s), m_sectorSize);
            s = m_fat.at(s);
        }
        if (size >= 0) {
            if (out->size() < size) {
                return false;
            }
            out->truncate(size);
        }
        return true;
    }

    bool readMiniChain(quint32 start, qint64 size, QByteArray* out) const
    {
        constexpr int miniSize = 64;
        out->clear();
        quint32 s = start;
        for (qsizetype guard = 0; out->size() < size; ++guard) {
            if (guard > m_miniFat.size() || s >= quint32(m_miniFat.size()) ||
                (qsizetype(s) + 1) * miniSize > m_miniStream.size()) {
                return false;
            }
            out->append(m_miniStream.constData() + qsizetype(s) * miniSize, miniSize);
            s = m_miniFat.at(s);
        }
        out->truncate(size);
        return true;
    }

    QByteArray m_data;
    int m_sectorSize = 512;
    quint32 m_miniCutoff = 4096;
    QVector<quint32> m_fat;
    QVector<quint32> m_miniFat;
    QByteArray m_miniStream;
    QVector<Entry> m_entries;
};

enum Record : quint16
{
    RecFormula = 0x0006,
    RecEof = 0x000A,
    RecFilePass = 0x002F,
    RecContinue = 0x003C,
    RecWindow1 = 0x003D,
    RecBoundSheet = 0x0085,
    RecBoolErr = 0x0205,
    RecString = 0x0207,
    RecBof = 0x0809,
};

// Walks the records of a BIFF stream.
class RecordReader
{
public:
    RecordReader(const QByteArray& stream, qsizetype start) : m_stream(stream), m_pos(start) {}

    bool next()
    {
        if (m_pos + 4 > m_stream.size()) {
            return false;
        }
        id = u16(m_stream, m_pos);
        const quint16 length = u16(m_stream, m_pos + 2);
        if (m_pos + 4 + length > m_stream.size()) {
            return false;
        }
        body = QByteArray::fromRawData(m_stream.constData() + m_pos + 4, length);
        m_pos += 4 + length;
        return true;
    }

    quint16 peekId() const { return m_pos + 2 <= m_stream.size() ? u16(m_stream, m_pos) : 0; }

    quint16 id = 0;
    QByteArray body;

private:
    const QByteArray& m_stream;
    qsizetype m_pos;
};

// Characters of a BIFF8 string: 8-bit (the low bytes of UTF-16) or UTF-16LE.
QString biffChars(const QByteArray& body, qsizetype pos, int count, bool wide)
{
    const qsizetype available = (body.size() - pos) / (wide ? 2 : 1);
    count = int(std::min<qsizetype>(count, std::max<qsizetype>(available, 0)));
    if (wide) {
        QString text(count, Qt::Uninitialized);
        for (int i = 0; i < count; ++i) {
            text[i] = QChar(u16(body, pos + 2 * i));
        }
        return text;
    }
    return QString::fromLatin1(body.constData() + pos, count);
}

// True when the stream starts with a BOF record and its records fill it exactly (trailing zero
// padding allowed).
bool wellFormedRecords(const QByteArray& stream)
{
    RecordReader records(stream, 0);
    if (!records.next() || records.id != RecBof) {
        return false;
    }
    qsizetype end = 4 + records.body.size();
    while (records.next()) {
        end += 4 + records.body.size();
    }
    for (qsizetype i = end; i < stream.size(); ++i) {
        if (stream.at(i) != 0) {
            return false;
        }
    }
    return true;
}

struct Globals
{
    bool biff8 = false;
    bool encrypted = false;
    int activeTab = -1;
    QStringList sheetNames;
    QVector<quint32> sheetOffsets;
};

Globals readGlobals(const QByteArray& stream)
{
    Globals globals;
    RecordReader records(stream, 0);
    if (!records.next() || records.id != RecBof || records.body.size() < 2) {
        return globals;
    }
    globals.biff8 = u16(records.body, 0) == 0x0600;
    while (records.next() && records.id != RecEof) {
        const QByteArray& b = records.body;
        if (records.id == RecFilePass) {
            globals.encrypted = true;
            break;
        }
        if (records.id == RecWindow1 && globals.activeTab < 0 && b.size() >= 12) {
            globals.activeTab = u16(b, 10);
        } else if (records.id == RecBoundSheet && globals.biff8 && b.size() >= 8) {
            globals.sheetOffsets.append(u32(b, 0));
            globals.sheetNames.append(biffChars(b, 8, uchar(b.at(6)), b.at(7) & 1));
        }
    }
    return globals;
}

// Cells FreeXL reports as empty although they hold a value: formula results and truth or error
// constants. Formulas with a text result give that text, as Excel's cell value would.
QHash<quint64, SpreadsheetCell> readFormulaCells(const QByteArray& stream, quint32 offset)
{
    QHash<quint64, SpreadsheetCell> cells;
    RecordReader records(stream, offset);
    int depth = 0;
    qint64 pendingKey = -1; // a text result waits for its STRING record
    while (records.next()) {
        const QByteArray& b = records.body;
        if (records.id == RecBof) {
            ++depth;
        } else if (records.id == RecEof) {
            if (--depth <= 0) {
                break;
            }
        }
        if (depth != 1) {
            continue; // embedded charts carry their own substreams
        }
        if (records.id == RecFormula && b.size() >= 14) {
            const quint64 key = quint64(u16(b, 0) + 1) << 16 | quint64(u16(b, 2) + 1);
            pendingKey = -1;
            if (u16(b, 12) != 0xFFFF) {
                const double value = qFromLittleEndian<double>(b.constData() + 6);
                cells.insert(key, SpreadsheetCell::other(QString::number(value, 'g', 15)));
            } else if (b.at(6) == 0) {
                pendingKey = qint64(key);
            } else if (b.at(6) == 1) {
                cells.insert(
                    key, SpreadsheetCell::other(b.at(8) ? QStringLiteral("TRUE") : QStringLiteral("FALSE")));
            } else if (b.at(6) == 2) {
                cells.insert(key, SpreadsheetCell::other(QStringLiteral("#ERROR")));
            } else if (b.at(6) == 3) {
                cells.insert(key, SpreadsheetCell::text(QString()));
            }
        } else if (records.id == RecString && pendingKey >= 0 && b.size() >= 3) {
            const int count = u16(b, 0);
            QString text = biffChars(b, 3, count, b.at(2) & 1);
            // Long results go on in CONTINUE records, each starting with its own width flag.
            while (text.size() < count && records.peekId() == RecContinue && records.next() &&
                   !records.body.isEmpty()) {
                text += biffChars(records.body, 1, count - int(text.size()), records.body.at(0) & 1);
            }
            cells.insert(quint64(pendingKey), SpreadsheetCell::text(text));
            pendingKey = -1;
        } else if (records.id == RecBoolErr && b.size() >= 8) {
            const quint64 key = quint64(u16(b, 0) + 1) << 16 | quint64(u16(b, 2) + 1);
            const bool isError = b.at(7) != 0;
            cells.insert(key, SpreadsheetCell::other(isError   ? QStringLiteral("#ERROR")
                                                     : b.at(6) ? QStringLiteral("TRUE")
                                                               : QStringLiteral("FALSE")));
        }
    }
    return cells;
}

SpreadsheetCell fromFreeXl(const FreeXL_CellValue& value)
{
    switch (value.type) {
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
        return SpreadsheetCell::text(QString::fromUtf8(value.value.text_value));
    case FREEXL_CELL_INT:
        return SpreadsheetCell::other(QString::number(value.value.int_value));
    case FREEXL_CELL_DOUBLE:
        return SpreadsheetCell::other(QString::number(value.value.double_value, 'g', 15));
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        return SpreadsheetCell::other(QString::fromUtf8(value.value.text_value));
    default:
        return SpreadsheetCell();
    }
}

// Closes the FreeXL handle on every path.
class FreeXlHandle
{
public:
    ~FreeXlHandle() { freexl_close(handle); }
    const void* handle = nullptr;
};

} // namespace

SpreadsheetError SpreadsheetXlsLoader::load(const QString& path, const QByteArray& data,
                                            SpreadsheetBook* book)
{
    // The container and the record structure are checked here before FreeXL sees the file:
    // FreeXL reads past its buffers on some truncated files.
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
    if (!wellFormedRecords(workbook)) {
        return SpreadsheetError::Damaged;
    }
    const Globals globals = readGlobals(workbook);
    if (globals.encrypted) {
        return SpreadsheetError::Encrypted;
    }

    // FreeXL takes a narrow path. When the name has characters the local 8-bit encoding cannot
    // hold (possible on Windows), it reads a temporary copy instead.
    QTemporaryFile copy;
    QByteArray nativePath = QFile::encodeName(path);
    if (QFile::decodeName(nativePath) != path) {
        if (!copy.open() || copy.write(data) != data.size() || !copy.flush()) {
            return SpreadsheetError::CannotOpen;
        }
        nativePath = QFile::encodeName(copy.fileName());
    }

    FreeXlHandle xls;
    const int rc = freexl_open(nativePath.constData(), &xls.handle);
    if (rc == FREEXL_FILE_NOT_FOUND) {
        return SpreadsheetError::CannotOpen;
    }
    if (rc == FREEXL_BIFF_WORKBOOK_NOT_FOUND) {
        return SpreadsheetError::NotSpreadsheet;
    }
    if (rc != FREEXL_OK) {
        return SpreadsheetError::Damaged;
    }
    unsigned int info = 0;
    if (freexl_get_info(xls.handle, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK &&
        info == FREEXL_BIFF_OBFUSCATED) {
        return SpreadsheetError::Encrypted;
    }
    unsigned int sheetCount = 0;
    if (freexl_get_info(xls.handle, FREEXL_BIFF_SHEET_COUNT, &sheetCount) != FREEXL_OK || sheetCount == 0) {
        return SpreadsheetError::Damaged;
    }

    book->sheetNames.clear();
    for (unsigned int i = 0; i < sheetCount && i <= 0xFFFF; ++i) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(xls.handle, quint16(i), &name) != FREEXL_OK || !name) {
            return SpreadsheetError::Damaged;
        }
        book->sheetNames.append(QString::fromUtf8(name));
    }
    // The tab active at the last save, matched by name because FreeXL lists worksheets only;
    // without that record, or when it points at a chart sheet, the first sheet is read.
    book->activeSheet = 0;
    if (globals.activeTab >= 0 && globals.activeTab < globals.sheetNames.size()) {
        book->activeSheet =
            std::max(0, int(book->sheetNames.indexOf(globals.sheetNames.at(globals.activeTab))));
    }
    const int globalsIndex = int(globals.sheetNames.indexOf(book->sheetNames.at(book->activeSheet)));
    const qint64 activeOffset = globalsIndex >= 0 ? qint64(globals.sheetOffsets.at(globalsIndex)) : -1;

    if (freexl_select_active_worksheet(xls.handle, quint16(book->activeSheet)) != FREEXL_OK) {
        return SpreadsheetError::Damaged;
    }
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_worksheet_dimensions(xls.handle, &rows, &columns) != FREEXL_OK) {
        return SpreadsheetError::Damaged;
    }
    book->sheet.clear();
    for (unsigned int r = 0; r < rows; ++r) {
        for (unsigned short c = 0; c < columns; ++c) {
            FreeXL_CellValue value;
            if (freexl_get_cell_value(xls.handle, r, c, &value) == FREEXL_OK) {
                book->sheet.setCell(int(r) + 1, int(c) + 1, fromFreeXl(value));
            }
        }
    }
    if (activeOffset >= 0 && activeOffset < workbook.size()) {
        const QHash<quint64, SpreadsheetCell> extra = readFormulaCells(workbook, quint32(activeOffset));
        for (auto it = extra.cbegin(); it != extra.cend(); ++it) {
            book->sheet.setCell(int(it.key() >> 16), int(it.key() & 0xFFFF), it.value());
        }
    }
    return SpreadsheetError::None;
}
