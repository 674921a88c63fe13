#pragma once

#include "common/core/Gbk.h"

#include <QByteArray>
#include <QString>
#include <optional>

// A text file chosen for an import, read whole and handed out line by line, each line with its
// line end (CR LF, LF or a lone CR). Its encoding is decided once for the whole file
// (Gbk::detect): UTF-8 with or without the byte-order mark, otherwise GBK. Lines are decoded
// strictly: one that cannot be decoded, one in another encoding than the file's and one longer
// than the layouts allow come back without text. The file is held once; no line is copied or
// decoded beyond the layout's length.
class TextImportFile
{
public:
    // Reads the file; false when it cannot be read.
    bool load(const QString& path);
    void setData(const QByteArray& data);

    enum class Problem
    {
        None,
        Undecodable,   // the bytes are not valid in the file's encoding
        OtherEncoding, // a line of a GBK file that is UTF-8 by itself
        TooLong        // more than CMyTool::MaxLineBytes bytes, passed over unread
    };
    struct Line
    {
        bool end;                    // no line is left
        std::optional<QString> text; // empty on any problem
        Problem problem = Problem::None;
        // Refused with refusal() and passed over; the import goes on.
        bool passedOver() const { return problem == Problem::TooLong || problem == Problem::OtherEncoding; }
    };
    Line next();
    // Lines not yet handed out, blank ones aside: what an import stopped by its limit leaves.
    int linesLeft() const;

    // The rule every reader of outside lines applies before decoding one (line end included or
    // not): TooLong, OtherEncoding or None.
    static Problem screen(const QByteArray& line, Gbk::FileEncoding encoding);

    // What the operator is told of a line passed over for a problem other than Undecodable
    // (which ends an import as a format error), numbered as the import counts it.
    static QString refusal(Problem problem, int number);

private:
    QByteArray m_data;
    qsizetype m_pos = 0;
    Gbk::FileEncoding m_encoding = Gbk::FileEncoding::Gbk;
};
