#include "word/write/picture_css.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "word/write/css.h"
#include "word/write/html_text.h"

namespace word::write {

std::u16string pictureSideCss(PictureSide side, int32_t width, int32_t height, bool inCell) {
  // By PictureSide: in its line; floated at the start or end, at most
  // half the line wide, so that a phone's narrow page keeps room for the
  // text beside it; a line of its own, the picture at its start, middle
  // or end.
  static constexpr std::u16string_view kCss[] = {
      u"",
      u"float:inline-start;margin-block-end:4pt;margin-inline-end:9pt;max-width:50%;height:auto;",
      u"float:inline-end;margin-block-end:4pt;margin-inline-start:9pt;max-width:50%;height:auto;",
      u"display:block;margin-block:4pt;",
      u"display:block;margin:4pt auto;",
      u"display:block;margin-block:4pt;margin-inline-start:auto;"};
  std::u16string css(kCss[static_cast<size_t>(side)]);
  // A cell's text does not flow beside a picture anchored in it: half a
  // narrow cell left a 108-pixel picture 19 wide. The cell takes its width.
  if (const size_t bound = css.find(u"max-width:50%;"); inCell && bound != std::u16string::npos)
    css.erase(bound, 14);
  // Scaled down, by its float's bound or a course page's narrow window
  // (whose pictures fit it, their height left to follow), a picture keeps
  // the proportions it is shown at: a stretched one's, not its file's own.
  if (width > 0 && height > 0)
    css += u"aspect-ratio:" + decimal(width, 1) + u"/" + decimal(height, 1) + u";";
  return css;
}

std::u16string pictureFilter(const PictureLook& look) {
  std::u16string filter;
  // Black and white: every grey to the nearer of the two.
  if (look.gray || look.blackAndWhite) filter += u"grayscale(1) ";
  if (look.blackAndWhite) filter += u"contrast(100) ";
  if (look.brightness)
    filter += u"brightness(" + decimal(std::clamp(1000 + look.brightness, 0, 2000), 1000) + u") ";
  if (look.contrast != 1000)
    filter += u"contrast(" + decimal(std::clamp<int>(look.contrast, 0, 10000), 1000) + u") ";
  if (filter.empty()) return {};
  filter.pop_back();
  return u"filter:" + filter + u";";
}

std::u16string pictureTransform(const PictureLook& look) {
  std::u16string t;
  if (look.rotation % 360) t += u"rotate(" + decimal(look.rotation % 360, 1) + u"deg) ";
  if (look.flipH || look.flipV)
    t += u"scale(" + decimal(look.flipH ? -1 : 1, 1) + u"," + decimal(look.flipV ? -1 : 1, 1) +
         u") ";
  if (t.empty()) return {};
  t.pop_back();
  return u"transform:" + t + u";";
}

std::u16string pictureOutline(const PictureLook& look) {
  if (look.outlineEmu <= 0) return {};
  // Pixels at 96 dots an inch, a hairline drawn a pixel wide.
  const int64_t width = std::max<int64_t>(std::min(look.outlineEmu, kMaxOutlineEmu), 9525);
  return u"outline:" + decimal(width, 9525) + u"px solid " + colour(look.outlineColor) +
         u";outline-offset:-" + decimal(width, 2 * 9525) + u"px;";
}

CropCss pictureCropCss(const PictureLook& look, int32_t width, int32_t height) {
  constexpr int64_t kWhole = 100000;
  // A share cut off outward (a frame round the picture) is not shown.
  const int64_t left = std::max(look.cropLeft, 0), right = std::max(look.cropRight, 0);
  const int64_t top = std::max(look.cropTop, 0), bottom = std::max(look.cropBottom, 0);
  const int64_t across = kWhole - left - right, down = kWhole - top - bottom;
  if (left + right + top + bottom == 0 || across <= 0 || down <= 0 || width <= 0 || height <= 0)
    return {};
  CropCss css;
  css.imageWidth = static_cast<int32_t>(std::min<int64_t>(width * kWhole / across, 1 << 24));
  css.imageHeight = static_cast<int32_t>(std::min<int64_t>(height * kWhole / down, 1 << 24));
  auto share = [](int64_t part, int64_t of) { return decimal(part * 10000 / of, 100) + u"%"; };
  // A narrow window shrinks the box, and the image in it with it.
  css.box = u"display:inline-block;overflow:hidden;width:" + decimal(width, 1) +
            u"px;max-width:100%;aspect-ratio:" + decimal(width, 1) + u"/" + decimal(height, 1) +
            u";";
  // Margins in shares of the box's width, the vertical ones too. The
  // image keeps the proportions it is shown at, not its file's own.
  css.image = u"display:block;max-width:none;height:auto;aspect-ratio:" +
              decimal(css.imageWidth, 1) + u"/" + decimal(css.imageHeight, 1) + u";width:" +
              share(kWhole, across) + u";margin-left:-" + share(left, across) + u";margin-top:-" +
              share(top * height, down * width) + u";";
  return css;
}

TurnedBox turnedBox(const PictureLook& look, int32_t width, int32_t height) {
  const int turn = look.rotation % 180;
  if (turn == 0 || width <= 0 || height <= 0) return {};
  const double angle = turn * std::numbers::pi / 180;
  const double c = std::abs(std::cos(angle)), s = std::abs(std::sin(angle));
  const auto across = static_cast<int64_t>(std::lround(width * c + height * s));
  const auto down = static_cast<int64_t>(std::lround(width * s + height * c));
  TurnedBox t;
  t.box = u"display:inline-block;width:" + decimal(across, 1) + u"px;max-width:100%;";
  t.height = u"aspect-ratio:" + decimal(across, 1) + u"/" + decimal(down, 1) + u";";
  // The image in the middle of the box, turned about its middle, in shares
  // of the box's width (the vertical margin too), so that a narrow window
  // shrinks both alike.
  auto share = [&](int64_t half) { return decimal(half * 5000 / across, 100) + u"%"; };
  t.image = u"display:block;max-width:none;height:auto;aspect-ratio:" + decimal(width, 1) + u"/" +
            decimal(height, 1) + u";width:" + share(2 * width) + u";margin-left:" +
            share(across - width) + u";margin-top:" + share(down - height) + u";";
  return t;
}

WebPicture webPicture(const Picture& p, PictureConverter* converter) {
  WebPicture web = converter && !p.linked ? converter->prepare(p) : WebPicture{};
  if (p.linked) {
    web.problem = "it is linked to a file outside the document, which is not read";
  } else if (!converter) {
    web.bytes = p.data;
    web.extension = pictureExtension(p);
    web.shown = browserShowsAsIs(web.extension);
    if (!web.shown) web.problem = "no converter for this format";
  }
  return web;
}

support::PicturePlaceholder standIn(const Picture& p, WebPicture& web, PixelSize& box) {
  // Bytes of no known kind are said to be so, not named by a file ending.
  std::string format = pictureExtension(p);
  if (format == "bin") format.clear();
  support::PicturePlaceholder said{static_cast<int32_t>(p.pos), format, web.problem, p.linked};
  const bool unknown = web.extension.empty() || web.extension == "bin";
  web.bytes = std::make_shared<const std::string>(placeholderSvg(box, p.alt,
                                                                 p.linked ? "a linked file"
                                                                 : unknown ? "an unknown format"
                                                                           : web.extension));
  web.extension = "svg";
  if (box.width <= 0 || box.height <= 0) box = {};
  return said;
}

std::u16string pictureElement(const Picture& p, const std::u16string& src, int32_t width,
                              int32_t height, bool shown, bool inCell) {
  std::u16string out;
  // A cropped picture shows its part through a box of its display size.
  const CropCss crop = shown ? pictureCropCss(p.look, width, height) : CropCss{};
  if (!crop.box.empty()) {
    out += u"<span style=\"" + crop.box + pictureSideCss(p.side, 0, 0, inCell) +
           pictureTransform(p.look) + pictureOutline(p.look) + u"\">";
    width = crop.imageWidth;
    height = crop.imageHeight;
  }
  const TurnedBox turned = crop.box.empty() ? turnedBox(p.look, width, height) : TurnedBox{};
  if (!turned.box.empty())
    out += u"<span style=\"" + turned.box + pictureSideCss(p.side, 0, 0, inCell) + turned.height +
           u"\">";
  out += u"<img src=\"" + src + u"\"";
  if (width > 0) out += u" width=\"" + decimal(width, 1) + u"\"";
  if (height > 0) out += u" height=\"" + decimal(height, 1) + u"\"";
  const std::u16string css =
      (!crop.box.empty() ? crop.image
       : !turned.box.empty()
           ? turned.image + pictureTransform(p.look)
           : pictureSideCss(p.side, width, height, inCell) + pictureTransform(p.look)) +
      (shown ? pictureFilter(p.look) : u"") + (crop.box.empty() ? pictureOutline(p.look) : u"");
  if (!css.empty()) out += u" style=\"" + css + u"\"";
  out += u" alt=\"" + attribute(p.alt) + u"\">";
  if (!crop.box.empty() || !turned.box.empty()) out += u"</span>";
  return out;
}

}  // namespace word::write
