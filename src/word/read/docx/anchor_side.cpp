// Where an anchored DrawingML drawing stands beside the text, for its
// pictures and its text boxes alike.
#include <algorithm>
#include <cstdlib>

#include "word/read/docx/reader_state.h"

namespace word::read::docx::detail {

// Where an anchored drawing the text wraps around stands: the side its
// wrapping leaves free of text, else its alignment, else where its middle
// lies (pictures placed from the page's edge counted from an inch in);
// one behind or in front of the text alike (overTextSide).
PictureSide anchoredSide(const pugi::xml_node& anchor, int32_t widthPx) {
  pugi::xml_node wrap;
  for (const char* name : {"wrapSquare", "wrapTight", "wrapThrough"})
    if (!wrap) wrap = child(anchor, name);
  const bool ownLine = child(anchor, "wrapTopAndBottom");
  const bool over = !wrap && !ownLine && child(anchor, "wrapNone");
  if (!wrap && !ownLine && !over) return PictureSide::Inline;
  const std::string_view text = val(wrap, "wrapText");
  if (text == "left") return PictureSide::End;
  if (text == "right") return PictureSide::Start;
  const pugi::xml_node across = child(anchor, "positionH");
  constexpr int64_t kEmuPerTwip = 635, kPageMargin = 1440;
  int64_t from = std::clamp<int64_t>(
      std::strtoll(child(across, "posOffset").text().get(), nullptr, 10) / kEmuPerTwip, -100000,
      100000);
  if (val(across, "relativeFrom") == "page") from -= kPageMargin;
  const std::string_view align = child(across, "align").text().get();
  const int64_t width = int64_t{widthPx} * 15;
  return over ? overTextSide(align, from + width / 2, width)
              : placedSide(ownLine, align, from + width / 2);
}

}  // namespace word::read::docx::detail
