#pragma once
// Pictures for the picture tests: real metafiles from a corpus document,
// and small ones made here.
#include <tiffio.h>

#include <memory>
#include <string>
#include <vector>

#include "../common/fixtures.h"
#include "word/model.h"
#include "word/read/reader.h"

namespace testing_support {

// The picture helper the build puts beside the program.
inline const std::string kHelper = std::string(RD_BINARY_DIR) + "/app/raredozud-pictures";

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

inline std::string words(std::initializer_list<uint32_t> values) {
  std::string s;
  for (uint32_t v : values) put16(s, v);
  return s;
}

// A placeable WMF, 1000 x 500 units at 1440 a inch (67 x 33 pixels at 96
// dpi), of the given records and an end record.
inline std::string wmf(const std::string& records) {
  std::string s = words({0xCDD7, 0x9AC6, 0, 0, 0, 1000, 500, 1440, 0, 0});
  uint16_t sum = 0;
  for (size_t i = 0; i < 20; i += 2)
    sum ^= static_cast<uint16_t>(static_cast<uint8_t>(s[i]) | static_cast<uint8_t>(s[i + 1]) << 8);
  put16(s, sum);
  const uint32_t size = static_cast<uint32_t>(9 + records.size() / 2 + 3);
  // Header: type, size in words, version, file size in words, objects,
  // largest record (the whole file will do), members.
  s += words({1, 9, 0x300, size & 0xFFFF, size >> 16, 1, size & 0xFFFF, size >> 16, 0});
  return s + records + words({3, 0, 0});
}

inline std::string rectangleWmf() {
  return wmf(words({7, 0, 0x041B, 450, 900, 50, 100}));
}

// Text drawn in a font of the given face and character set (204:
// Cyrillic, whose text is in windows-1251).
inline std::string textWmf(const std::string& text, const std::string& face = "Arial",
                           uint8_t charset = 0) {
  std::string font = words({0xFFF0, 0, 0, 0, 400}) + std::string("\0\0\0", 3) +
                     static_cast<char>(charset) + std::string(4, '\0') + face + '\0';
  if (font.size() % 2) font.push_back('\0');
  std::string padded = text;
  if (padded.size() % 2) padded.push_back('\0');
  return wmf(words({static_cast<uint32_t>(3 + font.size() / 2), 0, 0x02FB}) + font +
             words({4, 0, 0x012D, 0}) +  // select it
             words({static_cast<uint32_t>(3 + 1 + padded.size() / 2 + 2), 0, 0x0521,
                    static_cast<uint32_t>(text.size())}) +
             padded + words({100, 50}));
}

inline void put32(std::string& s, uint32_t v) {
  put16(s, v & 0xFFFF);
  put16(s, v >> 16);
}

inline std::string longs(std::initializer_list<uint32_t> values) {
  std::string s;
  for (uint32_t v : values) put32(s, v);
  return s;
}

inline std::string emfRecord(uint32_t type, const std::string& body) {
  return longs({type, static_cast<uint32_t>(8 + body.size())}) + body;
}

// An EMF of 100 x 50 device units of the given records and an end record.
inline std::string emf(const std::vector<std::string>& records) {
  std::string body;
  for (const std::string& r : records) body += r;
  body += emfRecord(14, longs({0, 16, 20}));
  const auto count = static_cast<uint32_t>(records.size() + 2);
  // Bounds, frame (0.01 mm), signature, version, size, records, handles,
  // description, palette, device size in pixels and millimetres.
  auto header = [&](uint32_t bytes) {
    return emfRecord(1, longs({0,     0,     100, 50, 0, 0, 2646, 1323, 0x464D4520, 0x10000,
                               bytes, count, 2,   0,  0, 0, 1024, 768,  320,        240}));
  };
  return header(static_cast<uint32_t>(header(0).size() + body.size())) + body;
}

// Text drawn in a font of the given face (at most 31 characters).
inline std::string textEmf(const std::u16string& text, const std::u16string& face = u"Arial") {
  std::string name;
  for (size_t i = 0; i < 32; ++i) put16(name, i < face.size() ? face[i] : 0);
  const std::string font = emfRecord(
      82, longs({1, static_cast<uint32_t>(-20), 0, 0, 0, 400, 0, 0}) + name);  // a LOGFONTW
  std::string string;
  for (char16_t c : text) put16(string, c);
  if (string.size() % 4) put16(string, 0);
  const auto n = static_cast<uint32_t>(text.size());
  constexpr uint32_t kFloatOne = 0x3F800000, kAt = 76;  // the string's offset
  // Bounds, graphics mode, scales, reference point, characters, where the
  // string and the advances are.
  std::string out = longs({0, 0, 100, 50, 1, kFloatOne, kFloatOne, 10, 30, n, kAt, 0, 0, 0, 100, 50,
                           static_cast<uint32_t>(kAt + string.size())}) +
                    string;
  for (uint32_t i = 0; i < n; ++i) put32(out, 8);
  return emf({font, emfRecord(37, longs({1})), emfRecord(84, out)});
}

// Text with the advance of each character given: "by this" in Arial.
inline std::string advancedTextWmf() {
  std::string font = words({0xFF38, 0, 0, 0, 400}) + std::string("\0\0\0\0\0\0\0\0Arial\0", 14);
  const std::string text("by this\0", 8);  // padded to whole words
  return wmf(words({static_cast<uint32_t>(3 + font.size() / 2), 0, 0x02FB}) + font +
             words({4, 0, 0x012D, 0}) + words({3 + 4 + 4 + 7, 0, 0x0A32, 300, 100, 7, 0}) + text +
             words({100, 110, 60, 50, 110, 50, 90}));
}

// A bitmap of 2 x 2 pixels stretched to 800 x 400 units at (100, 50), in
// a frame of the whole picture.
inline std::string bitmapWmf() {
  const std::string dib = words({40, 0, 2, 0, 2, 0, 1, 24, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0}) +
                          std::string("\0\0\xFF\0\0\xFF\0\0\xFF\0\0\xFF\0\0\xFF\0", 16);
  return wmf(words({7, 0, 0x041B, 500, 1000, 0, 0}) +
             words({static_cast<uint32_t>(3 + 11 + dib.size() / 2), 0, 0x0F43, 0x0020, 0x00CC, 0, 2,
                    2, 0, 0, 400, 800, 50, 100}) +
             dib);
}

// An EMF (1000 x 500 device units) whose text "by this" is drawn in a
// font 100 units high with its own advances, under a mapping that halves
// widths.
inline std::string advancedTextEmf() {
  const std::string logfont = longs({static_cast<uint32_t>(-100), 0, 0, 0, 400, 0, 0}) +
                              std::string("A\0r\0i\0a\0l\0", 10) + std::string(54 + 240, '\0');
  std::string text = longs({0, 0, 0, 0, 1, 0, 0, 100, 100, 7, 76, 0, 0, 0, 0, 0, 92}) +
                     std::string("b\0y\0 \0t\0h\0i\0s\0\0\0", 16) +
                     longs({50, 50, 30, 30, 50, 20, 40});
  const std::string records = emfRecord(17, longs({8})) + emfRecord(9, longs({1000, 1000})) +
                              emfRecord(11, longs({500, 1000})) +
                              emfRecord(82, longs({1}) + logfont) + emfRecord(37, longs({1})) +
                              emfRecord(84, text) + emfRecord(14, longs({0, 16, 20}));
  std::string header = longs({0, 0, 999, 499, 0, 0, 26458, 13229, 0x464D4520, 0x10000, 0, 8}) +
                       words({2, 0}) +
                       longs({0, 0, 0, 1000, 500, 264, 132, 0, 0, 0, 264000, 132000});
  std::string out = emfRecord(1, header) + records;
  const std::string size = longs({static_cast<uint32_t>(out.size())});
  out.replace(48, 4, size);
  return out;
}

// An uncompressed RGB TIFF of 4 x 2 pixels.
inline std::string smallTiff() {
  std::string s = std::string("II*\0", 4);
  auto put32 = [&](uint32_t v) { testing_support::put32(s, v); };
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

// A bilevel TIFF of width x height pixels, all white, in CCITT group 4,
// made with libtiff at `path`: 100 megapixels take a few kilobytes, and 400
// MB once decoded. `tag` goes after its end, to tell such pictures apart.
inline std::string whiteTiff(const std::string& path, uint32_t width, uint32_t height,
                             char tag = 0) {
  TIFF* t = TIFFOpen(path.c_str(), "w");
  if (!t) return {};
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 1);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISWHITE);
  TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_CCITTFAX4);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, height);
  const std::string row((width + 7) / 8, '\0');
  for (uint32_t y = 0; y < height; ++y) TIFFWriteScanline(t, const_cast<char*>(row.data()), y, 0);
  TIFFClose(t);
  std::string bytes = readBytes(path);
  if (tag) bytes += tag;
  return bytes;
}

}  // namespace testing_support
