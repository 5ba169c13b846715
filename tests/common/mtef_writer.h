#pragma once
// Writes small equations as the equation editor's objects keep them: MTEF
// records (version 3, the tag's high nibble holding the options, or
// version 5, the options in a byte of their own), the "Equation Native"
// stream's header. Header-only.
#include <string>
#include <vector>

#include "compound_file.h"

namespace testing_support::mtef {

enum Type : uint8_t { kEnd, kLine, kChar, kTmpl, kPile, kMatrix, kEmbell, kRuler, kFont, kSize };

inline std::string bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

struct Writer {
  int version = 5;

  std::string header() const {
    return version == 5 ? bytes({5, 1, 0, 6, 0}) + std::string("Test\0", 5) + bytes({0})
                        : bytes({3, 1, 1, 3, 0});
  }
  std::string tag(uint8_t type, uint8_t options = 0) const {
    if (version != 5) return bytes({options << 4 | type});
    return type >= kLine && type <= kEmbell ? bytes({type, options}) : bytes({type});
  }
  std::string end() const { return bytes({kEnd}); }

  // A character: typeface (3 variable, 4 lower-case Greek, 6 symbol, ...)
  // and its code; `marks` are EMBELL types.
  std::string ch(char16_t code, int typeface = 3, std::vector<int> marks = {}) const {
    const uint8_t embell = marks.empty() ? 0 : version == 5 ? 0x01 : 0x02;
    std::string s = tag(kChar, embell) + bytes({typeface + 128, code & 0xFF, code >> 8});
    if (marks.empty()) return s;
    for (int m : marks) s += tag(kEmbell) + bytes({m});
    return s + end();
  }
  std::string text(const std::u16string& t, int typeface = 3) const {
    std::string s;
    for (char16_t c : t) s += ch(c, c >= u'0' && c <= u'9' ? 8 : typeface);
    return s;
  }
  std::string line(const std::string& objects) const { return tag(kLine) + objects + end(); }
  std::string line(const std::u16string& t) const { return line(text(t)); }
  std::string nullLine() const { return tag(kLine, 0x01); }
  std::string tmpl(int selector, int variation, const std::string& subobjects) const {
    return tag(kTmpl) + bytes({selector, variation, 0}) + subobjects + end();
  }
  std::string pile(const std::string& lines) const {
    return tag(kPile) + bytes({1, 1}) + lines + end();
  }
  std::string matrix(int rows, int cols, const std::string& cells) const {
    return tag(kMatrix) + bytes({0, 1, 1, rows, cols}) + std::string((rows * 2 + 9) / 8, '\0') +
           std::string((cols * 2 + 9) / 8, '\0') + cells + end();
  }
  // The equation: its header, then `records` (a line, usually) and END.
  std::string equation(const std::string& records) const { return header() + records + end(); }
};

// The "Equation Native" stream: a 28-byte header, then the MTEF.
inline std::string equationNative(const std::string& mtef) {
  std::string h = bytes({28, 0, 0, 0, 2, 0, 0, 0});
  const size_t n = mtef.size();
  h += bytes({static_cast<int>(n & 0xFF), static_cast<int>(n >> 8 & 0xFF),
              static_cast<int>(n >> 16 & 0xFF), 0});
  return h + std::string(16, '\0') + mtef;
}

}  // namespace testing_support::mtef
