// Borders of table cells: the two forms a border takes in the file, and the
// sprms that give a table's borders or those of a range of its cells.
#include <algorithm>

#include "word/read/doc/properties.h"

namespace word::read::doc {
namespace {

constexpr uint8_t kNil = 0xFF;  // brcType of a nil border

// A border of type `type` (brcType), `eighths` of a point wide.
Border line(uint8_t type, uint8_t eighths, uint32_t color) {
  Border b;
  b.width = static_cast<uint8_t>(std::min<uint16_t>(eighths, kMaxBorderWidth));
  b.color = color;
  switch (type) {
    case 0:
    case kNil:
      return Border{LineStyle::None, 0, 0, kAutoColor};
    case 2:
      b.style = LineStyle::Thick;
      break;
    case 3:
    case 10:  // triple
      b.style = LineStyle::Double;
      break;
    case 6:
      b.style = LineStyle::Dotted;
      break;
    case 7:
    case 22:
      b.style = LineStyle::Dashed;
      break;
    case 8:
    case 9:
    case 23:
      b.style = LineStyle::DotDash;
      break;
    case 24:
      b.style = LineStyle::Ridge;
      break;
    case 25:
      b.style = LineStyle::Groove;
      break;
    case 26:
      b.style = LineStyle::Outset;
      break;
    case 27:
      b.style = LineStyle::Inset;
      break;
    default:
      // Lines of a thin and a thick part show as two lines; single,
      // hairline, waves, pictures and types unknown show as one.
      b.style = type >= 11 && type <= 19 ? LineStyle::Double : LineStyle::Single;
      break;
  }
  return b;
}

}  // namespace

MaybeBorder brc80(uint32_t v, bool zeroIsUnset) {
  if (v == 0 && zeroIsUnset) return std::nullopt;
  if (v == 0xFFFFFFFFu) return line(kNil, 0, kAutoColor);
  return line(static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v),
              icoColor(static_cast<uint8_t>(v >> 16)));
}

MaybeBorder brc(Bytes b, size_t at, bool zeroIsUnset) {
  if (zeroIsUnset && b.u32(at) == 0 && b.u32(at + 4) == 0) return std::nullopt;
  return line(b.u8(at + 5), b.u8(at + 4), colorRef(b.u32(at)));
}

bool applyBorderSprm(Pap& p, uint16_t sprm, Bytes op) {
  // Each operand starts with its size; an operand cut short gives no
  // border where its bytes are missing.
  switch (sprm) {
    case 0xD605:  // the table's, 4-byte form
      for (size_t e = 0; e < p.tableBorders.size(); ++e)
        if (op.has(1 + 4 * e, 4)) p.tableBorders[e] = brc80(op.u32(1 + 4 * e), false);
      return true;
    case 0xD613:  // the table's, 8-byte form
      for (size_t e = 0; e < p.tableBorders.size(); ++e)
        if (op.has(1 + 8 * e, 8)) p.tableBorders[e] = brc(op, 1 + 8 * e, false);
      return true;
    case 0xD620:    // a range of cells, 4-byte form
    case 0xD62F: {  // the same, 8-byte form
      const bool wide = sprm == 0xD62F;
      if (!op.has(4, wide ? 8 : 4)) return true;
      const MaybeBorder b = wide ? brc(op, 4, false) : brc80(op.u32(4), false);
      const size_t last = std::min<size_t>(op.u8(2), p.cells.size());
      for (size_t itc = op.u8(1); itc < last; ++itc)
        for (size_t side = 0; side < 4; ++side)
          if (op.u8(3) & (1u << side)) p.cells[itc].borders[side] = b;
      return true;
    }
    case 0x6424:  // the paragraph's top, left, bottom, right and between, 4-byte form
    case 0x6425:
    case 0x6426:
    case 0x6427:
    case 0x6428: {
      // With the points between the line and the text (dptSpace).
      MaybeBorder& b = p.borders[sprm - 0x6424] = brc80(op.u32(0), false);
      b->room = static_cast<uint8_t>(op.u32(0) >> 24 & 0x1F);
      return true;
    }
    case 0xC64E:  // the same, 8-byte form
    case 0xC64F:
    case 0xC650:
    case 0xC651:
    case 0xC652:
      if (op.has(1, 8)) {
        MaybeBorder& b = p.borders[sprm - 0xC64E] = brc(op, 1, false);
        b->room = static_cast<uint8_t>(op.u8(7) & 0x1F);
      }
      return true;
    default:
      return false;
  }
}

}  // namespace word::read::doc
