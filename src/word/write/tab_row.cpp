#include "word/write/tab_row.h"

#include <algorithm>

#include "word/write/link_markers.h"

namespace word::write {

TabRow rowTab(const std::u16string& text, uint32_t start, uint32_t end, const ParagraphFormat& f) {
  TabRow row{end, f.tabEnd, f.tabLeader};
  for (uint32_t i = end; f.tabEnd && i > start && row.tab == end; --i)
    if (text[i - 1] == kTab) row.tab = i - 1;
  if (!f.tabEnd && f.tabStart > 0 && f.tabStartLeader != TabLeader::None) {
    const auto from = text.begin() + start, to = text.begin() + end;
    const auto first = std::find_if(
        from, to, [](char16_t c) { return c == kTab || c == kLineBreak || c == kColumnBreak; });
    const auto blank = [](char16_t c) {
      return c == u' ' || c == kTab || c == kParagraphMark || c == kCellMark;
    };
    if (first != to && *first == kTab && std::all_of(first + 1, to, blank))
      row = {static_cast<uint32_t>(first - text.begin()), f.tabStart, f.tabStartLeader};
  }
  if (row.tab == end) return row;
  for (const LinkMarker& m : linkMarkers(text, start, end))
    if (row.tab >= m.open && row.tab < m.close + 3) return {end};
  return row;
}

}  // namespace word::write
