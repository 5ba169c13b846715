#pragma once
// What lint quotes of the author's text, and the headings the author set
// in the word processor's heading styles, which start no page.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
// gets one page for the whole document, or none.
class StyledHeadings {
 public:
  // A paragraph of course text (no marker line), its style's name.
  void add(int32_t at, std::u16string_view text, std::u16string_view style);
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
  };
  std::vector<Heading> headings_;
  std::vector<std::u16string> styles_;  // each once, in order
};

}  // namespace convert
