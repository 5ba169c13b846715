#include "word/read/odt/styles.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "word/read/look.h"
#include "word/read/style_chain.h"
#include "word/read/xml.h"

namespace word::read::odt {
namespace {

// Far beyond any page: a damaged length must not overflow a later sum.
constexpr int32_t kMaxTwips = 31680 * 4;

std::optional<bool> notNone(std::string_view v) {
  if (v.empty()) return std::nullopt;
  return v != "none";
}

// fo:font-weight: "bold" or a weight of 600 and more.
std::optional<bool> heavy(std::string_view v) {
  if (v.empty()) return std::nullopt;
  if (v == "bold") return true;
  auto n = number(v);
  return n && *n >= 600;
}

void readPosition(std::string_view v, TextProps& t) {
  // "super", "sub" or a raise in percent, each with an optional size.
  if (v.empty()) return;
  std::string_view first = v.substr(0, v.find(' '));
  double raise = first == "super" ? 1 : first == "sub" ? -1 : 0;
  std::string_view rest;
  if (first != "super" && first != "sub")
    if (auto d = decimal(first, &rest)) raise = *d;
  // A raise in percent at the letters' own size (none given is theirs)
  // moves them, not shrinks them.
  const std::string_view size = first.size() < v.size() ? v.substr(first.size() + 1) : "";
  if (first != "super" && first != "sub" && raise != 0 && (size.empty() || size == "100%")) {
    t.raisePercent = raise;
    t.superscript = t.subscript = false;
    return;
  }
  t.superscript = raise > 0;
  t.subscript = raise < 0;
}

void readSize(std::string_view v, TextProps& t) {
  std::string_view unit;
  auto d = decimal(v, &unit);
  if (!d || *d <= 0) return;
  if (unit == "%") {
    t.percent = *d;
    t.points.reset();
  } else if (auto tw = twips(v)) {
    t.points = *tw / 20.0;
    t.percent.reset();
  }
}

std::u16string unquote(std::u16string s) {
  // svg:font-family may list fallbacks and quote names: the first one shows.
  size_t comma = s.find(u',');
  if (comma != std::u16string::npos) s.resize(comma);
  while (!s.empty() && (s.front() == u'\'' || s.front() == u'"' || s.front() == u' '))
    s.erase(0, 1);
  while (!s.empty() && (s.back() == u'\'' || s.back() == u'"' || s.back() == u' ')) s.pop_back();
  return s;
}

}  // namespace

std::optional<double> decimal(std::string_view s, std::string_view* rest) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  double v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || !std::isfinite(v)) return std::nullopt;
  *rest = s.substr(static_cast<size_t>(end - s.data()));
  return v;
}

std::optional<int32_t> twips(std::string_view length) {
  std::string_view unit;
  auto v = decimal(length, &unit);
  if (!v) return std::nullopt;
  double perUnit = unit == "in"   ? 1440
                   : unit == "cm" ? 1440 / 2.54
                   : unit == "mm" ? 1440 / 25.4
                   : unit == "pt" ? 20
                   : unit == "pc" ? 240
                   : unit == "px" ? 15
                                  : 0;
  if (perUnit == 0) return std::nullopt;
  double t = std::round(*v * perUnit);
  return static_cast<int32_t>(std::clamp<double>(t, -kMaxTwips, kMaxTwips));
}

std::u16string displayName(std::string_view name) {
  std::string out;
  for (size_t i = 0; i < name.size(); ++i) {
    unsigned code = 0;
    size_t close = name.find('_', i + 1);
    if (name[i] == '_' && close != std::string_view::npos && close > i + 1 && close <= i + 5) {
      auto [end, ec] = std::from_chars(name.data() + i + 1, name.data() + close, code, 16);
      if (ec == std::errc() && end == name.data() + close && code >= 0x20 && code < 0x80) {
        out += static_cast<char>(code);
        i = close;
        continue;
      }
    }
    out += name[i];
  }
  return u16(out);
}

