#include "print/core/Pagination.h"

#include <algorithm>

namespace Pagination {

namespace {

int capacity(int page)
{
    return page <= 1 ? kFirstPageRows : kLaterPageRows;
}

} // namespace

int pageCount(int rowCount)
{
    int pages = 1;
    if (rowCount > kFirstPageRows) {
        pages += (rowCount - kFirstPageRows + kLaterPageRows - 1) / kLaterPageRows;
    }
    return pageRows(pages, rowCount) + kSummaryRows > capacity(pages) ? pages + 1 : pages;
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
    return std::clamp(rowCount - pageStart(page), 0, capacity(page));
}

} // namespace Pagination
