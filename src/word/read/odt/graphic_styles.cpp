// The graphic styles of frames and shapes: their pictures' colours, crop
// and line round them, their wrapping and place, and the fill and line of
// the shapes they draw.
#include <algorithm>

#include "word/read/look.h"
#include "word/read/odt/styles.h"
#include "word/read/xml.h"

namespace word::read::odt {
namespace {

// A frame's line round its picture (fo:border, the same on every side).
bool outlineOf(const pugi::xml_node& g, PictureLook& look) {
  const Border b = border(attrValue(g, "border"));
  if (b.style == LineStyle::Unknown || b.style == LineStyle::None) return false;
  // A hairline (0.06pt) is drawn a pixel wide.
  look.outlineEmu = std::clamp<int32_t>(b.width * 12700 / 8, 1, kMaxOutlineEmu);
  look.outlineColor = b.color == kAutoColor ? 0 : b.color;
  return true;
}

// draw:color-mode (grey, black and white, or washed out as a watermark),
// and luminance and contrast in per cent.
std::optional<PictureLook> lookOf(const pugi::xml_node& g) {
  const std::string_view mode = attrValue(g, "color-mode"), light = attrValue(g, "luminance"),
                         contrast = attrValue(g, "contrast");
  if (mode.empty() && light.empty() && contrast.empty()) {
    PictureLook look;
    if (!outlineOf(g, look)) return std::nullopt;
    return look;
  }
  auto permille = [](std::string_view percent) {
    std::string_view rest;
    const double v = decimal(percent, &rest).value_or(0);
    return static_cast<int16_t>(std::clamp(v * 10, -1000.0, 1000.0));
  };
  PictureLook look;
  outlineOf(g, look);
  look.gray = mode == "greyscale";
  look.blackAndWhite = mode == "mono";
  look.brightness = mode == "watermark" ? 500 : permille(light);
  look.contrast = static_cast<int16_t>(1000 + (mode == "watermark" ? -700 : permille(contrast)));
  return look;
}

// fo:clip's "rect(top, right, bottom, left)" (commas or blanks between;
// "auto" is none), each clamped to a yard.
std::optional<std::array<int32_t, 4>> clipOf(std::string_view v) {
  if (v.substr(0, 5) != "rect(" || v.back() != ')') return std::nullopt;
  v = v.substr(5, v.size() - 6);
  std::array<int32_t, 4> sides{};
  for (int32_t& side : sides) {
    const size_t start = v.find_first_not_of(", ");
    if (start == std::string_view::npos) return std::nullopt;
    v.remove_prefix(start);
    const std::string_view length = v.substr(0, v.find_first_of(", "));
    v.remove_prefix(length.size());
    side = length == "auto" ? 0 : std::clamp(twips(length).value_or(0), 0, 51840);
  }
  return sides;
}

// draw:fill and draw:stroke with their colours, the line's width,
// markers at its ends and the fill's opacity.
Styles::ShapePaint paintOf(const pugi::xml_node& g) {
  Styles::ShapePaint p;
  const std::string_view fill = attrValue(g, "fill"), stroke = attrValue(g, "stroke");
  if (!fill.empty()) p.filled = fill != "none";
  if (!stroke.empty()) p.lined = stroke != "none";
  p.fill = color(attrValue(g, "fill-color"));
  p.line = color(attrValue(g, "stroke-color"));
  // A width of nothing is a hairline, drawn a pixel wide.
  if (auto width = twips(attrValue(g, "stroke-width")))
    p.lineEmu = std::max(std::clamp(*width, 0, 1440) * 635, 9525);
  if (pugi::xml_attribute a = attr(g, "marker-start")) p.arrowStart = *a.value() != 0;
  if (pugi::xml_attribute a = attr(g, "marker-end")) p.arrowEnd = *a.value() != 0;
  std::string_view rest;
  if (auto opacity = decimal(attrValue(g, "opacity"), &rest); opacity && rest == "%")
    p.fillAlpha = static_cast<uint32_t>(std::clamp(*opacity, 0.0, 100.0) * 0x10000 / 100);
  return p;
}

}  // namespace

void Styles::paintShape(std::string_view name, ShapeGeometry& g) const {
  ShapePaint p;
  auto take = [](auto& mine, const auto& theirs) {
    if (!mine) mine = theirs;
  };
  for (const Def* d : chain("graphic", name)) {
    take(p.filled, d->paint.filled), take(p.lined, d->paint.lined);
    take(p.fill, d->paint.fill), take(p.line, d->paint.line), take(p.fillAlpha, d->paint.fillAlpha);
    take(p.lineEmu, d->paint.lineEmu);
    take(p.arrowStart, d->paint.arrowStart), take(p.arrowEnd, d->paint.arrowEnd);
  }
  if (auto def = defaults_.find("graphic"); def != defaults_.end()) {
    const ShapePaint& q = def->second.paint;
    take(p.filled, q.filled), take(p.lined, q.lined), take(p.fill, q.fill), take(p.line, q.line);
    take(p.lineEmu, q.lineEmu);
  }
  g.filled = p.filled.value_or(g.filled), g.lined = p.lined.value_or(g.lined);
  g.fill = p.fill.value_or(g.fill), g.line = p.line.value_or(g.line);
  g.fillAlpha = p.fillAlpha.value_or(g.fillAlpha), g.lineEmu = p.lineEmu.value_or(g.lineEmu);
  g.arrowStart = p.arrowStart.value_or(false), g.arrowEnd = p.arrowEnd.value_or(false);
}

PictureLook Styles::pictureLook(std::string_view name) const {
  for (const Def* d : chain("graphic", name))
    if (d->look) return *d->look;
  return {};
}

Border Styles::frameLine(std::string_view name) const {
  for (const Def* d : chain("graphic", name))
    if (d->frameLine) return *d->frameLine;
  return {LineStyle::None};
}

bool Styles::textAtFoot(std::string_view name) const {
  for (const Def* d : chain("graphic", name))
    if (d->textAtFoot) return *d->textAtFoot;
  return false;
}

std::optional<std::array<int32_t, 4>> Styles::pictureClip(std::string_view name) const {
  for (const Def* d : chain("graphic", name))
    if (d->clip) return d->clip;
  return std::nullopt;
}

PictureSide Styles::frameSide(std::string_view name, int64_t x, int64_t width, bool picture) const {
  std::string_view wrap, across;
  for (const Def* d : chain("graphic", name)) {
    if (wrap.empty()) wrap = d->wrap;
    if (across.empty()) across = d->across;
  }
  // Text on one side only leaves the frame at the other.
  if (wrap == "left") return PictureSide::End;
  if (wrap == "right") return PictureSide::Start;
  // "none": no text beside it, a line of its own.
  const bool ownLine = wrap == "none";
  // "run-through": behind or in front of the text; a drawn shape stays in
  // its line (beside the text it would lose its place over it).
  if (wrap == "run-through") return picture ? overTextSide(across, x, width) : PictureSide::Inline;
  if (wrap != "parallel" && wrap != "dynamic" && wrap != "biggest" && !ownLine)
    return PictureSide::Inline;
  return placedSide(ownLine, across, x);
}

void Styles::readGraphic(const pugi::xml_node& g, Def& d) {
  d.look = lookOf(g);
  d.clip = clipOf(attrValue(g, "clip"));
  d.wrap = attrValue(g, "wrap");
  d.across = attrValue(g, "horizontal-pos");
  if (const std::string_view at = attrValue(g, "textarea-vertical-align"); !at.empty())
    d.textAtFoot = at == "bottom";
  d.paint = paintOf(g);
  if (std::string_view b = attrValue(g, "border"); !b.empty()) d.frameLine = border(b);
}

}  // namespace word::read::odt
