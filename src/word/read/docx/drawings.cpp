// Pictures and text boxes: DrawingML drawings (inline or anchored, single
// pictures or shape groups) and the older VML shapes. A picture's bytes
// come from the part its relationship names, read once however often shown.
#include <glib.h>

#include <algorithm>
#include <charconv>
#include <cmath>

#include "word/links.h"
#include "word/read/compound.h"
#include "word/read/docx/reader_state.h"
#include "word/read/docx/shapes.h"
#include "word/read/image_format.h"
#include "word/read/mtef.h"

namespace word::read::docx::detail {
namespace {

int32_t emuToPx(int64_t emu) {
  if (emu <= 0) return 0;
  return clampInt((emu + 4762) / 9525, 0, 100000);
}

// A VML length ("72pt", "1.5in", "100px") in pixels at 96 dpi.
int32_t vmlLengthPx(std::string_view s) {
  size_t i = 0;
  double v = 0, scale = 1;
  bool any = false, frac = false;
  for (; i < s.size(); ++i) {
    char c = s[i];
    if (c >= '0' && c <= '9') {
      any = true;
      if (frac) {
        scale /= 10;
        v += (c - '0') * scale;
      } else if (v < 1e7) {
        v = v * 10 + (c - '0');
      }
    } else if (c == '.' && !frac) {
      frac = true;
    } else {
      break;
    }
  }
  if (!any) return 0;
  std::string_view unit = s.substr(i);
  double px = v;
  if (unit.substr(0, 2) == "pt")
    px = v * 96 / 72;
  else if (unit.substr(0, 2) == "in")
    px = v * 96;
  else if (unit.substr(0, 2) == "cm")
    px = v * 96 / 2.54;
  else if (unit.substr(0, 2) == "mm")
    px = v * 96 / 25.4;
  else if (unit.substr(0, 2) == "pc")
    px = v * 16;
  else if (unit.empty())
    px = v / 9525.0 * 1;  // bare numbers are EMU in VML
  if (px > 100000) px = 100000;
  return static_cast<int32_t>(px + 0.5);
}

std::string_view styleValue(std::string_view style, std::string_view key) {
  size_t i = 0;
  while (i < style.size()) {
    size_t semi = style.find(';', i);
    if (semi == std::string_view::npos) semi = style.size();
    std::string_view decl = style.substr(i, semi - i);
    size_t colon = decl.find(':');
    if (colon != std::string_view::npos) {
      std::string_view k = decl.substr(0, colon);
      while (!k.empty() && k.front() == ' ') k.remove_prefix(1);
      while (!k.empty() && k.back() == ' ') k.remove_suffix(1);
      if (k == key) return decl.substr(colon + 1);
    }
    i = semi + 1;
  }
  return {};
}

// What a drawing without a picture or text is, by the kind of graphic it
// holds.
std::string drawingLoss(const pugi::xml_node& graphicData) {
  const std::string_view uri = val(graphicData, "uri");
  if (uri.find("/chart") != std::string_view::npos) return "a chart";
  if (uri.find("/diagram") != std::string_view::npos) return "a diagram";
  if (uri.find("/picture") != std::string_view::npos) return "a picture it cannot read";
  return "a shape drawn only by its geometry";
}

// A picture's colours as its blip adjusts them: grey, black and white,
// brightness and contrast in thousandths of a per cent (a:lum, or the
// later effect beside it).
void blipLook(const pugi::xml_node& n, PictureLook& look, int depth) {
  auto permille = [](std::optional<int64_t> v) {
    return static_cast<int16_t>(std::clamp<int64_t>(v.value_or(0) / 100, -1000, 1000));
  };
  for (pugi::xml_node e = n.first_child(); e && depth < 8; e = e.next_sibling()) {
    const std::string_view name = localName(e.name());
    if (name == "grayscl") look.gray = true;
    if (name == "biLevel") look.blackAndWhite = true;
    if (name == "lum" || name == "brightnessContrast") {
      look.brightness = permille(intAttr(e, "bright"));
      look.contrast = static_cast<int16_t>(1000 + permille(intAttr(e, "contrast")));
    }
    blipLook(e, look, depth + 1);
  }
}

// A picture's look from its fill: the blip's colours and the source
// rectangle's crop (a:srcRect, shares of the image in thousandths of a
// per cent: the model's own unit).
PictureLook fillLook(const pugi::xml_node& blipFill) {
  PictureLook look;
  blipLook(child(blipFill, "blip"), look, 0);
  const pugi::xml_node rect = child(blipFill, "srcRect");
  auto share = [&](const char* side) {
    return static_cast<int32_t>(
        std::clamp<int64_t>(intAttr(rect, side).value_or(0), -100000, 100000));
  };
  look.cropLeft = share("l");
  look.cropTop = share("t");
  look.cropRight = share("r");
  look.cropBottom = share("b");
  return look;
}

// A VML crop: a share of the image, as a fraction or in 65536ths ("6554f").
int32_t vmlCrop(std::string_view v) {
  if (v.empty()) return 0;
  const bool sixteenths = v.back() == 'f';
  if (sixteenths) v.remove_suffix(1);
  double x = 0;
  if (std::from_chars(v.data(), v.data() + v.size(), x).ec != std::errc()) return 0;
  if (sixteenths) x /= 65536;
  return static_cast<int32_t>(std::clamp(x, -1.0, 1.0) * 100000);
}

// The same for a VML shape: its wrapping (w10:wrap) and its place in its
// style.
PictureSide vmlSide(const pugi::xml_node& shape, std::string_view style, int32_t widthPx) {
  const std::string_view type = val(child(shape, "wrap"), "type");
  const bool ownLine = type == "topAndBottom";
  // Placed with no wrapping: behind or in front of the text.
  const bool over = (type.empty() || type == "none") && styleValue(style, "position") == "absolute";
  if (type != "square" && type != "tight" && type != "through" && !ownLine && !over)
    return PictureSide::Inline;
  int64_t from = int64_t{vmlLengthPx(styleValue(style, "margin-left"))} * 15;
  if (styleValue(style, "mso-position-horizontal-relative") == "page") from -= 1440;
  const std::string_view align = styleValue(style, "mso-position-horizontal");
  const int64_t width = int64_t{widthPx} * 15;
  return over ? overTextSide(align, from + width / 2, width)
              : placedSide(ownLine, align, from + width / 2);
}

// A VML group's members are sized in its own units (coordsize) over the
// group's size: pixels per unit across and down, through every group they
// lie in; the outermost group, which stands in the text, in `outer`.
std::pair<double, double> vmlGroupScale(const pugi::xml_node& shape, pugi::xml_node& outer) {
  double across = 1, down = 1;
  for (pugi::xml_node g = shape.parent(); is(g, "group"); g = g.parent()) {
    const std::string_view style = val(g, "style"), size = attrValue(g, "coordsize");
    const size_t comma = size.find(',');
    const double units = std::strtod(std::string(size.substr(0, comma)).c_str(), nullptr);
    const double unitsDown =
        comma == std::string_view::npos
            ? units
            : std::strtod(std::string(size.substr(comma + 1)).c_str(), nullptr);
    // Its own size in its parent's units, for a group inside a group.
    auto length = [&](const char* name) {
      const std::string v(styleValue(style, name));
      return is(g.parent(), "group") ? std::strtod(v.c_str(), nullptr) : vmlLengthPx(v);
    };
    if (units > 0 && unitsDown > 0) {
      across *= length("width") / units;
      down *= length("height") / unitsDown;
    }
    outer = g;
  }
  return {across, down};
}

// VML's colours: "#rrggbb", "#rgb" or a name, perhaps followed by the
// index the word processor keeps (" [3213]").
std::optional<uint32_t> vmlColour(std::string_view v, uint32_t otherwise) {
  v = v.substr(0, v.find(' '));
  if (v.size() == 4 && v[0] == '#')
    return hexColor(std::string{v[1], v[1], v[2], v[2], v[3], v[3]}).value_or(otherwise);
  if (!v.empty() && v[0] == '#') return hexColor(v.substr(1)).value_or(otherwise);
  return v.empty() ? otherwise : namedColour(v).value_or(otherwise);
}

// A VML rectangle, rounded rectangle, ellipse or line with neither a
// picture nor text: its fill and line (white and black unless it says),
// its size from its style or, a line's, from its ends.
std::optional<DrawnShapes> vmlShape(const pugi::xml_node& shape, std::string_view style) {
  ShapeGeometry g;
  g.type = presetShapeType(localName(shape.name()));
  // A v:shape of a preset type names it as "#_x0000_t" and its number.
  if (const std::string_view type = attrValue(shape, "type");
      is(shape, "shape") && type.substr(0, 9) == "#_x0000_t")
    g.type = static_cast<uint16_t>(std::clamp<int64_t>(number(type.substr(9)).value_or(0), 0, 255));
  if (!drawableShape(g)) return std::nullopt;
  const std::string_view flip = styleValue(style, "flip");
  g.flipH = flip.find('x') != std::string_view::npos;
  g.flipV = flip.find('y') != std::string_view::npos;
  auto off = [&](const char* name) {
    const std::string_view v = attrValue(shape, name);
    return v == "f" || v == "false" || v == "0";
  };
  g.filled = !off("filled"), g.lined = !off("stroked");
  g.fill = *vmlColour(attrValue(shape, "fillcolor"), 0xFFFFFF);
  g.line = *vmlColour(attrValue(shape, "strokecolor"), 0x000000);
  const std::string_view weight = attrValue(shape, "strokeweight");
  g.lineEmu = weight.empty() ? 9525 : vmlLengthPx(weight) * 9525;
  const pugi::xml_node stroke = child(shape, "stroke");
  auto arrow = [&](const char* end) {
    const std::string_view v = attrValue(stroke, end);
    return !v.empty() && v != "none";
  };
  g.arrowStart = arrow("startarrow"), g.arrowEnd = arrow("endarrow");
  int32_t w = vmlLengthPx(styleValue(style, "width")), h = vmlLengthPx(styleValue(style, "height"));
  if (g.type == presetShapeType("line")) {
    const std::string_view from = attrValue(shape, "from"), to = attrValue(shape, "to");
    auto at = [](std::string_view point, bool second) {
      const size_t comma = point.find(',');
      return vmlLengthPx(
          second ? point.substr(comma == std::string_view::npos ? point.size() : comma + 1)
                 : point.substr(0, comma));
    };
    w = std::abs(at(to, false) - at(from, false)), h = std::abs(at(to, true) - at(from, true));
    g.flipH = at(to, false) < at(from, false), g.flipV = at(to, true) < at(from, true);
  }
  double pw = 0, ph = 0;
  const ShapeBox box = shapeCanvas(g, w * 15, h * 15, pw, ph);
  return DrawnShapes{shapeSvg(pw, ph, shapeElement(g, box)), static_cast<int32_t>(pw),
                     static_cast<int32_t>(ph)};
}

Picture drawnPicture(DrawnShapes drawn, std::u16string alt, PictureSide side) {
  return svgPicture(std::move(drawn.svg), drawn.widthPx, drawn.heightPx, std::move(alt), side);
}

}  // namespace

// A drawing's own link, where its run has none: the one set on the
// drawing (a:hlinkClick), or for an online video its player's address (its
// poster picture's wp15:webVideoPr, an iframe's src). A learner opens the
// video from its picture.
CharFormat DocxReader::linked(const pugi::xml_node& drawing, const CharFormat& f,
                              const StoryState& s) const {
  if (!f.hyperlink.empty()) return f;
  std::u16string link;
  const auto rel =
      s.part->rels.find(std::string(relAttr(child(child(drawing, "docPr"), "hlinkClick"), "id")));
  if (rel != s.part->rels.end() && rel->second.external) link = utf16(rel->second.target);
  const pugi::xml_node video =
      drawing.find_node([](const pugi::xml_node& n) { return is(n, "webVideoPr"); });
  const std::string_view html = attrValue(video, "embeddedHtml");
  if (const size_t src = html.find("src=\""); link.empty() && src != std::string_view::npos) {
    const std::string_view from = html.substr(src + 5);
    link = utf16(from.substr(0, from.find('"')));
  }
  CharFormat out = f;
  if (!link.empty() && safeLinkTarget(link)) out.hyperlink = link;
  return out;
}

void DocxReader::drawing(const pugi::xml_node& d, const CharFormat& run, StoryState& s,
                         InlineState& in) {
  for (pugi::xml_node x = d.first_child(); x; x = x.next_sibling()) {
    if (!is(x, "inline") && !is(x, "anchor")) continue;
    const CharFormat f = linked(x, run, s);
    pugi::xml_node extent = child(x, "extent");
    int32_t w = emuToPx(intAttr(extent, "cx").value_or(0));
    int32_t h = emuToPx(intAttr(extent, "cy").value_or(0));
    pugi::xml_node docPr = child(x, "docPr");
    std::u16string alt = utf16(val(docPr, "descr"));
    if (alt.empty()) alt = utf16(val(docPr, "title"));
    int pictures = 0;
    const size_t boxes = in.textBoxes.size();
    const pugi::xml_node data = child(child(x, "graphic"), "graphicData");
    const PictureSide side = is(x, "anchor") ? anchoredSide(x, w) : PictureSide::Inline;
    // Pictures with shapes drawn over them show as one picture; the text
    // of the group's boxes follows as any text box's does.
    const int64_t cx = intAttr(extent, "cx").value_or(0), cy = intAttr(extent, "cy").value_or(0);
    if (std::optional<DrawnShapes> over = groupOverPictures(data, cx, cy, s)) {
      s.builder->picture(drawnPicture(*over, alt, side), f);
      withoutPictures_ = true;
      graphicContent(data, w, h, alt, f, s, in, 0, pictures);
      withoutPictures_ = false;
      continue;
    }
    side_ = side;
    graphicContent(data, w, h, alt, f, s, in, 0, pictures);
    side_ = PictureSide::Inline;
    // Shapes grouped with a picture they cannot be drawn over (of another
    // kind than PNG and JPEG) are left out: the author is told.
    if (pictures > 0 && child(data, "wgp") && drawShapes(data, cx, cy, theme_))
      s.builder->loss("the shapes drawn over a picture of its group (arrows, frames)");
    if (pictures > 0 || in.textBoxes.size() != boxes) continue;
    std::string said;
    if (std::optional<DrawnShapes> chart = chartPicture(data, w, h, s, said)) {
      // Its title says what it shows, where the author says nothing.
      s.builder->picture(drawnPicture(*chart, alt.empty() ? utf16(said) : alt, side), f);
      continue;
    }
    if (std::optional<DrawnShapes> diagram = diagramPicture(data, extent, s, said)) {
      // Its words say what it shows, where the author says nothing.
      s.builder->picture(drawnPicture(*diagram, alt.empty() ? utf16(said) : alt, side), f);
      continue;
    }
    // Neither a picture nor text: a shape drawn by its outline and fill.
    // In front of the text it stands in its line, where it fits (beside
    // the text it would lose its place over it: a diagram's connectors).
    const PictureSide drawnSide = child(x, "wrapNone") ? PictureSide::Inline : side;
    const bool fits = drawnSide != PictureSide::Inline || is(x, "inline") || shapeFitsInLine(w, h);
    const auto drawn = fits ? drawShapes(data, intAttr(extent, "cx").value_or(0),
                                         intAttr(extent, "cy").value_or(0), theme_)
                            : std::nullopt;
    if (!drawn) {
      s.builder->loss(drawingLoss(data));
      continue;
    }
    s.builder->picture(drawnPicture(*drawn, alt, drawnSide), f);
  }
}

// A chart part's chart drawn `w` by `h` pixels, with the title it shows;
// none for a drawing of something else, or a chart not drawn.
std::optional<DrawnShapes> DocxReader::chartPicture(const pugi::xml_node& data, int32_t w,
                                                    int32_t h, StoryState& s, std::string& title) {
  // Relationships are the story's part's own: a chart is known by both.
  const std::string_view id = relAttr(child(data, "chart"), "id");
  const std::string key = s.part->name + '\n' + std::string(id);
  auto cached = charts_.find(key);
  if (cached == charts_.end()) {
    std::optional<Chart> chart;
    XmlPart part;
    if (relatedPart(s, id, part)) chart = readChart(part.doc.document_element(), theme_);
    cached = charts_.emplace(key, std::move(chart)).first;
  }
  if (!cached->second) return std::nullopt;
  // Each drawing of a chart is a picture of its own: a bound on the points
  // drawn keeps a part named by thousands of drawings from filling memory.
  size_t points = 0;
  for (const ChartSeries& series : cached->second->series) points += series.values.size() + 1;
  if (points > chartPointsLeft_) return std::nullopt;
  chartPointsLeft_ -= points;
  title = cached->second->title;
  return DrawnShapes{chartSvg(*cached->second, w, h), w, h};
}

// A diagram drawn as the word processor laid it out: the drawing part
// that the diagram's data part names (its dataModelExt, by one of the
// document part's relationships). `said` gets its text.
std::optional<DrawnShapes> DocxReader::diagramPicture(const pugi::xml_node& data,
                                                      const pugi::xml_node& extent, StoryState& s,
                                                      std::string& said) {
  XmlPart model, drawing;
  if (!relatedPart(s, relAttr(child(data, "relIds"), "dm"), model)) return std::nullopt;
  const pugi::xml_node ext =
      model.doc.find_node([](const pugi::xml_node& n) { return is(n, "dataModelExt"); });
  if (!relatedPart(s, attrValue(ext, "relId"), drawing)) return std::nullopt;
  return drawDiagram(child(drawing.doc.document_element(), "spTree"),
                     intAttr(extent, "cx").value_or(0), intAttr(extent, "cy").value_or(0), theme_,
                     said);
}

namespace {

// A group's child units in the drawing's: its own scale (its extent over
// its children's, each between a hundredth and a hundred) times the
// groups' around it.
std::pair<double, double> groupScale(const pugi::xml_node& group, std::pair<double, double> outer) {
  const pugi::xml_node xfrm = child(child(group, "grpSpPr"), "xfrm");
  auto ratio = [&](const char* size) {
    const double to = static_cast<double>(intAttr(child(xfrm, "ext"), size).value_or(0));
    const double from = static_cast<double>(intAttr(child(xfrm, "chExt"), size).value_or(0));
    return to > 0 && from > 0 ? std::clamp(to / from, 0.01, 100.0) : 1.0;
  };
  return {outer.first * ratio("cx"), outer.second * ratio("cy")};
}

}  // namespace

// Pictures and text boxes inside a drawing, shape groups included. The
// drawing's extent is the picture's size when it holds a single picture;
// pictures in a group take their own extents.
void DocxReader::graphicContent(const pugi::xml_node& n, int32_t w, int32_t h,
                                const std::u16string& alt, const CharFormat& f, StoryState& s,
                                InlineState& in, int depth, int& pictures,
                                std::pair<double, double> scale) {
  if (depth > 32) return;
  for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element) continue;
    std::string_view name = localName(c.name());
    if (name == "pic") {
      pugi::xml_node blip = child(child(c, "blipFill"), "blip");
      std::string_view id = relAttr(blip, "embed");
      if (id.empty()) id = relAttr(blip, "link");
      int32_t pw = w, ph = h;
      if (depth > 0) {
        pugi::xml_node ext = child(child(child(c, "spPr"), "xfrm"), "ext");
        if (ext) {
          pw = emuToPx(
              std::llround(static_cast<double>(intAttr(ext, "cx").value_or(0)) * scale.first));
          ph = emuToPx(
              std::llround(static_cast<double>(intAttr(ext, "cy").value_or(0)) * scale.second));
        }
      }
      PictureLook look = fillLook(child(c, "blipFill"));
      // Turned (in 60,000ths of a degree clockwise) and mirrored.
      const pugi::xml_node xfrm = child(child(c, "spPr"), "xfrm");
      look.rotation = static_cast<int16_t>(intAttr(xfrm, "rot").value_or(0) / 60000 % 360);
      look.flipH = val(xfrm, "flipH") == "1" || val(xfrm, "flipH") == "true";
      look.flipV = val(xfrm, "flipV") == "1" || val(xfrm, "flipV") == "true";
      // A line round the picture: a:ln with a colour of its own.
      const pugi::xml_node ln = child(child(c, "spPr"), "ln");
      if (auto rgb = drawingColour(child(ln, "solidFill"), theme_); rgb && ln) {
        look.outlineColor = *rgb;
        look.outlineEmu = clampInt(intAttr(ln, "w").value_or(9525), 1, kMaxOutlineEmu);
      }
      if (!id.empty() && !withoutPictures_) addPicture(id, pw, ph, alt, f, s, look);
      ++pictures;
    } else if (name == "txbxContent") {
      in.textBoxes.push_back(c);
    } else if (name == "AlternateContent") {
      graphicContent(chooseBranch(c), w, h, alt, f, s, in, depth + 1, pictures, scale);
    } else if (name == "wgp" || name == "grpSp") {
      graphicContent(c, w, h, alt, f, s, in, depth + 1, pictures, groupScale(c, scale));
    } else if (name == "wsp" || name == "txbx" || name == "wpc" || name == "sp" ||
               name == "grpSpPr" || name == "txBody") {
      graphicContent(c, w, h, alt, f, s, in, depth + 1, pictures, scale);
    }
  }
}

