#pragma once
// The run and paragraph properties the XML readers share: each set by a
// style or a run (a paragraph), or left to the one beneath. A format's own
// properties extend these.
#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "word/font_names.h"
#include "word/model.h"
#include "word/read/look.h"

namespace word::read {

template <typename T>
void take(std::optional<T>& base, const std::optional<T>& top) {
  if (top) base = top;
}

struct CommonRunProps {
  std::optional<bool> bold, italic, underline, strike, doubleStrike, superscript, subscript, hidden;
  std::optional<bool> smallCaps, allCaps;
  std::optional<bool> outline, shadow, emboss, engrave, boxed;
  std::optional<uint32_t> color;
  std::optional<UnderlineStyle> underlineStyle;
  std::optional<uint32_t> underlineColor;
  std::optional<int32_t> letterSpacing;  // twips
  std::optional<int32_t> raise;          // half points
  std::optional<std::u16string> font;
  std::optional<std::u16string> fontAsian;  // for Chinese, Japanese and Korean letters

  // Properties set in `top` win. Raised and lowered are one setting in
  // both formats: a style that sets either replaces both.
  void over(const CommonRunProps& top) {
    take(bold, top.bold);
    take(italic, top.italic);
    take(underline, top.underline);
    take(underlineStyle, top.underlineStyle);
    take(underlineColor, top.underlineColor);
    take(strike, top.strike);
    take(doubleStrike, top.doubleStrike);
    if (top.superscript || top.subscript) {
      superscript = top.superscript;
      subscript = top.subscript;
    }
    take(hidden, top.hidden);
    take(smallCaps, top.smallCaps);
    take(allCaps, top.allCaps);
    take(outline, top.outline);
    take(shadow, top.shadow);
    take(emboss, top.emboss);
    take(engrave, top.engrave);
    take(boxed, top.boxed);
    take(color, top.color);
    take(letterSpacing, top.letterSpacing);
    take(raise, top.raise);
    take(font, top.font);
    take(fontAsian, top.fontAsian);
  }

  void applyTo(CharFormat& f) const {
    if (bold) f.bold = *bold;
    if (italic) f.italic = *italic;
    if (underline) f.underline = *underline;
    if (underlineStyle) f.underlineStyle = *underlineStyle;
    if (underlineColor) f.underlineColor = *underlineColor;
    if (strike) f.strike = *strike;
    if (doubleStrike) f.doubleStrike = *doubleStrike;
    if (superscript) f.superscript = *superscript;
    if (subscript) f.subscript = *subscript;
    if (smallCaps) f.smallCaps = *smallCaps;
    if (allCaps) f.allCaps = *allCaps;
    const std::pair<const std::optional<bool>*, uint8_t> effects[] = {{&outline, kEffectOutline},
                                                                      {&shadow, kEffectShadow},
                                                                      {&emboss, kEffectEmboss},
                                                                      {&engrave, kEffectEngrave},
                                                                      {&boxed, kEffectBox}};
    for (const auto& [on, bit] : effects)
      if (*on) f.effects = static_cast<uint8_t>(**on ? f.effects | bit : f.effects & ~bit);
    if (color) f.color = *color;
    constexpr int32_t kMaxSpacing = 31680;  // 1584 points, the most the word processor takes
    if (letterSpacing)
      f.letterSpacing = static_cast<int16_t>(std::clamp(*letterSpacing, -kMaxSpacing, kMaxSpacing));
    constexpr int32_t kMaxRaise = 3168;  // 1584 points, likewise
    if (raise) f.raise = static_cast<int16_t>(std::clamp(*raise, -kMaxRaise, kMaxRaise));
    if (font) f.font = *font;
    if (fontAsian) f.asianFont = asianFontId(*fontAsian);
  }
};

// The paragraph properties the XML readers share, likewise: alignment,
// indents (twips), space before and after (twips, or kAutoSpacing), the
// line spacing by its rule, contextual spacing and shading.
struct CommonParaProps {
  std::optional<Align> align;
  std::optional<int32_t> indentLeft, indentRight, indentFirst;
  std::optional<int32_t> spaceBefore, spaceAfter, lineSpacing;
  std::optional<LineRule> lineRule;
  std::optional<bool> contextualSpacing;
  std::optional<uint32_t> shading;
  std::optional<bool> rightToLeft;
  ParagraphLines borders;
  // Tab stops: those of a layer that replaces the stops beneath
  // (`replacesTabs`) or sets its own over them.
  std::vector<TabStop> tabs;
  bool replacesTabs = false;

  void over(const CommonParaProps& top) {
    take(align, top.align);
    take(indentLeft, top.indentLeft);
    take(indentRight, top.indentRight);
    take(indentFirst, top.indentFirst);
    take(spaceBefore, top.spaceBefore);
    take(spaceAfter, top.spaceAfter);
    take(lineSpacing, top.lineSpacing);
    take(lineRule, top.lineRule);
    take(contextualSpacing, top.contextualSpacing);
    take(shading, top.shading);
    take(rightToLeft, top.rightToLeft);
    for (size_t i = 0; i < borders.size(); ++i) take(borders[i], top.borders[i]);
    if (top.replacesTabs)
      tabs = top.tabs;
    else
      mergeTabStops(tabs, top.tabs);
    replacesTabs = replacesTabs || top.replacesTabs;
  }

  // `lines`: the model's borderLines, where a border's lines past two go.
  void applyTo(ParagraphFormat& f, std::vector<SideLines>* lines = nullptr) const {
    if (align) f.align = *align;
    if (indentLeft) f.indentLeft = *indentLeft;
    if (indentRight) f.indentRight = *indentRight;
    if (indentFirst) f.indentFirst = *indentFirst;
    if (spaceBefore) f.spaceBefore = *spaceBefore;
    if (spaceAfter) f.spaceAfter = *spaceAfter;
    if (lineSpacing) f.lineSpacing = *lineSpacing;
    if (lineRule) f.lineRule = *lineRule;
    if (contextualSpacing) f.contextualSpacing = *contextualSpacing;
    if (shading) f.shading = *shading;
    if (rightToLeft) f.rightToLeft = *rightToLeft;
    if (std::any_of(borders.begin(), borders.end(), [](const auto& b) { return b.has_value(); }))
      setParagraphBorder(f, borders, lines);
    if (!tabs.empty() || replacesTabs) applyTabStops(f, tabs);
  }
};

}  // namespace word::read
