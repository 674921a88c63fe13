#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The one place where texts cross between the screens (UTF-16) and the data files (GBK bytes).
namespace Gbk {

QByteArray encode(const QString& text);
// Strict decoding: an invalid or truncated byte sequence gives no result, never replacement characters.
std::optional<QString> decode(const QByteArray& bytes);
// True when every character of the text has a GBK form and the text reads back unchanged.
bool canEncode(const QString& text);

// Text of a file that starts with the UTF-8 byte-order mark is UTF-8 (office programs save
// "CSV UTF-8" that way); everything else is GBK.
bool hasUtf8Bom(const QByteArray& data);
// Strict UTF-8 decoding for such files.
std::optional<QString> decodeUtf8(const QByteArray& bytes);

} // namespace Gbk
