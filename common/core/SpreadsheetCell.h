#pragma once

#include <QString>

// One cell value as the spreadsheet imports see it: text, nothing, or anything else. Imports take
// text only; any other value (a number, a date, a truth value, an error value, a formula whose result
// was never saved) stops them, so those kinds need not be told apart.
class SpreadsheetCell
{
public:
    enum class Type
    {
        Empty,
        Text,
        Other
    };

    SpreadsheetCell() = default;
    static SpreadsheetCell text(const QString& text) { return SpreadsheetCell(Type::Text, text); }
    // raw is the value as the file stores it ("12.5", "1" for TRUE, "#N/A", "2020-12-31"), kept
    // for messages and tests; it is never to be taken as the cell's text.
    static SpreadsheetCell other(const QString& raw = QString()) { return SpreadsheetCell(Type::Other, raw); }

    Type type() const { return m_type; }
    bool isEmpty() const { return m_type == Type::Empty; }
    bool isText() const { return m_type == Type::Text; }
    bool isOther() const { return m_type == Type::Other; }
    // The whole text of a text cell, untrimmed; empty for the other types.
    QString text() const { return m_type == Type::Text ? m_value : QString(); }
    QString rawValue() const { return m_value; }

private:
    SpreadsheetCell(Type type, const QString& value) : m_type(type), m_value(value) {}

    Type m_type = Type::Empty;
    QString m_value;
};
