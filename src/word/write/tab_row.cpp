#include "word/write/tab_row.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <tuple>

#include "word/write/css.h"
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

namespace {

// A stop further out than a page surely has room for (a line to fill in
// up to the margin) would push the text after it off the page.
constexpr int32_t kFarthest = 5760;  // four inches

std::u16string_view leaderLine(TabLeader leader) {
  static constexpr std::u16string_view kLines[] = {
      u"", u"border-bottom:2px dotted;", u"border-bottom:1px dashed;", u"border-bottom:1px solid;"};
  return kLines[static_cast<size_t>(leader)];
}

std::u16string firstTabCss(const ParagraphFormat& f, int32_t lineStart) {
  const int32_t custom = f.tabStart - f.indentLeft;
  std::optional<int32_t> stop;
  if (f.tabStart > 0 && custom > lineStart && custom <= kFarthest) stop = custom;
  if (lineStart < 0) stop = std::min(stop.value_or(0), 0);
  if (!stop) return {};
  // Stops lie at the size's multiples: one before the indent is reached
  // from a hanging line's start as the multiple below it.
  const int32_t size = *stop > 0 ? *stop : *stop < 0 ? -*stop : -lineStart;
  return u"tab-size:" + points(size, 20) + u";" +
         std::u16string(*stop == custom ? leaderLine(f.tabStartLeader) : u"");
}

}  // namespace

std::u16string tabRowCss(int32_t stop, int32_t indentLeft) {
  std::u16string css = u"display:flex;align-items:baseline;align-items:last baseline;";
  if (stop > indentLeft) css += u"max-width:" + points(stop - indentLeft, 20) + u";";
  return css;
}

std::u16string tabLeader(TabLeader leader) {
  return u"<span style=\"flex:1 0 1em;margin:0 .2em;" + std::u16string(leaderLine(leader)) +
         u"\"></span>";
}

std::u16string tabCss(const ParagraphFormat& f, bool firstLine, int k, int32_t defaultStops) {
  const int32_t lineStart = firstLine ? f.indentFirst : 0;
  if (k <= 0) return firstTabCss(f, lineStart);
  // The line's stops from the indent in order: the first tab went to the
  // first of them, a hanging line's indent among them.
  std::array<int32_t, std::tuple_size_v<decltype(f.tabStops)> + 1> stops;
  stops.fill(std::numeric_limits<int32_t>::max());  // none: after every stop
  size_t n = 0;
  if (lineStart < 0) stops[n++] = 0;
  for (int16_t stop : f.tabStops)
    if (stop > 0 && stop - f.indentLeft > lineStart && stop - f.indentLeft <= kFarthest)
      stops[n++] = stop - f.indentLeft;
  std::sort(stops.begin(), stops.end());
  if (static_cast<size_t>(k) >= n) {
    // Past them, the default stops count from the margin; a page's from
    // the indent. Where the indent is not on one, each tab after the last
    // stop goes on to the next default one from there (the text between
    // fitting before it).
    if (n == 0 || defaultStops <= 0 || f.indentLeft % defaultStops == 0) return {};
    int64_t at = stops[n - 1];
    for (size_t j = n; j <= static_cast<size_t>(k) && at <= kFarthest; ++j)
      at = (std::max<int64_t>(f.indentLeft + at, 0) / defaultStops + 1) * defaultStops -
           f.indentLeft;
    return at > 0 && at <= kFarthest ? u"tab-size:" + points(static_cast<int32_t>(at), 20) + u";"
                                     : u"";
  }
  if (stops[k] <= 0) return {};
  // From the stop before it, its tab size reaches it alone.
  const int32_t stop = stops[k];
  return u"tab-size:" + points(stop, 20) + u";" +
         std::u16string(stop == f.tabStart - f.indentLeft ? leaderLine(f.tabStartLeader) : u"");
}

}  // namespace word::write
