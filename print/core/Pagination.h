#pragma once

// How report rows fall on pages: 29 rows on the first page (it carries the title), 30 on every
// later one. The preview and the renderers use the same numbers.
namespace Pagination {

constexpr int kFirstPageRows = 29;
constexpr int kLaterPageRows = 30;

int pageCount(int rowCount);
// First list row (0-based) of page `page` (1-based).
int pageStart(int page);
// Number of rows that page `page` holds out of rowCount.
int pageRows(int page, int rowCount);

} // namespace Pagination
