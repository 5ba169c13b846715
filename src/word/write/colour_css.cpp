#include <cstdint>
#include <string>

#include "word/write/css.h"

namespace word::write {

namespace {

// White (or nearly white) text the document sets over a picture or a
// shape behind it, which the page does not draw: lost on the page's white
// where nothing behind it is `shaded` (its paragraph, its cell) and it has
// no highlight; letters with a shadow or an outline of their own stay
// legible as they are.
bool lostOnWhite(const CharFormat& f, bool shaded) {
  if (shaded || f.color == kAutoColor || f.highlight != kAutoColor || f.effects & ~kEffectBox)
    return false;
  const uint32_t r = f.color >> 16 & 0xFF, g = f.color >> 8 & 0xFF, b = f.color & 0xFF;
  return 299 * r + 587 * g + 114 * b > 240 * 1000;
}

}  // namespace

std::u16string textOn(uint32_t background) {
  if (background == kAutoColor) return {};
  const uint32_t r = (background >> 16) & 0xFF, g = (background >> 8) & 0xFF, b = background & 0xFF;
  // Below two fifths of full brightness, as the eye weighs the channels.
  return 299 * r + 587 * g + 114 * b < 400 * 255 ? u"color:#FFFFFF;" : u"";
}

std::u16string colourCss(const CharFormat& f, const CharFormat& base, uint32_t behind) {
  std::u16string css;
  // White text over what the page does not draw behind it shows in
  // automatic colour, overriding a style's white.
  const bool shaded = behind != kAutoColor;
  if (lostOnWhite(f, shaded)) {
    css += lostOnWhite(base, shaded) || base.color == f.color ? u"color:#000000;" : u"";
  } else if (f.color != base.color && f.color != kAutoColor) {
    css += u"color:" + colour(f.color) + u";";
  } else if (f.color == kAutoColor && base.color != kAutoColor) {
    // Automatic, not the style's colour: dark, or white on dark shading.
    const uint32_t under = f.highlight != kAutoColor && f.shaded ? f.highlight : behind;
    css += textOn(under).empty() ? u"color:#000000;" : u"color:#FFFFFF;";
  }
  if (f.highlight != base.highlight && f.highlight != kAutoColor) {
    css += u"background-color:" + colour(f.highlight) + u";";
    if (f.color == kAutoColor && base.color == kAutoColor && f.shaded) css += textOn(f.highlight);
  }
  return css;
}

}  // namespace word::write
