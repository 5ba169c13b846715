// The drawing layer of a .doc: a group of pictures anchored at one place
// shows every picture in it, not none.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "word/read/doc/officeart.h"

namespace {

// An OfficeArt record: version and instance, type, body.
std::string record(uint16_t ver, uint16_t instance, uint16_t type, const std::string& body) {
  std::string r(8, '\0');
  const uint16_t vi = static_cast<uint16_t>(ver | (instance << 4));
  const uint32_t len = static_cast<uint32_t>(body.size());
  r[0] = static_cast<char>(vi & 0xFF);
  r[1] = static_cast<char>(vi >> 8);
  r[2] = static_cast<char>(type & 0xFF);
  r[3] = static_cast<char>(type >> 8);
  for (int i = 0; i < 4; ++i) r[4 + i] = static_cast<char>(len >> (8 * i));
  return r + body;
}

std::string u32(uint32_t v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (8 * i));
  return s;
}

// A picture store entry with the PNG `bytes` embedded in it.
std::string storeEntry(const std::string& bytes) {
  std::string fbse(36, '\0');
  fbse[0] = fbse[1] = 6;                 // PNG
  fbse.replace(24, 4, u32(1));           // referenced once
  fbse.replace(28, 4, u32(0xFFFFFFFF));  // not in the delay stream
  const std::string blip = record(0, 0x6E0, 0xF01E, std::string(17, '\0') + bytes);
  return record(2, 6, 0xF007, fbse + blip);
}

// A shape: its id and, for a picture, its store index (pib).
std::string shape(uint32_t id, uint32_t pib) {
  std::string body = record(2, 75, 0xF00A, u32(id) + u32(0));
  if (pib) body += record(3, 1, 0xF00B, std::string("\x04\x41", 2) + u32(pib));
  return record(0xF, 0, 0xF004, body);
}

}  // namespace

TEST(DocDrawing, AGroupKeepsEveryPictureUnderItsOwnId) {
  const std::string dgg =
      record(0xF, 0, 0xF000,
             record(0xF, 2, 0xF001, storeEntry("\x89PNG one") + storeEntry("\x89PNG two")));
  // The group's first shape is the group itself: its id is the anchor's.
  const std::string group =
      record(0xF, 0, 0xF003, shape(1024, 0) + shape(1025, 1) + shape(1026, 2));
  const std::string drawing = record(0xF, 0, 0xF002, group + shape(1030, 2));
  const std::string table = dgg + std::string(1, '\0') + drawing;
  size_t budget = 1 << 20;
  const word::read::doc::Drawing d = word::read::doc::readDrawing(
      word::read::doc::Bytes(table), 0, static_cast<uint32_t>(table.size()),
      word::read::doc::Bytes(), budget);
  ASSERT_EQ(d.membersOf.count(1024), 1u);
  EXPECT_EQ(d.membersOf.at(1024), (std::vector<uint32_t>{1025, 1026}));
  ASSERT_TRUE(d.imageOfShape(1026));
  EXPECT_EQ(*d.imageOfShape(1026)->bytes, "\x89PNG two");
  EXPECT_EQ(*d.imageOfShape(1030)->bytes, "\x89PNG two");  // a shape of its own
  EXPECT_FALSE(d.imageOfShape(1024));                      // the group has none itself
}

namespace {

// A shape drawn by geometry: its preset type, flags, properties (id,
// value) and, inside a group, its place there; a group's own shape gives
// the group's space instead.
std::string drawnShape(uint32_t id, uint16_t type, uint32_t flags,
                       const std::vector<std::pair<uint16_t, uint32_t>>& props,
                       const std::string& anchor = {}, const std::string& space = {}) {
  std::string body = space.empty() ? "" : record(1, 0, 0xF009, space);
  body += record(2, type, 0xF00A, u32(id) + u32(flags));
  std::string opt;
  for (auto [pid, op] : props) opt += std::string{char(pid & 0xFF), char(pid >> 8)} + u32(op);
  if (!props.empty()) body += record(3, static_cast<uint16_t>(props.size()), 0xF00B, opt);
  if (!anchor.empty()) body += record(0, 0, 0xF00F, anchor);
  return record(0xF, 0, 0xF004, body);
}

std::string box(uint32_t l, uint32_t t, uint32_t r, uint32_t b) {
  return u32(l) + u32(t) + u32(r) + u32(b);
}

word::read::doc::Drawing readShapes(const std::string& shapes) {
  const std::string table = record(0xF, 0, 0xF000, record(0xF, 0, 0xF001, "")) +
                            std::string(1, '\0') + record(0xF, 0, 0xF002, shapes);
  size_t budget = 1 << 20;
  return word::read::doc::readDrawing(word::read::doc::Bytes(table), 0,
                                      static_cast<uint32_t>(table.size()),
                                      word::read::doc::Bytes(), budget);
}

}  // namespace

