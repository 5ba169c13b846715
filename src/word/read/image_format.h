#pragma once
// The picture formats the model carries, told by their first bytes: a
// file's name or declared type may be wrong.
#include <cstdint>
#include <string>
#include <string_view>

namespace word::read {

// "png", "jpeg", "gif", "bmp", "tiff", "emf", "wmf"; empty for anything else.
inline std::string imageFormat(std::string_view d) {
  auto starts = [&](std::string_view p) { return d.substr(0, p.size()) == p; };
  if (starts("\x89PNG")) return "png";
  if (starts("\xFF\xD8\xFF")) return "jpeg";
  if (starts("GIF8")) return "gif";
  if (starts("BM")) return "bmp";
  if (starts(std::string_view("II*\0", 4)) || starts(std::string_view("MM\0*", 4))) return "tiff";
  if (d.size() >= 44 && d.substr(40, 4) == " EMF") return "emf";
  if (starts("\xD7\xCD\xC6\x9A") || starts(std::string_view("\x01\x00\x09\x00", 4)) ||
      starts(std::string_view("\x02\x00\x09\x00", 4)))
    return "wmf";
  return {};
}

// A PNG's, JPEG's or GIF's size in pixels and the resolution it gives (96
// dots an inch where it gives none); 0 by 0 for others and damaged ones.
struct ImageSize {
  int32_t width = 0, height = 0;
  double dpiX = 96, dpiY = 96;
};
ImageSize imageSize(std::string_view d);

}  // namespace word::read
