#pragma once

#include <QString>
#include <algorithm>

// One cell value as the spreadsheet imports see it: text, a number, nothing, or anything else.
// Spreadsheet programs store amounts and account numbers typed without a text format as numbers,
// so imports take a number where a column allows it; any other value (a date, a truth value, an
// error value, a formula whose result was never saved) stops them, so those kinds need not be
// told apart.
// How a number format shows a (positive) number, as far as an import must know: whether it
// shows the digits as stored at all, and how many decimals and leading zeros it gives it.
struct SpreadsheetNumberShape
{
    static constexpr int AsStored = 255; // General, "@": the number as stored
    bool altered = false;                // percent, scientific, fraction, scaled by a comma, hidden, unknown
    int decimals = AsStored;
    int zeros = 0; // '0' placeholders before the point: leading zeros a short number gets
};

class SpreadsheetCell
{
public:
    enum class Type
    {
        Empty,
        Text,
        Number,
        Other
    };

    SpreadsheetCell() = default;
    static SpreadsheetCell text(const QString& text) { return SpreadsheetCell(Type::Text, text); }
    using Shape = SpreadsheetNumberShape;
    // id is the built-in format number; code the format's code (empty for a built-in format).
    static Shape shapeOf(int id, const QString& code);

    // A number not formatted as a date or time; raw is the value as the file stores it.
    static SpreadsheetCell number(double value, const QString& raw, Shape shape = Shape())
    {
        SpreadsheetCell c(Type::Number, raw);
        c.m_number = value;
        c.m_altered = shape.altered;
        c.m_decimals = quint8(std::min(shape.decimals, int(Shape::AsStored)));
        c.m_zeros = quint8(std::min(shape.zeros, 254));
        return c;
    }
    // raw is the value as the file stores it ("1" for TRUE, "#N/A", "2020-12-31", a date's serial
    // number), kept for messages and tests; it is never to be taken as the cell's text.
    static SpreadsheetCell other(const QString& raw = QString()) { return SpreadsheetCell(Type::Other, raw); }

    Type type() const { return m_type; }
    bool isEmpty() const { return m_type == Type::Empty; }
    bool isText() const { return m_type == Type::Text; }
    bool isNumber() const { return m_type == Type::Number; }
    bool isOther() const { return m_type == Type::Other; }
    // The whole text of a text cell, untrimmed; empty for the other types.
    QString text() const { return m_type == Type::Text ? m_value : QString(); }
    double number() const { return m_number; }
    Shape shape() const { return {m_altered, m_decimals, m_zeros}; }
    QString rawValue() const { return m_value; }

    // Whether a number format shows its number as a date or time: the built-in formats 14-22,
    // 27-36, 45-47 and 50-58 (the dates of Chinese and other East Asian locales), or a format code
    // with a day, month, year, hour or second outside quotes, escapes and brackets. code is empty
    // for a built-in format.
    static bool isDateFormat(int id, const QString& code);

private:
    SpreadsheetCell(Type type, const QString& value) : m_type(type), m_value(value) {}

    Type m_type = Type::Empty;
    // The number's format, in the room the type leaves before the text.
    bool m_altered = false;
    quint8 m_decimals = Shape::AsStored;
    quint8 m_zeros = 0;
    QString m_value;
    double m_number = 0;
};
