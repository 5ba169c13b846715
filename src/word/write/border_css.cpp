// A paragraph's and a cell's borders, and the room inside them, as CSS.
#include <array>
#include <cstdint>
#include <string>
#include <tuple>
#include <utility>

#include "word/write/css.h"

namespace word::write {

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
  int64_t eighths = std::min<int64_t>(b.width, kMaxBorderWidth);
  if (b.style == LineStyle::Thick) eighths = std::max<int64_t>(eighths, 12);
  if (b.style == LineStyle::Double) eighths = std::max<int64_t>(3 * eighths, 18);
  eighths = std::max<int64_t>(eighths, 6);
  const uint32_t rgb = b.color == kAutoColor ? 0 : b.color;
  return points(eighths, 8) + u" " + style + u" " + colour(rgb);
}

// The room between a paragraph's border and its text, on the sides drawn
// (a line above alone leaves the text at its indent), as the document
// gives it or else the usual; with no line, the room its shading gives;
// on every side where the sides give each their own (in the fewest
// values, as the usual room is written).
std::u16string borderRoomCss(const ParagraphFormat& f, uint8_t sides) {
  const uint8_t room = f.border.room;
  const bool shaded = f.shading != kAutoColor;
  if (const auto& r = f.sideRooms; r != decltype(f.sideRooms){}) {
    auto at = [&r](size_t i) { return r[i] ? rems(r[i], 1) : u"0"; };
    std::u16string css = u"padding:" + at(0);
    if (r[1] != r[0] || r[2] != r[0] || r[3] != r[0]) css += u" " + at(3);
    if (r[2] != r[0] || r[1] != r[3]) css += u" " + at(2);
    if (r[1] != r[3]) css += u" " + at(1);
    return css + u";";
  }
  if (!sides) return room && shaded ? u"padding:" + rems(room, 1) + u";" : u"padding:0;";
  const std::u16string across = room ? rems(room, 1) : u"0.083333rem";
  const std::u16string beside = room ? rems(room, 1) : u"0.333333rem";
  if (sides == (kBorderTop | kBorderLeft | kBorderBottom | kBorderRight))
    return u"padding:" + across + (room ? u"" : u" " + beside) + u";";
  auto at = [&](uint8_t side, const std::u16string& width) { return sides & side ? width : u"0"; };
  return u"padding:" + at(kBorderTop, across) + u" " + at(kBorderRight, beside) + u" " +
         at(kBorderBottom, across) + u" " + at(kBorderLeft, beside) + u";";
}

// Known edges as declarations: one for all where they are alike.
std::u16string edgesCss(const CellBorders& b) {
  if (b.top == b.left && b.top == b.bottom && b.top == b.right) {
    const std::u16string v = borderValue(b.top);
    return v.empty() ? v : u"border:" + v + u";";
  }
  std::u16string css;
  const std::pair<const char16_t*, const Border*> sides[] = {
      {u"top", &b.top}, {u"left", &b.left}, {u"bottom", &b.bottom}, {u"right", &b.right}};
  for (const auto& [side, border] : sides)
    if (std::u16string v = borderValue(*border); !v.empty())
      css += u"border-" + std::u16string(side) + u":" + v + u";";
  return css;
}

}  // namespace

std::u16string tableBoxCss(const Table& t) {
  std::u16string css;
  if (t.widthShare)
    css += u"width:" + decimal(t.widthShare, 50) + u"%;";
  else if (t.width && !t.fixedLayout)  // a fixed table's in fixedCss
    css += u"width:" + rems(t.width, 20) + u";";
  if (t.cellSpacing <= 0) return css;
  return css + u"border-collapse:separate;border-spacing:" + rems(t.cellSpacing, 20) + u";" +
         edgesCss(t.frame);
}