void readFontFaces(const pugi::xml_node& decls, FontFaces& faces, FontClasses& classes) {
  for (pugi::xml_node f = decls.first_child(); f; f = f.next_sibling()) {
    if (!is(f, "font-face")) continue;
    std::u16string family = fontName(unquote(u16(attrValue(f, "font-family"))));
    std::string name(attrValue(f, "name"));
    if (family.empty()) family = fontName(u16(name));
    classes.emplace(family, fontClassNamed(attrValue(f, "font-family-generic")));
    faces.emplace(std::move(name), std::move(family));
  }
}

namespace {

std::optional<VAlign> verticalAlign(std::string_view v) {
  if (v == "top") return VAlign::Top;
  if (v == "middle") return VAlign::Center;
  if (v == "bottom") return VAlign::Bottom;
  return std::nullopt;
}

// A cell's lines turned, by its writing mode (down "tb-rl", up "bt-lr") or
// its text's rotation (a quarter turn up, 90 degrees; down, 270).
std::optional<TextFlow> cellFlowOf(const pugi::xml_node& props) {
  const std::string_view mode = attrValue(props, "writing-mode");
  if (mode == "tb-rl" || mode == "tb") return TextFlow::Down;
  if (mode == "bt-lr") return TextFlow::Up;
  const std::string_view angle = attrValue(props, "rotation-angle");
  if (angle.substr(0, 2) == "90") return TextFlow::Up;
  if (angle.substr(0, 3) == "270") return TextFlow::Down;
  return std::nullopt;
}

// style:writing-mode as a direction: right to left or not, none where it
// gives none or leaves it to the page.
std::optional<bool> rightToLeftOf(const pugi::xml_node& props) {
  const std::string_view mode = attrValue(props, "writing-mode");
  if (mode.empty() || mode == "page") return std::nullopt;
  return mode == "rl-tb" || mode == "rl";
}

// A table's table:align and direction and, when it lies at its start, its
// margin there. table:align and the margins name the page's sides; the
// model's alignment is of the table's start (the right, right to left).
std::optional<TablePlace> placementOf(const pugi::xml_node& props) {
  const std::string_view align = attrValue(props, "align");
  const bool rightToLeft = rightToLeftOf(props).value_or(false);
  const std::optional<int32_t> margin =
      twips(attrValue(props, rightToLeft ? "margin-right" : "margin-left"));
  if (align.empty() && !margin && !rightToLeft) return std::nullopt;
  if (align == "center") return TablePlace{Align::Center, 0, rightToLeft};
  if (align == (rightToLeft ? "left" : "right")) return TablePlace{Align::Right, 0, rightToLeft};
  return TablePlace{Align::Left, margin.value_or(0), rightToLeft};
}

// One side's margin, else the margin all sides share.
std::optional<int32_t> side(const pugi::xml_node& p, const char* name, std::optional<int32_t> all) {
  if (auto v = twips(attrValue(p, name))) return v;
  return all;
}

// A language attribute with its country's ("fo:language", "fo:country"),
// where it gives one: "" for none.
void readLanguage(const pugi::xml_node& p, const char* name, const char* countryName,
                  std::optional<std::string>& language) {
  const std::string_view v = attrValue(p, name);
  if (v.empty()) return;
  const std::string_view country = attrValue(p, countryName);
  language = v == "none" ? "" : std::string(v);
  if (!language->empty() && !country.empty() && country != "none")
    *language += "-" + std::string(country);
}

}  // namespace

// The line under the text: its style, doubled (its type) or heavy (its
// width), and its colour ("font-color": the text's).
void TextProps::readUnderline(const pugi::xml_node& p) {
  const std::string_view style = attrValue(p, "text-underline-style");
  if (auto v = notNone(style)) underline = v;
  if (!style.empty() && style != "none") {
    const std::string_view type = attrValue(p, "text-underline-type"),
                           width = attrValue(p, "text-underline-width");
    underlineStyle = style == "wave"                       ? UnderlineStyle::Wavy
                     : style == "dotted"                   ? UnderlineStyle::Dotted
                     : style != "solid"                    ? UnderlineStyle::Dashed
                     : type == "double"                    ? UnderlineStyle::Double
                     : width == "bold" || width == "thick" ? UnderlineStyle::Thick
                                                           : UnderlineStyle::Single;
  }
  if (std::string_view c = attrValue(p, "text-underline-color"); !c.empty())
    underlineColor =
        c == "font-color" ? kAutoColor : ::word::read::odt::color(c).value_or(kAutoColor);
}

