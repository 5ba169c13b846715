// A picture's place and look on a page: the side the text flows past it
// at, its colours as the document adjusts them, the part it shows, how
// it is turned; and the img that says all of it.
#pragma once

#include <cstdint>
#include <string>

#include "support/picture_placeholder.h"
#include "word/model.h"
#include "word/write/pictures/converter.h"
#include "word/write/pictures/web_picture.h"

namespace word::write {

// A picture's colours as the document adjusts them ("filter:...;"), none
// when it shows them as they are.
std::u16string pictureFilter(const PictureLook& look);
// The line round a picture, centred on its edge as the word processor
// draws it, taking no room of its own; empty where there is none.
std::u16string pictureOutline(const PictureLook& look);
// A picture turned or mirrored as the document shows it
// ("transform:...;"), none when it stands as it is.
std::u16string pictureTransform(const PictureLook& look);
// A picture the text flows beside, at that side of it, a little apart; or
// one on a line of its own. `inCell`: in a table's cell, whose width does
// not bound it.
std::u16string pictureSideCss(PictureSide side, int32_t width = 0, int32_t height = 0,
                              bool inCell = false);

// A cropped picture shown `width` by `height` pixels: a box of that size
// that hides what lies outside it, and the whole image's size and place
// in it, both in shares of the box's width so that they scale together.
// Empty where nothing is cut off.
struct CropCss {
  std::u16string box, image;
  int32_t imageWidth = 0, imageHeight = 0;  // pixels
};
CropCss pictureCropCss(const PictureLook& look, int32_t width, int32_t height);

// A picture turned other than by half turns takes the room its turned
// shape does, as the text around it does in the document: a box of that
// size, and the image (`width` by `height` pixels) in its middle. Empty
// for one upright or upside down.
struct TurnedBox {
  std::u16string box, height, image;  // the box's height after its place's rules
};
TurnedBox turnedBox(const PictureLook& look, int32_t width, int32_t height);

// Picture `p` as the page shows it: converted by `converter` where there
// is one, else as it is where browsers show it; or why it is not shown.
WebPicture webPicture(const Picture& p, PictureConverter* converter);

// Never a broken image: `web`, picture `p` the page cannot show, made a
// box of `box`'s size with the alternative text that stands in for it
// (`box` emptied where `p` gives no size); what the page tells of it.
support::PicturePlaceholder standIn(const Picture& p, WebPicture& web, PixelSize& box);

// The page's img of picture `p` from file `src` (in the page's own
// characters), shown `width` by `height` pixels (0: its own size), in its
// cropping box where the document crops it, placed, turned and (where
// `shown`: not a stand-in) coloured as the document shows it; `inCell` as
// pictureSideCss takes it.
std::u16string pictureElement(const Picture& p, const std::u16string& src, int32_t width,
                              int32_t height, bool shown, bool inCell = false);

}  // namespace word::write
