// The allow-list of svg_allow.h, over libxml2's tree of the SVG: an element
// not on the list goes with all it holds, an attribute not on the list
// goes, and what is kept is checked for references.
#include "word/write/pictures/svg_allow.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>

namespace word::write {
namespace {

using namespace std::string_view_literals;

constexpr std::string_view kSvgNs = "http://www.w3.org/2000/svg";
constexpr std::string_view kXlinkNs = "http://www.w3.org/1999/xlink";

// What the metafile libraries write, and what a drawing of that kind may
// still want (gradients, masks, spans of text).
constexpr auto kElements = std::to_array<std::string_view>(
    {"svg",  "g",     "defs",   "clipPath",       "mask",           "pattern",  "use",
     "path", "rect",  "circle", "ellipse",        "line",           "polyline", "polygon",
     "text", "tspan", "image",  "linearGradient", "radialGradient", "stop"});

// Geometry, text positioning and the presentation attributes. None of them
// can name a file but through url(), which is checked.
constexpr auto kAttributes = std::to_array<std::string_view>({"id",
                                                              "x",
                                                              "y",
                                                              "dx",
                                                              "dy",
                                                              "rotate",
                                                              "textLength",
                                                              "lengthAdjust",
                                                              "width",
                                                              "height",
                                                              "rx",
                                                              "ry",
                                                              "cx",
                                                              "cy",
                                                              "r",
                                                              "fx",
                                                              "fy",
                                                              "x1",
                                                              "y1",
                                                              "x2",
                                                              "y2",
                                                              "points",
                                                              "d",
                                                              "transform",
                                                              "viewBox",
                                                              "preserveAspectRatio",
                                                              "version",
                                                              "style",
                                                              "offset",
                                                              "patternUnits",
                                                              "patternContentUnits",
                                                              "patternTransform",
                                                              "clipPathUnits",
                                                              "maskUnits",
                                                              "maskContentUnits",
                                                              "gradientUnits",
                                                              "gradientTransform",
                                                              "spreadMethod"});

// Presentation attributes, which the style attribute may also set.
constexpr auto kPresentation = std::to_array<std::string_view>({"fill",
                                                                "fill-opacity",
                                                                "fill-rule",
                                                                "stroke",
                                                                "stroke-width",
                                                                "stroke-linecap",
                                                                "stroke-linejoin",
                                                                "stroke-miterlimit",
                                                                "stroke-dasharray",
                                                                "stroke-dashoffset",
                                                                "stroke-opacity",
                                                                "opacity",
                                                                "clip-path",
                                                                "clip-rule",
                                                                "mask",
                                                                "color",
                                                                "display",
                                                                "visibility",
                                                                "font-family",
                                                                "font-size",
                                                                "font-style",
                                                                "font-weight",
                                                                "font-variant",
                                                                "font-stretch",
                                                                "text-anchor",
                                                                "text-decoration",
                                                                "writing-mode",
                                                                "letter-spacing",
                                                                "word-spacing",
                                                                "dominant-baseline",
                                                                "alignment-baseline",
                                                                "baseline-shift",
                                                                "direction",
                                                                "stop-color",
                                                                "stop-opacity",
                                                                "shape-rendering",
                                                                "text-rendering",
                                                                "image-rendering"});

template <size_t N>
bool listed(const std::array<std::string_view, N>& list, std::string_view name) {
  return std::find(list.begin(), list.end(), name) != list.end();
}

std::string_view view(const xmlChar* s) {
  return s ? std::string_view(reinterpret_cast<const char*>(s)) : std::string_view();
}

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

// Every url() in the value names a part of this file ("#id").
bool localUrlsOnly(std::string_view value) {
  const std::string v = lower(value);
  for (size_t at = v.find("url("); at != std::string::npos; at = v.find("url(", at + 4)) {
    size_t i = at + 4;
    while (i < v.size() &&
           (std::isspace(static_cast<unsigned char>(v[i])) || v[i] == '"' || v[i] == '\''))
      ++i;
    if (i >= v.size() || v[i] != '#') return false;
  }
  return true;
}

// A CSS value of a kept property: colours, lengths, names, local url()s.
// Escapes, at-rules and other functions are how CSS is made to fetch.
bool plainCssValue(std::string_view value) {
  if (value.find_first_of("\\@<>{}") != std::string_view::npos) return false;
  for (size_t open = value.find('('); open != std::string_view::npos;
       open = value.find('(', open + 1)) {
    size_t start = open;
    while (start > 0 &&
           (std::isalpha(static_cast<unsigned char>(value[start - 1])) || value[start - 1] == '-'))
      --start;
    const std::string name = lower(value.substr(start, open - start));
    if (name != "url" && name != "rgb" && name != "rgba" && name != "hsl" && name != "hsla")
      return false;
  }
  return localUrlsOnly(value);
}

// The style attribute with only the declarations of presentation
// properties whose values are plain.
std::string allowedStyle(std::string_view style) {
  std::string out;
  size_t at = 0;
  while (at <= style.size()) {
    size_t end = style.find(';', at);
    if (end == std::string_view::npos) end = style.size();
    const std::string_view declaration = style.substr(at, end - at);
    at = end + 1;
    const size_t colon = declaration.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string property = lower(trimmed(declaration.substr(0, colon)));
    const std::string_view value = trimmed(declaration.substr(colon + 1));
    if ((!listed(kPresentation, property) && property != "white-space") || !plainCssValue(value))
      continue;
    if (!out.empty()) out += "; ";
    out += property + ":" + std::string(value);
  }
  return out;
}

std::string_view namespaceOf(const xmlNode* n) {
  return n->ns ? view(n->ns->href) : std::string_view();
}

// An attribute's value when it is plain text (an entity of the file's own
// DTD is not followed: the DTD does not stay).
std::optional<std::string> textOf(const xmlAttr* a) {
  std::string value;
  for (const xmlNode* c = a->children; c; c = c->next) {
    if (c->type != XML_TEXT_NODE) return std::nullopt;
    value += view(c->content);
  }
  return value;
}

// The href an <image> or <use> may have: a PNG or JPEG of its own (the
// libraries' "image/jpg" named as browsers know it), or a part of this
// file. Nothing when the element must go.
std::optional<std::string> allowedHref(std::string_view element, std::string_view href) {
  const std::string_view v = trimmed(href);
  if (element == "use") {
    if (v.size() > 1 && v[0] == '#' && v.find_first_of(":/()") == std::string_view::npos)
      return std::string(v);
    return std::nullopt;
  }
  const std::string start = lower(v.substr(0, 16));
  if (start.starts_with("data:image/png;") || start.starts_with("data:image/jpeg;"))
    return std::string(v);
  if (start.starts_with("data:image/jpg;")) return "data:image/jpeg;" + std::string(v.substr(15));
  return std::nullopt;
}

// The value as one text node: written escaped, never read as markup.
void setValue(xmlAttr* a, const std::string& value) {
  xmlFreeNodeList(a->children);
  xmlNode* text = xmlNewDocText(a->doc, BAD_CAST value.c_str());
  a->children = a->last = text;
  if (!text) return;
  text->parent = reinterpret_cast<xmlNode*>(a);
}

// Keeps the element's allowed attributes; false when the element itself
// must go (an <image> or <use> without an allowed href).
bool keepAttributes(xmlNode* e) {
  const std::string_view element = view(e->name);
  const bool linking = element == "image" || element == "use";
  bool hasHref = false;
  for (xmlAttr* a = e->properties; a;) {
    xmlAttr* next = a->next;
    const std::string_view name = view(a->name);
    const std::string_view ns = a->ns ? view(a->ns->href) : std::string_view();
    std::optional<std::string> value = textOf(a);
    bool keep = false;
    // The WMF player writes xlink:href without declaring the prefix: the
    // name then keeps it (fitSvg declares it).
    const bool href =
        name == "href" ? ns.empty() || ns == kXlinkNs : ns.empty() && name == "xlink:href";
    if (value && href && linking) {
      value = allowedHref(element, *value);
      keep = hasHref = value.has_value();
    } else if (value && ns.empty() && name == "style") {
      value = allowedStyle(*value);
      keep = !value->empty();
    } else if (value && ns.empty()) {
      keep = (listed(kAttributes, name) || listed(kPresentation, name)) && localUrlsOnly(*value);
    } else if (value && a->ns && xmlStrEqual(a->ns->href, XML_XML_NAMESPACE)) {
      keep = name == "space";
    }
    if (keep)
      setValue(a, *value);
    else
      xmlRemoveProp(a);
    a = next;
  }
  return !linking || hasHref;
}

// Namespace declarations other than SVG's and XLink's say nothing a
// browser draws.
void pruneNamespaces(xmlNode* e) {
  for (xmlNs** link = &e->nsDef; *link;) {
    const std::string_view href = view((*link)->href);
    if (href == kSvgNs || href == kXlinkNs) {
      link = &(*link)->next;
      continue;
    }
    xmlNs* gone = *link;
    *link = gone->next;
    gone->next = nullptr;
    xmlFreeNs(gone);
  }
}

void drop(xmlNode* n) {
  xmlUnlinkNode(n);
  xmlFreeNode(n);
}

bool allowedElement(const xmlNode* e) {
  const std::string_view ns = namespaceOf(e);
  return (ns.empty() || ns == kSvgNs) && listed(kElements, view(e->name));
}

// libxml2 keeps a tree no deeper than 256 levels unless asked: the
// recursion is bounded.
void keepAllowedChildren(xmlNode* parent) {
  for (xmlNode* n = parent->children; n;) {
    xmlNode* next = n->next;
    if (n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE) {
      // Text, escaped when written.
    } else if (n->type == XML_ELEMENT_NODE && allowedElement(n) && keepAttributes(n)) {
      keepAllowedChildren(n);
      pruneNamespaces(n);
    } else {
      drop(n);  // comments, instructions, entities, elements not allowed
    }
    n = next;
  }
}

}  // namespace

std::optional<std::string> allowedSvg(std::string_view svg) {
  if (svg.size() > static_cast<size_t>(INT32_MAX)) return std::nullopt;
  xmlDocPtr doc =
      xmlReadMemory(svg.data(), static_cast<int>(svg.size()), "picture.svg", "UTF-8",
                    XML_PARSE_RECOVER | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (!doc) return std::nullopt;
  std::optional<std::string> out;
  xmlNode* root = xmlDocGetRootElement(doc);
  if (root && xmlStrEqual(root->name, BAD_CAST "svg") && allowedElement(root) &&
      keepAttributes(root)) {
    keepAllowedChildren(root);
    pruneNamespaces(root);
    // Beside the root only the DTD, comments and processing instructions
    // (a stylesheet's) stand: none stays.
    for (xmlNode* n = doc->children; n;) {
      xmlNode* next = n->next;
      if (n != root) drop(n);
      n = next;
    }
    xmlChar* text = nullptr;
    int size = 0;
    xmlDocDumpMemoryEnc(doc, &text, &size, "UTF-8");
    if (text && size > 0)
      out.emplace(reinterpret_cast<const char*>(text), static_cast<size_t>(size));
    xmlFree(text);
  }
  xmlFreeDoc(doc);
  return out;
}

}  // namespace word::write
