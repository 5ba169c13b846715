#pragma once
// East Asian fonts' names, each held once for the whole program: a run
// names its East Asian font by a number (CharFormat::asianFont), which
// keeps the run as small as it was and means the same font in every
// document, through copies between them.
#include <cstdint>
#include <string>
#include <string_view>

namespace word {

// The number of `name`: 0 for none (an empty name, or past the room for
// kMaxAsianFonts names, more than documents name).
inline constexpr size_t kMaxAsianFonts = 4096;
uint16_t asianFontId(std::u16string_view name);
// The name of number `id`; empty for 0 or a number not given out.
std::u16string asianFontName(uint16_t id);

// Whether `c` is a Chinese, Japanese or Korean letter or mark (or half
// of one beyond the first plane's), which the East Asian font sets.
constexpr bool eastAsianLetter(char16_t c) {
  if (c < 0x1100) return false;  // most text, Latin and Cyrillic: one test a letter
  return (c >= 0x1100 && c <= 0x11FF) || (c >= 0x2E80 && c <= 0x9FFF) ||
         (c >= 0xA960 && c <= 0xA97F) || (c >= 0xAC00 && c <= 0xD7AF) ||
         (c >= 0xD840 && c <= 0xD87F) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFFEF);
}

}  // namespace word