void DocxReader::vml(const pugi::xml_node& n, const CharFormat& f, StoryState& s, InlineState& in,
                     int depth) {
  if (depth > kMaxDepth) return;
  for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
    if (c.type() != pugi::node_element) continue;
    std::string_view name = localName(c.name());
    if (name == "imagedata") {
      std::string_view id = relAttr(c, "id");
      if (id.empty()) id = relAttr(c, "pict");
      std::string_view style = val(n, "style");
      int32_t w = vmlLengthPx(styleValue(style, "width"));
      int32_t h = vmlLengthPx(styleValue(style, "height"));
      // A group's member: sized by the group's scale, placed where the
      // group stands.
      pugi::xml_node outer;
      const auto [across, down] = vmlGroupScale(n, outer);
      if (outer) {
        auto scaled = [](std::string_view v, double scale) {
          return clampInt(std::llround(std::strtod(std::string(v).c_str(), nullptr) * scale), 0,
                          100000);
        };
        w = scaled(styleValue(style, "width"), across);
        h = scaled(styleValue(style, "height"), down);
      }
      std::u16string alt = utf16(val(n, "alt"));
      if (alt.empty()) alt = equationText(n.parent(), s);
      // VML's own true: "t".
      auto on = [&](const char* name) {
        const std::string_view v = attrValue(c, name);
        return v == "t" || v == "true" || v == "1";
      };
      PictureLook look;
      look.gray = on("grayscale");
      look.blackAndWhite = on("bilevel");
      look.cropLeft = vmlCrop(attrValue(c, "cropleft"));
      look.cropTop = vmlCrop(attrValue(c, "croptop"));
      look.cropRight = vmlCrop(attrValue(c, "cropright"));
      look.cropBottom = vmlCrop(attrValue(c, "cropbottom"));
      // Turned by degrees clockwise ("fd": 65,536ths of one), mirrored by
      // "flip:x" or "y".
      const std::string turn(styleValue(style, "rotation"));
      const double degrees = std::strtod(turn.c_str(), nullptr) /
                             (turn.size() > 2 && turn.ends_with("fd") ? 65536.0 : 1.0);
      if (std::isfinite(degrees)) look.rotation = static_cast<int16_t>(std::fmod(degrees, 360.0));
      const std::string_view flip = styleValue(style, "flip");
      look.flipH = flip.find('x') != std::string_view::npos;
      look.flipV = flip.find('y') != std::string_view::npos;
      // A line round it where the shape says so (a picture's shape type
      // has none).
      if (const std::string_view stroked = attrValue(n, "stroked");
          stroked == "t" || stroked == "true") {
        look.outlineColor = *vmlColour(attrValue(n, "strokecolor"), 0x000000);
        const std::string_view weight = attrValue(n, "strokeweight");
        look.outlineEmu =
            clampInt(weight.empty() ? 9525 : vmlLengthPx(weight) * 9525, 1, kMaxOutlineEmu);
      }
      // The side of the shape, or of the group it lies in, read once for
      // all its pictures (a group of thousands read its wrapping for each).
      if (const pugi::xml_node placed = outer ? outer : n; placed != sidePlaced_) {
        const std::string_view placedStyle = val(placed, "style");
        sidePlaced_ = placed;
        sideOfPlaced_ = vmlSide(placed, placedStyle, vmlLengthPx(styleValue(placedStyle, "width")));
      }
      side_ = sideOfPlaced_;
      if (!id.empty()) addPicture(id, w, h, alt, f, s, look);
      side_ = PictureSide::Inline;
    } else if (name == "txbxContent") {
      in.textBoxes.push_back(c);
    } else if (name == "textpath" && !val(c, "string").empty()) {
      // WordArt: its text shows as a text box's, after the paragraph.
      in.textBoxes.push_back(n);
    } else if (name == "shape" || name == "rect" || name == "roundrect" || name == "group" ||
               name == "oval" || name == "textbox" || name == "polyline" || name == "line" ||
               name == "arc" || name == "curve" || name == "image") {
      const uint32_t at = s.builder->position();
      const size_t boxes = in.textBoxes.size();
      vml(c, f, s, in, depth + 1);
      if (s.builder->position() == at && in.textBoxes.size() == boxes) vmlDrawing(c, f, s);
    }
  }
}

