#pragma once

#include "common/core/Gbk.h"

#include <QByteArray>
#include <QString>
#include <optional>

// A text file chosen for an import, read whole and handed out line by line, each line with its
// line end (CR LF, LF or a lone CR). Its encoding is decided once for the whole file
// (Gbk::detect): UTF-8 with or without the byte-order mark, otherwise GBK. Lines are decoded
// strictly: one that cannot be decoded comes back without text.
class TextImportFile
{
public:
    // Reads the file; false when it cannot be read.
    bool load(const QString& path);
    void setData(const QByteArray& data);

    struct Line
    {
        bool end;                    // no line is left
        std::optional<QString> text; // empty when the bytes are not valid in the file's encoding
    };
    Line next();

private:
    QByteArray m_data;
    qsizetype m_pos = 0;
    Gbk::FileEncoding m_encoding = Gbk::FileEncoding::Gbk;
};
