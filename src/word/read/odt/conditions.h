#pragma once
// The document's user fields and variables, and the conditions that hide
// text, paragraphs and sections or pick a conditional text's string,
// evaluated over them as the word processor does where that is clear.
#include <functional>
#include <map>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace word::read::odt::detail {

class Variables {
 public:
  // A value a condition compares: a number, or a string.
  struct Value {
    bool isText = false;
    double number = 0;
    std::string text;
  };

  // text:user-field-decls: each user field's value.
  void declare(const pugi::xml_node& decls);
  // A field that sets a variable (text:variable-set, text:variable-input):
  // its value from there on.
  void set(const pugi::xml_node& field);
  // Whether `condition` holds, where it can be told: numbers, strings in
  // double quotes, TRUE and FALSE and the names set above, compared,
  // added, and joined by and, or, xor and not. Nothing for anything else
  // (a name not set, a table's cell, a function), which the word
  // processor's saved result then decides.
  std::optional<bool> holds(std::string_view condition) const;
  // Whether a hidden-text or hidden-paragraph field hides: its condition
  // where it can be told, else the result the word processor saved.
  std::optional<bool> hides(const pugi::xml_node& field) const;

  const Value* find(std::string_view name) const;

 private:
  void assign(const pugi::xml_node& n, std::string_view name);
  std::map<std::string, Value, std::less<>> values_;
};

}  // namespace word::read::odt::detail
