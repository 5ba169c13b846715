// Tables: rows and cells (skipping those deleted with tracked changes),
// widths from the cell or else from the table's grid, spans and vertical
// merges; nesting too deep keeps the text and drops the structure.
#include <cstdlib>

#include "word/read/docx/reader_state.h"

namespace word::read::docx::detail {

void DocxReader::collectParts(const pugi::xml_node& parent, const char* part,
                              const char* properties, const char* deleted,
                              std::vector<pugi::xml_node>& out, int depth) {
  if (depth > kMaxDepth) return;
  auto into = [&](const pugi::xml_node& n) {
    collectParts(n, part, properties, deleted, out, depth + 1);
  };
  for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling()) {
    if (is(n, part)) {
      // Deleted with tracked changes on: gone once they are accepted.
      if (child(child(n, properties), deleted)) continue;
      out.push_back(n);
    } else if (is(n, "sdt")) {
      into(child(n, "sdtContent"));
    } else if (is(n, "customXml") || is(n, "ins") || is(n, "moveTo")) {
      into(n);
    } else if (is(n, "AlternateContent")) {
      into(chooseBranch(n));
    }
  }
}

void DocxReader::collectRows(const pugi::xml_node& parent, std::vector<pugi::xml_node>& rows,
                             int depth) {
  collectParts(parent, "tr", "trPr", "del", rows, depth);
}

void DocxReader::collectCells(const pugi::xml_node& parent, std::vector<pugi::xml_node>& cells,
                              int depth) {
  collectParts(parent, "tc", "tcPr", "cellDel", cells, depth);
}

