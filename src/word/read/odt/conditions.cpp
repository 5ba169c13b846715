// Conditions of hidden and conditional text over the document's user
// fields and variables: a small evaluator that answers only where the
// answer is clear, and leaves the rest to the word processor's saved result.
#include "word/read/odt/conditions.h"

#include <charconv>
#include <cmath>

#include "word/read/xml.h"

namespace word::read::odt::detail {
namespace {

// Longer conditions, or deeper nesting, are no author's: they are left
// to the saved result.
constexpr size_t kMaxCondition = 4096;
constexpr int kMaxNesting = 64;

using Value = Variables::Value;
using Maybe = std::optional<Value>;

Value number(double v) {
  return Value{false, v, {}};
}

// A value as a truth: a number is true where it is not 0; a string is
// not told.
std::optional<bool> truth(const Maybe& v) {
  if (!v || v->isText) return std::nullopt;
  return v->number != 0;
}

Maybe truthValue(std::optional<bool> b) {
  if (!b) return std::nullopt;
  return number(*b ? 1 : 0);
}

bool nameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '.' || static_cast<unsigned char>(c) >= 0x80;
}

// Equal but for the case of ASCII letters.
bool sameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const char x = a[i] >= 'a' && a[i] <= 'z' ? static_cast<char>(a[i] - 32) : a[i];
    const char y = b[i] >= 'a' && b[i] <= 'z' ? static_cast<char>(b[i] - 32) : b[i];
    if (x != y) return false;
  }
  return true;
}

// Recursive descent over the condition: or, and, not, comparisons, sums,
// signs and operands, from loosest to tightest. A part it cannot read
// fails the whole.
class Parser {
 public:
  Parser(std::string_view text, const Variables& vars) : s_(text), vars_(vars) {}

  std::optional<bool> whole() {
    Maybe v = either(0);
    skip();
    if (failed_ || at_ != s_.size()) return std::nullopt;
    return truth(v);
  }

 private:
  void skip() {
    while (at_ < s_.size() &&
           (s_[at_] == ' ' || s_[at_] == '\t' || s_[at_] == '\n' || s_[at_] == '\r'))
      ++at_;
  }
  // The next token if it is `word` (its letters in any case), taken.
  bool take(std::string_view word) {
    skip();
    if (s_.substr(at_, word.size()).size() != word.size()) return false;
    const bool letters = nameChar(word[0]);
    if (letters ? !sameLetters(s_.substr(at_, word.size()), word)
                : s_.substr(at_, word.size()) != word)
      return false;
    if (letters && at_ + word.size() < s_.size() && nameChar(s_[at_ + word.size()])) return false;
    at_ += word.size();
    return true;
  }
  Maybe fail() {
    failed_ = true;
    return std::nullopt;
  }

  Maybe either(int depth) {
    Maybe v = both(depth);
    for (;;) {
      if (take("||") || take("OR")) {
        std::optional<bool> a = truth(v), b = truth(both(depth));
        v = truthValue(a == true || b == true ? std::optional<bool>(true)
                       : a && b               ? std::optional<bool>(false)
                                              : std::nullopt);
      } else if (take("^") || take("XOR")) {
        std::optional<bool> a = truth(v), b = truth(both(depth));
        v = truthValue(a && b ? std::optional<bool>(*a != *b) : std::nullopt);
      } else {
        return v;
      }
    }
  }
  Maybe both(int depth) {
    Maybe v = negation(depth);
    while (take("&&") || take("AND")) {
      std::optional<bool> a = truth(v), b = truth(negation(depth));
      v = truthValue(a == false || b == false ? std::optional<bool>(false)
                     : a && b                 ? std::optional<bool>(true)
                                              : std::nullopt);
    }
    return v;
  }
  Maybe negation(int depth) {
    if (depth > kMaxNesting || take("!=")) return fail();
    if (take("!") || take("NOT")) {
      std::optional<bool> a = truth(negation(depth + 1));
      return truthValue(a ? std::optional<bool>(!*a) : std::nullopt);
    }
    return comparison(depth);
  }
  Maybe comparison(int depth);
  Maybe sum(int depth);
  Maybe operand(int depth);

  std::string_view s_;
  const Variables& vars_;
  size_t at_ = 0;
  bool failed_ = false;
};

