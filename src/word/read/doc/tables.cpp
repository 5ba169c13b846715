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

// The open table at `level`'s new row: its cells' edges from the margin,
// from its definition `def` (the paragraph ending the row) where there is
// one.
void DocReader::Emitter::rowEdges(const std::vector<Para>& paras, int32_t def, size_t level) {
  std::vector<int32_t> row;
  if (def >= 0) {
    int32_t x = paras[static_cast<size_t>(def)].pap.tableLeft;
    row.push_back(x);
    for (const TableCellDef& c : paras[static_cast<size_t>(def)].pap.cells)
      row.push_back(x += std::max(c.width, 0));
  }
  edges[levels[level - 1].table].push_back(std::move(row));
}

// The paragraph ending paragraph `i`'s row at `level`: its own row's, or
// (a cell whose text starts with a table nested in it) the end of the
// row around, found once for all that row's paragraphs.
int32_t DocReader::Emitter::rowDefAt(const std::vector<Para>& paras, size_t i, size_t level) {
  if (static_cast<size_t>(paras[i].depth) == level) return paras[i].rowDef;
  Level& lv = levels[level - 1];
  if (lv.rowEnd >= static_cast<int64_t>(i)) return static_cast<int32_t>(lv.rowEnd);
  const auto at = static_cast<int64_t>(i);
  if (at >= lv.lookedFrom && at < lv.lookedTo) return -1;
  size_t k = i;
  for (; k < paras.size() && static_cast<size_t>(paras[k].depth) >= level; ++k)
    if (static_cast<size_t>(paras[k].depth) == level && paras[k].rowEnd) {
      lv.rowEnd = static_cast<int64_t>(k);
      return static_cast<int32_t>(k);
    }
  lv.lookedFrom = at;
  lv.lookedTo = static_cast<int64_t>(k);
  return -1;
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
    const int32_t def = lv.rowOpen && lv.cellOpen ? -1 : rowDefAt(paras, i, l);
    if (!lv.rowOpen) {
      b.startRow();
      lv.rowOpen = true;
      lv.cell = 0;
      ++lv.rows;
      rowEdges(paras, def, l);
      if (def >= 0) {
        const Pap& row = paras[static_cast<size_t>(def)].pap;
        b.rowHeight(std::abs(int32_t{row.rowHeight}), row.rowHeight < 0);
        if (row.rowHeader) b.rowHeader();
        // The table lies where its first row does, its cells spaced apart
        // as that row's are, the table's outer edges around them.
        if (lv.rows == 1) {
          b.tablePlacement(row.tableJc == 1   ? Align::Center
                           : row.tableJc == 2 ? Align::Right
                                              : Align::Left,
                           row.tableLeft, row.tableBidi);
          const auto& edge = row.tableBorders;
          auto line = [](const MaybeBorder& e) {
            return e.value_or(Border{LineStyle::None, 0, 0, kAutoColor});
          };
          b.tableSpacing(row.cellSpacing, {line(edge[kTop]), line(edge[kLeft]), line(edge[kBottom]),
                                           line(edge[kRight])});
          if (row.autofit == 0) b.tableFixed();
        }
      }
    }
    if (!lv.cellOpen && !rowEndHere) openCell(paras, def, l);
  }
}

namespace {

// A cell's borders: its own where it has them, else its table's (the outer
// ones on the table's edges, the inside ones between cells); a table that
// gives none has no lines. `last` is one past the cells merged into it.
CellBorders cellBorders(const Pap& row, size_t cell, size_t last, bool firstRow, bool lastRow) {
  const auto& own = row.cells[cell].borders;
  const auto& table = row.tableBorders;
  auto pick = [](const MaybeBorder& mine, const MaybeBorder& tables) {
    return mine.value_or(tables.value_or(Border{LineStyle::None, 0, 0, kAutoColor}));
  };
  CellBorders b;
  b.top = pick(own[kTop], table[firstRow ? kTop : kInsideH]);
  b.left = pick(own[kLeft], table[cell == 0 ? kLeft : kInsideV]);
  b.bottom = pick(own[kBottom], table[lastRow ? kBottom : kInsideH]);
  b.right = pick(row.cells[last - 1].borders[kRight],
                 table[last >= row.cells.size() ? kRight : kInsideV]);
  return b;
}

}  // namespace

