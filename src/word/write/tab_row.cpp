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
  TabRow row{end, f.tabEnd, f.tabLeader, f.tabEndAlign};
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

// The paragraph's first stop, where a line's first tab goes: its
// start-aligned first, or its first that aligns the text otherwise.
int32_t firstStop(const ParagraphFormat& f) {
  return f.tabStart ? f.tabStart : f.tabAlign(0) != TabAlign::Start ? f.tabStops[0] : 0;
}

// Where a line's first tab goes from the indent: the first stop or, from
// a hanging line's start, the indent where that comes first.
std::optional<int32_t> firstTabStop(const ParagraphFormat& f, int32_t lineStart) {
  const int32_t custom = firstStop(f) - f.indentLeft;
  std::optional<int32_t> stop;
  if (firstStop(f) > 0 && custom > lineStart && custom <= kFarthest) stop = custom;
  if (lineStart < 0) stop = std::min(stop.value_or(0), 0);
  return stop;
}

std::u16string firstTabCss(const ParagraphFormat& f, int32_t lineStart) {
  const int32_t custom = firstStop(f) - f.indentLeft;
  const std::optional<int32_t> stop = firstTabStop(f, lineStart);
  if (!stop) return {};
  // Stops lie at the size's multiples: one before the indent is reached
  // from a hanging line's start as the multiple below it.
  const int32_t size = *stop > 0 ? *stop : *stop < 0 ? -*stop : -lineStart;
  return u"tab-size:" + rems(size, 20) + u";" +
         std::u16string(*stop == custom ? leaderLine(f.tabStartLeader) : u"");
}

struct LineStop {
  int32_t at;  // from the indent; past the last: after every stop
  TabAlign align;
};
using LineStops = std::array<LineStop, std::tuple_size_v<decltype(ParagraphFormat::tabStops)> + 1>;

// The line's stops from the indent in order, and how many: the first tab
// went to the first of them, a hanging line's indent among them.
size_t lineStops(const ParagraphFormat& f, int32_t lineStart, LineStops& stops) {
  stops.fill({std::numeric_limits<int32_t>::max(), TabAlign::Start});
  size_t n = 0;
  if (lineStart < 0) stops[n++] = {0, TabAlign::Start};
  for (size_t i = 0; i < f.tabStops.size(); ++i) {
    const int32_t stop = f.tabStops[i] - f.indentLeft;
    if (f.tabStops[i] > 0 && stop > lineStart && stop <= kFarthest)
      stops[n++] = {stop, f.tabAlign(i)};
  }
  std::stable_sort(stops.begin(), stops.begin() + n,
                   [](const LineStop& a, const LineStop& b) { return a.at < b.at; });
  return n;
}

}  // namespace

std::u16string tabRowCss(int32_t stop, int32_t indentLeft) {
  std::u16string css = u"display:flex;align-items:baseline;align-items:last baseline;";
  if (stop > indentLeft) css += u"max-width:" + rems(stop - indentLeft, 20) + u";";
  return css;
}

std::u16string tabLeader(TabLeader leader) {
  return u"<span style=\"flex:1 0 1em;margin:0 .2em;" + std::u16string(leaderLine(leader)) +
         u"\"></span>";
}

std::u16string tabCss(const ParagraphFormat& f, bool firstLine, int k, int32_t defaultStops) {
  const int32_t lineStart = firstLine ? f.indentFirst : 0;
  if (k <= 0) return firstTabCss(f, lineStart);
  LineStops stops;
  const size_t n = lineStops(f, lineStart, stops);
  if (static_cast<size_t>(k) >= n) {
    // Past them, the default stops count from the margin; a page's from
    // the indent. Where the indent is not on one, each tab after the last
    // stop goes on to the next default one from there (the text between
    // fitting before it).
    if (n == 0 || defaultStops <= 0 || f.indentLeft % defaultStops == 0) return {};
    int64_t at = stops[n - 1].at;
    for (size_t j = n; j <= static_cast<size_t>(k) && at <= kFarthest; ++j)
      at = (std::max<int64_t>(f.indentLeft + at, 0) / defaultStops + 1) * defaultStops -
           f.indentLeft;
    return at > 0 && at <= kFarthest ? u"tab-size:" + rems(static_cast<int32_t>(at), 20) + u";"
                                     : u"";
  }
  if (stops[k].at <= 0) return {};
  // From the stop before it, its tab size reaches it alone.
  const int32_t stop = stops[k].at;
  return u"tab-size:" + rems(stop, 20) + u";" +
         std::u16string(stop == f.tabStart - f.indentLeft ? leaderLine(f.tabStartLeader) : u"");
}

