#include "print/core/Pagination.h"

#include <algorithm>

namespace Pagination {

int pageCount(int rowCount)
{
    if (rowCount <= kFirstPageRows) {
        return 1;
    }
    return 1 + (rowCount - kFirstPageRows + kLaterPageRows - 1) / kLaterPageRows;
}

int pageStart(int page)
{
    if (page <= 1) {
        return 0;
    }
    return kFirstPageRows + (page - 2) * kLaterPageRows; // 29, 59, ... = 30 * page - 31
}

int pageRows(int page, int rowCount)
{
    const int capacity = page <= 1 ? kFirstPageRows : kLaterPageRows;
    return std::clamp(rowCount - pageStart(page), 0, capacity);
}

} // namespace Pagination
