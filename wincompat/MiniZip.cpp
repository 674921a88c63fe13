// Windows build only: ZIP reading and writing with zlib, for the calls the program makes through
// QuaZip's interface (stored and deflated entries, ZIP64 sizes when reading, no encryption).
#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

#include <QFile>
#include <algorithm>
#include <climits>

namespace {

constexpr quint32 LocalSig = 0x04034b50;
constexpr quint32 CentralSig = 0x02014b50;
constexpr quint32 EndSig = 0x06054b50;
constexpr quint32 End64Sig = 0x06064b50;
constexpr quint32 Locator64Sig = 0x07064b50;
constexpr quint64 Max32 = 0xFFFFFFFFu;

quint64 le(const QByteArray& b, qsizetype at, int bytes)
{
    quint64 v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        v = (v << 8) | quint8(b[at + i]);
    }
    return v;
}

void put(QByteArray* b, quint64 v, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        b->append(char((v >> (8 * i)) & 0xFF));
    }
}

quint32 dosTime(const QDateTime& when)
{
    const QDate d = when.date();
    const QTime t = when.time();
    if (!when.isValid() || d.year() < 1980) {
        return 0x21u << 16; // 1980-01-01 00:00
    }
    const quint32 date = quint32((d.year() - 1980) << 9 | d.month() << 5 | d.day());
    const quint32 time = quint32(t.hour() << 11 | t.minute() << 5 | t.second() / 2);
    return date << 16 | time;
}

} // namespace

QuaZip::QuaZip(QIODevice* device) : m_device(device) {}

QuaZip::QuaZip(const QString& path) : m_owned(std::make_unique<QFile>(path)), m_device(m_owned.get()) {}

QuaZip::~QuaZip()
{
    if (m_mode != mdNotOpen) {
        close();
    }
}

bool QuaZip::open(Mode mode)
{
    m_error = UNZ_OK;
    m_entries.clear();
    m_current = -1;
    const QIODevice::OpenMode want = mode == mdUnzip ? QIODevice::ReadOnly : QIODevice::WriteOnly;
    if (mode == mdNotOpen || m_mode != mdNotOpen || !m_device ||
        (!m_device->isOpen() && !m_device->open(want | (mode == mdCreate ? QIODevice::Truncate : want)))) {
        m_error = UNZ_PARAMERROR;
        return false;
    }
    if (mode == mdUnzip && !readDirectory()) {
        m_entries.clear();
        m_error = UNZ_BADZIPFILE;
        if (m_owned) {
            m_owned->close();
        }
        return false;
    }
    m_mode = mode;
    m_current = m_entries.isEmpty() ? -1 : 0;
    return true;
}

void QuaZip::close()
{
    if (m_mode == mdCreate && !writeDirectory()) {
        m_error = ZIP_ERRNO;
    }
    if (m_owned) {
        m_owned->close();
    }
    m_mode = mdNotOpen;
    m_current = -1;
}

