#include "word/write/table_grid.h"

#include <algorithm>

#include "word/write/css.h"

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

std::u16string tableStart(const Table& t) {
  const std::u16string placed = tableCss(t);
  std::u16string out = std::u16string(t.rightToLeft ? u"<table dir=\"rtl\"" : u"<table") +
                       (placed.empty() ? u">" : u" style=\"" + placed + u"\">");
  if (const std::vector<std::u16string> widths = columnWidthsCss(t); !widths.empty()) {
    out += u"<colgroup>";
    for (const std::u16string& w : widths) out += u"<col style=\"width:" + w + u"\">";
    out += u"</colgroup>";
  }
  return out;
}

std::u16string rowStart(const Row& row) {
  // A row as tall as the document makes it (a box left to write in).
  std::u16string out =
      row.height ? u"<tr style=\"height:" + rems(row.height, 20) + u"\">" : u"<tr>";
  // Columns a row leaves empty before its first cell: no cell there.
  if (row.skipBefore)
    out += u"<td colspan=\"" + decimal(row.skipBefore, 1) +
           u"\" style=\"border:none;padding:0\"></td>";
  return out;
}

std::u16string cellStart(const Cell& cell, uint32_t rows, bool heading) {
  std::u16string out = heading ? u"<th scope=\"col\"" : u"<td";
  if (cell.gridSpan > 1) out += u" colspan=\"" + decimal(cell.gridSpan, 1) + u"\"";
  if (rows > 1) out += u" rowspan=\"" + decimal(rows, 1) + u"\"";
  const std::u16string css = cellCss(cell);
  // Appended in place: no copies of the style or the tag on the way.
  if (!css.empty()) out.append(u" style=\"").append(css, 0, css.size() - 1) += u'"';
  out += u'>';
  return out;
}

}  // namespace word::write
