#include "word/read/docx/shapes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>
#include <vector>

#include "word/read/docx/xml.h"

namespace word::read::docx {
namespace {

using Rgb = std::array<double, 3>;

Rgb channels(uint32_t rgb) {
  return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0};
}

// Each channel to the nearest whole, or the whole below (`down`).
uint32_t packed(const Rgb& c, bool down = false) {
  uint32_t rgb = 0;
  for (double v : c) {
    const double x = std::clamp(v, 0.0, 1.0) * 255;
    rgb = rgb << 8 | static_cast<uint32_t>(down ? std::floor(x + 1e-6) : std::round(x));
  }
  return rgb;
}

// Luminance scaled by `mod` and moved by `off` in hue, saturation and
// luminance, as a theme's lighter and darker tones are given.
Rgb luminance(const Rgb& c, double mod, double off) {
  const double hi = std::max({c[0], c[1], c[2]}), lo = std::min({c[0], c[1], c[2]});
  double l = (hi + lo) / 2, sat = 0, hue = 0;
  if (hi > lo) {
    const double d = hi - lo;
    sat = l > 0.5 ? d / (2 - hi - lo) : d / (hi + lo);
    hue = hi == c[0]   ? (c[1] - c[2]) / d + (c[1] < c[2] ? 6 : 0)
          : hi == c[1] ? (c[2] - c[0]) / d + 2
                       : (c[0] - c[1]) / d + 4;
    hue /= 6;
  }
  l = std::clamp(l * mod + off, 0.0, 1.0);
  if (sat == 0) return {l, l, l};
  const double q = l < 0.5 ? l * (1 + sat) : l + sat - l * sat, p = 2 * l - q;
  auto part = [&](double t) {
    t -= std::floor(t);
    return t < 1.0 / 6   ? p + (q - p) * 6 * t
           : t < 0.5     ? q
           : t < 2.0 / 3 ? p + (q - p) * (2.0 / 3 - t) * 6
                         : p;
  };
  return {part(hue + 1.0 / 3), part(hue), part(hue - 1.0 / 3)};
}

std::optional<uint32_t> baseColour(const pugi::xml_node& c, const Theme& theme) {
  const std::string_view kind = localName(c.name());
  if (kind == "srgbClr") return hexColor(val(c));
  if (kind == "sysClr") return hexColor(val(c, "lastClr"));
  if (kind == "prstClr") return namedColour(val(c));
  if (kind != "schemeClr") return std::nullopt;
  return theme.colour(val(c));
}

// The shape's outline type, flips, and a fill or line of its own, else its
// style's (a reference to the theme's, with a colour): `lined` tells which.
void paint(const pugi::xml_node& props, const pugi::xml_node& ref, const Theme& theme, bool& on,
           uint32_t& colour, uint32_t* alpha) {
  for (pugi::xml_node c = props.first_child(); c; c = c.next_sibling()) {
    const std::string_view kind = localName(c.name());
    if (kind == "noFill") return void(on = false);
    pugi::xml_node holder = kind == "solidFill"  ? c
                            : kind == "gradFill" ? child(child(c, "gsLst"), "gs")
                            : kind == "pattFill" ? child(c, "fgClr")
                                                 : pugi::xml_node();
    if (!holder) continue;
    const auto rgb = drawingColour(holder, theme, alpha);
    on = rgb.has_value();
    if (rgb) colour = *rgb;
    return;
  }
  const auto rgb = intAttr(ref, "idx").value_or(0) > 0 ? drawingColour(ref, theme) : std::nullopt;
  on = rgb.has_value();
  if (rgb) colour = *rgb;
}

// Where a group's members lie in the picture: a point of the group's own
// space at (x - fromX) * scaleX + atX pixels.
struct Space {
  double atX = 0, atY = 0, scaleX = 0, scaleY = 0, fromX = 0, fromY = 0;
  ShapeBox place(const pugi::xml_node& xfrm) const {
    const pugi::xml_node off = child(xfrm, "off"), ext = child(xfrm, "ext");
    static constexpr int64_t kFar = int64_t{1} << 40;  // past any page, in English metric units
    auto number = [](const pugi::xml_node& n, const char* name) {
      return static_cast<double>(std::clamp<int64_t>(intAttr(n, name).value_or(0), -kFar, kFar));
    };
    return {atX + (number(off, "x") - fromX) * scaleX, atY + (number(off, "y") - fromY) * scaleY,
            number(ext, "cx") * scaleX, number(ext, "cy") * scaleY};
  }
  // The space of a group placed at `box`, from its own offset and extent.
  static Space inside(const ShapeBox& box, const pugi::xml_node& xfrm) {
    const pugi::xml_node off = child(xfrm, "chOff"), ext = child(xfrm, "chExt");
    const double w = static_cast<double>(intAttr(ext, "cx").value_or(0)),
                 h = static_cast<double>(intAttr(ext, "cy").value_or(0));
    if (w <= 0 || h <= 0) return {};
    return {box.x,
            box.y,
            box.w / w,
            box.h / h,
            static_cast<double>(intAttr(off, "x").value_or(0)),
            static_cast<double>(intAttr(off, "y").value_or(0))};
  }
};

// A group has more shapes than a page can tell apart past this many.
constexpr size_t kMaxShapes = 10000;

// Words broken into lines no wider than `width` at `size` pixels. The
// line's letters are counted as it grows: measuring the whole line again
// for each word took seconds for one long line of a few KB of words.
std::vector<std::string> wrapped(const std::vector<std::string>& paragraphs, double width,
                                 double size) {
  std::vector<std::string> lines;
  for (const std::string& text : paragraphs) {
    std::string line;
    size_t letters = 0;
    for (size_t at = 0; at <= text.size() && lines.size() < 200;) {
      size_t space = text.find(' ', at);
      if (space == std::string::npos) space = text.size();
      const std::string_view word(text.data() + at, space - at);
      const size_t own = letterCount(word);
      if (!line.empty() && letterWidthGuess(letters + 1 + own, size) > width) {
        lines.push_back(std::move(line));
        line.assign(word);
        letters = own;
      } else {
        if (!line.empty()) line += ' ', ++letters;
        line += word;
        letters += own;
      }
      at = space + 1;
    }
    lines.push_back(line);
  }
  return lines;
}

// A diagram's shape's text (its a:p paragraphs), centred in its text box,
// in its size and colour (its own, else its style's font reference), made
// smaller until its lines fit. `said` gathers the text.
std::string shapeText(const pugi::xml_node& shape, const ShapeBox& box, const Theme& theme,
                      std::string& said) {
  std::vector<std::string> paragraphs;
  double size = 0;
  std::optional<uint32_t> colour;
  for (pugi::xml_node p = child(child(shape, "txBody"), "p"); p; p = p.next_sibling()) {
    if (!is(p, "p")) continue;
    std::string text;
    for (pugi::xml_node r = child(p, "r"); r; r = r.next_sibling()) {
      if (!is(r, "r")) continue;
      text += child(r, "t").text().get();
      const pugi::xml_node props = child(r, "rPr");
      if (size == 0) size = static_cast<double>(intAttr(props, "sz").value_or(0)) / 75;
      if (!colour) colour = drawingColour(child(props, "solidFill"), theme);
    }
    if (!text.empty()) paragraphs.push_back(text);
  }
  if (paragraphs.empty()) return {};
  for (const std::string& text : paragraphs) said += (said.empty() ? "" : ", ") + text;
  if (!colour) colour = drawingColour(child(child(shape, "style"), "fontRef"), theme);
  size = std::clamp(size > 0 ? size : 24.0, 6.0, 200.0);
  std::vector<std::string> lines = wrapped(paragraphs, box.w - 8, size);
  while (size > 6 && lines.size() * size * 1.2 > box.h) {
    size = std::max(6.0, size * 0.85);
    lines = wrapped(paragraphs, box.w - 8, size);
  }
  std::string out;
  double y = box.y + (box.h - static_cast<double>(lines.size()) * size * 1.2) / 2 + size;
  for (const std::string& line : lines) {
    out += svgText(box.x + box.w / 2, y, line, size, colour.value_or(0), "middle");
    y += size * 1.2;
  }
  return out;
}

// A group's shapes; `said`, where given, gathers their text, which is
// then drawn in them (a diagram's: a text box's text follows its paragraph).
void groupShapes(const pugi::xml_node& group, const Space& space, const Theme& theme,
                 std::string& body, size_t& drawn, int depth, std::string* said = nullptr,
                 const GroupPicture* pictures = nullptr) {
  if (depth > 16 || space.scaleX == 0) return;
  for (pugi::xml_node c = group.first_child(); c && drawn < kMaxShapes; c = c.next_sibling()) {
    const std::string_view name = localName(c.name());
    if (name == "pic" && pictures) {
      body += (*pictures)(c, space.place(child(child(c, "spPr"), "xfrm"))), ++drawn;
    } else if (name == "wsp" || name == "sp") {
      const ShapeBox box = space.place(child(child(c, "spPr"), "xfrm"));
      if (auto g = shapeGeometry(c, theme)) body += shapeElement(*g, box), ++drawn;
      const pugi::xml_node textBox = child(c, "txXfrm");
      if (said) body += shapeText(c, textBox ? space.place(textBox) : box, theme, *said);
    } else if (name == "grpSp" || name == "wgp") {
      // A canvas's groups are wpg:wgp, with their own wpg:grpSpPr.
      const pugi::xml_node xfrm = child(child(c, "grpSpPr"), "xfrm");
      groupShapes(c, Space::inside(space.place(xfrm), xfrm), theme, body, drawn, depth + 1, said,
                  pictures);
    }
  }
}

}  // namespace

