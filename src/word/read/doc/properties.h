#pragma once
// Character and paragraph properties of Word 97-2003 files: property
// modifiers (sprms), the style sheet and the font table.
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "word/model.h"
#include "word/read/doc/bytes.h"
#include "word/read/look.h"

namespace word::read::doc {

// The size of the operand of `sprm` that starts at `at` in `grpprl`.
size_t operandSize(Bytes grpprl, size_t at, uint16_t sprm);

// Calls `f(sprm, operand)` for each property modifier in `grpprl`; stops at
// the first one that does not fit. A template rather than a std::function:
// it runs for every property of every run and paragraph.
template <typename F>
void forEachSprm(Bytes grpprl, const F& f) {
  size_t at = 0;
  while (at + 2 <= grpprl.size()) {
    const uint16_t sprm = grpprl.u16(at);
    at += 2;
    const size_t n = operandSize(grpprl, at, sprm);
    if (!grpprl.has(at, n)) return;
    f(sprm, grpprl.sub(at, n));
    at += n;
  }
}

struct Chp {
  bool bold = false, italic = false, strike = false, dstrike = false, caps = false, smallCaps = false;
  bool vanish = false, special = false, deleted = false, ole2 = false, data = false, obj = false;
  bool outline = false, shadow = false, emboss = false, imprint = false, boxed = false;
  uint8_t underline = 0;    // its kind (kul); 0: none
  uint32_t underlineColor = 0xFFFFFFFFu;
  uint8_t iss = 0;          // 1 superscript, 2 subscript
  uint32_t color = 0xFFFFFFFFu;
  uint32_t highlight = 0xFFFFFFFFu;
  uint32_t shading = 0xFFFFFFFFu;  // the characters' background (sprmCShd)
  uint16_t halfPoints = 20;
  int16_t dxaSpace = 0;     // added between letters, twips
  int16_t hpsPos = 0;       // half points above the line, negative below
  int32_t font = -1;        // index into the font table
  int32_t fontFE = -1;      // that of Chinese, Japanese and Korean letters (ftcFE)
  int32_t charStyle = 10;   // istd of the character style
  uint16_t lid = 0;         // language of Latin and Cyrillic text; 0: none given
  uint16_t lidFE = 0;       // of Chinese, Japanese and Korean letters; 0: lid's
  uint16_t lidBi = 0;       // of complex ones (Arabic, Hebrew, Thai ...); 0: lid's
  uint32_t picLocation = 0;
  bool hasPicLocation = false;
  bool hasSymbol = false;
  uint16_t symbolFont = 0;
  char16_t symbolChar = 0;
  // Text marked right to left or complex shows in its own bold, italic,
  // size and font, as the word processor shows Arabic and Hebrew.
  bool complex = false, boldBi = false, italicBi = false;
  uint16_t halfPointsBi = 20;
  int32_t fontBi = -1;
};

// A border as a table's properties give it; none given (nullopt) lets a
// cell take its table's.
using MaybeBorder = std::optional<Border>;

struct TableCellDef {
  int32_t width = 0;
  bool firstMerged = false, merged = false, vertMerge = false, vertRestart = false;
  uint8_t vertAlign = 0;               // 0 top, 1 centre, 2 bottom
  TextFlow flow = TextFlow::Across;
  std::array<MaybeBorder, 4> borders;  // top, left, bottom, right
  std::array<int16_t, 4> padding{-1, -1, -1, -1};  // its own room inside, as Cell::padding
};

// The edges of a table's borders (sprmTTableBorders80, sprmTTableBorders).
enum TableEdge : size_t { kTop, kLeft, kBottom, kRight, kInsideH, kInsideV };

struct Pap {
  int32_t istd = 0;
  uint8_t jc = 0;           // 0 left, 1 center, 2 right, 3..: justified
  int32_t left = 0, right = 0, first = 0;
  // Right to left; and whether the alignment and the indents were last
  // given by the older properties, which name the page's sides, rather
  // than the paragraph's start and end (the files of Word 97 and later
  // give both, the older first).
  bool bidi = false, jcOfPage = false, indentsOfPage = false;
  bool dropCap = false;  // the paragraph is a drop cap (sprmPDcs)
  bool dropInMargin = false;  // hanging in the margin
  // A frame's place across the column (sprmPDxaAbs: 0 left, -4 centre, -8
  // right, -12 inside, -16 outside, else twips), where given, and its
  // width (sprmPDxaWidth), twips.
  std::optional<int16_t> frameX;
  uint16_t frameWidth = 0;
  uint16_t frameTall = 0;  // its height, twips, 0 for its text's (sprmPWHeightAbs)
  // Its place up and down (sprmPDyaAbs: 0 in the line, -4 top, -8 middle,
  // -12 foot, -16 inside, -20 outside, else twips plus one, so that a
  // place at 0 is not the line's), where given; and what from (sprmPPc's
  // pcVert: 0 the margin, 1 the page, 2 the paragraph).
  std::optional<int16_t> frameY;
  uint8_t frameFrom = 0;
  FrameHeight frameHeight() const {
    const bool placed = frameY && *frameY != 0 && (*frameY < -20 || *frameY > -4 || *frameY % 4);
    return {frameFrom != 2, placed ? std::optional<int32_t>(*frameY - 1) : std::nullopt};
  }
  // The room it keeps from the text beside it and above and below it,
  // twips (sprmPDxaFromText, sprmPDyaFromText); beside it, none where
  // it gives none.
  std::optional<int16_t> frameAside;
  int16_t frameAcross = 0;
  int32_t ilfo = 0;
  uint8_t ilvl = 0;
  uint8_t outline = 9;
  bool inTable = false, ttp = false, innerCell = false, innerTtp = false;
  int32_t itap = 0;
  std::vector<TableCellDef> cells;          // from the row's table definition
  int32_t tableLeft = 0;                    // the row's left edge from the margin, twips
  int16_t rowHeight = 0;                    // twips: at least (positive) or exactly (negative)
  bool rowHeader = false;                   // the row heads the table's columns
  uint8_t tableJc = 0;                      // 0 at the left, 1 centred, 2 at the right
  // The row's table fitted to its text (sprmTFAutofit 1) or its columns
  // as wide as set (0); -1 where the row does not say.
  int8_t autofit = -1;
  // The row's cells' room inside their sides, as Cell::padding: half the
  // gap between cells at the sides (sprmTDxaGapHalf), or its cells' usual
  // room (sprmTCellPaddingDefault).
  std::array<int16_t, 4> cellPadding{-1, -1, -1, -1};
  bool tableBidi = false;                   // columns from right to left
  int16_t cellSpacing = 0;                  // room between cells (sprmTCellSpacingDefault)
  std::array<MaybeBorder, 6> tableBorders;  // by TableEdge
  ParagraphLines borders;                   // the paragraph's
  // Each cell's shading by its index in the row: as the 16 colours of the
  // older files give it, and in full colour, which wins where given.
  std::vector<uint32_t> cellShading80, cellShading;
  // Spacing (twips) and shading of the paragraph.
  int32_t spaceBefore = 0, spaceAfter = 0;
  bool beforeAuto = false, afterAuto = false, contextual = false;
  int16_t dyaLine = 240;  // LSPD: height of a line
  bool multLine = true;   // dyaLine in 240ths of a line, else twips (negative: exactly)
  uint32_t shading = 0xFFFFFFFFu;
  bool word6Numbered = false;  // a Word 6.0/95 list number or bullet, which is not read
  std::vector<TabStop> tabs;
};

struct Style {
  bool exists = false;
  std::u16string name;
  uint16_t sti = 0x0FFE;
  uint8_t kind = 1;          // 1 paragraph, 2 character, 3 table, 4 list
  int32_t base = -1;
  Bytes papx;                // sprms of a paragraph style (after its istd)
  Bytes chpx;                // character sprms
  Pap pap;                   // resolved
  Chp chp;                   // resolved
};

class StyleSheet {
 public:
  // `word6`: a Word 6.0/95 style sheet (8-bit names, one-byte sprms).
  void read(Bytes table, uint32_t fc, uint32_t lcb, bool word6 = false);
  size_t size() const { return styles_.size(); }
  const Style* get(int32_t istd) const {
    return istd >= 0 && static_cast<size_t>(istd) < styles_.size() && styles_[istd].exists ? &styles_[istd] : nullptr;
  }
  // Default character properties of paragraphs in style `istd`.
  const Chp& chp(int32_t istd) const;
  const Pap& pap(int32_t istd) const;
  int32_t defaultFont() const { return defaultFont_; }

