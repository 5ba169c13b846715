#include "word/read/list_labels.h"

#include <algorithm>
#include <span>
#include <utility>

#include "support/strings.h"

namespace word::read {

std::u16string zeroPadded(int64_t n) {
  std::u16string out = n >= 0 && n < 10 ? u"0" : u"";
  out += support::number(n);
  return out;
}

std::u16string roman(int64_t n, bool upper) {
  if (n <= 0 || n >= 4000) return support::number(n);
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
  return support::widen(out);
}

bool addToLabel(std::u16string& label, std::u16string_view part) {
  if (label.size() < kMaxLabelLength) label.append(part.substr(0, kMaxLabelLength - label.size()));
  return label.size() < kMaxLabelLength;
}

std::u16string noteSymbols(int64_t n) {
  static const char16_t marks[] = {u'*', u'\u2020', u'\u2021', u'\u00A7'};
  if (n <= 0) return support::number(n);
  const int64_t count = std::min<int64_t>((n - 1) / 4 + 1, kMaxLetterRepeat);
  return std::u16string(static_cast<size_t>(count), marks[(n - 1) % 4]);
}

std::u16string letters(int64_t n, bool upper) {
  if (n <= 0) return support::number(n);
  const int64_t count = std::min<int64_t>((n - 1) / 26 + 1, kMaxLetterRepeat);
  char16_t c = static_cast<char16_t>((upper ? u'A' : u'a') + (n - 1) % 26);
  return std::u16string(static_cast<size_t>(count), c);
}

namespace {

// The pictograph fonts, each with its own glyphs (Wingdings 2 is not
// Wingdings); Other: one whose glyphs are not known here (Wingdings 3).
enum class Dingbats { None, Wingdings, Wingdings2, Webdings, Other };

template <typename Char>
Dingbats dingbatsOf(std::basic_string_view<Char> font) {
  auto named = [&](std::string_view name) {
    return std::equal(font.begin(), font.end(), name.begin(), name.end());
  };
  if (named("Wingdings")) return Dingbats::Wingdings;
  if (named("Wingdings 2")) return Dingbats::Wingdings2;
  if (named("Webdings")) return Dingbats::Webdings;
  const std::string_view family = "Wingdings";
  if (font.size() > family.size() && std::equal(family.begin(), family.end(), font.begin()))
    return Dingbats::Other;
  return Dingbats::None;
}

using Glyph = std::pair<char16_t, char16_t>;  // code, character

// Wingdings: office things, pointing hands, faces, crosses and stars,
// bullets, ballot boxes and marks, arrows, circled numbers; those with a
// character of their own outside the first plane (a thumb up, a clock
// face) are left to the font.
constexpr Glyph kWingdings[] = {
    {0x21, 0x270F}, {0x22, 0x2702}, {0x23, 0x2701}, {0x28, 0x260E}, {0x29, 0x2706}, {0x2A, 0x2709},
    {0x36, 0x231B}, {0x37, 0x2328}, {0x3E, 0x2707}, {0x3F, 0x270D}, {0x41, 0x270C}, {0x45, 0x261C},
    {0x46, 0x261E}, {0x47, 0x261D}, {0x48, 0x261F}, {0x49, 0x270B}, {0x4A, 0x263A}, {0x4C, 0x2639},
    {0x4E, 0x2620}, {0x4F, 0x2690}, {0x51, 0x2708}, {0x52, 0x263C}, {0x54, 0x2744}, {0x56, 0x271E},
    {0x58, 0x2720}, {0x59, 0x2721}, {0x5A, 0x262A}, {0x5B, 0x262F}, {0x5C, 0x0950}, {0x5D, 0x2638},
    {0x6C, 0x25CF}, {0x6D, 0x274D}, {0x6E, 0x25A0}, {0x6F, 0x25A1}, {0x71, 0x2751}, {0x72, 0x2752},
    {0x73, 0x2B27}, {0x74, 0x29EB}, {0x75, 0x25C6}, {0x76, 0x2756}, {0x77, 0x2B25}, {0x78, 0x2327},
    {0x7A, 0x2318}, {0x7B, 0x2740}, {0x7C, 0x273F}, {0x7D, 0x275D}, {0x7E, 0x275E}, {0x9E, 0x00B7},
    {0x9F, 0x2022}, {0xA0, 0x25AA}, {0xA1, 0x25CB}, {0xA4, 0x25C9}, {0xA5, 0x25CE}, {0xA7, 0x25AA},
    {0xA8, 0x25FB}, {0xAA, 0x2726}, {0xAB, 0x2605}, {0xAC, 0x2736}, {0xAD, 0x2734}, {0xAE, 0x2739},
    {0xAF, 0x2735}, {0xB1, 0x2316}, {0xB2, 0x27E1}, {0xB3, 0x2311}, {0xB5, 0x272A}, {0xB6, 0x2730},
    {0xD5, 0x232B}, {0xD6, 0x2326}, {0xD8, 0x27A2}, {0xDC, 0x27B2}, {0xE0, 0x27A2}, {0xE7, 0x2B05},
    {0xE8, 0x27A1}, {0xE9, 0x2B06}, {0xEA, 0x2B07}, {0xEF, 0x21E6}, {0xF0, 0x21E8}, {0xF1, 0x21E7},
    {0xF2, 0x21E9}, {0xF3, 0x2B04}, {0xF4, 0x21F3}, {0xFB, 0x2717}, {0xFC, 0x2714}, {0xFD, 0x2612},
    {0xFE, 0x2611}};
// Wingdings 2: the check marks, crosses and boxes of check lists.
constexpr Glyph kWingdings2[] = {
    {0x4F, 0x2717}, {0x50, 0x2713}, {0x52, 0x2611}, {0x54, 0x2612}, {0xA3, 0x2610}};
// Webdings: the triangles of its arrows.
constexpr Glyph kWebdings[] = {{0x33, 0x25C0}, {0x34, 0x25B6}, {0x35, 0x25B2}, {0x36, 0x25BC}};

// A pictograph font's glyph by its code as the character it draws; 0 for
// those not known.
char16_t dingbatChar(Dingbats font, char16_t low) {
  // Wingdings' signs of the zodiac, Aries to Pisces.
  if (font == Dingbats::Wingdings && low >= 0x5E && low <= 0x69)
    return static_cast<char16_t>(0x2648 + low - 0x5E);
  // Wingdings' circled numbers: 0 to 10, then the same white on black.
  if (font == Dingbats::Wingdings && low >= 0x80 && low <= 0x95) {
    if (low == 0x80) return 0x24EA;
    if (low <= 0x8A) return static_cast<char16_t>(0x2460 + low - 0x81);
    return low == 0x8B ? 0x24FF : static_cast<char16_t>(0x2776 + low - 0x8C);
  }
  const std::span<const Glyph> glyphs = font == Dingbats::Wingdings    ? kWingdings
                                        : font == Dingbats::Wingdings2 ? kWingdings2
                                        : font == Dingbats::Webdings   ? kWebdings
                                                                       : std::span<const Glyph>();
  for (const auto& [code, shown] : glyphs)
    if (code == low) return shown;
  return 0;
}

char16_t symbolFontChar(char16_t c, char16_t low) {
  // Symbol (or an unnamed symbol font): its Greek letters, operators and
  // bullets; 0 where the font has no glyph.
  static const char16_t ascii[] =
      u" !\u2200#\u2203%&\u220B()\u2217+,\u2212./"
      u"0123456789:;<=>?"
      u"\u2245\u0391\u0392\u03A7\u0394\u0395\u03A6\u0393\u0397\u0399\u03D1\u039A\u039B\u039C\u039D"
      u"\u039F"
      u"\u03A0\u0398\u03A1\u03A3\u03A4\u03A5\u03C2\u03A9\u039E\u03A8\u0396[\u2234]\u22A5_"
      u"\u203E\u03B1\u03B2\u03C7\u03B4\u03B5\u03C6\u03B3\u03B7\u03B9\u03D5\u03BA\u03BB\u03BC\u03BD"
      u"\u03BF"
      u"\u03C0\u03B8\u03C1\u03C3\u03C4\u03C5\u03D6\u03C9\u03BE\u03C8\u03B6{|}\u223C";
  static const char16_t high[] =
      u"\u20AC\u03D2\u2032\u2264\u2044\u221E\u0192\u2663\u2666\u2665\u2660\u2194\u2190\u2191\u2192"
      u"\u2193"
      u"\u00B0\u00B1\u2033\u2265\u00D7\u221D\u2202\u2022\u00F7\u2260\u2261\u2248\u2026\u23D0\u23AF"
      u"\u21B5"
      u"\u2135\u2111\u211C\u2118\u2297\u2295\u2205\u2229\u222A\u2283\u2287\u2284\u2282\u2286\u2208"
      u"\u2209"
      u"\u2220\u2207\u00AE\u00A9\u2122\u220F\u221A\u22C5\u00AC\u2227\u2228\u21D4\u21D0\u21D1\u21D2"
      u"\u21D3"
      u"\u25CA\u27E8\u00AE\u00A9\u2122\u2211\u239B\u239C\u239D\u23A1\u23A2\u23A3\u23A7\u23A8\u23A9"
      u"\u23AA"
      u"\0\u27E9\u222B\u2320\u23AE\u2321\u239E\u239F\u23A0\u23A4\u23A5\u23A6\u23AB\u23AC\u23AD\0";
  char16_t mapped = 0;
  if (low >= 0x20 && low < 0x7F) mapped = ascii[low - 0x20];
  if (low >= 0xA0 && low <= 0xFF) mapped = high[low - 0xA0];
  return mapped ? mapped : c;
}

}  // namespace

char16_t mapSymbolChar(char16_t c, std::string_view font) {
  char16_t low = c >= 0xF000 && c <= 0xF0FF ? static_cast<char16_t>(c - 0xF000) : c;
  if (low > 0xFF) return c;
  const Dingbats dingbats = dingbatsOf(font);
  if (dingbats != Dingbats::None) {
    const char16_t shown = dingbatChar(dingbats, low);
    return shown ? shown : 0x2022;  // an unknown bullet shows as a plain one
  }
  if (font != "Symbol" && c < 0xF000) return c;
  return symbolFontChar(c, low);
}

bool symbolFont(std::u16string_view font) {
  const Dingbats dingbats = dingbatsOf(font);
  return font == u"Symbol" || (dingbats != Dingbats::None && dingbats != Dingbats::Other);
}

void showSymbols(std::u16string& text, std::u16string_view font) {
  if (font == u"Symbol") {
    for (char16_t& c : text) c = mapSymbolChar(c, "Symbol");
  } else if (const Dingbats dingbats = dingbatsOf(font); dingbats != Dingbats::None) {
    for (char16_t& c : text) {
      const char16_t low = c >= 0xF000 && c <= 0xF0FF ? static_cast<char16_t>(c - 0xF000) : c;
      if (const char16_t shown = low <= 0xFF ? dingbatChar(dingbats, low) : 0) c = shown;
    }
  }
}

}  // namespace word::read
