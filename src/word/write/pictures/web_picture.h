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

// The code page of a WMF's text: that of the first font it makes with a
// character set other than the western or symbol ones, else western.
const char* wmfCodePage(std::string_view wmf);

// The size a PNG file's header gives (zero when it is no PNG).
PixelSize pngSize(std::string_view bytes);

// Whether a PNG declares more pixels than its bytes can hold however well
// packed: a damaged file, which a browser shows broken or sets aside
// gigabytes for.
bool pngBeyondItsBytes(std::string_view bytes);

// The SVG as a browser should scale it into the page's picture box: the
// root element in the SVG namespace (a browser shows nothing otherwise), a
// viewBox from its own width and height, and the drawing stretched to the
// box the way the word processor stretches a metafile. Nothing when there
// is no <svg> element.
std::optional<std::string> fitSvg(std::string_view svg);

// The SVG a WMF player wrote, in the code page of the metafile's text
// (the helper escapes the text on its way to the player's SVG device), as
// UTF-8 that XML can hold: controls blanked.
std::string wmfSvgAsUtf8(std::string_view svg, const char* codePage);

// The EMF converter writes each text as <![CDATA[...]]></text>, so a "]]>"
// of the text ends the section early. Each section is taken to end at its
// first "]]></text>", and a "]]>" before it is split so that it stays
// text. (A text holding "]]></text>" itself still ends early: what follows
// is markup the allow-list of svg_allow.h takes care of.)
std::string emfSvgTextKept(std::string_view svg);

// UTF-8 as XML can hold it: invalid bytes as U+FFFD, controls blanked.
std::string xmlSafe(std::string_view utf8);

// Text escaped for XML: "&", "<", ">" and (unless told not to) double
// quotes as references.
void xmlEscape(std::string& out, std::string_view text, bool quotes = true);

// A visible stand-in for a picture no browser can show: a framed box of
// the picture's size holding its alternative text, or the format's name
// when it has none.
std::string placeholderSvg(PixelSize box, std::u16string_view alt, std::string_view format);

}  // namespace word::write