bool QuaZip::readDirectory()
{
    const qint64 size = m_device->size();
    const qint64 tail = std::min<qint64>(size, 22 + 0xFFFF);
    if (tail < 22 || !m_device->seek(size - tail)) {
        return false;
    }
    const QByteArray t = m_device->read(tail);
    qsizetype at = -1;
    for (qsizetype i = t.size() - 22; i >= 0; --i) {
        if (le(t, i, 4) == EndSig) {
            at = i;
            break;
        }
    }
    if (at < 0) {
        return false;
    }
    quint64 count = le(t, at + 10, 2);
    quint64 cdSize = le(t, at + 12, 4);
    quint64 cdOffset = le(t, at + 16, 4);
    if (count == 0xFFFF || cdSize == Max32 || cdOffset == Max32) {
        if (at < 20 || le(t, at - 20, 4) != Locator64Sig || !m_device->seek(qint64(le(t, at - 12, 8)))) {
            return false;
        }
        const QByteArray r = m_device->read(56);
        if (r.size() < 56 || le(r, 0, 4) != End64Sig) {
            return false;
        }
        count = le(r, 32, 8);
        cdSize = le(r, 40, 8);
        cdOffset = le(r, 48, 8);
    }
    // A count the directory cannot hold is damage, not a reason to allocate.
    if (cdOffset > quint64(size) || cdSize > quint64(size) - cdOffset || count > cdSize / 46 ||
        !m_device->seek(qint64(cdOffset))) {
        return false;
    }
    const QByteArray cd = m_device->read(qint64(cdSize));
    if (quint64(cd.size()) != cdSize) {
        return false;
    }
    qsizetype p = 0;
    for (quint64 i = 0; i < count; ++i) {
        if (p + 46 > cd.size() || le(cd, p, 4) != CentralSig) {
            return false;
        }
        Entry e;
        e.flags = quint16(le(cd, p + 8, 2));
        e.method = quint16(le(cd, p + 10, 2));
        e.dosTime = quint32(le(cd, p + 12, 4));
        e.crc = quint32(le(cd, p + 16, 4));
        e.compressedSize = le(cd, p + 20, 4);
        e.uncompressedSize = le(cd, p + 24, 4);
        const qsizetype n = qsizetype(le(cd, p + 28, 2));
        const qsizetype m = qsizetype(le(cd, p + 30, 2));
        const qsizetype k = qsizetype(le(cd, p + 32, 2));
        e.offset = le(cd, p + 42, 4);
        if (p + 46 + n + m + k > cd.size()) {
            return false;
        }
        e.rawName = cd.mid(p + 46, n);
        // ZIP64 extra field: 64-bit values for those the header marks 0xFFFFFFFF, in this order.
        for (qsizetype x = p + 46 + n, end = x + m; x + 4 <= end;) {
            const quint64 id = le(cd, x, 2);
            const qsizetype len = qsizetype(le(cd, x + 2, 2));
            if (x + 4 + len > end) {
                break;
            }
            if (id == 1) {
                qsizetype q = x + 4;
                for (quint64* v : {&e.uncompressedSize, &e.compressedSize, &e.offset}) {
                    if (*v == Max32 && q + 8 <= x + 4 + len) {
                        *v = le(cd, q, 8);
                        q += 8;
                    }
                }
            }
            x += 4 + len;
        }
        e.name = (e.flags & 0x800) ? QString::fromUtf8(e.rawName) : QString::fromLatin1(e.rawName);
        m_entries.append(e);
        p += 46 + n + m + k;
    }
    return true;
}

bool QuaZip::writeDirectory()
{
    const qint64 start = m_device->pos();
    QByteArray cd;
    for (const Entry& e : m_entries) {
        put(&cd, CentralSig, 4);
        put(&cd, 20, 2); // made by: MS-DOS, 2.0
        put(&cd, 20, 2); // needed: 2.0
        put(&cd, e.flags, 2);
        put(&cd, e.method, 2);
        put(&cd, e.dosTime, 4);
        put(&cd, e.crc, 4);
        put(&cd, e.compressedSize, 4);
        put(&cd, e.uncompressedSize, 4);
        put(&cd, quint64(e.rawName.size()), 2);
        cd.append(12, '\0'); // no extra field or comment; disk 0; no attributes
        put(&cd, e.offset, 4);
        cd.append(e.rawName);
    }
    if (start < 0 || quint64(start) + quint64(cd.size()) > Max32 || m_entries.size() >= 0xFFFF) {
        return false;
    }
    QByteArray end;
    put(&end, EndSig, 4);
    put(&end, 0, 4);
    put(&end, quint64(m_entries.size()), 2);
    put(&end, quint64(m_entries.size()), 2);
    put(&end, quint64(cd.size()), 4);
    put(&end, quint64(start), 4);
    put(&end, 0, 2);
    cd.append(end);
    return m_device->write(cd) == cd.size();
}

bool QuaZip::setCurrentFile(const QString& name, CaseSensitivity cs)
{
    const Qt::CaseSensitivity how = cs == csInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (int i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].name.compare(name, how) == 0) {
            m_current = i;
            return true;
        }
    }
    m_current = -1;
    return false;
}

