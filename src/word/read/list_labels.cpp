#include "word/read/list_labels.h"

#include <algorithm>

namespace word::read {
namespace {

std::u16string ascii(const std::string& s) {
  return std::u16string(s.begin(), s.end());
}

}  // namespace

std::u16string roman(int64_t n, bool upper) {
  if (n <= 0 || n >= 4000) return ascii(std::to_string(n));
  static const struct {
    int v;
    const char* s;
  } table[] = {{1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
               {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
  std::string out;
  for (const auto& t : table)
    while (n >= t.v) {
      out += t.s;
      n -= t.v;
    }
  if (upper)
    for (char& c : out) c = static_cast<char>(c - 'a' + 'A');
  return ascii(out);
}

std::u16string letters(int64_t n, bool upper) {
  if (n <= 0) return ascii(std::to_string(n));
  const int64_t count = std::min<int64_t>((n - 1) / 26 + 1, kMaxLetterRepeat);
  char16_t c = static_cast<char16_t>((upper ? u'A' : u'a') + (n - 1) % 26);
  return std::u16string(static_cast<size_t>(count), c);
}

namespace {

// Wingdings bullets by glyph; an unknown one shows as a plain bullet.
char16_t wingdingsChar(char16_t low) {
  switch (low) {
    case 0x6C:
      return 0x25CF;  // black circle
    case 0x6E:
      return 0x25A0;  // black square
    case 0x6F:
      return 0x25A1;  // white square
    case 0x71:
      return 0x2751;  // shadowed square
    case 0x75:
      return 0x25C6;  // black diamond
    case 0x76:
      return 0x2756;  // diamond with a cross
    case 0x9F:
      return 0x2022;
    case 0xA7:
      return 0x25AA;  // small black square
    case 0xA8:
      return 0x25FB;
    case 0xD8:
      return 0x27A2;  // arrowhead
    case 0xE0:
      return 0x27A2;
    case 0xFC:
      return 0x2714;  // check mark
    case 0xFE:
      return 0x2611;
    case 0xA1:
      return 0x25CB;
    default:
      return 0x2022;
  }
}

char16_t symbolFontChar(char16_t c, char16_t low) {
  // Symbol (or an unnamed symbol font): its Greek and bullet glyphs.
  switch (low) {
    case 0xB7:
      return 0x2022;
    case 0xA7:
      return 0x2663;
    case 0xA8:
      return 0x2666;
    case 0xA9:
      return 0x2665;
    case 0xAA:
      return 0x2660;
    case 0x2D:
      return 0x2212;
    case 0xB0:
      return 0x00B0;
    case 0xB1:
      return 0x00B1;
    case 0xD7:
      return 0x22C5;
    case 0xAE:
      return 0x2192;
    case 0xAC:
      return 0x2190;
    case 0xDE:
      return 0x21D2;
    default:
      break;
  }
  if (low >= 0x41 && low <= 0x5A) {
    static const char16_t upper[] =
        u"\u0391\u0392\u03A7\u0394\u0395\u03A6\u0393\u0397\u0399\u03D1\u039A\u039B\u039C"
        u"\u039D\u039F\u03A0\u0398\u03A1\u03A3\u03A4\u03A5\u03C2\u03A9\u039E\u03A8\u0396";
    return upper[low - 0x41];
  }
  if (low >= 0x61 && low <= 0x7A) {
    static const char16_t lowerG[] =
        u"\u03B1\u03B2\u03C7\u03B4\u03B5\u03C6\u03B3\u03B7\u03B9\u03D5\u03BA\u03BB\u03BC"
        u"\u03BD\u03BF\u03C0\u03B8\u03C1\u03C3\u03C4\u03C5\u03D6\u03C9\u03BE\u03C8\u03B6";
    return lowerG[low - 0x61];
  }
  return c;
}

}  // namespace

char16_t mapSymbolChar(char16_t c, std::string_view font) {
  char16_t low = c >= 0xF000 && c <= 0xF0FF ? static_cast<char16_t>(c - 0xF000) : c;
  if (low > 0xFF) return c;
  bool wingdings = font.substr(0, 9) == "Wingdings";
  bool symbol = font == "Symbol";
  if (!wingdings && !symbol && c < 0xF000) return c;
  if (wingdings) return wingdingsChar(low);
  return symbolFontChar(c, low);
}

}  // namespace word::read
