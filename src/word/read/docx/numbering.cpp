#include "word/read/docx/numbering.h"

#include "support/strings.h"
#include "word/builder.h"
#include "word/read/docx/styles.h"
#include "word/read/docx/xml.h"
#include "word/read/list_labels.h"
#include "word/read/look.h"

namespace word::read::docx {
namespace {

std::u16string cardinalWords(int64_t n) {
  static const char* small[] = {"zero",    "one",     "two",       "three",    "four",
                                "five",    "six",     "seven",     "eight",    "nine",
                                "ten",     "eleven",  "twelve",    "thirteen", "fourteen",
                                "fifteen", "sixteen", "seventeen", "eighteen", "nineteen"};
  static const char* tens[] = {"",      "",      "twenty",  "thirty", "forty",
                               "fifty", "sixty", "seventy", "eighty", "ninety"};
  if (n < 0 || n >= 1000) return support::number(n);
  std::string out;
  if (n >= 100) {
    out = std::string(small[n / 100]) + " hundred";
    n %= 100;
    if (n == 0) return support::widen(out);
    out += " ";
  }
  if (n < 20) {
    out += small[n];
  } else {
    out += tens[n / 10];
    if (n % 10) out += std::string("-") + small[n % 10];
  }
  return support::widen(out);
}

std::u16string ordinalWords(int64_t n) {
  std::u16string w = cardinalWords(n);
  if (n < 0 || n >= 1000) return w;
  static const struct {
    const char16_t* from;
    const char16_t* to;
  } ends[] = {{u"one", u"first"},     {u"two", u"second"},   {u"three", u"third"},
              {u"five", u"fifth"},    {u"eight", u"eighth"}, {u"nine", u"ninth"},
              {u"twelve", u"twelfth"}};
  for (const auto& e : ends) {
    std::u16string_view from = e.from;
    if (w.size() >= from.size() && std::u16string_view(w).substr(w.size() - from.size()) == from)
      return w.substr(0, w.size() - from.size()) + e.to;
  }
  if (!w.empty() && w.back() == u'y') return w.substr(0, w.size() - 1) + u"ieth";
  return w + u"th";
}

std::u16string capitalise(std::u16string s) {
  if (!s.empty() && s[0] >= u'a' && s[0] <= u'z') s[0] = static_cast<char16_t>(s[0] - u'a' + u'A');
  return s;
}

// The number between two marks: "(3)", "- 3 -".
std::u16string enclosed(std::u16string_view before, int64_t n, std::u16string_view after) {
  std::u16string out(before);
  out += support::number(n);
  out += after;
  return out;
}

}  // namespace

std::u16string formatNumber(int64_t n, std::string_view f) {
  if (f == "none" || f == "bullet") return {};
  if (f == "lowerRoman") return roman(n, false);
  if (f == "upperRoman") return roman(n, true);
  if (f == "lowerLetter") return letters(n, false);
  if (f == "upperLetter") return letters(n, true);
  if (f == "decimalZero") return zeroPadded(n);
  if (f == "ordinal") {
    int64_t m = n % 100, d = n % 10;
    const char* suffix = (m >= 11 && m <= 13) ? "th"
                         : d == 1             ? "st"
                         : d == 2             ? "nd"
                         : d == 3             ? "rd"
                                              : "th";
    return support::widen(std::to_string(n) + suffix);
  }
  if (f == "cardinalText") return capitalise(cardinalWords(n));
  if (f == "ordinalText") return capitalise(ordinalWords(n));
  if (f == "hex") {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(n < 0 ? 0 : n));
    return support::widen(buf);
  }
  if (f == "chicago") return noteSymbols(n);
  if (f == "numberInDash") return enclosed(u"- ", n, u" -");
  if (f == "decimalEnclosedParen") return enclosed(u"(", n, u")");
  if (f == "decimalEnclosedFullstop") return support::widen(std::to_string(n) + ".");
  if (f == "decimalEnclosedCircle" || f == "decimalEnclosedCircleChinese") {
    if (n >= 1 && n <= 20) return std::u16string(1, static_cast<char16_t>(0x2460 + n - 1));
    return support::number(n);
  }
  if (f == "decimalFullWidth" || f == "decimalFullWidth2") {
    std::u16string out;
    for (char c : std::to_string(n))
      out += c == '-' ? u'-' : static_cast<char16_t>(0xFF10 + (c - '0'));
    return out;
  }
  return support::number(n);
}

