#pragma once
// Pictures for the picture tests: real metafiles from a corpus document,
// and small ones made here.
#include <memory>
#include <string>

#include "word/model.h"
#include "word/read/reader.h"

namespace testing_support {

// The WMF and EMF pictures of tests/corpus/docx/VariousPictures.docx.
inline word::Picture corpusPicture(const std::string& format) {
  static const word::Model m =
      word::read::load(std::string(RD_TEST_DIR) + "/corpus/docx/VariousPictures.docx");
  for (const word::Picture& p : m.main.pictures)
    if (p.format == format) return p;
  return {};
}

inline word::Picture picture(std::string format, std::string bytes, std::u16string alt = {}) {
  word::Picture p;
  p.format = std::move(format);
  p.data = std::make_shared<const std::string>(std::move(bytes));
  p.alt = std::move(alt);
  return p;
}

inline void put16(std::string& s, uint32_t v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>(v >> 8 & 0xFF));
}

// A placeable WMF of one rectangle, 1000 x 500 units at 1440 a inch
// (67 x 33 pixels at 96 dpi).
inline std::string rectangleWmf() {
  std::string s;
  put16(s, 0xCDD7), put16(s, 0x9AC6), put16(s, 0);  // key, handle
  for (uint32_t v : {0u, 0u, 1000u, 500u, 1440u, 0u, 0u}) put16(s, v);
  uint16_t sum = 0;
  for (size_t i = 0; i < 20; i += 2)
    sum ^= static_cast<uint16_t>(static_cast<uint8_t>(s[i]) | static_cast<uint8_t>(s[i + 1]) << 8);
  put16(s, sum);
  // Header: type, size in words, version, file size in words (19),
  // objects, largest record (7), members.
  for (uint32_t v : {1u, 9u, 0x300u, 19u, 0u, 0u, 7u, 0u, 0u}) put16(s, v);
  for (uint32_t v : {7u, 0u, 0x041Bu, 450u, 900u, 50u, 100u}) put16(s, v);  // rectangle
  for (uint32_t v : {3u, 0u, 0u}) put16(s, v);                              // end
  return s;
}

// An uncompressed RGB TIFF of 4 x 2 pixels.
inline std::string smallTiff() {
  std::string s = std::string("II*\0", 4);
  auto put32 = [&](uint32_t v) { put16(s, v & 0xFFFF), put16(s, v >> 16); };
  const uint32_t ifd = 8 + 24, count = 9, bits = ifd + 2 + 12 * count + 4;
  put32(ifd);
  for (int i = 0; i < 24; ++i) s.push_back(static_cast<char>(i * 10));
  put16(s, count);
  auto entry = [&](uint32_t tag, uint32_t type, uint32_t n, uint32_t value) {
    put16(s, tag), put16(s, type), put32(n), put32(value);
  };
  entry(256, 3, 1, 4), entry(257, 3, 1, 2), entry(258, 3, 3, bits), entry(259, 3, 1, 1);
  entry(262, 3, 1, 2), entry(273, 4, 1, 8), entry(277, 3, 1, 3), entry(278, 3, 1, 2);
  entry(279, 4, 1, 24);
  put32(0);
  put16(s, 8), put16(s, 8), put16(s, 8);
  return s;
}

}  // namespace testing_support
