#pragma once
// One-feature documents of typefaces, spacing and shading, written alike in
// .doc, .docx and .odt by each format's test writer (tests/doc/looks_doc.h,
// tests/docx/looks_docx.h, tests/odt/looks_odt.h): what each paragraph
// holds, what a reader makes of it and how a page shows it. The reader tests
// check the model against these tables; the browser test (tests/e2e) checks
// the pages, from the same tables written out as JSON.
#include <cstdint>
#include <string>
#include <vector>

#include "word/model.h"

namespace looks {

// ---------------------------------------------------------------- typefaces

// Each paragraph's text in one font, which the font table classes or not.
struct Face {
  const char* text;
  const char* font;
  word::FontClass fontClass;  // as the table gives it
  const char* generic;        // the family a page ends the font's list with
  const char* twin;           // a font of the same metrics the list names, or ""
};
inline const Face kFaces[] = {
    {"Swiss text", "Arial", word::FontClass::Swiss, "sans-serif", "Liberation Sans"},
    {"Roman text", "Times New Roman", word::FontClass::Roman, "serif", "Liberation Serif"},
    {"Modern text", "Courier New", word::FontClass::Modern, "monospace", "Liberation Mono"},
    {"Script text", "Brush Script MT", word::FontClass::Script, "cursive", ""},
    {"Unclassed mono text", "Fira Mono", word::FontClass::Unknown, "monospace", ""},
    {"Unclassed text", "Frutiger", word::FontClass::Unknown, "sans-serif", ""},
};
// The default paragraph style's font, which a paragraph of its own shows.
inline const Face kDefaultFace = {"Default text", "Calibri", word::FontClass::Swiss, "sans-serif",
                                  "Carlito"};

// ------------------------------------------------------------------ spacing

inline constexpr int32_t kAuto = word::kAutoSpacing;
// Each paragraph's spacing as its style and its own formatting give it;
// `style` names a style of the document's own ("" the default one).
struct Space {
  const char* text;
  const char* style;
  int32_t before, after;  // twips, or kAuto
  bool contextual;
  word::LineRule rule;
  int32_t line;
  // As a page shows it: margins in points; a line height in points, or in
  // times the font's own line when negative, or 0 for the font's own.
  double top, bottom, lineHeight;
  bool autoSpacing;  // a format without automatic spacing (.odt) leaves it out
};
using word::LineRule;
inline const Space kSpaces[] = {
    {"Plain first", "", 0, 0, false, LineRule::Multiple, 240, 0, 0, 0, false},
    {"Before 12 after 6", "", 240, 120, false, LineRule::Multiple, 240, 12, 6, 0, false},
    {"Styled 20", "Spaced", 400, 0, false, LineRule::Multiple, 240, 20, 0, 0, false},
    {"Double lines", "", 0, 0, false, LineRule::Multiple, 480, 0, 0, -2, false},
    {"Exactly 18", "", 0, 0, false, LineRule::Exactly, 360, 0, 0, 18, false},
    {"At least 30", "", 0, 0, false, LineRule::AtLeast, 600, 0, 0, 30, false},
    {"Auto spaced", "", kAuto, kAuto, false, LineRule::Multiple, 240, 14, 14, 0, true},
    // Paragraphs of one style that asks for no space between them.
    {"Tight A", "Tight", 200, 200, true, LineRule::Multiple, 240, 10, 0, 0, false},
    {"Tight B", "Tight", 200, 200, true, LineRule::Multiple, 240, 0, 10, 0, false},
    {"Plain last", "", 0, 0, false, LineRule::Multiple, 240, 0, 0, 0, false},
};

// ------------------------------------------------------------------ shading

// White or automatic text on paragraph, run and cell shading: the colour
// behind the text and the text's.
enum class Shaded { Paragraph, Run, Cell };
struct Shade {
  const char* text;
  Shaded where;
  uint32_t fill;    // the shading's colour where it has no pattern
  int percent;      // a pattern of black over white at this share, or 0
  bool whiteText;   // white text, else automatic
  uint32_t behind;  // the colour a page shows behind the text
  uint32_t colour;  // the text's colour on the page
};
inline const Shade kShades[] = {
    {"White on a shaded paragraph", Shaded::Paragraph, 0x1F3864, 0, true, 0x1F3864, 0xFFFFFF},
    {"White on a shaded run", Shaded::Run, 0xC00000, 0, true, 0xC00000, 0xFFFFFF},
    {"Pattern of a quarter", Shaded::Paragraph, 0, 25, false, 0xBFBFBF, 0x000000},
    {"Automatic on black", Shaded::Paragraph, 0x000000, 0, false, 0x000000, 0xFFFFFF},
    {"White in a shaded cell", Shaded::Cell, 0x385623, 0, true, 0x385623, 0xFFFFFF},
};

// ------------------------------------------------------------------- output

inline std::string hex(uint32_t rgb) {
  static const char* const kDigits = "0123456789ABCDEF";
  std::string out = "#";
  for (int shift = 20; shift >= 0; shift -= 4) out += kDigits[(rgb >> shift) & 15];
  return out;
}

// How the pages of the documents show, as JSON for the browser test:
// {"faces": [...], "spaces": [...], "shades": [...]}.
inline std::string expectationsJson() {
  auto num = [](double v) {
    std::string s = std::to_string(v);
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
    return s;
  };
  std::string out = "{\"faces\":[";
  std::vector<Face> faces(std::begin(kFaces), std::end(kFaces));
  faces.push_back(kDefaultFace);
  for (size_t i = 0; i < faces.size(); ++i)
    out += std::string(i ? "," : "") + "{\"text\":\"" + faces[i].text + "\",\"generic\":\"" +
           faces[i].generic + "\",\"twin\":\"" + faces[i].twin + "\"}";
  out += "],\"spaces\":[";
  for (size_t i = 0; i < std::size(kSpaces); ++i) {
    const Space& s = kSpaces[i];
    out += std::string(i ? "," : "") + "{\"text\":\"" + s.text + "\",\"top\":" + num(s.top) +
           ",\"bottom\":" + num(s.bottom) + ",\"lineHeight\":" + num(s.lineHeight) +
           ",\"auto\":" + (s.autoSpacing ? "true" : "false") + "}";
  }
  out += "],\"shades\":[";
  for (size_t i = 0; i < std::size(kShades); ++i)
    out += std::string(i ? "," : "") + "{\"text\":\"" + kShades[i].text + "\",\"behind\":\"" +
           hex(kShades[i].behind) + "\",\"colour\":\"" + hex(kShades[i].colour) + "\"}";
  return out + "]}";
}

}  // namespace looks
