#include "word/write/link_markers.h"

#include <algorithm>

#include "word/story_ops.h"

namespace word::write {

namespace {

uint32_t find(const std::u16string& text, uint32_t from, uint32_t end, char16_t last) {
  for (uint32_t at = from; at + 3 <= end; ++at)
    if (text[at] == u'%' && (text[at + 1] == u'A' || text[at + 1] == u'a') && text[at + 2] == last)
      return at;
  return end;
}

}  // namespace

std::vector<LinkMarker> linkMarkers(const std::u16string& text, uint32_t start, uint32_t end) {
  std::vector<LinkMarker> out;
  // The "%A#" and the blank each marker finds move only forward: one pass,
  // however many markers a paragraph holds.
  uint32_t close = start, blank = start;
  for (uint32_t open = find(text, start, end, u'='); open < end;
       open = find(text, open + 3, end, u'=')) {
    if (close < open + 3) close = find(text, open + 3, end, u'#');
    if (close == end) break;  // an unclosed marker stays text
    if (blank < open + 3) {
      blank = open + 3;
      while (blank < end && text[blank] != u' ') ++blank;
    }
    out.push_back({open, blank < close ? blank + 1 : open + 3, close});
  }
  return out;
}

std::vector<std::pair<uint32_t, uint32_t>> untaggedMarkers(const Story& s, uint32_t start,
                                                           uint32_t end) {
  std::vector<std::pair<uint32_t, uint32_t>> out;
  const auto blockEnd = s.text.begin() + end;
  if (std::find(s.text.begin() + start, blockEnd, u'%') == blockEnd) return out;
  for (const LinkMarker& m : linkMarkers(s.text, start, end)) {
    const size_t first = ops::runAt(s, m.open);
    bool varies = false;
    for (size_t k = first + 1; k < s.runs.size() && s.runs[k].start < m.close + 3 && !varies; ++k)
      varies = s.runs[k].format != s.runs[first].format;
    if (!varies) continue;
    out.emplace_back(m.open, m.textStart);
    out.emplace_back(m.close, m.close + 3);
  }
  // Nested links overlap: one stretch for each run of them.
  std::sort(out.begin(), out.end());
  std::vector<std::pair<uint32_t, uint32_t>> merged;
  for (const auto& [from, to] : out) {
    if (!merged.empty() && merged.back().second >= from)
      merged.back().second = std::max(merged.back().second, to);
    else
      merged.emplace_back(from, to);
  }
  return merged;
}

}  // namespace word::write
