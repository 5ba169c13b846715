#pragma once
// The metafile libraries' SVG corrected where it loses what the metafile
// says: where each character of a text stands, and where a bitmap goes.
// Runs in the picture helper (libxml2). Input that does not parse comes
// back as it is.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace word::write {

// A text record of an EMF (ExtTextOut, wide or 8-bit): its characters, the
// advance of each in logical units (none when the record gives none), and
// the height of the font it is drawn in (0: not known).
struct EmfText {
  std::u16string text;
  std::vector<int32_t> advances;
  int32_t fontHeight = 0;
};
std::vector<EmfText> emfTexts(std::string_view emf);

// The advances of an EMF's text records (emfTexts) on the text elements
// libemf2svg wrote for them (which it draws as one string from the record's reference
// point), as lists of x positions: in a substitute font every character
// still stands where the metafile puts it, none overlapping the next or
// running out of its box. An element that matches no record stays as it
// is.
std::string placeEmfText(std::string_view svg, const std::vector<EmfText>& texts);

// libemf2svg draws an EMF of the default mapping (one logical unit a
// device unit) at its logical coordinates, leaving out the window's and
// viewport's origins, which move the drawing into the picture's bounds: a
// drawing set at (112, 64) shows cut off at the right and bottom. The
// shift they make, where they stay put while it draws; none where they
// move, another mapping is set (the library maps those itself) or EMF+
// records place the drawing.
std::optional<std::pair<int32_t, int32_t>> emfOriginShift(std::string_view emf);
// The SVG's drawing moved by `by`, in a translating group.
std::string shiftedSvg(std::string_view svg, std::pair<int32_t, int32_t> by);

// libemf2svg sizes its SVG to an EMF's bounds, the part its records drew,
// in device units from the bounds' corner; the picture is its frame, which
// the word processor fits to the picture's box (text drawn in a tenth of a
// wide frame stood stretched over all of it). The SVG shown through the
// frame: its viewBox the frame in the same units; unchanged where the
// header gives no frame or device, or the SVG is not of the bounds' size.
std::string framedEmfSvg(std::string_view svg, std::string_view emf);

// libwmf's SVG device draws a bitmap at its place and size and through a
// matrix of the same again, so that it shows shrunk (a tenth of its size,
// or less) or grown, and shifted: the bitmap is drawn once, at its place,
// stretched to its box. It writes each character of a text with advances
// as a text element of its own under a translation: the characters drawn
// along one line in one style become one text element with a list of x
// positions. Its polylines, open lines, are filled black as SVG's are by
// default: they are not filled.
std::string repairWmfSvg(std::string_view svg);

}  // namespace word::write