TabAlign tabAlign(const ParagraphFormat& f, bool firstLine, int k) {
  const int32_t lineStart = firstLine ? f.indentFirst : 0;
  if (k <= 0) {
    const std::optional<int32_t> stop = firstTabStop(f, lineStart);
    return !f.tabStart && stop == firstStop(f) - f.indentLeft ? f.tabAlign(0) : TabAlign::Start;
  }
  LineStops stops;
  const size_t n = lineStops(f, lineStart, stops);
  return static_cast<size_t>(k) < n && stops[k].at > 0 ? stops[k].align : TabAlign::Start;
}

std::vector<AlignedPiece> alignedPieces(const std::u16string& text, uint32_t start, uint32_t end,
                                        const ParagraphFormat& f, bool firstLine, int tabbed,
                                        bool inCell, char16_t point) {
  std::vector<AlignedPiece> pieces;
  // In a table's cell, a first stop aligning by the decimal point takes
  // the numbers of lines without a tab there, as the word processor sets
  // a column of figures.
  const int32_t figures = !inCell         ? 0
                          : f.tabStops[0] ? (f.tabAlign(0) == TabAlign::Decimal ? f.tabStops[0] : 0)
                          : f.tabEndAlign == TabAlign::Decimal ? f.tabEnd
                                                               : 0;
  if (!f.tabAligns && !figures) return pieces;
  std::optional<std::vector<LinkMarker>> markers;
  // A piece must not split a reference link's markers.
  auto whole = [&](uint32_t at) {
    if (!markers) markers = linkMarkers(text, start, end);
    return std::none_of(markers->begin(), markers->end(),
                        [&](const LinkMarker& m) { return at > m.open && at < m.close + 3; });
  };
  auto pieceEnd = [&](uint32_t to) {
    while (to < end && text[to] != kTab && text[to] != kLineBreak && text[to] != kColumnBreak &&
           text[to] != kParagraphMark && text[to] != kCellMark)
      ++to;
    return to;
  };
  auto figure = [&](uint32_t from, bool first) {
    const uint32_t to = pieceEnd(from), upTo = decimalAt(text, from, to, point);
    const int32_t width = figures - f.indentLeft - (first ? f.indentFirst : 0);
    if ((to == end || text[to] != kTab) && width > 0 && upTo > from && whole(from) && whole(upTo))
      pieces.push_back({from, upTo, TabAlign::End, width});
  };
  if (figures && tabbed == 0) figure(start, firstLine);
  for (uint32_t i = start; i < end; ++i) {
    if (text[i] == kLineBreak || text[i] == kColumnBreak) {
      firstLine = false;
      tabbed = 0;
      if (figures) figure(i + 1, false);
    }
    if (text[i] != kTab) continue;
    const TabAlign align = tabAlign(f, firstLine, tabbed++);
    if (align == TabAlign::Start) continue;
    const uint32_t to = pieceEnd(i + 1);
    const uint32_t upTo = align == TabAlign::Decimal ? decimalAt(text, i + 1, to, point) : to;
    if (upTo > i + 1 && whole(i + 1) && whole(upTo))
      pieces.push_back({i + 1, upTo, align == TabAlign::Centre ? TabAlign::Centre : TabAlign::End});
    i = to - 1;
  }
  return pieces;
}

uint32_t decimalAt(const std::u16string& text, uint32_t from, uint32_t to, char16_t point) {
  const auto at = std::find(text.begin() + from, text.begin() + to, point);
  return static_cast<uint32_t>(at - text.begin());
}

std::u16string alignedBox(const AlignedPiece& piece) {
  static constexpr std::u16string_view kJustify[] = {u"flex-start", u"center", u"flex-end"};
  // A box of a width grows with a number wider than it, which then
  // pushes the rest of the line on, as the word processor does.
  return u"<span style=\"display:inline-flex;" +
         (piece.width > 0 ? u"min-width:" + rems(piece.width, 20) : u"width:0") +
         u";justify-content:" +
         std::u16string(kJustify[std::min<size_t>(static_cast<size_t>(piece.align), 2)]) +
         u";white-space:nowrap;text-indent:0\"><span>";
}

char16_t decimalPoint(std::string_view language) {
  // Languages whose numbers take a decimal comma.
  static constexpr std::string_view kComma[] = {
      "af", "az", "be", "bg", "bs", "ca", "cs", "da", "de", "el", "es", "et",
      "eu", "fi", "fo", "fr", "gl", "hr", "hu", "hy", "id", "is", "it", "ka",
      "kk", "ky", "lt", "lv", "mk", "mn", "nb", "nl", "nn", "no", "pl", "pt",
      "ro", "ru", "sk", "sl", "sq", "sr", "sv", "tr", "uk", "uz", "vi"};
  const std::string_view primary = language.substr(0, language.find('-'));
  return std::find(std::begin(kComma), std::end(kComma), primary) != std::end(kComma) ? u',' : u'.';
}

}  // namespace word::write
