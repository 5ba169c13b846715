#pragma once
// A picture the HTML export shows as a stand-in (a box with its alternative
// text): browsers lack its format and it could not be converted. The
// writers list them, the facade's save passes them on as they are and the
// page writer warns of each: the one type lies where all three reach it.
#include <cstdint>
#include <string>

namespace support {

struct PicturePlaceholder {
  int32_t position = 0;  // of its mark in the main story
  std::string format;    // "pict", "wmf", ...
  std::string reason;    // in a few words: "no converter for this format"
  bool linked = false;   // to a file outside the document, which is not read
};

}  // namespace support
