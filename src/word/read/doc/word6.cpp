#include "word/read/doc/word6.h"

#include <cstdint>

namespace word::read::doc {
namespace {

// Operand sizes by code: >= 0 fixed, -1 a one-byte length first, -2 a
// two-byte length first, -3 unknown.
constexpr int kV = -1, kV2 = -2, kX = -3;
int operandSize(uint8_t code) {
  static constexpr int kSize[256] = {
      // 0..15
      0, kX, 2, kV, 1, 1, 1, 1, 1, 1, 1, 1, kV, 1, 1, kV,
      // 16..31
      2, 2, 2, 2, 4, 2, 2, kV, 1, 1, 2, 2, 2, 1, 2, 2,
      // 32..47
      2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2,
      // 48..63
      2, 2, 1, 1, kV, kX, kX, kX, kX, kX, kX, kX, kX, kX, kX, kX,
      // 64..79
      kX, 1, 1, 1, kV, 2, 4, 1, 2, 3, kV, 1, kX, kX, kX, kX,
      // 80..95
      2, kV, kV, 0, kX, 1, 1, 1, 1, 1, 1, 1, 1, 2, 1, 3,
      // 96..111
      2, 2, 1, 2, 1, 2, 1, kV, 1, kV, kV, 2, kV, 2, 2, kX,
      // 112..127
      kX, kX, kX, kX, kX, 1, 1, 1, kV, 2, 2, 2, 2, kX, kX, kX,
      // 128..143
      kX, kX, kX, 1, 1, kV, kX, kX, 3, 3, 1, 1, 2, 2, 1, 1,
      // 144..159
      2, 2, 1, 1, 2, 2, 1, 1, 1, 1, 2, 2, 2, 2, 1, 1,
      // 160..175
      2, 2, 1, 1, 2, 2, 2, 2, 2, 2, 2, 2, kX, kX, kX, kX,
      // 176..191
      kX, kX, kX, kX, kX, kX, 2, 2, 2, 1, 1, 12, kV2, 2, kV2, kV,
      // 192..207
      4, 5, 4, 2, 4, 2, 2, 5, 4, kX, kX, kX, kX, kX, kX, kX,
      // 208..
      kX, kX, kX, kX, kX, kX, kX, kX, kX, kX, kX, kX, kX, kX, kX, kX,
      kX, kX, kX, kX, kX, kX, kX, kX, kX, kX, kX, kX, kX, kX, kX, kX,
      kX, kX, kX, kX, kX, kX, kX, kX, kX, kX, kX, kX, kX, kX, kX, kX,
  };
  return kSize[code];
}

// Later codes of the modifiers whose operand keeps its layout.
uint16_t laterCode(uint8_t code) {
  switch (code) {
    case 2: return 0x4600;    // paragraph style
    case 5: return 0x2403;    // alignment
    case 15:
      return 0xC60D;          // tab stops
    case 16: return 0x840E;   // right indent
    case 17: return 0x840F;   // left indent
    case 19: return 0x8411;   // first-line indent
    case 20:
      return 0x6412;  // line spacing
    case 21:
      return 0xA413;  // space before
    case 22:
      return 0xA414;  // space after
    case 47:
      return 0x442D;  // paragraph shading
    case 191:
      return 0xD609;          // cells' shading
    case 24: return 0x2416;   // in table
    case 25: return 0x2417;   // row end
    case 65: return 0x0800;   // deleted revision
    case 71: return 0x0806;
    case 75: return 0x080A;
    case 80: return 0x4A30;   // character style
    case 83: return 0x2A33;   // plain
    case 85: return 0x0835;   // bold
    case 86: return 0x0836;
    case 87: return 0x0837;
    case 88: return 0x0838;   // outline
    case 89: return 0x0839;   // shadow
    case 90: return 0x083A;
    case 91: return 0x083B;
    case 92: return 0x083C;   // hidden
    case 93: return 0x4A4F;   // font
    case 94: return 0x2A3E;   // underline
    case 96: return 0x8840;   // space between letters
    case 97: return 0x486D;   // language
    case 98: return 0x2A42;   // colour
    case 99: return 0x4A43;   // size
    case 104: return 0x2A48;  // super/subscript
    case 117: return 0x0855;  // special character
    case 118: return 0x0856;
    case 182:
      return 0x5400;  // table alignment
    case 183:
      return 0x9601;  // table's left edge
    default: return 0;
  }
}

void put16(std::string& out, uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}

// A cell border of Word 6.0/95 (two bytes: a width of 0.75pt steps, or 6
// dotted and 7 dashed; a type; a colour) in the later 4-byte form.
uint32_t widerBorder(uint16_t v) {
  if (v == 0xFFFF) return 0xFFFFFFFFu;
  const uint32_t width = v & 7, type = (v >> 3) & 3, ico = (v >> 6) & 31;
  if (v == 0 || type == 0) return v == 0 ? 0 : 0xFFFFFFFFu;
  const uint32_t later = width == 6 ? 6 : width == 7 ? 7 : type;
  const uint32_t eighths = width >= 6 ? 6 : width * 6;
  return eighths | (later << 8) | (ico << 16);
}

}  // namespace

std::string translateWord6Sprms(Bytes g, bool* numbered) {
  std::string out;
  size_t at = 0;
  while (at < g.size()) {
    uint8_t code = g.u8(at++);
    int size = operandSize(code);
    size_t n;
    if (size == kX) break;
    if (size == kV)
      n = 1 + static_cast<size_t>(g.u8(at));
    else if (size == kV2)
      n = 1 + static_cast<size_t>(g.u16(at));  // the length counts itself less one
    else
      n = static_cast<size_t>(size);
    if (!g.has(at, n)) break;
    Bytes op = g.sub(at, n);
    at += n;
    if (code == 13 && numbered) *numbered = op.u8(0) != 0;  // its numbering level
    if (uint16_t later = laterCode(code)) {
      put16(out, later);
      out.append(op.view());
    } else if (code == 68 && op.size() >= 5) {  // picture location
      put16(out, 0x6A03);
      out.append(op.view().substr(1, 4));
    } else if (code == 74 && op.size() >= 4) {  // symbol: font and an 8-bit character
      put16(out, 0x6A09);
      out.push_back(4);
      out.append(op.view().substr(1, 2));
      put16(out, op.u8(3));
    } else if (code == 190 && op.size() >= 3) {
      // Table definition: cells of 10 bytes widen to 20; their flags stay.
      size_t cells = op.u8(2);
      size_t centers = 2 * (cells + 1);
      std::string body;
      body.push_back(static_cast<char>(cells));
      body.append(op.sub(3, centers).view());
      body.resize(1 + centers, '\0');
      for (size_t i = 0; i < cells; ++i) {
        std::string tc(20, '\0');
        const size_t at = 3 + centers + 10 * i;
        if (op.has(at, 2)) {
          tc[0] = static_cast<char>(op.u8(at));
          tc[1] = static_cast<char>(op.u8(at + 1));
        }
        for (size_t side = 0; side < 4 && op.has(at + 2 + 2 * side, 2); ++side) {
          const uint32_t brc = widerBorder(op.u16(at + 2 + 2 * side));
          for (size_t k = 0; k < 4; ++k) tc[4 + 4 * side + k] = static_cast<char>(brc >> (8 * k));
        }
        body += tc;
      }
      put16(out, 0xD608);
      put16(out, static_cast<uint16_t>(body.size() + 1));
      out += body;
    }
  }
  return out;
}

}  // namespace word::read::doc
