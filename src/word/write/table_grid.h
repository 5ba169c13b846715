#pragma once
// A table's cells on its grid, as a page's rows lay them out.
#include <cstdint>
#include <vector>

#include "word/model.h"

namespace word::write {

// For each cell of each row of `t`: the rows it spans down (a vertical
// merge's first cell, over the cells that go on from it in its column),
// 1 for a cell of its own, 0 for a cell covered by the one above.
std::vector<std::vector<uint32_t>> rowSpans(const Table& t);

}  // namespace word::write