// A VML shape drawn by its geometry, where the text would wrap around it.
void DocxReader::vmlDrawing(const pugi::xml_node& shape, const CharFormat& f, StoryState& s) {
  // A group's members are sized in the group's own units: not drawn. Beside
  // a picture of the group (which shows) they are named lost here, once a
  // group (the group is searched once: its thousands of members each
  // searching it took minutes); a group with nothing shown is named lost as
  // a whole.
  if (is(shape.parent(), "group")) {
    pugi::xml_node outer;
    vmlGroupScale(shape, outer);
    if (outer == lostGroup_) return;
    lostGroup_ = outer;
    if (outer.find_node([](const pugi::xml_node& n) { return is(n, "imagedata"); }))
      s.builder->loss("the shapes of a group (arrows, frames)");
    return;
  }
  const std::string_view style = val(shape, "style");
  const auto drawn = vmlShape(shape, style);
  if (!drawn) return;
  // In front of the text, in its line (as a drawing's shape above).
  const std::string_view wrap = val(child(shape, "wrap"), "type");
  const PictureSide side =
      wrap.empty() || wrap == "none" ? PictureSide::Inline : vmlSide(shape, style, drawn->widthPx);
  if (side == PictureSide::Inline && styleValue(style, "position") == "absolute" &&
      !shapeFitsInLine(drawn->widthPx, drawn->heightPx))
    return;
  s.builder->picture(drawnPicture(*drawn, utf16(val(shape, "alt")), side), f);
}

