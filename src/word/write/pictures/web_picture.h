#pragma once
// What a picture's bytes are, from the browser's side: which formats it
// shows, how large a metafile wants to be, and the SVG a converted or
// missing picture becomes. Pure functions over bytes: damaged input gives
// an empty answer, never a fault.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "word/model.h"

namespace word::write {

// The extension the picture's file takes: "png", "jpg", "gif", "bmp",
// "tif", "emf", "wmf", "pict", "svg"; "bin" for bytes of no known kind.
std::string pictureExtension(const Picture& picture);

// Whether browsers show files of that extension as they are.
bool browserShowsAsIs(std::string_view extension);

struct PixelSize {
  int32_t width = 0;  // at 96 dpi; 0: unknown
  int32_t height = 0;
};

// A metafile's own size from its header: the bounds and units of a
// placeable WMF, the frame of an EMF. Zero when the header gives none.
PixelSize metafileSize(std::string_view bytes);

// The size a PNG file's header gives (zero when it is no PNG).
PixelSize pngSize(std::string_view bytes);

// The SVG as a browser should scale it into the page's picture box: the
// root element in the SVG namespace (a browser shows nothing otherwise), a
// viewBox from its own width and height, and the drawing stretched to the
// box the way the word processor stretches a metafile. Nothing when there
// is no <svg> element.
std::optional<std::string> fitSvg(std::string_view svg);

// A visible stand-in for a picture no browser can show: a framed box of
// the picture's size holding its alternative text, or the format's name
// when it has none.
std::string placeholderSvg(PixelSize box, std::u16string_view alt, std::string_view format);

}  // namespace word::write
