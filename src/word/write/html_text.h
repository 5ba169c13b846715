// Text as it goes into a page: entities for what the markup would take
// for its own, attribute values kept whole.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace word::write {

// The entity a character takes in page text, or nothing when it stands for
// itself. Inline: the page writer asks it of every character.
inline const char16_t* entityFor(char16_t c) {
  switch (c) {
    case u'&':
      return u"&amp;";
    case u'<':
      return u"&lt;";
    case u'>':
      return u"&gt;";
    case u'"':
      return u"&quot;";
    case 0xA0:
      return u"&nbsp;";
    default:
      return nullptr;
  }
}
// A character that goes into a page as it is: no control, no mark, no
// entity.
inline bool plain(char16_t c) {
  return c >= 32 && !entityFor(c);
}
void escapeInto(std::u16string& out, char16_t c);
// Whether a stretch of story text holds something to read: a character
// other than a blank, a mark or a control.
bool holdsText(std::u16string_view s);
// Whether the space at `text[k]` must be written as a no-break space for
// the page to keep it, as the document does: the first of a line, or
// every other one of a row of spaces (those between can break a line).
bool heldSpaceAt(const std::u16string& text, size_t k);
inline bool heldSpace(const std::u16string& text, size_t k) {
  return text[k] == u' ' && heldSpaceAt(text, k);
}
// Text escaped, its controls blanks: attribute and title text stay on one
// line.
std::u16string escape(std::u16string_view s);
// An attribute's value: escaped, and its "%" written as a reference, so
// that the link markers of an alternative text or an address stay text
// when the page's reference links are rewritten line by line.
std::u16string attribute(std::u16string_view s);

// Where a drop cap of its paragraph's first `letters` letters (or
// kDropWord: its first word) from `start` ends.
uint32_t droppedEnd(std::u16string_view text, uint32_t start, uint32_t end, uint8_t letters);

}  // namespace word::write