std::optional<DrawnShapes> drawShapes(const pugi::xml_node& graphicData, int64_t widthEmu,
                                      int64_t heightEmu, const Theme& theme,
                                      const GroupPicture* pictures) {
  constexpr int64_t kEmuPerTwip = 635, kMaxTwips = 31680 * 4;
  const auto twips = [&](int64_t emu) {
    return static_cast<int32_t>(std::clamp<int64_t>(emu / kEmuPerTwip, 0, kMaxTwips));
  };
  std::string body;
  double w = std::max(1, twips(widthEmu) / 15), h = std::max(1, twips(heightEmu) / 15);
  if (const pugi::xml_node shape = child(graphicData, "wsp")) {
    const auto g = shapeGeometry(shape, theme);
    if (!g) return std::nullopt;
    body = shapeElement(*g, shapeCanvas(*g, twips(widthEmu), twips(heightEmu), w, h));
  } else if (const pugi::xml_node group = child(graphicData, "wgp")) {
    size_t drawn = 0;
    const ShapeBox canvas{0, 0, w, h};
    groupShapes(group, Space::inside(canvas, child(child(group, "grpSpPr"), "xfrm")), theme, body,
                drawn, 0, nullptr, pictures);
  } else if (const pugi::xml_node canvas = child(graphicData, "wpc")) {
    // A drawing canvas: its shapes lie in English metric units from its
    // corner.
    size_t drawn = 0;
    const double acrossPerEmu = w / static_cast<double>(std::max<int64_t>(widthEmu, 1));
    const double downPerEmu = h / static_cast<double>(std::max<int64_t>(heightEmu, 1));
    const Space space{0, 0, acrossPerEmu, downPerEmu, 0, 0};
    groupShapes(canvas, space, theme, body, drawn, 0, nullptr, pictures);
  }
  if (body.empty()) return std::nullopt;
  return DrawnShapes{shapeSvg(w, h, body), static_cast<int32_t>(w), static_cast<int32_t>(h)};
}

