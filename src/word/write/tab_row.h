#pragma once
// A paragraph a page sets as one row: its text before a tab, a leader
// filling the space, and the text after, ending at the tab's stop.
#include <cstdint>
#include <string>

#include "word/model.h"

namespace word::write {

struct TabRow {
  uint32_t tab;  // the tab's position; the paragraph's end for none
  int32_t stop = 0;
  TabLeader leader = TabLeader::None;
};

// The tab of the paragraph at [start, end) of `text` that makes it a row:
// its last, where it goes to a stop that aligns the text after it by its
// end; or its first, in its first line, where only blanks follow it and
// its stop has a leader (a line to fill in). None in a reference link's
// markers.
TabRow rowTab(const std::u16string& text, uint32_t start, uint32_t end, const ParagraphFormat& f);

}  // namespace word::write