// The sides of a paragraph's border that `f` draws otherwise than `base`,
// and the room between a border and the text where the sides differ.
std::u16string paragraphBorderCss(const ParagraphFormat& f, const ParagraphFormat& base,
                                  const std::vector<SideLines>* lines) {
  static const std::vector<SideLines> kNone;
  const std::vector<SideLines>& table = lines ? *lines : kNone;
  constexpr uint8_t kBox = kBorderTop | kBorderLeft | kBorderBottom | kBorderRight;
  const uint8_t drawn = f.borderSides & kBox, under = base.borderSides & kBox;
  // What the room depends on: where it is alike, so is the room, and
  // neither is written to be compared (most paragraphs have no border).
  auto roomOf = [](const ParagraphFormat& p, uint8_t sides) {
    return std::tuple(p.border.room, p.shading != kAutoColor, p.sideRooms, sides);
  };
  std::u16string room;
  if (roomOf(f, drawn) != roomOf(base, under)) {
    room = borderRoomCss(f, drawn);
    if (room == borderRoomCss(base, under)) room.clear();
  }
  const std::pair<uint8_t, const char16_t*> sides[] = {{kBorderTop, u"top"},
                                                       {kBorderLeft, u"left"},
                                                       {kBorderBottom, u"bottom"},
                                                       {kBorderRight, u"right"}};
  // The line below is the line between's where the box goes on below
  // (spacedBetween).
  auto line = [&table](const ParagraphFormat& p, uint8_t side) {
    const bool between = side == kBorderBottom && (p.borderSides & kBoxGoesOnBelow) &&
                         (p.borderSides & kBorderBetween);
    Border b = p.line(between ? kBorderBetween : side, table);
    b.room = 0;
    return b;
  };
  bool same = drawn == under;
  for (const auto& [bit, side] : sides)
    same = same && (!(drawn & bit) || line(f, bit) == line(base, bit));
  if (same) return room;
  bool alike = drawn == kBox;
  for (const auto& [bit, side] : sides) alike = alike && line(f, bit) == line(f, kBorderTop);
  if (alike) return u"border:" + borderValue(line(f, kBorderTop)) + u";" + room;
  std::u16string css;
  for (const auto& [bit, side] : sides) {
    const bool on = drawn & bit, was = under & bit;
    if (on)
      css += u"border-" + std::u16string(side) + u":" + borderValue(line(f, bit)) + u";";
    else if (was)
      css += u"border-" + std::u16string(side) + u":none;";
  }
  return css + room;
}

std::u16string cellCss(const Cell& cell) {
  std::u16string css;
  if (cell.width > 0) css += u"width:" + rems(cell.width, 20) + u";";
  if (cell.valign != VAlign::Top)
    css += cell.valign == VAlign::Center ? u"vertical-align:middle;" : u"vertical-align:bottom;";
  if (cell.shading != kAutoColor)
    css += u"background-color:" + colour(cell.shading) + u";" + textOn(cell.shading);
  // Turned lines: down the cell, or up it where the browser can (else down).
  if (cell.flow != TextFlow::Across)
    css += cell.flow == TextFlow::Down ? u"writing-mode:vertical-rl;"
                                       : u"writing-mode:vertical-rl;writing-mode:sideways-lr;";
  // Sides the document leaves keep the usual room, which the page's cells
  // have.
  std::array<int16_t, 4> room;
  for (size_t i = 0; i < room.size(); ++i)
    room[i] = cell.padding[i] >= 0 ? cell.padding[i] : i % 2 ? kCellPadding : 0;
  auto pair = [](int16_t a, int16_t b) {
    return rems(a, 20) + (a == b ? u"" : u" " + rems(b, 20)) + u";";
  };
  if (room[0] || room[2]) css += u"padding-block:" + pair(room[0], room[2]);
  if (room[1] != kCellPadding || room[3] != kCellPadding)
    css += u"padding-inline:" + pair(room[1], room[3]);
  return css + edgesCss(cell.borders);
}

}  // namespace word::write