bool QuaZip::getCurrentFileInfo(QuaZipFileInfo64* info) const
{
    if (m_mode != mdUnzip || m_current < 0 || !info) {
        return false;
    }
    const Entry& e = m_entries[m_current];
    info->name = e.name;
    info->method = e.method;
    info->crc = e.crc;
    info->compressedSize = e.compressedSize;
    info->uncompressedSize = e.uncompressedSize;
    return true;
}

QuaZipFile::~QuaZipFile()
{
    if (isOpen()) {
        close();
    }
}

bool QuaZipFile::open(OpenMode mode)
{
    m_error = UNZ_PARAMERROR;
    if (!(mode & ReadOnly) || (mode & WriteOnly) || m_zip->m_mode != QuaZip::mdUnzip || m_zip->m_current < 0) {
        return false;
    }
    m_entry = m_zip->m_entries[m_zip->m_current];
    QIODevice* dev = m_zip->m_device;
    m_error = UNZ_BADZIPFILE;
    if ((m_entry.flags & 1) || (m_entry.method != 0 && m_entry.method != Z_DEFLATED) ||
        !dev->seek(qint64(m_entry.offset))) {
        return false;
    }
    const QByteArray local = dev->read(30);
    if (local.size() < 30 || le(local, 0, 4) != LocalSig) {
        return false;
    }
    m_inPos = m_entry.offset + 30 + le(local, 26, 2) + le(local, 28, 2);
    m_inLeft = m_entry.compressedSize;
    if (m_inPos > quint64(dev->size()) || m_inLeft > quint64(dev->size()) - m_inPos) {
        return false;
    }
    m_stream = z_stream{};
    if (m_entry.method == Z_DEFLATED && inflateInit2(&m_stream, -MAX_WBITS) != Z_OK) {
        return false;
    }
    m_inflating = m_entry.method == Z_DEFLATED;
    m_ended = false;
    m_out = 0;
    m_crc = quint32(crc32(0, nullptr, 0));
    m_error = UNZ_OK;
    return QIODevice::open(mode);
}

qint64 QuaZipFile::readData(char* data, qint64 maxSize)
{
    if (!(openMode() & ReadOnly) || m_error != UNZ_OK) {
        return -1;
    }
    // Never more than the directory says the part holds, like minizip.
    const qint64 cap = qint64(std::min<quint64>({quint64(maxSize), m_entry.uncompressedSize - m_out, 1u << 30}));
    if (m_ended || cap <= 0) {
        m_ended = true;
        return 0;
    }
    QIODevice* dev = m_zip->m_device;
    qint64 produced = 0;
    if (!m_inflating) {
        const qint64 want = qint64(std::min<quint64>(quint64(cap), m_inLeft));
        if (want <= 0 || !dev->seek(qint64(m_inPos)) || dev->read(data, want) != want) {
            m_error = UNZ_ERRNO;
            return -1;
        }
        m_inPos += quint64(want);
        m_inLeft -= quint64(want);
        produced = want;
    } else {
        m_stream.next_out = reinterpret_cast<Bytef*>(data);
        m_stream.avail_out = uInt(cap);
        while (m_stream.avail_out > 0 && !m_ended) {
            if (m_stream.avail_in == 0 && m_inLeft > 0) {
                const qint64 chunk = qint64(std::min<quint64>(m_inLeft, 16384));
                if (!dev->seek(qint64(m_inPos)) || (m_in = dev->read(chunk)).size() != chunk) {
                    m_error = UNZ_ERRNO;
                    return -1;
                }
                m_inPos += quint64(chunk);
                m_inLeft -= quint64(chunk);
                m_stream.next_in = reinterpret_cast<Bytef*>(m_in.data());
                m_stream.avail_in = uInt(chunk);
            }
            const int r = inflate(&m_stream, Z_NO_FLUSH);
            if (r == Z_STREAM_END) {
                m_ended = true;
            } else if (r != Z_OK) {
                m_error = Z_DATA_ERROR; // damaged or cut-off data
                return -1;
            }
        }
        produced = cap - qint64(m_stream.avail_out);
    }
    m_crc = quint32(crc32(m_crc, reinterpret_cast<const Bytef*>(data), uInt(produced)));
    m_out += quint64(produced);
    return produced;
}

