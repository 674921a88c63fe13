#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// A text file chosen for an import, read whole and handed out line by line, each line with its
// line end. A file that starts with the UTF-8 byte-order mark is UTF-8; any other is GBK. Lines
// are decoded strictly: one that cannot be decoded comes back without text.
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
    bool m_utf8 = false;
};
