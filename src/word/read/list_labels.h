#pragma once
// List labels that both readers make the same way: roman numerals and
// repeated letters.
#include <cstdint>
#include <string>

namespace word::read {

// Letters repeat at most this many times. A damaged counter can reach
// millions; no real list gets near it (64 letters is number 1,664).
constexpr int64_t kMaxLetterRepeat = 64;

// "iv", "MCMXCIV"; numbers outside 1..3999 stay decimal.
std::u16string roman(int64_t n, bool upper);

// Letters repeat after z: 26 "z", 27 "aa", 28 "bb". Numbers below 1 stay
// decimal.
std::u16string letters(int64_t n, bool upper);

}  // namespace word::read
