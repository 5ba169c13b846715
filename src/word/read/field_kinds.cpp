#include "word/read/field_kinds.h"

#include <array>
#include <utility>
#include <vector>

#include "support/codepage.h"
#include "support/strings.h"
#include "word/links.h"
#include "word/model.h"

namespace word::read {
namespace {

// Fields the word processor draws from their code, in the author's terms.
constexpr std::array<std::pair<std::string_view, std::string_view>, 6> kDrawn = {{
    {"EQ", "an equation made with an EQ field"},
    {"FORMDROPDOWN", "a drop-down list (a form field)"},
    {"MACROBUTTON", "a button (a MACROBUTTON field)"},
    {"GOTOBUTTON", "a button (a GOTOBUTTON field)"},
    {"SYMBOL", "a symbol (a SYMBOL field)"},
    {"LISTNUM", "a list number (a LISTNUM field)"},
}};

}  // namespace

std::string fieldType(std::string_view code) {
  size_t a = 0;
  while (a < code.size() && static_cast<unsigned char>(code[a]) <= ' ') ++a;
  size_t b = a;
  while (b < code.size() && static_cast<unsigned char>(code[b]) > ' ' && code[b] != '\\') ++b;
  return support::upperAscii(code.substr(a, b - a));
}

std::u16string checkBoxShown(bool checked) {
  return checked ? u"\u2612" : u"\u2610";
}

std::optional<std::string> resultlessFieldLoss(std::string_view code) {
  const std::string type = fieldType(code);
  for (const auto& [name, loss] : kDrawn)
    if (type == name) return std::string(loss);
  return std::nullopt;
}

std::u16string linkTitle(std::string_view utf8) {
  // Four bytes at most a letter: the cut before converting bounds the work.
  return std::u16string(support::wholeCharacters(
      support::fromUtf8(utf8.substr(0, 4 * kMaxLinkTitle)), kMaxLinkTitle));
}

// Words of the code, a quoted string one word; backslashes doubled in a
// quoted path are one.
Link hyperlinkField(std::u16string_view code) {
  std::vector<std::u16string> tokens;
  size_t i = 0;
  while (i < code.size() && tokens.size() < 32) {
    while (i < code.size() && (code[i] == u' ' || code[i] < 0x20 || code[i] == 0xA0)) ++i;
    if (i >= code.size()) break;
    std::u16string t;
    if (code[i] == u'"') {
      ++i;
      while (i < code.size() && code[i] != u'"') t.push_back(code[i++]);
      ++i;
    } else {
      while (i < code.size() && code[i] != u' ' && code[i] >= 0x20) t.push_back(code[i++]);
    }
    tokens.push_back(std::move(t));
  }
  if (tokens.empty() || support::upperAscii(tokens[0]) != u"HYPERLINK") return {};
  std::u16string url, location;
  Link link;
  for (size_t k = 1; k < tokens.size(); ++k) {
    const std::u16string& t = tokens[k];
    if (t.size() == 2 && t[0] == u'\\') {
      char16_t sw = t[1] | 0x20;
      if ((sw == u'l' || sw == u'o' || sw == u't') && k + 1 < tokens.size()) {
        if (sw == u'l') location = tokens[k + 1];
        if (sw == u'o') link.title = support::wholeCharacters(tokens[k + 1], kMaxLinkTitle);
        ++k;
      }
      continue;
    }
    if (url.empty()) url = t;
  }
  // Backslashes in quoted paths are doubled in field codes.
  std::u16string clean;
  for (size_t k = 0; k < url.size(); ++k) {
    if (url[k] == u'\\' && k + 1 < url.size() && url[k + 1] == u'\\') ++k;
    clean.push_back(url[k]);
  }
  if (!location.empty()) clean += u"#" + location;
  if (!safeLinkTarget(clean)) return {};
  link.target = std::move(clean);
  return link;
}

}  // namespace word::read
