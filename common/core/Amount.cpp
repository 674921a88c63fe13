#include "common/core/Amount.h"

#include "common/core/CMyTool.h"

#include <array>

bool CMyTool::IsAmountChars(const QString& text)
{
    for (QChar c : text) {
        if ((c < QLatin1Char('0') || c > QLatin1Char('9')) && c != QLatin1Char('.')) {
            return false;
        }
    }
    return true;
}

QString CMyTool::NormalizeLeadingZeros(const QString& text)
{
    if (text.isEmpty()) {
        return text;
    }
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char('0')) {
        ++i;
    }
    QString rest = text.mid(i);
    if (rest.isEmpty()) {
        return QStringLiteral("0.00");
    }
    if (rest.startsWith(QLatin1Char('.'))) {
        return QLatin1Char('0') + rest;
    }
    return rest;
}

QString CMyTool::PadDecimals(const QString& text)
{
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    if (point < 0) {
        return text + QStringLiteral(".00");
    }
    const qsizetype decimals = text.size() - point - 1;
    if (decimals == 0) {
        return text + QStringLiteral("00");
    }
    if (decimals == 1) {
        return text + QLatin1Char('0');
    }
    return text;
}

std::optional<QString> CMyTool::CapitalAmount(const QString& text)
{
    static const QString digitsCap = QStringLiteral("零壹贰叁肆伍陆柒捌玖");
    static const QString units = QStringLiteral("分角元拾佰仟万拾佰仟亿拾佰仟万拾佰仟亿");

    const qsizetype point = text.indexOf(QLatin1Char('.'));
    const QString intPart = point < 0 ? text : text.left(point);
    QString decPart = point < 0 ? QStringLiteral("00") : text.mid(point + 1);
    if (decPart.size() <= 1) {
        decPart += QLatin1Char('0');
    } else if (decPart.size() > 2) {
        return std::nullopt;
    }

    // Leading decimal number of each part, as the C library would read it.
    auto leadingDigits = [](const QString& s) {
        QString out;
        for (QChar c : s) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
                break;
            }
            out += c;
        }
        return out;
    };
    QString intDigits = leadingDigits(intPart);
    while (intDigits.size() > 1 && intDigits.startsWith(QLatin1Char('0'))) {
        intDigits.remove(0, 1);
    }
    // Positions 2 to 18 hold the yuan digits; a longer integer cannot be spelled.
    if (intDigits.size() > 17) {
        return std::nullopt;
    }
    const QString decDigits = leadingDigits(decPart);
    const int d = decDigits.isEmpty() ? 0 : decDigits.toInt();

    std::array<int, 20> digit{};
    digit[0] = d % 10;
    digit[1] = (d / 10) % 10;
    for (qsizetype i = 0; i < intDigits.size(); ++i) {
        digit[2 + i] = intDigits.at(intDigits.size() - 1 - i).digitValue();
    }

    QString r;
    QString s;
    auto putDigit = [&](int pos) {
        if ((!r.isEmpty() || !s.isEmpty()) && digit[pos + 1] == 0) {
            s += QStringLiteral("零");
        }
        s += digitsCap.at(digit[pos]);
        s += units.at(pos);
    };
    for (int pos = 18; pos >= 10; --pos) {
        if (digit[pos] != 0) {
            putDigit(pos);
        } else if (!s.isEmpty() && pos == 14) {
            s += QStringLiteral("万");
        } else if (!s.isEmpty() && pos == 10) {
            s += QStringLiteral("亿");
        }
    }
    r += s;
    s.clear();
    for (int pos = 9; pos >= 2; --pos) {
        if (digit[pos] != 0) {
            putDigit(pos);
        } else if (!s.isEmpty() && pos == 6) {
            s += QStringLiteral("万");
        } else if ((!r.isEmpty() || !s.isEmpty()) && pos == 2) {
            s += QStringLiteral("元");
        }
    }
    r += s;
    for (int pos = 1; pos >= 0; --pos) {
        if (digit[pos] != 0) {
            r += digitsCap.at(digit[pos]);
            r += units.at(pos);
        }
    }
    if (r.startsWith(QStringLiteral("壹拾"))) {
        r.remove(0, 1);
    }
    return r;
}

namespace Amount {

Problem check(const QString& text, QString* canonical)
{
    if (text.isEmpty()) {
        return Problem::Empty;
    }
    if (!CMyTool::IsAmountChars(text)) {
        return Problem::Format;
    }
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    if (point >= 0 && (text.indexOf(QLatin1Char('.'), point + 1) >= 0 || text.size() - point - 1 > 2)) {
        return Problem::Format;
    }
    bool nonZero = false;
    for (QChar c : text) {
        if (c >= QLatin1Char('1') && c <= QLatin1Char('9')) {
            nonZero = true;
        }
    }
    const QString normalized = CMyTool::NormalizeLeadingZeros(text);
    const qsizetype normPoint = normalized.indexOf(QLatin1Char('.'));
    const qsizetype intDigits = normPoint < 0 ? normalized.size() : normPoint;
    if (intDigits > MaxIntegerDigits) {
        return Problem::Format;
    }
    if (!nonZero) {
        return Problem::Zero;
    }
    if (canonical) {
        *canonical = CMyTool::PadDecimals(normalized);
    }
    return Problem::None;
}

std::optional<qint64> toFen(const QString& text)
{
    QString canonical;
    if (check(text, &canonical) != Problem::None) {
        return std::nullopt;
    }
    const qsizetype point = canonical.indexOf(QLatin1Char('.'));
    const qint64 yuan = canonical.left(point).toLongLong();
    const qint64 fen = canonical.mid(point + 1).toLongLong();
    return yuan * 100 + fen;
}

QString fenToText(qint64 fen)
{
    return QStringLiteral("%1.%2").arg(fen / 100).arg(fen % 100, 2, 10, QLatin1Char('0'));
}

Totals listTotals(const QStringList& amounts)
{
    // Every accepted amount is below 10^15 fen, so even thousands of lines stay far inside 64 bits.
    qint64 sum = 0;
    for (const QString& a : amounts) {
        sum += toFen(a).value_or(0);
    }
    return {QString::number(amounts.size()), fenToText(sum)};
}

} // namespace Amount
