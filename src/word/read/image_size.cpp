#include <algorithm>

#include "word/read/image_format.h"

namespace word::read {

namespace {

uint32_t be(std::string_view d, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v = (v << 8) | static_cast<unsigned char>(d[at + i]);
  return v;
}

// A picture's header holds some tens of chunks or segments before its
// data; past this many the rest is not read (every frame showing the
// picture reads it again).
constexpr int kMaxHeaderParts = 1000;

// A resolution is believed between 10 and 10,000 dots an inch.
double dpi(double v) {
  return v >= 10 && v <= 10000 ? v : 96;
}

ImageSize pngSize(std::string_view d) {
  ImageSize s;
  if (d.size() < 24 || d.substr(12, 4) != "IHDR") return s;
  s.width = static_cast<int32_t>(std::min<uint32_t>(be(d, 16, 4), 1u << 20));
  s.height = static_cast<int32_t>(std::min<uint32_t>(be(d, 20, 4), 1u << 20));
  // The chunks before the image data: pHYs gives dots a metre.
  for (size_t at = 8, parts = 0; at + 12 <= d.size() && parts < kMaxHeaderParts; ++parts) {
    const uint32_t length = be(d, at, 4);
    const std::string_view type = d.substr(at + 4, 4);
    if (type == "IDAT" || length > d.size() - at - 12) break;
    if (type == "pHYs" && length >= 9 && d[at + 16] == 1) {
      s.dpiX = dpi(be(d, at + 8, 4) * 0.0254);
      s.dpiY = dpi(be(d, at + 12, 4) * 0.0254);
    }
    at += 12 + length;
  }
  return s;
}

ImageSize jpegSize(std::string_view d) {
  ImageSize s;
  for (size_t at = 2, parts = 0;
       at + 4 <= d.size() && static_cast<unsigned char>(d[at]) == 0xFF && parts < kMaxHeaderParts;
       ++parts) {
    const unsigned marker = static_cast<unsigned char>(d[at + 1]);
    const size_t length = be(d, at + 2, 2);
    if (length < 2 || length > d.size() - at - 2) break;
    const std::string_view body = d.substr(at + 4, length - 2);
    // JFIF's density: dots an inch (1) or a centimetre (2).
    if (marker == 0xE0 && body.size() >= 12 && body.substr(0, 5) == std::string_view("JFIF\0", 5)) {
      const double unit = body[7] == 1 ? 1 : body[7] == 2 ? 2.54 : 0;
      if (unit > 0) {
        s.dpiX = dpi(be(body, 8, 2) * unit);
        s.dpiY = dpi(be(body, 10, 2) * unit);
      }
    }
    // A frame's header, of any coding but the arithmetic tables (0xC8).
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC &&
        body.size() >= 5) {
      s.height = static_cast<int32_t>(be(body, 1, 2));
      s.width = static_cast<int32_t>(be(body, 3, 2));
      return s;
    }
    at += 2 + length;
  }
  return s;
}

}  // namespace

ImageSize imageSize(std::string_view d) {
  const std::string format = imageFormat(d);
  if (format == "png") return pngSize(d);
  if (format == "jpeg") return jpegSize(d);
  ImageSize s;
  if (format == "gif" && d.size() >= 10) {
    s.width = static_cast<unsigned char>(d[6]) | static_cast<unsigned char>(d[7]) << 8;
    s.height = static_cast<unsigned char>(d[8]) | static_cast<unsigned char>(d[9]) << 8;
  }
  return s;
}

}  // namespace word::read
