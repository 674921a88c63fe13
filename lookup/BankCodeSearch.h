#pragma once

#include <QString>
#include <optional>

class QWidget;

// Runs the routing-code search dialog for a screen and hands back the double-clicked entry.
namespace BankCodeSearch {
struct Result
{
    QString bankName;
    QString code;
};
std::optional<Result> run(QWidget* parent);
} // namespace BankCodeSearch