// The cell of the open table at `level` that the paragraph starts: its
// width, merges and borders from its row's definition `def`.
void DocReader::Emitter::openCell(const std::vector<Para>& paras, int32_t def, size_t level) {
  Level& lv = levels[level - 1];
  int32_t width = 0;
  VMerge vm = VMerge::None;
  uint16_t span = 1;
  CellBorders borders;
  uint32_t shading = kAutoColor;
  VAlign valign = VAlign::Top;
  TextFlow flow = TextFlow::Across;
  std::array<int16_t, 4> padding{-1, -1, -1, -1};
  if (def >= 0 && lv.cell < paras[def].pap.cells.size()) {
    const std::vector<TableCellDef>& cells = paras[def].pap.cells;
    width = cells[lv.cell].width;
    // The cell's own room inside, else its row's.
    for (size_t side = 0; side < padding.size(); ++side)
      padding[side] = cells[lv.cell].padding[side] >= 0 ? cells[lv.cell].padding[side]
                                                        : paras[def].pap.cellPadding[side];
    valign = cells[lv.cell].vertAlign == 1   ? VAlign::Center
             : cells[lv.cell].vertAlign == 2 ? VAlign::Bottom
                                             : VAlign::Top;
    flow = cells[lv.cell].flow;
    if (cells[lv.cell].vertRestart)
      vm = VMerge::Restart;
    else if (cells[lv.cell].vertMerge)
      vm = VMerge::Continue;
    // Cells merged across into this one widen it.
    for (size_t k = lv.cell + 1; k < cells.size() && continuesMerge(cells[k]); ++k) {
      width += cells[k].width;
      ++span;
    }
    // The table goes on after this row while the next paragraph is in it.
    const size_t next = static_cast<size_t>(def) + 1;
    const bool lastRow = next >= paras.size() || static_cast<size_t>(paras[next].depth) < level;
    borders = cellBorders(paras[def].pap, lv.cell, lv.cell + span, lv.rows == 1, lastRow);
    // The full colours where the row gives them, else the older 16.
    const Pap& row = paras[def].pap;
    const auto& shades = row.cellShading.empty() ? row.cellShading80 : row.cellShading;
    if (lv.cell < shades.size()) shading = shades[lv.cell];
  }
  b.startCell(std::max(width, 0), span, vm, shading, borders);
  b.cellAlignment(valign);
  b.cellFlow(flow);
  b.cellPadding(padding);
  lv.cellOpen = true;
}

namespace {

// Where each row of `t` starts, from the table's leftmost row, twips: rows
// of a table at the left margin may start further in, when their left edge
// was moved (`defined`: each row's edges from the margin).
std::vector<int32_t> rowStarts(const Table& t, const std::vector<std::vector<int32_t>>& defined) {
  std::vector<int32_t> starts(t.rows.size(), 0);
  if (t.rows.empty() || defined.size() != t.rows.size() || t.align != Align::Left || t.rightToLeft)
    return starts;
  int32_t left = t.indent;
  for (size_t r = 0; r < starts.size(); ++r)
    starts[r] = left = defined[r].empty() ? left : defined[r][0];
  const int32_t base = *std::min_element(starts.begin(), starts.end());
  for (int32_t& s : starts) s -= base;
  return starts;
}

}  // namespace

// A .doc table has no grid of its own: each row gives its cells' edges, and
// a cell that spans the edges of other rows is a merged one. The columns are
// all the rows' edges together; a cell spans the columns between its own.
void alignColumns(Story& story, const std::vector<std::vector<std::vector<int32_t>>>& defined) {
  constexpr int32_t kSameEdge = 10;  // twips: edges closer than this are one
  const bool known = defined.size() == story.tables.size();
  static const std::vector<std::vector<int32_t>> kNoEdges;
  for (size_t ti = 0; ti < story.tables.size(); ++ti) {
    Table& t = story.tables[ti];
    const std::vector<int32_t> starts = rowStarts(t, known ? defined[ti] : kNoEdges);
    std::vector<int32_t> edges;
    bool widths = true;
    for (size_t r = 0; r < t.rows.size(); ++r) {
      int32_t x = starts[r];
      edges.push_back(x);
      for (const Cell& c : t.rows[r].cells) {
        widths = widths && c.width > 0;
        edges.push_back(x += c.width);
      }
    }
    // The definitions' edges, from where their rows start.
    for (size_t r = 0; known && r < defined[ti].size(); ++r) {
      const std::vector<int32_t>& row = defined[ti][r];
      const int32_t shift = (r < starts.size() ? starts[r] : 0) - (row.empty() ? 0 : row[0]);
      for (int32_t e : row) edges.push_back(e + shift);
    }
    if (!widths || t.rows.empty()) continue;
    t.indent -= starts[0];  // the table starts where its leftmost row does
    std::sort(edges.begin(), edges.end());
    std::vector<int32_t> grid;
    for (int32_t e : edges)
      if (grid.empty() || e - grid.back() >= kSameEdge) grid.push_back(e);
    auto column = [&](int32_t x) {
      return std::lower_bound(grid.begin(), grid.end(), x - kSameEdge + 1) - grid.begin();
    };
    for (size_t ri = 0; ri < t.rows.size(); ++ri) {
      Row& r = t.rows[ri];
      int32_t x = starts[ri];
      if (x >= kSameEdge)
        r.skipBefore = static_cast<uint16_t>(std::min<ptrdiff_t>(column(x), 1000));
      for (Cell& c : r.cells) {
        const auto from = column(x), to = column(x + c.width);
        c.gridSpan = static_cast<uint16_t>(std::clamp<ptrdiff_t>(to - from, 1, 63));
        x += c.width;
      }
    }
  }
}

}  // namespace word::read::doc::detail
