#include "package/manifest_names.h"

#include <cstring>
#include <pugixml.hpp>
#include <utility>
#include <vector>

#include "package/manifest_xml.h"
#include "support/codepage.h"
#include "support/strings.h"

namespace package {
namespace {

// The encoding the XML declaration names; "" when there is none or a
// byte order mark says what the bytes are.
std::string declaredEncoding(std::string_view b) {
  if (!b.starts_with("<?xml")) return "";
  const std::string_view decl = b.substr(0, b.find("?>"));
  const size_t name = decl.find("encoding");
  const size_t open =
      decl.find_first_of("'\"", name == std::string_view::npos ? decl.size() : name);
  if (open == std::string_view::npos) return "";
  const size_t close = decl.find(decl[open], open + 1);
  if (close == std::string_view::npos) return "";
  return std::string(decl.substr(open + 1, close - open - 1));
}

// pugixml knows no namespaces: the declarations in scope are kept here,
// innermost last, as (prefix, namespace) pairs.
using Bound = std::vector<std::pair<std::string_view, std::string_view>>;

void bind(pugi::xml_node e, Bound& bound) {
  for (pugi::xml_attribute a : e.attributes()) {
    const std::string_view name = a.name();
    if (name == "xmlns")
      bound.emplace_back("", a.value());
    else if (name.starts_with("xmlns:"))
      bound.emplace_back(name.substr(6), a.value());
  }
}

// An element of a content packaging namespace (1.1.4 or 1.1.2) with this
// local name, as isCp tells it of libxml2's nodes.
bool isCp(pugi::xml_node e, const Bound& bound, std::string_view local) {
  const std::string_view name = e.name();
  const size_t colon = name.find(':');
  const std::string_view prefix = colon == std::string_view::npos ? "" : name.substr(0, colon);
  if (name.substr(colon == std::string_view::npos ? 0 : colon + 1) != local) return false;
  for (auto b = bound.rbegin(); b != bound.rend(); ++b)
    if (b->first == prefix) return b->second == kCpNs || b->second == kCp112Ns;
  return false;
}

std::string_view localName(pugi::xml_node e) {
  const std::string_view name = e.name();
  return name.substr(name.find(':') + 1);  // npos + 1 is 0
}

// Every text below `n`, in document order, as libxml2 gives an element's
// content; walked without recursion, however deep the elements nest.
std::string content(pugi::xml_node n) {
  std::string out;
  for (pugi::xml_node c = n.first_child(); c;) {
    if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata) out += c.value();
    if (c.first_child()) {
      c = c.first_child();
      continue;
    }
    while (c != n && !c.next_sibling()) c = c.parent();
    c = c == n ? pugi::xml_node() : c.next_sibling();
  }
  return out;
}

// The first langstring below `n` that says something (its LOM title).
std::string firstLangstring(pugi::xml_node n, int depth) {
  for (pugi::xml_node c = n.first_child(); c && depth < 16; c = c.next_sibling()) {
    if (c.type() != pugi::node_element) continue;
    if (localName(c) == "langstring") return content(c);
    if (std::string s = firstLangstring(c, depth + 1); !s.empty()) return s;
  }
  return "";
}

struct Walk {
  Bound bound;
  ManifestNames out;

  void title(pugi::xml_node manifest) {
    const size_t mark = bound.size();
    bind(manifest, bound);
    for (pugi::xml_node c = manifest.first_child(); c; c = c.next_sibling()) {
      if (c.type() != pugi::node_element) continue;
      const size_t inner = bound.size();
      bind(c, bound);
      const bool metadata = isCp(c, bound, "metadata");
      bound.resize(inner);
      if (metadata) {
        out.title = support::trimWhiteSpace(firstLangstring(c, 0));
        break;
      }
    }
    bound.resize(mark);
  }

  void files(pugi::xml_node n, const std::string& base, int depth) {
    for (pugi::xml_node c = n.first_child(); c && depth < 256; c = c.next_sibling()) {
      if (c.type() != pugi::node_element) continue;
      const size_t mark = bound.size();
      bind(c, bound);
      const std::string here = base + withSlash(c.attribute("xml:base").value());
      const pugi::xml_attribute href = c.attribute("href");
      std::string path;
      if (href && (isCp(c, bound, "resource") || isCp(c, bound, "file")) &&
          resolve(here, href.value(), path) == Where::Inside && !path.empty())
        out.files.insert(std::move(path));
      files(c, here, depth + 1);
      bound.resize(mark);
    }
  }
};

}  // namespace

std::optional<ManifestNames> manifestNames(std::string_view bytes) {
  const std::string encoding = declaredEncoding(bytes);
  std::optional<std::string> decoded;
  if (!encoding.empty() && support::lowerAscii(encoding) != "utf-8") {
    decoded = support::toUtf8From(bytes, encoding.c_str());
    if (!decoded) return std::nullopt;
    bytes = *decoded;
  }
  // Blanks between elements kept: libxml2 counts them in an element's text.
  pugi::xml_document doc;
  const unsigned options = pugi::parse_default | pugi::parse_ws_pcdata;
  if (!doc.load_buffer(bytes.data(), bytes.size(), options,
                       decoded ? pugi::encoding_utf8 : pugi::encoding_auto))
    return std::nullopt;
  const pugi::xml_node root = doc.document_element();
  if (!root) return std::nullopt;
  Walk walk;
  walk.title(root);
  walk.files(doc, "", 0);
  return std::move(walk.out);
}

}  // namespace package