// Each shape's picture is an SVG of the anchor's size (1500 by 750 twips:
// 100 by 50 pixels) drawing the shape with its own fill and line.
TEST(DocDrawing, ShapesWithNoPictureAreDrawnByTheirGeometry) {
  const uint32_t filled = 0x100010, unfilled = 0x100000, noLine = 0x80000;
  struct Case {
    uint16_t type;
    std::vector<std::pair<uint16_t, uint32_t>> props;
    std::vector<std::string> drawn;  // what the SVG must hold
    int heightPx;
  } cases[] = {
      {1, {{0x0181, 0x0000FF}, {0x01BF, filled}, {0x01C0, 0x00FF00}, {0x01CB, 19050}},
       {"<rect", "fill=\"#ff0000\"", "stroke=\"#00ff00\"", "stroke-width=\"2\""}, 50},
      {3, {{0x01BF, unfilled}}, {"<ellipse", "fill=\"none\"", "stroke=\"#000000\""}, 50},
      {2, {{0x01FF, noLine}}, {"<rect", "rx=", "fill=\"#ffffff\"", "stroke=\"none\""}, 50},
      {13, {{0x0181, 0x10000008}}, {"<polygon", "fill=\"#ffffff\""}, 50},  // a scheme colour
      // A line along the top edge gets the height of its line, with an arrowhead.
      {20, {{0x01D1, 1}, {0x01CB, 38100}}, {"<line", "y1=\"2\"", "<polygon"}, 4},
  };
  for (const Case& c : cases) {
    const int height = c.type == 20 ? 0 : 750;
    const auto d = readShapes(drawnShape(1025, c.type, 0xA00, c.props));
    const auto img = d.drawnShape(1025, 1500, height);
    ASSERT_TRUE(img) << c.type;
    EXPECT_EQ(img->format, "svg");
    EXPECT_EQ(img->widthPx, 100);
    EXPECT_EQ(img->heightPx, c.heightPx) << c.type;
    for (const std::string& part : c.drawn)
      EXPECT_NE(img->bytes->find(part), std::string::npos) << c.type << " lacks " << part;
  }
  // A group is one picture, each shape at its place in the group's space;
  // a text box and a picture in it are not drawn.
  const std::string group = record(
      0xF, 0, 0xF003,
      drawnShape(2048, 0, 0x201, {}, {}, box(0, 0, 1000, 1000)) +
          drawnShape(2049, 1, 0xA02, {}, box(500, 0, 1000, 500)) +
          drawnShape(2050, 202, 0xA02, {}, box(0, 0, 500, 500)) +
          drawnShape(2051, 1, 0xA02, {{0x0104, 1}}, box(0, 500, 500, 1000)));
  const auto d = readShapes(group + drawnShape(3000, 202, 0xA00, {}));
  const auto img = d.drawnShape(2048, 1500, 750);
  ASSERT_TRUE(img);
  EXPECT_NE(img->bytes->find("<rect x=\"50.5\" y=\"0.5\" width=\"49\" height=\"24\""),
            std::string::npos)
      << *img->bytes;
  EXPECT_EQ(img->bytes->find("<rect", img->bytes->find("<rect") + 1), std::string::npos);
  EXPECT_FALSE(d.drawnShape(3000, 1500, 750));  // a lone text box
}

// A picture with a line round it said outright (1.5 points, dark grey)
// keeps it; one without that says nothing of a line has none.
TEST(DocDrawing, APictureKeepsTheLineRoundIt) {
  const std::vector<std::pair<uint16_t, uint32_t>> line = {
      {0x4104, 1}, {0x01C0, 0x404040}, {0x01CB, 19050}, {0x01FF, 0x80008}};
  const auto d =
      readShapes(drawnShape(1025, 75, 0xA00, line) + drawnShape(1026, 75, 0xA00, {{0x4104, 1}}) +
                 drawnShape(1027, 1, 0xA00, {{0x01FF, 0x80008}}));
  const auto look = [&](uint32_t id) {
    const word::PictureLook& l = d.geometryOf.at(id).look;
    return std::pair(l.outlineEmu, l.outlineColor);
  };
  EXPECT_EQ(look(1025), std::pair(19050, 0x404040u));
  EXPECT_EQ(look(1026).first, 0);
  EXPECT_EQ(look(1027).first, 0);  // a shape drawn by geometry draws its own line
}

// A WordArt shape keeps its text, font and size (36 points, 16.16 fixed)
// for the page to show as text.
TEST(DocDrawing, WordArtKeepsItsTextFontAndSize) {
  const std::string options = std::string("\xC0\x80", 2) + u32(6) + std::string("\xC5\x80", 2) +
                              u32(14) + std::string("\xC3\x00", 2) + u32(36 << 16) +
                              std::string("H\0i\0\0\0I\0m\0p\0a\0c\0t\0\0\0", 20);
  const std::string art = record(
      0xF, 0, 0xF004, record(2, 136, 0xF00A, u32(1031) + u32(0)) + record(3, 3, 0xF00B, options));
  const std::string table =
      record(0xF, 0, 0xF000, "") + std::string(1, '\0') + record(0xF, 0, 0xF002, art);
  size_t budget = 1 << 20;
  const word::read::doc::Drawing d = word::read::doc::readDrawing(
      word::read::doc::Bytes(table), 0, static_cast<uint32_t>(table.size()),
      word::read::doc::Bytes(), budget);
  ASSERT_EQ(d.wordArtOf.count(1031), 1u);
  EXPECT_EQ(d.wordArtOf.at(1031).text, u"Hi");
  EXPECT_EQ(d.wordArtOf.at(1031).font, u"Impact");
  EXPECT_EQ(d.wordArtOf.at(1031).halfPoints, 72);
}
