// The drawing layer of a .doc: a group of pictures anchored at one place
// shows every picture in it, not none.
#include <gtest/gtest.h>

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
