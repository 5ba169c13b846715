#include "word/read/field_kinds.h"

#include <array>
#include <utility>

#include "support/strings.h"

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

}  // namespace word::read
