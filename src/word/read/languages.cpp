#include "word/read/languages.h"

#include <unicode/uchar.h>
#include <unicode/uloc.h>
#include <unicode/uscript.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "word/font_names.h"
#include "word/language_numbers.h"

namespace word::read {

namespace {

constexpr int32_t kCapacity = ULOC_FULLNAME_CAPACITY;

// An ICU locale id as a language tag, "" when it names no language.
std::string toTag(const char* locale) {
  UErrorCode status = U_ZERO_ERROR;
  std::array<char, kCapacity> language{};
  uloc_getLanguage(locale, language.data(), kCapacity, &status);
  const std::string_view code = language.data();
  if (U_FAILURE(status) || code.empty() || code == "und" || code == "zxx") return "";
  std::array<char, kCapacity> tag{};
  status = U_ZERO_ERROR;
  uloc_toLanguageTag(locale, tag.data(), kCapacity, false, &status);
  return U_FAILURE(status) ? "" : tag.data();
}

// A tag with ICU's likely subtags added ("ru" -> "ru_Cyrl_RU", "und-Cyrl"
// -> "ru_Cyrl_RU"), as an ICU locale id; "" when ICU cannot tell.
std::string likely(const std::string& tag) {
  UErrorCode status = U_ZERO_ERROR;
  std::array<char, kCapacity> locale{}, full{};
  uloc_forLanguageTag(tag.c_str(), locale.data(), kCapacity, nullptr, &status);
  uloc_addLikelySubtags(locale.data(), full.data(), kCapacity, &status);
  return U_FAILURE(status) ? "" : full.data();
}

std::string part(const std::string& locale,
                 int32_t (*get)(const char*, char*, int32_t, UErrorCode*)) {
  UErrorCode status = U_ZERO_ERROR;
  std::array<char, kCapacity> out{};
  get(locale.c_str(), out.data(), kCapacity, &status);
  return U_FAILURE(status) ? "" : out.data();
}

// Whether the language `tag` is written in `script` (ISO 15924): one of
// its scripts as ICU knows them (Japanese: kana and Chinese characters).
bool writtenIn(const std::string& tag, std::string_view script) {
  std::array<UScriptCode, 8> codes{};
  UErrorCode status = U_ZERO_ERROR;
  const int32_t n = uscript_getCode(tag.c_str(), codes.data(), codes.size(), &status);
  for (int32_t i = 0; U_SUCCESS(status) && i < n; ++i)
    if (script == uscript_getShortName(codes[i])) return true;
  return part(likely(tag), uloc_getScript) == script;
}

// The script a letter is written in; -1 for anything else (common and
// inherited characters belong to none).
int letterScript(UChar32 c) {
  if (!u_isalpha(c)) return -1;
  UErrorCode status = U_ZERO_ERROR;
  const UScriptCode script = uscript_getScript(c, &status);
  return U_SUCCESS(status) && script > USCRIPT_INHERITED && script < USCRIPT_CODE_LIMIT ? script
                                                                                        : -1;
}

// The script most letters of `text` are written in, as ISO 15924 ("Cyrl").
std::string dominantScript(const std::u16string& text) {
  std::array<uint64_t, USCRIPT_CODE_LIMIT> letters{};  // by script
  // A document writes a few hundred distinct characters many times over:
  // each unit is counted, and each distinct one looked up once.
  std::vector<uint64_t> units(0x10000);
  for (const char16_t c : text) ++units[c];
  for (UChar32 c = 0; c < 0x10000; ++c)
    if (units[c] && !U16_IS_SURROGATE(c))
      if (const int script = letterScript(c); script >= 0)
        letters[static_cast<size_t>(script)] += units[c];
  // Characters past the first plane, and lone surrogates, go one by one,
  // each looked up once in a while.
  if (std::any_of(units.begin() + 0xD800, units.begin() + 0xE000,
                  [](uint64_t n) { return n != 0; })) {
    struct Seen {
      UChar32 c = -1;
      int script = -1;
    };
    // A table of a fixed size: the slot is found by a mask, not a division.
    std::array<Seen, 4096> seen{};
    for (size_t i = 0; i < text.size();) {
      UChar32 c;
      U16_NEXT(text.data(), i, text.size(), c);
      if (c < 0x10000 && !U16_IS_SURROGATE(c)) continue;
      Seen& s = seen[static_cast<size_t>(c) % seen.size()];
      if (s.c != c) s = {c, letterScript(c)};
      if (s.script >= 0) ++letters[static_cast<size_t>(s.script)];
    }
  }
  size_t best = 0;  // the first of the most counted
  for (size_t s = 1; s < letters.size(); ++s)
    if (letters[s] > letters[best]) best = s;
  return letters[best] == 0 ? "" : uscript_getShortName(static_cast<UScriptCode>(best));
}

// The kind of letter a character is, as a run's languages go by; None
// for blanks, digits, punctuation and marks, which belong to none.
enum class Letters : uint8_t { None, Other, EastAsian, Complex };

Letters lettersOf(char16_t c, bool eastAsianHint) {
  if (c < 0x80) return (c | 0x20) >= 'a' && (c | 0x20) <= 'z' ? Letters::Other : Letters::None;
  if (eastAsianLetter(c)) return Letters::EastAsian;
  if (eastAsianHint && u_getIntPropertyValue(c, UCHAR_EAST_ASIAN_WIDTH) == U_EA_AMBIGUOUS)
    return Letters::EastAsian;
  if (!u_isalpha(c)) return Letters::None;
  // Complex: the scripts written right to left, and those of India and
  // South East Asia, which are shaped.
  const UCharDirection d = u_charDirection(c);
  if (d == U_RIGHT_TO_LEFT || d == U_RIGHT_TO_LEFT_ARABIC || (c >= 0x0900 && c <= 0x109F) ||
      (c >= 0x1780 && c <= 0x17FF))
    return Letters::Complex;
  return Letters::Other;
}

}  // namespace

std::string languageTag(uint16_t lcid) {
  if (lcid == 0 || lcid == 0x0400) return "";
  UErrorCode status = U_ZERO_ERROR;
  std::array<char, kCapacity> locale{};
  uloc_getLocaleForLCID(lcid, locale.data(), kCapacity, &status);
  return U_FAILURE(status) || locale[0] == '\0' ? "" : toTag(locale.data());
}

std::string canonicalTag(const std::string& tag) {
  if (tag.empty() || tag.size() > 64) return "";
  std::string bcp = tag;
  for (char& c : bcp)
    if (c == '_') c = '-';
  UErrorCode status = U_ZERO_ERROR;
  std::array<char, kCapacity> locale{};
  int32_t parsed = 0;
  uloc_forLanguageTag(bcp.c_str(), locale.data(), kCapacity, &parsed, &status);
  if (U_FAILURE(status) || parsed != static_cast<int32_t>(bcp.size())) return "";
  return toTag(locale.data());
}

uint8_t LanguageTable::number(const std::string& tag) {
  if (tag.empty()) return 0;
  auto it = bySpelling_.find(tag);
  if (it == bySpelling_.end())
    it = bySpelling_.emplace(tag, ops::languageNumber(tags_, canonicalTag(tag))).first;
  return it->second;
}

uint8_t LanguageTable::numberOfLcid(uint16_t lcid) {
  auto it = byLcid_.find(lcid);
  if (it == byLcid_.end())
    it = byLcid_.emplace(lcid, ops::languageNumber(tags_, languageTag(lcid))).first;
  return it->second;
}

void LanguageTally::add(uint8_t language, uint64_t characters) {
  if (language == 0) return;
  if (byNumber_.size() <= language) byNumber_.resize(language + 1u, 0);
  byNumber_[language] += characters;
}

std::string LanguageTally::most(const std::vector<std::string>& tags) const {
  // By tag, so that of two counted alike the first in their order wins.
  std::map<std::string_view, uint64_t> all;
  for (size_t n = 1; n < byNumber_.size() && n <= tags.size(); ++n)
    if (byNumber_[n] > 0) all[tags[n - 1]] = byNumber_[n];
  std::string_view best;
  uint64_t most = 0;
  for (const auto& [tag, n] : all)
    if (n > most) best = tag, most = n;
  return std::string(best);
}

namespace {

// Calls put(piece, kind) for each stretch of `text` whose letters are of
// one kind as `l` goes by.
template <typename Put>
void byLetters(std::u16string_view text, const RunLanguages& l, Put&& put) {
  if (l.allComplex) return put(text, Letters::Complex);
  // Below Hebrew every letter is of the others' kind: most text is, and
  // is told so at one comparison a unit.
  if (!l.eastAsianHint &&
      ((l.eastAsian == l.other && l.complex == l.other) ||
       std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x0590; })))
    return put(text, Letters::Other);
  size_t start = 0;
  Letters kind = Letters::None;
  for (size_t i = 0; i < text.size(); ++i) {
    const Letters k = lettersOf(text[i], l.eastAsianHint);
    if (k == Letters::None || k == kind) continue;
    if (kind != Letters::None) {
      put(text.substr(start, i - start), kind);
      start = i;
    }
    kind = k;
  }
  put(text.substr(start), kind == Letters::None ? Letters::Other : kind);
}