void TextProps::read(const pugi::xml_node& p, const FontFaces& faces) {
  if (auto v = heavy(attrValue(p, "font-weight"))) bold = v;
  if (std::string_view v = attrValue(p, "font-style"); !v.empty())
    italic = v == "italic" || v == "oblique";
  readUnderline(p);
  if (auto v = notNone(attrValue(p, "text-line-through-style"))) strike = v;
  if (auto v = notNone(attrValue(p, "text-line-through-type")); v && !strike) strike = v;
  if (std::string_view v = attrValue(p, "text-line-through-type"); !v.empty())
    doubleStrike = v == "double";
  readPosition(attrValue(p, "text-position"), *this);
  // Hidden outright, or by the one condition a text style may name.
  if (std::string_view v = attrValue(p, "display"); !v.empty())
    hidden = v == "none" || (v == "condition" && attrValue(p, "condition") == "none");
  if (std::string_view v = attrValue(p, "color"); !v.empty()) color = ::word::read::odt::color(v);
  if (attrValue(p, "use-window-font-color") == "true") color = kAutoColor;
  if (std::string_view v = attrValue(p, "background-color"); !v.empty())
    highlight = ::word::read::odt::color(v).value_or(kAutoColor);
  readSize(attrValue(p, "font-size"), *this);
  if (std::string_view v = attrValue(p, "font-variant"); !v.empty()) smallCaps = v == "small-caps";
  if (std::string_view v = attrValue(p, "text-transform"); !v.empty()) allCaps = v == "uppercase";
  if (std::string_view v = attrValue(p, "letter-spacing"); !v.empty())
    letterSpacing = v == "normal" ? 0 : twips(v).value_or(0);
  if (std::string_view v = attrValue(p, "text-outline"); !v.empty()) outline = v == "true";
  if (std::string_view v = attrValue(p, "text-shadow"); !v.empty()) shadow = v != "none";
  if (std::string_view v = attrValue(p, "border"); !v.empty()) boxed = v != "none";
  if (std::string_view v = attrValue(p, "font-relief"); !v.empty()) {
    emboss = v == "embossed";
    engrave = v == "engraved";
  }
  readLanguage(p, "language", "country", language);
  readLanguage(p, "language-asian", "country-asian", languageAsian);
  readLanguage(p, "language-complex", "country-complex", languageComplex);
  if (std::string_view v = attrValue(p, "font-name"); !v.empty()) {
    auto face = faces.find(v);
    font = face != faces.end() ? face->second : fontName(u16(v));
  } else if (std::string_view fam = attrValue(p, "font-family"); !fam.empty()) {
    font = fontName(unquote(u16(fam)));
  }
  if (std::string_view v = attrValue(p, "font-name-asian"); !v.empty()) {
    auto face = faces.find(v);
    fontAsian = face != faces.end() ? face->second : fontName(u16(v));
  } else if (std::string_view fam = attrValue(p, "font-family-asian"); !fam.empty()) {
    fontAsian = fontName(unquote(u16(fam)));
  }
}

void TextProps::over(const TextProps& top) {
  CommonRunProps::over(top);
  take(highlight, top.highlight);
  take(language, top.language);
  take(languageAsian, top.languageAsian);
  take(languageComplex, top.languageComplex);
  // Raised or lowered and set super or sub are one setting.
  if (top.superscript.value_or(false) || top.subscript.value_or(false)) {
    raisePercent.reset();
  } else if (top.raisePercent) {
    raisePercent = top.raisePercent;
    superscript = subscript = false;
  }
  if (top.points) {
    points = top.points;
    percent.reset();
  } else if (top.percent) {
    if (points)
      points = *points * *top.percent / 100;
    else
      percent = percent.value_or(100) * *top.percent / 100;
  }
}

