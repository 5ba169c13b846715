// Table and cell borders: the border elements of w:tblBorders and
// w:tcBorders, and how a layer of them falls on a cell.
#include <algorithm>

#include "word/read/docx/styles.h"
#include "word/read/docx/xml.h"

namespace word::read::docx {
namespace {

LineStyle lineStyle(std::string_view v) {
  static const struct {
    const char* name;
    LineStyle style;
  } kStyles[] = {{"nil", LineStyle::None},
                 {"none", LineStyle::None},
                 {"single", LineStyle::Single},
                 {"thick", LineStyle::Thick},
                 {"double", LineStyle::Double},
                 {"triple", LineStyle::Double},
                 {"dotted", LineStyle::Dotted},
                 {"dashed", LineStyle::Dashed},
                 {"dashSmallGap", LineStyle::Dashed},
                 {"dotDash", LineStyle::DotDash},
                 {"dotDotDash", LineStyle::DotDash},
                 {"dashDotStroked", LineStyle::DotDash},
                 {"threeDEmboss", LineStyle::Ridge},
                 {"threeDEngrave", LineStyle::Groove},
                 {"inset", LineStyle::Inset},
                 {"outset", LineStyle::Outset}};
  for (const auto& s : kStyles)
    if (v == s.name) return s.style;
  // The lines of two widths (thinThickSmallGap ...) show as two lines.
  if (v.find("thinThick") != std::string_view::npos ||
      v.find("thickThin") != std::string_view::npos)
    return LineStyle::Double;
  // Waves and the picture borders of pages still draw a line.
  return v.empty() ? LineStyle::None : LineStyle::Single;
}

}  // namespace

Border readBorder(const pugi::xml_node& b) {
  Border out;
  out.style = lineStyle(val(b));
  if (out.style == LineStyle::None) return out;
  out.width = static_cast<uint8_t>(clampInt(intAttr(b, "sz").value_or(0), 0, kMaxBorderWidth));
  const std::string_view colour = val(b, "color");
  if (colour != "auto")
    if (auto c = hexColor(colour)) out.color = *c;
  return out;
}

void EdgeBorders::read(const pugi::xml_node& borders) {
  static const struct {
    const char* name;
    Edge edge;
  } kEdgeNames[] = {{"top", Top},     {"left", Left}, {"start", Left},      {"bottom", Bottom},
                    {"right", Right}, {"end", Right}, {"insideH", InsideH}, {"insideV", InsideV}};
  for (pugi::xml_node b = borders.first_child(); b; b = b.next_sibling()) {
    if (b.type() != pugi::node_element) continue;
    const std::string_view name = localName(b.name());
    for (const auto& e : kEdgeNames)
      if (name == e.name) edge[e.edge] = readBorder(b);
  }
}

void EdgeBorders::over(const EdgeBorders& top) {
  for (size_t i = 0; i < kEdges; ++i)
    if (top.edge[i]) edge[i] = top.edge[i];
}

void applyBorders(CellBorders& cell, const EdgeBorders& layer, const Region& at) {
  auto set = [&](Border& side, bool outer, EdgeBorders::Edge own, EdgeBorders::Edge inside) {
    if (const auto& b = layer.edge[outer ? own : inside]) side = *b;
  };
  set(cell.top, at.top, EdgeBorders::Top, EdgeBorders::InsideH);
  set(cell.bottom, at.bottom, EdgeBorders::Bottom, EdgeBorders::InsideH);
  set(cell.left, at.left, EdgeBorders::Left, EdgeBorders::InsideV);
  set(cell.right, at.right, EdgeBorders::Right, EdgeBorders::InsideV);
}

}  // namespace word::read::docx
