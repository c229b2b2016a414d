#pragma once
// Which pages of a PDF a page job takes. Each job bounds page numbers
// outside the document in its own way.
#include <cstdint>

enum PageRangeMode : std::int32_t {
    PageRangeAll = 0,
    PageRangeSinglePage = 1, // the page named by the first-page field
    PageRangeFirstToLast = 2,
};
