#include "word/read/shape_svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include "support/strings.h"

namespace word::read {

// A damaged group's spaces may scale a shape past any page: numbers are
// kept finite and within ten million pixels.
std::string svgNumber(double v) {
  v = std::isfinite(v) ? std::clamp(v, -1e7, 1e7) : 0;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", v);
  std::string s = buf;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s == "-0" ? "0" : s;
}

std::string svgColour(uint32_t rgb) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%06x", rgb & 0xFFFFFF);
  return buf;
}

std::string svgText(double x, double y, std::string_view utf8, double size, uint32_t fill,
                    const char* anchor) {
  return "<text x=\"" + svgNumber(x) + "\" y=\"" + svgNumber(y) + "\" font-size=\"" +
         svgNumber(size) + "\" font-family=\"sans-serif\" fill=\"" + svgColour(fill) +
         "\" text-anchor=\"" + anchor + "\">" + support::escapeXml(utf8) + "</text>";
}

Picture svgPicture(std::string svg, double w, double h, std::u16string alt, PictureSide side) {
  Picture pic;
  pic.data = std::make_shared<const std::string>(std::move(svg));
  pic.format = "svg";
  pic.widthPx = static_cast<int32_t>(w);
  pic.heightPx = static_cast<int32_t>(h);
  pic.alt = std::move(alt);
  pic.side = side;
  return pic;
}

size_t letterCount(std::string_view utf8) {
  size_t letters = 0;
  for (char c : utf8) letters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return letters;
}

double textWidthGuess(std::string_view utf8, double size) {
  return letterWidthGuess(letterCount(utf8), size);
}

double letterWidthGuess(size_t letters, double size) {
  return static_cast<double>(letters) * size * 0.56;
}

namespace {

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
  static const P rightArrow{{0, .25}, {.75, .25}, {.75, 0}, {1, .5},
                            {.75, 1}, {.75, .75}, {0, .75}};
  static const P leftArrow{{1, .25}, {.25, .25}, {.25, 0}, {0, .5}, {.25, 1}, {.25, .75}, {1, .75}};
  static const P upArrow{{.25, 1}, {.25, .25}, {0, .25}, {.5, 0}, {1, .25}, {.75, .25}, {.75, 1}};
  static const P downArrow{{.25, 0}, {.25, .75}, {0, .75}, {.5, 1}, {1, .75}, {.75, .75}, {.75, 0}};
  static const P homePlate{{0, 0}, {.75, 0}, {1, .5}, {.75, 1}, {0, 1}};
  static const P chevron{{0, 0}, {.75, 0}, {1, .5}, {.75, 1}, {0, 1}, {.25, .5}};
  switch (type) {
    case 4:
      return &diamond;
    case 5:
      return &isosceles;
    case 6:
      return &right;
    case 7:
      return &parallelogram;
    case 8:
      return &trapezoid;
    case 9:
      return &hexagon;
    case 10:
      return &octagon;
    case 13:
      return &rightArrow;
    case 15:
      return &homePlate;
    case 55:
      return &chevron;
    case 56:
      return &pentagon;
    case 66:
      return &leftArrow;
    case 67:
      return &downArrow;
    case 68:
      return &upArrow;
    default:
      return nullptr;
  }
}

// An arrowhead at `to`, pointing away from `from`, sized by the line.
std::string arrowhead(double fx, double fy, double tx, double ty, double width, uint32_t color) {
  const double len = std::hypot(tx - fx, ty - fy);
  if (len <= 0) return {};
  const double ux = (tx - fx) / len, uy = (ty - fy) / len, size = 3 * std::max(width, 1.0);
  const double bx = tx - ux * size, by = ty - uy * size;
  return "<polygon points=\"" + svgNumber(tx) + "," + svgNumber(ty) + " " +
         svgNumber(bx - uy * size / 2) + "," + svgNumber(by + ux * size / 2) + " " +
         svgNumber(bx + uy * size / 2) + "," + svgNumber(by - ux * size / 2) + "\" fill=\"" +
         svgColour(color) + "\"/>";
}

}  // namespace

bool isLineShape(uint16_t type) {
  return type == 20 || type == 32;
}

bool drawableShape(const ShapeGeometry& g) {
  return g.type == 1 || g.type == 2 || g.type == 3 || isLineShape(g.type) || outline(g.type);
}

