#include "common/core/SpreadsheetReader.h"

#include "common/core/SpreadsheetXlsLoader.h"
#include "common/core/SpreadsheetXlsxLoader.h"

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
    // Ten times any order or roster a person keeps in a workbook; the parts inside are bounded
    // on their own.
    if (file.size() > MaxFileBytes) {
        m_error = Error::TooLarge;
        return false;
    }
    const QByteArray magic = file.peek(8);

    Format format = Format::None;
    if (startsWith(magic, "PK", 2)) {
        // The package is read in place: only the parts needed are inflated.
        m_error = SpreadsheetXlsxLoader::load(&file, &m_book);
        format = Format::Xlsx;
    } else if (startsWith(magic, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) {
        const QByteArray data = file.readAll();
        m_error = file.error() != QFileDevice::NoError ? Error::CannotOpen
                                                       : SpreadsheetXlsLoader::load(data, &m_book);
        format = Format::Xls;
    } else {
        m_error = file.error() != QFileDevice::NoError ? Error::CannotOpen : Error::NotSpreadsheet;
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
