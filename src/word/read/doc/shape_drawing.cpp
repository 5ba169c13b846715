// Shapes drawn by their geometry alone (a rectangle, an ellipse, a line or
// arrow, a common preset outline) become a small SVG picture of the shape's
// size, with the fill and line its properties give. The markup is built
// from numbers and colours only, so no text of the document reaches it.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "word/read/doc/officeart.h"

namespace word::read::doc {
namespace {

struct Box {
  double x = 0, y = 0, w = 0, h = 0;
};

// A preset outline as points on the unit square, drawn as a polygon.
const std::vector<std::pair<double, double>>* outline(uint16_t type) {
  using P = std::vector<std::pair<double, double>>;
  static const P diamond{{.5, 0}, {1, .5}, {.5, 1}, {0, .5}};
  static const P isosceles{{.5, 0}, {1, 1}, {0, 1}};
  static const P right{{0, 0}, {1, 1}, {0, 1}};
  static const P parallelogram{{.25, 0}, {1, 0}, {.75, 1}, {0, 1}};
  static const P trapezoid{{0, 0}, {1, 0}, {.75, 1}, {.25, 1}};
  static const P hexagon{{.25, 0}, {.75, 0}, {1, .5}, {.75, 1}, {.25, 1}, {0, .5}};
  static const P octagon{{.3, 0}, {.7, 0}, {1, .3}, {1, .7}, {.7, 1}, {.3, 1}, {0, .7}, {0, .3}};
  static const P pentagon{{.5, 0}, {1, .38}, {.81, 1}, {.19, 1}, {0, .38}};
  static const P rightArrow{{0, .25}, {.75, .25}, {.75, 0}, {1, .5}, {.75, 1}, {.75, .75}, {0, .75}};
  static const P leftArrow{{1, .25}, {.25, .25}, {.25, 0}, {0, .5}, {.25, 1}, {.25, .75}, {1, .75}};
  static const P upArrow{{.25, 1}, {.25, .25}, {0, .25}, {.5, 0}, {1, .25}, {.75, .25}, {.75, 1}};
  static const P downArrow{{.25, 0}, {.25, .75}, {0, .75}, {.5, 1}, {1, .75}, {.75, .75}, {.75, 0}};
  static const P homePlate{{0, 0}, {.75, 0}, {1, .5}, {.75, 1}, {0, 1}};
  static const P chevron{{0, 0}, {.75, 0}, {1, .5}, {.75, 1}, {0, 1}, {.25, .5}};
  switch (type) {
    case 4: return &diamond;
    case 5: return &isosceles;
    case 6: return &right;
    case 7: return &parallelogram;
    case 8: return &trapezoid;
    case 9: return &hexagon;
    case 10: return &octagon;
    case 13: return &rightArrow;
    case 15: return &homePlate;
    case 55: return &chevron;
    case 56: return &pentagon;
    case 66: return &leftArrow;
    case 67: return &downArrow;
    case 68: return &upArrow;
    default: return nullptr;
  }
}

// A group of more shapes than a page can tell apart is drawn up to this many.
constexpr size_t kMaxShapes = 10000;

bool isLine(uint16_t type) { return type == 20 || type == 32; }

// Rectangles and ellipses by name, lines, and the outlines above.
bool drawable(const Geometry& g) {
  return !g.group && (g.type == 1 || g.type == 2 || g.type == 3 || isLine(g.type) ||
                      outline(g.type));
}

// A damaged group's spaces may scale a shape past any page: numbers are
// kept finite and within ten million pixels.
std::string num(double v) {
  v = std::isfinite(v) ? std::clamp(v, -1e7, 1e7) : 0;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  std::string s = buf;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s == "-0" ? "0" : s;
}

std::string hex(uint32_t rgb) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%06x", rgb & 0xFFFFFF);
  return buf;
}

// An arrowhead at `to`, pointing away from `from`, sized by the line.
std::string arrowhead(double fx, double fy, double tx, double ty, double width, uint32_t color) {
  const double len = std::hypot(tx - fx, ty - fy);
  if (len <= 0) return {};
  const double ux = (tx - fx) / len, uy = (ty - fy) / len, size = 3 * std::max(width, 1.0);
  const double bx = tx - ux * size, by = ty - uy * size;
  return "<polygon points=\"" + num(tx) + "," + num(ty) + " " + num(bx - uy * size / 2) + "," +
         num(by + ux * size / 2) + " " + num(bx + uy * size / 2) + "," + num(by - ux * size / 2) +
         "\" fill=\"" + hex(color) + "\"/>";
}

// One shape's element in the box it takes in pixels.
std::string element(const Geometry& g, Box b) {
  const double width = g.lined ? g.lineEmu / 9525.0 : 0;
  const std::string stroke = g.lined ? " stroke=\"" + hex(g.line) + "\" stroke-width=\"" +
                                           num(width) + "\""
                                     : " stroke=\"none\"";
  if (isLine(g.type)) {
    if (!g.lined) return {};
    double x1 = b.x, y1 = b.y, x2 = b.x + b.w, y2 = b.y + b.h;
    if (g.flipH) std::swap(x1, x2);
    if (g.flipV) std::swap(y1, y2);
    std::string s = "<line x1=\"" + num(x1) + "\" y1=\"" + num(y1) + "\" x2=\"" + num(x2) +
                    "\" y2=\"" + num(y2) + "\"" + stroke + "/>";
    if (g.arrowEnd) s += arrowhead(x1, y1, x2, y2, width, g.line);
    if (g.arrowStart) s += arrowhead(x2, y2, x1, y1, width, g.line);
    return s;
  }
  // The line is drawn inside the shape's box, as the page shows it.
  const double in = width / 2;
  b = {b.x + in, b.y + in, std::max(0.0, b.w - width), std::max(0.0, b.h - width)};
  std::string paint = " fill=\"" + (g.filled ? hex(g.fill) : std::string("none")) + "\"";
  if (g.filled && g.fillAlpha < 0x10000) paint += " fill-opacity=\"" + num(g.fillAlpha / 65536.0) + "\"";
  paint += stroke;
  if (g.type == 3)
    return "<ellipse cx=\"" + num(b.x + b.w / 2) + "\" cy=\"" + num(b.y + b.h / 2) + "\" rx=\"" +
           num(b.w / 2) + "\" ry=\"" + num(b.h / 2) + "\"" + paint + "/>";
  if (const auto* points = outline(g.type)) {
    std::string s = "<polygon points=\"";
    for (auto [px, py] : *points) {
      if (g.flipH) px = 1 - px;
      if (g.flipV) py = 1 - py;
      s += num(b.x + px * b.w) + "," + num(b.y + py * b.h) + " ";
    }
    s.back() = '"';
    return s + paint + "/>";
  }
  std::string s = "<rect x=\"" + num(b.x) + "\" y=\"" + num(b.y) + "\" width=\"" + num(b.w) +
                  "\" height=\"" + num(b.h) + "\"";
  if (g.type == 2) s += " rx=\"" + num(std::min(b.w, b.h) / 6) + "\"";
  return s + paint + "/>";
}

}  // namespace

