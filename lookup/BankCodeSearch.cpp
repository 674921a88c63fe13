#include "lookup/BankCodeSearch.h"

namespace BankCodeSearch {
std::optional<Result> run(QWidget*)
{
    return std::nullopt; // the search dialog arrives with the bank-code table
}
} // namespace BankCodeSearch