namespace {

// A cell's room inside its sides: its table's, its own over it.
std::array<int16_t, 4> cellRoom(const TablePlacement& place, const pugi::xml_node& tcPr) {
  CellMargins margins = place.margins;
  margins.read(child(tcPr, "tcMar"));
  return margins.shown();
}

// Which parts of its style a table shows (w:tblLook): as attributes, or as
// the older hexadecimal value. Without one, Word's default (04A0).
struct Look {
  bool firstRow = true, lastRow = false, firstCol = true, lastCol = false;
  bool hBands = true, vBands = false;
};

Look readLook(const pugi::xml_node& look) {
  Look l;
  if (!look) return l;
  if (auto hex = val(look); !hex.empty() && !attr(look, "firstRow")) {
    const uint32_t v = static_cast<uint32_t>(std::strtoul(std::string(hex).c_str(), nullptr, 16));
    return {(v & 0x20) != 0,  (v & 0x40) != 0,  (v & 0x80) != 0,
            (v & 0x100) != 0, (v & 0x200) == 0, (v & 0x400) == 0};
  }
  auto on = [&](const char* name, bool dflt) {
    pugi::xml_attribute a = attr(look, name);
    if (!a) return dflt;
    std::string_view v = a.value();
    return v == "1" || v == "true" || v == "on";
  };
  return {on("firstRow", l.firstRow),  on("lastRow", l.lastRow),  on("firstColumn", l.firstCol),
          on("lastColumn", l.lastCol), !on("noHBand", !l.hBands), !on("noVBand", !l.vBands)};
}

// Where a cell lies: row `r` of `rows`, columns [col, end) of `cols`.
struct Place {
  size_t r, rows, col, end, cols;
};

// A condition of the table style that a cell is in, and where it lies in
// the condition's part of the table.
struct Condition {
  const char* type;
  Region region;
};

// Where a cell stands among the bands of `bandSize` rows (or columns) that
// run between the first and last row when those have conditions of their
// own: in an even band or not, at its band's start, at its end. `index` is
// the cell's first row, `past` one past its last.
struct BandPlace {
  bool second, start, end;
};
BandPlace bandAt(size_t index, size_t past, size_t count, int bandSize, bool firstOwn,
                 bool lastOwn) {
  const size_t size = static_cast<size_t>(std::max(bandSize, 1));
  const size_t from = firstOwn ? 1 : 0, to = count - (lastOwn ? 1 : 0);
  const size_t pos = (index - from) % size;
  return {((index - from) / size) % 2 == 1, pos == 0, pos + 1 == size || past >= to};
}

// The conditions of the style the cell is in, lowest first, as the word
// processor layers them.
std::vector<Condition> conditionsAt(const TableStyle& style, const Look& look, const Place& at) {
  const bool first = look.firstRow && at.r == 0, last = look.lastRow && at.r + 1 == at.rows;
  const bool left = look.firstCol && at.col == 0, right = look.lastCol && at.end >= at.cols;
  const Region table{at.r == 0, at.col == 0, at.r + 1 == at.rows, at.end >= at.cols};
  std::vector<Condition> on;
  if (look.vBands && !left && !right) {
    const BandPlace b = bandAt(at.col, at.end, at.cols, style.colBand, look.firstCol, look.lastCol);
    Region band = table;
    band.left = b.start;
    band.right = b.end;
    on.push_back({b.second ? "band2Vert" : "band1Vert", band});
  }
  if (look.hBands && !first && !last) {
    const BandPlace b = bandAt(at.r, at.r + 1, at.rows, style.rowBand, look.firstRow, look.lastRow);
    Region band = table;
    band.top = b.start;
    band.bottom = b.end;
    on.push_back({b.second ? "band2Horz" : "band1Horz", band});
  }
  const Region column{table.top, true, table.bottom, true},
      row{true, table.left, true, table.right};
  if (left) on.push_back({"firstCol", column});
  if (right) on.push_back({"lastCol", column});
  if (first) on.push_back({"firstRow", row});
  if (last) on.push_back({"lastRow", row});
  if (first && left) on.push_back({"nwCell", {}});
  if (first && right) on.push_back({"neCell", {}});
  if (last && left) on.push_back({"swCell", {}});
  if (last && right) on.push_back({"seCell", {}});
  return on;
}

// What the style gives the cell, and its borders: the table's over none,
// each condition's over those, the cell's own over all.
TablePart cellPart(const TableStyle& style, const Look& look, const Place& at,
                   const EdgeBorders& tableBorders, const pugi::xml_node& tcPr,
                   CellBorders& borders) {
  const Border none{LineStyle::None, 0, 0, kAutoColor};
  borders = {none, none, none, none};
  applyBorders(borders, tableBorders,
               {at.r == 0, at.col == 0, at.r + 1 == at.rows, at.end >= at.cols});
  TablePart part = style.whole;
  for (const Condition& c : conditionsAt(style, look, at)) {
    auto it = style.conditions.find(c.type);
    if (it == style.conditions.end()) continue;
    part.over(it->second);
    applyBorders(borders, it->second.borders, c.region);
  }
  EdgeBorders own;
  own.read(child(tcPr, "tcBorders"));
  applyBorders(borders, own, {});
  return part;
}

int32_t ownWidth(const pugi::xml_node& tcPr) {
  pugi::xml_node tcW = child(tcPr, "tcW");
  std::string_view type = val(tcW, "type");
  if (tcW && (type.empty() || type == "dxa"))
    return clampInt(intAttr(tcW, "w").value_or(0), 0, 1 << 20);
  return 0;
}

uint16_t spanOf(const pugi::xml_node& tcPr) {
  auto gs = child(tcPr, "gridSpan");
  return gs ? static_cast<uint16_t>(clampInt(intAttr(gs).value_or(1), 1, 1000)) : 1;
}

// The cell's width in twips: that of the grid's columns it spans, else its
// own. The grid is the layout the word processor last gave the table; a
// cell's own width is only what it asked for, which an indented table or
// its neighbours may not have room for (a cell asking for 4,428 twips in a
// grid of 3,918 stood past the page's margin).
int32_t cellWidth(const pugi::xml_node& tcPr, const std::vector<int32_t>& grid, size_t column,
                  size_t span) {
  int32_t width = 0;
  if (column + span <= grid.size()) {
    for (size_t k = column; k < column + span; ++k) {
      if (grid[k] <= 0) return ownWidth(tcPr);
      width += grid[k];
    }
    return width;
  }
  return ownWidth(tcPr);
}

// Opens a table at its first row: its place (in the older layout, its
// first cell's text at the indent), its cells spaced apart as the table,
// else that row, says, the table's outer edges around them, and without a
// grid the width it states (else its cells' widths make it).
void openTable(Builder& b, const TablePlacement& place, const EdgeBorders& borders,
               const pugi::xml_node& row, const pugi::xml_node& firstCell, bool gridless,
               bool atBorder) {
  b.startTable();
  int32_t indent = place.indent.value_or(0);
  if (!atBorder) {
    const int16_t start = cellRoom(place, child(firstCell, "tcPr"))[1];
    indent -= start >= 0 ? start : kCellPadding;
  }
  b.tablePlacement(place.align.value_or(Align::Left), indent, place.rightToLeft.value_or(false));
  const Border none{LineStyle::None, 0, 0, kAutoColor};
  CellBorders frame{none, none, none, none};
  applyBorders(frame, borders, {});
  std::optional<int32_t> spacing = place.cellSpacing;
  if (!spacing) spacing = tableSpacing(child(child(row, "trPr"), "tblCellSpacing"));
  b.tableSpacing(spacing.value_or(0), frame);
  if (gridless) b.tableWidth(place.width.value_or(0), place.widthShare.value_or(0));
  if (place.fixed.value_or(false)) b.tableFixed();
}

}  // namespace

