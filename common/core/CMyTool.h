#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Stateless helpers shared by the screens: the program directory, field tidying,
// amount rules and the network error texts.
class CMyTool
{
public:
    // Folder of the running executable, with a trailing separator. Data files live here.
    static QString GetModuleDir();
    // Tests point the program directory at a folder of their own; an empty path restores the default.
    static void SetModuleDirForTests(const QString& dir);
    // Full path of a data file in the program directory.
    static QString DataFilePath(const QString& fileName);

    static QString TrimSpaces(const QString& text);
    // A field as the checks take it: without CR and LF, which no data file can carry inside a
    // field (the writers remove them), and then trimmed of spaces. What the line holds is then
    // what its file gets.
    static QString TidyField(const QString& text);
    // Removes LF and CR: a field written to a data file must never break its line.
    static QString RemoveNewlines(const QString& text);
    static bool IsAllDigits(const QString& text);

    // Next line of data starting at pos, with its line end when it has one; empty at the end.
    // CR LF, a lone LF and a lone CR each end a line (files come from Windows, Unix and old
    // Mac editors alike).
    static QByteArray ReadTextLine(const QByteArray& data, qsizetype& pos);
    // The same, for a reader that takes at most limit bytes a line: a longer line is passed over
    // whole and only its first limit + 1 bytes come back, without a line end (IsOverlong).
    static QByteArray ReadTextLine(const QByteArray& data, qsizetype& pos, qsizetype limit);
    static bool IsOverlong(const QByteArray& line, qsizetype limit)
    {
        return line.size() - LineEndLength(line) > limit;
    }

    // What the file layouts hold: a line of at most 1023 bytes, a field of at most 256 bytes of
    // GBK. Longer ones are refused, never cut and never passed on to the bank.
    static constexpr qsizetype MaxLineBytes = 1023;
    static constexpr qsizetype MaxFieldBytes = 256;
    // Length of the line end at the end of line (2 for CR LF, 1 for LF or CR, 0 for none).
    static int LineEndLength(const QByteArray& line);
    static int LineEndLength(const QString& line);

    static QString WinHttpErrorText(int errorCode);

    // Amounts (see Amount.cpp).
    static bool IsAmountChars(const QString& text);
    static QString NormalizeLeadingZeros(const QString& text);
    static QString PadDecimals(const QString& text);
    static std::optional<QString> CapitalAmount(const QString& text);
};
