#include "common/core/SpreadsheetReader.h"

#include "common/core/SpreadsheetXlsLoader.h"
#include "common/core/SpreadsheetXlsxLoader.h"

#include <QBuffer>
#include <QFile>

namespace {

bool startsWith(const QByteArray& data, const char* magic, int length)
{
    return data.size() >= length && memcmp(data.constData(), magic, size_t(length)) == 0;
}

} // namespace

bool SpreadsheetReader::open(const QString& path)
{
    close();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_error = Error::CannotOpen;
        return false;
    }
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        m_error = Error::CannotOpen;
        return false;
    }
    file.close();

    Format format = Format::None;
    if (startsWith(data, "PK", 2)) {
        QBuffer buffer;
        buffer.setData(data);
        buffer.open(QIODevice::ReadOnly);
        m_error = SpreadsheetXlsxLoader::load(&buffer, &m_book);
        format = Format::Xlsx;
    } else if (startsWith(data, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) {
        m_error = SpreadsheetXlsLoader::load(path, data, &m_book);
        format = Format::Xls;
    } else {
        m_error = Error::NotSpreadsheet;
    }
    if (m_error != Error::None) {
        m_book = SpreadsheetBook();
        return false;
    }
    m_format = format;
    return true;
}

void SpreadsheetReader::close()
{
    m_format = Format::None;
    m_error = Error::None;
    m_book = SpreadsheetBook();
}

QString SpreadsheetReader::activeSheetName() const
{
    return m_book.activeSheet < m_book.sheetNames.size() ? m_book.sheetNames.at(m_book.activeSheet)
                                                         : QString();
}