void DocxReader::table(const pugi::xml_node& tbl, StoryState& s, int depth) {
  if (depth > kMaxDepth) return;
  flush(s);
  std::vector<pugi::xml_node> rows;
  collectRows(tbl, rows, depth + 1);
  if (s.builder->tableDepth() >= kMaxTableDepth) {
    // Absurdly deep nesting: keep the text, drop the structure.
    for (const auto& row : rows) {
      std::vector<pugi::xml_node> cells;
      collectCells(row, cells, depth + 1);
      for (const auto& cell : cells) blocks(cell, s, depth + 2);
    }
    return;
  }
  std::vector<int32_t> grid;
  for (pugi::xml_node g = child(child(tbl, "tblGrid"), "gridCol"); g; g = g.next_sibling())
    if (is(g, "gridCol") && grid.size() < 1000)
      grid.push_back(clampInt(intAttr(g, "w").value_or(0), 0, 1 << 20));

  pugi::xml_node tblPr = child(tbl, "tblPr");
  std::string styleId = docx::styleId(child(tblPr, "tblStyle"));
  const TableStyle style =
      styles_.tableStyle(styleId.empty() ? styles_.defaultTableStyle() : styleId);
  const Look look = readLook(child(tblPr, "tblLook"));
  // The table's borders: its style's, its own over them.
  EdgeBorders tableBorders = style.whole.borders;
  tableBorders.read(child(tblPr, "tblBorders"));
  const RunProps* outerRun = s.tableRun;
  const ParaProps* outerPara = s.tablePara;
  // The table's own shading shows in cells that have none.
  const uint32_t tableFill = shading(child(tblPr, "shd"), theme_);
  TablePlacement place = style.placement;
  place.read(tblPr);
  size_t rowIndex = 0;
  bool started = false;
  for (const auto& row : rows) {
    std::vector<pugi::xml_node> cells;
    collectCells(row, cells, depth + 1);
    if (cells.empty()) continue;
    const size_t r = rowIndex++;
    if (!started) {
      openTable(*s.builder, place, tableBorders, row, cells[0], grid.empty(), tablesAtBorder_);
      started = true;
    }
    s.builder->startRow();
    // A height that is not left to the row's text is its least (or exact).
    if (pugi::xml_node h = child(child(row, "trPr"), "trHeight"); h && val(h, "hRule") != "auto")
      s.builder->rowHeight(std::abs(intAttr(h).value_or(0)), val(h, "hRule") == "exact");
    if (pugi::xml_node h = child(child(row, "trPr"), "tblHeader"); h && onOff(h))
      s.builder->rowHeader();
    // A row may set borders of its own for the table (w:tblPrEx).
    EdgeBorders rowBorders = tableBorders;
    rowBorders.read(child(child(row, "tblPrEx"), "tblBorders"));
    size_t column = 0;
    if (auto gb = child(child(row, "trPr"), "gridBefore"); gb)
      column = static_cast<size_t>(clampInt(intAttr(gb).value_or(0), 0, 1000));
    s.builder->rowSkip(column);
    // The columns the table has: its grid's, or as many as the row fills.
    size_t columns = column;
    for (const auto& cell : cells) columns += spanOf(child(cell, "tcPr"));
    columns = std::max(grid.size(), columns);
    for (const auto& cell : cells) {
      pugi::xml_node tcPr = child(cell, "tcPr");
      const uint16_t span = spanOf(tcPr);
      VMerge vm = VMerge::None;
      if (auto m = child(tcPr, "vMerge"); m)
        vm = val(m) == "restart" ? VMerge::Restart : VMerge::Continue;
      const int32_t width = cellWidth(tcPr, grid, column, span);
      CellBorders borders;
      const TablePart part = cellPart(style, look, {r, rows.size(), column, column + span, columns},
                                      rowBorders, tcPr, borders);
      column += span;
      const std::optional<uint32_t> fill = cellFill(tcPr, theme_);
      s.builder->startCell(width, span, vm, fill.value_or(part.cellShading.value_or(tableFill)),
                           borders);
      s.builder->cellAlignment(cellAlignment(tcPr).value_or(part.valign.value_or(VAlign::Top)));
      s.builder->cellFlow(cellFlow(tcPr));
      s.builder->cellPadding(cellRoom(place, tcPr));
      s.tableRun = &part.run;
      s.tablePara = &part.para;
      blocks(cell, s, depth + 2);
      s.tableRun = outerRun;
      s.tablePara = outerPara;
      s.pendingEnd = false;
      s.builder->endCell();
    }
    s.builder->endRow();
  }
  if (started) s.builder->endTable();
}

}  // namespace word::read::docx::detail
