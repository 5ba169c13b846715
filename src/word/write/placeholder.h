#pragma once
// A picture the HTML export shows as a stand-in (a box with its alternative
// text): browsers lack its format and it could not be converted. The
// export lists them; a save through the facade passes them on as they are.
#include <cstdint>
#include <string>

namespace word::write {

struct PicturePlaceholder {
  int32_t position = 0;  // of its mark in the main story
  std::string format;    // "pict", "wmf", ...
  std::string reason;    // in a few words: "no converter for this format"
};

}  // namespace word::write
