#pragma once
// The last step of every metafile the helper converts: whatever the
// metafile held (text that fakes markup, a font name that breaks out of
// its attribute), the SVG written carries only what a drawing needs. No
// script, no event attribute, no foreignObject or other foreign content, no
// reference outside itself (links, stylesheets, DTDs, url() of another
// file) and no javascript: link; an <image> keeps only a PNG or JPEG of its
// own (a data: URL), and text keeps its positioning (x and y lists, dx,
// dy, rotate, textLength).
#include <optional>
#include <string>
#include <string_view>

namespace word::write {

// The SVG parsed leniently (so that nothing half-escaped makes it fail)
// and written again with only the allowed elements and attributes; nothing
// when the root is not an <svg> element. Only the picture helper, which
// links libxml2, calls it.
std::optional<std::string> allowedSvg(std::string_view svg);

}  // namespace word::write