Numbering::Level Numbering::readLevel(const pugi::xml_node& lvl, Level l) {
  if (auto n = child(lvl, "start"); n)
    if (auto v = intAttr(n)) l.start = *v;
  if (auto n = child(lvl, "numFmt"); n) l.format = std::string(val(n));
  // A newer custom format comes as a choice with the classic one as fallback.
  for (pugi::xml_node ac = child(lvl, "AlternateContent"); ac; ac = pugi::xml_node()) {
    for (pugi::xml_node c = ac.first_child(); c; c = c.next_sibling()) {
      if (is(c, "Fallback"))
        if (auto n = child(c, "numFmt"); n) l.format = std::string(val(n));
    }
  }
  if (auto n = child(lvl, "lvlText"); n) l.text = u16(val(n)).substr(0, kMaxLabelPattern);
  if (auto n = child(lvl, "lvlRestart"); n)
    if (auto v = intAttr(n)) l.restart = clampInt(*v, 0, 9);
  if (auto n = child(lvl, "isLgl"); n) l.legal = onOff(n);
  if (auto n = child(lvl, "suff"); n) l.follow = labelFollowNamed(val(n));
  if (auto n = child(lvl, "pStyle"); n) l.paragraphStyle = styleId(n);
  if (auto ind = child(child(lvl, "pPr"), "ind"); ind) l.indents = readIndents(ind);
  if (auto rpr = child(lvl, "rPr"); rpr) {
    if (auto f = child(rpr, "rFonts"); f) {
      std::string_view font = val(f, "ascii");
      if (font.empty()) font = val(f, "hAnsi");
      l.textFont = std::string(font.substr(0, kMaxFontName));
    }
    // The labels' own weight, slant, size and colour (a theme's fonts
    // play no part in them).
    static const Theme kNoTheme;
    RunProps look;
    look.read(rpr, kNoTheme);
    l.look = {look.bold, look.italic, look.halfPoints, look.color};
  }
  return l;
}

namespace {

// Calls `each` with the level (0 to 8) and the node of every child `name`
// of `parent` whose w:ilvl is one.
template <class F>
void forEachLevel(const pugi::xml_node& parent, const char* name, F each) {
  for (pugi::xml_node n = parent.first_child(); n; n = n.next_sibling()) {
    if (!is(n, name)) continue;
    auto i = intAttr(n, "ilvl");
    if (i && *i >= 0 && *i <= 8) each(static_cast<size_t>(*i), n);
  }
}

}  // namespace

void Numbering::load(const pugi::xml_node& root,
                     const std::map<std::string, std::string>& numberingStyles) {
  numberingStyles_ = numberingStyles;
  for (pugi::xml_node n = root.first_child(); n; n = n.next_sibling()) {
    if (is(n, "abstractNum")) {
      Abstract a;
      if (auto link = child(n, "numStyleLink"); link) a.numStyleLink = styleId(link);
      forEachLevel(n, "lvl", [&](size_t k, const pugi::xml_node& lvl) {
        a.levels[k] = readLevel(lvl, Level{});
      });
      abstracts_.emplace(std::string(val(n, "abstractNumId")), std::move(a));
    } else if (is(n, "num")) {
      Num num;
      if (auto an = child(n, "abstractNumId"); an) num.abstractId = std::string(val(an));
      forEachLevel(n, "lvlOverride", [&](size_t k, const pugi::xml_node& o) {
        if (auto so = child(o, "startOverride"); so) {
          num.startOverride[k] = intAttr(so);
          num.overrides = true;
        }
        if (auto lvl = child(o, "lvl"); lvl) {
          num.levelNode[k] = lvl;  // read over the abstract level below
          num.overrides = true;
        }
      });
      nums_.emplace(std::string(val(n, "numId")), std::move(num));
    }
  }
  // Level overrides start from the abstract definition of the level.
  for (auto& [id, num] : nums_) {
    const Abstract* a = abstractOf(num);
    (void)id;
    for (size_t k = 0; k < 9; ++k) {
      if (!num.levelNode[k]) continue;
      num.levelOverride[k] = readLevel(num.levelNode[k], a ? a->levels[k] : Level{});
      num.levelNode[k] = pugi::xml_node();
    }
  }
}

