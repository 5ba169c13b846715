// Tables: a table paragraph knows its nesting depth and whether it ends a
// cell or a row; the row's end carries the cell definitions (widths,
// merges) for every paragraph of the row.
#include <algorithm>

#include "word/read/doc/reader_state.h"

namespace word::read::doc::detail {

void markTableStructure(std::vector<Para>& out) {
  // Table structure: depth, cell and row ends, and for each paragraph the
  // row end (which carries the row's cell definitions) of its row.
  for (Para& p : out) {
    p.depth = p.pap.itap > 0 ? p.pap.itap : (p.pap.inTable ? 1 : 0);
    if (p.depth == 1) {
      p.rowEnd = p.pap.ttp && p.mark == 7;
      p.cellEnd = !p.rowEnd && p.mark == 7;
    } else if (p.depth > 1) {
      p.rowEnd = p.pap.innerTtp || (p.pap.ttp && p.mark == 7);
      p.cellEnd = !p.rowEnd && (p.pap.innerCell || p.mark == 7);
    }
  }
  constexpr int kMaxDepth = 65;
  std::vector<int32_t> next(kMaxDepth + 1, -1);
  for (size_t i = out.size(); i-- > 0;) {
    int d = std::min(out[i].depth, kMaxDepth);
    for (int k = d + 1; k <= kMaxDepth; ++k) next[k] = -1;
    if (d > 0 && out[i].rowEnd) next[d] = static_cast<int32_t>(i);
    out[i].rowDef = d > 0 ? next[d] : -1;
  }
}

// Whether the cell after `cell` of the paragraph's row is merged into it.
bool DocReader::Emitter::nextCellMerged(const std::vector<Para>& paras, const Para& p,
                                        size_t cell) {
  if (p.rowDef < 0 || static_cast<size_t>(p.rowDef) >= paras.size()) return false;
  const std::vector<TableCellDef>& cells = paras[static_cast<size_t>(p.rowDef)].pap.cells;
  return cell + 1 < cells.size() && continuesMerge(cells[cell + 1]);
}

void DocReader::Emitter::closeTablesTo(size_t depth) {
  while (levels.size() > depth) {
    if (levels.back().cellOpen) b.endCell();
    if (levels.back().rowOpen) b.endRow();
    b.endTable();
    levels.pop_back();
  }
}

void DocReader::Emitter::openStructure(const std::vector<Para>& paras, size_t i) {
  const Para& p = paras[i];
  size_t d = flat ? 0 : static_cast<size_t>(p.depth);
  closeTablesTo(d);
  for (size_t l = 1; l <= d; ++l) {
    if (levels.size() < l) {
      b.startTable();
      levels.push_back({});
    }
    Level& lv = levels[l - 1];
    bool rowEndHere = l == d && p.rowEnd;
    if (!lv.rowOpen) {
      b.startRow();
      lv.rowOpen = true;
      lv.cell = 0;
    }
    if (!lv.cellOpen && !rowEndHere) {
      int32_t width = 0;
      VMerge vm = VMerge::None;
      // The row definition of this level's row: from the paragraph itself
      // when it is at this depth, else from the table's own row end.
      int32_t def = -1;
      if (static_cast<size_t>(p.depth) == l) def = p.rowDef;
      uint16_t span = 1;
      if (def >= 0) {
        const std::vector<TableCellDef>& cells = paras[def].pap.cells;
        if (lv.cell < cells.size()) {
          width = cells[lv.cell].width;
          if (cells[lv.cell].vertRestart)
            vm = VMerge::Restart;
          else if (cells[lv.cell].vertMerge)
            vm = VMerge::Continue;
          // Cells merged across into this one widen it.
          for (size_t k = lv.cell + 1; k < cells.size() && continuesMerge(cells[k]); ++k) {
            width += cells[k].width;
            ++span;
          }
        }
      }
      b.startCell(std::max(width, 0), span, vm);
      lv.cellOpen = true;
    }
  }
}

}  // namespace word::read::doc::detail
