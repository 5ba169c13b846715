// Frames and shapes: a frame's picture (the first of its images in a
// format the model carries, an embedded object's replacement picture
// included), its size and alternative text; the text of text boxes and of
// shapes, read after the paragraph that anchors them; links on pictures.
#include <glib.h>

#include <algorithm>
#include <cmath>

#include "support/strings.h"
#include "word/read/image_format.h"
#include "word/read/mathml_text.h"
#include "word/read/odt/chart.h"
#include "word/read/odt/reader_state.h"
#include "word/read/shape_svg.h"

namespace word::read::odt::detail {
namespace {

// The crop fo:clip gives, in lengths of the image at its own size (its
// pixels at its resolution), as the model's shares of the image.
PictureLook withClip(PictureLook look, const std::optional<std::array<int32_t, 4>>& clip,
                     std::string_view image) {
  if (!clip) return look;
  const ImageSize size = imageSize(image);
  if (size.width <= 0 || size.height <= 0) return look;
  const double wide = size.width * 1440.0 / size.dpiX, high = size.height * 1440.0 / size.dpiY;
  auto share = [](int32_t length, double whole) {
    return static_cast<int32_t>(std::lround(std::clamp(length * 100000.0 / whole, 0.0, 100000.0)));
  };
  look.cropTop = share((*clip)[0], high);
  look.cropRight = share((*clip)[1], wide);
  look.cropBottom = share((*clip)[2], high);
  look.cropLeft = share((*clip)[3], wide);
  return look;
}

int32_t pixels(std::string_view length) {
  auto t = twips(length);
  return t && *t > 0 ? (*t + 7) / 15 : 0;
}

// Whether an image's link leads out of the document: every link of a flat
// file (it has no parts), a scheme or drive ("file:", "http:", "C:"), an
// absolute path, or a path that climbs out of the package.
bool outsideDocument(std::string_view href, bool package) {
  if (href.empty()) return false;  // the picture's data is in the element
  if (!package || href.find(':') != std::string_view::npos || href[0] == '/' || href[0] == '\\')
    return true;
  int depth = 0;
  for (size_t at = 0; at <= href.size();) {
    size_t end = href.find_first_of("/\\", at);
    if (end == std::string_view::npos) end = href.size();
    const std::string_view segment = href.substr(at, end - at);
    if (segment == ".." && --depth < 0) return true;
    if (!segment.empty() && segment != "." && segment != "..") ++depth;
    at = end + 1;
  }
  return false;
}

// Text of shapes lies in their own paragraphs.
bool holdsText(const pugi::xml_node& n) {
  for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
    if (is(c, "p") || is(c, "h") || is(c, "list")) return true;
  return false;
}

// A shape drawn by its geometry: a rectangle (rounded at its corners or
// not), an ellipse, a line, or a custom shape of a preset type; its size
// in twips and its flips.
std::optional<ShapeGeometry> geometryOf(const pugi::xml_node& n, int32_t& width, int32_t& height) {
  static constexpr std::pair<std::string_view, uint16_t> kPresets[] = {
      {"rectangle", 1},     {"round-rectangle", 2},    {"ellipse", 3},
      {"diamond", 4},       {"isosceles-triangle", 5}, {"right-triangle", 6},
      {"parallelogram", 7}, {"trapezoid", 8},          {"hexagon", 9},
      {"octagon", 10},      {"right-arrow", 13},       {"pentagon-right", 15},
      {"chevron", 55},      {"pentagon", 56},          {"left-arrow", 66},
      {"down-arrow", 67},   {"up-arrow", 68}};
  ShapeGeometry g;
  auto length = [&](const char* name) { return twips(attrValue(n, name)).value_or(0); };
  width = length("width"), height = length("height");
  if (is(n, "rect")) {
    g.type = length("corner-radius") > 0 ? 2 : 1;
  } else if (is(n, "ellipse") || is(n, "circle")) {
    g.type = 3;
  } else if (is(n, "line")) {
    g.type = 20;
    width = std::abs(length("x2") - length("x1")), height = std::abs(length("y2") - length("y1"));
    g.flipH = length("x2") < length("x1"), g.flipV = length("y2") < length("y1");
  } else if (is(n, "custom-shape")) {
    const pugi::xml_node geometry = child(n, "enhanced-geometry");
    for (const auto& [name, type] : kPresets)
      if (attrValue(geometry, "type") == name) g.type = type;
    g.flipH = attrValue(geometry, "mirror-horizontal") == "true";
    g.flipV = attrValue(geometry, "mirror-vertical") == "true";
  }
  if (!drawableShape(g)) return std::nullopt;
  return g;
}

bool inLine(const pugi::xml_node& n) {
  return attrValue(n, "anchor-type") == "as-char";
}

// A frame or shape in a line of text stays there; one anchored to its
// paragraph stands at the side the text wraps around it from, by its
// graphic style and its middle (`width` in twips).
PictureSide sideOf(const pugi::xml_node& n, const Styles& styles, int64_t width, bool picture) {
  if (inLine(n)) return PictureSide::Inline;
  return styles.frameSide(attrValue(n, "style-name"),
                          int64_t{twips(attrValue(n, "x")).value_or(0)} + width / 2, width,
                          picture);
}

}  // namespace

bool isDrawing(std::string_view name) {
  static const char* const kinds[] = {
      "frame",    "g",    "custom-shape", "rect",      "ellipse", "circle",          "polygon",
      "polyline", "path", "line",         "connector", "caption", "regular-polygon", "measure"};
  for (const char* k : kinds)
    if (name == k) return true;
  return false;
}

void OdtReader::drawing(const pugi::xml_node& n, StoryState& s, InlineState& in, int depth) {
  if (depth > kMaxDepth) return;
  if (is(n, "frame")) {
    frame(n, s, in);
  } else if (is(n, "a")) {
    // A link on a picture.
    const Link saved = in.link;
    in.link = linkOf(n);
    in.format.reset();
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
      if (c.type() == pugi::node_element) drawing(c, s, in, depth + 1);
    in.link = saved;
    in.format.reset();
  } else if (is(n, "g")) {
    for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
      if (c.type() == pugi::node_element) drawing(c, s, in, depth + 1);
  } else if (holdsText(n)) {
    in.textBoxes.push_back(n);
  } else if (!is(n, "caption") && !drawnShape(n, s, in)) {
    s.builder->loss("a shape drawn only by its geometry");
  }
}

// A shape with neither a picture nor text, drawn by its outline, fill and
// line; one in front of the text only where it fits its line.
bool OdtReader::drawnShape(const pugi::xml_node& n, StoryState& s, InlineState& in) {
  int32_t width = 0, height = 0;
  std::optional<ShapeGeometry> g = geometryOf(n, width, height);
  if (!g) return false;
  const std::string_view style = attrValue(n, "style-name");
  styleDefs_.paintShape(style, *g);
  double w = 0, h = 0;
  const ShapeBox box = shapeCanvas(*g, width, height, w, h);
  const PictureSide side = sideOf(n, styleDefs_, width, false);
  if (side == PictureSide::Inline && !inLine(n) && !shapeFitsInLine(w, h)) return false;
  place(svgPicture(shapeSvg(w, h, shapeElement(*g, box)), w, h, u16(child(n, "desc").text().get()),
                   side),
        s, in);
  return true;
}

// A frame's or shape's text the text wraps around at one side stands
// there, as wide as it and at least as tall (a text box's fo:min-height
// where the frame gives none): a sidebar. A shape in a group stands where
// the group does, whose style carries the wrapping.
BoxPlace OdtReader::boxPlace(const pugi::xml_node& box) const {
  const pugi::xml_node shape = is(box, "text-box") ? box.parent() : box;
  pugi::xml_node placed = shape;
  while (is(placed.parent(), "g")) placed = placed.parent();
  const int64_t width = twips(attrValue(shape, "width")).value_or(0);
  std::optional<int32_t> height = twips(attrValue(shape, "height"));
  if (!height && shape != box) height = twips(attrValue(box, "min-height"));
  BoxPlace place = read::boxPlace(sideOf(placed, styleDefs_, width, false), width,
                                  height.value_or(0), kFrameAside);
  place.bottom = styleDefs_.textAtFoot(attrValue(shape, "style-name"));
  return place;
}

void OdtReader::frame(const pugi::xml_node& f, StoryState& s, InlineState& in) {
  int32_t w = pixels(attrValue(f, "width"));
  int32_t h = pixels(attrValue(f, "height"));
  std::u16string alt = u16(child(f, "desc").text().get());
  if (alt.empty()) alt = u16(child(f, "title").text().get());
  pugi::xml_document parsed;
  const pugi::xml_node content = objectContent(f, parsed);
  const pugi::xml_node math = content ? formulaMath(content) : pugi::xml_node();
  if (formula(math, s, in)) return;
  if (alt.empty() && math) alt = mathmlText(math);
  // A chart's title says what it shows, where the author says nothing.
  if (alt.empty() && content) alt = u16(odfChartTitle(content));
  const PictureLook look = styleDefs_.pictureLook(attrValue(f, "style-name"));
  const auto clip = styleDefs_.pictureClip(attrValue(f, "style-name"));
  const PictureSide side = sideOf(f, styleDefs_, int64_t{w} * 15, true);
  bool shown = false;
  bool linked = false;
  bool unread = false;  // an image inside the document that did not show
  // The first image's bytes in a format the model does not carry.
  std::shared_ptr<const std::string> unknown;
  for (pugi::xml_node c = f.first_child(); c; c = c.next_sibling()) {
    if (is(c, "image") && !shown && outsideDocument(attrValue(c, "href"), pkg_.has_value())) {
      linked = true;
    } else if (is(c, "image") && !shown) {
      std::shared_ptr<const std::string> data = imageBytes(c);
      const PictureLook cropped = data ? withClip(look, clip, *data) : look;
      unread = !(shown = picture(data, {w, h, alt, cropped, side}, s, in, false));
      if (unread && !unknown && data && !data->empty()) unknown = std::move(data);
    } else if (is(c, "text-box")) {
      in.textBoxes.push_back(c);
    }
  }
  // No image in a format the model carries: the first in another shows as
  // a stand-in; with none, the picture is lost. An object (a chart, a
  // formula, a video or sound, a page in a frame) shows by its replacement
  // picture; one without it shows nothing.
  if (!shown && !linked && content) shown = chartPicture(content, {w, h, alt, look, side}, s, in);
  if (!shown && !linked && unknown) shown = picture(unknown, {w, h, alt, look, side}, s, in, true);
  const bool object = child(f, "object") || child(f, "object-ole") || child(f, "plugin") ||
                      child(f, "applet") || child(f, "floating-frame");
  if (!shown && !linked && (object || unread))
    s.builder->loss(object ? "an embedded object without a picture" : "a picture it cannot read");
  // Nothing outside the document is read: a picture only linked there
  // shows as a stand-in, and the page says so.
  if (!shown && linked) {
    Picture pic;
    pic.widthPx = w;
    pic.heightPx = h;
    pic.alt = alt;
    pic.linked = true;
    pic.side = side;
    place(std::move(pic), s, in);
  }
  in.space = false;
}

// An object's content: in the frame (the flat XML form) or in the
// object's own content part, parsed into `content`; none for a frame
// without an object, or an object whose content cannot be read.
pugi::xml_node OdtReader::objectContent(const pugi::xml_node& frame, pugi::xml_document& content) {
  const pugi::xml_node object = child(frame, "object");
  if (!object) return {};
  for (pugi::xml_node c = object.first_child(); c; c = c.next_sibling())
    if (c.type() == pugi::node_element) return c;
  const std::string_view href = attrValue(object, "href");
  if (href.empty() || outsideDocument(href, pkg_.has_value())) return {};
  std::string name = Package::resolve("", href);
  while (!name.empty() && name.back() == '/') name.pop_back();
  // Read once: no word processor names one object from two frames, and a
  // file of a thousand frames naming one large formula read it a thousand
  // times (minutes for a 2 KB file). A later frame shows its picture.
  if (!objectsRead_.insert(support::lowerAscii(name)).second) return {};
  const std::optional<std::string> bytes = pkg_->read(name + "/content.xml");
  if (!bytes || !content.load_buffer(bytes->data(), bytes->size())) return {};
  return content.document_element();
}

// A chart object whose picture does not show is drawn from its values,
// at the frame's size.
bool OdtReader::chartPicture(const pugi::xml_node& content, const Shown& shown, StoryState& s,
                             InlineState& in) {
  const std::optional<Chart> chart = readOdfChart(content, chartPointsLeft_);
  if (!chart) return false;
  const double w = shown.width > 0 ? shown.width : 480, h = shown.height > 0 ? shown.height : 300;
  place(svgPicture(chartSvg(*chart, w, h), w, h, shown.alt, shown.side), s, in);
  return true;
}

// A formula shows as mathematics, as the word processor draws it: its
// replacement picture is kept in a metafile format browsers cannot show.
bool OdtReader::formula(const pugi::xml_node& math, StoryState& s, InlineState& in) {
  if (!math || in.hidden) return false;
  std::u16string markup = mathmlMarkup(math);
  const std::u16string linear = mathmlText(math);
  if (markup.empty() || linear.empty()) return false;
  s.builder->equation(linear, std::move(markup), false, format(in));
  in.space = false;
  return true;
}

// The bytes of a picture: a part of the package, or base64 data in the
// element (the flat XML form). Pictures outside the document are not read.
std::shared_ptr<const std::string> OdtReader::imageBytes(const pugi::xml_node& image) {
  std::string_view href = attrValue(image, "href");
  if (href.empty()) {
    std::string data = child(image, "binary-data").text().get();
    if (data.empty()) return nullptr;
    gsize size = 0;
    g_base64_decode_inplace(data.data(), &size);
    data.resize(size);
    return std::make_shared<const std::string>(std::move(data));
  }
  if (outsideDocument(href, pkg_.has_value())) return nullptr;
  std::string name = Package::resolve("", href);
  auto cached = media_.find(name);
  if (cached == media_.end()) {
    std::shared_ptr<const std::string> data;
    if (auto bytes = pkg_->read(name))
      data = std::make_shared<const std::string>(std::move(*bytes));
    cached = media_.emplace(name, std::move(data)).first;
  }
  return cached->second;
}

bool OdtReader::picture(std::shared_ptr<const std::string> data, const Shown& shown, StoryState& s,
                        InlineState& in, bool anyFormat) {
  if (!data || data->empty()) return false;
  std::string type = imageFormat(*data);
  // A format the model does not carry: the next image may be its replacement.
  if (type.empty() && !anyFormat) return false;
  Picture pic;
  pic.data = std::move(data);
  pic.format = std::move(type);
  pic.widthPx = shown.width;
  pic.heightPx = shown.height;
  pic.alt = shown.alt;
  pic.look = shown.look;
  pic.side = shown.side;
  place(std::move(pic), s, in);
  return true;
}

void OdtReader::place(Picture pic, StoryState& s, InlineState& in) {
  const CharFormat& f = format(in);
  if (!in.hidden) s.builder->picture(std::move(pic), f);
}

}  // namespace word::read::odt::detail
