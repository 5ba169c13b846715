// Tables: rows (in header, body and group containers, repeated as many
// times as they say), cells with their column and row spans, the covered
// cells beneath a cell spanning rows, widths from the table's columns;
// nesting too deep keeps the text and drops the structure.
#include <algorithm>
#include <cstring>
#include <utility>

#include "word/read/odt/reader_state.h"

namespace word::read::odt::detail {
namespace {

constexpr size_t kMaxColumns = 1000;

bool isRowGroup(const pugi::xml_node& n) {
  return is(n, "table-header-rows") || is(n, "table-rows") || is(n, "table-row-group");
}

bool isColumnGroup(const pugi::xml_node& n) {
  return is(n, "table-columns") || is(n, "table-header-columns") || is(n, "table-column-group");
}

// The elements of a repeated row or cell, and its text by the 32
// characters, up to the cap: each repeat costs the reader as much again.
size_t weight(const pugi::xml_node& n) {
  size_t count = 1;
  for (pugi::xml_node d = n.first_child(); d && count <= kMaxRepeatedCells;) {
    if (d.type() == pugi::node_element) ++count;
    if (d.type() == pugi::node_pcdata) count += std::strlen(d.value()) / 32;
    if (d.first_child()) {
      d = d.first_child();
      continue;
    }
    while (d && d != n && !d.next_sibling()) d = d.parent();
    d = d && d != n ? d.next_sibling() : pugi::xml_node();
  }
  return count;
}

// A row that goes on covering columns below a cell spanning rows.
struct Cover {
  int64_t rowsLeft = 0;
  uint16_t span = 1;
  int32_t width = 0;
};

}  // namespace

std::vector<int32_t> OdtReader::columnWidths(const pugi::xml_node& t, int depth,
                                             std::vector<int32_t>& shares, bool& optimal) const {
  std::vector<int32_t> widths;
  if (depth > kMaxDepth) return widths;
  // The shares of the columns before these (a group's caller's).
  const size_t before = shares.size();
  for (pugi::xml_node c = t.first_child(); c && widths.size() < kMaxColumns; c = c.next_sibling()) {
    if (isColumnGroup(c)) {
      for (int32_t w : columnWidths(c, depth + 1, shares, optimal))
        if (widths.size() < kMaxColumns) widths.push_back(w);
      shares.resize(before + widths.size());
    } else if (is(c, "table-column")) {
      const std::string style(attrValue(c, "style-name"));
      int64_t repeat = std::clamp<int64_t>(intAttr(c, "number-columns-repeated").value_or(1), 1,
                                           static_cast<int64_t>(kMaxColumns - widths.size()));
      widths.insert(widths.end(), static_cast<size_t>(repeat), styleDefs_.columnWidth(style));
      shares.insert(shares.end(), static_cast<size_t>(repeat), styleDefs_.columnShare(style));
      optimal = optimal || styleDefs_.columnOptimal(style);
    }
  }
  return widths;
}

// The table's columns' widths: their own, else the table's width shared out
// by their shares of it (or evenly), as a document written without
// lengths for its columns gives them. The columns keep their widths
// (`fixed`) where each gives its own and none is fitted to its text.
std::vector<int32_t> OdtReader::tableColumns(const pugi::xml_node& t, int depth, bool& fixed,
                                             int32_t room) const {
  std::vector<int32_t> shares;
  bool optimal = false;
  std::vector<int32_t> widths = columnWidths(t, depth, shares, optimal);
  fixed = !optimal && !widths.empty() &&
          std::all_of(widths.begin(), widths.end(), [](int32_t w) { return w > 0; });
  const int64_t width = styleDefs_.tableWidth(std::string(attrValue(t, "style-name")), room);
  if (width <= 0 || widths.empty() ||
      std::any_of(widths.begin(), widths.end(), [](int32_t w) { return w > 0; }))
    return widths;
  const bool shared = std::all_of(shares.begin(), shares.end(), [](int32_t s) { return s > 0; });
  int64_t sum = 0;
  for (int32_t s : shares) sum += shared ? s : 1;
  for (size_t k = 0; k < widths.size(); ++k)
    widths[k] = static_cast<int32_t>(width * (shared ? shares[k] : 1) / sum);
  return widths;
}

// The rows in order, a repeated row as often as it repeats.
void OdtReader::collectRows(const pugi::xml_node& parent, std::vector<pugi::xml_node>& rows,
                            int depth) {
  if (depth > kMaxDepth) return;
  for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling()) {
    if (isRowGroup(n)) {
      collectRows(n, rows, depth + 1);
    } else if (is(n, "table-row")) {
      int64_t repeat = std::max<int64_t>(1, intAttr(n, "number-rows-repeated").value_or(1));
      size_t cost = repeat > 1 ? weight(n) : 0;
      for (int64_t i = 0; i < repeat; ++i) {
        if (i > 0 && (repeatedCells_ += cost) > kMaxRepeatedCells) break;
        rows.push_back(n);
      }
    }
  }
}

