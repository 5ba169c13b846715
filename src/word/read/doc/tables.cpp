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

// The open table at `level`'s new row: its cells' edges, from its
// definition when the paragraph is at that level.
void DocReader::Emitter::rowEdges(const std::vector<Para>& paras, const Para& p, size_t level) {
  std::vector<int32_t> row;
  if (static_cast<size_t>(p.depth) == level && p.rowDef >= 0 &&
      static_cast<size_t>(p.rowDef) < paras.size()) {
    int32_t x = 0;
    row.push_back(0);
    for (const TableCellDef& c : paras[static_cast<size_t>(p.rowDef)].pap.cells)
      row.push_back(x += std::max(c.width, 0));
  }
  edges[levels[level - 1].table].push_back(std::move(row));
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
      levels.back().table = edges.size();
      edges.emplace_back();
    }
    Level& lv = levels[l - 1];
    bool rowEndHere = l == d && p.rowEnd;
    if (!lv.rowOpen) {
      b.startRow();
      lv.rowOpen = true;
      lv.cell = 0;
      rowEdges(paras, p, l);
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

// A .doc table has no grid of its own: each row gives its cells' edges, and
// a cell that spans the edges of other rows is a merged one. The columns are
// all the rows' edges together; a cell spans the columns between its own.
void alignColumns(Story& story, const std::vector<std::vector<std::vector<int32_t>>>& defined) {
  constexpr int32_t kSameEdge = 10;  // twips: edges closer than this are one
  const bool known = defined.size() == story.tables.size();
  for (size_t ti = 0; ti < story.tables.size(); ++ti) {
    Table& t = story.tables[ti];
    std::vector<int32_t> edges;
    bool widths = true;
    for (const Row& r : t.rows) {
      int32_t x = 0;
      edges.push_back(0);
      for (const Cell& c : r.cells) {
        widths = widths && c.width > 0;
        edges.push_back(x += c.width);
      }
    }
    if (known)
      for (const std::vector<int32_t>& row : defined[ti])
        edges.insert(edges.end(), row.begin(), row.end());
    if (!widths || t.rows.empty()) continue;
    std::sort(edges.begin(), edges.end());
    std::vector<int32_t> grid;
    for (int32_t e : edges)
      if (grid.empty() || e - grid.back() >= kSameEdge) grid.push_back(e);
    auto column = [&](int32_t x) {
      return std::lower_bound(grid.begin(), grid.end(), x - kSameEdge + 1) - grid.begin();
    };
    for (Row& r : t.rows) {
      int32_t x = 0;
      for (Cell& c : r.cells) {
        const auto from = column(x), to = column(x + c.width);
        c.gridSpan = static_cast<uint16_t>(std::clamp<ptrdiff_t>(to - from, 1, 63));
        x += c.width;
      }
    }
  }
}

}  // namespace word::read::doc::detail