Maybe Parser::comparison(int depth) {
  Maybe a = sum(depth);
  // Longer operators first, so that "<=" is not read as "<".
  static const struct {
    std::string_view op;
    int kind;  // 0 ==, 1 !=, 2 <, 3 >, 4 <=, 5 >=
  } kOps[] = {{"==", 0}, {"!=", 1},  {"<>", 1},  {"<=", 4},  {">=", 5}, {"<", 2}, {">", 3},
              {"EQ", 0}, {"NEQ", 1}, {"LEQ", 4}, {"GEQ", 5}, {"L", 2},  {"G", 3}};
  int kind = -1;
  for (const auto& o : kOps)
    if (take(o.op)) {
      kind = o.kind;
      break;
    }
  if (kind < 0) return a;
  Maybe b = sum(depth);
  if (!a || !b || a->isText != b->isText) return std::nullopt;
  // Strings compare as equal or not; their order, and whether case tells
  // them apart, are the word processor's collation's, not told here.
  if (a->isText) {
    const bool same = a->text == b->text;
    if (kind > 1 || (!same && sameLetters(a->text, b->text))) return std::nullopt;
    return number(same == (kind == 0) ? 1 : 0);
  }
  const double x = a->number, y = b->number;
  bool r = false;
  switch (kind) {
    case 0:
      r = x == y;
      break;
    case 1:
      r = x != y;
      break;
    case 2:
      r = x < y;
      break;
    case 3:
      r = x > y;
      break;
    case 4:
      r = x <= y;
      break;
    default:
      r = x >= y;
  }
  return number(r ? 1 : 0);
}

Maybe Parser::sum(int depth) {
  Maybe v = operand(depth);
  for (;;) {
    int sign = take("+") ? 1 : take("-") ? -1 : 0;
    if (!sign) return v;
    Maybe b = operand(depth);
    if (!v || !b || v->isText || b->isText) {
      v.reset();
      continue;
    }
    v = number(v->number + sign * b->number);
  }
}

Maybe Parser::operand(int depth) {
  if (depth > kMaxNesting) return fail();
  skip();
  if (at_ >= s_.size()) return fail();
  const char c = s_[at_];
  if (c == '(') {
    ++at_;
    Maybe v = either(depth + 1);
    return take(")") ? v : fail();
  }
  if (c == '-') {
    ++at_;
    Maybe v = operand(depth + 1);
    if (v && !v->isText) v->number = -v->number;
    return v && !v->isText ? v : std::nullopt;
  }
  if (c == '"') {
    const size_t end = s_.find('"', at_ + 1);
    if (end == std::string_view::npos) return fail();
    Value v{true, 0, std::string(s_.substr(at_ + 1, end - at_ - 1))};
    at_ = end + 1;
    return v;
  }
  if ((c >= '0' && c <= '9') || c == '.') {
    double d = 0;
    auto [end, ec] = std::from_chars(s_.data() + at_, s_.data() + s_.size(), d);
    if (ec != std::errc() || !std::isfinite(d)) return fail();
    at_ = static_cast<size_t>(end - s_.data());
    return number(d);
  }
  if (!nameChar(c)) return fail();
  size_t end = at_;
  while (end < s_.size() && nameChar(s_[end])) ++end;
  const std::string_view name = s_.substr(at_, end - at_);
  at_ = end;
  if (sameLetters(name, "TRUE")) return number(1);
  if (sameLetters(name, "FALSE")) return number(0);
  const Value* v = vars_.find(name);
  return v ? Maybe(*v) : std::nullopt;
}

}  // namespace

void Variables::assign(const pugi::xml_node& n, std::string_view name) {
  if (name.empty()) return;
  const std::string_view type = attrValue(n, "value-type");
  std::optional<Value> v;
  if (type == "string") {
    const pugi::xml_attribute s = attr(n, "string-value");
    v = Value{true, 0, s ? s.value() : n.text().get()};
  } else if (type == "boolean") {
    v = number(attrValue(n, "boolean-value") == "true" ? 1 : 0);
  } else if (type == "float" || type == "percentage" || type == "currency") {
    const std::string_view text = attrValue(n, "value");
    double d = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), d);
    if (!text.empty() && ec == std::errc() && end == text.data() + text.size() && std::isfinite(d))
      v = number(d);
  }
  // A date, a time or a value not read: conditions over it are not told.
  if (v)
    values_.insert_or_assign(std::string(name), std::move(*v));
  else if (auto it = values_.find(name); it != values_.end())
    values_.erase(it);
}

void Variables::declare(const pugi::xml_node& decls) {
  for (pugi::xml_node d = decls.first_child(); d; d = d.next_sibling())
    if (is(d, "user-field-decl")) assign(d, attrValue(d, "name"));
}

void Variables::set(const pugi::xml_node& field) {
  assign(field, attrValue(field, "name"));
}

const Variables::Value* Variables::find(std::string_view name) const {
  auto it = values_.find(name);
  return it == values_.end() ? nullptr : &it->second;
}

std::optional<bool> Variables::holds(std::string_view condition) const {
  // The formula's namespace prefix ("ooow:") is no part of it.
  const size_t colon = condition.find(':');
  if (colon != std::string_view::npos &&
      condition.substr(0, colon).find_first_of(" =<>!\"'()") == std::string_view::npos)
    condition.remove_prefix(colon + 1);
  if (condition.size() > kMaxCondition) return std::nullopt;
  return Parser(condition, *this).whole();
}

std::optional<bool> Variables::hides(const pugi::xml_node& field) const {
  if (std::optional<bool> h = holds(attrValue(field, "condition"))) return h;
  const std::string_view cached = attrValue(field, "is-hidden");
  if (cached == "true") return true;
  if (cached == "false") return false;
  return std::nullopt;
}

}  // namespace word::read::odt::detail