bool QuaZipFile::open(OpenMode mode, const QuaZipNewInfo& info, const char* password, quint32, int method,
                      int level)
{
    m_error = ZIP_PARAMERROR;
    if (!(mode & WriteOnly) || (mode & ReadOnly) || password || m_zip->m_mode != QuaZip::mdCreate ||
        (method != 0 && method != Z_DEFLATED)) {
        return false;
    }
    m_info = info;
    m_method = method;
    m_level = level;
    m_data.clear();
    m_error = ZIP_OK;
    return QIODevice::open(mode);
}

qint64 QuaZipFile::writeData(const char* data, qint64 size)
{
    if (!(openMode() & WriteOnly)) {
        return -1;
    }
    m_data.append(data, size);
    return size;
}

bool QuaZipFile::finishWrite()
{
    if (m_data.size() > INT_MAX / 2) {
        return false;
    }
    QByteArray packed = m_data;
    if (m_method == Z_DEFLATED) {
        z_stream s{};
        if (deflateInit2(&s, m_level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
            return false;
        }
        packed.resize(qsizetype(deflateBound(&s, uLong(m_data.size()))));
        s.next_in = reinterpret_cast<Bytef*>(m_data.data());
        s.avail_in = uInt(m_data.size());
        s.next_out = reinterpret_cast<Bytef*>(packed.data());
        s.avail_out = uInt(packed.size());
        const int r = deflate(&s, Z_FINISH);
        packed.resize(qsizetype(s.total_out));
        deflateEnd(&s);
        if (r != Z_STREAM_END) {
            return false;
        }
    }
    QuaZip::Entry e;
    e.rawName = m_info.name.toUtf8();
    e.name = m_info.name;
    const bool ascii = std::all_of(e.rawName.cbegin(), e.rawName.cend(), [](char c) { return uchar(c) < 0x80; });
    e.flags = ascii ? 0 : 0x800;
    e.method = quint16(m_method);
    e.dosTime = dosTime(m_info.dateTime);
    e.crc = quint32(crc32(0, reinterpret_cast<const Bytef*>(m_data.constData()), uInt(m_data.size())));
    e.compressedSize = quint64(packed.size());
    e.uncompressedSize = quint64(m_data.size());
    QIODevice* dev = m_zip->m_device;
    const qint64 at = dev->pos();
    if (at < 0 || quint64(at) + 30 + quint64(e.rawName.size()) + e.compressedSize > Max32) {
        return false;
    }
    e.offset = quint64(at);
    QByteArray header;
    put(&header, LocalSig, 4);
    put(&header, 20, 2);
    put(&header, e.flags, 2);
    put(&header, e.method, 2);
    put(&header, e.dosTime, 4);
    put(&header, e.crc, 4);
    put(&header, e.compressedSize, 4);
    put(&header, e.uncompressedSize, 4);
    put(&header, quint64(e.rawName.size()), 2);
    put(&header, 0, 2);
    header.append(e.rawName);
    if (dev->write(header) != header.size() || dev->write(packed) != packed.size()) {
        return false;
    }
    m_zip->m_entries.append(e);
    return true;
}

void QuaZipFile::close()
{
    if (openMode() & WriteOnly) {
        if (m_error == ZIP_OK && !finishWrite()) {
            m_error = ZIP_ERRNO;
        }
        m_data.clear();
    } else if (openMode() & ReadOnly) {
        if (m_inflating) {
            inflateEnd(&m_stream);
            m_inflating = false;
        }
        // The CRC is checked once the whole part has been read, as minizip does.
        if (m_error == UNZ_OK && m_out == m_entry.uncompressedSize && m_crc != m_entry.crc) {
            m_error = UNZ_CRCERROR;
        }
    }
    QIODevice::close();
}
