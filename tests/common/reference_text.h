#pragma once
// Comparing a reader's plain text with a reference export: white space runs
// (no-break space, BOM and line/paragraph separators included) become one
// blank, and none is kept at either end.
#include <string>

#include "word/builder.h"

namespace testing_support {

inline std::string normalisedWhiteSpace(const std::string& utf8) {
  std::u16string out;
  bool space = false;
  for (char16_t c : word::u16(utf8)) {
    bool ws = c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f' || c == u'\v' ||
              c == 0xA0 || c == 0xFEFF || c == 0x2028 || c == 0x2029;
    if (ws) {
      space = !out.empty();
      continue;
    }
    if (space) out += u' ';
    space = false;
    out += c;
  }
  return word::u8(out);
}

}  // namespace testing_support
