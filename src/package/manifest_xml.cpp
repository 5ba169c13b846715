#include "package/manifest_xml.h"

#include <libxml/parser.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "support/strings.h"

namespace package {

XmlDoc readXml(std::string_view bytes, const char* name) {
  return XmlDoc(xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), name, nullptr,
                              XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
}

std::optional<std::string> docTypeFault(xmlDocPtr doc, const char* name) {
  if (!doc->intSubset && !doc->extSubset) return std::nullopt;
  return std::string(name) +
         " declares a document type (<!DOCTYPE>), which LMSs refuse or read without its "
         "entities: write it without one";
}

std::optional<std::string> encodingFault(std::string_view bytes, xmlDocPtr doc,
                                         const char* name) {
  const char* mark = bytes.starts_with("\xEF\xBB\xBF")                                 ? "UTF-8"
                     : bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF") ? "UTF-16"
                                                                                      : nullptr;
  if (!mark || !doc->encoding) return std::nullopt;
  std::string declared = support::lowerAscii(reinterpret_cast<const char*>(doc->encoding));
  std::erase(declared, '-');
  if (declared.starts_with(mark[4] == '8' ? "utf8" : "utf16")) return std::nullopt;
  return std::string(name) + " begins with a " + mark + " byte order mark but declares the " +
         "encoding " + reinterpret_cast<const char*>(doc->encoding) +
         ": LMSs' parsers refuse it or read it as the other";
}

bool elementsBeyond(xmlNodePtr root, size_t limit) {
  size_t count = 0;
  for (xmlNodePtr n = root; n;) {
    if (n->type == XML_ELEMENT_NODE && ++count > limit) return true;
    if (n->children && n->type == XML_ELEMENT_NODE) {
      n = n->children;
      continue;
    }
    while (n && n != root && !n->next) n = n->parent;
    if (!n || n == root) break;
    n = n->next;
  }
  return false;
}

bool isCp(xmlNodePtr n, const char* name) {
  if (n->type != XML_ELEMENT_NODE || !n->ns || !n->ns->href) return false;
  const char* ns = reinterpret_cast<const char*>(n->ns->href);
  return (std::strcmp(ns, kCpNs) == 0 || std::strcmp(ns, kCp112Ns) == 0) &&
         std::strcmp(reinterpret_cast<const char*>(n->name), name) == 0;
}

bool attr(xmlNodePtr n, const char* name, std::string& out) {
  xmlChar* v = xmlGetNoNsProp(n, BAD_CAST name);
  if (!v) return false;
  out = reinterpret_cast<const char*>(v);
  xmlFree(v);
  return true;
}

namespace {

std::string content(xmlNodePtr n) {
  xmlChar* t = xmlNodeGetContent(n);
  std::string s = t ? reinterpret_cast<const char*>(t) : "";
  xmlFree(t);
  return s;
}

}  // namespace

std::string text(xmlNodePtr n) {
  return support::trimWhiteSpace(content(n));
}

bool plainDecimalUpTo(const std::string& s, double most) {
  if (s.empty() || s.size() > 12 || s.find_first_not_of("0123456789.") != std::string::npos ||
      s.front() == '.' || s.find('.') != s.rfind('.'))
    return false;
  return std::stod(s) <= most;
}

namespace {

// The first langstring of the manifest's own metadata (its LOM title).
std::string firstLangstring(xmlNodePtr n, int depth) {
  for (xmlNodePtr c = n; c && depth < 16; c = c->next) {
    if (c->type != XML_ELEMENT_NODE) continue;
    if (xmlStrEqual(c->name, BAD_CAST "langstring")) return content(c);
    if (std::string s = firstLangstring(c->children, depth + 1); !s.empty()) return s;
  }
  return "";
}

}  // namespace

std::string courseTitle(xmlNodePtr manifest) {
  for (xmlNodePtr c = manifest ? manifest->children : nullptr; c; c = c->next)
    if (isCp(c, "metadata")) return support::trimWhiteSpace(firstLangstring(c->children, 0));
  return "";
}

std::string xmlBase(xmlNodePtr n) {
  xmlChar* v = xmlGetNsProp(n, BAD_CAST "base", XML_XML_NAMESPACE);
  if (!v) return "";
  std::string s = reinterpret_cast<const char*>(v);
  xmlFree(v);
  return s;
}

namespace {

std::string percentDecode(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
      out.push_back(static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16)));
      i += 2;
    } else {
      out.push_back(s[i]);
    }
  }
  return out;
}

}  // namespace

bool runsScript(const std::string& href) {
  // Browsers drop tabs and line ends anywhere in an address.
  std::string h = support::trimWhiteSpace(href);
  std::erase_if(h, [](char c) { return c == '\t' || c == '\n' || c == '\r'; });
  const size_t colon = h.find(':');
  if (colon == std::string::npos) return false;
  const std::string scheme = support::lowerAscii(std::string_view(h).substr(0, colon));
  return scheme == "javascript" || scheme == "vbscript" || scheme == "data";
}

bool isWebAddress(const std::string& href) {
  const size_t colon = href.find(':');
  if (colon == std::string::npos) return false;
  const std::string scheme = support::lowerAscii(std::string_view(href).substr(0, colon));
  return scheme == "http" || scheme == "https";
}

Where resolve(const std::string& base, const std::string& href, std::string& out) {
  std::string h = support::trimWhiteSpace(href);
  h = h.substr(0, h.find_first_of("?#"));
  std::string whole = base + h;
  auto colon = whole.find(':');
  if (colon != std::string::npos && colon > 0 && whole.find('/') > colon &&
      std::isalpha(static_cast<unsigned char>(whole[0])))
    return Where::External;
  if (!whole.empty() && whole[0] == '/') return Where::Outside;
  std::vector<std::string> parts;
  std::string part;
  const std::string decoded = percentDecode(whole);
  if (std::any_of(decoded.begin(), decoded.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '\\';
      }))
    return Where::Unnamable;
  std::istringstream ss(decoded);
  while (std::getline(ss, part, '/')) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (parts.empty()) return Where::Outside;
      parts.pop_back();
    } else {
      parts.push_back(part);
    }
  }
  out.clear();
  for (const std::string& p : parts) out += (out.empty() ? "" : "/") + p;
  return Where::Inside;
}

std::string withSlash(std::string base) {
  if (!base.empty() && base.back() != '/') base += '/';
  return base;
}

}  // namespace package
