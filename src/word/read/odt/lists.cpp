#include "word/read/odt/lists.h"

#include <algorithm>

#include "support/strings.h"
#include "word/read/list_labels.h"
#include "word/read/xml.h"

namespace word::read::odt {
namespace {

// "a".."z", "aa", "ab", ...: letters counting on like digits.
std::u16string alphabetic(int64_t n, bool upper) {
  if (n <= 0) return support::number(n);
  std::u16string out;
  while (n > 0) {
    --n;
    out += static_cast<char16_t>((upper ? u'A' : u'a') + n % 26);
    n /= 26;
  }
  std::reverse(out.begin(), out.end());
  return out;
}

std::u16string formatNumber(int64_t n, const Lists::Level& l) {
  const std::string& f = l.format;
  if (l.bullet) return support::number(n);  // a bulleted level named in a number
  if (f.empty()) return {};
  if (f == "i" || f == "I") return roman(n, f == "I");
  if (f == "a" || f == "A") return l.letterSync ? letters(n, f == "A") : alphabetic(n, f == "A");
  return support::number(n);
}

// Fills "%1%", "%2%", ... of a label template with the numbers of those levels.
std::u16string fillPattern(const std::u16string& pattern, const Lists::Style& style,
                           const std::array<int64_t, Lists::kLevels>& values) {
  std::u16string out;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const size_t close = pattern[i] == u'%' ? pattern.find(u'%', i + 1) : std::u16string::npos;
    if (close != std::u16string::npos && close > i + 1 && close <= i + 3) {
      int k = 0;
      bool digits = true;
      for (size_t j = i + 1; j < close; ++j) {
        digits = digits && pattern[j] >= u'0' && pattern[j] <= u'9';
        k = k * 10 + (pattern[j] - u'0');
      }
      if (digits && k >= 1 && k <= Lists::kLevels) {
        if (!addToLabel(out, formatNumber(values[static_cast<size_t>(k - 1)],
                                          style.levels[static_cast<size_t>(k - 1)])))
          break;
        i = close;
        continue;
      }
    }
    if (!addToLabel(out, {&pattern[i], 1})) break;
  }
  return out;
}

}  // namespace

Lists::Level Lists::readLevel(const pugi::xml_node& n, const FontFaces& faces) {
  Level l;
  l.bullet = !is(n, "list-level-style-number") && !is(n, "outline-level-style");
  l.format = std::string(attrValue(n, "num-format"));
  l.letterSync = attrValue(n, "num-letter-sync") == "true";
  l.prefix = u16(attrValue(n, "num-prefix"));
  l.suffix = u16(attrValue(n, "num-suffix"));
  if (pugi::xml_attribute p = attr(n, "num-list-format"); p && !l.bullet)
    l.pattern = u16(p.value()).substr(0, kMaxLabelPattern);
  l.displayLevels = clampInt(intAttr(n, "display-levels").value_or(1), 1, kLevels);
  l.start = intAttr(n, "start-value").value_or(1);
  l.textStyle = std::string(attrValue(n, "style-name"));
  pugi::xml_node place = child(n, "list-level-properties");
  if (attrValue(place, "list-level-position-and-space-mode") == "label-alignment") {
    pugi::xml_node at = child(place, "list-level-label-alignment");
    l.indents.left = twips(attrValue(at, "margin-left"));
    l.indents.first = twips(attrValue(at, "text-indent"));
    l.follow = labelFollowNamed(attrValue(at, "label-followed-by"));
  }
  if (l.bullet) {
    std::string_view given = attrValue(n, "bullet-char");
    // A picture bullet, or none given, shows as a plain one.
    std::u16string c = u16(given.empty() ? std::string_view("\u2022") : given);
    // A bullet of a symbol font shows that font's glyph.
    pugi::xml_node props = child(n, "text-properties");
    std::string_view face = attrValue(props, "font-name");
    auto it = faces.find(face);
    std::string font = it != faces.end() ? u8(it->second) : std::string(face);
    if (font.empty()) font = std::string(attrValue(props, "font-family"));
    for (char16_t& ch : c) ch = mapSymbolChar(ch, font);
    l.bulletChar = c;
  }
  return l;
}

void Lists::load(const pugi::xml_node& styles, bool automatic, const FontFaces& faces) {
  for (pugi::xml_node n = styles.first_child(); n; n = n.next_sibling()) {
    bool outline = is(n, "outline-style");
    if (!outline && !is(n, "list-style")) continue;
    Style s;
    for (pugi::xml_node l = n.first_child(); l; l = l.next_sibling()) {
      if (l.type() != pugi::node_element) continue;
      auto level = intAttr(l, "level");
      if (!level || *level < 1 || *level > kLevels) continue;
      s.levels[static_cast<size_t>(*level - 1)] = readLevel(l, faces);
    }
    if (outline) {
      outline_ = std::move(s);
      outlineName_ = attrValue(n, "name");
    } else
      (automatic ? automatic_ : common_)
          .insert_or_assign(std::string(attrValue(n, "name")), std::move(s));
  }
}

const Lists::Style* Lists::find(const std::string& name) const {
  if (auto it = automatic_.find(name); it != automatic_.end()) return &it->second;
  if (auto it = common_.find(name); it != common_.end()) return &it->second;
  return nullptr;
}

Lists::Counter& Lists::newCounter() {
  Counter& c = counters_.emplace_back();
  c.id = static_cast<int32_t>(counters_.size());
  return c;
}

Lists::Label Lists::count(Counter& c, const Style& style, int level,
                          std::optional<int64_t> restart) {
  size_t L = static_cast<size_t>(std::clamp(level, 0, kLevels - 1));
  const Level& lv = style.levels[L];
  c.value[L] = restart ? *restart : c.started[L] ? c.value[L] + 1 : lv.start;
  c.started[L] = true;
  for (size_t d = L + 1; d < kLevels; ++d) c.started[d] = false;
  Label label;
  label.follow = lv.follow;
  label.level = &lv;
  if (lv.bullet) {
    label.ordered = false;
    addToLabel(label.text, lv.bulletChar);
    return label;
  }
  // Levels above this one that have no item yet show their start.
  std::array<int64_t, kLevels> shown{};
  for (size_t k = 0; k < kLevels; ++k)
    shown[k] = k == L || c.started[k] ? c.value[k] : style.levels[k].start;
  if (lv.pattern) {
    label.text = fillPattern(*lv.pattern, style, shown);
    return label;
  }
  addToLabel(label.text, lv.prefix);
  size_t first = L + 1 - std::min<size_t>(L + 1, static_cast<size_t>(lv.displayLevels));
  for (size_t k = first; k <= L && !lv.format.empty(); ++k) {
    if (k > first) addToLabel(label.text, u".");
    addToLabel(label.text, formatNumber(shown[k], k == L ? lv : style.levels[k]));
  }
  addToLabel(label.text, lv.suffix);
  return label;
}

}  // namespace word::read::odt
