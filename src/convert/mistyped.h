#pragma once
// What a line that starts with "%" but is no marker looks meant to be, and
// why it is none: lint's guess for the author.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace convert {

struct MeantMarker {
  std::u16string marker;  // as the grammar has it ("%H2="); empty when none is seen
  // Why a marker that looks right is none: the Cyrillic letters in it that
  // look like Latin ones (each once), or that it was typed in the Russian
  // keyboard layout ("%Р2=" for "%H2=").
  std::u16string cyrillic{};
  bool russianLayout = false;
  // Or that a character the word processor does not show stands in it (a
  // soft hyphen, a zero-width space: text pasted from a web page has them).
  bool invisible = false;
  // Or that it was typed in full-width characters ("％H2="), as an East
  // Asian input method types them.
  bool fullWidth = false;
  // Or that its percent sign is another sign drawn like it ("\uFE6A", "\u066A").
  char16_t percent = 0;
  // Or that a note's reference, a picture or a line break stands in it
  // ("%H", a note's number, "2="), which the line's text holds as a control
  // character.
  bool held = false;
  // Or that another sign stands where "=" goes ("%H2:Title", "%PID 12"), or
  // none ("%H2Title"): that sign, or 0 for none.
  std::optional<char16_t> sign{};
};

// Characters the word processor shows as nothing: a soft hyphen (but at
// a line's end), zero-width spaces and joiners, direction marks, a word
// joiner, a byte-order mark.
bool unseenCharacter(char16_t c);

// The line's first characters up to "=" or "#", blanks and characters
// not shown left out, full-width ones read as their ASCII, in any case
// ("%H2 =Title", "% H2=Title", "％Ｈ２＝Title": "%H2="); a heading level the
// grammar lacks ("%H3=") reads as a page; a marker's word with another
// sign, or none, where "=" goes ("%H2:Title") reads as its marker.
MeantMarker meantMarker(std::u16string_view line);

// The first link marker in `text` that looks right and is none: typed
// with a Cyrillic "А" ("%А=", "%А#"), in full-width characters ("％A=",
// "%Ａ＝"), with another sign drawn like "%" ("\uFE6AA="), or with a blank or
// a character not shown inside it before a number ("% A=12", "%A =12"),
// unless its sign ends a number ("5% A=1" is a percentage).
struct LookAlikeLink {
  enum class Why { Cyrillic, FullWidth, Percent, Spaced };
  size_t at = std::u16string_view::npos;  // npos when `text` holds none
  size_t length = 0;
  Why why = Why::Cyrillic;
};
LookAlikeLink lookAlikeLinkMarker(std::u16string_view text);
// Lint's warning on it: why it is none, and how to type it.
std::u16string lookAlikeLinkMessage(std::u16string_view text, const LookAlikeLink& link);

// The marker `text` starts with as the author sees it (markerAt), also
// where it is typed in full-width characters, with another sign drawn like
// "%", with Cyrillic letters that look Latin or in the Russian keyboard
// layout ("%Р1=" for "%H1="), which make it none wherever it stands;
// `quoted` names it for a warning, with why it is none when it is.
struct SeenMarker {
  std::u16string_view marker;  // as the grammar has it; empty when none is seen
  std::u16string quoted;       // the marker in quotes, then why it is none, if it is
};
SeenMarker markerSeenAt(std::u16string_view text);

// Where a marker stands a few characters into its line ("• %H2=", "1.
// %TEST=", a tab before "%h2="), where the author sees it start the line:
// the scanner forgives one character only, before "%H1", "%H2" or "%TEST"
// in upper case, so such a line is text. None when words stand before it.
std::optional<size_t> markerAfterPrefix(const std::u16string& line);

// `text` with its full-width digits ("１２", as an East Asian input method
// types them) as ASCII ones, when it is a whole number so read; empty when
// it holds no full-width digit or is no such number.
std::u16string narrowedNumber(std::u16string_view text);

// The whole number `text` shows with other signs beside it ("“12”", "(12)",
// "12,") or invisible characters beside or in it (a zero-width space, a
// line separator), which make it no number as typed; empty when letters
// stand there too.
struct NumberWithin {
  std::u16string number;
  bool unseen = false;  // an invisible character stands in or beside it
};
NumberWithin numberWithin(std::u16string_view text);

// Whether `line` starts with a percent sign, as typed, full width ("％") or
// another drawn alike, so that it may be a mistyped marker.
bool startsWithPercent(std::u16string_view line);

// Whether `text` holds such a sign anywhere: most paragraphs hold no
// marker, typed right or wrong.
bool holdsPercent(std::u16string_view text);

// Lint's warning on a line that starts with "%" and is no marker: what it
// looks meant to be, why it is none, and `consequence`, what becomes of it
// ("so it is course text").
std::u16string mistypedMessage(const std::u16string& line, const std::u16string& consequence);

// Lint's warning on a line whose marker stands `at` a few characters into
// it (markerAfterPrefix), with what becomes of it.
std::u16string misplacedMessage(const std::u16string& line, size_t at,
                                const std::u16string& consequence);

}  // namespace convert
