#pragma once
// The run properties the XML readers share: each set by a style or a run,
// or left to the one beneath. A format's own properties extend these.
#include <cstdint>
#include <optional>
#include <string>

#include "word/model.h"

namespace word::read {

template <typename T>
void take(std::optional<T>& base, const std::optional<T>& top) {
  if (top) base = top;
}

struct CommonRunProps {
  std::optional<bool> bold, italic, underline, strike, superscript, subscript, hidden;
  std::optional<bool> smallCaps, allCaps;
  std::optional<uint32_t> color;
  std::optional<std::u16string> font;

  // Properties set in `top` win. Raised and lowered are one setting in
  // both formats: a style that sets either replaces both.
  void over(const CommonRunProps& top) {
    take(bold, top.bold);
    take(italic, top.italic);
    take(underline, top.underline);
    take(strike, top.strike);
    if (top.superscript || top.subscript) {
      superscript = top.superscript;
      subscript = top.subscript;
    }
    take(hidden, top.hidden);
    take(smallCaps, top.smallCaps);
    take(allCaps, top.allCaps);
    take(color, top.color);
    take(font, top.font);
  }

  void applyTo(CharFormat& f) const {
    if (bold) f.bold = *bold;
    if (italic) f.italic = *italic;
    if (underline) f.underline = *underline;
    if (strike) f.strike = *strike;
    if (superscript) f.superscript = *superscript;
    if (subscript) f.subscript = *subscript;
    if (smallCaps) f.smallCaps = *smallCaps;
    if (allCaps) f.allCaps = *allCaps;
    if (color) f.color = *color;
    if (font) f.font = *font;
  }
};

}  // namespace word::read