// WordArt's text, in its font and size, as a paragraph of its own; one in
// its line (not placed on the page) aligned as the paragraph holding it.
void DocxReader::wordArt(const pugi::xml_node& path, StoryState& s) {
  const std::u16string text = cleanText(val(path, "string"));
  if (text.empty()) return;
  flush(s);
  ParagraphFormat pf;
  pf.textBox = s.textBoxDepth > 0;
  if (styleValue(val(path.parent(), "style"), "position") != "absolute")
    pf.align = s.anchorAlign;
  s.builder->paragraph(pf);
  const std::string_view style = val(path, "style");
  std::string_view font = styleValue(style, "font-family");
  while (!font.empty() && (font.front() == '"' || font.front() == ' ')) font.remove_prefix(1);
  while (!font.empty() && (font.back() == '"' || font.back() == ' ')) font.remove_suffix(1);
  CharFormat f;
  f.font = utf16(font);
  // Pixels at 96 to the inch in half points: three halves of them.
  f.halfPoints =
      static_cast<uint16_t>(std::min(vmlLengthPx(styleValue(style, "font-size")) * 3 / 2, 3276));
  s.builder->text(text, f);
  s.pendingEnd = true;
}

// An equation-editor object (w:object holding an o:OLEObject whose object
// has an "Equation Native" stream) shows its picture with the equation's
// linear text as alternative text; other objects, and damaged equations,
// give none.
std::u16string DocxReader::equationText(const pugi::xml_node& object, const StoryState& s) {
  if (!is(object, "object")) return {};
  auto rel = s.part->rels.find(std::string(relAttr(child(object, "OLEObject"), "id")));
  if (rel == s.part->rels.end() || rel->second.external) return {};
  std::optional<std::string> bytes = pkg_.read(rel->second.target);
  if (!bytes) return {};
  std::optional<std::string> stream = equationNativeStream(*bytes);
  return stream ? equationNativeText(*stream) : std::u16string();
}