void TextProps::applyTo(CharFormat& f) const {
  CommonRunProps::applyTo(f);
  // One background for both: the letters' own.
  if (highlight) {
    f.highlight = *highlight;
    f.shaded = *highlight != kAutoColor;
  }
  if (points) f.halfPoints = static_cast<uint16_t>(std::clamp(std::lround(*points * 2), 1L, 3276L));
  if (raisePercent) {
    const double halfPoints = f.halfPoints ? f.halfPoints : 24;
    f.raise = static_cast<int16_t>(
        std::lround(std::clamp(halfPoints * *raisePercent / 100, -3168.0, 3168.0)));
  }
}

void ParaProps::read(const pugi::xml_node& p) {
  std::string_view a = attrValue(p, "text-align");
  if (a == "center")
    align = Align::Center;
  else if (a == "end" || a == "right")
    align = Align::Right;
  else if (a == "justify")
    align = attrValue(p, "text-align-last") == "justify" ? Align::Distribute : Align::Justify;
  else if (a == "start" || a == "left")
    align = Align::Left;
  if (align) alignByPage = a == "left" || a == "right";
  if (auto v = rightToLeftOf(p)) rightToLeft = v;
  CellSides sides;  // fo:border and its sides, as a cell's
  sides.read(p);
  for (size_t i = 0; i < sides.side.size(); ++i)
    if (sides.side[i]) borders[i] = sides.side[i];
  for (size_t i = 0; i < rooms.size(); ++i)
    if (const std::optional<int16_t>& twips = sides.padding[i])
      rooms[i] = static_cast<uint8_t>((*twips + 10) / 20);
  // fo:margin gives all four sides; a side of its own wins.
  const std::optional<int32_t> all = twips(attrValue(p, "margin"));
  if (auto v = side(p, "margin-left", all)) indentLeft = v;
  if (auto v = side(p, "margin-right", all)) indentRight = v;
  if (auto v = twips(attrValue(p, "text-indent"))) indentFirst = v;
  if (pugi::xml_node cap = child(p, "drop-cap")) {
    std::string_view length = attrValue(cap, "length");
    dropLetters =
        length == "word" ? kDropWord : clampInt(intAttr(cap, "length").value_or(1), 0, 254);
    dropLines = clampInt(intAttr(cap, "lines").value_or(1), 0, 255);
  }
  if (pugi::xml_node stops = child(p, "tab-stops")) readTabs(stops);
  readSpacing(p);
  if (std::string_view v = attrValue(p, "background-color"); !v.empty())
    shading = color(v).value_or(kAutoColor);
}

// style:tab-stops: they replace those of the style beneath, an empty list
// too. A leader is a line style or, failing one, a character.
void ParaProps::readTabs(const pugi::xml_node& stops) {
  replacesTabs = true;
  tabs.clear();
  for (pugi::xml_node t = stops.first_child(); t && tabs.size() < 64; t = t.next_sibling()) {
    const std::optional<int32_t> pos = twips(attrValue(t, "position"));
    if (!is(t, "tab-stop") || !pos) continue;
    const std::string_view style = attrValue(t, "leader-style"), text = attrValue(t, "leader-text");
    TabStop stop;
    stop.pos = *pos;
    const std::string_view type = attrValue(t, "type");
    stop.align = type == "right"    ? TabAlign::End
                 : type == "center" ? TabAlign::Centre
                 : type == "char"   ? TabAlign::Decimal
                                    : TabAlign::Start;
    stop.leader = style == "dotted" || (style.empty() && (text == "." || text == "\u00B7"))
                      ? TabLeader::Dots
                  : style == "dash" || style == "long-dash" || (style.empty() && text == "-")
                      ? TabLeader::Dashes
                  : style == "solid" || (style.empty() && text == "_") ? TabLeader::Line
                                                                       : TabLeader::None;
    const std::u16string point = u16(attrValue(t, "char"));
    if (stop.align == TabAlign::Decimal && !decimalPoint && point.size() == 1)
      decimalPoint = point[0];
    tabs.push_back(stop);
  }
}

