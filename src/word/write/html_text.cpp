#include "word/write/html_text.h"

#include "support/strings.h"
#include "word/model.h"

namespace word::write {

void escapeInto(std::u16string& out, char16_t c) {
  if (const char16_t* entity = entityFor(c))
    out += entity;
  else
    out.push_back(c);
}

bool holdsText(std::u16string_view s) {
  for (char16_t c : s)
    if (c > 32 && c != 0xA0 && c != 0x3000) return true;
  return false;
}

bool heldSpaceAt(const std::u16string& text, size_t k) {
  // Spaces before it in its row, up to a bound past which a lost one of a
  // long row does not show.
  constexpr size_t kFar = 64;
  size_t before = 0;
  while (before < k && before < kFar && text[k - before - 1] == u' ') ++before;
  const size_t from = k - before;
  // Where a line starts the page drops its first space.
  const char16_t c = from ? text[from - 1] : kParagraphMark;
  const bool lineStart = c == kParagraphMark || c == kCellMark || c == kLineBreak ||
                         c == kPageBreak || c == kColumnBreak;
  return (before % 2 == 0) == lineStart;
}

std::u16string escape(std::u16string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (char16_t c : s) escapeInto(out, c < 32 ? u' ' : c);
  return out;
}

std::u16string attribute(std::u16string_view s) {
  return support::replaceAll(escape(s), u"%", u"&#37;");
}

uint32_t droppedEnd(std::u16string_view text, uint32_t start, uint32_t end, uint8_t letters) {
  const bool word = letters == kDropWord;
  uint32_t stop = start;
  for (int n = 0; stop < end && (word || n < letters); ++n) {
    const char16_t c = text[stop];
    if (c < 32 || (word && c == u' ')) break;
    // A letter beyond the first plane is two units.
    stop += c >= 0xD800 && c < 0xDC00 && stop + 1 < end ? 2 : 1;
  }
  return stop;
}

}  // namespace word::write
