// A picture's place and look on a page: the side the text flows past it
// at, its colours as the document adjusts them, and the part it shows.
#pragma once

#include <cstdint>
#include <string>

#include "word/model.h"

namespace word::write {

// A picture's colours as the document adjusts them ("filter:...;"), none
// when it shows them as they are.
std::u16string pictureFilter(const PictureLook& look);
// A picture turned or mirrored as the document shows it
// ("transform:...;"), none when it stands as it is.
std::u16string pictureTransform(const PictureLook& look);
// A picture the text flows beside, at that side of it, a little apart; or
// one on a line of its own.
std::u16string pictureSideCss(PictureSide side, int32_t width = 0, int32_t height = 0);

// A cropped picture shown `width` by `height` pixels: a box of that size
// that hides what lies outside it, and the whole image's size and place
// in it, both in shares of the box's width so that they scale together.
// Empty where nothing is cut off.
struct CropCss {
  std::u16string box, image;
  int32_t imageWidth = 0, imageHeight = 0;  // pixels
};
CropCss pictureCropCss(const PictureLook& look, int32_t width, int32_t height);

}  // namespace word::write