 private:
  void resolve(int32_t istd, int depth);
  std::vector<Style> styles_;
  std::deque<std::string> translated_;  // Word 6.0/95 properties in later form
  std::vector<uint8_t> state_;  // 0 unresolved, 1 resolving, 2 done
  Chp defaultChp_;
  Pap defaultPap_;
  int32_t defaultFont_ = -1;
};

// Applies character sprms to `chp`; `styleChp` is what toggles refer to.
// `huge` is the Data stream (for sprms that keep their operand there).
void applyChp(Chp& chp, Bytes grpprl, const Chp& styleChp, const StyleSheet* styles);
void applyChpSprm(Chp& chp, uint16_t sprm, Bytes op, const Chp& styleChp, const StyleSheet* styles);
void applyPap(Pap& pap, Bytes grpprl, Bytes data);
void applyPapSprm(Pap& pap, uint16_t sprm, Bytes op, Bytes data);

// A colour of the 16 older files name (ico; 0 is automatic), and a
// COLORREF (red, green, blue, a flag byte for automatic) as 0xRRGGBB.
uint32_t icoColor(uint8_t ico);
uint32_t colorRef(uint32_t cv);

// A shading of the 2-byte form (Shd80) or the 10-byte one (SHD, at `at`)
// as the colour it shows (spacing_shading.cpp).
uint32_t shd80(uint16_t v);
uint32_t shd(Bytes b, size_t at);
// The shading sprms of a table row: its cells' backgrounds; false for any
// other sprm.
bool applyTableShadingSprm(Pap& pap, uint16_t sprm, Bytes op);
// A paragraph's space before and after, line spacing and shading; false
// for any other sprm.
bool applySpacingShadingSprm(Pap& pap, uint16_t sprm, Bytes op);

// Borders (borders.cpp). A border of the 4-byte form (Brc80) or the 8-byte
// one (BRC) at `at`: nil (all bits set) is no line; so is zero, unless
// `zeroIsUnset`, where zero gives no border of the cell's own.
MaybeBorder brc80(uint32_t v, bool zeroIsUnset);
MaybeBorder brc(Bytes b, size_t at, bool zeroIsUnset);
// The border sprms of a paragraph, and of a table row: its table's borders
// and those set for a range of its cells; false for any other sprm.
bool applyBorderSprm(Pap& pap, uint16_t sprm, Bytes op);

// Fonts by index (SttbfFfn).
struct Font {
  std::u16string name;
  bool symbol = false;  // a pictograph font (symbol character set)
  FontClass fontClass = FontClass::Unknown;  // its family (FFN ff)
};
// Word 6.0/95 tables hold 8-bit names.
std::vector<Font> readFonts(Bytes table, uint32_t fc, uint32_t lcb, bool word6 = false);

// A string table (Sttb), extended or not, without extra data. Word 6.0/95
// tables give their byte size and hold 8-bit strings only.
std::vector<std::u16string> readSttb(Bytes table, uint32_t fc, uint32_t lcb, bool word6 = false);

}  // namespace word::read::doc