const Numbering::Abstract* Numbering::abstractOf(const Num& num) const {
  auto it = abstracts_.find(num.abstractId);
  // A definition may only point at a numbering style, whose own list holds
  // the levels; follow a few such links.
  for (int hop = 0; it != abstracts_.end() && !it->second.numStyleLink.empty() && hop < 4; ++hop) {
    auto style = numberingStyles_.find(it->second.numStyleLink);
    if (style == numberingStyles_.end()) break;
    auto linked = nums_.find(style->second);
    if (linked == nums_.end()) break;
    auto next = abstracts_.find(linked->second.abstractId);
    if (next == abstracts_.end() || next == it) break;
    it = next;
  }
  return it == abstracts_.end() ? nullptr : &it->second;
}

int Numbering::levelForStyle(const std::string& numId, const std::string& styleId) const {
  auto numIt = nums_.find(numId);
  if (numIt == nums_.end() || styleId.empty()) return -1;
  const Abstract* a = abstractOf(numIt->second);
  if (!a) return -1;
  for (size_t k = 0; k < 9; ++k)
    if (a->levels[k].paragraphStyle == styleId) return static_cast<int>(k);
  return -1;
}

std::optional<Numbering::Item> Numbering::next(const std::string& numId, int level) {
  if (level < 0 || level > 8) level = 0;
  auto numIt = nums_.find(numId);
  if (numIt == nums_.end()) return std::nullopt;
  const Num& num = numIt->second;
  const Abstract* a = abstractOf(num);
  if (!a) return std::nullopt;

  auto levelOf = [&](size_t k) -> const Level& {
    return num.levelOverride[k] ? *num.levelOverride[k] : a->levels[k];
  };
  auto startOf = [&](size_t k) -> int64_t {
    return num.startOverride[k] ? *num.startOverride[k] : levelOf(k).start;
  };

  // Lists that share a definition continue one another's numbering unless
  // a list restarts it with overrides of its own.
  std::string key = num.overrides ? "n" + numId : "a" + num.abstractId;
  auto [cit, added] = counters_.try_emplace(key);
  Counter& counter = cit->second;
  if (added) counter.id = static_cast<int32_t>(counters_.size());

  size_t L = static_cast<size_t>(level);
  counter.value[L] = counter.started[L] ? counter.value[L] + 1 : startOf(L);
  counter.started[L] = true;
  for (size_t d = L + 1; d < 9; ++d) {
    int r = levelOf(d).restart;
    if (r < 0 || (r > 0 && static_cast<int>(L) < r)) counter.started[d] = false;
  }

  const Level& lv = levelOf(L);
  Item item;
  item.listId = counter.id;
  item.ordered = lv.format != "bullet";
  item.follow = lv.follow;
  item.indents = lv.indents;
  item.look = lv.look;
  if (lv.format == "bullet") {
    for (char16_t c : lv.text) {
      const char16_t shown = mapSymbolChar(c, lv.textFont);
      if (!addToLabel(item.label, {&shown, 1})) break;
    }
    return item;
  }
  const std::u16string& t = lv.text;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] == u'%' && i + 1 < t.size() && t[i + 1] >= u'1' && t[i + 1] <= u'9') {
      size_t k = static_cast<size_t>(t[i + 1] - u'1');
      ++i;
      int64_t value = k == L               ? counter.value[k]
                      : counter.started[k] ? counter.value[k]
                                           : startOf(k);
      if (k > L && !counter.started[k]) value = startOf(k);
      std::string_view format =
          lv.legal ? std::string_view("decimal") : std::string_view(levelOf(k).format);
      if (format == "bullet") format = "decimal";
      if (!addToLabel(item.label, formatNumber(value, format))) break;
    } else if (!addToLabel(item.label, {&t[i], 1})) {
      break;
    }
  }
  return item;
}

}  // namespace word::read::docx
