#include "word/read/docx/styles.h"

#include <cstdlib>

#include "word/read/docx/shapes.h"
#include "word/read/docx/xml.h"
#include "word/read/look.h"
#include "word/read/style_chain.h"

namespace word::read::docx {
namespace {

std::optional<uint32_t> highlightColor(std::string_view name) {
  static const struct {
    const char* name;
    uint32_t rgb;
  } colors[] = {{"yellow", 0xFFFF00},      {"green", 0x00FF00},     {"cyan", 0x00FFFF},
                {"magenta", 0xFF00FF},     {"blue", 0x0000FF},      {"red", 0xFF0000},
                {"darkBlue", 0x000080},    {"darkCyan", 0x008080},  {"darkGreen", 0x008000},
                {"darkMagenta", 0x800080}, {"darkRed", 0x800000},   {"darkYellow", 0x808000},
                {"darkGray", 0x808080},    {"lightGray", 0xC0C0C0}, {"black", 0x000000},
                {"white", 0xFFFFFF}};
  for (const auto& c : colors)
    if (name == c.name) return c.rgb;
  return std::nullopt;
}

// "heading 3" -> level index 2, for styles that do not carry outlineLvl.
std::optional<int32_t> headingLevel(const std::u16string& name) {
  std::u16string lower;
  for (char16_t c : name)
    lower += (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
  if (lower.size() == 9 && lower.compare(0, 8, u"heading ") == 0 && lower[8] >= u'1' &&
      lower[8] <= u'9')
    return lower[8] - u'1';
  return std::nullopt;
}

}  // namespace

FontClasses readFontTable(const pugi::xml_node& root) {
  FontClasses fonts;
  for (pugi::xml_node f = root.first_child(); f; f = f.next_sibling())
    if (is(f, "font") && !val(f, "name").empty())
      fonts.emplace(u16(val(f, "name")), fontClassNamed(val(child(f, "family"))));
  return fonts;
}

void Theme::load(const pugi::xml_node& root) {
  for (pugi::xml_node el = root.first_child(); el; el = el.next_sibling()) {
    if (!is(el, "themeElements")) continue;
    // A slot's colour: its own, or the system colour it last showed.
    for (pugi::xml_node c = child(el, "clrScheme").first_child(); c; c = c.next_sibling()) {
      const pugi::xml_node value = c.first_child();
      const auto rgb = hexColor(is(value, "sysClr") ? val(value, "lastClr") : val(value));
      if (c.type() == pugi::node_element && rgb && colours.size() < 16)
        colours.emplace(localName(c.name()), *rgb);
    }
    pugi::xml_node scheme = child(el, "fontScheme");
    for (pugi::xml_node f = scheme.first_child(); f; f = f.next_sibling()) {
      bool major = is(f, "majorFont");
      if (!major && !is(f, "minorFont")) continue;
      std::u16string latin = fontName(u16(val(child(f, "latin"), "typeface")));
      std::u16string ea = fontName(u16(val(child(f, "ea"), "typeface")));
      (major ? majorLatin : minorLatin) = latin;
      (major ? majorEastAsia : minorEastAsia) = ea;
    }
  }
}

std::optional<uint32_t> Theme::colour(std::string_view slot) const {
  static constexpr std::pair<std::string_view, std::string_view> kAliases[] = {
      {"tx1", "dk1"},         {"bg1", "lt1"},
      {"tx2", "dk2"},         {"bg2", "lt2"},
      {"text1", "dk1"},       {"background1", "lt1"},
      {"text2", "dk2"},       {"background2", "lt2"},
      {"dark1", "dk1"},       {"light1", "lt1"},
      {"dark2", "dk2"},       {"light2", "lt2"},
      {"hyperlink", "hlink"}, {"followedHyperlink", "folHlink"}};
  for (const auto& [alias, name] : kAliases)
    if (slot == alias) slot = name;
  const auto found = colours.find(slot);
  if (found == colours.end()) return std::nullopt;
  return found->second;
}

std::optional<uint32_t> Theme::colourOf(const pugi::xml_node& n, bool fill) const {
  const std::string attr = fill ? "themeFill" : "theme";
  std::optional<uint32_t> rgb = colour(val(n, fill ? "themeFill" : "themeColor"));
  if (!rgb) return std::nullopt;
  auto byte = [&](const char* suffix) -> std::optional<double> {
    const std::string_view v = val(n, attr + suffix);
    if (v.size() != 2 || hexDigit(v[0]) < 0 || hexDigit(v[1]) < 0) return std::nullopt;
    return (hexDigit(v[0]) * 16 + hexDigit(v[1])) / 255.0;
  };
  // The shade scales the colour's luminance down, the tint brings it that
  // much nearer white.
  const auto shade = byte("Shade"), tint = byte("Tint");
  if (!shade && !tint) return rgb;
  const uint32_t tone =
      shade ? withLuminance(*rgb, *shade, 0) : withLuminance(*rgb, *tint, 1 - *tint);
  // The colour written beside is the word processor's own reckoning of the
  // tone, which differs from this one by a step of a channel at most where
  // the theme is the one it was made with: that one is kept.
  const auto written = hexColor(val(n, fill ? "fill" : is(n, "shd") ? "color" : "val"));
  auto near = [&](int shift) {
    return std::abs(static_cast<int>((*written >> shift) & 0xFF) -
                    static_cast<int>((tone >> shift) & 0xFF)) <= 1;
  };
  return written && near(0) && near(8) && near(16) ? *written : tone;
}

// w:u: whether, the line's kind ("dashLongHeavy": dashed) and its colour.
void RunProps::readUnderline(const pugi::xml_node& u) {
  const std::string_view v = val(u);
  underline = !v.empty() ? v != "none" : true;
  underlineStyle = v == "double"                                   ? UnderlineStyle::Double
                   : v.starts_with("dotted")                       ? UnderlineStyle::Dotted
                   : v.starts_with("dash") || v.starts_with("dot") ? UnderlineStyle::Dashed
                   : v.starts_with("wav")                          ? UnderlineStyle::Wavy
                   : v == "thick"                                  ? UnderlineStyle::Thick
                                                                   : UnderlineStyle::Single;
  underlineColor = hexColor(val(u, "color")).value_or(kAutoColor);
}

void RunProps::read(const pugi::xml_node& rPr, const Theme& theme) {
  for (pugi::xml_node n = rPr.first_child(); n; n = n.next_sibling()) {
    if (n.type() != pugi::node_element) continue;
    std::string_view name = localName(n.name());
    if (name == "b")
      bold = onOff(n);
    else if (name == "i")
      italic = onOff(n);
    else if (name == "u")
      readUnderline(n);
    else if (name == "strike" || name == "dstrike") {
      bool on = onOff(n);
      if (on || !strike) strike = on;
      if (name == "dstrike") doubleStrike = on;
    } else if (name == "vertAlign") {
      std::string_view v = val(n);
      superscript = v == "superscript";
      subscript = v == "subscript";
    } else if (name == "color") {
      auto c = theme.colourOf(n);
      if (!c) c = hexColor(val(n));
      color = c ? *c : kAutoColor;
    } else if (name == "highlight") {
      auto c = highlightColor(val(n));
      highlight = c ? *c : kAutoColor;
    } else if (name == "shd") {
      shading = docx::shading(n, theme);
    } else if (name == "spacing") {
      letterSpacing = intAttr(n);
    } else if (name == "position") {
      raise = intAttr(n);
    } else if (name == "sz" || name == "szCs") {
      if (auto v = intAttr(n))
        (name == "sz" ? halfPoints : halfPointsCs) = static_cast<uint16_t>(clampInt(*v, 1, 3276));
    } else if (name == "bCs" || name == "iCs" || name == "rtl" || name == "cs") {
      (name == "bCs" ? boldCs : name == "iCs" ? italicCs : complex) = onOff(n);
    } else if (name == "rFonts") {
      if (std::string_view cs = val(n, "cs"); !cs.empty()) fontCs = fontName(u16(cs));
      if (std::string_view hint = val(n, "hint"); !hint.empty()) eastAsianHint = hint == "eastAsia";
      if (std::string_view ea = val(n, "eastAsia"); !ea.empty())
        fontAsian = fontName(u16(ea));
      else if (std::string_view t = val(n, "eastAsiaTheme"); t.starts_with("major"))
        fontAsian = t == "majorEastAsia" ? theme.majorEastAsia : theme.majorLatin;
      else if (t.starts_with("minor"))
        fontAsian = t == "minorEastAsia" ? theme.minorEastAsia : theme.minorLatin;
      std::string_view f = val(n, "ascii");
      if (f.empty()) f = val(n, "hAnsi");
      if (!f.empty()) {
        font = fontName(u16(f));
      } else {
        std::string_view t = val(n, "asciiTheme");
        if (t.empty()) t = val(n, "hAnsiTheme");
        if (t.substr(0, 5) == "major")
          font = theme.majorLatin;
        else if (t.substr(0, 5) == "minor")
          font = theme.minorLatin;
      }
    } else if (name == "outline") {
      outline = onOff(n);
    } else if (name == "shadow") {
      shadow = onOff(n);
    } else if (name == "emboss") {
      emboss = onOff(n);
    } else if (name == "imprint") {
      engrave = onOff(n);
    } else if (name == "bdr") {
      const std::string_view line = val(n);
      boxed = !line.empty() && line != "nil" && line != "none";
    } else if (name == "smallCaps") {
      smallCaps = onOff(n);
    } else if (name == "caps") {
      allCaps = onOff(n);
    } else if (name == "vanish" || name == "specVanish") {
      hidden = onOff(n);
    } else if (name == "rStyle") {
      styleId = docx::styleId(n);
    } else if (name == "lang") {
      if (!val(n).empty()) lang = std::string(val(n));
      if (!val(n, "eastAsia").empty()) langEastAsia = std::string(val(n, "eastAsia"));
      if (!val(n, "bidi").empty()) langBidi = std::string(val(n, "bidi"));
    }
  }
}

void RunProps::over(const RunProps& top) {
  CommonRunProps::over(top);
  take(highlight, top.highlight);
  take(shading, top.shading);
  take(halfPoints, top.halfPoints);
  take(lang, top.lang);
  take(langEastAsia, top.langEastAsia);
  take(langBidi, top.langBidi);
  take(eastAsianHint, top.eastAsianHint);
  if (!top.styleId.empty()) styleId = top.styleId;
  take(complex, top.complex);
  take(boldCs, top.boldCs);
  take(italicCs, top.italicCs);
  take(halfPointsCs, top.halfPointsCs);
  take(fontCs, top.fontCs);
}

void RunProps::toggleOver(const RunProps& style) {
  const RunProps beneath = *this;
  over(style);
  using Toggle = std::optional<bool> RunProps::*;
  for (Toggle on : std::initializer_list<Toggle>{
           &RunProps::bold, &RunProps::italic, &RunProps::strike, &RunProps::doubleStrike,
           &RunProps::hidden, &RunProps::smallCaps, &RunProps::allCaps, &RunProps::outline,
           &RunProps::shadow, &RunProps::emboss, &RunProps::engrave, &RunProps::boldCs,
           &RunProps::italicCs})
    if (style.*on) this->*on = *(style.*on) ? !(beneath.*on).value_or(false) : beneath.*on;
}

void RunProps::applyTo(CharFormat& f) const {
  CommonRunProps::applyTo(f);
  if (highlight && *highlight != kAutoColor) {
    f.highlight = *highlight;
    f.shaded = false;
  } else if (shading && *shading != kAutoColor) {
    f.highlight = *shading;
    f.shaded = true;
  }
  if (halfPoints) f.halfPoints = *halfPoints;
  if (complex.value_or(false)) {
    f.bold = boldCs.value_or(false);
    f.italic = italicCs.value_or(false);
    if (halfPointsCs) f.halfPoints = *halfPointsCs;
    if (fontCs) f.font = *fontCs;
  }
}

void ParaProps::read(const pugi::xml_node& pPr, const Theme& theme) {
  for (pugi::xml_node n = pPr.first_child(); n; n = n.next_sibling()) {
    if (n.type() != pugi::node_element) continue;
    std::string_view name = localName(n.name());
    if (name == "pStyle") {
      styleId = docx::styleId(n);
    } else if (name == "outlineLvl") {
      if (auto v = intAttr(n)) outlineLevel = clampInt(*v, 0, 9);
    } else if (name == "jc") {
      std::string_view v = val(n);
      if (v == "center")
        align = Align::Center;
      else if (v == "right" || v == "end")
        align = Align::Right;
      else if (v == "distribute" || v.substr(0, 4) == "thai")
        align = Align::Distribute;
      else if (v == "both" || v == "lowKashida" || v == "mediumKashida" || v == "highKashida")
        align = Align::Justify;
      else
        align = Align::Left;
    } else if (name == "ind") {
      const ListIndents ind = readIndents(n);
      if (ind.left) indentLeft = ind.left;
      if (ind.right) indentRight = ind.right;
      if (ind.first) indentFirst = ind.first;
    } else if (name == "spacing") {
      readSpacing(n);
    } else if (name == "contextualSpacing") {
      contextualSpacing = onOff(n);
    } else if (name == "pBdr") {
      static const std::pair<const char*, size_t> kSides[] = {
          {"top", 0},   {"left", 1}, {"start", 1},  {"bottom", 2},
          {"right", 3}, {"end", 3},  {"between", 4}};
      for (pugi::xml_node b = n.first_child(); b; b = b.next_sibling())
        for (const auto& [side, at] : kSides)
          if (b.type() == pugi::node_element && localName(b.name()) == side) {
            borders[at] = readBorder(b);
            // Points between the line and the text.
            borders[at]->room =
                static_cast<uint8_t>(clampInt(intAttr(b, "space").value_or(0), 0, 31));
          }
    } else if (name == "tabs") {
      readTabs(n);
    } else if (name == "bidi") {
      // Its start on the right: jc's left and ind's left are of the start.
      rightToLeft = onOff(n);
    } else if (name == "shd") {
      shading = docx::shading(n, theme);
    } else if (name == "numPr") {
      pugi::xml_node id = child(n, "numId");
      pugi::xml_node lvl = child(n, "ilvl");
      if (id) numId = std::string(val(id));
      if (lvl)
        if (auto v = intAttr(lvl)) numLevel = clampInt(*v, 0, 8);
    }
  }
}

ListIndents readIndents(const pugi::xml_node& n) {
  constexpr int32_t kMax = 31680 * 4;  // far beyond any page
  ListIndents ind;
  auto l = intAttr(n, "left");
  if (!l) l = intAttr(n, "start");
  auto r = intAttr(n, "right");
  if (!r) r = intAttr(n, "end");
  if (l) ind.left = clampInt(*l, -kMax, kMax);
  if (r) ind.right = clampInt(*r, -kMax, kMax);
  if (auto h = intAttr(n, "hanging"))
    ind.first = -clampInt(*h, -kMax, kMax);
  else if (auto fl = intAttr(n, "firstLine"))
    ind.first = clampInt(*fl, -kMax, kMax);
  return ind;
}

// w:tabs: each w:tab a stop at w:pos, "clear" removing one beneath; a bar
// is a line drawn, no stop.
void ParaProps::readTabs(const pugi::xml_node& n) {
  for (pugi::xml_node t = n.first_child(); t; t = t.next_sibling()) {
    const std::optional<int64_t> pos = intAttr(t, "pos");
    const std::string_view kind = val(t), leader = val(t, "leader");
    if (t.type() != pugi::node_element || !pos || kind == "bar") continue;
    TabStop stop;
    stop.pos = clampInt(*pos, -31680, 31680);
    stop.clear = kind == "clear";
    stop.align = kind == "right" || kind == "end" ? TabAlign::End
                 : kind == "center"               ? TabAlign::Centre
                 : kind == "decimal"              ? TabAlign::Decimal
                                                  : TabAlign::Start;
    stop.leader = leader == "dot" || leader == "middleDot"      ? TabLeader::Dots
                  : leader == "hyphen"                          ? TabLeader::Dashes
                  : leader == "underscore" || leader == "heavy" ? TabLeader::Line
                                                                : TabLeader::None;
    // A clear stays in the layer, to remove the stop of the one beneath.
    std::erase_if(tabs, [&](const TabStop& b) { return b.pos == stop.pos; });
    if (tabs.size() < 64) tabs.push_back(stop);
  }
}

// w:spacing: automatic space wins over a length given beside it; a line
// without a rule is a multiple.
void ParaProps::readSpacing(const pugi::xml_node& n) {
  constexpr int32_t kMax = 31680;  // 22 inches, the most the word processor takes
  auto on = [&](const char* name) {
    pugi::xml_attribute a = attr(n, name);
    std::string_view v = a ? a.value() : "";
    return v == "1" || v == "true" || v == "on";
  };
  // Space in hundredths of a line (a line being 12 points) wins over the
  // same space given in twips.
  auto space = [&](const char* lines, const char* twips) -> std::optional<int32_t> {
    if (auto v = intAttr(n, lines)) return clampInt(*v * 12 / 5, 0, kMax);
    if (auto v = intAttr(n, twips)) return clampInt(*v, 0, kMax);
    return std::nullopt;
  };
  if (on("beforeAutospacing"))
    spaceBefore = kAutoSpacing;
  else if (auto v = space("beforeLines", "before"))
    spaceBefore = *v;
  if (on("afterAutospacing"))
    spaceAfter = kAutoSpacing;
  else if (auto v = space("afterLines", "after"))
    spaceAfter = *v;
  if (auto v = intAttr(n, "line")) {
    const std::string_view rule = val(n, "lineRule");
    lineRule = rule == "exact"     ? LineRule::Exactly
               : rule == "atLeast" ? LineRule::AtLeast
                                   : LineRule::Multiple;
    lineSpacing = clampInt(*v, 0, kMax);
  }
}

void ParaProps::over(const ParaProps& top) {
  CommonParaProps::over(top);
  take(outlineLevel, top.outlineLevel);
  take(numId, top.numId);
  take(numLevel, top.numLevel);
  if (!top.styleId.empty()) styleId = top.styleId;
}

void ParaProps::applyTo(ParagraphFormat& f, std::vector<SideLines>* lines) const {
  CommonParaProps::applyTo(f, lines);
  if (outlineLevel) f.outlineLevel = static_cast<uint8_t>(*outlineLevel > 8 ? 9 : *outlineLevel);
}

void TablePart::over(const TablePart& top) {
  run.over(top.run);
  para.over(top.para);
  if (top.cellShading) cellShading = top.cellShading;
  if (top.valign) valign = top.valign;
  borders.over(top.borders);
}

uint32_t shading(const pugi::xml_node& shd, const Theme& theme) {
  // The share of the area each pattern covers; stripes and crosses drawn
  // in heavy lines cover about half, in thin ones a quarter.
  const std::string_view pattern = val(shd);
  int permille = 0;
  if (pattern == "nil") return kAutoColor;
  if (pattern == "solid") {
    permille = 1000;
  } else if (pattern.substr(0, 3) == "pct") {
    const int pct = clampInt(number(pattern.substr(3)).value_or(0), 0, 100);
    // pct12, pct37, pct62, pct87 are the eighths between the tenths.
    permille = pct % 5 == 2 ? pct * 10 + 5 : pct * 10;
  } else if (pattern.substr(0, 4) == "thin") {
    permille = 250;
  } else if (!pattern.empty() && pattern != "clear") {
    permille = 500;
  }
  auto colourOf = [&](const char* name, bool fill) {
    auto c = theme.colourOf(shd, fill);
    return c ? *c : hexColor(val(shd, name)).value_or(kAutoColor);
  };
  return shadingColour(colourOf("fill", true), colourOf("color", false), permille);
}

namespace {

// A table style's own parts: its run properties and cell shading for the
// whole table, and for each condition of w:tblStylePr.
void readTableStyle(const pugi::xml_node& n, const Theme& theme, TableStyle& t) {
  auto borders = [](const pugi::xml_node& part, EdgeBorders& out) {
    out.read(child(child(part, "tblPr"), "tblBorders"));
    out.read(child(child(part, "tcPr"), "tcBorders"));
  };
  if (auto r = child(n, "rPr"); r) t.whole.run.read(r, theme);
  if (auto p = child(n, "pPr"); p) t.whole.para.read(p, theme);
  t.whole.cellShading = cellFill(child(n, "tcPr"), theme);
  t.whole.valign = cellAlignment(child(n, "tcPr"));
  borders(n, t.whole.borders);
  pugi::xml_node tblPr = child(n, "tblPr");
  t.placement.read(tblPr);
  t.rowBand = clampInt(intAttr(child(tblPr, "tblStyleRowBandSize")).value_or(0), 0, 100);
  t.colBand = clampInt(intAttr(child(tblPr, "tblStyleColBandSize")).value_or(0), 0, 100);
  for (pugi::xml_node c = n.first_child(); c; c = c.next_sibling()) {
    if (!is(c, "tblStylePr")) continue;
    TablePart& part = t.conditions[std::string(val(c, "type"))];
    if (auto r = child(c, "rPr"); r) part.run.read(r, theme);
    if (auto p = child(c, "pPr"); p) part.para.read(p, theme);
    if (auto fill = cellFill(child(c, "tcPr"), theme); fill) part.cellShading = fill;
    if (auto v = cellAlignment(child(c, "tcPr")); v) part.valign = v;
    borders(c, part.borders);
  }
}

}  // namespace

void Styles::load(const pugi::xml_node& root, const Theme& theme, Builder& builder) {
  hidesText_ = root.find_node(
      [](const pugi::xml_node& n) { return is(n, "vanish") || is(n, "specVanish"); });
  for (pugi::xml_node n = root.first_child(); n; n = n.next_sibling()) {
    if (is(n, "docDefaults")) {
      if (auto r = child(child(n, "rPrDefault"), "rPr"); r) defaultRun_.read(r, theme);
      if (auto p = child(child(n, "pPrDefault"), "pPr"); p) defaultPara_props_.read(p, theme);
      continue;
    }
    if (!is(n, "style")) continue;
    Def d;
    d.id = styleId(n, "styleId");
    d.type = std::string(val(n, "type"));
    if (d.type.empty()) d.type = "paragraph";
    if (auto name = child(n, "name"); name) d.name = u16(val(name));
    if (d.name.empty()) d.name = u16(d.id);
    if (auto b = child(n, "basedOn"); b) d.basedOn = styleId(b);
    if (auto p = child(n, "pPr"); p) d.para.read(p, theme);
    if (auto r = child(n, "rPr"); r) d.run.read(r, theme);
    if (d.type == "table") readTableStyle(n, theme, d.table);
    if (!d.para.outlineLevel && d.type == "paragraph") d.para.outlineLevel = headingLevel(d.name);
    pugi::xml_attribute defAttr = attr(n, "default");
    std::string_view defVal = defAttr ? defAttr.value() : "";
    bool isDefault = defVal == "1" || defVal == "true" || defVal == "on";
    if (isDefault && d.type == "paragraph" && defaultPara_.empty()) defaultPara_ = d.id;
    if (isDefault && d.type == "character" && defaultChar_.empty()) defaultChar_ = d.id;
    if (isDefault && d.type == "table" && defaultTable_.empty()) defaultTable_ = d.id;
    defs_.emplace(d.id, std::move(d));
  }
  // Text whose size no style or default gives is set at 10 points.
  if (!defaultRun_.halfPoints) defaultRun_.halfPoints = 20;
  if (defaultPara_.empty()) {
    for (auto& [id, d] : defs_)
      if (d.type == "paragraph" && d.name == u"Normal") defaultPara_ = id;
  }
  // The default paragraph style goes first: it becomes index 0.
  if (auto it = defs_.find(defaultPara_); it != defs_.end()) {
    add(it->second, builder);
  } else {
    // Without a default style of its own, the document's defaults are it.
    Style normal;
    normal.name = u"Normal";
    paraOf("").applyTo(normal.paragraph);
    runOfParagraphStyle("").applyTo(normal.chars);
    builder.addStyle(std::move(normal));
  }
  for (auto& [id, d] : defs_)
    if (d.type == "paragraph" || d.type == "character") add(d, builder);
  for (const auto& [id, d] : defs_)
    if (d.index >= 0) indexes_.emplace(id, d.index);
}

int32_t Styles::add(Def& def, Builder& builder) {
  auto base = [&](const Def& d) -> Def* {
    if (d.basedOn.empty() || d.basedOn == d.id) return nullptr;
    auto it = defs_.find(d.basedOn);
    return it != defs_.end() && it->second.type == d.type ? &it->second : nullptr;
  };
  auto make = [&](const Def& d) {
    Style s;
    s.name = d.name;
    s.character = d.type == "character";
    if (s.character) {
      runOfCharacterStyle(d.id).applyTo(s.chars);
    } else {
      paraOf(d.id).applyTo(s.paragraph);
      runOfParagraphStyle(d.id).applyTo(s.chars);
    }
    return s;
  };
  return addBasesFirst(def, base, make, builder);
}

std::vector<const Styles::Def*> Styles::chain(const std::string& styleId, const char* type) const {
  auto find = [&](const std::string& id) -> const Def* {
    auto it = id.empty() ? defs_.end() : defs_.find(id);
    return it != defs_.end() && it->second.type == type ? &it->second : nullptr;
  };
  return baseChain(find(styleId), [&](const Def& d) { return find(d.basedOn); });
}

// Most paragraphs and runs ask for a style folded already: its fold is found
// before the style is looked up. A fold is kept under the id it was made
// for, which an id no style has never is (unless it is the default's).
const ParaProps& Styles::paraOf(const std::string& styleId) const {
  if (auto it = paraCache_.find(styleId); it != paraCache_.end()) return it->second;
  const std::string& id = styleId.empty() || !defs_.count(styleId) ? defaultPara_ : styleId;
  if (auto it = paraCache_.find(id); it != paraCache_.end()) return it->second;
  ParaProps p = defaultPara_props_;
  auto c = chain(id, "paragraph");
  for (auto it = c.rbegin(); it != c.rend(); ++it) p.over((*it)->para);
  p.styleId = id;
  return paraCache_.emplace(id, std::move(p)).first->second;
}

const RunProps& Styles::runOfParagraphStyle(const std::string& styleId) const {
  if (auto it = paraRunCache_.find(styleId); it != paraRunCache_.end()) return it->second;
  const std::string& id = styleId.empty() || !defs_.count(styleId) ? defaultPara_ : styleId;
  if (auto it = paraRunCache_.find(id); it != paraRunCache_.end()) return it->second;
  RunProps r = defaultRun_;
  auto c = chain(id, "paragraph");
  for (auto it = c.rbegin(); it != c.rend(); ++it) r.over((*it)->run);
  r.styleId.clear();
  return paraRunCache_.emplace(id, std::move(r)).first->second;
}

// The folds below are kept: a chain 64 styles deep, each with its tabs,
// folded again for every paragraph took 27 s for 400,000 of them. An
// id no style has folds nothing and is not kept, so that a document naming
// a million of them does not fill the caches.
bool Styles::keeps(const std::string& styleId) const {
  return styleId.empty() || defs_.count(styleId) > 0;
}

RunProps Styles::runOfParagraphStyleAlone(const std::string& styleId) const {
  std::string key = "a" + styleId;
  if (auto it = runCache_.find(key); it != runCache_.end()) return it->second;
  RunProps r;
  auto c = chain(styleId.empty() ? defaultPara_ : styleId, "paragraph");
  for (auto it = c.rbegin(); it != c.rend(); ++it) r.over((*it)->run);
  r.styleId.clear();
  if (keeps(styleId)) runCache_.emplace(key, r);
  return r;
}

ParaProps Styles::paraOfStyleAlone(const std::string& styleId) const {
  if (auto it = paraAloneCache_.find(styleId); it != paraAloneCache_.end()) return it->second;
  ParaProps p;
  auto c = chain(styleId.empty() ? defaultPara_ : styleId, "paragraph");
  for (auto it = c.rbegin(); it != c.rend(); ++it) p.over((*it)->para);
  p.styleId = styleId;
  if (keeps(styleId)) paraAloneCache_.emplace(styleId, p);
  return p;
}

TableStyle Styles::tableStyle(const std::string& styleId) const {
  if (auto it = tableCache_.find(styleId); it != tableCache_.end()) return it->second;
  TableStyle t;
  auto c = chain(styleId, "table");
  for (auto it = c.rbegin(); it != c.rend(); ++it) {
    const TableStyle& own = (*it)->table;
    t.whole.over(own.whole);
    t.placement.over(own.placement);
    for (const auto& [type, part] : own.conditions) t.conditions[type].over(part);
    if ((*it)->table.rowBand > 0) t.rowBand = own.rowBand;
    if ((*it)->table.colBand > 0) t.colBand = own.colBand;
  }
  if (keeps(styleId)) tableCache_.emplace(styleId, t);
  return t;
}

RunProps Styles::runOfCharacterStyle(const std::string& styleId) const {
  std::string key = "c" + styleId;
  if (auto it = runCache_.find(key); it != runCache_.end()) return it->second;
  RunProps r;
  auto c = chain(styleId, "character");
  for (auto it = c.rbegin(); it != c.rend(); ++it) r.over((*it)->run);
  r.styleId.clear();
  if (keeps(styleId)) runCache_.emplace(key, r);
  return r;
}

int32_t Styles::indexOf(const std::string& styleId) const {
  auto it = indexes_.find(styleId);
  return it != indexes_.end() ? it->second : 0;
}

std::map<std::string, std::string> Styles::numberingStyles() const {
  std::map<std::string, std::string> out;
  for (const auto& [id, d] : defs_)
    if (d.type == "numbering" && d.para.numId) out.emplace(id, *d.para.numId);
  return out;
}

}  // namespace word::read::docx