std::optional<DrawnShapes> drawDiagram(const pugi::xml_node& tree, int64_t widthEmu,
                                       int64_t heightEmu, const Theme& theme, std::string& text) {
  constexpr int64_t kMaxEmu = int64_t{31680 * 4} * 635;
  widthEmu = std::clamp<int64_t>(widthEmu, 9525, kMaxEmu);
  heightEmu = std::clamp<int64_t>(heightEmu, 9525, kMaxEmu);
  const double w = static_cast<double>(widthEmu) / 9525, h = static_cast<double>(heightEmu) / 9525;
  // The shapes lie in English metric units from the drawing's corner.
  const Space space{0, 0, w / static_cast<double>(widthEmu), h / static_cast<double>(heightEmu),
                    0, 0};
  std::string body;
  size_t drawn = 0;
  groupShapes(tree, space, theme, body, drawn, 0, &text);
  if (body.empty()) return std::nullopt;
  return DrawnShapes{shapeSvg(w, h, body), static_cast<int32_t>(w), static_cast<int32_t>(h)};
}

uint32_t withLuminance(uint32_t rgb, double mod, double off) {
  return packed(luminance(channels(rgb), mod, off), true);
}

std::optional<uint32_t> namedColour(std::string_view name) {
  static constexpr std::pair<std::string_view, uint32_t> kColours[] = {
      {"black", 0x000000}, {"white", 0xFFFFFF},  {"red", 0xFF0000},  {"green", 0x008000},
      {"blue", 0x0000FF},  {"yellow", 0xFFFF00}, {"gray", 0x808080}, {"grey", 0x808080}};
  for (const auto& [n, rgb] : kColours)
    if (n == name) return rgb;
  return std::nullopt;
}

