// Windows build only: one part of a ZIP package as a device (see quazip.h).
#pragma once

#include "quazip.h"

class QuaZipFile : public QIODevice
{
public:
    explicit QuaZipFile(QuaZip* zip) : m_zip(zip) {}
    ~QuaZipFile() override;

    // Reads the zip's current part.
    bool open(OpenMode mode) override;
    // Writes a new part; it is compressed and added when closed.
    bool open(OpenMode mode, const QuaZipNewInfo& info, const char* password = nullptr, quint32 crc = 0,
              int method = Z_DEFLATED, int level = Z_DEFAULT_COMPRESSION);
    void close() override;
    bool isSequential() const override { return true; }
    int getZipError() const { return m_error; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool finishWrite();

    QuaZip* m_zip;
    int m_error = UNZ_OK;
    // reading
    QuaZip::Entry m_entry;
    z_stream m_stream{};
    bool m_inflating = false;
    bool m_ended = false;
    quint64 m_inPos = 0;
    quint64 m_inLeft = 0;
    quint64 m_out = 0;
    quint32 m_crc = 0;
    QByteArray m_in;
    // writing
    QuaZipNewInfo m_info{QString()};
    int m_method = Z_DEFLATED;
    int m_level = Z_DEFAULT_COMPRESSION;
    QByteArray m_data;
};
