#pragma once
// Helpers over pugixml for WordprocessingML, beside the ones all XML
// readers share (word/read/xml.h).
#include <pugixml.hpp>
#include <string_view>

#include "word/read/xml.h"

namespace word::read::docx {

// A relationship reference (r:id, r:embed, r:link): an attribute of that
// local name that is not in the WordprocessingML vocabulary (w:id is a
// different thing on the same elements).
inline std::string_view relAttr(const pugi::xml_node& n, std::string_view local) {
  for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
    std::string_view name = a.name();
    if (localName(a.name()) != local) continue;
    if (name.size() > local.size() && name.substr(0, 2) != "w:") return a.value();
  }
  return {};
}

inline std::string_view val(const pugi::xml_node& n, std::string_view local = "val") {
  return attrValue(n, local);
}

// A style's id, where it is defined and where it is named, cut to 256
// characters: ids are looked up for every run, and one of a megabyte made
// every lookup a megabyte's comparison.
inline std::string styleId(const pugi::xml_node& n, std::string_view local = "val") {
  return std::string(val(n, local).substr(0, 256));
}

inline std::optional<int64_t> intAttr(const pugi::xml_node& n, std::string_view local = "val") {
  return read::intAttr(n, local);
}

// An on/off property: present without a value means on.
inline bool onOff(const pugi::xml_node& n) {
  pugi::xml_attribute a = attr(n, "val");
  if (!a) return true;
  std::string_view v = a.value();
  return !(v == "0" || v == "false" || v == "off" || v == "none");
}

}  // namespace word::read::docx
