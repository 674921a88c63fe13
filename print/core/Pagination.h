#pragma once

// How report rows fall on pages: 29 rows on the first page (it carries the title), 30 on every
// later one. The last page also carries the summary (totals and signatures), which takes the room
// of kSummaryRows rows; when the last rows leave less, the summary gets a page of its own. The
// preview and the renderers use the same numbers.
namespace Pagination {

constexpr int kFirstPageRows = 29;
constexpr int kLaterPageRows = 30;
constexpr int kSummaryRows = 3;

// Pages of a report of rowCount rows, the summary's page included.
int pageCount(int rowCount);
// First list row (0-based) of page `page` (1-based).
int pageStart(int page);
// Number of rows that page `page` holds out of rowCount (0 on a summary's own page).
int pageRows(int page, int rowCount);

} // namespace Pagination
