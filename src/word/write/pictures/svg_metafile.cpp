// svg_metafile.h: the text records of an EMF, and the passes over the SVG
// the metafile libraries wrote, on libxml2's tree of it.
#include "word/write/pictures/svg_metafile.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>

#include "support/codepage.h"

namespace word::write {
namespace {

uint32_t le32(std::string_view d, size_t at) {
  if (at > d.size() || d.size() - at < 4) return 0;
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(d[at + i]);
  return v;
}

int32_t signed32(std::string_view d, size_t at) {
  return static_cast<int32_t>(le32(d, at));
}

// EMF record types read here.
enum : uint32_t {
  kSetWindowOrg = 10,
  kSetViewportOrg = 12,
  kSetMapMode = 17,
  kComment = 70,
  kSaveDc = 33,
  kRestoreDc = 34,
  kSelectObject = 37,
  kCreatePen = 38,
  kCreateBrush = 39,
  kDeleteObject = 40,
  kCreatePalette = 49,
  kCreateFont = 82,
  kTextOutA = 83,
  kTextOutW = 84,
  kCreateMonoBrush = 93,
  kCreateDibBrush = 94,
  kCreateExtPen = 95,
};
constexpr uint32_t kNoRect = 0x100, kPdy = 0x2000;
constexpr size_t kMaxTextRecords = 100000;

// Takes back the state an EMR_RESTOREDC record `r` names from `saved`: a
// negative count goes back that many saves, a positive one to that save.
template <class State>
void restoreDc(std::string_view r, std::vector<State>& saved, State& state) {
  const int32_t n = signed32(r, 8);
  const size_t keep = n < 0 ? saved.size() - std::min<size_t>(saved.size(), -int64_t{n})
                            : std::min<size_t>(saved.size(), n > 0 ? n - 1 : 0);
  if (keep < saved.size()) {
    state = saved[keep];
    saved.resize(keep);
  }
}

// The characters and advances of an ExtTextOut record; nothing when it is
// damaged or holds no characters.
std::optional<EmfText> textRecord(std::string_view r, bool wide, int32_t fontHeight) {
  const uint32_t count = le32(r, 44), offString = le32(r, 48), options = le32(r, 52);
  const uint32_t offDx = le32(r, (options & kNoRect) ? 56 : 72);
  const size_t unit = wide ? 2 : 1, stride = (options & kPdy) ? 8 : 4;
  if (count == 0 || offString > r.size() || count > (r.size() - offString) / unit)
    return std::nullopt;
  EmfText t;
  t.fontHeight = fontHeight;
  for (size_t i = 0; i < count; ++i) {
    const size_t at = offString + unit * i;
    t.text.push_back(wide ? static_cast<char16_t>(static_cast<unsigned char>(r[at]) |
                                                  static_cast<unsigned char>(r[at + 1]) << 8)
                          : static_cast<char16_t>(static_cast<unsigned char>(r[at])));
  }
  if (offDx != 0 && offDx <= r.size() && count <= (r.size() - offDx) / stride)
    for (size_t i = 0; i < count; ++i) t.advances.push_back(signed32(r, offDx + stride * i));
  return t;
}

// libxml2's tree of `svg`, handed to `change`, written out again; the input
// as it is when it does not parse.
std::string withTree(std::string_view svg, const std::function<void(xmlNode*)>& change) {
  if (svg.size() > static_cast<size_t>(INT32_MAX)) return std::string(svg);
  xmlDocPtr doc = xmlReadMemory(svg.data(), static_cast<int>(svg.size()), "picture.svg", "UTF-8",
                                XML_PARSE_RECOVER | XML_PARSE_NONET | XML_PARSE_NOERROR |
                                    XML_PARSE_NOWARNING | XML_PARSE_NOCDATA);
  if (!doc) return std::string(svg);
  std::string out(svg);
  if (xmlNode* root = xmlDocGetRootElement(doc)) {
    change(root);
    xmlChar* text = nullptr;
    int size = 0;
    xmlDocDumpMemoryEnc(doc, &text, &size, "UTF-8");
    if (text && size > 0)
      out.assign(reinterpret_cast<const char*>(text), static_cast<size_t>(size));
    xmlFree(text);
  }
  xmlFreeDoc(doc);
  return out;
}

bool named(const xmlNode* n, const char* name) {
  return n->type == XML_ELEMENT_NODE && xmlStrEqual(n->name, BAD_CAST name);
}

std::string attribute(xmlNode* n, const char* name) {
  xmlChar* v = xmlGetProp(n, BAD_CAST name);
  std::string s = v ? reinterpret_cast<const char*>(v) : "";
  xmlFree(v);
  return s;
}

void setAttribute(xmlNode* n, const char* name, const std::string& value) {
  xmlSetProp(n, BAD_CAST name, BAD_CAST value.c_str());
}

std::u16string content(xmlNode* n) {
  xmlChar* v = xmlNodeGetContent(n);
  std::u16string s = v ? support::fromUtf8(reinterpret_cast<const char*>(v)) : std::u16string();
  xmlFree(v);
  return s;
}

void setContent(xmlNode* n, const std::u16string& text) {
  xmlNodeSetContent(n, nullptr);
  xmlAddChild(n, xmlNewDocText(n->doc, BAD_CAST support::toUtf8(text).c_str()));
}

// The numbers of an attribute value ("12.5", "matrix(1 0 0 1 3 4)"), or
// nothing when anything else is in it but separators.
std::optional<std::vector<double>> numbers(std::string_view v, std::string_view prefix = {}) {
  if (!prefix.empty()) {
    if (v.substr(0, prefix.size()) != prefix || v.empty() || v.back() != ')') return std::nullopt;
    v = v.substr(prefix.size(), v.size() - prefix.size() - 1);
  }
  std::vector<double> out;
  size_t i = 0;
  while (i < v.size()) {
    if (v[i] == ' ' || v[i] == ',' || v[i] == '\n' || v[i] == '\t') {
      ++i;
      continue;
    }
    double d = 0;
    auto [end, ec] = std::from_chars(v.data() + i, v.data() + v.size(), d);
    if (ec != std::errc() || !std::isfinite(d)) return std::nullopt;
    out.push_back(d);
    i = static_cast<size_t>(end - v.data());
  }
  return out;
}

std::string number(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f", std::abs(v) < 0.005 ? 0.0 : v);
  std::string s = buf;
  while (s.back() == '0') s.pop_back();
  if (s.back() == '.') s.pop_back();
  return s;
}

std::string list(const std::vector<double>& values) {
  std::string s;
  for (double v : values) (s += s.empty() ? "" : " ") += number(v);
  return s;
}

// Elements in document order.
void forEachElement(xmlNode* n, const std::function<void(xmlNode*)>& f) {
  for (xmlNode* c = n; c; c = c->next) {
    if (c->type != XML_ELEMENT_NODE) continue;
    f(c);
    forEachElement(c->children, f);
  }
}

// Whether a text element shows a record: as many characters, and the same
// where the record's is plain ASCII (the library blanks controls and may
// change the rest).
bool shows(const std::u16string& drawn, const EmfText& record) {
  if (drawn.size() != record.text.size()) return false;
  for (size_t i = 0; i < drawn.size(); ++i) {
    const char16_t c = record.text[i];
    if (c >= 0x20 && c < 0x7F && drawn[i] != c) return false;
    if (drawn[i] >= 0xD800 && drawn[i] <= 0xDFFF) return false;  // one x per code unit
  }
  return true;
}

// The record's advances as x positions in the element's units: libemf2svg
// scales the font's height as it scales x, so their ratio is the scale.
void placeCharacters(xmlNode* text, const EmfText& record) {
  const auto size = numbers(attribute(text, "font-size"));
  const auto x = numbers(attribute(text, "x"));
  if (record.advances.empty() || record.fontHeight == 0 || !size || size->size() != 1 || !x ||
      x->size() != 1 || !attribute(text, "writing-mode").empty())
    return;
  const double scale = size->front() / std::abs(static_cast<double>(record.fontHeight));
  if (!(scale > 0) || !std::isfinite(scale)) return;
  double total = 0;
  for (int32_t a : record.advances) total += scale * a;
  // The reference point is the text's middle or end when it is aligned so.
  const std::string anchor = attribute(text, "text-anchor");
  double at = x->front() - (anchor == "middle" ? total / 2 : anchor == "end" ? total : 0);
  std::vector<double> positions;
  for (int32_t a : record.advances) {
    positions.push_back(at);
    at += scale * a;
  }
  setAttribute(text, "x", list(positions));
  setAttribute(text, "text-anchor", "start");
}

}  // namespace

std::vector<EmfText> emfTexts(std::string_view emf) {
  std::vector<EmfText> out;
  std::map<uint32_t, int32_t> fonts;  // object handle -> height
  std::vector<int32_t> saved;
  int32_t height = 0;
  for (size_t at = 0; at + 8 <= emf.size() && out.size() < kMaxTextRecords;) {
    const uint32_t type = le32(emf, at), size = le32(emf, at + 4);
    if (size < 8 || size % 4 || size > emf.size() - at) break;
    const std::string_view r = emf.substr(at, size);
    at += size;
    const uint32_t handle = le32(r, 8);
    switch (type) {
      case kCreateFont:
        fonts[handle] = signed32(r, 12);
        break;
      case kCreatePen:
      case kCreateBrush:
      case kDeleteObject:
      case kCreatePalette:
      case kCreateMonoBrush:
      case kCreateDibBrush:
      case kCreateExtPen:
        fonts.erase(handle);
        break;
      case kSelectObject:
        if (auto f = fonts.find(handle); f != fonts.end()) height = f->second;
        if (handle >= 0x80000000u && handle <= 0x80000010u) height = 0;  // a stock object
        break;
      case kSaveDc:
        if (saved.size() < 4096) saved.push_back(height);
        break;
      case kRestoreDc:
        restoreDc(r, saved, height);
        break;
      case kTextOutA:
      case kTextOutW:
        if (auto t = textRecord(r, type == kTextOutW, height)) out.push_back(std::move(*t));
        break;
      default:
        break;
    }
  }
  return out;
}

namespace {

// Whether an EMF record draws (lines, shapes, fills, bitmaps, text), as
// opposed to setting the state drawing uses.
bool draws(uint32_t type) {
  return (type >= 2 && type <= 8) || type == 15 || (type >= 41 && type <= 47) ||
         (type >= 53 && type <= 56) || (type >= 62 && type <= 64) || (type >= 71 && type <= 81) ||
         (type >= 83 && type <= 92) || type == 96 || type == 97 || type == 108 ||
         (type >= 114 && type <= 118);
}

}  // namespace

std::optional<std::pair<int32_t, int32_t>> emfOriginShift(std::string_view emf) {
  constexpr uint32_t kMapText = 1, kEmfPlus = 0x2B464D45;
  struct Origins {
    int32_t window[2] = {0, 0}, viewport[2] = {0, 0};
    bool operator==(const Origins&) const = default;
  } now;
  std::vector<Origins> saved;
  bool drawn = false;
  for (size_t at = 0; at + 8 <= emf.size();) {
    const uint32_t type = le32(emf, at), size = le32(emf, at + 4);
    if (size < 8 || size % 4 || size > emf.size() - at) break;
    const std::string_view r = emf.substr(at, size);
    at += size;
    const Origins before = now;
    if (type == kSetMapMode && le32(r, 8) != kMapText) return std::nullopt;  // the library's own
    if (type == kComment && le32(r, 12) == kEmfPlus) return std::nullopt;    // places itself
    if (type == kSetWindowOrg || type == kSetViewportOrg) {
      int32_t* o = type == kSetWindowOrg ? now.window : now.viewport;
      o[0] = signed32(r, 8);
      o[1] = signed32(r, 12);
    } else if (type == kSaveDc && saved.size() < 4096) {
      saved.push_back(now);
    } else if (type == kRestoreDc) {
      restoreDc(r, saved, now);
    }
    // One shift holds for the whole drawing only if the origins stay put
    // once drawing begins.
    if (drawn && !(now == before)) return std::nullopt;
    drawn = drawn || draws(type);
  }
  const int32_t dx = now.viewport[0] - now.window[0], dy = now.viewport[1] - now.window[1];
  if (dx == 0 && dy == 0) return std::nullopt;
  return std::make_pair(dx, dy);
}

std::string shiftedSvg(std::string_view svg, std::pair<int32_t, int32_t> by) {
  return withTree(svg, [&](xmlNode* root) {
    xmlNode* group = xmlNewNode(nullptr, BAD_CAST "g");
    setAttribute(group, "transform",
                 "translate(" + std::to_string(by.first) + " " + std::to_string(by.second) + ")");
    while (xmlNode* child = root->children) {
      xmlUnlinkNode(child);
      xmlAddChild(group, child);
    }
    xmlAddChild(root, group);
  });
}

std::string framedEmfSvg(std::string_view svg, std::string_view emf) {
  // Header: bounds (device units) at 8, frame (0.01 mm) at 24, the
  // device's size in pixels at 72 and in millimetres at 80.
  if (emf.size() < 88 || le32(emf, 0) != 1 || emf.substr(40, 4) != " EMF") return std::string(svg);
  auto at = [&](size_t offset) { return static_cast<double>(signed32(emf, offset)); };
  const double pixels[2] = {at(72), at(76)}, mm[2] = {at(80), at(84)};
  if (pixels[0] <= 0 || pixels[1] <= 0 || mm[0] <= 0 || mm[1] <= 0) return std::string(svg);
  const double perUnit[2] = {pixels[0] / (mm[0] * 100), pixels[1] / (mm[1] * 100)};
  const double x = at(24) * perUnit[0] - at(8), y = at(28) * perUnit[1] - at(12);
  const double w = (at(32) - at(24)) * perUnit[0], h = (at(36) - at(28)) * perUnit[1];
  const double boundsW = at(16) - at(8), boundsH = at(20) - at(12);
  if (!(w >= 1 && h >= 1 && w < 1e7 && h < 1e7 && std::abs(x) < 1e7 && std::abs(y) < 1e7))
    return std::string(svg);
  return withTree(svg, [&](xmlNode* root) {
    const auto near = [](const std::string& v, double want) {
      return std::abs(std::atof(v.c_str()) - want) < 1.5;
    };
    if (!near(attribute(root, "width"), boundsW) || !near(attribute(root, "height"), boundsH))
      return;
    setAttribute(root, "viewBox", number(x) + " " + number(y) + " " + number(w) + " " + number(h));
    setAttribute(root, "width", number(w));
    setAttribute(root, "height", number(h));
  });
}

std::string placeEmfText(std::string_view svg, const std::vector<EmfText>& records) {
  if (records.empty()) return std::string(svg);
  return withTree(svg, [&](xmlNode* root) {
    // Text elements follow the records in order; one the library added or
    // changed is passed over, and so are records it left out (a few: the
    // search stays linear however the two differ).
    constexpr size_t kLookAhead = 64;
    size_t next = 0;
    forEachElement(root, [&](xmlNode* n) {
      if (!named(n, "text")) return;
      const std::u16string drawn = content(n);
      for (size_t k = next; k < records.size() && k < next + kLookAhead; ++k) {
        if (!shows(drawn, records[k])) continue;
        placeCharacters(n, records[k]);
        next = k + 1;
        return;
      }
    });
  });
}

namespace {

// A translation matrix(1 0 0 1 E F): its E and F.
std::optional<std::pair<double, double>> translation(const std::string& transform) {
  const auto m = numbers(transform, "matrix(");
  if (!m || m->size() != 6) return std::nullopt;
  const auto& v = *m;
  if (std::abs(v[0] - 1) > 1e-6 || std::abs(v[1]) > 1e-6 || std::abs(v[2]) > 1e-6 ||
      std::abs(v[3] - 1) > 1e-6)
    return std::nullopt;
  return std::make_pair(v[4], v[5]);
}

// A bitmap placed twice: by its attributes and by a scaling matrix whose
// translation repeats them.
void placeBitmapOnce(xmlNode* image) {
  const auto m = numbers(attribute(image, "transform"), "matrix(");
  const auto x = numbers(attribute(image, "x")), y = numbers(attribute(image, "y"));
  if (!m || m->size() != 6 || !x || !y || x->size() != 1 || y->size() != 1) return;
  const auto& v = *m;
  if (std::abs(v[1]) > 1e-6 || std::abs(v[2]) > 1e-6 || std::abs(v[4] - x->front()) > 0.01 ||
      std::abs(v[5] - y->front()) > 0.01)
    return;
  xmlUnsetProp(image, BAD_CAST "transform");
  setAttribute(image, "preserveAspectRatio", "none");
}

// One character drawn by a translation from the origin, as libwmf writes
// the characters of a text with advances.
struct Glyph {
  xmlNode* node;
  double x, y;
  std::u16string text;
};

std::optional<Glyph> glyph(xmlNode* n) {
  if (!named(n, "text")) return std::nullopt;
  const auto at = translation(attribute(n, "transform"));
  const auto x = numbers(attribute(n, "x")), y = numbers(attribute(n, "y"));
  if (!at || !x || !y || x->size() != 1 || y->size() != 1 || x->front() != 0 || y->front() != 0)
    return std::nullopt;
  std::u16string text = content(n);
  if (text.size() != 1 || (text[0] >= 0xD800 && text[0] <= 0xDFFF)) return std::nullopt;
  return Glyph{n, at->first, at->second, text};
}

// Runs of glyphs that follow one another on one line in one style become
// the first of them, with a list of x positions; white space stays as it
// is.
void joinGlyphs(xmlNode* parent) {
  for (xmlNode* n = parent->children; n; n = n->next) {
    std::optional<Glyph> first = glyph(n);
    if (!first) continue;
    const std::string style = attribute(n, "style");
    std::vector<double> xs = {first->x};
    std::u16string text = first->text;
    for (xmlNode* next = n->next; next;) {
      if (next->type != XML_ELEMENT_NODE) {
        next = next->next;
        continue;
      }
      const std::optional<Glyph> g = glyph(next);
      if (!g || std::abs(g->y - first->y) > 0.01 || attribute(next, "style") != style) break;
      xs.push_back(g->x);
      text += g->text;
      xmlNode* gone = next;
      next = next->next;
      xmlUnlinkNode(gone);
      xmlFreeNode(gone);
    }
    xmlUnsetProp(n, BAD_CAST "transform");
    setAttribute(n, "x", list(xs));
    setAttribute(n, "y", number(first->y));
    setAttribute(n, "style", style + (style.empty() ? "" : "; ") + "white-space:pre");
    setContent(n, text);
  }
}

}  // namespace

std::string repairWmfSvg(std::string_view svg) {
  return withTree(svg, [](xmlNode* root) {
    joinGlyphs(root);
    forEachElement(root->children, [](xmlNode* n) {
      if (named(n, "image")) placeBitmapOnce(n);
      // A metafile's polyline is open and never filled; SVG fills one
      // black unless told (a diagram's connectors showed as wedges).
      if (named(n, "polyline") && attribute(n, "style").find("fill") == std::string::npos &&
          attribute(n, "fill").empty())
        setAttribute(n, "fill", "none");
      if (n->children) joinGlyphs(n);
    });
  });
}

}  // namespace word::write
