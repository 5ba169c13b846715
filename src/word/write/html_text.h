// Text as it goes into a page: entities for what the markup would take
// for its own, attribute values kept whole.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "word/model.h"

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
  // A space after anything but a space or a control is never held: most
  // spaces are told here.
  return text[k] == u' ' && (k == 0 || text[k - 1] <= u' ') && heldSpaceAt(text, k);
}
// The tags for what a run's format `f` adds to its paragraph style's `base`
// (bold, italic, lines under and through, raised and lowered); their
// closing tags go before `close`.
std::u16string formatTags(const CharFormat& f, const CharFormat& base, std::u16string& close);
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

// The names of the bookmarks of `model`'s text and notes.
std::unordered_set<std::u16string> bookmarkNames(const Model& model);

// ` lang="ru"`: the language a screen reader reads an element in; "" for
// none.
std::u16string languageAttribute(std::string_view tag);

// The language a page marks a piece of text with: none where it is the
// document's own (the page's), where the letters cannot be in it
// (Russian words a template marked English), or where there is nothing
// to read in it. A run whose letters are not all in its language has the
// words that are marked (English words of a Russian text a template
// marked English), the others not.
class LanguageMarks {
 public:
  explicit LanguageMarks(const Model& model) : model_(model) {}
  // Where the piece of `s`'s text from `p` in run `r` ends, by `limit`,
  // and the `language` it is marked with. Runs of equal formatting and
  // marks are one piece, so that text typed in one go comes out in one;
  // a language the page does not mark on a run's text makes no mark.
  uint32_t pieceEnd(const Story& s, size_t r, uint32_t p, uint32_t limit,
                    std::string_view& language);

 private:
  // The language of `f` where the page marks it: none for the page's own.
  std::string_view markable(const CharFormat& f) const;
  // That of `text` in its run's `language` (markable), where all of it
  // reads in it: none within a word that holds a "%" (`inMarkerWord`: the
  // word `text` starts in).
  std::string_view of(std::string_view language, std::u16string_view text, bool inMarkerWord);
  // Where the piece of `text` from `p` ends by `end`, in a run marked
  // `tag` that does not all read in it: a stretch of whole words that do
  // (`language` then `tag`), or what comes before the next such word.
  // Never a word that holds a "%": the course's markers are such words.
  uint32_t wordsEnd(const std::u16string& text, uint32_t p, uint32_t end, std::string_view tag,
                    std::string_view& language);
  // Whether `text` reads in the language `tag`: every letter of it is in
  // one of the language's scripts (as ICU knows them; any, where it knows
  // none), and it has a letter but no "%". Blanks, digits and punctuation
  // alone are not marked, nor Russian words a template left marked English.
  bool fit(std::string_view tag, std::u16string_view text);
  // The scripts of the language `tag`, as ICU knows them.
  const std::vector<int>& scriptsOf(std::string_view tag);

  const Model& model_;
  std::string_view lastTag_;                       // the tag scriptsOf was last asked for
  const std::vector<int>* lastScripts_ = nullptr;  // and its scripts
  // The piece wordsEnd found last: of `text` from `p` by `end` in a run
  // marked `tag`, up to `to`, marked `language`.
  struct Found {
    const char16_t* text = nullptr;
    uint32_t p = 0, end = 0, to = 0;
    std::string_view tag, language;
  } found_;
};

}  // namespace word::write
