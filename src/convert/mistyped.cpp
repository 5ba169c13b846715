#include "convert/mistyped.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include <unicode/uchar.h>

#include "convert/lint_text.h"
#include "convert/scanner.h"
#include "support/strings.h"

namespace convert {
namespace {

using std::u16string;
constexpr size_t npos = u16string::npos;

// A letter of a word, as opposed to a bullet, a digit, a dash or a tab.
bool letter(char16_t c) {
  return (c < 0x80 && std::isalpha(c)) || (c >= 0xC0 && c < 0x2000);
}

// Cyrillic and Greek letters drawn as Latin ones: a marker typed with them
// looks right. Letters set in the Symbol font are read as the Greek ones
// it draws ("%H2=" as "%\u03972="), which look the same.
char16_t latinLookAlike(char16_t c) {
  constexpr std::u16string_view alike = u"АВЕКМНОРСТХІаеорсхі"
                                        u"\u0391\u0392\u0395\u0396\u0397\u0399\u039A\u039C"
                                        u"\u039D\u039F\u03A1\u03A4\u03A5\u03A7\u03B1\u03BF";
  constexpr std::u16string_view latin = u"ABEKMHOPCTXIaeopcxiABEZHIKMNOPTYXao";
  static_assert(alike.size() == latin.size());
  const size_t at = alike.find(c);
  return at == npos ? 0 : latin[at];
}

bool greek(char16_t c) {
  return c >= 0x0370 && c <= 0x03FF;
}

// The Latin letter on the key that types `c` in the Russian layout ("Р" is
// on the key of "H", "№" on that of "#").
char16_t latinKey(char16_t c) {
  constexpr std::u16string_view russian = u"ЙЦУКЕНГШЩЗФЫВАПРОЛДЯЧСМИТЬ№";
  constexpr std::u16string_view latin = u"QWERTYUIOPASDFGHJKLZXCVBNM#";
  if (c >= u'а' && c <= u'я') c = static_cast<char16_t>(c - 0x20);
  const size_t at = russian.find(c);
  return at == npos ? 0 : latin[at];
}

u16string markerOf(const u16string& key) {
  const u16string upper = support::upperAscii(key);
  for (const MarkerRule& rule : kMarkerRules)
    if (upper == rule.text) return upper;
  if (upper.size() == 4 && upper.starts_with(u"%H") && upper[2] >= u'3' && upper[2] <= u'9' &&
      upper[3] == u'=')
    return u"%H2=";
  return {};
}

// The ASCII character of a full-width form ("％" is "%"); 0 for others.
char16_t narrowOf(char16_t c) {
  if (c == 0x3000) return u' ';  // the ideographic space
  return c >= 0xFF01 && c <= 0xFF5E ? static_cast<char16_t>(c - 0xFEE0) : 0;
}

// Signs drawn like a percent sign that the grammar does not read as one,
// as pasted text or another keyboard layout may carry them: the small
// form, the Arabic one and the commercial minus sign.
bool otherPercent(char16_t c) {
  return c == 0xFE6A || c == 0x066A || c == 0x2052;
}

// A percent sign, as typed, full width or another drawn alike.
// Text is mostly below the first of the others: one compare rules it out.
bool percent(char16_t c) {
  return c == u'%' || (c >= 0x066A && (c == 0xFF05 || otherPercent(c)));
}

// Where the first such sign lies from `from` on, npos where none does. Every
// paragraph is searched: a few compares a character rather than
// find_first_of's look-up of each in the set (with the line's first
// characters only for a marker after a prefix, -36 million instructions of
// convert's 820 to 930 on each large sample course).
size_t findPercent(std::u16string_view text, size_t from = 0) {
  for (size_t i = from; i < text.size(); ++i)
    if (percent(text[i])) return i;
  return npos;
}

// "its \"\uFE6A\" is a sign drawn like \"%\"": why a marker typed with it is none.
u16string percentNote(char16_t sign) {
  return u"its " + quoted(u16string(1, sign)) + u" is another sign drawn like \"%\"";
}

// "its \"Н\" is a Cyrillic letter", of the letters of a marker that look Latin;
// a Greek one's note says where it may come from.
u16string cyrillicNote(const u16string& letters) {
  u16string which;
  for (char16_t c : letters) which += (which.empty() ? u"" : u", ") + quoted(u16string(1, c));
  const bool one = letters.size() == 1;
  const auto greekCount = std::count_if(letters.begin(), letters.end(), greek);
  if (greekCount == 0)
    return u"its " + which + (one ? u" is a Cyrillic letter" : u" are Cyrillic letters");
  if (one) return u"its " + which + u" is a Greek letter, as a Latin one set in the Symbol font reads";
  return u"its " + which +
         (static_cast<size_t>(greekCount) == letters.size() ? u" are Greek letters"
                                                            : u" are Cyrillic or Greek letters") +
         u", as Latin ones set in the Symbol font read";
}

// "(markers: %TITLE= %AUTHOR= ...)", as the grammar has them.
u16string markerList() {
  u16string list = u"(markers:";
  for (const MarkerRule& rule : kMarkerRules) (list += u' ') += rule.text;
  return list + u")";
}

// "%H2:Title", "%H2 - Title", "%PID 12", "%H2Title": a marker's word, then
// another sign where "=" goes, or none.
MeantMarker wrongSign(std::u16string_view line) {
  constexpr std::u16string_view kSigns = u" :;-._\u2013\u2014\u00A0";
  if (line.empty() || line[0] != u'%') return {};
  size_t end = 1;  // past the word
  while (end < line.size() && end < 8 && line[end] < 0x80 && std::isalnum(line[end])) ++end;
  const char16_t after = end < line.size() ? line[end] : u'\0';
  if (after == u'=' || after == u'#') return {};  // a word that is no marker's
  if (kSigns.find(after) != npos)
    if (u16string marker = markerOf(u16string(line.substr(0, end)) + u"="); !marker.empty())
      return {marker, {}, false, false, false, 0, false, after};
  // A title or number typed right after the word: the longest word that is a
  // marker's ("%PID" of "%PID12").
  for (size_t n = end - 1; n > 2; --n)
    if (u16string marker = markerOf(u16string(line.substr(0, n)) + u"="); !marker.empty())
      return {marker, {}, false, false, false, 0, false, u'\0'};
  return {};
}

}  // namespace

bool unseenCharacter(char16_t c) {
  return c == 0xAD || (c >= 0x200B && c <= 0x200F) || c == 0x2060 || c == 0xFEFF;
}

MeantMarker meantMarker(std::u16string_view line) {
  u16string key;
  bool invisible = false, fullWidth = false, held = false;
  char16_t percent = 0;
  for (char16_t c : line.substr(0, 16)) {
    invisible = invisible || unseenCharacter(c);
    held = held || (c < u' ' && c != u'\t' && c != u'\r');
    if (const char16_t narrow = narrowOf(c)) {
      fullWidth = true;
      c = narrow;
    } else if (otherPercent(c)) {
      percent = std::exchange(c, u'%');
    }
    if (!blank(c) && !unseenCharacter(c)) key += c;
    if (c == u'=' || c == u'#' || c == u'№') break;
  }
  if (u16string marker = markerOf(key); !marker.empty())
    return {marker, {}, false, invisible, fullWidth, percent, held};
  u16string alike = key, cyrillic;
  for (char16_t& c : alike)
    if (const char16_t latin = latinLookAlike(c)) {
      if (cyrillic.find(c) == npos) cyrillic += c;
      c = latin;
    }
  if (!cyrillic.empty())
    if (u16string marker = markerOf(alike); !marker.empty()) return {marker, cyrillic};
  u16string typed = key;
  for (char16_t& c : typed)
    if (const char16_t latin = latinKey(c)) c = latin;
  if (typed != key)
    if (u16string marker = markerOf(typed); !marker.empty()) return {marker, {}, true};
  return wrongSign(line);
}

namespace {

char16_t narrowed(char16_t c) {
  return narrowOf(c) ? narrowOf(c) : c;
}

// Whether the sign at `at` ends a number ("5%", "12,5 %", a blank between
// them as Russian typesetting has it).
bool endsNumber(std::u16string_view text, size_t at) {
  constexpr std::u16string_view kBlanks = u" \u00A0\u2009\u202F";
  if (at > 0 && kBlanks.find(text[at - 1]) != npos) --at;
  return at > 0 && narrowed(text[at - 1]) >= u'0' && narrowed(text[at - 1]) <= u'9';
}

// The look-alike link marker `text` holds at `at`, its "%": none when
// there is none, or when it is typed right.
LookAlikeLink lookAlikeLinkAt(std::u16string_view text, size_t at) {
  using Why = LookAlikeLink::Why;
  size_t i = at + 1;
  bool spaced = false;
  // A blank, or a character not shown, typed into it; two at most.
  auto skip = [&] {
    for (size_t k = 0;
         k < 2 && i < text.size() &&
         (text[i] == u' ' || text[i] == 0xA0 || unseenCharacter(text[i]));
         ++k, ++i)
      spaced = true;
  };
  skip();
  if (i >= text.size()) return {};
  const char16_t a = text[i++];
  const bool cyrillic = a == u'А' || a == u'а' || a == u'\u0391' || a == u'\u03B1';
  if (!cyrillic && narrowed(a) != u'A' && narrowed(a) != u'a') return {};
  skip();
  if (i >= text.size()) return {};
  const char16_t sign = narrowed(text[i++]);
  if (sign != u'=' && sign != u'#') return {};
  // "5% A=1", "5 % A=1": a percentage, whatever follows it.
  if (spaced && endsNumber(text, at)) return {};
  const LookAlikeLink found{at, i - at, Why::FullWidth};
  for (size_t k = at; k < i; ++k)
    if (narrowOf(text[k])) return found;
  if (otherPercent(text[at])) return {at, i - at, Why::Percent};
  if (cyrillic) return {at, i - at, Why::Cyrillic};
  // "% A=12", "%A =12": a reference follows, so it is no mere percentage.
  const std::u16string_view rest = text.substr(i);
  const size_t digit = rest.find_first_not_of(u" \u00A0");
  if (spaced && sign == u'=' && digit != npos && narrowed(rest[digit]) >= u'0' &&
      narrowed(rest[digit]) <= u'9')
    return {at, i - at, Why::Spaced};
  return {};
}

}  // namespace

LookAlikeLink lookAlikeLinkMarker(std::u16string_view text) {
  for (size_t at = findPercent(text); at != npos; at = findPercent(text, at + 1))
    if (const LookAlikeLink l = lookAlikeLinkAt(text, at); l.at != npos) return l;
  return {};
}

u16string lookAlikeLinkMessage(std::u16string_view text, const LookAlikeLink& link) {
  using Why = LookAlikeLink::Why;
  const u16string typed(text.substr(link.at, link.length));
  const u16string meant = u"%A" + u16string(1, narrowed(typed.back()));
  const u16string why =
      link.why == Why::FullWidth ? u"it is typed in full-width characters"
      : link.why == Why::Percent ? percentNote(typed[0])
      : link.why == Why::Cyrillic
          ? cyrillicNote(u16string(1, typed[1]))
          : u"a blank, or a character the word processor does not show, stands inside it";
  const u16string how = link.why == Why::FullWidth  ? u", in half-width characters"
                        : link.why == Why::Percent  ? u", with the keyboard's \"%\""
                        : link.why == Why::Cyrillic ? u", in Latin letters"
                                                    : u", with nothing inside it";
  return quoted(typed) + u" is no link marker, as " + why +
         u": the page shows it as text; type it as " + quoted(meant) + how;
}

SeenMarker markerSeenAt(std::u16string_view text) {
  if (const std::u16string_view m = markerAt(text); !m.empty()) return {m, quoted(m)};
  // Read as the author sees it, blanks skipped as markerAt skips them; and
  // as the keys typed would read in the Latin layout.
  u16string seen, typed, cyrillic;
  bool fullWidth = false;
  char16_t percent = 0;
  for (char16_t c : text.substr(0, 32)) {
    if (seen.size() == 16) break;
    const char16_t key = latinKey(c);
    if (const char16_t n = narrowOf(c)) {
      fullWidth = true;
      c = n;
    } else if (otherPercent(c)) {
      percent = std::exchange(c, u'%');
    } else if (const char16_t latin = latinLookAlike(c)) {
      if (cyrillic.find(c) == npos) cyrillic += c;
      c = latin;
    }
    if (c == u' ' && seen.empty()) continue;
    seen += c;
    typed += key ? key : c;
  }
  const auto note = [](std::u16string_view m, const u16string& why) {
    return SeenMarker{m, quoted(m) + u" (" + why + u")"};
  };
  const u16string anywhere = u" no marker anywhere: ";
  if (const std::u16string_view m = markerAt(seen); m.empty()) {
    if (const std::u16string_view k = markerAt(typed); !k.empty())
      return note(k, u"typed in the Russian keyboard layout, which makes it" + anywhere +
                         u"type it in the Latin layout");
    return {};
  } else if (fullWidth) {
    return note(m, u"typed in full-width characters, which make it" + anywhere +
                       u"type it in half-width ones");
  } else if (percent) {
    return note(m, percentNote(percent) + u", which makes it" + anywhere +
                       u"type the keyboard's \"%\"");
  } else {
    return note(m, cyrillicNote(cyrillic) + u", which makes it" + anywhere +
                       u"type it in Latin letters");
  }
}

u16string narrowedNumber(std::u16string_view text) {
  u16string narrow(text);
  for (char16_t& c : narrow)
    if (c >= u'\uFF10' && c <= u'\uFF19') c = static_cast<char16_t>(c - 0xFEE0);
  const u16string number = support::trimWhiteSpace(narrow);
  if (narrow == text || number.empty() ||
      number.find_first_not_of(u"0123456789") != u16string::npos)
    return {};
  return number;
}

NumberWithin numberWithin(std::u16string_view text) {
  u16string seen;
  bool unseen = false;
  for (char16_t c : text)
    if (unseenCharacter(c) || c == 0x2028 || c == 0x2029)
      unseen = true;
    else
      seen += c;
  const size_t first = seen.find_first_of(u"0123456789");
  if (first == npos) return {};
  const size_t last = seen.find_last_of(u"0123456789");
  const u16string number = seen.substr(first, last - first + 1);
  const u16string beside = seen.substr(0, first) + seen.substr(last + 1);
  if (number.find_first_not_of(u"0123456789") != npos ||
      std::any_of(beside.begin(), beside.end(), [](char16_t c) { return u_isalnum(c); }))
    return {};
  return {number, unseen};
}

bool startsWithPercent(std::u16string_view line) {
  return !line.empty() && percent(line[0]);
}

bool holdsPercent(std::u16string_view text) {
  return findPercent(text) != npos;
}

std::optional<size_t> markerAfterPrefix(const std::u16string& line) {
  constexpr size_t kLongestPrefix = 4;
  // Only the line's first characters can hold it.
  const size_t at = findPercent(std::u16string_view(line).substr(0, kLongestPrefix + 1));
  if (at == 0 || at > kLongestPrefix || at == npos) return std::nullopt;
  if (std::any_of(line.begin(), line.begin() + static_cast<ptrdiff_t>(at), letter))
    return std::nullopt;
  if (markerSeenAt(std::u16string_view(line).substr(at)).marker.empty()) return std::nullopt;
  return at;
}

u16string mistypedMessage(const u16string& line, const u16string& consequence) {
  const MeantMarker meant = meantMarker(line);
  if (meant.marker.empty())
    return u"the line starts with \"%\" but is no marker, " + consequence + u" " + markerList();
  u16string why;
  if (!meant.cyrillic.empty())
    why = u" (" + cyrillicNote(meant.cyrillic) + u")";
  else if (meant.russianLayout)
    why = u" (typed in the Russian keyboard layout)";
  else if (meant.held)
    why = u" (a note's reference, a picture or a line break stands in it)";
  else if (meant.invisible)
    why = u" (a character the word processor does not show stands in it, such as a soft "
          u"hyphen or a zero-width space from pasted text)";
  else if (meant.percent)
    why = u" (" + percentNote(meant.percent) + u": type the keyboard's \"%\")";
  else if (meant.sign)
    why = !*meant.sign      ? u16string(u" (its \"=\" is missing)")
          : *meant.sign == u' ' ? u" (a blank stands where its \"=\" goes)"
          : *meant.sign == 0xA0 ? u" (a no-break space stands where its \"=\" goes)"
                                : u" (" + quoted(u16string(1, *meant.sign)) +
                                      u" stands where its \"=\" goes)";
  else if (meant.fullWidth)
    why = u" (typed in full-width characters, such as \"\uFF05\" for \"%\", as an East Asian "
          u"input method types them)";
  return u"the line looks meant to start with " + quoted(meant.marker) +
         u", but as typed it is no marker" + why + u", " + consequence +
         u": correct the marker to " + quoted(meant.marker) + u" " + markerList();
}

u16string misplacedMessage(const u16string& line, size_t at, const u16string& consequence) {
  const u16string marker = markerSeenAt(std::u16string_view(line).substr(at)).quoted;
  // Pasted text may put them there, where the marker looks first.
  if (std::all_of(line.begin(), line.begin() + static_cast<ptrdiff_t>(at), unseenCharacter))
    return marker +
           u" is not at the start of its paragraph: characters the word processor does not "
           u"show (such as zero-width spaces from pasted text) stand before it: the line is no "
           u"marker, " +
           consequence +
           u"; delete the paragraph's start up to the marker, and type the marker again";
  return marker + u" is not at the start of its paragraph: the line is no marker, " +
         consequence +
         u"; start the paragraph with the marker (one character, such as a bullet or a "
         u"tab, may stand before \"%H1=\", \"%H2=\" or \"%TEST=\" typed in upper case)";
}

}  // namespace convert
