#pragma once
// List labels that the readers make the same way: roman numerals,
// repeated letters and bullets of symbol fonts.
#include <cstdint>
#include <string>
#include <string_view>

namespace word::read {

// Letters repeat at most this many times. A damaged counter can reach
// millions; no real list gets near it (64 letters is number 1,664).
constexpr int64_t kMaxLetterRepeat = 64;

// A label's longest. A level's text of a thousand numbers, each of 64
// letters, would give every item of a small file a label of megabytes.
constexpr size_t kMaxLabelLength = 256;

// `part` added to the end of a label, up to kMaxLabelLength; false once
// the label is full.
bool addToLabel(std::u16string& label, std::u16string_view part);

// A level's text, the pattern its labels are made from, is read up to this
// long: numbers that show as nothing never fill a label, and a pattern of
// megabytes was walked whole for every item of a list.
constexpr size_t kMaxLabelPattern = 4 * kMaxLabelLength;

// "iv", "MCMXCIV"; numbers outside 1..3999 stay decimal.
std::u16string roman(int64_t n, bool upper);

// The marks of notes counted by symbols: "*", a dagger, a double dagger,
// a section sign, then each twice, thrice. Numbers below 1 stay decimal.
std::u16string noteSymbols(int64_t n);

// "01" to "09", then as the number is: the zero-padded decimal style.
std::u16string zeroPadded(int64_t n);

// Letters repeat after z: 26 "z", 27 "aa", 28 "bb". Numbers below 1 stay
// decimal.
std::u16string letters(int64_t n, bool upper);

// Bullets in symbol fonts use private-use code points; the displayed
// character is the font's glyph, mapped here to Unicode where known.
char16_t mapSymbolChar(char16_t c, std::string_view font);
// Text in the Symbol font as the characters its glyphs are (a degree sign,
// Greek letters), which every font has, and the marks of Wingdings,
// Wingdings 2 and Webdings known here (check marks, ballot boxes, arrows,
// bullets) likewise; other glyphs, and text in other fonts, stay.
void showSymbols(std::u16string& text, std::u16string_view font);
// Whether showSymbols changes text in `font`.
bool symbolFont(std::u16string_view font);

}  // namespace word::read
