#include "word/write/table_grid.h"

#include <algorithm>

namespace word::write {

std::vector<std::vector<uint32_t>> rowSpans(const Table& t) {
  // Grid column of every cell.
  std::vector<std::vector<uint32_t>> columns(t.rows.size());
  for (size_t r = 0; r < t.rows.size(); ++r) {
    uint32_t col = t.rows[r].skipBefore;
    for (const Cell& c : t.rows[r].cells) {
      columns[r].push_back(col);
      col += std::max<uint16_t>(c.gridSpan, 1);
    }
  }
  auto cellAtColumn = [&](size_t r, uint32_t col) -> const Cell* {
    const auto& cols = columns[r];
    auto it = std::lower_bound(cols.begin(), cols.end(), col);
    if (it == cols.end() || *it != col) return nullptr;
    return &t.rows[r].cells[static_cast<size_t>(it - cols.begin())];
  };
  std::vector<std::vector<uint32_t>> spans(t.rows.size());
  for (size_t r = 0; r < t.rows.size(); ++r) {
    for (size_t c = 0; c < t.rows[r].cells.size(); ++c) {
      const Cell& cell = t.rows[r].cells[c];
      uint32_t span = 1;
      if (cell.vmerge == VMerge::Continue && r > 0) {
        // Covered by the cell above, when there is one to merge with.
        const Cell* above = cellAtColumn(r - 1, columns[r][c]);
        if (above && above->vmerge != VMerge::None) span = 0;
      } else if (cell.vmerge == VMerge::Restart) {
        for (size_t below = r + 1; below < t.rows.size(); ++below) {
          const Cell* b = cellAtColumn(below, columns[r][c]);
          if (!b || b->vmerge != VMerge::Continue) break;
          ++span;
        }
      }
      spans[r].push_back(span);
    }
  }
  return spans;
}

}  // namespace word::write