// A picture linked to a file outside the document shows as a stand-in, as
// does one in a format the model does not carry (its bytes kept, its format
// unnamed); one whose part is missing or damaged is a loss the author hears of.
void DocxReader::addPicture(std::string_view relId, int32_t w, int32_t h, const std::u16string& alt,
                            const CharFormat& f, StoryState& s, const PictureLook& look) {
  auto rel = s.part->rels.find(std::string(relId));
  if (rel == s.part->rels.end()) return s.builder->loss("a picture it cannot read");
  Picture pic;
  pic.widthPx = w;
  pic.heightPx = h;
  pic.alt = alt;
  pic.linked = rel->second.external;
  pic.look = look;
  pic.side = side_;
  if (!pic.linked) {
    pic.data = media(rel->second.target);
    if (!pic.data) return s.builder->loss("a picture it cannot read");
    pic.format = imageFormat(*pic.data);
  }
  s.builder->picture(std::move(pic), f);
}

// A part's bytes, read once however many pictures show it; null for one
// missing or empty.
std::shared_ptr<const std::string> DocxReader::media(const std::string& target) {
  auto cached = media_.find(target);
  if (cached == media_.end()) {
    std::shared_ptr<const std::string> data;
    if (auto bytes = pkg_.read(target); bytes && !bytes->empty())
      data = std::make_shared<const std::string>(std::move(*bytes));
    cached = media_.emplace(target, std::move(data)).first;
  }
  return cached->second;
}