uint8_t languageOf(const RunLanguages& l, Letters kind) {
  return kind == Letters::EastAsian ? l.eastAsian : kind == Letters::Complex ? l.complex : l.other;
}

}  // namespace

void LanguageTally::add(std::u16string_view text, const RunLanguages& languages) {
  byLetters(text, languages, [&](std::u16string_view piece, Letters kind) {
    add(languageOf(languages, kind), piece.size());
  });
}

void putText(Builder& b, std::u16string_view text, const CharFormat& f,
             const RunLanguages& languages, LanguageTally* tally) {
  byLetters(text, languages, [&](std::u16string_view piece, Letters kind) {
    CharFormat shown = f;
    shown.language = languageOf(languages, kind);
    if (tally) tally->add(shown.language, piece.size());
    if (kind == Letters::EastAsian && languages.eastAsianHint && f.asianFont)
      shown.font = asianFontName(f.asianFont);
    b.text(piece, shown);
  });
}

std::string textLanguage(const std::string& marked, const std::u16string& text) {
  const std::string script = dominantScript(text);
  if (script.empty() || (!marked.empty() && writtenIn(marked, script))) return marked;
  const std::string suggested = part(likely("und-" + script), uloc_getLanguage);
  return suggested.empty() || suggested == "und" ? marked : suggested;
}

}  // namespace word::read