std::string shapeElement(const ShapeGeometry& g, ShapeBox b) {
  const double width = g.lined ? g.lineEmu / 9525.0 : 0;
  const std::string stroke =
      g.lined ? " stroke=\"" + svgColour(g.line) + "\" stroke-width=\"" + svgNumber(width) + "\""
              : " stroke=\"none\"";
  if (isLineShape(g.type)) {
    if (!g.lined) return {};
    double x1 = b.x, y1 = b.y, x2 = b.x + b.w, y2 = b.y + b.h;
    if (g.flipH) std::swap(x1, x2);
    if (g.flipV) std::swap(y1, y2);
    std::string s = "<line x1=\"" + svgNumber(x1) + "\" y1=\"" + svgNumber(y1) + "\" x2=\"" +
                    svgNumber(x2) + "\" y2=\"" + svgNumber(y2) + "\"" + stroke + "/>";
    if (g.arrowEnd) s += arrowhead(x1, y1, x2, y2, width, g.line);
    if (g.arrowStart) s += arrowhead(x2, y2, x1, y1, width, g.line);
    return s;
  }
  // The line is drawn inside the shape's box, as the page shows it.
  const double in = width / 2;
  b = {b.x + in, b.y + in, std::max(0.0, b.w - width), std::max(0.0, b.h - width)};
  std::string paint = " fill=\"" + (g.filled ? svgColour(g.fill) : std::string("none")) + "\"";
  if (g.filled && g.fillAlpha < 0x10000)
    paint += " fill-opacity=\"" + svgNumber(g.fillAlpha / 65536.0) + "\"";
  paint += stroke;
  if (g.type == 3)
    return "<ellipse cx=\"" + svgNumber(b.x + b.w / 2) + "\" cy=\"" + svgNumber(b.y + b.h / 2) +
           "\" rx=\"" + svgNumber(b.w / 2) + "\" ry=\"" + svgNumber(b.h / 2) + "\"" + paint + "/>";
  if (const auto* points = outline(g.type)) {
    std::string s = "<polygon points=\"";
    for (auto [px, py] : *points) {
      if (g.flipH) px = 1 - px;
      if (g.flipV) py = 1 - py;
      s += svgNumber(b.x + px * b.w) + "," + svgNumber(b.y + py * b.h) + " ";
    }
    s.back() = '"';
    return s + paint + "/>";
  }
  std::string s = "<rect x=\"" + svgNumber(b.x) + "\" y=\"" + svgNumber(b.y) + "\" width=\"" +
                  svgNumber(b.w) + "\" height=\"" + svgNumber(b.h) + "\"";
  if (g.type == 2) s += " rx=\"" + svgNumber(std::min(b.w, b.h) / 6) + "\"";
  return s + paint + "/>";
}

ShapeBox shapeCanvas(const ShapeGeometry& g, int32_t widthTwips, int32_t heightTwips, double& w,
                     double& h) {
  // A pixel at least each way, so that a straight line keeps its box.
  w = std::max(1, widthTwips / 15), h = std::max(1, heightTwips / 15);
  // A straight line's picture is as thick as its line, the line along its middle.
  double lineX = 0, lineY = 0;
  if (isLineShape(g.type) && g.lined) {
    const double thick = std::ceil(g.lineEmu / 9525.0);
    if (heightTwips / 15.0 < thick) h = thick, lineY = h / 2;
    if (widthTwips / 15.0 < thick) w = thick, lineX = w / 2;
  }
  return {lineX, lineY, lineX ? 0 : w, lineY ? 0 : h};
}

std::string shapeSvg(double w, double h, const std::string& body) {
  return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + svgNumber(w) + "\" height=\"" +
         svgNumber(h) + "\" viewBox=\"0 0 " + svgNumber(w) + " " + svgNumber(h) + "\">" + body +
         "</svg>";
}

uint16_t presetShapeType(std::string_view name) {
  static constexpr std::pair<std::string_view, uint16_t> kTypes[] = {
      {"rect", 1},
      {"roundRect", 2},
      {"ellipse", 3},
      {"diamond", 4},
      {"triangle", 5},
      {"rtTriangle", 6},
      {"parallelogram", 7},
      {"trapezoid", 8},
      {"hexagon", 9},
      {"octagon", 10},
      {"rightArrow", 13},
      {"homePlate", 15},
      {"line", 20},
      {"straightConnector1", 32},
      {"chevron", 55},
      {"pentagon", 56},
      {"leftArrow", 66},
      {"downArrow", 67},
      {"upArrow", 68},
      // The same shapes as VML's elements name them.
      {"roundrect", 2},
      {"oval", 3}};
  for (const auto& [n, type] : kTypes)
    if (n == name) return type;
  return 0;
}

}  // namespace word::read
