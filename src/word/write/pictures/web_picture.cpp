#include "word/write/pictures/web_picture.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <unordered_map>
#include <vector>

#include "support/codepage.h"

namespace word::write {
namespace {

using namespace std::string_view_literals;

uint32_t le16(std::string_view d, size_t at) {
  return static_cast<uint8_t>(d[at]) | static_cast<uint32_t>(static_cast<uint8_t>(d[at + 1])) << 8;
}

int32_t le32(std::string_view d, size_t at) {
  return static_cast<int32_t>(le16(d, at) | le16(d, at + 2) << 16);
}

uint32_t be32(std::string_view d, size_t at) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<uint8_t>(d[at + i]);
  return v;
}

// A length in picture units as 96-dpi pixels, kept to sizes a page holds.
int32_t toPixels(int64_t length, int64_t unitsPerInch) {
  if (length <= 0 || unitsPerInch <= 0) return 0;
  return static_cast<int32_t>(
      std::clamp<int64_t>((length * 96 + unitsPerInch / 2) / unitsPerInch, 1, 100000));
}

}  // namespace

std::string pictureExtension(const Picture& p) {
  static const std::unordered_map<std::string, std::string> known = {
      {"png", "png"}, {"jpeg", "jpg"},  {"jpg", "jpg"}, {"gif", "gif"},
      {"bmp", "bmp"}, {"tiff", "tif"},  {"tif", "tif"}, {"emf", "emf"},
      {"wmf", "wmf"}, {"pict", "pict"}, {"svg", "svg"}};
  std::string format = p.format;
  for (char& c : format) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  auto it = known.find(format);
  if (it != known.end()) return it->second;
  // An unnamed format: tell it from the bytes.
  std::string_view d = p.data ? std::string_view(*p.data) : std::string_view();
  auto starts = [&](std::string_view sig) { return d.substr(0, sig.size()) == sig; };
  if (starts("\x89PNG"sv)) return "png";
  if (starts("\xFF\xD8"sv)) return "jpg";
  if (starts("GIF8"sv)) return "gif";
  if (starts("BM"sv)) return "bmp";
  if (starts("II*\0"sv) || starts("MM\0*"sv)) return "tif";
  if (starts("\x01\0\0\0"sv)) return "emf";
  if (starts("\xD7\xCD\xC6\x9A"sv)) return "wmf";
  return "bin";
}

bool browserShowsAsIs(std::string_view extension) {
  return extension == "png" || extension == "jpg" || extension == "gif" || extension == "bmp" ||
         extension == "svg";
}

PixelSize metafileSize(std::string_view d) {
  // Placeable WMF: key, handle, bounds (four 16-bit signed), units per inch.
  if (d.size() >= 22 && d.substr(0, 4) == "\xD7\xCD\xC6\x9A"sv) {
    auto s16 = [&](size_t at) { return static_cast<int16_t>(le16(d, at)); };
    const int64_t inch = le16(d, 14);
    return {toPixels(int64_t{s16(10)} - s16(6), inch), toPixels(int64_t{s16(12)} - s16(8), inch)};
  }
  // EMF header record: type 1, then bounds, then the frame in 0.01 mm.
  if (d.size() >= 44 && le32(d, 0) == 1 && d.substr(40, 4) == " EMF"sv) {
    return {toPixels(int64_t{le32(d, 32)} - le32(d, 24), 2540),
            toPixels(int64_t{le32(d, 36)} - le32(d, 28), 2540)};
  }
  return {};
}

const char* wmfCodePage(std::string_view d) {
  static const std::pair<uint8_t, const char*> charsets[] = {
      {204, "WINDOWS-1251"}, {238, "WINDOWS-1250"}, {161, "WINDOWS-1253"},
      {162, "WINDOWS-1254"}, {177, "WINDOWS-1255"}, {178, "WINDOWS-1256"},
      {186, "WINDOWS-1257"}, {163, "WINDOWS-1258"}, {222, "WINDOWS-874"}};
  size_t at = d.substr(0, 4) == "\xD7\xCD\xC6\x9A"sv ? 22 : 0;
  if (d.size() < at + 18) return support::kWestern;
  at += 2 * static_cast<size_t>(le16(d, at + 2));  // the header's size in words
  // Records: size in words, function; a font record (0x02FB) holds the
  // character set 13 bytes into its LOGFONT.
  for (int guard = 0; at + 6 <= d.size() && guard < 1000000; ++guard) {
    const uint64_t words = static_cast<uint32_t>(le32(d, at));
    if (words < 3) break;
    if (le16(d, at + 4) == 0x02FB && at + 20 <= d.size()) {
      const uint8_t charset = static_cast<uint8_t>(d[at + 19]);
      for (const auto& [id, name] : charsets)
        if (id == charset) return name;
    }
    if (words * 2 > d.size() - at) break;
    at += static_cast<size_t>(words * 2);
  }
  return support::kWestern;
}

PixelSize pngSize(std::string_view d) {
  if (d.size() < 24 || d.substr(0, 8) != "\x89PNG\r\n\x1A\n"sv || d.substr(12, 4) != "IHDR")
    return {};
  const uint32_t w = be32(d, 16), h = be32(d, 20);
  if (w == 0 || h == 0 || w > 100000 || h > 100000) return {};
  return {static_cast<int32_t>(w), static_cast<int32_t>(h)};
}

bool pngBeyondItsBytes(std::string_view d) {
  if (d.size() < 24 || d.substr(0, 8) != "\x89PNG\r\n\x1A\n"sv || d.substr(12, 4) != "IHDR")
    return false;
  // Each row is a filter byte and at least a bit a pixel; deflate packs at
  // most 1,032 bytes into one.
  const uint64_t w = be32(d, 16), h = be32(d, 20);
  return h * (1 + (w + 7) / 8) > 1032 * uint64_t{d.size()} + 1032;
}

}  // namespace word::write