// Margins above and below; a line height in percent of a single line or as
// a length, or a least height; contextual spacing (ODF 1.3).
void ParaProps::readSpacing(const pugi::xml_node& p) {
  constexpr int32_t kMax = 31680;
  const std::optional<int32_t> all = twips(attrValue(p, "margin"));
  if (auto v = side(p, "margin-top", all)) spaceBefore = std::clamp(*v, 0, kMax);
  if (auto v = side(p, "margin-bottom", all)) spaceAfter = std::clamp(*v, 0, kMax);
  if (auto v = twips(attrValue(p, "line-spacing"))) {
    lineRule = LineRule::Multiple;
    lineSpacing = kSingleLine;
    leading = std::clamp(*v, 0, kMax);
  }
  if (std::string_view v = attrValue(p, "line-height"); !v.empty()) {
    leading = 0;
    std::string_view unit;
    if (v == "normal") {
      lineRule = LineRule::Multiple;
      lineSpacing = kSingleLine;
    } else if (auto pct = decimal(v, &unit); pct && unit == "%") {
      lineRule = LineRule::Multiple;
      lineSpacing = static_cast<int32_t>(std::clamp(*pct, 0.0, 1000.0) * kSingleLine / 100 + 0.5);
    } else if (auto tw = twips(v)) {
      lineRule = LineRule::Exactly;
      lineSpacing = std::clamp(*tw, 0, kMax);
    }
  }
  if (auto v = twips(attrValue(p, "line-height-at-least"))) {
    lineRule = LineRule::AtLeast;
    lineSpacing = std::clamp(*v, 0, kMax);
    leading = 0;
  }
  if (std::string_view v = attrValue(p, "contextual-spacing"); !v.empty())
    contextualSpacing = v == "true";
}

void ParaProps::over(const ParaProps& top) {
  CommonParaProps::over(top);
  take(leading, top.leading);
  take(dropLetters, top.dropLetters);
  take(dropLines, top.dropLines);
  for (size_t i = 0; i < rooms.size(); ++i) take(rooms[i], top.rooms[i]);
  if (top.align) alignByPage = top.alignByPage;
}

// A page draws a multiple of the text's size and a single line at about
// 1.15 times it, so the multiple is the single line and the leading over
// the size. A multiple keeps the leading's share for larger text in the
// line, where a least height would lose it and an exact one clip that text.
void ParaProps::applyTo(ParagraphFormat& f, double halfPoints,
                        std::vector<SideLines>* lines) const {
  CommonParaProps::applyTo(f, lines);
  // One room for every side, or each side its own (none where not given).
  if (rooms[0] && std::all_of(rooms.begin(), rooms.end(), [&](auto r) { return r == rooms[0]; })) {
    f.border.room = *rooms[0];
    f.sideRooms = {};
  } else if (std::any_of(rooms.begin(), rooms.end(), [](auto r) { return r.has_value(); })) {
    f.border.room = 0;
    for (size_t i = 0; i < rooms.size(); ++i) f.sideRooms[i] = rooms[i].value_or(0);
  }
  // A drop cap of one line is none; "word" counts as its letters.
  if (dropLetters && dropLines && *dropLines > 1) {
    f.dropLetters = static_cast<uint8_t>(std::clamp(*dropLetters, 0, 255));
    f.dropLines = static_cast<uint8_t>(std::clamp(*dropLines, 0, 15));
  }
  if (f.rightToLeft) {
    // The model's indents and alignment are of the paragraph's start and
    // end; fo:margin-left and -right, and text-align's left and right, are
    // of the page's sides.
    std::swap(f.indentLeft, f.indentRight);
    if (alignByPage && (f.align == Align::Left || f.align == Align::Right))
      f.align = f.align == Align::Left ? Align::Right : Align::Left;
  }
  if (leading.value_or(0) <= 0 || halfPoints <= 0) return;
  const double size = halfPoints * 10;
  f.lineRule = LineRule::Multiple;
  f.lineSpacing = static_cast<int32_t>(
      std::lround(std::min(kSingleLine * (1.15 * size + *leading) / size, 10.0 * kSingleLine)));
}

