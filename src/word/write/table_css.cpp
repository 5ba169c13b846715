// A table's place, width and grid columns as CSS, and a section's columns.
#include <algorithm>

#include "word/write/css.h"

namespace word::write {

namespace {

std::u16string placementCss(const Table& table) {
  if (table.align == Align::Center) return u"margin-left:auto;margin-right:auto;";
  // Right to left, the table's start is the right margin.
  const std::u16string start = table.rightToLeft ? u"margin-right:" : u"margin-left:";
  const std::u16string end = table.rightToLeft ? u"margin-left:" : u"margin-right:";
  if (table.align == Align::Right) return start + u"auto;";
  // A table set out into the margin (the older templates' usual, its
  // cells' text then in line with the text around it) goes no further
  // than its first cell's room: the text stays on the page.
  int32_t indent = table.indent;
  if (indent < 0) {
    const int16_t given =
        table.rows.empty() || table.rows[0].cells.empty() ? -1 : table.rows[0].cells[0].padding[1];
    indent = std::max<int32_t>(indent, given >= 0 ? -given : -kCellPadding);
  }
  return (table.rightToLeft ? end + u"auto;" : u"") +
         (indent ? start + rems(indent, 20) + u";" : u"");
}

// The widths of a table's grid columns (twips), where its rows' cells
// give them; none where they do not.
std::vector<int32_t> gridWidths(const Table& table) {
  // Each grid line's place, from the first row whose cells' widths reach it.
  std::vector<int64_t> lines(1, 0);
  for (const Row& row : table.rows) {
    // A row starting further in places its lines from where its first
    // cell starts, once another row has placed that line.
    size_t column = row.skipBefore;
    if (lines.size() <= column || lines[column] < 0) continue;
    int64_t at = lines[column];
    for (const Cell& cell : row.cells) {
      if (cell.width <= 0 || column > 1000) break;
      column += std::max<uint16_t>(cell.gridSpan, 1);
      at += cell.width;
      if (lines.size() <= column) lines.resize(column + 1, -1);
      if (lines[column] < 0) lines[column] = at;
    }
  }
  std::vector<int32_t> widths;
  for (size_t k = 1; k < lines.size(); ++k) {
    if (lines[k] <= lines[k - 1] || lines[k - 1] < 0) return {};
    widths.push_back(static_cast<int32_t>(std::min<int64_t>(lines[k] - lines[k - 1], 1 << 24)));
  }
  return widths;
}

// A table whose columns keep their widths: as wide as the document sets
// them, a long word wrapping within its cell rather than widening it. A
// screen narrower than the table narrows it, its columns in proportion
// (columnWidthsCss), as it narrows a table fitted to its text, rather than
// making the page wider than the screen.
std::u16string fixedCss(const Table& table) {
  if (!table.fixedLayout) return {};
  const std::vector<int32_t> widths = tableColumns(table);
  // One column, or none known: nothing to keep.
  if (widths.empty()) return table.width ? u"width:" + rems(table.width, 20) + u";" : u"";
  int64_t sum = 0;
  for (int32_t w : widths) sum += w;
  if (table.widthShare) return u"table-layout:fixed;";
  return u"table-layout:fixed;width:min(" + rems(table.width ? table.width : sum, 20) + u",100%);";
}

}  // namespace

std::u16string tableCss(const Table& table) {
  return placementCss(table) + tableBoxCss(table) + fixedCss(table);
}

bool sameColumns(const ParagraphFormat* a, const ParagraphFormat& b) {
  return a ? a->columns == b.columns && a->columnGap == b.columnGap && a->columnLine == b.columnLine
           : !b.columns;
}

std::u16string columnsCss(const ParagraphFormat& f) {
  return u"columns:" + decimal(f.columns, 1) + u" 15em;column-gap:" + rems(f.columnGap, 1) + u";" +
         (f.columnLine ? u"column-rule:1px solid;" : u"");
}

std::vector<int32_t> tableColumns(const Table& table) {
  std::vector<int32_t> widths = gridWidths(table);
  return widths.size() > 1 ? widths : std::vector<int32_t>{};
}

std::vector<std::u16string> columnWidthsCss(const Table& table) {
  const std::vector<int32_t> widths = tableColumns(table);
  int64_t sum = 0;
  for (int32_t w : widths) sum += w;
  std::vector<std::u16string> out;
  for (int32_t w : widths)
    out.push_back(table.fixedLayout ? decimal(int64_t{w} * 10000 / sum, 100) + u"%" : rems(w, 20));
  return out;
}

}  // namespace word::write
