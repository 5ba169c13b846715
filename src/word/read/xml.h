#pragma once
// Small helpers over pugixml for the readers of XML formats, and the caps
// they share on bad input. Elements and attributes are matched by local
// name: producers differ in their prefixes, and the element's place in the
// tree already tells which vocabulary it belongs to.
#include <cstdint>
#include <cstring>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace word::read {

// Deeper XML than this is not walked: real documents stay far below it,
// and the walks are recursive.
constexpr int kMaxDepth = 256;
// Tables nested deeper than this are read as plain paragraphs.
constexpr int kMaxTableDepth = 16;
// Real documents keep a handful of bookmarks open at a time; thousands
// open at once would make every end a long search.
constexpr size_t kMaxOpenBookmarks = 256;

inline std::string_view localName(const char* qname) {
  const char* colon = std::strrchr(qname, ':');
  return colon ? std::string_view(colon + 1) : std::string_view(qname);
}

inline bool is(const pugi::xml_node& n, std::string_view local) {
  return n.type() == pugi::node_element && localName(n.name()) == local;
}

inline pugi::xml_node child(const pugi::xml_node& n, std::string_view local) {
  for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling())
    if (is(c, local)) return c;
  return {};
}

inline pugi::xml_attribute attr(const pugi::xml_node& n, std::string_view local) {
  for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
    std::string_view name = a.name();
    if (name.substr(0, 6) == "xmlns:" || name == "xmlns") continue;
    if (localName(a.name()) == local) return a;
  }
  return {};
}

// The attribute's value; empty when it is absent.
inline std::string_view attrValue(const pugi::xml_node& n, std::string_view local) {
  pugi::xml_attribute a = attr(n, local);
  return a ? std::string_view(a.value()) : std::string_view();
}

inline std::optional<int64_t> number(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  bool neg = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) neg = s[i++] == '-';
  if (i >= s.size() || s[i] < '0' || s[i] > '9') return std::nullopt;
  int64_t v = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    if (v < (int64_t{1} << 40)) v = v * 10 + (s[i] - '0');
  }
  // Decimal fractions ("720.5") appear in some producers' twips; drop them.
  return neg ? -v : v;
}

inline std::optional<int64_t> intAttr(const pugi::xml_node& n, std::string_view local) {
  pugi::xml_attribute a = attr(n, local);
  if (!a) return std::nullopt;
  return number(a.value());
}

inline int32_t clampInt(int64_t v, int32_t lo, int32_t hi) {
  return v < lo ? lo : v > hi ? hi : static_cast<int32_t>(v);
}

// A hexadecimal digit's value; -1 for any other character.
inline int hexDigit(char c) {
  return c >= '0' && c <= '9'   ? c - '0'
         : c >= 'a' && c <= 'f' ? c - 'a' + 10
         : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                : -1;
}

// A colour "RRGGBB"; nullopt for "auto" or anything unreadable.
inline std::optional<uint32_t> hexColor(std::string_view s) {
  if (s.size() != 6) return std::nullopt;
  uint32_t v = 0;
  for (char c : s) {
    int d = hexDigit(c);
    if (d < 0) return std::nullopt;
    v = v * 16 + static_cast<uint32_t>(d);
  }
  return v;
}

// Parses a part in place; a document type declaration is skipped and never
// expanded. `keepSpaces` keeps text nodes of white space alone (a blank
// between two spans is text); otherwise only a node's single such text is.
inline bool parse(pugi::xml_document& doc, std::string& bytes, std::string* error = nullptr,
                  bool keepSpaces = false) {
  unsigned options =
      pugi::parse_default | (keepSpaces ? pugi::parse_ws_pcdata : pugi::parse_ws_pcdata_single);
  pugi::xml_parse_result r =
      doc.load_buffer_inplace(bytes.data(), bytes.size(), options, pugi::encoding_auto);
  if (!r && error) *error = std::string(r.description()) + " at byte " + std::to_string(r.offset);
  return static_cast<bool>(r);
}

// The XML elements of all parts of one document. A parsed element costs
// far more memory than its few bytes of XML (and a paragraph in the model
// more again), so the inflated-size caps alone would let a small file take
// gigabytes. The cap is some twenty times a 700-page document.
class ElementBudget {
 public:
  static constexpr size_t kMaxElements = 4'000'000;
  // Counts the tags of part `name`; throws word::Error (kCannotOpen) once
  // the document's parts together pass the cap.
  void charge(std::string_view bytes, const std::string& name);

 private:
  size_t used_ = 0;
};

}  // namespace word::read
