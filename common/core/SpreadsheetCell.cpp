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