std::optional<uint32_t> drawingColour(const pugi::xml_node& holder, const Theme& theme,
                                      uint32_t* alpha) {
  for (pugi::xml_node c = holder.first_child(); c; c = c.next_sibling()) {
    std::optional<uint32_t> rgb = baseColour(c, theme);
    if (!rgb) continue;
    Rgb v = channels(*rgb);
    double mod = 1, off = 0;
    for (pugi::xml_node m = c.first_child(); m; m = m.next_sibling()) {
      const std::string_view kind = localName(m.name());
      const double amount = std::clamp<double>(intAttr(m, "val").value_or(100000), 0, 1e6) / 1e5;
      if (kind == "shade")
        for (double& x : v) x *= amount;
      if (kind == "tint")
        for (double& x : v) x = 1 - (1 - x) * amount;
      if (kind == "lumMod") mod = amount;
      if (kind == "lumOff") off = amount;
      if (kind == "alpha" && alpha) *alpha = static_cast<uint32_t>(std::min(amount, 1.0) * 0x10000);
    }
    if (mod != 1 || off != 0) v = luminance(v, mod, off);
    return packed(v);
  }
  return std::nullopt;
}

std::optional<ShapeGeometry> shapeGeometry(const pugi::xml_node& shape, const Theme& theme) {
  const pugi::xml_node props = child(shape, "spPr"), style = child(shape, "style");
  ShapeGeometry g;
  g.type = presetShapeType(val(child(props, "prstGeom"), "prst"));
  if (!drawableShape(g)) return std::nullopt;
  const pugi::xml_node xfrm = child(props, "xfrm");
  auto on = [&](const char* name) {
    const std::string_view v = val(xfrm, name);
    return v == "1" || v == "true";
  };
  g.flipH = on("flipH"), g.flipV = on("flipV");
  paint(props, child(style, "fillRef"), theme, g.filled, g.fill, &g.fillAlpha);
  const pugi::xml_node line = child(props, "ln");
  paint(line, child(style, "lnRef"), theme, g.lined, g.line, nullptr);
  g.lineEmu =
      static_cast<int32_t>(std::clamp<int64_t>(intAttr(line, "w").value_or(9525), 0, 20 * 12700));
  auto arrow = [&](const char* end) {
    const std::string_view type = val(child(line, end), "type");
    return !type.empty() && type != "none";
  };
  g.arrowStart = arrow("headEnd"), g.arrowEnd = arrow("tailEnd");
  return g;
}

}  // namespace word::read::docx