std::optional<Image> Drawing::drawnShape(uint32_t spid, int32_t widthTwips,
                                         int32_t heightTwips) const {
  auto top = geometryOf.find(spid);
  if (top == geometryOf.end()) return std::nullopt;
  // A pixel at least each way, so that a straight line keeps its box.
  double w = std::max(1, widthTwips / 15), h = std::max(1, heightTwips / 15);
  // A straight line's picture is as thick as its line, the line along its middle.
  const Geometry& g = top->second;
  double lineX = 0, lineY = 0;
  if (isLine(g.type) && g.lined) {
    const double thick = std::ceil(g.lineEmu / 9525.0);
    if (heightTwips / 15.0 < thick) h = thick, lineY = h / 2;
    if (widthTwips / 15.0 < thick) w = thick, lineX = w / 2;
  }
  // A shape inside groups: its rectangle mapped through every group up to
  // the anchored one, whose space is the picture's box.
  auto place = [&](uint32_t id) -> std::optional<Box> {
    if (id == spid) return Box{lineX, lineY, lineX ? 0 : w, lineY ? 0 : h};
    auto g = geometryOf.find(id);
    if (g == geometryOf.end() || !g->second.anchor) return std::nullopt;
    Rect r = *g->second.anchor;
    double x0 = r.left, y0 = r.top, x1 = r.right, y1 = r.bottom;
    for (int depth = 0; depth < 16; ++depth) {
      auto parent = parentOf.find(id);
      if (parent == parentOf.end()) return std::nullopt;
      id = parent->second;
      auto pg = geometryOf.find(id);
      if (pg == geometryOf.end() || !pg->second.space) return std::nullopt;
      const Rect& s = *pg->second.space;
      const Rect to = id == spid ? Rect{0, 0, 1, 1} : pg->second.anchor.value_or(Rect{});
      const double sw = s.right - s.left, sh = s.bottom - s.top;
      if (sw == 0 || sh == 0) return std::nullopt;
      auto mapX = [&](double v) { return to.left + (v - s.left) * (to.right - to.left) / sw; };
      auto mapY = [&](double v) { return to.top + (v - s.top) * (to.bottom - to.top) / sh; };
      x0 = mapX(x0), x1 = mapX(x1), y0 = mapY(y0), y1 = mapY(y1);
      if (id == spid) return Box{x0 * w, y0 * h, (x1 - x0) * w, (y1 - y0) * h};
      if (!pg->second.anchor) return std::nullopt;
    }
    return std::nullopt;
  };
  std::vector<uint32_t> ids{spid};
  if (auto members = shapesOf.find(spid); members != shapesOf.end()) ids = members->second;
  std::string body;
  size_t drawn = 0;
  for (uint32_t id : ids) {
    if (drawn == kMaxShapes) break;
    auto g = geometryOf.find(id);
    if (g == geometryOf.end() || !drawable(g->second) || pictureOf.count(id)) continue;
    if (auto box = place(id)) body += element(g->second, *box), ++drawn;
  }
  if (body.empty()) return std::nullopt;
  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + num(w) + "\" height=\"" +
                    num(h) + "\" viewBox=\"0 0 " + num(w) + " " + num(h) +
                    "\">" + body + "</svg>";
  return Image{std::make_shared<const std::string>(std::move(svg)), "svg", static_cast<int32_t>(w),
               static_cast<int32_t>(h)};
}

}  // namespace word::read::doc
