// The looks of letters a run may carry apart from its face and size: lines
// under them, capitals, their place and spacing, shadows, outlines and boxes.
#include <iterator>
#include <string>

#include "word/write/css.h"

namespace word::write {

std::u16string underlineCss(const CharFormat& f) {
  static constexpr const char16_t* kStyles[] = {u"",
                                                u"text-decoration-style:double;",
                                                u"text-decoration-style:dotted;",
                                                u"text-decoration-style:dashed;",
                                                u"text-decoration-style:wavy;",
                                                u"text-decoration-thickness:0.12em;"};
  std::u16string css = kStyles[static_cast<size_t>(f.underlineStyle) % std::size(kStyles)];
  if (f.underlineColor != kAutoColor)
    css += u"text-decoration-color:" + colour(f.underlineColor) + u";";
  return css;
}

std::u16string capitalsCss(const CharFormat& f, const CharFormat* base) {
  std::u16string css;
  if (base ? f.smallCaps != base->smallCaps : f.smallCaps)
    css += f.smallCaps ? u"font-variant:small-caps;" : u"font-variant:normal;";
  if (base ? f.allCaps != base->allCaps : f.allCaps)
    css += f.allCaps ? u"text-transform:uppercase;" : u"text-transform:none;";
  return css;
}

std::u16string letterPlaceCss(const CharFormat& f, const CharFormat* base) {
  std::u16string css;
  if (base ? f.raise != base->raise : f.raise)
    css = u"vertical-align:" + (f.raise ? rems(f.raise, 2) : u"baseline") + u";";
  if (base ? f.letterSpacing == base->letterSpacing : !f.letterSpacing) return css;
  return css + u"letter-spacing:" + (f.letterSpacing ? rems(f.letterSpacing, 20) : u"normal") +
         u";";
}

std::u16string effectsCss(const CharFormat& f, const CharFormat* base) {
  if (base ? f.effects == base->effects : !f.effects) return {};
  std::u16string shadows;
  auto shadow = [&](std::u16string_view one) {
    shadows += (shadows.empty() ? u"" : u",") + std::u16string(one);
  };
  if (f.effects & kEffectShadow) shadow(u".08em .08em .05em #808080");
  if (f.effects & kEffectEmboss) shadow(u".06em .06em #808080");
  if (f.effects & kEffectEngrave) shadow(u"-.06em -.06em #808080");
  constexpr uint8_t kShadows = kEffectShadow | kEffectEmboss | kEffectEngrave;
  std::u16string css;
  if (!shadows.empty())
    css = u"text-shadow:" + shadows + u";";
  else if (base && (base->effects & kShadows))
    css = u"text-shadow:none;";
  if (f.effects & kEffectOutline)
    css += u"-webkit-text-stroke:.04em;-webkit-text-fill-color:transparent;";
  else if (base && (base->effects & kEffectOutline))
    css += u"-webkit-text-stroke:0;-webkit-text-fill-color:currentcolor;";
  if (f.effects & kEffectBox)
    css += u"border:1px solid;padding:0 1px;";
  else if (base && (base->effects & kEffectBox))
    css += u"border:none;padding:0;";
  return css;
}

}  // namespace word::write