void Styles::load(const pugi::xml_node& styles, bool automatic, const FontFaces& faces) {
  for (pugi::xml_node n = styles.first_child(); n; n = n.next_sibling()) {
    bool isDefault = is(n, "default-style");
    if (!isDefault && !is(n, "style")) continue;
    Def d;
    d.name = std::string(attrValue(n, "name"));
    d.family = std::string(attrValue(n, "family"));
    d.parent = std::string(attrValue(n, "parent-style-name"));
    d.automatic = automatic;
    std::string_view shown = attrValue(n, "display-name");
    d.displayName = shown.empty() ? displayName(d.name) : u16(shown);
    if (pugi::xml_attribute l = attr(n, "list-style-name")) d.listStyle = l.value();
    if (auto v = intAttr(n, "default-outline-level")) d.outlineLevel = clampInt(*v, 1, 10);
    if (auto p = child(n, "paragraph-properties")) {
      d.para.read(p);
      if (!decimalPoint_) decimalPoint_ = d.para.decimalPoint;
      if (isDefault && d.family == "paragraph")
        defaultTabStop_ = twips(attrValue(p, "tab-stop-distance")).value_or(kDefaultTabStop);
    }
    if (auto t = child(n, "text-properties")) d.text.read(t, faces);
    if (auto c = child(n, "table-cell-properties")) {
      d.cell.read(c);
      d.valign = verticalAlign(attrValue(c, "vertical-align"));
      d.flow = cellFlowOf(c);
    }
    if (auto t = child(n, "table-properties")) {
      d.placement = placementOf(t);
      d.tableWidth = std::clamp(twips(attrValue(t, "width")).value_or(0), 0, 1 << 22);
      std::string_view rest;
      const double share = decimal(attrValue(t, "rel-width"), &rest).value_or(0);
      if (rest == "%") d.tableShare = static_cast<int32_t>(std::clamp(share, 0.0, 100.0));
    }
    if (auto g = child(n, "graphic-properties")) readGraphic(g, d);
    if (auto c = child(n, "table-column-properties")) {
      d.columnWidth = std::max(0, twips(attrValue(c, "column-width")).value_or(0));
      // "16383*": a share of the table's width.
      std::string_view rest;
      const double share = decimal(attrValue(c, "rel-column-width"), &rest).value_or(0);
      if (rest == "*") d.columnShare = static_cast<int32_t>(std::clamp(share, 0.0, 1e6));
      d.columnOptimal = attrValue(c, "use-optimal-column-width") == "true";
    }
    if (auto p = child(n, "section-properties")) d.columns = columnsOf(child(p, "columns"));
    if (auto r = child(n, "table-row-properties")) {
      std::string_view h = attrValue(r, "min-row-height");
      d.rowHeight = std::max(0, twips(h.empty() ? attrValue(r, "row-height") : h).value_or(0));
    }
    if (isDefault) {
      defaults_.insert_or_assign(d.family, std::move(d));
    } else if (!d.name.empty() && d.name.size() <= kMaxName) {
      Key k{d.family, d.name};
      (automatic ? automatic_ : common_).insert_or_assign(std::move(k), std::move(d));
      chains_.clear();
    }
  }
}

void Styles::addToModel(Builder& builder) {
  // The default paragraph style ("Standard" by convention) is the model's
  // "Normal"; without one, the family default is.
  auto standard = common_.find(Key{"paragraph", "Standard"});
  Style normal;
  normal.name = u"Normal";
  applyParagraph("Standard", normal.paragraph);
  textOfParagraph("Standard").applyTo(normal.chars);
  int32_t index = builder.addStyle(std::move(normal));
  builder.defaultTabStop(defaultTabStop_);
  if (standard != common_.end()) standard->second.index = index;
  for (auto& [k, d] : common_)
    if (d.family == "paragraph" || d.family == "text") add(d, builder);
}