// A group of pictures with shapes drawn over them (an annotated
// screenshot) as one SVG of the group's size: its PNG and JPEG pictures as
// images in their places, the shapes over them as the group stacks them.
// None where it holds no picture, one of another kind, or draws no shape,
// or where the document's groups have copied their share of pictures.
std::optional<DrawnShapes> DocxReader::groupOverPictures(const pugi::xml_node& data,
                                                         int64_t widthEmu, int64_t heightEmu,
                                                         StoryState& s) {
  if (!child(data, "wgp") || !drawShapes(data, widthEmu, heightEmu, theme_)) return std::nullopt;
  bool whole = true;
  int pictures = 0;
  size_t embedded = 0;
  const GroupPicture image = [&](const pugi::xml_node& pic, const ShapeBox& box) {
    const auto rel =
        s.part->rels.find(std::string(relAttr(child(child(pic, "blipFill"), "blip"), "embed")));
    const auto bytes =
        rel == s.part->rels.end() || rel->second.external ? nullptr : media(rel->second.target);
    const std::string format = bytes ? imageFormat(*bytes) : "";
    if (!whole || (format != "png" && format != "jpeg") ||
        bytes->size() > groupPictureBytesLeft_ - embedded) {
      whole = false;
      return std::string();
    }
    ++pictures;
    embedded += bytes->size();
    const std::unique_ptr<gchar, decltype(&g_free)> encoded(
        g_base64_encode(reinterpret_cast<const guchar*>(bytes->data()), bytes->size()), &g_free);
    return "<image x=\"" + svgNumber(box.x) + "\" y=\"" + svgNumber(box.y) + "\" width=\"" +
           svgNumber(box.w) + "\" height=\"" + svgNumber(box.h) +
           "\" preserveAspectRatio=\"none\" href=\"data:image/" + format + ";base64," +
           encoded.get() + "\"/>";
  };
  std::optional<DrawnShapes> drawn = drawShapes(data, widthEmu, heightEmu, theme_, &image);
  if (!whole || pictures == 0) return std::nullopt;
  groupPictureBytesLeft_ -= embedded;
  return drawn;
}

}  // namespace word::read::docx::detail
