#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The one place where texts cross between the screens (UTF-16) and the data files (GBK bytes).
namespace Gbk {

QByteArray encode(const QString& text);
// Strict decoding: an invalid or truncated byte sequence gives no result, never replacement characters.
std::optional<QString> decode(const QByteArray& bytes);
// True when every character of the text has a GBK form that reads back as the same character;
// only such text may go into a data file.
bool canEncode(const QString& text);

bool hasUtf8Bom(const QByteArray& data);
// Strict UTF-8 decoding: an invalid sequence gives no result.
std::optional<QString> decodeUtf8(const QByteArray& bytes);

// How a text file that comes from outside (an import, a roster edited by hand) is encoded,
// decided once for the whole file: with the UTF-8 byte-order mark it is UTF-8 (office programs
// save "CSV UTF-8" that way); without it, a file that is not valid UTF-8 throughout, or holds no
// multi-byte sequence, is GBK. A file valid both ways (short GBK text often is) is taken in the
// reading nearer ordinary Chinese text (GB2312's hanzi and punctuation; rarer ideographs count a
// little against a reading, other scripts and symbols much more), GBK on a tie: text of GB2312's
// characters the program wrote always reads back as GBK, and a file whose only characters beyond
// ASCII are accented Latin letters is read as GBK too.
enum class FileEncoding
{
    Gbk,
    Utf8,
    Utf8WithBom
};
FileEncoding detect(const QByteArray& data);
// Bytes of the file that the byte-order mark takes before the text.
inline qsizetype markLength(FileEncoding e)
{
    return e == FileEncoding::Utf8WithBom ? 3 : 0;
}
// A line of a GBK file that reads as UTF-8 by itself (UTF-8 lines appended by an editor): its
// GBK reading would be a garbled name, so it is refused, never taken.
bool lineDisagrees(const QByteArray& line, FileEncoding encoding);
// Strict decoding of bytes of such a file.
std::optional<QString> decode(const QByteArray& bytes, FileEncoding encoding);

} // namespace Gbk
