// Windows build only: the part of QuaZip's interface the program uses, over zlib (see MiniZip.cpp).
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QIODevice>
#include <QList>
#include <QString>
#include <memory>
#include <zlib.h>

#define UNZ_OK 0
#define UNZ_ERRNO (-1)
#define UNZ_PARAMERROR (-102)
#define UNZ_BADZIPFILE (-103)
#define UNZ_CRCERROR (-105)
#define ZIP_OK 0
#define ZIP_ERRNO (-1)
#define ZIP_PARAMERROR (-102)

struct QuaZipFileInfo64
{
    QString name;
    quint16 method = 0;
    quint32 crc = 0;
    quint64 compressedSize = 0;
    quint64 uncompressedSize = 0;
};

struct QuaZipNewInfo
{
    QuaZipNewInfo(const QString& name) : name(name), dateTime(QDateTime::currentDateTime()) {}
    QString name;
    QDateTime dateTime;
};

class QuaZip
{
public:
    enum Mode
    {
        mdNotOpen,
        mdUnzip,
        mdCreate
    };
    enum CaseSensitivity
    {
        csDefault,
        csSensitive,
        csInsensitive
    };

    explicit QuaZip(QIODevice* device);
    explicit QuaZip(const QString& path);
    ~QuaZip();

    bool open(Mode mode);
    void close();
    int getZipError() const { return m_error; }
    int getEntriesCount() const { return int(m_entries.size()); }
    bool setCurrentFile(const QString& name, CaseSensitivity cs = csDefault);
    bool getCurrentFileInfo(QuaZipFileInfo64* info) const;

private:
    friend class QuaZipFile;
    struct Entry
    {
        QString name;
        QByteArray rawName;
        quint16 flags = 0;
        quint16 method = 0;
        quint32 dosTime = 0;
        quint32 crc = 0;
        quint64 compressedSize = 0;
        quint64 uncompressedSize = 0;
        quint64 offset = 0;
    };
    bool readDirectory();
    bool writeDirectory();

    std::unique_ptr<QIODevice> m_owned;
    QIODevice* m_device;
    Mode m_mode = mdNotOpen;
    int m_error = UNZ_OK;
    QList<Entry> m_entries;
    int m_current = -1;
};