int32_t Styles::add(Def& def, Builder& builder) {
  auto base = [&](const Def& d) -> Def* {
    auto it = d.parent.empty() ? common_.end() : common_.find(Key{d.family, d.parent});
    return it == common_.end() ? nullptr : &it->second;
  };
  auto make = [&](const Def& d) {
    Style s;
    s.name = d.displayName;
    s.character = d.family == "text";
    if (s.character) {
      textOfSpan(d.name).applyTo(s.chars);
    } else {
      applyParagraph(d.name, s.paragraph);
      textOfParagraph(d.name).applyTo(s.chars);
      if (auto level = outlineLevelOf(d.name))
        s.paragraph.outlineLevel = static_cast<uint8_t>(std::min(*level, 9) - 1);
    }
    return s;
  };
  return addBasesFirst(def, base, make, builder);
}

const Styles::Def* Styles::find(std::string_view family, std::string_view name) const {
  if (name.size() > kMaxName) return nullptr;
  const std::pair k{family, name};
  if (auto it = automatic_.find(k); it != automatic_.end()) return &it->second;
  if (auto it = common_.find(k); it != common_.end()) return &it->second;
  return nullptr;
}

// The style first, its furthest parent last; parents are common styles.
// Kept once walked: every cell and paragraph asks, and a chain 64 deep
// walked again for each of a million cells took seconds. A name no style
// has is not kept, so a chain kept is found before the style is looked
// up (adding a style drops them all).
const std::vector<const Styles::Def*>& Styles::chain(std::string_view family,
                                                     std::string_view name) const {
  static const std::vector<const Def*> none;
  if (auto it = chains_.find(std::pair{family, name}); it != chains_.end()) return it->second;
  const Def* first = find(family, name);
  if (!first) return none;
  auto walked = baseChain(first, [&](const Def& d) -> const Def* {
    auto it = d.parent.empty() ? common_.end() : common_.find(std::pair{family, d.parent});
    return it == common_.end() ? nullptr : &it->second;
  });
  return chains_.emplace(Key{family, name}, std::move(walked)).first->second;
}

int32_t Styles::indexOf(const std::string& paraStyle) const {
  for (const Def* d : chain("paragraph", paraStyle))
    if (!d->automatic && d->index >= 0) return d->index;
  return 0;
}

template <class Props>
Props Styles::folded(std::string_view family, std::string_view name, Props Def::*part,
                     bool withDefault) const {
  Props p;
  if (auto d = defaults_.find(family); withDefault && d != defaults_.end()) p = d->second.*part;
  const auto& c = chain(family, name);
  for (auto it = c.rbegin(); it != c.rend(); ++it) p.over((*it)->*part);
  return p;
}

template <class Props>
const Props& Styles::cached(std::unordered_map<std::string, Props>& cache, std::string_view family,
                            const std::string& name, Props Def::*part, bool withDefault) const {
  if (auto it = cache.find(name); it != cache.end()) return it->second;
  // Every name no style has folds as "", which no style has either: such
  // names are not kept one by one.
  const std::string& key = find(family, name) ? name : std::string();
  if (auto it = cache.find(key); it != cache.end()) return it->second;
  return cache.emplace(key, folded(family, key, part, withDefault)).first->second;
}

const ParaProps& Styles::paraOf(const std::string& paraStyle) const {
  return cached(paraCache_, "paragraph", paraStyle, &Def::para, true);
}

void Styles::applyParagraph(const std::string& paraStyle, ParagraphFormat& f,
                            std::vector<SideLines>* lines) const {
  const TextProps& t = textOfParagraph(paraStyle);
  paraOf(paraStyle).applyTo(f, t.points ? *t.points * 2 : 24 * t.percent.value_or(100) / 100,
                            lines);
}

