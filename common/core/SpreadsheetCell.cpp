#include "common/core/SpreadsheetCell.h"

bool SpreadsheetCell::isDateFormat(int id, const QString& code)
{
    if ((id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
        (id >= 50 && id <= 58)) {
        return true;
    }
    bool quoted = false;
    for (int i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i).toLower();
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
        } else if (quoted) {
            continue;
        } else if (c == QLatin1Char('\\') || c == QLatin1Char('_') || c == QLatin1Char('*')) {
            ++i; // the next character is shown as it is
        } else if (c == QLatin1Char('[')) {
            // [h], [mm], [ss]: elapsed time; [Red], [$-804]: colour and locale
            const int end = code.indexOf(QLatin1Char(']'), i);
            const QString inner = code.mid(i + 1, end < 0 ? -1 : end - i - 1).toLower();
            if (!inner.isEmpty() && inner.count(inner.at(0)) == inner.size() &&
                QStringLiteral("hms").contains(inner.at(0))) {
                return true;
            }
            i = end < 0 ? int(code.size()) : end;
        } else if (QStringLiteral("dmyhs").contains(c)) {
            return true;
        }
    }
    return false;
}

SpreadsheetCell::Shape SpreadsheetCell::shapeOf(int id, const QString& code)
{
    Shape shape;
    if (code.isEmpty()) {
        // The built-in formats without a code in the file.
        switch (id) {
        case 0:
        case 49:
            return shape;
        case 1:
        case 3:
        case 5:
        case 6:
        case 37:
        case 38:
        case 41:
        case 42:
            return {false, 0, 1};
        case 2:
        case 4:
        case 7:
        case 8:
        case 39:
        case 40:
        case 43:
        case 44:
            return {false, 2, 1};
        default:
            return {true, 0, 0}; // percent, scientific, fraction or unknown
        }
    }
    // Only the first section shows a positive number.
    bool quoted = false;
    bool point = false;
    bool placeholders = false;
    bool commaAfterLast = false;
    int decimals = 0;
    int zeros = 0;
    QString plain; // the code without its quoted, escaped and bracketed parts
    for (int i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            continue;
        }
        if (quoted) {
            continue;
        }
        if (c == QLatin1Char(';')) {
            break;
        }
        if (c == QLatin1Char('\\') || c == QLatin1Char('_') || c == QLatin1Char('*')) {
            ++i;
            continue;
        }
        if (c == QLatin1Char('[')) {
            const int end = int(code.indexOf(QLatin1Char(']'), i));
            i = end < 0 ? int(code.size()) : end;
            continue;
        }
        plain += c;
        if (c == QLatin1Char('0') || c == QLatin1Char('#') || c == QLatin1Char('?')) {
            placeholders = true;
            commaAfterLast = false;
            if (point) {
                ++decimals;
            } else if (c == QLatin1Char('0')) {
                ++zeros;
            }
        } else if (c == QLatin1Char('.')) {
            point = true;
        } else if (c == QLatin1Char(',')) {
            commaAfterLast = placeholders;
        } else if (c == QLatin1Char('%') || c == QLatin1Char('/') || c == QLatin1Char('E') ||
                   c == QLatin1Char('e')) {
            shape.altered = true;
        }
    }
    if (plain.contains(QLatin1String("general"), Qt::CaseInsensitive) ||
        plain.trimmed() == QLatin1String("@")) {
        return {false, Shape::AsStored, 0};
    }
    // A comma after the last digit divides by a thousand; a section without a digit hides it.
    shape.altered = shape.altered || commaAfterLast || !placeholders;
    shape.decimals = decimals;
    shape.zeros = zeros;
    return shape;
}
