// A shape, or a group of them, drawn by geometry alone: one picture of the
// anchor's size, each shape mapped through its groups' spaces.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "word/read/doc/officeart.h"
#include "word/read/shape_svg.h"

namespace word::read::doc {
namespace {

// A group of more shapes than a page can tell apart is drawn up to this many.
constexpr size_t kMaxShapes = 10000;

bool drawable(const Geometry& g) {
  return !g.group && drawableShape(g);
}

}  // namespace

std::optional<Image> Drawing::drawnShape(uint32_t spid, int32_t widthTwips,
                                         int32_t heightTwips) const {
  auto top = geometryOf.find(spid);
  if (top == geometryOf.end()) return std::nullopt;
  double w = 0, h = 0;
  const ShapeBox self = shapeCanvas(top->second, widthTwips, heightTwips, w, h);
  // A shape inside groups: its rectangle mapped through every group up to
  // the anchored one, whose space is the picture's box.
  auto place = [&](uint32_t id) -> std::optional<ShapeBox> {
    if (id == spid) return self;
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
      if (id == spid) return ShapeBox{x0 * w, y0 * h, (x1 - x0) * w, (y1 - y0) * h};
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
    if (auto box = place(id)) body += shapeElement(g->second, *box), ++drawn;
  }
  if (body.empty()) return std::nullopt;
  std::string svg = shapeSvg(w, h, body);
  return Image{std::make_shared<const std::string>(std::move(svg)), "svg", static_cast<int32_t>(w),
               static_cast<int32_t>(h)};
}

}  // namespace word::read::doc
