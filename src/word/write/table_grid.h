#pragma once
// A table's cells on its grid, as a page's rows lay them out.
#include <cstdint>
#include <string>
#include <vector>

#include "word/model.h"

namespace word::write {

// For each cell of each row of `t`: the rows it spans down (a vertical
// merge's first cell, over the cells that go on from it in its column),
// 1 for a cell of its own, 0 for a cell covered by the one above.
std::vector<std::vector<uint32_t>> rowSpans(const Table& t);

// The tags that open a table (with its columns' widths), a row and a cell
// spanning `rows` rows; `heading`: a cell of the rows heading the columns.
std::u16string tableStart(const Table& t);
std::u16string rowStart(const Row& row);
std::u16string cellStart(const Cell& cell, uint32_t rows, bool heading);

}  // namespace word::write
