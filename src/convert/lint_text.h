#pragma once
// What lint quotes of the author's text, and the headings the author set
// in the word processor's heading styles, which start no page.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "word/application.h"

namespace convert {

// A blank as a learner sees one: controls, spaces, no-break spaces.
bool blank(char16_t c);
bool hasText(std::u16string_view s);

// Up to `count` words of `text`, from its end when `last`.
std::u16string words(std::u16string_view text, int count, bool last);

// What a warning quotes (a title, a marker, a paragraph's first words) is
// cut after this many characters, with "…": a title of 300,000 characters
// quoted in each of thousands of warnings made gigabytes.
inline constexpr size_t kLongestQuote = 120;
std::u16string cutForQuote(std::u16string s, bool cut = false);

// Quoted as a learner reads it: blanks and the word processor's control
// characters (a line break, where a note's reference or a picture stands)
// as one blank between words.
std::u16string quoted(std::u16string_view s);

// The paragraphs of course text in a heading style ("Heading 1"): an
// author who sets headings so, instead of starting them with a marker,
// gets one page for the whole document, or none. In a course of one page
// they read as meant for pages only where that page opens with one and
// they are not set below its own marker line's level: a page titled by its
// marker, with text before its subheadings, is a page with sections.
class StyledHeadings {
 public:
  // A heading marker line, at its outline level: what follows is a new
  // entry's content.
  void marker(int32_t outlineLevel);
  // A paragraph of course text (no marker line), its outline level and
  // its style's name, and whether it stands in an entry (not before the
  // first marker, where a styled title opens no page).
  void text(int32_t at, std::u16string_view text, int32_t outlineLevel, std::u16string_view style,
            bool inEntry);
  // The one warning, when two or more such headings stand in a course of
  // one page or test at most: where the first stands, and what to do.
  struct Warning {
    int32_t at = 0;
    std::u16string message;
  };
  std::optional<Warning> check(size_t pagesAndTests) const;

 private:
  struct Heading {
    int32_t at;
    std::u16string text;
    int32_t level;
    std::u16string style;
    bool opens;  // the first text of its entry
    bool under;  // below its entry's marker line's level
  };
  std::vector<Heading> headings_;
  int32_t markerLevel_ = word::wdOutlineLevelBodyText;
  bool textSeen_ = false;
};

}  // namespace convert