const TextProps& Styles::textOfParagraph(const std::string& paraStyle) const {
  return cached(paraTextCache_, "paragraph", paraStyle, &Def::text, true);
}

const TextProps& Styles::textOfSpan(const std::string& textStyle) const {
  return cached(spanCache_, "text", textStyle, &Def::text, false);
}

std::optional<std::string> Styles::listStyleOf(const std::string& paraStyle) const {
  for (const Def* d : chain("paragraph", paraStyle))
    if (d->listStyle) return d->listStyle->empty() ? std::nullopt : d->listStyle;
  return std::nullopt;
}

std::optional<int32_t> Styles::outlineLevelOf(const std::string& paraStyle) const {
  for (const Def* d : chain("paragraph", paraStyle))
    if (d->outlineLevel) return d->outlineLevel;
  return std::nullopt;
}

int32_t Styles::columnWidth(const std::string& columnStyle) const {
  const Def* d = find("table-column", columnStyle);
  return d ? d->columnWidth : 0;
}

int32_t Styles::columnShare(const std::string& columnStyle) const {
  const Def* d = find("table-column", columnStyle);
  return d ? d->columnShare : 0;
}

Columns columnsOf(const pugi::xml_node& columns) {
  Columns c;
  c.count = static_cast<int32_t>(
      std::clamp<int64_t>(intAttr(columns, "column-count").value_or(0), 0, 16));
  c.gap = std::clamp(twips(attrValue(columns, "column-gap")).value_or(0), 0, 14400);
  const pugi::xml_node sep = child(columns, "column-sep");
  c.line =
      sep && attrValue(sep, "style") != "none" && twips(attrValue(sep, "width")).value_or(1) > 0;
  return c;
}

Columns Styles::sectionColumns(const std::string& sectionStyle) const {
  const Def* d = find("section", sectionStyle);
  return d ? d->columns : Columns{};
}

bool Styles::columnOptimal(const std::string& columnStyle) const {
  const Def* d = find("table-column", columnStyle);
  return d && d->columnOptimal;
}

int32_t Styles::tableWidth(const std::string& tableStyle, int32_t room) const {
  const Def* d = find("table", tableStyle);
  if (d && d->tableWidth > 0) return d->tableWidth;
  const int64_t share = d && d->tableShare > 0 ? d->tableShare : 100;
  return static_cast<int32_t>(room * share / 100);
}

int32_t Styles::rowHeight(const std::string& rowStyle) const {
  const Def* d = find("table-row", rowStyle);
  return d ? d->rowHeight : 0;
}

TextFlow Styles::cellFlow(const std::string& cellStyle) const {
  for (const Def* d : chain("table-cell", cellStyle))
    if (d->flow) return *d->flow;
  return TextFlow::Across;
}

VAlign Styles::cellAlignment(const std::string& cellStyle) const {
  for (const Def* d : chain("table-cell", cellStyle))
    if (d->valign) return *d->valign;
  auto d = defaults_.find("table-cell");
  return d != defaults_.end() ? d->second.valign.value_or(VAlign::Top) : VAlign::Top;
}

TablePlace Styles::tablePlacement(const std::string& tableStyle) const {
  for (const Def* d : chain("table", tableStyle))
    if (d->placement) return *d->placement;
  return {};
}

Styles::CellLook Styles::cellLook(const std::string& cellStyle) const {
  const CellSides sides = folded("table-cell", cellStyle, &Def::cell, true);
  CellLook look;
  auto get = [&](size_t i) {
    return sides.side[i].value_or(Border{LineStyle::None, 0, 0, kAutoColor});
  };
  look.borders = {get(0), get(1), get(2), get(3)};
  look.shading = sides.background.value_or(kAutoColor);
  for (size_t i = 0; i < look.padding.size(); ++i) look.padding[i] = sides.padding[i].value_or(-1);
  return look;
}

std::optional<uint32_t> color(std::string_view s) {
  if (s.size() != 7 || s[0] != '#') return std::nullopt;
  return hexColor(s.substr(1));
}

}  // namespace word::read::odt
