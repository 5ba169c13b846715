#pragma once
// Shapes drawn by their geometry alone (a rectangle, an ellipse, a line or
// arrow, a common preset outline): the SVG markup of a small picture of
// the shape's size, with the fill and line its properties give. The markup
// is built from numbers and colours; text (a diagram's, a chart's) goes in
// escaped, by svgText.
#include <cstdint>
#include <string>
#include <string_view>

#include "word/model.h"

namespace word::read {

// How a shape without a picture is drawn: its preset type, numbered as the
// binary format numbers them (1 rectangle, 2 rounded rectangle, 3 ellipse,
// 20 a line, ...), and its fill and line.
struct ShapeGeometry {
  uint16_t type = 0;
  bool flipH = false, flipV = false;
  bool filled = true, lined = true;
  uint32_t fill = 0xFFFFFF, line = 0;  // 0xRRGGBB
  uint32_t fillAlpha = 0x10000;        // 16.16 fixed point, 1 is opaque
  int32_t lineEmu = 9525;              // English metric units: 3/4 pt, one pixel
  bool arrowStart = false, arrowEnd = false;
};

// A shape's place in its picture, in pixels.
struct ShapeBox {
  double x = 0, y = 0, w = 0, h = 0;
};

// Rectangles and ellipses by name, lines, and the common preset outlines.
bool drawableShape(const ShapeGeometry& g);
bool isLineShape(uint16_t type);
// One shape's element in the box it takes.
std::string shapeElement(const ShapeGeometry& g, ShapeBox b);
// The size in pixels of a picture of a shape `widthTwips` by `heightTwips`,
// and the box the shape takes in it.
ShapeBox shapeCanvas(const ShapeGeometry& g, int32_t widthTwips, int32_t heightTwips, double& w,
                     double& h);
// A shape in front of the text stands in the line where it is anchored:
// only one no larger than a letter or two (a box to tick) fits there.
inline bool shapeFitsInLine(double widthPx, double heightPx) {
  return widthPx <= 32 && heightPx <= 32;
}
// A number as SVG markup writes it (up to two decimals, kept finite), and
// a colour ("#rrggbb").
std::string svgNumber(double v);
std::string svgColour(uint32_t rgb);
// A guess at the width in pixels of UTF-8 text `size` pixels large, without
// its font: its letters at a little over half the size each.
double textWidthGuess(std::string_view utf8, double size);
// The same for `letters` letters, and the letters of UTF-8 text.
double letterWidthGuess(size_t letters, double size);
size_t letterCount(std::string_view utf8);
// A line of UTF-8 text at (x, y), `size` pixels large in a sans-serif face
// of colour `fill`, anchored "start", "middle" or "end" there; escaped.
std::string svgText(double x, double y, std::string_view utf8, double size, uint32_t fill,
                    const char* anchor);
// The picture the model carries for an SVG drawing `w` by `h` pixels.
Picture svgPicture(std::string svg, double w, double h, std::u16string alt, PictureSide side);
// A picture `w` by `h` pixels of the elements in `body`.
std::string shapeSvg(double w, double h, const std::string& body);
// The preset type of a shape named as the XML formats name them ("rect",
// "ellipse", "line", "rightArrow", ...); 0 for one not drawn.
uint16_t presetShapeType(std::string_view name);

}  // namespace word::read