void OdtReader::cell(const pugi::xml_node& c, StoryState& s, int depth) {
  // A cell's lists are its own.
  std::vector<ListFrame> lists;
  lists.swap(s.lists);
  blocks(c, s, depth);
  lists.swap(s.lists);
}

void OdtReader::table(const pugi::xml_node& t, StoryState& s, int depth) {
  if (depth > kMaxDepth) return;
  flush(s);
  std::vector<pugi::xml_node> rows;
  collectRows(t, rows, depth + 1);
  if (s.builder->tableDepth() >= kMaxTableDepth) {
    // Absurdly deep nesting: keep the text, drop the structure.
    for (const auto& row : rows)
      for (pugi::xml_node c = row.first_child(); c; c = c.next_sibling())
        if (is(c, "table-cell")) cell(c, s, depth + 2);
    return;
  }
  bool fixed = false;
  // The frame's width is this table's room, not that of tables in its cells.
  const int32_t room = std::exchange(s.frameWidth, 0);
  std::vector<int32_t> widths = tableColumns(t, depth + 1, fixed, room);
  auto widthOf = [&](size_t column, size_t span) {
    int32_t w = 0;
    for (size_t k = column; k < column + span && k < widths.size(); ++k) w += widths[k];
    return w;
  };
  std::vector<Cover> below;
  bool started = false;
  for (const auto& row : rows) {
    bool any = false;
    for (pugi::xml_node c = row.first_child(); c && !any; c = c.next_sibling())
      any = is(c, "table-cell") || is(c, "covered-table-cell");
    if (!any) continue;
    if (!started) {
      s.builder->startTable();
      const TablePlace place = styleDefs_.tablePlacement(std::string(attrValue(t, "style-name")));
      s.builder->tablePlacement(place.align, place.indent, place.rightToLeft);
      if (fixed) s.builder->tableFixed();
    }
    started = true;
    s.builder->startRow();
    s.builder->rowHeight(styleDefs_.rowHeight(std::string(attrValue(row, "style-name"))));
    if (is(row.parent(), "table-header-rows")) s.builder->rowHeader();
    size_t column = 0, skip = 0;
    for (pugi::xml_node c = row.first_child(); c; c = c.next_sibling()) {
      bool covered = is(c, "covered-table-cell");
      if (!covered && !is(c, "table-cell")) continue;
      int64_t repeat = std::max<int64_t>(1, intAttr(c, "number-columns-repeated").value_or(1));
      size_t cost = repeat > 1 ? weight(c) : 0;
      for (int64_t i = 0; i < repeat && column < kMaxColumns; ++i, ++column) {
        if (i > 0 && (repeatedCells_ += cost) > kMaxRepeatedCells) break;
        if (below.size() <= column) below.resize(column + 1);
        Cover& cover = below[column];
        if (covered) {
          // Beneath a cell spanning rows: a merged cell of the same width.
          // Beside a cell spanning columns: part of that cell.
          if (skip > 0) {
            --skip;
          } else if (cover.rowsLeft > 0) {
            --cover.rowsLeft;
            s.builder->startCell(cover.width, cover.span, VMerge::Continue);
            s.builder->endCell();
            skip = cover.span - 1u;
          }
          continue;
        }
        skip = 0;
        auto span = static_cast<uint16_t>(
            std::clamp<int64_t>(intAttr(c, "number-columns-spanned").value_or(1), 1, kMaxColumns));
        int64_t rowSpan = std::max<int64_t>(1, intAttr(c, "number-rows-spanned").value_or(1));
        cover = Cover{rowSpan - 1, span, widthOf(column, span)};
        const std::string cellStyle(attrValue(c, "style-name"));
        const Styles::CellLook look = styleDefs_.cellLook(cellStyle);
        s.builder->startCell(cover.width, span, rowSpan > 1 ? VMerge::Restart : VMerge::None,
                             look.shading, look.borders);
        s.builder->cellAlignment(styleDefs_.cellAlignment(cellStyle));
        s.builder->cellFlow(styleDefs_.cellFlow(cellStyle));
        s.builder->cellPadding(look.padding);
        cell(c, s, depth + 2);
        s.pendingEnd = false;
        s.builder->endCell();
      }
    }
    s.builder->endRow();
  }
  if (started) s.builder->endTable();
}

}  // namespace word::read::odt::detail
