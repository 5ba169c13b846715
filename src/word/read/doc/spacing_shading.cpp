// Spacing and shading of Word 97-2003 files: a paragraph's space and line
// spacing, the two forms a shading takes, as the colour its pattern shows,
// and the sprms that shade a paragraph or a table row's cells.
#include <algorithm>

#include "word/read/doc/properties.h"
#include "word/read/look.h"

namespace word::read::doc {
namespace {

// The share of the area pattern `ipat` covers, in thousandths: percentages,
// stripes and crosses in heavy lines (about half) or thin ones (a quarter),
// and the finer percentages of later versions.
int coverage(uint16_t ipat) {
  static constexpr int kTenths[] = {0,   1000, 50,  100, 200, 250, 300,
                                    400, 500,  600, 700, 750, 800, 900};
  static constexpr int kFiner[] = {25,  75,  125, 150, 175, 225, 275, 325, 350, 375,
                                   425, 450, 475, 525, 550, 575, 625, 650, 675, 725,
                                   775, 825, 850, 875, 925, 950, 975, 970};
  if (ipat < std::size(kTenths)) return kTenths[ipat];
  if (ipat <= 0x13) return 500;
  if (ipat <= 0x19) return 250;
  if (ipat >= 0x23 && ipat < 0x23 + std::size(kFiner)) return kFiner[ipat - 0x23];
  return 0;
}

// Sets the shading of cells [first, first + count) from an array of
// `size`-byte shadings read by `one`.
template <class One>
void shadeCells(std::vector<uint32_t>& cells, size_t first, Bytes op, size_t size, One one) {
  const size_t count = std::min<size_t>(op.u8(0) / size, 64);
  if (count == 0) return;
  if (cells.size() < first + count) cells.resize(first + count, kAutoColor);
  for (size_t i = 0; i < count && op.has(1 + size * i, size); ++i)
    cells[first + i] = one(1 + size * i);
}

// Shades the cells [first, lim) of a row with `colour`. The cells around the range
// keep what the row's shading arrays gave them, so both arrays are first
// folded into the full-colour one, which is the one shown.
void shadeRange(Pap& p, size_t first, size_t lim, uint32_t colour) {
  lim = std::min<size_t>(lim, 64);
  if (first >= lim) return;
  std::vector<uint32_t> cells(std::max({lim, p.cellShading.size(), p.cellShading80.size()}));
  for (size_t i = 0; i < cells.size(); ++i)
    cells[i] = i < p.cellShading.size()     ? p.cellShading[i]
               : i < p.cellShading80.size() ? p.cellShading80[i]
                                            : kAutoColor;
  for (size_t i = first; i < lim; ++i) cells[i] = colour;
  p.cellShading = std::move(cells);
}

}  // namespace

uint32_t shd80(uint16_t v) {
  if (v == 0xFFFF) return kAutoColor;
  return shadingColour(icoColor((v >> 5) & 0x1F), icoColor(v & 0x1F), coverage(v >> 10));
}

uint32_t shd(Bytes b, size_t at) {
  if (!b.has(at, 10)) return kAutoColor;
  const uint16_t ipat = b.u16(at + 8);
  if (ipat == 0xFFFF) return kAutoColor;
  return shadingColour(colorRef(b.u32(at + 4)), colorRef(b.u32(at)), coverage(ipat));
}

bool applyTableShadingSprm(Pap& p, uint16_t sprm, Bytes op) {
  auto wide = [&](size_t first) {
    shadeCells(p.cellShading, first, op, 10, [&](size_t at) { return shd(op, at); });
  };
  switch (sprm) {
    case 0xD609:  // the 2-byte form, from the first cell
      shadeCells(p.cellShading80, 0, op, 2, [&](size_t at) { return shd80(op.u16(at)); });
      return true;
    case 0xD612:  // full colour: cells 1-22, 23-44 and 45-63
    case 0xD670:
      wide(0);
      return true;
    case 0xD616:
    case 0xD671:
      wide(22);
      return true;
    case 0xD60C:
    case 0xD672:
      wide(44);
      return true;
    // A range of cells with a full-colour shading. Its two-byte and "odd"
    // forms are left alone: how their operands are laid out and which cells
    // "odd" means is not settled, and a wrong guess would paint wrong cells.
    case 0xD62D:
      shadeRange(p, op.u8(1), op.u8(2), shd(op, 3));
      return true;
    default:
      return false;
  }
}

bool applySpacingShadingSprm(Pap& p, uint16_t sprm, Bytes op) {
  switch (sprm) {
    case 0xA413:
      p.spaceBefore = op.u16(0);
      break;
    case 0xA414:
      p.spaceAfter = op.u16(0);
      break;
    case 0x245B:
      p.beforeAuto = op.u8(0) != 0;
      break;
    case 0x245C:
      p.afterAuto = op.u8(0) != 0;
      break;
    case 0x246D:
      p.contextual = op.u8(0) != 0;
      break;
    case 0x6412:  // a line's height and whether it is in 240ths of a line
      p.dyaLine = op.i16(0);
      p.multLine = op.i16(2) != 0;
      break;
    case 0x442D:
      p.shading = shd80(op.u16(0));
      break;
    case 0xC64D:
      p.shading = shd(op, 1);
      break;
    default:
      return false;
  }
  return true;
}

}  // namespace word::read::doc
