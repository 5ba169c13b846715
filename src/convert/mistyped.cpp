#include "convert/mistyped.h"

#include <algorithm>
#include <cctype>

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

// Cyrillic letters drawn as Latin ones: a marker typed with them looks right.
char16_t latinLookAlike(char16_t c) {
  constexpr std::u16string_view cyrillic = u"АВЕКМНОРСТХІаеорсхі";
  constexpr std::u16string_view latin = u"ABEKMHOPCTXIaeopcxi";
  const size_t at = cyrillic.find(c);
  return at == npos ? 0 : latin[at];
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

// Characters the word processor shows as nothing: a soft hyphen (but at
// a line's end), zero-width spaces and joiners, direction marks, a word
// joiner, a byte-order mark.
bool unseen(char16_t c) {
  return c == 0xAD || (c >= 0x200B && c <= 0x200F) || c == 0x2060 || c == 0xFEFF;
}

}  // namespace

MeantMarker meantMarker(std::u16string_view line) {
  u16string key;
  bool invisible = false;
  for (char16_t c : line.substr(0, 16)) {
    invisible = invisible || unseen(c);
    if (!blank(c) && !unseen(c)) key += c;
    if (c == u'=' || c == u'#' || c == u'№') break;
  }
  if (u16string marker = markerOf(key); !marker.empty()) return {marker, {}, false, invisible};
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
  return {};
}

size_t cyrillicLinkMarker(std::u16string_view text) {
  for (size_t at = text.find(u'%'); at != npos && at + 2 < text.size();
       at = text.find(u'%', at + 1))
    if ((text[at + 1] == u'А' || text[at + 1] == u'а') &&
        (text[at + 2] == u'=' || text[at + 2] == u'#'))
      return at;
  return npos;
}

std::optional<size_t> markerAfterPrefix(const std::u16string& line) {
  constexpr size_t kLongestPrefix = 4;
  const size_t at = line.find(u'%');
  if (at == 0 || at > kLongestPrefix || at == npos) return std::nullopt;
  if (std::any_of(line.begin(), line.begin() + static_cast<ptrdiff_t>(at), letter))
    return std::nullopt;
  if (markerAt(std::u16string_view(line).substr(at)).empty()) return std::nullopt;
  return at;
}

}  // namespace convert
