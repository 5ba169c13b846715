#pragma once
// The documents of tests/common/looks.h as Word 97-2003 files.
#include <map>
#include <string>

#include "../common/looks.h"
#include "synthetic_doc.h"
#include "word/builder.h"

namespace looks {

namespace docwriter {

// A colour as the file keeps it (red, green, blue, then a flag byte for
// automatic).
inline uint32_t colorRef(uint32_t rgb) {
  return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

// A shading of the 10-byte form: automatic pattern colour over `fill`.
inline std::string shd(uint32_t fill) {
  std::string s;
  for (uint32_t v : {0xFF000000u, colorRef(fill)})
    for (int k = 0; k < 4; ++k) s.push_back(static_cast<char>(v >> (8 * k)));
  return s + std::string(2, '\0');
}

inline std::string whiteText() {
  return doctest::sprm32(0x6870, colorRef(0xFFFFFF));
}

// Appends `text` as a paragraph (or a cell's, ending in 7) with its
// properties.
inline void add(doctest::SyntheticDoc& d, const std::string& text, std::string sprms = {},
                uint16_t style = 0, char16_t mark = u'\r') {
  d.text += word::u16(text) + mark;
  d.paragraphs.push_back({std::move(sprms), style});
}

}  // namespace docwriter

inline std::string facesDoc() {
  doctest::SyntheticDoc d;
  d.fonts.push_back({u"Calibri", 2});
  d.styles.push_back({u"Normal", "", doctest::sprm16(0x4A4F, 0)});
  docwriter::add(d, kDefaultFace.text);
  for (const Face& f : kFaces) {
    const auto start = static_cast<uint32_t>(d.text.size());
    docwriter::add(d, f.text);
    d.fonts.push_back({word::u16(f.font), static_cast<uint8_t>(f.fontClass)});
    d.charRuns.push_back({start, static_cast<uint32_t>(d.text.size() - 1),
                          doctest::sprm16(0x4A4F, static_cast<uint16_t>(d.fonts.size() - 1))});
  }
  return d.build();
}

inline std::string spacesDoc() {
  doctest::SyntheticDoc d;
  d.styles.push_back({u"Normal", "", ""});
  auto sprms = [](const Space& s) {
    std::string out;
    if (s.before == kAuto)
      out += doctest::sprm8(0x245B, 1);
    else if (s.before)
      out += doctest::sprm16(0xA413, static_cast<uint16_t>(s.before));
    if (s.after == kAuto)
      out += doctest::sprm8(0x245C, 1);
    else if (s.after)
      out += doctest::sprm16(0xA414, static_cast<uint16_t>(s.after));
    if (s.contextual) out += doctest::sprm8(0x246D, 1);
    // A line as a height in 240ths, or in twips: at least, or exactly when
    // negative.
    const int32_t line = s.rule == LineRule::Exactly ? -s.line : s.line;
    if (s.line != 240 || s.rule != LineRule::Multiple)
      out += doctest::sprm32(
          0x6412, static_cast<uint16_t>(line) | (s.rule == LineRule::Multiple ? 1u << 16 : 0u));
    return out;
  };
  std::map<std::string, uint16_t> styles;
  for (const Space& s : kSpaces) {
    if (!*s.style) {
      docwriter::add(d, s.text, sprms(s));
      continue;
    }
    auto [it, added] = styles.emplace(s.style, static_cast<uint16_t>(d.styles.size()));
    if (added) d.styles.push_back({word::u16(s.style), sprms(s), ""});
    docwriter::add(d, s.text, "", it->second);
  }
  return d.build();
}

inline std::string shadesDoc() {
  using namespace docwriter;
  doctest::SyntheticDoc d;
  const std::string inTable = doctest::sprm8(0x2416, 1);
  for (const Shade& s : kShades) {
    const auto start = static_cast<uint32_t>(d.text.size());
    std::string run = s.whiteText ? whiteText() : "";
    if (s.where == Shaded::Run) run += doctest::sprmVar(0xCA71, shd(s.fill));
    // A pattern in the older 2-byte form: black (1) over white (8).
    const std::string para = s.where != Shaded::Paragraph ? ""
                             : s.percent == 25 ? doctest::sprm16(0x442D, 1 | (8 << 5) | (5 << 10))
                                               : doctest::sprmVar(0xC64D, shd(s.fill));
    if (s.where == Shaded::Cell) {
      add(d, s.text, inTable, 0, u'\x07');
      add(d, "",
          inTable + doctest::sprm8(0x2417, 1) + doctest::tableDefinition({0, 3000}, {0}) +
              doctest::sprmVar(0xD612, shd(s.fill)),
          0, u'\x07');
    } else {
      add(d, s.text, para);
    }
    if (!run.empty())
      d.charRuns.push_back({start, start + static_cast<uint32_t>(std::string(s.text).size()), run});
  }
  add(d, "End");
  return d.build();
}

}  // namespace looks
