#include "word/read/languages.h"

#include <unicode/uchar.h>
#include <unicode/uloc.h>
#include <unicode/uscript.h>
#include <unicode/utf16.h>

#include <array>
#include <string_view>

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
  // A document writes a few hundred distinct characters many times over:
  // each is looked up once in a while, not at every occurrence.
  struct Seen {
    UChar32 c = -1;
    int script = -1;
  };
  // A table of a fixed size: the slot is found by a mask, not a division.
  std::array<Seen, 4096> seen{};
  std::array<uint64_t, USCRIPT_CODE_LIMIT> letters{};  // by script
  for (size_t i = 0; i < text.size();) {
    UChar32 c;
    U16_NEXT(text.data(), i, text.size(), c);
    Seen& s = seen[static_cast<size_t>(c) % seen.size()];
    if (s.c != c) s = {c, letterScript(c)};
    if (s.script >= 0) ++letters[static_cast<size_t>(s.script)];
  }
  size_t best = 0;  // the first of the most counted
  for (size_t s = 1; s < letters.size(); ++s)
    if (letters[s] > letters[best]) best = s;
  return letters[best] == 0 ? "" : uscript_getShortName(static_cast<UScriptCode>(best));
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

void LanguageTally::add(const std::string& tag, uint64_t characters) {
  if (!tag.empty()) byTag_[tag] += characters;
}

void LanguageTally::addLcid(uint16_t lcid, uint64_t characters) {
  byLcid_[lcid] += characters;
}

std::string LanguageTally::most() const {
  std::map<std::string, uint64_t> all;
  for (const auto& [tag, n] : byTag_)
    if (std::string t = canonicalTag(tag); !t.empty()) all[t] += n;
  for (const auto& [lcid, n] : byLcid_)
    if (std::string t = languageTag(lcid); !t.empty()) all[t] += n;
  std::string best;
  uint64_t most = 0;
  for (const auto& [tag, n] : all)
    if (n > most) best = tag, most = n;
  return best;
}

std::string textLanguage(const std::string& marked, const std::u16string& text) {
  const std::string script = dominantScript(text);
  if (script.empty() || (!marked.empty() && writtenIn(marked, script))) return marked;
  const std::string suggested = part(likely("und-" + script), uloc_getLanguage);
  return suggested.empty() || suggested == "und" ? marked : suggested;
}

}  // namespace word::read
