#include "word/write/link_markers.h"

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

}  // namespace word::write
