#pragma once
// The reference links a course page's text marks ("%A=12 the link%A#"), as
// the page's rewrite of them pairs their markers. A formatting tag inside a
// marker or its reference would end up in the link's script or split the
// marker, so the page writer keeps tags out of them.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "word/model.h"

namespace word::write {

struct LinkMarker {
  uint32_t open = 0;       // where "%A=" (any case) stands
  uint32_t textStart = 0;  // past the reference and its blank: where the link's text starts
  uint32_t close = 0;      // where the "%A#" that closes it stands
};

// The markers of `text` within [start, end), in order: each "%A=" with the
// first "%A#" after it; the reference runs up to the first blank before
// that (without one, the reference is the link's text too).
std::vector<LinkMarker> linkMarkers(const std::u16string& text, uint32_t start, uint32_t end);

// Where a reference link's markers stand in [start, end) of `s`, each with
// its reference, when formatting changes within the link: to be written
// without tags, so that the link's text holds whole tags and the script
// none. Overlapping stretches (nested links) come as one.
std::vector<std::pair<uint32_t, uint32_t>> untaggedMarkers(const Story& s, uint32_t start,
                                                           uint32_t end);

}  // namespace word::write
