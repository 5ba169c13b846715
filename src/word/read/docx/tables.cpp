// Tables: rows and cells (skipping those deleted with tracked changes),
// widths from the cell or else from the table's grid, spans and vertical
// merges; nesting too deep keeps the text and drops the structure.
#include "word/read/docx/reader_state.h"

namespace word::read::docx::detail {

void DocxReader::collectRows(const pugi::xml_node& parent, std::vector<pugi::xml_node>& rows,
                             int depth) {
  if (depth > kMaxDepth) return;
  for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling()) {
    if (is(n, "tr")) {
      // A row deleted with tracked changes on is gone once they are accepted.
      if (child(child(n, "trPr"), "del")) continue;
      rows.push_back(n);
    } else if (is(n, "sdt")) {
      collectRows(child(n, "sdtContent"), rows, depth + 1);
    } else if (is(n, "customXml") || is(n, "ins") || is(n, "moveTo")) {
      collectRows(n, rows, depth + 1);
    } else if (is(n, "AlternateContent")) {
      collectRows(chooseBranch(n), rows, depth + 1);
    }
  }
}

void DocxReader::collectCells(const pugi::xml_node& parent, std::vector<pugi::xml_node>& cells,
                              int depth) {
  if (depth > kMaxDepth) return;
  for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling()) {
    if (is(n, "tc")) {
      if (child(child(n, "tcPr"), "cellDel")) continue;
      cells.push_back(n);
    } else if (is(n, "sdt")) {
      collectCells(child(n, "sdtContent"), cells, depth + 1);
    } else if (is(n, "customXml") || is(n, "ins") || is(n, "moveTo")) {
      collectCells(n, cells, depth + 1);
    } else if (is(n, "AlternateContent")) {
      collectCells(chooseBranch(n), cells, depth + 1);
    }
  }
}

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

  bool started = false;
  for (const auto& row : rows) {
    std::vector<pugi::xml_node> cells;
    collectCells(row, cells, depth + 1);
    if (cells.empty()) continue;
    if (!started) {
      s.builder->startTable();
      started = true;
    }
    s.builder->startRow();
    size_t column = 0;
    if (auto gb = child(child(row, "trPr"), "gridBefore"); gb)
      column = static_cast<size_t>(clampInt(intAttr(gb).value_or(0), 0, 1000));
    for (const auto& cell : cells) {
      pugi::xml_node tcPr = child(cell, "tcPr");
      uint16_t span = 1;
      if (auto gs = child(tcPr, "gridSpan"); gs)
        span = static_cast<uint16_t>(clampInt(intAttr(gs).value_or(1), 1, 1000));
      VMerge vm = VMerge::None;
      if (auto m = child(tcPr, "vMerge"); m)
        vm = val(m) == "restart" ? VMerge::Restart : VMerge::Continue;
      int32_t width = 0;
      pugi::xml_node tcW = child(tcPr, "tcW");
      std::string_view type = val(tcW, "type");
      if (tcW && (type.empty() || type == "dxa"))
        width = clampInt(intAttr(tcW, "w").value_or(0), 0, 1 << 20);
      if (width == 0) {
        for (size_t k = column; k < column + span && k < grid.size(); ++k) width += grid[k];
      }
      column += span;
      s.builder->startCell(width, span, vm);
      blocks(cell, s, depth + 2);
      s.pendingEnd = false;
      s.builder->endCell();
    }
    s.builder->endRow();
  }
  if (started) s.builder->endTable();
}

}  // namespace word::read::docx::detail
