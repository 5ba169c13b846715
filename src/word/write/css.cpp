#include "word/write/css.h"

#include <algorithm>
#include <cstdio>

namespace word::write {

std::u16string ascii(std::string_view s) {
  return std::u16string(s.begin(), s.end());
}

std::u16string points(int64_t value, int divisor) {
  // In hundredths, rounded half away from zero; whole numbers of them for
  // the units used (half points, twips). Integer work: this runs for every
  // formatted run of every page.
  const bool negative = value < 0;
  const uint64_t magnitude =
      negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  const uint64_t d = static_cast<uint64_t>(divisor > 0 ? divisor : 1);
  const uint64_t hundredths = (magnitude * 100 + d / 2) / d;
  std::string s = (negative && hundredths != 0 ? "-" : "") + std::to_string(hundredths / 100);
  if (uint64_t frac = hundredths % 100) {
    s += '.';
    s += static_cast<char>('0' + frac / 10);
    if (frac % 10) s += static_cast<char>('0' + frac % 10);
  }
  return ascii(s) + u"pt";
}

std::u16string colour(uint32_t rgb) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%06X", rgb & 0xFFFFFFu);
  return ascii(buf);
}

namespace {

// A known edge as a CSS border value; empty for an unknown one, which the
// page's default grid draws.
std::u16string borderValue(const Border& b) {
  const char16_t* style = u"solid";
  switch (b.style) {
    case LineStyle::Unknown:
      return {};
    case LineStyle::None:
      return u"none";
    case LineStyle::Single:
    case LineStyle::Thick:
      break;
    case LineStyle::Double:
      style = u"double";
      break;
    case LineStyle::Dotted:
      style = u"dotted";
      break;
    case LineStyle::Dashed:
    case LineStyle::DotDash:
      style = u"dashed";
      break;
    case LineStyle::Groove:
      style = u"groove";
      break;
    case LineStyle::Ridge:
      style = u"ridge";
      break;
    case LineStyle::Inset:
      style = u"inset";
      break;
    case LineStyle::Outset:
      style = u"outset";
      break;
  }
  // Eighths of a point. A hairline still shows as one pixel (6/8 pt); a
  // double line needs three to show both of its lines, and the word
  // processor's width is that of each line.
  int64_t eighths = std::min<uint16_t>(b.width, kMaxBorderWidth);
  if (b.style == LineStyle::Thick) eighths = std::max<int64_t>(eighths, 12);
  if (b.style == LineStyle::Double) eighths = std::max<int64_t>(3 * eighths, 18);
  eighths = std::max<int64_t>(eighths, 6);
  const uint32_t rgb = b.color == kAutoColor ? 0 : b.color;
  return points(eighths, 8) + u" " + style + u" " + colour(rgb);
}

}  // namespace

std::u16string cellCss(const Cell& cell) {
  std::u16string css;
  if (cell.width > 0) css += u"width:" + points(cell.width, 20) + u";";
  if (cell.valign != VAlign::Top)
    css += cell.valign == VAlign::Center ? u"vertical-align:middle;" : u"vertical-align:bottom;";
  if (cell.shading != kAutoColor) css += u"background-color:" + colour(cell.shading) + u";";
  const CellBorders& b = cell.borders;
  if (b.top == b.left && b.top == b.bottom && b.top == b.right) {
    if (std::u16string v = borderValue(b.top); !v.empty()) css += u"border:" + v + u";";
    return css;
  }
  const std::pair<const char16_t*, const Border*> sides[] = {
      {u"top", &b.top}, {u"left", &b.left}, {u"bottom", &b.bottom}, {u"right", &b.right}};
  for (const auto& [side, border] : sides)
    if (std::u16string v = borderValue(*border); !v.empty())
      css += u"border-" + std::u16string(side) + u":" + v + u";";
  return css;
}

std::u16string tableCss(const Table& table) {
  if (table.align == Align::Center) return u"margin-left:auto;margin-right:auto;";
  if (table.align == Align::Right) return u"margin-left:auto;";
  return table.indent > 0 ? u"margin-left:" + points(table.indent, 20) + u";" : u"";
}

std::u16string capitalsCss(const CharFormat& f, const CharFormat* base) {
  std::u16string css;
  if (base ? f.smallCaps != base->smallCaps : f.smallCaps)
    css += f.smallCaps ? u"font-variant:small-caps;" : u"font-variant:normal;";
  if (base ? f.allCaps != base->allCaps : f.allCaps)
    css += f.allCaps ? u"text-transform:uppercase;" : u"text-transform:none;";
  return css;
}

Indents shownIndents(const ParagraphFormat& f) {
  Indents i{f.indentLeft, std::max(f.indentRight, 0), f.indentFirst};
  const int64_t start = std::min<int64_t>(i.left, int64_t{i.left} + i.first);
  if (start < 0) i.left = static_cast<int32_t>(i.left - start);
  return i;
}

}  // namespace word::write
